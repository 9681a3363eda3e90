# The program's checks of its input files: `parmix --check`, the warnings
# on standard error before and after an analysis, --unknown-alleles
# missing, and the data counts of the table.  Sourced by program.tcl.

namespace eval ::parmix::program {}

# The mode of a call with --check: only an analysis's two files go with it.
proc ::parmix::program::CheckMode {mode options} {
    if {$mode ne "analysis"} {
        Usage "--check does not go with --[expr {$mode eq "reference" ? "parental-from" : "ancestry"}]"
    }
    foreach name [dict keys $options] {
        Usage "option $name does not go with --check"
    }
    return check
}

# A line about a file written: on standard output, or on standard error
# when the table goes to standard output; none under --quiet.
proc ::parmix::program::Notice {call text} {
    if {[dict exists $call quiet] && [dict get $call quiet]} {
        return
    }
    if {[dict exists $call tsvToStdout]} {
        puts stderr [string map [list [dict get $call tsvToStdout] "standard output"] $text]
    } else {
        puts $text
    }
}

# Runs SCRIPT (in the caller) with the input file "-" of the call in the
# caller's variable CALL_VAR replaced by a temporary copy of standard input
# (the run reads each file several times), and --tsv - by a temporary table
# copied to standard output afterwards.  Messages name "-" for the copy.
proc ::parmix::program::WithStreams {callVar script} {
    upvar 1 $callVar call
    set files [dict get $call files]
    if {[llength [lsearch -all -exact $files -]] > 1} {
        Usage "only one of the two files can be read from standard input"
    }
    set temporary {}
    set at [lsearch -exact $files -]
    if {$at >= 0} {
        set chan [file tempfile copy parmix-stdin]
        fconfigure stdin -translation binary
        fconfigure $chan -translation binary
        fcopy stdin $chan
        close $chan
        lappend temporary $copy
        dict set call files [lreplace $files $at $at $copy]
    }
    set table ""
    if {[dict exists $call options --tsv] && [dict get $call options --tsv] eq "-"} {
        close [file tempfile table parmix-table.tsv]
        lappend temporary $table
        dict set call options --tsv $table
        dict set call tsvToStdout $table
    }
    try {
        uplevel 1 $script
        if {$table ne ""} {
            set chan [open $table rb]
            fconfigure stdout -translation binary
            fcopy $chan stdout
            close $chan
        }
    } on error {message options} {
        if {$at >= 0} {
            set message [string map [list $copy -] $message]
        }
        return -options $options $message
    } finally {
        file delete {*}$temporary
    }
}

# --check: the report of the check on standard output; a failure of the
# files becomes the program's error, with the analysis's message.
proc ::parmix::program::RunCheck {call} {
    WithStreams call {RunCheckOn $call}
}

proc ::parmix::program::RunCheckOn {call} {
    lassign [dict get $call files] parental individual
    set d [::parmix::check $parental $individual]
    puts -nonewline [::parmix::checkText $d]
    if {![dict get $d ok]} {
        return -code error -errorcode [list PARMIX INPUT [dict get $d fault]] [dict get $d error]
    }
}

proc ::parmix::program::Warn {call text} {
    if {![dict get $call quiet]} {
        puts stderr "parmix: warning: $text"
    }
}

# The analysis with the checks around it: warnings first, refused genotypes
# set missing in a temporary copy when asked, the run on what is left, then
# a warning when most individuals got no estimate.
proc ::parmix::program::RunCheckedAnalysis {call} {
    WithStreams call {RunCheckedAnalysisOn $call}
}

proc ::parmix::program::RunCheckedAnalysisOn {call} {
    lassign [dict get $call files] parental individual
    # The analysis itself finds the first error.
    set d [::parmix::check $parental $individual -firsterror 0]
    set masking [expr {[dict exists $call options --unknown-alleles]
                       && [dict get $call options --unknown-alleles] eq "missing"}]
    foreach text [::parmix::checkWarnings $d -refused [expr {!$masking}]] {
        Warn $call $text
    }
    set copy ""
    if {$masking && [llength [dict get $d refused]]} {
        set copy [MaskedCopy $call $d $individual]
        dict set call files [list $parental $copy]
    }
    dict set call counted [list $parental [lindex [dict get $call files] 1]]
    try {
        RunAnalysis $call
    } finally {
        if {$copy ne ""} {file delete $copy}
    }
    WarnWithoutEstimates $call
}

# A temporary copy of the individual file with the refused genotypes of the
# check D written NA, and a count per locus on standard error.
proc ::parmix::program::MaskedCopy {call d individual} {
    set chan [file tempfile copy parmix-individuals.txt]
    close $chan
    ::parmix::maskRefused $individual [dict get $d refused] $copy
    set counts {}
    foreach r [dict get $d refused] {
        dict incr counts [::parmix::LocusWords [dict get $r locus] [dict get $r line]]
    }
    dict for {locus n} $counts {
        if {![dict get $call quiet]} {
            puts stderr "parmix: counted as missing data: $n [expr {$n == 1 ? "genotype" : "genotypes"}]\
                with an unknown allele at $locus"
        }
    }
    return $copy
}

proc ::parmix::program::WarnWithoutEstimates {call} {
    set report [expr {[dict exists $call options -o] ? [dict get $call options -o]
                      : "parmix_output.txt"}]
    # A report written to a device or a pipe cannot be read back.
    if {![file isfile $report] || [catch {::parmix::readReport $report} parsed]} return
    set rows [dict get $parsed rows]
    set without 0
    foreach row $rows {
        if {[dict get $row h] eq ""} {incr without}
    }
    if {[llength $rows] && 2 * $without > [llength $rows]} {
        Warn $call "$without of [llength $rows] individuals got no estimate (no usable\
            genotype at any locus): check how missing data and alleles are written\
            (parmix --check)."
    }
}

# A second line after a failed analysis where the message alone does not
# tell enough: both record counts when the files differ in their loci.
proc ::parmix::program::ExplainFailure {call options} {
    if {$call eq "" || [dict get $call mode] ni {analysis check}} return
    if {[lrange [dict get $options -errorcode] 0 2] ne {PARMIX INPUT LOCI}} return
    if {[dict get $call quiet]} return
    lassign [dict get $call files] parental individual
    set d [::parmix::check $parental $individual -firsterror 0]
    set p [dict get $d records parental]
    set i [dict get $d records individual]
    puts stderr "parmix: the parental file holds $p records ([expr {$p - 1}] loci),\
        the individual file $i records ([expr {$i - 1}] loci), each counting its\
        header record."
}

# The table's data counts come from the files the analysis read (the masked
# copy included).
proc ::parmix::program::TsvCounts {call} {
    if {![dict exists $call counted]} {return {}}
    return [list -inputs [dict get $call counted]]
}
