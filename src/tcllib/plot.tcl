# The plot of one analysis as an SVG figure, drawn from its report: every
# individual with an estimate is a row, sorted by h (ties by name), with a
# point at h and a bar between its support limits on a common axis from 0
# to 1.  A limit cut at 0 or 1 ends in a triangle pointing out of the axis
# instead of a plain cap.  Individuals without an estimate are listed by
# name below the axis.  Up to a few hundred rows each one is named; a larger
# set is drawn compactly, one thin line per individual, without names.
#
# Where everything goes (PlotGroups, PlotLayout, RowY, RowEnds, AxisTicks)
# is kept apart from the SVG text, so that the window of parmix-gui draws
# the same figure on its canvas.

namespace eval ::parmix {
    variable plotStyle {
        margin 20 axisWidth 600 rightSpace 34
        rowStep 16 nameFontSize 11 nameCharWidth 6.6 longestShownName 40
        compactAbove 400 compactHeight 600 topAxisAbove 30 longestUndefinedList 300
        band #f2f4f7 grid #dde1e6 axis #333333 text #222222 muted #555555
        bar #5b7fb5 point #17365d cut #d95f02
        font "DejaVu Sans, Liberation Sans, Arial, sans-serif"
        monoFont "DejaVu Sans Mono, Liberation Mono, Courier New, monospace"
    }
}

# Draws the report file REPORT as an SVG figure into the file SVG.  Option:
#   -title TEXT   the title of the figure (by default one naming the report)
proc ::parmix::plot {report svg args} {
    set options [Options parmix::plot \
                     [dict create -title "Hybrid index: [file tail $report]"] $args]
    set rows [dict get [readReport $report] rows]
    lassign [PlotGroups $rows] estimated undefined
    set text [PlotSvg [dict get $options -title] $estimated $undefined]
    WriteOutput [list "plot file" $svg] $text [list [list "report file" $report]]
    return
}

# The rows with an estimate, sorted by h and then by name, and the names of
# those without one, sorted by name.
proc ::parmix::PlotGroups {rows} {
    set estimated {}
    set undefined {}
    foreach row [lsort -command ::parmix::CompareNames $rows] {
        if {[dict get $row h] eq ""} {
            lappend undefined [dict get $row name]
        } else {
            lappend estimated $row
        }
    }
    # lsort is stable, so rows of equal h keep the name order.
    set estimated [lsort -command ::parmix::CompareH $estimated]
    return [list $estimated $undefined]
}

proc ::parmix::CompareNames {a b} {
    string compare [dict get $a name] [dict get $b name]
}

proc ::parmix::CompareH {a b} {
    set ha [dict get $a h]
    set hb [dict get $b h]
    expr {$ha < $hb ? -1 : ($ha > $hb ? 1 : 0)}
}

proc ::parmix::PlotSvg {title estimated undefined} {
    variable plotStyle
    set layout [PlotLayout $title $estimated $undefined]
    dict with layout {}
    set parts [list [SvgOpen $width $height $title]]
    lappend parts [PlotHeading $title $estimated $undefined]
    lappend parts [PlotGrid $layout]
    if {$topAxis} {
        lappend parts [PlotAxis $layout [expr {$top - 8}] -1]
    }
    if {$compact} {
        lappend parts [CompactRows $layout $estimated]
    } else {
        lappend parts [NamedRows $layout $estimated]
    }
    lappend parts [PlotAxis $layout [expr {$bottom + 6}] 1]
    lappend parts [UndefinedList $layout $undefined] </svg>
    return [join [lsearch -all -inline -not -exact $parts ""] \n]\n
}

