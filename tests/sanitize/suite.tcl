# tests/all.tcl as the sanitizer build runs it (tcl.suite with
# PARMIX_SANITIZE): each test file runs in the tclsh named by
# PARMIX_SANITIZED_TCLSH, a wrapper made by tests/CMakeLists.txt that
# preloads the ASan runtime into tclsh and starts it on test_file.tcl.
package require tcltest 2.5
tcltest::interpreter $::env(PARMIX_SANITIZED_TCLSH)
source [file join [file dirname [file dirname [file normalize [info script]]]] all.tcl]
