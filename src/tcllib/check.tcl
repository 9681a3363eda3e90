# What parmix understands of a pair of input files, as text for a person:
# the report of `parmix --check`, the warnings the program gives before a
# run, and a copy of the individual file with refused genotypes set
# missing.  The facts come from the command ::parmix::check (a dict; see
# the manual page parmix(n)); nothing here reads the genotypes itself.

namespace eval ::parmix {
    namespace export check checkText checkWarnings maskRefused
    # Share of designations read as missing from unusual spellings above
    # which a run warns.
    variable unusualShareLimit 0.05
}

# The share A of B as a percentage with one decimal, or "0.0%".
proc ::parmix::Percent {a b} {
    if {$b == 0} {return 0.0%}
    return [format %.1f%% [expr {100.0 * $a / $b}]]
}

# "N THING" with the plural PLURAL for any N but 1.
proc ::parmix::Count {n thing plural} {
    return "$n [expr {$n == 1 ? $thing : $plural}]"
}

# The locus ENTRY of the check's loci as a dict of its own.  The check
# gives each locus as a flat list of keys and values (a dict by value, at a
# fraction of a dict's memory); looking into the entry itself would turn
# it into a dict for as long as the check lives.
proc ::parmix::LocusDict {entry} {
    return [dict create {*}$entry]
}

# The line of the locus dict L, the COUNTER-th of the check's loci: its own
# line when the check listed only the notable loci (-loci notable).
proc ::parmix::LocusLine {l counter} {
    if {[dict exists $l line]} {
        return [dict get $l line]
    }
    return $counter
}

# "locus LABEL (line N)" for a locus dict of the check or an entry naming
# one ("locus in line N" when it has no label of its own): the words in
# which every message about a locus names it.
proc ::parmix::locusPhrase {label line} {
    if {$label eq "row $line" || $label eq ""} {
        return "locus in line $line"
    }
    return "locus $label (line $line)"
}

# A line for each of the files PARENTAL and INDIVIDUAL that starts with a
# UTF-8 byte-order mark (EF BB BF, which some editors write): parmix reads
# the mark as part of the file's first word, which then is not the keyword.
proc ::parmix::byteOrderMarkLines {parental individual} {
    set lines {}
    foreach path [list $parental $individual] kind {parental individual} {
        if {[StartsWithByteOrderMark $path]} {
            lappend lines "The $kind file starts with a UTF-8 byte-order mark (the\
                bytes EF BB BF some editors write), which parmix reads as part of\
                its first word: save the file without it."
        }
    }
    return $lines
}

# True when the text of the file PATH (decompressed, if gzip data) starts
# with the byte-order mark; false for a file that cannot be read.
proc ::parmix::StartsWithByteOrderMark {path} {
    if {[file isdirectory $path] || [catch {open $path rb} chan]} {return 0}
    try {
        if {[read $chan 2] eq "\x1f\x8b"} {
            seek $chan 0
            zlib push gunzip $chan
            fconfigure $chan -translation binary
        } else {
            seek $chan 0
        }
        return [expr {[read $chan 3] eq "\xEF\xBB\xBF"}]
    } on error {} {
        return 0
    } finally {
        close $chan
    }
}

# The lines of the check report, one string each, for the dict D of
# ::parmix::check.
proc ::parmix::checkText {d} {
    set lines [CheckRecordLines $d]
    if {[dict get $d parentalRead]} {
        lappend lines {*}[CheckLociLines $d]
    }
    if {[dict get $d individualsRead]} {
        lappend lines {*}[CheckIndividualLines $d]
        lappend lines {*}[CheckProblemLines $d]
    }
    if {[dict get $d ok]} {
        lappend lines "The files would run."
    } else {
        lappend lines "The files would not run: [dict get $d error]"
    }
    return [join $lines \n]\n
}

proc ::parmix::CheckRecordLines {d} {
    set p [dict get $d records parental]
    set i [dict get $d records individual]
    set lines [list "Records (header included): parental file $p, individual file $i."]
    if {$p != $i && $p > 0 && $i > 0} {
        lappend lines "The parental file gives [expr {$p - 1}] loci, the individual\
            file [expr {$i - 1}]."
    }
    return $lines
}