# Positions of everything: x of h = 0 (left) and the axis width, y of the
# first row (top), the row step, the y below the last row (bottom) and the
# size of the figure.
proc ::parmix::PlotLayout {title estimated undefined} {
    variable plotStyle
    dict with plotStyle {}
    set n [llength $estimated]
    set compact [expr {$n > $compactAbove}]
    set topAxis [expr {!$compact && $n > $topAxisAbove}]
    if {$compact} {
        set left [expr {$margin + 30}]
        set step [expr {double($compactHeight) / $n}]
    } else {
        set longest 0
        foreach row $estimated {
            set longest [expr {max($longest, [string length [dict get $row name]])}]
        }
        set left [expr {$margin + min($longest, $longestShownName) * $nameCharWidth + 12}]
        set step $rowStep
    }
    # Wide enough for the axis, the title and the line below it.
    set summary [PlotSummary $estimated $undefined]
    set width [expr {max($left + $axisWidth + $rightSpace, 560,
                          2 * $margin + 9 * [string length $title],
                          2 * $margin + 7 * [string length $summary])}]
    set top [expr {$topAxis ? 122 : 96}]
    set bottom [expr {$top + $n * $step}]
    # Below the rows: the axis with its title, then the list of individuals
    # without an estimate, if any.
    set listTop [expr {$bottom + 78}]
    set perLine [expr {max(20, int(($width - 2 * $margin) / $nameCharWidth))}]
    set listLines [UndefinedLines $undefined $perLine]
    if {[llength $listLines]} {
        set height [expr {$listTop + 16 * ([llength $listLines] - 1) + 14}]
    } else {
        set height [expr {$bottom + 58}]
    }
    return [dict create n $n compact $compact topAxis $topAxis left $left step $step \
                width [Num $width] height [Num $height] top $top bottom $bottom \
                listTop $listTop listLines $listLines]
}

proc ::parmix::Num {x} {
    set text [format %.2f $x]
    regsub {\.?0+$} $text "" text
    if {$text in {"" "-" "-0"}} {
        return 0
    }
    return $text
}

# The lines at every 0.1 across the unit square that XY (a procedure of the
# layout and the two coordinates) places, as a list of SVG elements.
proc ::parmix::UnitSquareGrid {xy layout} {
    lassign [$xy $layout 0 0] x0 y0
    lassign [$xy $layout 1 1] x1 y1
    set parts {}
    for {set i 0} {$i <= 10} {incr i} {
        lassign [$xy $layout [expr {$i / 10.0}] [expr {$i / 10.0}]] x y
        lappend parts "<line x1=\"$x\" y1=\"$y0\" x2=\"$x\" y2=\"$y1\"/>" \
            "<line x1=\"$x0\" y1=\"$y\" x2=\"$x1\" y2=\"$y\"/>"
    }
    return $parts
}

# The ticks and labels at every 0.2 along the bottom and the left side of
# the unit square that XY (a procedure of the layout and the two
# coordinates) places, and the titles XTITLE below and YTITLE beside it, as
# a list of SVG elements.
proc ::parmix::UnitSquareTicks {xy layout xTitle yTitle} {
    lassign [$xy $layout 0 0] x0 y0
    lassign [$xy $layout 1 1] x1 y1
    set parts {}
    for {set i 0} {$i <= 10} {incr i 2} {
        set label [expr {$i == 0 ? "0" : ($i == 10 ? "1" : "0.$i")}]
        lassign [$xy $layout [expr {$i / 10.0}] [expr {$i / 10.0}]] x y
        lappend parts "<line x1=\"$x\" y1=\"$y0\" x2=\"$x\" y2=\"[Num [expr {$y0 + 5}]]\"/>" \
            "<text x=\"$x\" y=\"[Num [expr {$y0 + 18}]]\" stroke=\"none\"\
                text-anchor=\"middle\">$label</text>" \
            "<line x1=\"$x0\" y1=\"$y\" x2=\"[Num [expr {$x0 - 5}]]\" y2=\"$y\"/>" \
            "<text x=\"[Num [expr {$x0 - 8}]]\" y=\"[Num [expr {$y + 4}]]\" stroke=\"none\"\
                text-anchor=\"end\">$label</text>"
    }
    set middleX [Num [expr {($x0 + $x1) / 2.0}]]
    set middleY [Num [expr {($y0 + $y1) / 2.0}]]
    set titleX [Num [expr {$x0 - 40}]]
    lappend parts "<text class=\"axis-title\" x=\"$middleX\" y=\"[Num [expr {$y0 + 40}]]\"\
            stroke=\"none\" font-size=\"12\" text-anchor=\"middle\">[Xml $xTitle]</text>" \
        "<text class=\"axis-title\" x=\"$titleX\" y=\"$middleY\" stroke=\"none\" font-size=\"12\"\
            text-anchor=\"middle\" transform=\"rotate(-90 $titleX $middleY)\">[Xml $yTitle]</text>"
    return $parts
}

