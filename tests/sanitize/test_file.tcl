# Runs one test file in a tclsh into which the ASan runtime was preloaded
# (see suite.tcl): usage  tclsh test_file.tcl FILE.test ?tcltest options?
#
# This process checks for leaks.  The programs that tests start inherit the
# preloaded runtime (the parmix program is a tclsh that loads the
# instrumented library, and needs it), but not the leak check: programs of
# others that tests run (image converters and the like) have leaks of their
# own, which are no fault of parmix's.  Later options win in ASAN_OPTIONS.
append ::env(ASAN_OPTIONS) :detect_leaks=0
set argv0 [lindex $argv 0]
set argv [lrange $argv 1 end]
set argc [llength $argv]
source $argv0
