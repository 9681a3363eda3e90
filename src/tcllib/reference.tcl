# Parental files from reference samples: the genotypes of individuals known
# to belong to population R and of individuals known to belong to S, each in
# the individual-file format, counted into the allele frequencies (or
# dominant-phenotype frequencies) that a parental file gives.
#
# The reference files are read by the record rules of the individual file:
# a record starts at the first '#' of a line and runs to the line's end, the
# first record names the individuals, and designations are separated by
# blanks, ',', ';' or '/'.  A designation that is not wholly a number, or
# is -9999, is missing data; a codominant genotype with one allele missing
# counts as missing, as it does in the analysis.

namespace eval ::parmix {
    # Allele numbers index the frequency list of a locus, so they run from 1
    # to the locus's allele count; a number far beyond any real count (allele
    # sizes written in place of allele numbers, say) would make a parental
    # record of that many frequencies.
    variable maxAlleleNumber 10000
}

# Counts the reference samples in the files R and S into the parental file
# PARENTAL.  Options:
#   -types LIST        the type of each locus in locus order: the letters C
#                      (codominant) and D (dominant), each optionally after
#                      a repeat count, blanks and commas ignored ("CCD",
#                      "14C 6D")
#   -typesfrom FILE    take the types from an existing parental file instead
#                      (without either, every locus is codominant when both
#                      files write every genotype as a pair such as 1/2)
#   -pseudocount X     add X (>= 0, default 0) to the count of every allele
#                      of a codominant locus seen in either sample (or in
#                      the study file), and of both phenotypes of a
#                      dominant locus, in each sample before the
#                      frequencies are taken, so that an allele seen in one
#                      sample only gets a small frequency rather than 0;
#                      allele numbers seen nowhere get no share of it
#   -study FILE        the individuals to be studied (individual-file
#                      format): their alleles count as seen too, so that
#                      under a pseudo-count every one of them gets a
#                      frequency
#   -counts FILE       also write the reference counts file FILE: per
#                      locus the counts behind the frequencies and the
#                      pseudo-count, from which parmix::corrected and
#                      parmix::ancestry -referencecounts carry the
#                      frequencies' uncertainty into each individual's
#                      likelihood
#   -renumber PREFIX   number the alleles seen at each codominant locus 1..k
#                      in increasing order of their numbers in the files,
#                      write the parental file with the new numbers, and
#                      write PREFIX.R.txt, PREFIX.S.txt (and PREFIX.study.txt
#                      with -study) with the new numbers and PREFIX.map.tsv,
#                      the table locus, label, allele (as in the files),
#                      number (as written)
# Returns a list of warnings (empty when there are none): loci whose allele
# numbers look like raw allele sizes, far above the number of distinct
# alleles seen.
proc ::parmix::parentalFromReference {r s parental args} {
    set options [Options parmix::parentalFromReference \
                     {-types "" -typesfrom "" -pseudocount 0 -study "" -renumber ""
                      -counts ""} $args]
    set pseudo [PseudoCount [dict get $options -pseudocount]]
    # No output may name an input or another output: refused before
    # anything is read or written.
    lassign [ReferencePaths $r $s $parental $options] inputs outputs
    RefuseOutputClashes $outputs $inputs
    set samples [list [ReadReferenceFile $r] [ReadReferenceFile $s]]
    set nLoci [llength [dict get [lindex $samples 0] loci]]
    if {[llength [dict get [lindex $samples 1] loci]] != $nLoci} {
        Fail {INPUT LOCI} "The reference files $r and $s hold different numbers\
            of locus records."
    }
    set study {}
    if {[dict get $options -study] ne ""} {
        set study [ReadReferenceFile [dict get $options -study]]
        if {[llength [dict get $study loci]] != $nLoci} {
            Fail {INPUT LOCI} "The study file [dict get $options -study] and the\
                reference file $r hold different numbers of locus records."
        }
    }
    set types [LocusTypes $options $samples $nLoci]
    set records {}
    set countRows {}
    set warnings {}
    set maps {}
    for {set i 0} {$i < $nLoci} {incr i} {
        set type [lindex $types $i]
        set seen [SeenAlleles $samples $study $i $type]
        lappend warnings {*}[RawSizeWarning $samples $i $seen]
        set renumber [expr {[dict get $options -renumber] ne ""}]
        lappend maps [expr {$renumber ? [AlleleMap $seen] : {}}]
        set tallies [LocusTallies $samples $i $type $seen [lindex $maps end]]
        set record [ParentalRecord $samples $i $type $pseudo $tallies]
        lappend records $record
        lappend countRows [CountsRow [lindex $record 0] $type $tallies]
    }
    set countsFile [dict get $options -counts]
    WriteOutput [list "parental file" $parental] [ParentalText $r $s $pseudo $records] $inputs
    if {$countsFile ne ""} {
        WriteOutput [list "counts file" $countsFile] \
            [CountsText $r $s $parental $pseudo $countRows] $inputs
    }
    if {[dict get $options -renumber] ne ""} {
        WriteRenumbered [dict get $options -renumber] $samples $study $types $maps $inputs
    }
    return $warnings
}

