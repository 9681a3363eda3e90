# Runs one test file in a tclsh into which the ASan runtime was preloaded
# (see suite.tcl): usage  tclsh test_file.tcl FILE.test ?tcltest options?
#
# The runtime is in this process now, so it is taken out of the environment
# before the test file runs: the programs that tests start (other tools,
# image converters) are not parmix, are not instrumented, and must not run
# under LeakSanitizer.  parmix's own programs carry the runtime themselves.
unset -nocomplain ::env(LD_PRELOAD)
set argv0 [lindex $argv 0]
set argv [lrange $argv 1 end]
set argc [llength $argv]
source $argv0
