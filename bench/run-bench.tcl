# The benchmark of `make bench`: builds the baseline commit named in
# bench/BASELINE beside the current tree, simulates three data sets, runs
# both builds on each (alternating), checks that their reports agree byte
# for byte apart from the time-stamp, measures the floors, times the joint
# analysis of ancestry and interclass heterozygosity against the hybrid
# index on the M tier, and writes the tables to docs/performance.md.
#
#   tclsh bench/run-bench.tcl BUILD_DIR
#
# BUILD_DIR is the folder of the current build configured with
# -DPARMIX_BENCH=ON; the baseline is built under it.

set root [file dirname [file dirname [file normalize [info script]]]]
set build [file normalize [lindex $argv 0]]
set jobs [exec nproc]

# name individuals loci baseline-runs current-runs
set tiers {
    S 200 100 5 5
    M 1000 5000 3 3
    L 2000 50000 1 3
}
# A quicker set for trying the script out, e.g. "S 200 100 1 1"; the table
# in docs/performance.md is only meaningful with the three tiers above.
if {[info exists ::env(PARMIX_BENCH_TIERS)]} {
    set tiers $::env(PARMIX_BENCH_TIERS)
}
set simOptions {--alleles 2 --dominant-share 0.1 --missing-share 0.05 --seed 2026}
# The tier on which parmix::ancestry is timed against parmix, and its runs.
set jointTier M
set jointRuns 3

proc readText {path} {
    set f [open $path rb]
    set text [read $f]
    close $f
    return $text
}

proc say {text} { puts stdout $text; flush stdout }

# The baseline's sources, exported from git (no change to any work tree),
# and its build.
proc buildBaseline {} {
    global root build jobs
    set commit [string trim [readText $root/bench/BASELINE]]
    set src $build/baseline-src
    set stamp $src/.parmix-commit
    if {![file exists $stamp] || [string trim [readText $stamp]] ne $commit} {
        file delete -force $src
        file mkdir $src
        exec git -C $root archive $commit | tar -x -C $src
        set f [open $stamp w]; puts $f $commit; close $f
    }
    exec cmake -S $src -B $build/baseline-build -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_TESTING=OFF >@ stdout
    exec cmake --build $build/baseline-build -j $jobs >@ stdout
    return $commit
}

# One run: {seconds peakKiB}.  MODE "ancestry" runs the joint analysis.
proc runOnce {libraryDir prefix report {mode ""}} {
    global root
    set timeLog $report.time
    set seconds [exec /usr/bin/time -v -o $timeLog tclsh $root/bench/run-once.tcl $libraryDir \
        $prefix.parental.txt $prefix.individuals.txt $report {*}$mode]
    regexp {Maximum resident set size \(kbytes\): (\d+)} [readText $timeLog] -> peak
    return [list [string trim $seconds] $peak]
}

proc median {values} {
    set sorted [lsort -real $values]
    set n [llength $sorted]
    if {$n % 2} { return [lindex $sorted [expr {$n / 2}]] }
    return [expr {([lindex $sorted [expr {$n / 2 - 1}]] + [lindex $sorted [expr {$n / 2}]]) / 2.0}]
}

proc max {values} { return [lindex [lsort -real $values] end] }

# The report without its time-stamp line.
proc reportBody {path} {
    set text [readText $path]
    return [string range $text [expr {[string first \n $text] + 1}] end]
}

proc floors {prefix} {
    global build
    set out [exec $build/bench/parmix-floors $prefix.parental.txt $prefix.individuals.txt]
    set result {}
    foreach line [split [string trim $out] \n] {
        dict set result [lindex $line 0] [lindex $line 1]
    }
    return $result
}

proc loadAverage {} {
    return [lrange [readText /proc/loadavg] 0 2]
}

proc machine {} {
    set model unknown
    regexp -line {^model name\s*:\s*(.*)$} [readText /proc/cpuinfo] -> model
    regexp -line {^MemTotal:\s*(\d+)} [readText /proc/meminfo] -> memKiB
    return [list model [string trim $model] cpus [exec nproc --all] usable [exec nproc] \
        memGiB [format %.1f [expr {$memKiB / 1048576.0}]] kernel [exec uname -r]]
}

