# Runs every tests/*.test file against the freshly built library, whose
# folder PARMIX_LIBRARY_DIR names (ctest sets it).  Exits non-zero when any
# test fails, which tcltest's runAllTests does not do by itself.
package require tcltest 2.5
namespace import tcltest::*

configure -testdir [file dirname [file normalize [info script]]] {*}$argv
if {[runAllTests]} {
    exit 1
}
