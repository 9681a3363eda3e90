# Script part of the parmix package, sourced by the package index right
# after the shared library has created the command `parmix`.  Everything
# here works on the files that the command reads and writes: reports turned
# into data, tab-separated tables and plots, and parental files counted from
# reference samples.  None of it estimates anything itself.
#
# Every error raised here carries an error code that starts with PARMIX,
# like those of the command (see README), so that scripts can trap kinds of
# failure with `try ... trap`.

namespace eval ::parmix {
    namespace export readReport writeTsv plot triangle ancestry parentalFromReference
}

# Raises an error with the message MESSAGE and the error code PARMIX
# followed by the words of KIND.
proc ::parmix::Fail {kind message} {
    return -code error -level 2 -errorcode [list PARMIX {*}$kind] $message
}

# The whole text of a file, with its bytes taken one for one as characters
# (no encoding, no line-end translation), or the command's message for an
# unreadable file under the error code KIND.
proc ::parmix::ReadBytes {path kind} {
    if {[file isdirectory $path] || [catch {open $path rb} chan]} {
        Fail $kind "File $path could not be read"
    }
    try {
        return [read $chan]
    } on error {} {
        Fail $kind "File $path could not be read"
    } finally {
        close $chan
    }
}

# The text of BYTES read as UTF-8.  A byte that UTF-8 does not allow there
# (a name written in Latin-1, say) stands for the character of its code, as
# Tcl 8.6 reads it; Tcl 9 would refuse it unless told to read as 8.6 does.
proc ::parmix::FromUtf8 {bytes} {
    if {[package vsatisfies [package provide Tcl] 9-]} {
        return [encoding convertfrom -profile tcl8 utf-8 $bytes]
    }
    return [encoding convertfrom utf-8 $bytes]
}

# True when the two paths name one existing file, by any name or link.
proc ::parmix::SameFile {a b} {
    if {[catch {file stat $a sa}] || [catch {file stat $b sb}]} {
        return 0
    }
    return [expr {$sa(dev) == $sb(dev) && $sa(ino) == $sb(ino)}]
}

# Writes TEXT (characters, encoded as UTF-8, line ends as given) to PATH.
# The text goes to a temporary file beside PATH first and replaces PATH only
# once it is complete, so a failed write never leaves a half-written file
# in place of an earlier one.  A PATH that names one of the files in INPUTS
# is refused: the result would destroy what it was made from.
proc ::parmix::WriteWhole {path text inputs} {
    foreach input $inputs {
        if {[SameFile $path $input]} {
            Fail OUTPUT "The output file $path is one of the input files;\
                give it another name."
        }
    }
    if {[file isdirectory $path]} {
        Fail OUTPUT "The output file $path could not be opened for writing."
    }
    lassign [OpenTemporary $path] chan temporary
    set failed [catch {
        fconfigure $chan -encoding utf-8 -translation lf
        puts -nonewline $chan $text
        close $chan
    }]
    if {$failed} {
        catch {close $chan}
        file delete -force $temporary
        Fail OUTPUT "The output file $path could not be written completely."
    }
    if {[catch {file rename -force $temporary $path}]} {
        file delete -force $temporary
        Fail OUTPUT "The output file $path could not be written completely."
    }
    return
}

# A new file beside PATH, opened for writing: {channel name}.  The name is
# one that no other writer (another interpreter or process) is using.
proc ::parmix::OpenTemporary {path} {
    for {set attempt 0} {$attempt < 10} {incr attempt} {
        set temporary $path.[pid]-[clock clicks]-$attempt.part
        if {![catch {open $temporary {WRONLY CREAT EXCL BINARY}} chan]} {
            return [list $chan $temporary]
        }
        if {![file exists $temporary]} {
            break
        }
    }
    Fail OUTPUT "The output file $path could not be opened for writing."
}

# The options of a procedure given as WORDS (name value ...), checked
# against the names of DEFAULTS: a dict of every option, the defaults
# filling in those not given.  COMMAND names the procedure in messages.
proc ::parmix::Options {command defaults words} {
    if {[llength $words] % 2} {
        Fail USAGE "$command: option [lindex $words end] has no value"
    }
    set options $defaults
    foreach {name value} $words {
        if {![dict exists $defaults $name]} {
            Fail USAGE "$command: unknown option \"$name\"; the options are\
                [join [dict keys $defaults] {, }]"
        }
        dict set options $name $value
    }
    return $options
}

namespace eval ::parmix {
    variable libraryDir [file dirname [file normalize [info script]]]
    foreach part {results.tcl plot.tcl triangle.tcl reference.tcl check.tcl} {
        source [file join $libraryDir $part]
    }
    unset part
}
