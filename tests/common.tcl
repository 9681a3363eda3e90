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

# The body of the report REPORT written from the text files, in the words
# of the same run straight from VCF: there the loci left out are named by
# their labels in PARENTAL (CHROM:POS), in one note placed where the first
# of the text path's notes stood, the first 30 by name and the rest counted.
proc ::parmixtest::siteWordedBody {report parental} {
    set labels {}
    foreach line [lrange [lsearch -all -inline [split [readFile $parental] \n] *#*] 1 end] {
        lappend labels [string trim [string range $line 0 [string first # $line]-1]]
    }
    set note "\nThe locus in row (\[0-9\]+) \\(of the parental file\\) was not used in the\
        calculation\nof the hybrid index, because its parental allele frequencies do not\ndiffer\
        by more than 1e-06\\.\n\n"
    set text \n[reportBody $report]
    set rows [lmap {- row} [regexp -all -inline $note $text] {set row}]
    if {![llength $rows]} {
        return [string range $text 1 end]
    }
    set first [lindex [regexp -inline -indices $note $text] 0 0]
    regsub -all $note $text "" text
    set sites "\nSites not used in the calculation of the hybrid index, because their\nparental\
        allele frequencies do not differ by more than 1e-06:\n"
    foreach row [lrange $rows 0 29] {
        append sites "  [lindex $labels $row-1]\n"
    }
    if {[llength $rows] > 30} {
        append sites "  and [expr {[llength $rows] - 30}] more.\n"
    }
    set text [string range $text 0 $first-1]$sites\n[string range $text $first end]
    return [string range $text 1 end]
}