# Text made safe for XML: the five special characters as entities, and the
# characters that XML does not allow (most control characters, lone
# surrogates, U+FFFE and U+FFFF) as "?".
proc ::parmix::Xml {text} {
    regsub -all {[\x00-\x08\x0b\x0c\x0e-\x1f\ud800-\udfff\ufffe\uffff]} $text ? text
    string map {& &amp; < &lt; > &gt; \" &quot; ' &apos;} $text
}

proc ::parmix::SvgOpen {width height title} {
    variable plotStyle
    return [join [list \
        {<?xml version="1.0" encoding="UTF-8"?>} \
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"\
            width=\"$width\" height=\"$height\" viewBox=\"0 0 $width $height\"\
            font-family=\"[dict get $plotStyle font]\">" \
        "<title>[Xml $title]</title>" \
        {<rect width="100%" height="100%" fill="#ffffff"/>}] \n]
}

# Title, a line that says what is shown, and the legend of the marks.
proc ::parmix::PlotHeading {title estimated undefined} {
    variable plotStyle
    dict with plotStyle {}
    set summary [PlotSummary $estimated $undefined]
    set y 72
    return [join [list \
        "<text class=\"title\" x=\"$margin\" y=\"28\" font-size=\"16\" font-weight=\"bold\"\
            fill=\"$text\">[Xml $title]</text>" \
        "<text class=\"summary\" x=\"$margin\" y=\"48\" font-size=\"12\"\
            fill=\"$muted\">[Xml $summary]</text>" \
        "<g class=\"legend\" font-size=\"11\" fill=\"$text\">" \
        "<circle cx=\"[expr {$margin + 5}]\" cy=\"$y\" r=\"3.5\" fill=\"$point\"/>" \
        "<text x=\"[expr {$margin + 14}]\" y=\"[expr {$y + 4}]\">estimate of h</text>" \
        [LimitBar [expr {$margin + 112}] [expr {$margin + 142}] $y cap cap] \
        "<text x=\"[expr {$margin + 150}]\" y=\"[expr {$y + 4}]\">2-unit support limits</text>" \
        [CutMark [expr {$margin + 290}] $y 1] \
        "<text x=\"[expr {$margin + 302}]\" y=\"[expr {$y + 4}]\">limit cut at 0 or 1</text>" \
        </g>] \n]
}

proc ::parmix::PlotSummary {estimated undefined} {
    set total [expr {[llength $estimated] + [llength $undefined]}]
    set summary "$total individuals; [llength $estimated] with an estimate, sorted by h\
        (ties by name)"
    if {[llength $undefined]} {
        append summary "; [llength $undefined] without an estimate, listed below"
    }
    return $summary
}

# The ticks of the axis, every tenth: a flat list of x (as written) and
# label.
proc ::parmix::AxisTicks {layout} {
    variable plotStyle
    set ticks {}
    for {set i 0} {$i <= 10} {incr i} {
        set x [Num [expr {[dict get $layout left] + $i / 10.0 * [dict get $plotStyle axisWidth]}]]
        lappend ticks $x [expr {$i == 0 ? "0" : ($i == 10 ? "1" : "0.$i")}]
    }
    return $ticks
}

# The y of the middle of row I (from 0) of the estimated rows.
proc ::parmix::RowY {layout i} {
    expr {[dict get $layout top] + ($i + 0.5) * [dict get $layout step]}
}

# Vertical grid lines at every tenth of the axis, over the rows.
proc ::parmix::PlotGrid {layout} {
    variable plotStyle
    dict with layout {}
    set lines [list "<g class=\"grid\" stroke=\"[dict get $plotStyle grid]\" stroke-width=\"1\">"]
    foreach {x -} [AxisTicks $layout] {
        lappend lines "<line x1=\"$x\" y1=\"[Num $top]\" x2=\"$x\" y2=\"[Num $bottom]\"/>"
    }
    lappend lines </g>
    return [join $lines \n]
}

# The axis line at Y with its ticks and labels: below the line when SIDE is
# 1, above it when SIDE is -1 (the axis over a tall figure's first row).
proc ::parmix::PlotAxis {layout y side} {
    variable plotStyle
    dict with layout {}
    set axisWidth [dict get $plotStyle axisWidth]
    set colour [dict get $plotStyle axis]
    set right [Num [expr {$left + $axisWidth}]]
    set lines [list "<g class=\"axis\" stroke=\"$colour\" fill=\"$colour\" font-size=\"11\">" \
                   "<line x1=\"[Num $left]\" y1=\"$y\" x2=\"$right\" y2=\"$y\"/>"]
    foreach {x label} [AxisTicks $layout] {
        set tickEnd [expr {$y + $side * 5}]
        set labelY [expr {$side > 0 ? $y + 18 : $y - 9}]
        lappend lines "<line x1=\"$x\" y1=\"$y\" x2=\"$x\" y2=\"$tickEnd\"/>" \
            "<text x=\"$x\" y=\"$labelY\" stroke=\"none\" text-anchor=\"middle\">$label</text>"
    }
    if {$side > 0} {
        set middle [Num [expr {$left + $axisWidth / 2.0}]]
        lappend lines "<text class=\"axis-title\" x=\"$middle\" y=\"[expr {$y + 38}]\"\
            stroke=\"none\" font-size=\"12\" text-anchor=\"middle\">hybrid index h\
            (0: parental population S, 1: parental population R)</text>"
    }
    lappend lines </g>
    return [join $lines \n]
}

# A bar from X1 to X2 at Y whose ends are each drawn as END1 (left) and
# END2 (right): "cap" for a plain limit, "cut" for a limit cut at 0 or 1,
# "none" for a side without a limit.
proc ::parmix::LimitBar {x1 x2 y end1 end2} {
    variable plotStyle
    set colour [dict get $plotStyle bar]
    set parts [list "<line class=\"bar\" x1=\"[Num $x1]\" y1=\"$y\" x2=\"[Num $x2]\"\
        y2=\"$y\" stroke=\"$colour\" stroke-width=\"2\"/>"]
    foreach x [list $x1 $x2] end [list $end1 $end2] direction {-1 1} {
        if {$end eq "cut"} {
            lappend parts [CutMark $x $y $direction]
        } elseif {$end eq "cap"} {
            lappend parts "<line class=\"limit\" x1=\"[Num $x]\" y1=\"[Num [expr {$y - 4}]]\"\
                x2=\"[Num $x]\" y2=\"[Num [expr {$y + 4}]]\" stroke=\"$colour\"\
                stroke-width=\"2\"/>"
        }
    }
    return [join $parts \n]
}

# A triangle whose base stands at X and whose tip points out of the axis
# (DIRECTION -1 to the left of 0, 1 to the right of 1).
proc ::parmix::CutMark {x y direction} {
    variable plotStyle
    set tip [Num [expr {$x + 8 * $direction}]]
    set d "M[Num $x],[Num [expr {$y - 5}]] L$tip,[Num $y] L[Num $x],[Num [expr {$y + 5}]] Z"
    return "<path class=\"cut\" d=\"$d\" fill=\"[dict get $plotStyle cut]\"/>"
}

# One named row per individual, on alternating bands.
proc ::parmix::NamedRows {layout estimated} {
    variable plotStyle
    dict with layout {}
    set bandRight [expr {$left + [dict get $plotStyle axisWidth]}]
    set lines [list "<g class=\"rows\">"]
    set i 0
    foreach row $estimated {
        set y [RowY $layout $i]
        if {$i % 2} {
            lappend lines "<rect class=\"band\" x=\"[dict get $plotStyle margin]\"\
                y=\"[Num [expr {$y - $step / 2.0}]]\" width=\"[Num [expr {$bandRight -
                [dict get $plotStyle margin]}]]\" height=\"$step\"\
                fill=\"[dict get $plotStyle band]\"/>"
        }
        lappend lines [NamedRow $layout $row $y]
        incr i
    }
    lappend lines </g>
    return [join $lines \n]
}