# The files parentalFromReference reads and writes with OPTIONS, as pairs
# {role path}: {inputs outputs}.
proc ::parmix::ReferencePaths {r s parental options} {
    set inputs [list [list "R sample file" $r] [list "S sample file" $s] \
                    [list "types file" [dict get $options -typesfrom]] \
                    [list "study file" [dict get $options -study]]]
    set outputs [list [list "parental file" $parental] \
                     [list "counts file" [dict get $options -counts]]]
    set prefix [dict get $options -renumber]
    if {$prefix ne ""} {
        lappend outputs [list "renumbered R sample file" $prefix.R.txt] \
            [list "renumbered S sample file" $prefix.S.txt] \
            [list "allele map" $prefix.map.tsv]
        if {[dict get $options -study] ne ""} {
            lappend outputs [list "renumbered study file" $prefix.study.txt]
        }
    }
    return [list $inputs $outputs]
}

# The alleles seen at codominant locus I in the samples and in the study
# file STUDY (a dict of ReadReferenceFile, or empty), sorted; empty at a
# dominant locus.
proc ::parmix::SeenAlleles {samples study i type} {
    if {$type ne "C"} {return {}}
    set seen [concat {*}[lmap sample $samples {dict keys [AlleleCounts $sample $i]}]]
    if {[llength $study]} {
        lappend seen {*}[StudyAlleles $study $i]
    }
    return [lsort -integer -unique $seen]
}

# Every allele number designated in STUDY at codominant locus I, halves of
# genotypes included.
proc ::parmix::StudyAlleles {study i} {
    variable maxAlleleNumber
    set alleles {}
    foreach token [LocusTokens $study $i 2 codominant] {
        set allele [Designation $token]
        if {$allele eq ""} continue
        if {$allele < 1 || $allele > $maxAlleleNumber} {
            BadRecord $study $i "the allele designation $token is not an allele\
                number (1 to $maxAlleleNumber) nor missing data"
        }
        lappend alleles $allele
    }
    return $alleles
}

# Old allele number -> new number 1..k, in increasing order.
proc ::parmix::AlleleMap {seen} {
    set map {}
    set n 0
    foreach allele $seen {
        dict set map $allele [incr n]
    }
    return $map
}

# A warning when the largest allele number seen at locus I is far above the
# number of distinct alleles seen (sizes such as 183 or 185 in place of
# allele numbers): a pseudo-count would otherwise be spread over numbers
# that are no alleles.
proc ::parmix::RawSizeWarning {samples i seen} {
    if {![llength $seen]} {return {}}
    set largest [lindex $seen end]
    if {$largest < 50 || $largest < 3 * [llength $seen]} {return {}}
    set label [lindex [dict get [lindex $samples 0] loci] $i 1]
    return [list "At locus [expr {$i + 1}][expr {$label ne "" ? " ($label)" : ""}],\
        the allele numbers run up to $largest for [llength $seen] distinct alleles:\
        they look like allele sizes rather than allele numbers (renumbering\
        numbers them 1 to [llength $seen])."]
}