proc ::parmix::CheckLociLines {d} {
    set cod {}
    set dom 0
    set excluded {}
    set weak {}
    foreach entry [dict get $d loci] {
        set l [LocusDict $entry]
        if {[dict get $l type] eq "D"} {
            incr dom
        } else {
            lappend cod [dict get $l alleles]
        }
        set name [expr {[dict get $l label] ne "" ? [dict get $l label] : "?"}]
        if {[dict get $l excluded]} {lappend excluded $name}
        if {[dict get $l weak]} {lappend weak $name}
    }
    set text "Loci: [llength [dict get $d loci]] ([llength $cod] codominant"
    if {[llength $cod]} {
        set cod [lsort -integer $cod]
        set range [lindex $cod 0]
        if {[lindex $cod end] != $range} {append range " to [lindex $cod end]"}
        append text " with $range alleles"
    }
    append text ", $dom dominant)."
    set lines [list $text]
    lappend lines "Not used (identical parental frequencies): [llength $excluded][ListTail $excluded]."
    lappend lines "Weakly differing (by less than 0.05): [llength $weak][ListTail $weak]."
    return $lines
}

proc ::parmix::ListTail {names} {
    if {![llength $names]} {return ""}
    return " ([join $names {, }])"
}

proc ::parmix::CheckIndividualLines {d} {
    set individuals [dict get $d individuals]
    set used 0
    foreach entry [dict get $d loci] {
        set l [LocusDict $entry]
        if {![dict get $l excluded]} {incr used}
    }
    set lines [list "Individuals: [llength $individuals]."]
    lappend lines "Missing genotypes per locus (of [llength $individuals] individuals):"
    set line 0
    foreach entry [dict get $d loci] {
        set l [LocusDict $entry]
        incr line
        if {[dict get $l excluded]} continue
        lappend lines [format "  %-20s %s %3d alleles %6d missing %7s" [dict get $l label] \
            [dict get $l type] [dict get $l alleles] [dict get $l missing] \
            [Percent [dict get $l missing] [llength $individuals]]]
    }
    lappend lines "Loci with data per individual (of $used used loci):"
    foreach ind $individuals {
        lappend lines [format "  %-20s %6d with data %6d missing %7s" [dict get $ind name] \
            [dict get $ind loci] [dict get $ind missing] \
            [Percent [dict get $ind missing] $used]]
    }
    return $lines
}

# Every problem found, each on its own line: what the run warns about too.
proc ::parmix::CheckProblemLines {d} {
    set lines {}
    foreach t [dict get $d unusualTokens] {
        lappend lines "Read as missing data: \"[dict get $t token]\" [dict get $t count]\
            times, first at [locusPhrase [dict get $t locus] [dict get $t line]],\
            individual [dict get $t individual]."
    }
    foreach r [dict get $d refused] {
        set what [expr {[dict get $r kind] eq "range"
            ? "Designation outside every allele of the parental file"
            : "Allele neither parent has"}]
        lappend lines "$what: individual [dict get $r individual],\
            [locusPhrase [dict get $r locus] [dict get $r line]], designation\
            [dict get $r designation]."
    }
    set line 0
    foreach entry [dict get $d loci] {
        set l [LocusDict $entry]
        incr line
        set u [dict get $l unknown]
        set o [dict get $l outOfRange]
        if {$u + $o} {
            lappend lines "Refused genotypes at [locusPhrase [dict get $l label] [LocusLine $l $line]]:\
                $u with an allele neither parent has, $o out of range."
        }
    }
    lappend lines {*}[RawSizeLines $d]
    foreach b [dict get $d pairingBreaks] {
        lappend lines [PairingLine $d $b]
    }
    lappend lines {*}[BandLines $d]
    return $lines
}

proc ::parmix::PairingLine {d b} {
    set n [llength [dict get $d individuals]]
    set text "Line [dict get $b line] of the individual file (locus\
        [dict get $b locus]) holds [dict get $b designations] designations\
        for $n individuals"
    if {[dict get $b individual] eq ""} {
        return "$text: they do not pair up."
    }
    if {[dict get $b token] ne ""} {
        return "$text: the pairing breaks at individual [dict get $b individual],\
            whose genotype is the single designation \"[dict get $b token]\"\
            (write NA/NA for a missing genotype)."
    }
    return "$text: they run out at individual [dict get $b individual]."
}

