# Reports as data: a report file read back into Tcl values, and its rows
# written as a tab-separated table for R, Python or a spreadsheet.
#
# The reader accepts exactly what the command writes: the time-stamp line,
# the notes on excluded and weakly differing loci, the header, the rows and
# the closing note.  Anything else, including the shortened report of a
# failed run, is refused, so a table is never made from half a report.

namespace eval ::parmix {
    variable reportHeader {^\s*Individual\s+h\s+Lower_Bound\s+Upper_Bound$}
    variable closingNote [list \
        {Note: A * symbol indicates that the confidence interval is truncated by} \
        {the upper or lower limit for h.}]
    # The lines of the notes on loci, by the line's role; only the first line
    # of each note carries a number that is kept.
    variable noteLines {
        excluded {^The locus in row ([0-9]+) \(of the parental file\) was not used in the calculation$}
        - {^of the hybrid index, because its parental allele frequencies do not$}
        - {^differ by more than [-+.0-9e]+\.$}
        weak {^The hybrid index for these data includes ([0-9]+)/([0-9]+) loci for which parental$}
        - {^allele frequencies do not differ by [-+.0-9e]+ or more\.$}
    }
    # A run from VCF names the sites it left out (the first few dozen, then
    # a count) where the text path names rows of the parental file.
    lappend noteLines \
        - {^Sites not used in the calculation of the hybrid index, because their$} \
        - {^parental allele frequencies do not differ by more than [-+.0-9e]+:$} \
        excludedSite {^  ([^ ]+)$} \
        moreExcludedSites {^  and ([0-9]+) more\.$}
    # The note of a run from VCF that used corrections for sequencing data
    # or small reference samples: each line's role is the correction's tag
    # in the table's corrections column.
    lappend noteLines \
        - {^Corrections used:$} \
        genotype-likelihoods {^  genotype likelihoods \((PL|GL)\) of the study individuals[;.]$} \
        reference-frequencies=gl {^  parental frequencies by EM from the reference samples' likelihoods[;.]$} \
        reference-frequencies=gt {^  parental frequencies counted from the calls \(GT\)[;.]$} \
        reference-uncertainty {^  the parental frequencies' uncertainty \(Dirichlet posteriors of the counts\)[;.]$}
    # The place of a shard's report in its run, for the merge; the rows
    # are read as those of any report.
    lappend noteLines \
        shard {^Shard [0-9]+ of [0-9]+: [0-9]+ of [0-9]+ study individuals, after the first [0-9]+\.$}
}

# Reads the report file PATH.  Returns a dict:
#   timestamp  the text of the time-stamp line after "Time-stamp: "
#   excluded   the rows (of the parental file) of the loci left out
#   excludedSites (only in the report of a run from VCF that left sites
#              out) {named LIST more N}: the sites named, CHROM:POS, and how
#              many more were left out
#   weak       {count N loci M} from the note on weakly differing loci, or
#              an empty dict when the report has no such note
#   corrections (only when the report notes corrections) their tags, e.g.
#              genotype-likelihoods=PL reference-frequencies=gl
#   rows       one dict per individual, in report order, with the keys name,
#              h, lower, upper (the report's numbers as written, or the empty
#              string for nan) and lowerCut, upperCut (1 when the limit is
#              marked "*", 0 when not, empty when the limit is undefined)
# With -inputs {PARENTAL INDIVIDUAL}, the files the report was made from,
# each row also has lociWithData and missingShare (as in writeTsv's table,
# missingShare empty where the table has NA).
proc ::parmix::readReport {path args} {
    set options [Options readReport {-inputs {}} $args]
    set lines [ReportLines $path]
    set timestamp [ReportTimestamp $path $lines]
    set at 1
    set notes [ReportNotes $path $lines at]
    set rows [ReportRows $path $lines at]
    ReportEnding $path $lines $at
    set counts [DataCounts [dict get $options -inputs]]
    if {[llength $counts]} {
        set rows [lmap row $rows pair $counts {dict merge $row [CountKeys $pair]}]
    }
    return [dict create timestamp $timestamp {*}$notes rows $rows]
}

# Writes the rows of the report file REPORT to the file TSV as
# tab-separated values, as writeRowsTsv writes rows; the report's notes give
# the corrections.  With -inputs {PARENTAL INDIVIDUAL}, the files the
# report was made from, the rows gain their data counts (loci_with_data and
# missing_share) from a check of those files; -counts LIST gives those
# pairs {loci_with_data missing_share} directly, one per row in report
# order, as parmix::genome returns them (its key counts); it goes instead
# of -inputs.  For a report made earlier, or joined from shards: the table
# of a run is written from the run's rows.
proc ::parmix::writeTsv {report tsv args} {
    set options [Options writeTsv {-inputs {} -counts {}} $args]
    set parsed [readReport $report]
    set rows [dict get $parsed rows]
    set counts [TsvCounts $options [llength $rows]]
    if {[llength $counts]} {
        set rows [lmap row $rows pair $counts {dict merge $row [CountKeys $pair]}]
    }
    set corrections {}
    if {[dict exists $parsed corrections]} {
        set corrections [dict get $parsed corrections]
    }
    WriteRows $rows $tsv $corrections [TsvInputs $report [dict get $options -inputs]]
}