# Writes the samples (and the study file) with the alleles renumbered by
# MAPS (one dict per locus, empty at dominant loci) and the mapping table.
proc ::parmix::WriteRenumbered {prefix samples study types maps inputs} {
    set files [list $prefix.R.txt [lindex $samples 0] $prefix.S.txt [lindex $samples 1]]
    if {[llength $study]} {
        lappend files $prefix.study.txt $study
    }
    foreach {path sample} $files role {{R sample} {S sample} study} {
        WriteOutput [list "renumbered $role file" $path] \
            [RenumberedText $sample $types $maps] $inputs
    }
    set lines [list [join {locus label allele number} \t]]
    set i 0
    foreach map $maps {
        set label [lindex [dict get [lindex $samples 0] loci] $i 1]
        incr i
        dict for {old new} $map {
            lappend lines [join [list $i $label $old $new] \t]
        }
    }
    WriteOutput [list "allele map" $prefix.map.tsv] [join $lines \n]\n $inputs
}

proc ::parmix::RenumberedText {sample types maps} {
    set lines [list Individual "Alleles renumbered 1..k per locus from\
        [string map {# _} [file tail [dict get $sample path]]]" \
        "names # [dict get $sample names]"]
    foreach locus [dict get $sample loci] type $types map $maps {
        lassign $locus line label tokens
        set values [lmap token $tokens {
            set allele [Designation $token]
            # A half genotype of a reference sample was never counted, so its
            # allele may have no number; the genotype is missing either way.
            expr {$allele eq "" || ($type eq "C" && ![dict exists $map $allele]) ? "NA"
                  : ($type eq "C" ? [dict get $map $allele] : $allele)}
        }]
        if {$type eq "C"} {
            set values [lmap {a b} $values {string cat $a / $b}]
        }
        lappend lines "[expr {$label eq "" ? "L$line" : $label}] # [join $values { }]"
    }
    return [join $lines \n]\n
}

proc ::parmix::PseudoCount {value} {
    # Above 1e9 the counts no longer matter and sums of pseudo-counts would
    # overflow; the VCF path keeps the same bound.
    if {![string is double -strict $value] || !($value >= 0) || $value > 1e9} {
        Fail USAGE "The pseudo-count must be a number from 0 to 1e9, not \"[ShortValue $value]\"."
    }
    return [expr {double($value)}]
}

# The type letters of the loci, from -types or -typesfrom (at most one of
# them), checked against the number of locus records of the reference file
# R.  Without either, every locus is codominant when every genotype of both
# SAMPLES is written as a pair; otherwise dominant loci are possible and the
# types must be given.
proc ::parmix::LocusTypes {options samples nLoci} {
    set list [dict get $options -types]
    set file [dict get $options -typesfrom]
    set r [dict get [lindex $samples 0] path]
    if {$list ne "" && $file ne ""} {
        Fail USAGE "Give the locus types either as a list (-types) or as a\
            parental file (-typesfrom)."
    }
    if {$list eq "" && $file eq ""} {
        set unpaired [UnpairedRecord $samples]
        if {$unpaired eq ""} {
            return [lrepeat $nLoci C]
        }
        Fail USAGE "Give the locus types either as a list (-types) or as a\
            parental file (-typesfrom): $unpaired does not write every genotype\
            as a pair of designations (such as 1/2), so the files may hold\
            dominant loci."
    }
    if {$file ne ""} {
        set runs [lmap type [TypesFromParental $file] {list 1 $type}]
        set source "The parental file $file gives"
    } else {
        set runs [TypeRuns $list]
        set source "The type list gives"
    }
    # Counted before the list is spelt out, so that a mistyped count of
    # millions is told rather than built.
    set total [tcl::mathop::+ 0 {*}[lmap run $runs {lindex $run 0}]]
    if {$total != $nLoci} {
        Fail {INPUT LOCI} "$source the types of $total loci, but the reference file\
            $r holds $nLoci locus records."
    }
    set types {}
    foreach run $runs {
        lappend types {*}[lrepeat {*}$run]
    }
    return $types
}