# Designations far above every allele count look like fragment sizes
# rather than allele numbers.
proc ::parmix::RawSizeLines {d} {
    set largest 0
    set loci {}
    foreach r [dict get $d refused] {
        set v [dict get $r designation]
        if {[dict get $r kind] eq "range" && [string is integer -strict $v] && $v > 0} {
            set largest [expr {max($largest, $v)}]
            dict set loci [dict get $r line] 1
        }
    }
    set maxAlleles 0
    if {[dict exists $d mostAlleles]} {
        set maxAlleles [dict get $d mostAlleles]
    }
    foreach entry [dict get $d loci] {
        set l [LocusDict $entry]
        set maxAlleles [expr {max($maxAlleles, [dict get $l alleles])}]
    }
    if {$largest < 50 || $largest < 3 * $maxAlleles} {return {}}
    return [list "Designations up to $largest at [Count [dict size $loci] locus loci] lie far above\
        the largest allele count of the parental file ($maxAlleles): they look like\
        raw fragment sizes; alleles are numbered 1 to k at each locus."]
}

proc ::parmix::BandLines {d} {
    set lines {}
    set line 0
    foreach entry [dict get $d loci] {
        set l [LocusDict $entry]
        incr line
        if {[dict get $l type] ne "D" || [dict get $l excluded]} continue
        if {[dict get $l bandPlace] == 0} continue
        lappend lines "Dominant [locusPhrase [dict get $l label] [LocusLine $l $line]]: [dict get $l bands]\
            of [dict get $l scored] study individuals show the band, outside any mixture\
            of the parental band frequencies [format %.3g [dict get $l bandR]] and\
            [format %.3g [dict get $l bandS]]."
    }
    if {[dict get $d alleleFrequencySign]} {
        lappend lines "The dominant loci look as if the parental file gave allele\
            frequencies where the frequencies of the dominant phenotype (the band)\
            belong: the study individuals show the band more often than either\
            parent allows."
    }
    return $lines
}

# The warnings of a run for the dict D, one line each without the program's
# prefix: the problems of the check, folded into one line per kind.  D may
# list every locus or only the notable ones (-loci notable): the warnings
# are the same.
# With -refused 0 the genotypes refused by the analysis are not warned
# about (a caller that sets them missing reports them itself).
proc ::parmix::checkWarnings {d args} {
    variable unusualShareLimit
    set options [Options checkWarnings {-refused 1} $args]
    set warnings {}
    if {![dict get $d individualsRead]} {return $warnings}
    set total [dict get $d designations]
    set unusual [dict get $d unusualTotal]
    if {$total > 0 && $unusual > $unusualShareLimit * $total} {
        set spellings {}
        foreach t [dict get $d unusualTokens] {
            lappend spellings "\"[dict get $t token]\" [dict get $t count] times"
        }
        lappend warnings "[Percent $unusual $total] of the designations ($unusual of\
            $total) were read as missing data from unusual spellings\
            ([join $spellings {, }]); missing data are written NA, ?, - or -9999."
    }
    if {[dict get $options -refused]} {
        lappend warnings {*}[RefusedWarnings $d]
    }
    lappend warnings {*}[RawSizeLines $d]
    foreach b [dict get $d pairingBreaks] {
        lappend warnings [PairingLine $d $b]
    }
    lappend warnings {*}[NoDataWarnings $d]
    lappend warnings {*}[BandLines $d]
    return $warnings
}

proc ::parmix::RefusedWarnings {d} {
    # One refused genotype is named by the run's own message; more call for
    # the list of the check.
    set n [llength [dict get $d refused]]
    if {$n < 2} {return {}}
    set loci 0
    foreach entry [dict get $d loci] {
        set l [LocusDict $entry]
        if {[dict get $l unknown] + [dict get $l outOfRange]} {incr loci}
    }
    return [list "$n genotypes at [Count $loci locus loci] carry an allele that neither parental\
        population has or that lies outside every allele of the parental file\
        (parmix --check lists them; --unknown-alleles missing counts them as\
        missing data)."]
}

