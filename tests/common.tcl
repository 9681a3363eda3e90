# Shared set-up of the Tcl-level tests: loads the library from the build
# tree (never an installed copy) and offers small file helpers.
package require tcltest 2.5
namespace import -force tcltest::*

if {![info exists ::env(PARMIX_LIBRARY_DIR)]} {
    error "PARMIX_LIBRARY_DIR must name the build folder that holds libparmix"
}
set auto_path [linsert $auto_path 0 $::env(PARMIX_LIBRARY_DIR)]
package require parmix

namespace eval ::parmixtest {
    variable dataDir [file join [file dirname [file normalize [info script]]] data]
}

# Writes text to a file byte for byte (no line-end translation).
proc ::parmixtest::writeFile {path text} {
    set f [open $path wb]
    puts -nonewline $f $text
    close $f
    return $path
}

# The whole content of a file, byte for byte.
proc ::parmixtest::readFile {path} {
    set f [open $path rb]
    set text [read $f]
    close $f
    return $text
}

# A report without its time-stamp line, after checking that line's form.
proc ::parmixtest::reportBody {path} {
    set text [readFile $path]
    set pattern {^Time-stamp: [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n\n}
    if {![regexp $pattern $text stamp]} {
        error "report $path does not start with a time-stamp line"
    }
    return [string range $text [string length $stamp] end]
}