# "line N of PATH" for the first locus record of SAMPLES that is not
# written as pairs, or the empty string when every record is.
proc ::parmix::UnpairedRecord {samples} {
    foreach sample $samples {
        foreach locus [dict get $sample loci] {
            lassign $locus line - - paired
            if {!$paired} {
                return "line $line of [dict get $sample path]"
            }
        }
    }
    return ""
}

# The type list as runs {count letter}, a missing count being 1.
proc ::parmix::TypeRuns {text} {
    set compact [string map {" " "" , "" \t ""} $text]
    if {![regexp {^([0-9]*[CcDd])+$} $compact]} {
        Fail USAGE "The type list \"$text\" is not made of the letters C and D,\
            each one optionally after a repeat count (as in 14C6D)."
    }
    lmap {- count letter} [regexp -all -inline {([0-9]*)([CcDd])} $compact] {
        # Leading zeros must not make the count octal.
        regsub {^0+(?=[0-9])} $count "" count
        list [expr {$count eq "" ? 1 : $count}] [string toupper $letter]
    }
}

# The type letter of every locus record of a parental file: the first
# character of its data part.
proc ::parmix::TypesFromParental {path} {
    set records [Records $path Parental {INPUT PARENTAL}]
    set types {}
    set r 0
    foreach record [lrange $records 1 end] {
        incr r
        set letter [string toupper [string index [string trimleft [lindex $record 2]] 0]]
        if {$letter ni {C D}} {
            Fail {INPUT PARENTAL} "On line $r of the parental file $path, the locus\
                type designation is not C or D."
        }
        lappend types $letter
    }
    return $types
}