proc benchTier {name nInd nLoci baseRuns curRuns work} {
    global build simOptions
    set prefix $work/$name
    say "== tier $name: $nInd individuals x $nLoci loci"
    exec $build/parmix-sim --individuals $nInd --loci $nLoci {*}$simOptions --prefix $prefix
    set base {}; set cur {}; set basePeak {}; set curPeak {}
    set reports {}
    for {set r 0} {$r < max($baseRuns, $curRuns)} {incr r} {
        if {$r < $baseRuns} {
            lassign [runOnce $build/baseline-build $prefix $prefix.base$r.txt] s peak
            lappend base $s; lappend basePeak $peak; lappend reports $prefix.base$r.txt
            say "   baseline run [expr {$r + 1}]: $s s, peak [expr {$peak / 1024}] MiB"
        }
        if {$r < $curRuns} {
            lassign [runOnce $build $prefix $prefix.cur$r.txt] s peak
            lappend cur $s; lappend curPeak $peak; lappend reports $prefix.cur$r.txt
            say "   current run [expr {$r + 1}]: $s s, peak [expr {$peak / 1024}] MiB"
        }
    }
    set reference [reportBody [lindex $reports 0]]
    set identical 1
    foreach report $reports {
        if {[reportBody $report] ne $reference} { set identical 0 }
    }
    set f [floors $prefix]
    say "   floors: read [dict get $f read_seconds] s, log [dict get $f log_seconds] s\
        ([dict get $f log_calls] calls on [dict get $f cores] cores); identical: $identical"
    set joint [jointTimes $name $prefix]
    foreach file [glob -nocomplain $prefix.*] { file delete $file }
    set matrixBytes [expr {4.0 * $nLoci * 2 * $nInd}]
    return [dict create name $name nInd $nInd nLoci $nLoci baseRuns $baseRuns curRuns $curRuns \
        base [median $base] cur [median $cur] basePeak [max $basePeak] curPeak [max $curPeak] \
        read [dict get $f read_seconds] log [dict get $f log_seconds] \
        logCalls [dict get $f log_calls] nsPerLog [dict get $f log_ns_per_call] \
        cores [dict get $f cores] identical $identical matrixBytes $matrixBytes joint $joint]
}

# On the joint tier: the joint analysis and the hybrid index of the current
# build, alternating; {hybrid SECONDS joint SECONDS peak KIB runs N} (medians),
# or empty on other tiers.
proc jointTimes {name prefix} {
    global build jointTier jointRuns
    if {$name ne $jointTier} {
        return {}
    }
    set hybrid {}; set joint {}; set peaks {}
    for {set r 0} {$r < $jointRuns} {incr r} {
        lappend hybrid [lindex [runOnce $build $prefix $prefix.hi$r.txt] 0]
        lassign [runOnce $build $prefix $prefix.joint$r.txt ancestry] s peak
        lappend joint $s; lappend peaks $peak
        say "   joint run [expr {$r + 1}]: $s s against [lindex $hybrid end] s for h alone"
    }
    return [dict create hybrid [median $hybrid] joint [median $joint] peak [max $peaks] \
                runs $jointRuns]
}

proc jointSection {results} {
    set lines {}
    foreach r $results {
        set times [dict get $r joint]
        if {![llength $times]} continue
        lassign [lmap key {hybrid joint peak runs} {dict get $times $key}] hybrid joint peak runs
        set ratio [expr {$joint / $hybrid}]
        lappend lines "## Joint analysis of ancestry and interclass heterozygosity" "" \
            "Tier [dict get $r name] ([dict get $r nInd] \u00d7 [dict get $r nLoci]), current build,\
            $runs runs of each, alternating: `parmix::ancestry` (estimates, four profile limits,\
            the hybrid-index model's test and the six classes, with its report) against\
            `parmix`." "" \
            "| parmix median (s) | parmix::ancestry median (s) | Ratio | Peak RSS joint (MiB) |" \
            "|---|---|---|---|" \
            "| [fmt $hybrid] | [fmt $joint] | [format %.2f $ratio]\u00d7 | [expr {$peak / 1024}] |" \
            "" "- At most 2\u00d7 the hybrid-index analysis's wall time:\
            [format %.2f $ratio]\u00d7, [expr {$ratio <= 2 ? "met" : "not met"}]." ""
    }
    return $lines
}

proc microbenchmarks {} {
    global build
    set out [exec $build/bench/parmix-micro --benchmark_min_time=0.5 2>@1]
    set rows {}
    foreach line [split $out \n] {
        if {[regexp {^(BM_\S+)\s+([\d.]+ \S+)\s+([\d.]+ \S+)\s+\d+\s+(.*)$} $line -> name wall cpu rate]} {
            lappend rows "| `$name` | $cpu | [string trim $rate] |"
        }
    }
    return $rows
}

proc fmt {x} { return [format %.3f $x] }