proc ::parmix::NoDataWarnings {d} {
    set warnings {}
    set n [llength [dict get $d individuals]]
    set line 0
    foreach entry [dict get $d loci] {
        set l [LocusDict $entry]
        incr line
        set refused [expr {[dict get $l unknown] + [dict get $l outOfRange]}]
        if {$n > 0 && ![dict get $l excluded] && [dict get $l missing] == $n && !$refused} {
            lappend warnings "[string totitle [locusPhrase [dict get $l label] [LocusLine $l $line]] 0 0]\
                has no data in any individual."
        }
    }
    return $warnings
}

# Writes to OUT a copy of the individual file INDIVIDUAL in which every
# genotype of REFUSED (the refused list of the check) is written NA NA, or
# NA at a dominant locus; everything else is copied byte for byte.
proc ::parmix::maskRefused {individual refused out} {
    set masks {}
    foreach r $refused {
        set p [dict get $r position]
        set columns [expr {[dict get $r type] eq "D" ? [list [expr {$p - 1}]]
                           : [list [expr {2 * $p - 2}] [expr {2 * $p - 1}]]}]
        dict lappend masks [dict get $r line] {*}$columns
    }
    set text [Uncompressed [ReadBytes $individual {INPUT INDIVIDUAL}] $individual]
    set eol [expr {[regexp -- {#[^\n]*\n[^#]*#} $text] || [string first \r $text] < 0 ? "\n" : "\r"}]
    set result ""
    set at [string first # $text]
    set inputs [list [list "individual file" $individual]]
    if {$at < 0} {return [WriteOutput [list "masked file" $out] $text $inputs -bytes 1]}
    set line 0
    while {$at >= 0} {
        set end [string first $eol $text $at]
        if {$end < 0} {set end [string length $text]}
        append result [string range $text 0 $at]
        set data [string range $text $at+1 $end-1]
        if {$line >= 1 && [dict exists $masks $line]} {
            set data [MaskRecord $data [dict get $masks $line]]
        }
        append result $data
        set text [string range $text $end end]
        set at [string first # $text]
        incr line
    }
    append result $text
    WriteOutput [list "masked file" $out] $result $inputs -bytes 1
}

# The data part DATA with the designations in COLUMNS (0-based, in the
# reader's order of words) written NA.
proc ::parmix::MaskRecord {data columns} {
    set spans [regexp -all -inline -indices {[^\s,;/]+} $data]
    foreach column [lsort -integer -decreasing -unique $columns] {
        set span [lindex $spans $column]
        if {![llength $span]} continue
        lassign $span from to
        set data [string replace $data $from $to NA]
    }
    return $data
}

# The text of DATA, the bytes of the input file PATH: as they are, or
# decompressed when they are gzip data, as a single member or as the blocks
# of bgzip (whose headers give each block's size).
proc ::parmix::Uncompressed {data path} {
    if {[string range $data 0 1] ne "\x1f\x8b"} {return $data}
    set text ""
    while {[string length $data]} {
        set size [BgzfBlockSize $data]
        if {$size == 0} {
            # One member: its trailer gives the length of its text.  Members
            # whose sizes no header gives cannot be told apart here.
            set member [zlib gunzip $data]
            binary scan [string range $data end-3 end] iu length
            if {$length != ([string length $member] & 0xffffffff)} {
                Fail {INPUT INDIVIDUAL} "The compressed file $path holds several\
                    gzip members: recompress it with bgzip or gzip, or decompress it."
            }
            return $text$member
        }
        append text [zlib gunzip [string range $data 0 $size-1]]
        set data [string range $data $size end]
    }
    return $text
}

# The size of the bgzip block at the start of DATA (its BC extra field), or
# 0 when its header has none.
proc ::parmix::BgzfBlockSize {data} {
    if {[binary scan $data cucucucu x x method flags] != 4 || !($flags & 4)} {return 0}
    binary scan $data @10su xlen
    set at 12
    while {$at + 4 <= 12 + $xlen} {
        binary scan $data @${at}aasu si1 si2 slen
        if {$si1 eq "B" && $si2 eq "C" && $slen == 2} {
            binary scan $data @[expr {$at + 4}]su bsize
            return [expr {$bsize + 1}]
        }
        incr at [expr {4 + $slen}]
    }
    return 0
}