proc ::parmix::NamedRow {layout row y} {
    variable plotStyle
    dict with plotStyle {}
    set name [dict get $row name]
    set shown $name
    if {[string length $name] > $longestShownName} {
        set shown [string range $name 0 [expr {$longestShownName - 2}]]\u2026
    }
    set parts [list "<g class=\"individual\">" "<title>[Xml [RowSummary $row]]</title>" \
        "<text class=\"name\" x=\"[Num [expr {[dict get $layout left] - 12}]]\"\
            y=\"[Num [expr {$y + 4}]]\" text-anchor=\"end\" font-family=\"$monoFont\"\
            font-size=\"$nameFontSize\" fill=\"$text\">[Xml $shown]</text>"]
    lappend parts {*}[RowMarks $layout $row $y] </g>
    return [join $parts \n]
}

# The bar or half-bars of a row, then its point on top of them.  A limit
# that is undefined (its search did not converge) leaves its side empty.
proc ::parmix::RowMarks {layout row y} {
    variable plotStyle
    lassign [RowEnds $layout $row] xh x1 end1 x2 end2
    set marks [list [LimitBar $x1 $x2 [Num $y] $end1 $end2]]
    lappend marks "<circle class=\"point\" cx=\"[Num $xh]\" cy=\"[Num $y]\" r=\"3.5\"\
        fill=\"[dict get $plotStyle point]\" stroke=\"#ffffff\" stroke-width=\"1\"/>"
    return $marks
}