# Writes ROWS, the hybrid-index rows as parmix::hybridIndex returns them
# (name, h, lower, upper, lowerCut, upperCut, and lociWithData and
# missingShare when the rows have them), to the file TSV as tab-separated
# values: a header line, then one line per row with name, h, lower, upper
# (5 decimals, as the report writes them), lower_cut, upper_cut, then
# loci_with_data and missing_share when the rows have their data counts.
# Undefined values are NA; the cut flags are TRUE or FALSE, which R and
# pandas both read as logical.  -corrections TAGS (the tags of the
# corrections used, e.g. reference-uncertainty) adds a last column,
# corrections, with the tags joined by commas on every row.  -report PATH
# and -inputs {PARENTAL INDIVIDUAL}, the report and the files of the run,
# are files the table may not replace.
proc ::parmix::writeRowsTsv {rows tsv args} {
    set options [Options writeRowsTsv {-corrections {} -report {} -inputs {}} $args]
    WriteRows $rows $tsv [dict get $options -corrections] \
        [TsvInputs [dict get $options -report] [dict get $options -inputs]]
}

# The table of ROWS with the corrections' TAGS into TSV, refused when it
# names one of INPUTS ({role path} pairs).
proc ::parmix::WriteRows {rows tsv tags inputs} {
    set header {name h lower upper lower_cut upper_cut}
    set counted [expr {[llength $rows] && [dict exists [lindex $rows 0] lociWithData]}]
    if {$counted} {
        lappend header loci_with_data missing_share
    }
    set corrections [join $tags ,]
    if {$corrections ne ""} {
        lappend header corrections
    }
    set lines [list [join $header \t]]
    foreach row $rows {
        set fields [list [dict get $row name]]
        foreach key {h lower upper} {
            lappend fields [TsvNumber [dict get $row $key]]
        }
        foreach key {lowerCut upperCut} {
            lappend fields [TsvFlag [dict get $row $key]]
        }
        if {$counted} {
            lappend fields [dict get $row lociWithData] [TsvValue [dict get $row missingShare]]
        }
        if {$corrections ne ""} {
            lappend fields $corrections
        }
        lappend lines [join $fields \t]
    }
    WriteOutput [list "table file" $tsv] [join $lines \n]\n $inputs
    return
}

# The files a table may not replace: the REPORT and the INPUTS of its run.
proc ::parmix::TsvInputs {report inputs} {
    set roles {}
    if {$report ne ""} {
        lappend roles [list "report file" $report]
    }
    foreach role {{parental file} {individual file}} path $inputs {
        lappend roles [list $role $path]
    }
    return $roles
}

# The keys of a row's data counts from the PAIR {loci_with_data
# missing_share} of the table: the share as written, empty for NA.
proc ::parmix::CountKeys {pair} {
    lassign $pair loci share
    if {$share eq "NA"} {
        set share ""
    }
    dict create lociWithData $loci missingShare $share
}

# The pairs of the table's data columns from writeTsv's OPTIONS, for a
# report of ROWS individuals; an empty list without them.
proc ::parmix::TsvCounts {options rows} {
    set given [dict get $options -counts]
    if {[llength $given] && [llength [dict get $options -inputs]]} {
        Fail USAGE "writeTsv: give either -inputs or -counts, not both"
    }
    if {![llength $given]} {
        return [DataCounts [dict get $options -inputs]]
    }
    if {[llength $given] != $rows} {
        Fail USAGE "writeTsv: -counts needs one pair per row of the report ($rows), not [llength $given]"
    }
    return $given
}

# Per individual of the two INPUTS files (none: an empty list) the pair
# {loci_with_data missing_share} as the check counts them.
proc ::parmix::DataCounts {inputs} {
    if {![llength $inputs]} {return {}}
    if {[llength $inputs] != 2} {
        Fail USAGE "writeTsv: -inputs takes the parental and the individual file"
    }
    set d [check {*}$inputs -firsterror 0]
    set counts {}
    foreach ind [dict get $d individuals] {
        set loci [dict get $ind loci]
        set used [expr {$loci + [dict get $ind missing]}]
        set share NA
        if {$used} {
            set share [format %.4f [expr {double($used - $loci) / $used}]]
        }
        lappend counts [list $loci $share]
    }
    return $counts
}

# A value as written (a data share comes with its 4 decimals), or NA.
proc ::parmix::TsvValue {value} {
    if {$value eq ""} {
        return NA
    }
    return $value
}

# A number of a row with the report's 5 decimals (the report's 1.00000
# stays 1.00000, a row's 1.0 becomes it), or NA.
proc ::parmix::TsvNumber {value} {
    if {$value eq ""} {
        return NA
    }
    return [format %.5f $value]
}

proc ::parmix::TsvFlag {flag} {
    expr {$flag eq "" ? "NA" : ($flag ? "TRUE" : "FALSE")}
}

