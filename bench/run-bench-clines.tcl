# The cost of the genomic clines on the M tier (1,000 individuals x 5,000
# loci, two alleles, a tenth of the loci dominant, 5% missing, a twentieth
# of the loci with clines of their own): the hybrid index (parmix) against
# parmix::clines, which runs that same analysis first and then fits every
# locus, both on one thread so the ratio is that of the work; then once
# the clines with a parametric bootstrap of BOOTSTRAP replicates per locus
# (default 10; 0 leaves it out).  Each run without the bootstrap three
# times; the fastest is kept.  The machine's load is printed beside the
# figures: on a busy machine they say little.
#
#   tclsh run-bench-clines.tcl BUILD_DIR ?BOOTSTRAP?

lassign $argv build bootstrap
if {$bootstrap eq ""} { set bootstrap 10 }
set build [file normalize $build]
lappend auto_path $build
package require parmix

set folder [file join $build bench-clines]
set panel [file join $folder m-tier]
file mkdir $folder
if {![file exists $panel.individuals.txt]} {
    exec [file join $build parmix-sim] --individuals 1000 --loci 5000 --alleles 2 \
        --dominant-share 0.1 --missing-share 0.05 --cline-share 0.05 --cline-v 0.5:4 \
        --cline-centre 0.3:0.7 --seed 2026 --prefix $panel
}

proc fastest {script {runs 3}} {
    set best Inf
    for {set i 0} {$i < $runs} {incr i} {
        set start [clock microseconds]
        uplevel #0 $script
        set best [expr {min($best, ([clock microseconds] - $start) / 1e6)}]
    }
    return $best
}

set report [file join $folder report.txt]
parmix::configure -threads 1
set h [fastest [list parmix $panel.parental.txt $panel.individuals.txt $report]]
set clines [fastest [list parmix::clines $panel.parental.txt $panel.individuals.txt -threads 1]]
puts "load average: [lrange [split [exec cat /proc/loadavg]] 0 2]"
puts [format "| %-34s | %9s | %9s |" "run (M tier)" "seconds" "/ h"]
puts "|---|---:|---:|"
puts [format "| %-34s | %9.2f | %9.2f |" "hybrid index, 1 thread" $h 1.0]
puts [format "| %-34s | %9.2f | %9.2f |" "clines, 1 thread" $clines [expr {$clines / $h}]]
if {$bootstrap > 0} {
    set boot [fastest [list parmix::clines $panel.parental.txt $panel.individuals.txt \
                           -threads 1 -bootstrap $bootstrap] 1]
    puts [format "| %-34s | %9.2f | %9.2f |" "clines, bootstrap $bootstrap, 1 thread" \
              $boot [expr {$boot / $h}]]
}