# Where the marks of ROW lie: {xh x1 end1 x2 end2}, the x of the point,
# then the x of each end of the bar (left, right) with how it ends: "cap"
# for a plain limit, "cut" for a limit cut at 0 or 1, "none" (at xh) for a
# limit that is undefined.
proc ::parmix::RowEnds {layout row} {
    set xh [HX $layout [dict get $row h]]
    set ends [list $xh]
    foreach key {lower upper} {
        set value [dict get $row $key]
        if {$value eq ""} {
            lappend ends $xh none
        } else {
            lappend ends [HX $layout $value] [expr {[dict get $row ${key}Cut] ? "cut" : "cap"}]
        }
    }
    return $ends
}

# Where h lies on the axis.
proc ::parmix::HX {layout h} {
    variable plotStyle
    expr {[dict get $layout left] + $h * [dict get $plotStyle axisWidth]}
}

proc ::parmix::RowSummary {row} {
    set limits [lmap key {lower upper} {
        set value [dict get $row $key]
        expr {$value eq "" ? "undefined" : "$value[expr {[dict get $row ${key}Cut] ? " (cut)" : ""}]"}
    }]
    return "[dict get $row name]: h = [dict get $row h], support limits [join $limits { to }]"
}

# All rows as three paths (bars, points, cut marks), one thin line per
# individual, with the count along the side in place of names.
proc ::parmix::CompactRows {layout estimated} {
    variable plotStyle
    dict with layout {}
    set bars {}
    set points {}
    set cuts {}
    set i 0
    foreach row $estimated {
        set y [Num [RowY $layout $i]]
        lassign [RowEnds $layout $row] xh x1 end1 x2 end2
        foreach x [list $x1 $x2] end [list $end1 $end2] direction {-1 1} {
            if {$end eq "none"} continue
            append bars "M[Num $xh],$y H[Num $x] "
            if {$end eq "cut"} {
                append cuts "M[Num $x],$y h[expr {6 * $direction}] "
            }
        }
        append points "M[Num [expr {$xh - 1.5}]],$y h3 "
        incr i
    }
    set width [Num [expr {max(0.4, min(1.5, 0.8 * $step))}]]
    set middle [Num [expr {($top + $bottom) / 2.0}]]
    set labelX [expr {[dict get $plotStyle margin] + 10}]
    return [join [list \
        "<text class=\"count\" x=\"$labelX\" y=\"$middle\" font-size=\"12\"\
            text-anchor=\"middle\" transform=\"rotate(-90 $labelX $middle)\"\
            fill=\"[dict get $plotStyle text]\">$n individuals, sorted by h</text>" \
        "<path class=\"bars\" d=\"[string trim $bars]\" stroke=\"[dict get $plotStyle bar]\"\
            stroke-width=\"$width\" fill=\"none\"/>" \
        "<path class=\"cuts\" d=\"[string trim $cuts]\" stroke=\"[dict get $plotStyle cut]\"\
            stroke-width=\"[expr {max($width, 1)}]\" fill=\"none\"/>" \
        "<path class=\"points\" d=\"[string trim $points]\"\
            stroke=\"[dict get $plotStyle point]\" stroke-width=\"[expr {max($width, 1.5)}]\"\
            fill=\"none\"/>"] \n]
}

