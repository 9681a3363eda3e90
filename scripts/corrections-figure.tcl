# The figure of docs/validation.md on the corrections for sequencing data
# and small reference samples: the coverage of the true h by the 2-unit
# support limits in the two seeded studies of
# tests/unit/estimate/gl_coverage_test.cpp, with and without each
# correction, against the nominal 0.954 and its binomial band (+-2 standard
# errors for the study's number of individuals).
#
#   build/tests/unit_estimate --gtest_filter='GlCoverage.*' > coverage.txt
#   tclsh scripts/corrections-figure.tcl coverage.txt docs/corrections.svg
#   rsvg-convert -o docs/corrections.png docs/corrections.svg
#
# The figures are read from the test's summary lines, so the figure shows
# what the tests measured.

proc readFigures {path} {
    set channel [open $path r]
    set text [read $channel]
    close $channel
    if {![regexp {hard-call coverage ([0-9.]+) .*GL coverage ([0-9.]+)} $text -> hard gl]} {
        error "$path holds no summary of the depth-3 study"
    }
    if {![regexp {counted ([0-9.]+), plug-in ([0-9.]+), corrected ([0-9.]+) \(n = ([0-9]+)} \
              $text -> counted plugin corrected n]} {
        error "$path holds no summary of the reference-sample study"
    }
    return [list \
        [list "Depth 3x, 1% error (500 individuals)" 500 \
             [list "hard calls (GT)" $hard] [list "genotype likelihoods" $gl]] \
        [list "5 reference samples per parent ($n individuals)" $n \
             [list "counted, no pseudo-count" $counted] [list "plug-in, pseudo-count 1" $plugin] \
             [list "with the uncertainty" $corrected]]]
}

# Coverage 0.70 .. 1.00 on a panel of height H from Y0.
proc yOf {value y0 h} {
    expr {$y0 + $h - ($value - 0.70) / 0.30 * $h}
}

proc panel {x0 y0 w h study} {
    set nominal 0.9545
    lassign $study title n
    set bars [lrange $study 2 end]
    set band [expr {2 * sqrt($nominal * (1 - $nominal) / $n)}]
    set out {}
    lappend out "<text x=\"[expr {$x0 + $w / 2}]\" y=\"[expr {$y0 - 12}]\" font-size=\"13\"\
        text-anchor=\"middle\">[string map {& &amp;} $title]</text>"
    lappend out "<rect x=\"$x0\" y=\"[yOf [expr {$nominal + $band}] $y0 $h]\" width=\"$w\"\
        height=\"[expr {[yOf [expr {$nominal - $band}] $y0 $h] - [yOf [expr {$nominal + $band}] $y0 $h]}]\"\
        fill=\"#dde8f5\"/>"
    foreach tick {0.70 0.80 0.90 1.00} {
        set y [yOf $tick $y0 $h]
        lappend out "<line x1=\"[expr {$x0 - 4}]\" y1=\"$y\" x2=\"$x0\" y2=\"$y\" stroke=\"black\"/>"
        lappend out "<text x=\"[expr {$x0 - 7}]\" y=\"[expr {$y + 4}]\" font-size=\"11\"\
            text-anchor=\"end\">$tick</text>"
    }
    set slot [expr {double($w) / [llength $bars]}]
    set i 0
    foreach bar $bars {
        lassign $bar label value
        set bx [expr {$x0 + $i * $slot + 0.2 * $slot}]
        set top [yOf $value $y0 $h]
        set inBand [expr {abs($value - $nominal) <= $band}]
        lappend out "<rect x=\"$bx\" y=\"$top\" width=\"[expr {0.6 * $slot}]\"\
            height=\"[expr {$y0 + $h - $top}]\" fill=\"[expr {$inBand ? "#4a7ab5" : "#c0504d"}]\"/>"
        lappend out "<text x=\"[expr {$bx + 0.3 * $slot}]\" y=\"[expr {$top - 5}]\" font-size=\"11\"\
            text-anchor=\"middle\">[format %.3f $value]</text>"
        lappend out "<text x=\"[expr {$bx + 0.3 * $slot}]\" y=\"[expr {$y0 + $h + 16}]\"\
            font-size=\"11\" text-anchor=\"middle\">$label</text>"
        incr i
    }
    set y [yOf $nominal $y0 $h]
    lappend out "<line x1=\"$x0\" y1=\"$y\" x2=\"[expr {$x0 + $w}]\" y2=\"$y\" stroke=\"black\"\
        stroke-dasharray=\"5,3\"/>"
    lappend out "<line x1=\"$x0\" y1=\"$y0\" x2=\"$x0\" y2=\"[expr {$y0 + $h}]\" stroke=\"black\"/>"
    lappend out "<line x1=\"$x0\" y1=\"[expr {$y0 + $h}]\" x2=\"[expr {$x0 + $w}]\"\
        y2=\"[expr {$y0 + $h}]\" stroke=\"black\"/>"
    return $out
}

proc figure {studies} {
    set width 1100
    set height 400
    set out {}
    lappend out {<?xml version="1.0" encoding="UTF-8"?>}
    lappend out "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"$width\"\
        height=\"$height\" viewBox=\"0 0 $width $height\" font-family=\"sans-serif\">"
    lappend out "<rect x=\"0\" y=\"0\" width=\"$width\" height=\"$height\" fill=\"white\"/>"
    lappend out "<text x=\"[expr {$width / 2}]\" y=\"24\" font-size=\"15\" text-anchor=\"middle\">Coverage\
        of the true h by the 2-unit support limits (dashed: 0.954; shaded: +-2 binomial\
        standard errors)</text>"
    lappend out {*}[panel 60 70 340 270 [lindex $studies 0]]
    lappend out {*}[panel 520 70 540 270 [lindex $studies 1]]
    lappend out "<text x=\"18\" y=\"205\" font-size=\"12\" transform=\"rotate(-90 18 205)\"\
        text-anchor=\"middle\">coverage</text>"
    lappend out </svg>
    return [join $out \n]\n
}

if {$argc != 2} {
    puts stderr "usage: tclsh corrections-figure.tcl TEST_OUTPUT FIGURE.svg"
    exit 2
}
set channel [open [lindex $argv 1] w]
puts -nonewline $channel [figure [readFigures [lindex $argv 0]]]
close $channel
