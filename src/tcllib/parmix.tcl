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
    namespace export readReport writeTsv writeRowsTsv plot triangle clinePlot ancestry clines
    namespace export parentalFromReference
    # The words of the check's messages, for a program that tells of its
    # own checks in them.
    namespace export locusPhrase byteOrderMarkLines
}

# Raises an error with the message MESSAGE and the error code PARMIX
# followed by the words of KIND.
proc ::parmix::Fail {kind message} {
    return -code error -level 2 -errorcode [list PARMIX {*}$kind] $message
}

# VALUE as a message may echo it: a value of megabytes is cut after 60
# characters and marked with an ellipsis, as the commands do.
proc ::parmix::ShortValue {value} {
    if {[string length $value] <= 60} {
        return $value
    }
    return "[string range $value 0 59]\u2026"
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

# Writes TEXT to OUTPUT, a pair {role path} such as {{table file} out.tsv},
# through the package's one writer of outputs: a regular file (or a path
# where nothing is yet) is replaced only once the whole text is written, so
# a failed write leaves the earlier file as it was; a link's target is
# written and the link stays a link; a device or a pipe is written straight
# through; a folder is refused.  TEXT is characters, written as UTF-8 with
# line ends as given, or with -bytes 1 bytes written as they are.  INPUTS,
# pairs {role path}, are the files the output is made from: an output that
# names one of them (by any path or link) is refused before anything is
# written, with a message naming both.  Errors: {PARMIX OUTPUT}.
proc ::parmix::WriteOutput {output text inputs args} {
    set options [Options WriteOutput {-bytes 0} $args]
    RefuseOutputClashes [list $output] $inputs
    if {![dict get $options -bytes]} {
        set text [encoding convertto utf-8 $text]
    }
    WriteOutputBytes {*}$output $text
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
            Fail USAGE "$command: unknown option \"[ShortValue $name]\"; the options are\
                [join [dict keys $defaults] {, }]"
        }
        dict set options $name $value
    }
    return $options
}

namespace eval ::parmix {
    variable libraryDir [file dirname [file normalize [info script]]]
    foreach part {results.tcl plot.tcl triangle.tcl cline_plot.tcl genotype_image.tcl drawing.tcl
                      reference.tcl check.tcl} {
        source [file join $libraryDir $part]
    }
    unset part
}

# The procedures above raise their own PARMIX errors, but a call with the
# wrong number of words, or with a value that is not what they take (a
# diagnosis that is no dict, rows that are no list of dicts), would fail
# inside Tcl with Tcl's own error code.  Each is therefore called through
# Guarded, which passes PARMIX errors on as they are and gives every other
# one a PARMIX code: USAGE for a wrong call, OUTPUT for a file the system
# refused.
proc ::parmix::Guarded {name words} {
    try {
        return [::parmix::${name}Unguarded {*}$words]
    } trap PARMIX {message options} {
        return -code error -errorcode [dict get $options -errorcode] $message
    } trap {TCL WRONGARGS} {message} {
        return -code error -errorcode {PARMIX USAGE} \
            [string map [list ${name}Unguarded $name] $message]
    } trap POSIX {message} {
        return -code error -errorcode {PARMIX OUTPUT} "parmix::$name: $message"
    } on error {message} {
        return -code error -errorcode {PARMIX USAGE} "parmix::$name: $message"
    }
}

apply {{} {
    # Every exported procedure of the package; the commands made in C++
    # (parmix::ancestry, parmix::check and the others) set their codes
    # themselves.
    foreach name [namespace eval ::parmix {namespace export}] {
        if {![llength [info procs ::parmix::$name]]} continue
        rename ::parmix::$name ::parmix::${name}Unguarded
        proc ::parmix::$name args "::parmix::Guarded $name \$args"
    }
}}
