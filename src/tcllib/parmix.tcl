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
            Fail USAGE "$command: unknown option \"$name\"; the options are\
                [join [dict keys $defaults] {, }]"
        }
        dict set options $name $value
    }
    return $options
}

namespace eval ::parmix {
    variable libraryDir [file dirname [file normalize [info script]]]
    foreach part {results.tcl plot.tcl triangle.tcl drawing.tcl reference.tcl check.tcl} {
        source [file join $libraryDir $part]
    }
    unset part
}