# The records of a file in either input format: a list of {line label data},
# line counting the file's lines from 1, the header record first.  The
# first word of the file must be KEYWORD.  A file whose '\n' line ends give
# it a single record is taken to end its lines with '\r', as the command
# takes it.
proc ::parmix::Records {path keyword kind} {
    set text [ReadBytes $path $kind]
    if {![regexp {^\s*(\S+)} $text -> first] || $first ne $keyword} {
        Fail $kind "Check that $path is a text file and that $keyword is the\
            first word on the first line."
    }
    set lines [split $text \n]
    if {[llength [lsearch -all $lines *#*]] == 1} {
        set lines [split $text \r]
    }
    set records {}
    set line 0
    foreach text $lines {
        incr line
        set hash [string first # $text]
        if {$hash >= 0} {
            lappend records [list $line [string trim [string range $text 0 $hash-1]] \
                                 [string range $text $hash+1 end]]
        }
    }
    if {![llength $records]} {
        Fail $kind "File $path holds no '#': its header record must follow the\
            first '#' of the file."
    }
    return $records
}

# A reference file read into a dict: path, names (the header's words) and
# loci, one {line label tokens paired} per locus record, paired being 1 when
# the record gives every individual one word of two designations joined by
# '/', ',' or ';' (a genotype plainly written as a pair).
proc ::parmix::ReadReferenceFile {path} {
    set records [Records $path Individual {INPUT REFERENCE}]
    set names [regexp -all -inline {\S+} [lindex $records 0 2]]
    if {![llength $names]} {
        Fail {INPUT REFERENCE} "The header record of $path (line [lindex $records 0 0])\
            names no individual."
    }
    set loci {}
    foreach record [lrange $records 1 end] {
        lassign $record line label data
        set tokens [regexp -all -inline {[^\s,;/]+} $data]
        set words [regexp -all -inline {\S+} $data]
        set paired [expr {[llength $words] == [llength $names]
                          && [llength [lsearch -all -not -regexp $words \
                                           {^[^,;/]+[,;/][^,;/]+$}]] == 0}]
        lappend loci [list $line $label $tokens $paired]
    }
    return [dict create path $path names $names loci $loci]
}

# The value of one designation: an integer (the number truncated toward
# zero), or the empty string for missing data.
proc ::parmix::Designation {token} {
    # scan reads decimal numbers only, as the C library does (a leading zero
    # does not make a number octal here).
    if {[scan $token {%f%n} number length] != 2 || $length != [string length $token]
            || abs($number) == Inf} {
        return ""
    }
    set value [expr {entier($number)}]
    if {$value == -9999} {
        return ""
    }
    return $value
}

# Raises the error of a faulty locus record of SAMPLE.
proc ::parmix::BadRecord {sample locus what} {
    lassign [lindex [dict get $sample loci] $locus] line
    Fail {INPUT REFERENCE} "On line $line of the reference file\
        [dict get $sample path] (locus record [expr {$locus + 1}]), $what."
}

# The designations of SAMPLE at LOCUS, PER_IND tokens per individual, after
# checking their number.
proc ::parmix::LocusTokens {sample locus perInd kind} {
    set tokens [lindex [dict get $sample loci] $locus 2]
    set needed [expr {$perInd * [llength [dict get $sample names]]}]
    if {[llength $tokens] != $needed} {
        set each [expr {$perInd == 2 ? "two per individual" : "one per individual"}]
        BadRecord $sample $locus "there are [llength $tokens] designations for\
            [llength [dict get $sample names]] individuals; a $kind locus takes $each"
    }
    return $tokens
}

# Allele counts of SAMPLE at codominant LOCUS: a dict allele -> count over
# the genotypes whose two alleles are both known.
proc ::parmix::AlleleCounts {sample locus} {
    variable maxAlleleNumber
    set counts {}
    foreach {a b} [LocusTokens $sample $locus 2 codominant] {
        set pair [list [Designation $a] [Designation $b]]
        foreach allele $pair token [list $a $b] {
            if {$allele ne "" && ($allele < 1 || $allele > $maxAlleleNumber)} {
                BadRecord $sample $locus "the allele designation $token is not an\
                    allele number (1 to $maxAlleleNumber) nor missing data"
            }
        }
        if {"" in $pair} continue
        foreach allele $pair {
            dict incr counts $allele
        }
    }
    return $counts
}

# The allele counts of both samples (dicts allele -> count) as two lists of
# {count seen} pairs for alleles 1 to k, k being the largest allele in SEEN;
# seen is 1 for the alleles of SEEN, which alone take a pseudo-count.  With
# a renumbering MAP only the alleles of SEEN are listed, in its order.
proc ::parmix::AlleleTallies {counts seen map} {
    set k [tcl::mathfunc::max 0 {*}$seen]
    set alleles [expr {[llength $map] ? $seen : [lsort -integer [Range 1 $k]]}]
    lmap c $counts {
        lmap a $alleles {
            list [expr {[dict exists $c $a] ? [dict get $c $a] : 0}] \
                [expr {$a in $seen}]
        }
    }
}

proc ::parmix::Range {from to} {
    set values {}
    for {set a $from} {$a <= $to} {incr a} {lappend values $a}
    return $values
}

# Phenotype counts of SAMPLE at dominant LOCUS: {present absent}.
proc ::parmix::PhenotypeCounts {sample locus} {
    set present 0
    set absent 0
    foreach token [LocusTokens $sample $locus 1 dominant] {
        switch -- [Designation $token] {
            1 {incr present}
            0 {incr absent}
            "" {}
            default {
                BadRecord $sample $locus "the designation $token at a dominant locus\
                    is neither 1 (band present), 0 (absent) nor missing data"
            }
        }
    }
    return [list $present $absent]
}

# The {count seen} pairs of both samples at locus I: one per allele at a
# codominant locus (see AlleleTallies), band present and band absent at a
# dominant one.
proc ::parmix::LocusTallies {samples i type seen map} {
    if {$type eq "C"} {
        return [AlleleTallies [lmap sample $samples {AlleleCounts $sample $i}] $seen $map]
    }
    lmap sample $samples {
        lmap count [PhenotypeCounts $sample $i] {list $count 1}
    }
}

# The parental record of locus I: {label type R-frequencies S-frequencies}.
proc ::parmix::ParentalRecord {samples i type pseudo tallies} {
    set frequencies {}
    foreach tally $tallies sample $samples {
        lappend frequencies [Frequencies $sample $i $tally $type $pseudo]
    }
    set label [lindex [dict get [lindex $samples 0] loci] $i 1]
    if {$label eq ""} {
        set label L[expr {$i + 1}]
    }
    return [list $label $type {*}$frequencies]
}

# The counts file's row of one locus: label, type, then R's and S's counts,
# '-' for an allele seen nowhere (it takes no pseudo-count).  A tab in the
# label would split the row, so it becomes a blank.
proc ::parmix::CountsRow {label type tallies} {
    set row [list [string map {\t " "} $label] $type]
    foreach tally $tallies {
        lappend row [join [lmap pair $tally {
            lassign $pair count seen
            expr {$seen ? $count : "-"}
        }] " "]
    }
    join $row \t
}

# The text of the counts file: comment lines, the pseudo-count line, the
# header and one row per locus.
proc ::parmix::CountsText {r s parental pseudo rows} {
    set lines [list \
        "# Counts of the reference samples R = [file tail $r], S = [file tail $s]" \
        "# behind the parental file [file tail $parental].  Per locus: label, type, then" \
        "# the counts in R and in S, one per allele at a codominant locus ('-' for an" \
        "# allele seen nowhere, which takes no pseudo-count), band present and band" \
        "# absent at a dominant one." \
        "pseudo-count\t[format %.17g $pseudo]" \
        "locus\ttype\tR\tS"]
    return [join [concat $lines $rows] \n]\n
}

# Frequencies from the {count seen} pairs TALLY of one sample, each count
# of a seen allele (or phenotype) raised by the pseudo-count.  At a
# dominant locus only the first one, the share of band present, goes into
# the parental file.
proc ::parmix::Frequencies {sample locus tally type pseudo} {
    set total [tcl::mathop::+ 0 {*}[lmap pair $tally {lindex $pair 0}]]
    if {$total == 0} {
        BadRecord $sample $locus "no individual has a known genotype, so its\
            frequencies cannot be counted"
    }
    set nSeen [tcl::mathop::+ 0 {*}[lmap pair $tally {lindex $pair 1}]]
    set denominator [expr {$total + $nSeen * $pseudo}]
    set frequencies [lmap pair $tally {
        lassign $pair count seen
        expr {($count + $seen * $pseudo) / $denominator}
    }]
    if {$type eq "D"} {
        set frequencies [lrange $frequencies 0 0]
    }
    return $frequencies
}

# The text of the parental file.  Ten significant digits keep the sum of a
# locus's frequencies within the command's tolerance of 1; a '#' in a file
# name would start a record, so the comment line has none.
proc ::parmix::ParentalText {r s pseudo records} {
    set names [string map {# _} "R = [file tail $r], S = [file tail $s]"]
    set lines [list Parental \
                   "Frequencies counted from reference samples: $names" \
                   "(pseudo-count [format %g $pseudo])" \
                   "locus # type, frequencies in R, then in S"]
    foreach record $records {
        lassign $record label type fR fS
        lappend lines "$label # $type [FormatFrequencies $fR]   [FormatFrequencies $fS]"
    }
    return [join $lines \n]\n
}

proc ::parmix::FormatFrequencies {frequencies} {
    join [lmap f $frequencies {format %.10g $f}] " "
}
