# Regenerates the calibration, coverage and power tables of docs/clines.md:
# simulates panels with the simulator of the build folder given as the
# first argument, fits every locus's cline with parmix::clines from the same
# build, and replaces the generated part of docs/clines.md (between its two
# marker lines) with the tables.  Not part of `make test`, which checks the
# coverage on one smaller panel.
#   tclsh scripts/clines-docs.tcl build
set root [file dirname [file dirname [file normalize [info script]]]]
set buildDir [file normalize [lindex $argv 0]]
set auto_path [linsert $auto_path 0 $buildDir]
package require parmix

set sim [file join $buildDir parmix-sim]
set work [file join $buildDir clines-docs]
file mkdir $work
set loci 500

# One simulated panel's rows with each locus's true cline beside it.
proc panel {name individuals simOptions} {
    global sim work loci
    set prefix [file join $work $name]
    exec $sim --individuals $individuals --loci $loci --differentiation strong \
        --mix uniform=1 {*}$simOptions --prefix $prefix
    set truth [lrange [split [string trim [read [set f [open $prefix.clines.tsv]]][close $f]] \n] 1 end]
    set rows [parmix::clines $prefix.parental.txt $prefix.individuals.txt -threads 2]
    lmap row $rows t $truth {
        lassign [split $t \t] - v centre
        dict merge $row [dict create trueV $v trueCentre $centre]
    }
}

# The binomial band of a share P over N trials: 1.96 standard deviations.
proc band {p n} {
    set half [expr {1.96 * sqrt($p * (1 - $p) / $n)}]
    format "%.3f to %.3f" [expr {$p - $half}] [expr {$p + $half}]
}

proc departs {row} {
    expr {[dict get $row trueV] != 1 || [dict get $row trueCentre] != 0.5}
}

# Neutral panels: the share of loci with p < 0.05.  Every locus is given
# the genome's own cline, which draws exactly as no cline does and writes
# the truth file the panel reads.
set calibration {}
foreach n {200 1000} {
    puts "neutral, $n individuals"
    set rows [panel neutral$n $n {--cline-share 1 --cline-v 1 --cline-centre 0.5 --seed 11}]
    set defined [lmap r $rows {expr {[dict get $r pValue] eq "nan" ? [continue] : $r}}]
    set small [llength [lmap r $defined {expr {[dict get $r pValue] < 0.05 ? 1 : [continue]}}]]
    lappend calibration [format "| %d | %d | %.3f | %s |" $n [llength $defined] \
        [expr {double($small) / [llength $defined]}] [band 0.05 [llength $defined]]]
}

# Coverage of the 2-unit limits where both lie inside the range.
set coverage {}
foreach n {200 1000} {
    puts "coverage, $n individuals"
    set rows [panel coverage$n $n {--cline-share 0.1 --cline-v 0.5:4 --cline-centre 0.3:0.7 --seed 12}]
    set line [format "| %d |" $n]
    foreach {name key lower upper lowerCut upperCut} {
        v trueV vLower vUpper vLowerCut vUpperCut
        centre trueCentre centreLower centreUpper centreLowerCut centreUpperCut
    } {
        set informative 0
        set covering 0
        foreach r $rows {
            if {[dict get $r $lower] eq "nan" || [dict get $r $lowerCut] || [dict get $r $upperCut]} continue
            incr informative
            set t [dict get $r $key]
            incr covering [expr {[dict get $r $lower] <= $t && $t <= [dict get $r $upper]}]
        }
        append line [format " %d | %.3f |" $informative [expr {double($covering) / $informative}]]
    }
    append line " [band 0.9545 $loci] |"
    lappend coverage $line
}

# Power: a tenth of the loci with the cline named, the rest neutral.
set power {}
foreach {label options} {
    {v = 2} {--cline-v 2 --cline-centre 0.5}
    {v = 4} {--cline-v 4 --cline-centre 0.5}
    {centre = 0.3} {--cline-v 1 --cline-centre 0.3}
    {centre = 0.7} {--cline-v 1 --cline-centre 0.7}
} {
    set line "| $label |"
    foreach n {200 1000} {
        puts "power, $label, $n individuals"
        set rows [panel power[string map {{ } {} = {}} $label]-$n $n \
                      [list --cline-share 0.1 {*}$options --seed 13]]
        set departing [lmap r $rows {expr {[departs $r] ? $r : [continue]}}]
        set neutral [lmap r $rows {expr {[departs $r] ? [continue] : $r}}]
        set p [llength [lmap r $departing {expr {[dict get $r pValue] < 0.05 ? 1 : [continue]}}]]
        set q [llength [lmap r $departing {expr {[dict get $r category] ne "neutral" ? 1 : [continue]}}]]
        set false [llength [lmap r $neutral {expr {[dict get $r category] ne "neutral" ? 1 : [continue]}}]]
        append line [format " %.2f | %.2f | %d |" [expr {double($p) / [llength $departing]}] \
                         [expr {double($q) / [llength $departing]}] $false]
    }
    lappend power $line
}

set generated "Neutral panels ($loci loci, strong differentiation, h uniform): the share of\
loci with p < 0.05 and its binomial band (1.96 standard deviations of 0.05 over the\
loci with a p-value).\n\n"
append generated "| Individuals | Loci | Share with p < 0.05 | Band |\n|---:|---:|---:|---|\n"
append generated [join $calibration \n]\n
append generated "\nCoverage of the 2-unit limits on $loci loci, a tenth of them with clines of their own\
(v log-uniform in 0.5 to 4, centre uniform in 0.3 to 0.7), over the loci where both\
limits of the parameter lie inside the range (informative); a 2-unit interval's level is\
0.9545, and the band is that of $loci loci.\n\n"
append generated "| Individuals | Informative (v) | Coverage (v) | Informative (centre) | Coverage (centre) | Band |\n"
append generated "|---:|---:|---:|---:|---:|---|\n"
append generated [join $coverage \n]\n
append generated "\nPower on $loci loci, a tenth of them with the cline named and the rest\
neutral: the share of those loci with p < 0.05, the share called non-neutral at\
q = 0.05, and the number of neutral loci called non-neutral.\n\n"
append generated "| Cline | p < 0.05 (200) | called (200) | false calls (200) |\
 p < 0.05 (1,000) | called (1,000) | false calls (1,000) |\n"
append generated "|---|---:|---:|---:|---:|---:|---:|\n"
append generated [join $power \n]\n

set docs [file join $root docs clines.md]
set f [open $docs]
set text [read $f]
close $f
set begin "<!-- generated by scripts/clines-docs.tcl: begin -->"
set end "<!-- generated by scripts/clines-docs.tcl: end -->"
set from [string first $begin $text]
set to [string first $end $text]
if {$from < 0 || $to < $from} {
    puts stderr "clines-docs: $docs lacks the marker lines"
    exit 1
}
set text [string replace $text $from [expr {$to + [string length $end] - 1}] \
              "$begin\n$generated$end"]
set f [open $docs w]
puts -nonewline $f $text
close $f
puts "wrote $docs"
