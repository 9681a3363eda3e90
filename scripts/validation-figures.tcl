# The figure and the tables of docs/validation.md, drawn from the summaries
# of tests/validation_model.tcl (which scripts/validation-docs.tcl sources
# first).

# An SVG figure with one panel per scenario: each individual a point at
# (true h, estimate) and a vertical bar from its lower to its upper limit;
# the diagonal marks estimate = truth.  Bars that miss the truth are red.
# A cut limit ends in an orange triangle pointing out of the axis.  The
# kinds with a fixed h (pure, F1, backcrosses) are spread evenly over
# +-0.045 around their h so that their bars can be told apart.
proc ::validation::svg {figureList} {
    set panelW 330
    set panelH 330
    set marginL 56
    set marginT 50
    set gapX 70
    set gapY 90
    set cols 2
    set rows [expr {([llength $figureList] + 1) / 2}]
    set width [expr {$marginL + $cols * $panelW + ($cols - 1) * $gapX + 30}]
    set height [expr {$marginT + $rows * $panelH + ($rows - 1) * $gapY + 70}]
    set out {}
    lappend out {<?xml version="1.0" encoding="UTF-8"?>}
    lappend out "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"$width\"\
        height=\"$height\" viewBox=\"0 0 $width $height\" font-family=\"sans-serif\">"
    lappend out "<rect x=\"0\" y=\"0\" width=\"$width\" height=\"$height\" fill=\"white\"/>"
    lappend out "<text x=\"[expr {$width / 2}]\" y=\"24\" font-size=\"16\" text-anchor=\"middle\">Estimated\
        against true hybrid index, with 2-unit support limits</text>"
    set index 0
    foreach figures $figureList {
        set col [expr {$index % $cols}]
        set row [expr {$index / $cols}]
        set x0 [expr {$marginL + $col * ($panelW + $gapX)}]
        set y0 [expr {$marginT + $row * ($panelH + $gapY)}]
        lappend out {*}[panel $figures $x0 $y0 $panelW $panelH]
        incr index
    }
    set ly [expr {$height - 22}]
    lappend out "<g font-size=\"12\">"
    lappend out "<line x1=\"$marginL\" y1=\"$ly\" x2=\"[expr {$marginL + 18}]\" y2=\"$ly\" stroke=\"#4a78b5\" stroke-width=\"2\"/>"
    lappend out "<text x=\"[expr {$marginL + 24}]\" y=\"[expr {$ly + 4}]\">limits hold the true h</text>"
    set lx [expr {$marginL + 170}]
    lappend out "<line x1=\"$lx\" y1=\"$ly\" x2=\"[expr {$lx + 18}]\" y2=\"$ly\" stroke=\"#d62728\" stroke-width=\"2\"/>"
    lappend out "<text x=\"[expr {$lx + 24}]\" y=\"[expr {$ly + 4}]\">limits miss the true h</text>"
    set lx [expr {$lx + 170}]
    lappend out "<path d=\"M [expr {$lx + 9}] [expr {$ly - 6}] l -5 8 l 10 0 z\" fill=\"#ff7f0e\"/>"
    lappend out "<text x=\"[expr {$lx + 24}]\" y=\"[expr {$ly + 4}]\">limit cut at 0 or 1 (*)</text>"
    set lx [expr {$lx + 170}]
    lappend out "<line x1=\"$lx\" y1=\"$ly\" x2=\"[expr {$lx + 18}]\" y2=\"$ly\" stroke=\"#888\" stroke-dasharray=\"4 3\"/>"
    lappend out "<text x=\"[expr {$lx + 24}]\" y=\"[expr {$ly + 4}]\">estimate = truth</text>"
    lappend out "</g>"
    lappend out "</svg>"
    return [join $out \n]\n
}

