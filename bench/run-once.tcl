# One timed analysis for the benchmark: loads the package of the given
# build folder and prints the seconds the command took.
#   tclsh run-once.tcl LIBRARY_DIR PARENTAL INDIVIDUAL REPORT ?ancestry?
# With "ancestry", the joint analysis (parmix::ancestry, its report to
# REPORT) instead of the hybrid index.
lassign $argv libraryDir parental individual report mode
set auto_path [linsert $auto_path 0 $libraryDir]
package require parmix
set start [clock microseconds]
if {$mode eq "ancestry"} {
    parmix::ancestry $parental $individual -report $report
} else {
    parmix $parental $individual $report
}
puts [format %.6f [expr {([clock microseconds] - $start) / 1e6}]]