# The names of the individuals without an estimate, filled into lines of at
# most PER_LINE characters after a heading line.  Past a few hundred names
# the list would outgrow the figure; the rest are counted, and the report
# names them.
proc ::parmix::UndefinedLines {undefined perLine} {
    variable plotStyle
    if {![llength $undefined]} {
        return {}
    }
    set lines [list "Without an estimate ([llength $undefined]):"]
    set shown [lrange $undefined 0 [dict get $plotStyle longestUndefinedList]-1]
    set rest [expr {[llength $undefined] - [llength $shown]}]
    if {$rest} {
        lappend shown "(and $rest more, named in the report)"
    }
    set line ""
    foreach name $shown {
        if {$line ne "" && [string length "$line  $name"] > $perLine} {
            lappend lines $line
            set line ""
        }
        set line [expr {$line eq "" ? $name : "$line  $name"}]
    }
    lappend lines $line
    return $lines
}

proc ::parmix::UndefinedList {layout undefined} {
    variable plotStyle
    dict with layout {}
    if {![llength $listLines]} {
        return ""
    }
    set margin [dict get $plotStyle margin]
    set lines [list "<g class=\"undefined\" font-size=\"[dict get $plotStyle nameFontSize]\"\
        fill=\"[dict get $plotStyle text]\">" \
        "<text class=\"heading\" x=\"$margin\" y=\"$listTop\" font-size=\"12\"\
            font-weight=\"bold\">[Xml [lindex $listLines 0]]</text>"]
    set y $listTop
    foreach line [lrange $listLines 1 end] {
        set y [Num [expr {$y + 16}]]
        lappend lines "<text class=\"names\" x=\"$margin\" y=\"$y\"\
            font-family=\"[dict get $plotStyle monoFont]\" xml:space=\"preserve\">[Xml $line]</text>"
    }
    lappend lines </g>
    return [join $lines \n]
}