# The elements of one panel with its top left corner at (x0, y0).
proc ::validation::panel {figures x0 y0 pw ph} {
    set out {}
    # Axis range a little beyond [0, 1] to leave room for the sideways spread.
    set lo -0.06
    set hi 1.06
    set sx [expr {$pw / ($hi - $lo)}]
    set sy [expr {$ph / ($hi - $lo)}]
    set X [list apply {{x0 lo sx v} { format %.2f [expr {$x0 + ($v - $lo) * $sx}] }} $x0 $lo $sx]
    set Y [list apply {{y0 ph lo sy v} { format %.2f [expr {$y0 + $ph - ($v - $lo) * $sy}] }} $y0 $ph $lo $sy]
    lappend out "<g>"
    lappend out "<text x=\"[expr {$x0 + $pw / 2}]\" y=\"[expr {$y0 - 8}]\" font-size=\"12\"\
        text-anchor=\"middle\">[xmlEscape [dict get $figures title]]</text>"
    lappend out "<rect x=\"$x0\" y=\"$y0\" width=\"$pw\" height=\"$ph\" fill=\"none\" stroke=\"#444\"/>"
    # Grid and ticks every 0.1, labels every 0.2.
    for {set i 0} {$i <= 10} {incr i} {
        set v [expr {$i / 10.0}]
        set px [{*}$X $v]
        set py [{*}$Y $v]
        lappend out "<line x1=\"$px\" y1=\"$y0\" x2=\"$px\" y2=\"[expr {$y0 + $ph}]\" stroke=\"#eee\"/>"
        lappend out "<line x1=\"$x0\" y1=\"$py\" x2=\"[expr {$x0 + $pw}]\" y2=\"$py\" stroke=\"#eee\"/>"
        if {$i % 2 == 0} {
            lappend out "<text x=\"$px\" y=\"[expr {$y0 + $ph + 15}]\" font-size=\"10\" text-anchor=\"middle\">[format %.1f $v]</text>"
            lappend out "<text x=\"[expr {$x0 - 5}]\" y=\"[expr {$py + 3.5}]\" font-size=\"10\" text-anchor=\"end\">[format %.1f $v]</text>"
        }
    }
    lappend out "<text x=\"[expr {$x0 + $pw / 2}]\" y=\"[expr {$y0 + $ph + 32}]\" font-size=\"11\" text-anchor=\"middle\">true h</text>"
    set cy [expr {$y0 + $ph / 2}]
    set cx [expr {$x0 - 36}]
    lappend out "<text x=\"$cx\" y=\"$cy\" font-size=\"11\" text-anchor=\"middle\" transform=\"rotate(-90 $cx $cy)\">estimated h</text>"
    lappend out "<line x1=\"[{*}$X 0]\" y1=\"[{*}$Y 0]\" x2=\"[{*}$X 1]\" y2=\"[{*}$Y 1]\" stroke=\"#888\" stroke-dasharray=\"4 3\"/>"
    # Sideways spread of the kinds with a fixed h: by their order in the
    # file, evenly over +-0.045.
    set counts {}
    foreach record [dict get $figures individuals] {
        dict incr counts [dict get $record kind]
    }
    set seen {}
    set misses {}
    set hits {}
    set marks {}
    foreach record [dict get $figures individuals] {
        dict with record {}
        if {$estimate eq "nan"} continue
        dict incr seen $kind
        set k [dict get $seen $kind]
        set x $h
        if {$kind ne "uniform"} {
            set total [dict get $counts $kind]
            set x [expr {$h + 0.09 * (($k - 0.5) / $total - 0.5)}]
        }
        set px [{*}$X $x]
        set line "<line x1=\"$px\" y1=\"[{*}$Y $lower]\" x2=\"$px\" y2=\"[{*}$Y $upper]\"/>"
        set dot "<circle cx=\"$px\" cy=\"[{*}$Y $estimate]\" r=\"1.4\"/>"
        if {$lower <= $h && $h <= $upper} {
            lappend hits $line $dot
        } else {
            lappend misses $line $dot
        }
        if {$lowerCut} {
            set py [{*}$Y 0]
            lappend marks "<path d=\"M $px [expr {$py + 3.5}] l -2.2 -3.5 l 4.4 0 z\"/>"
        }
        if {$upperCut} {
            set py [{*}$Y 1]
            lappend marks "<path d=\"M $px [expr {$py - 3.5}] l -2.2 3.5 l 4.4 0 z\"/>"
        }
    }
    lappend out "<g stroke=\"#4a78b5\" stroke-width=\"0.8\" stroke-opacity=\"0.55\" fill=\"#1f3f6e\">" {*}$hits "</g>"
    lappend out "<g fill=\"#ff7f0e\" stroke=\"none\">" {*}$marks "</g>"
    lappend out "<g stroke=\"#d62728\" stroke-width=\"1.2\" fill=\"#d62728\">" {*}$misses "</g>"
    # The figures in the empty corner below the diagonal.
    set lines [list [format "coverage %.1f%%" [expr {100.0 * [dict get $figures coverage]}]] \
        [format "mean abs. error %.3f" [dict get $figures mae]] \
        [format "mean width %.3f" [dict get $figures width]]]
    set ty [expr {$y0 + $ph - 12 - 13 * ([llength $lines] - 1)}]
    foreach text $lines {
        lappend out "<text x=\"[expr {$x0 + $pw - 8}]\" y=\"$ty\" font-size=\"10.5\"\
            text-anchor=\"end\" fill=\"#333\">$text</text>"
        incr ty 13
    }
    lappend out "</g>"
    return $out
}

proc ::validation::xmlEscape {text} {
    return [string map {& &amp; < &lt; > &gt; \" &quot;} $text]
}

# --- The table -------------------------------------------------------------------

# Markdown tables of the figures of each scenario: one overview row per
# scenario, then the bias by bin of true h.
proc ::validation::markdown {figureList} {
    set out {}
    lappend out "| Scenario | Loci | Individuals (undefined) | Coverage, all (expected) | Coverage, 0 < h < 1 (expected) | Mean absolute error (expected) | Mean width of the limits (expected) |"
    lappend out "|---|---:|---:|---:|---:|---:|---:|"
    foreach f $figureList {
        lappend out [format "| %s | %d | %d (%d) | %.3f (%.3f) | %.3f (%.3f) | %.4f (%.4f) | %.3f (%.3f) |" \
            [dict get $f title] [dict get $f loci] [expr {[dict get $f n] + [dict get $f undefined]}] \
            [dict get $f undefined] [dict get $f coverage] [dict get $f coverageExpected] \
            [dict get $f interiorCoverage] [dict get $f interiorExpected] \
            [dict get $f mae] [dict get $f maeExpected] [dict get $f width] [dict get $f widthExpected]]
    }
    lappend out ""
    lappend out "Mean error (estimate minus true h) by bin of true h, with the expected value in brackets and the number of individuals after the slash:"
    lappend out ""
    set header "| Scenario |"
    set rule "|---|"
    foreach bin [dict get [lindex $figureList 0] bins] {
        append header " [string map {< &lt;} [lindex $bin 0]] |"
        append rule "---:|"
    }
    lappend out $header $rule
    foreach f $figureList {
        set line "| [dict get $f name] |"
        foreach bin [dict get $f bins] {
            lassign $bin label bn bias expected
            if {$bn == 0} {
                append line " - |"
            } else {
                append line [format " %+.4f (%+.4f) / %d |" $bias $expected $bn]
            }
        }
        lappend out $line
    }
    return [join $out \n]\n
}