proc writeDoc {commit machine results micro loadBefore loadAfter} {
    global root
    set lines {}
    lappend lines "# Performance" ""
    lappend lines "Written by `make bench` ([clock format [clock seconds] -format {%Y-%m-%d %H:%M} -gmt 1] UTC);\
        rerun it to refresh. It builds the baseline commit `$commit` (the straightforward\
        computation, named in `bench/BASELINE`) beside the current tree, simulates three data\
        sets with `parmix-sim` (two alleles per codominant locus, a tenth of the loci dominant,\
        5% missing designations, seed 2026), runs both builds on each, alternating, and checks\
        that their reports are byte-identical apart from the time-stamp line." ""
    lappend lines "Machine: [dict get $machine model], [dict get $machine cpus] cores\
        ([dict get $machine usable] usable by the run), [dict get $machine memGiB] GiB,\
        Linux [dict get $machine kernel]. Load average before the benchmark: $loadBefore;\
        after: $loadAfter." ""
    set busiest [lindex [lsort -real [concat $loadBefore $loadAfter]] end]
    if {$busiest > 0.5 * [dict get $machine usable]} {
        lappend lines "Other work shared the machine during this benchmark (load averages above;\
            a quiet machine shows well under [dict get $machine usable]): absolute times and the\
            ratios to the floors are disturbed, the more so for the parallel current build,\
            while the alternating runs keep the comparison of the two builds fair." ""
    }
    lappend lines "| Tier | Individuals \u00d7 loci | Runs (baseline / current) | Baseline median (s) |\
        Current median (s) | Speed-up | Peak RSS baseline / current (MiB) | Read floor (s) |\
        Log floor (s) | Current / floors | Reports identical |"
    lappend lines "|---|---|---|---|---|---|---|---|---|---|---|"
    foreach r $results {
        dict with r {
            set floorsSum [expr {$read + $log}]
            lappend lines "| $name | $nInd \u00d7 $nLoci | $baseRuns / $curRuns | [fmt $base] | [fmt $cur] |\
                [format %.1f [expr {$base / $cur}]]\u00d7 | [expr {$basePeak / 1024}] /\
                [expr {$curPeak / 1024}] | [fmt $read] | [fmt $log] |\
                [format %.2f [expr {$cur / $floorsSum}]] | [expr {$identical ? "yes" : "NO"}] |"
        }
    }
    lappend lines "" "Wall times are those of the `parmix` command alone (package loading excluded),\
        each run a fresh `tclsh`; peak RSS is that of the whole process (`/usr/bin/time -v`)."
    lappend lines "The read floor is the fastest of five plain reads of both input files (1 MB\
        reads, no parsing, page cache warm). The log floor is the number of `log()` calls that\
        the current run's likelihood evaluations make (every evaluation of an individual costs\
        one call per locus that adds a term; the count comes from studying every individual as\
        a run does), times the time of one call in a tight loop, divided by the cores the run\
        uses." ""
    set L [lindex $results end]
    dict with L {
        set speedup [expr {$base / $cur}]
        set floorRatio [expr {$cur / ($read + $log)}]
        set memRatio [expr {$curPeak * 1024.0 / $matrixBytes}]
    }
    lappend lines "## Goals on the L tier" ""
    lappend lines "- At least 5\u00d7 faster than the baseline: [format %.1f $speedup]\u00d7,\
        [expr {$speedup >= 5 ? "met" : "not met"}]."
    lappend lines "- Within 1.4\u00d7 of the sum of the two floors: [format %.2f $floorRatio]\u00d7,\
        [expr {$floorRatio <= 1.4 ? "met" : "not met"}]."
    lappend lines "- Peak memory at most 1.2\u00d7 the genotype matrix\
        ([format %.0f [expr {[dict get $L matrixBytes] / 1048576.0}]] MiB):\
        [format %.2f $memRatio]\u00d7, [expr {$memRatio <= 1.2 ? "met" : "not met"}]."
    set allIdentical 1
    foreach r $results { if {![dict get $r identical]} { set allIdentical 0 } }
    lappend lines "- Reports byte-identical to the baseline on all three tiers:\
        [expr {$allIdentical ? "met" : "NOT met"}]." ""
    lappend lines {*}[jointSection $results]
    lappend lines "## Microbenchmarks" ""
    lappend lines "`build-bench/bench/parmix-micro` (Google Benchmark): the log-likelihood per\
        locus term, straightforward and compact layout, and the readers per megabyte. CPU time\
        per iteration." ""
    lappend lines "| Benchmark | CPU | Rate |" "|---|---|---|"
    lappend lines {*}$micro
    # The genome-scale section comes from `make bench-genome` and its
    # projection; it is kept as it stands.
    set path $root/docs/performance.md
    if {[file exists $path]} {
        set f [open $path r]
        fconfigure $f -encoding utf-8
        set old [read $f]
        close $f
        set at [string first "\n## Genome-scale path" $old]
        if {$at >= 0} { lappend lines [string trimright [string range $old $at end]] }
    }
    set f [open $path w]
    fconfigure $f -encoding utf-8
    puts $f [join $lines \n]
    close $f
}

set loadBefore [loadAverage]
set commit [buildBaseline]
set work [exec mktemp -d]
set results {}
try {
    foreach {name nInd nLoci baseRuns curRuns} $tiers {
        lappend results [benchTier $name $nInd $nLoci $baseRuns $curRuns $work]
    }
} finally {
    file delete -force $work
}
set micro [microbenchmarks]
file mkdir $root/docs
writeDoc $commit [machine] $results $micro $loadBefore [loadAverage]
say "docs/performance.md written"
foreach r $results {
    if {![dict get $r identical]} {
        puts stderr "bench: the reports of tier [dict get $r name] differ from the baseline's"
        exit 1
    }
}