# Raises the error of a file that is not a report, at LINE (from 1).
proc ::parmix::NotAReport {path line what} {
    Fail {REPORT FORMAT} "File $path is not a parmix report: line $line $what."
}

# The report's lines, read as UTF-8 (names are taken as written), with the
# line break of the last line dropped.
proc ::parmix::ReportLines {path} {
    set text [FromUtf8 [ReadBytes $path {REPORT READ}]]
    set text [string map {\r\n \n} $text]
    if {[string index $text end] eq "\n"} {
        set text [string range $text 0 end-1]
    }
    return [split $text \n]
}

proc ::parmix::ReportTimestamp {path lines} {
    if {![regexp {^Time-stamp: (.*)$} [lindex $lines 0] -> stamp]} {
        NotAReport $path 1 "is not its time-stamp line"
    }
    return [string trim $stamp]
}

# The notes between the time-stamp and the header; leaves the index of the
# header line in the variable named AT_VAR.
proc ::parmix::ReportNotes {path lines atVar} {
    upvar 1 $atVar at
    variable reportHeader
    variable noteLines
    set excluded {}
    set weak {}
    set corrections {}
    set sites {}
    for {} {$at < [llength $lines]} {incr at} {
        set line [lindex $lines $at]
        if {[regexp $reportHeader $line]} {
            set notes [dict create excluded $excluded weak $weak]
            if {[llength $sites]} {
                dict set notes excludedSites [dict merge {more 0} $sites]
            }
            if {[llength $corrections]} {
                dict set notes corrections $corrections
            }
            return $notes
        }
        if {[string trim $line] eq ""} continue
        set role [NoteLineRole $line $noteLines numbers]
        switch -- $role {
            excluded {lappend excluded [lindex $numbers 0]}
            excludedSite {dict lappend sites named [lindex $numbers 0]}
            moreExcludedSites {dict set sites more [lindex $numbers 0]}
            weak {set weak [dict create count [lindex $numbers 0] loci [lindex $numbers 1]]}
            genotype-likelihoods {lappend corrections $role=[lindex $numbers 0]}
            reference-frequencies=gl - reference-frequencies=gt - reference-uncertainty {
                lappend corrections $role
            }
            shard {}
            "" {NotAReport $path [expr {$at + 1}] "is neither a note on loci nor the header line"}
        }
    }
    Fail {REPORT FORMAT} "File $path ends before its header line: the run that\
        wrote it failed, so it holds no results."
}

# The role of LINE among the note lines ("-" for a line that continues a
# note, empty when it is none of them); the numbers it carries go into the
# variable named NUMBERS_VAR.
proc ::parmix::NoteLineRole {line noteLines numbersVar} {
    upvar 1 $numbersVar numbers
    foreach {role pattern} $noteLines {
        set match [regexp -inline $pattern $line]
        if {[llength $match]} {
            set numbers [lrange $match 1 end]
            return $role
        }
    }
    return ""
}

# The rows after the header, up to the empty line before the closing note;
# leaves the index of that empty line in the variable named AT_VAR.
proc ::parmix::ReportRows {path lines atVar} {
    upvar 1 $atVar at
    set rows {}
    for {incr at} {$at < [llength $lines]} {incr at} {
        set line [lindex $lines $at]
        if {$line eq ""} {
            return $rows
        }
        lappend rows [ReportRow $path [expr {$at + 1}] $line]
    }
    Fail {REPORT FORMAT} "File $path ends early: the closing note after its rows is\
        missing, so rows may be missing too."
}

proc ::parmix::ReportRow {path lineNumber line} {
    set pattern {^\s*(\S+)\s+(\S+)\s+(\S+?)(\*?)\s+(\S+?)(\*?)$}
    if {![regexp $pattern $line -> name h lower lowerMark upper upperMark]} {
        NotAReport $path $lineNumber "is not a row of name, h and two limits"
    }
    set row [dict create name $name]
    foreach key {h lower upper} {
        set value [set $key]
        if {[regexp {^-?nan$} $value]} {
            set value ""
        } elseif {![regexp {^[0-9]+\.[0-9]+$} $value]} {
            NotAReport $path $lineNumber "has \"$value\" where a number or nan belongs"
        }
        dict set row $key $value
    }
    foreach key {lower upper} mark [list $lowerMark $upperMark] {
        if {[dict get $row $key] eq ""} {
            if {$mark ne ""} {
                NotAReport $path $lineNumber "marks an undefined limit as cut"
            }
            dict set row ${key}Cut ""
        } else {
            dict set row ${key}Cut [expr {$mark eq "*"}]
        }
    }
    return $row
}

# The empty line at AT, the two lines of the closing note, and nothing after.
proc ::parmix::ReportEnding {path lines at} {
    variable closingNote
    set ending [lrange $lines $at+1 end]
    if {[lindex $ending 0] ne [lindex $closingNote 0]
            || [lindex $ending 1] ne [lindex $closingNote 1]} {
        Fail {REPORT FORMAT} "File $path ends early: the closing note after its rows is\
            missing, so rows may be missing too."
    }
    if {[llength $ending] > 2} {
        NotAReport $path [expr {$at + 4}] "follows the closing note"
    }
}
