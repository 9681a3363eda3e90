# Runs parmix on the bundled example data with the library built in the
# folder given as the first argument, then shows the report.
#   tclsh scripts/run-example.tcl build
set root [file dirname [file dirname [file normalize [info script]]]]
set buildDir [file normalize [lindex $argv 0]]
set auto_path [linsert $auto_path 0 $buildDir]
package require parmix

set parental [file join $root examples parental.txt]
set individuals [file join $root examples individuals.txt]
set report [file join $buildDir example_report.txt]

if {[catch {parmix $parental $individuals $report} message]} {
    puts stderr "parmix: $message"
    exit 1
}
set f [open $report r]
puts -nonewline [read $f]
close $f
puts "(report written to $report)"
