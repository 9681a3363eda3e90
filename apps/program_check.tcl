# The program's checks of its input files: `parmix --check`, the warnings
# on standard error before and after an analysis, --unknown-alleles
# missing, and the data counts of the table.  Sourced by program.tcl.

namespace eval ::parmix::program {}

# The mode of a call with --check: only an analysis's two files go with it.
proc ::parmix::program::CheckMode {mode options} {
    if {$mode ne "analysis"} {
        Usage "--check does not go with --[expr {$mode eq "reference" ? "parental-from" : $mode}]"
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
        set copy [CopyStandardInput]
        lappend temporary $copy
        dict set call files [lreplace $files $at $at $copy]
        dict set call stdinCopy $copy
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
        set message [DamageWording $message]
        if {$at >= 0} {
            set message [string map [list $copy -] $message]
        }
        return -options $options $message
    } finally {
        file delete {*}$temporary
    }
}

# MESSAGE in the program's words when it is the command's "File X could not
# be read" about a compressed file that opens: what failed is its data,
# which end early or fail their check, and the user is told so.
proc ::parmix::program::DamageWording {message} {
    if {![regexp {^(.*)File (.+) could not be read$} $message -> before path]} {
        return $message
    }
    if {![file isfile $path] || [catch {open $path rb} chan]} {
        return $message
    }
    set magic [read $chan 2]
    close $chan
    if {$magic ne "\x1f\x8b"} {
        return $message
    }
    return "${before}The compressed file $path is damaged: it ends early or fails its\
        check, so it cannot be read whole."
}

# A temporary copy of standard input; its name.  Standard input that is
# closed, empty or cannot be read is the program's error, in its own words
# rather than those of the channel.  It is taken up before the copy is opened:
# with descriptor 0 closed, the copy would become standard input itself.
proc ::parmix::program::CopyStandardInput {} {
    set unreadable "Standard input (-) could not be read: it is closed or not readable."
    if {[catch {fconfigure stdin -translation binary}]} {
        return -code error -errorcode {PARMIX INPUT STDIN} $unreadable
    }
    set chan [file tempfile copy parmix-stdin]
    fconfigure $chan -translation binary
    set failed [catch {fcopy stdin $chan}]
    close $chan
    if {$failed} {
        file delete $copy
        return -code error -errorcode {PARMIX INPUT STDIN} $unreadable
    }
    # Tcl puts /dev/null in the place of a closed descriptor 0, so closed
    # and empty look alike here.
    if {[file size $copy] == 0} {
        file delete $copy
        return -code error -errorcode {PARMIX INPUT STDIN} "Standard input (-) is empty:\
            it was closed, or nothing was sent to it."
    }
    return $copy
}

# --check: the report of the check on standard output; a failure of the
# files becomes the program's error, with the analysis's message.
proc ::parmix::program::RunCheck {call} {
    WithStreams call {RunCheckOn $call}
}

proc ::parmix::program::RunCheckOn {call} {
    lassign [dict get $call files] parental individual
    set d [::parmix::check $parental $individual]
    dict set d error [DamageWording [dict get $d error]]
    # The mark is told before the verdict, whose message alone would only
    # say that the keyword is not the first word.
    set lines [split [string trimright [::parmix::checkText $d] \n] \n]
    set lines [linsert $lines end-1 {*}[::parmix::byteOrderMarkLines $parental $individual]]
    set text [join $lines \n]\n
    if {[dict exists $call stdinCopy]} {
        # The check names the file it read; the user gave "-".
        set text [string map [list [dict get $call stdinCopy] -] $text]
    }
    puts -nonewline $text
    if {![dict get $d ok]} {
        return -code error -errorcode [list PARMIX INPUT [dict get $d fault]] \
            -records [dict values [dict get $d records]] [dict get $d error]
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
    # The analysis itself finds the first error; the warnings need only the
    # loci they can name, so a file of a million loci costs no million dicts.
    set d [::parmix::check $parental $individual -firsterror 0 -loci notable]
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
    unset d
    try {
        set rows [RunAnalysis $call]
    } trap {PARMIX INPUT LOCI} {message options} {
        # Counted now, while a copy of standard input still exists.
        set d [::parmix::check {*}[dict get $call files] -firsterror 0 -loci notable]
        return -options [dict replace $options -records [dict values [dict get $d records]]] \
            $message
    } finally {
        if {$copy ne ""} {file delete $copy}
    }
    WarnWithoutEstimates $call $rows
}

# A temporary copy of the individual file with the refused genotypes of the
# check D written NA, and a count per locus on standard error.
proc ::parmix::program::MaskedCopy {call d individual} {
    set chan [file tempfile copy parmix-individuals.txt]
    close $chan
    ::parmix::maskRefused $individual [dict get $d refused] $copy
    set counts {}
    foreach r [dict get $d refused] {
        dict incr counts [::parmix::locusPhrase [dict get $r locus] [dict get $r line]]
    }
    dict for {locus n} $counts {
        if {![dict get $call quiet]} {
            puts stderr "parmix: counted as missing data: $n [expr {$n == 1 ? "genotype" : "genotypes"}]\
                with an unknown allele at $locus"
        }
    }
    return $copy
}

proc ::parmix::program::WarnWithoutEstimates {call rows} {
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
# tell enough: both record counts when the files differ in their loci.  The
# failure carries them (-records {parental individual}), counted while the
# files were there to count.
proc ::parmix::program::ExplainFailure {call options} {
    if {$call eq "" || [dict get $call mode] ni {analysis check}} return
    if {[lrange [dict get $options -errorcode] 0 2] ne {PARMIX INPUT LOCI}} return
    if {[dict get $call quiet] || ![dict exists $options -records]} return
    lassign [dict get $options -records] p i
    # A file that could not be read has no count of its own to give.
    if {$p < 1 || $i < 1} return
    puts stderr "parmix: the parental file holds $p records ([expr {$p - 1}] loci),\
        the individual file $i records ([expr {$i - 1}] loci), each counting its\
        header record."
}

