# The triangle plot of a joint analysis of ancestry and interclass
# heterozygosity as an SVG figure: the estimate of h on x, that of het on
# y, inside the triangle 0 <= het <= 1, het/2 <= h <= 1 - het/2 that the two
# can take.  Drawn: the triangle's sides, the curve het = 2h(1 - h) on which the
# hybrid-index model lies, the six early-generation classes at their points,
# each individual with its 2-unit profile support limits as crosshairs
# (kept inside the triangle) and its assigned class by colour and shape
# (unassigned individuals as grey rings), and a legend.  Each individual's
# hover text gives its estimates and limits with the report's five decimals,
# its best class and whether it is assigned, as the report's Class and
# Assigned columns do, and for an unassigned one the class point nearest to
# its estimate.  Above a few hundred individuals the drawing is
# compact: small marks without crosshairs.
#
# Rows are dicts with the keys name, h, hLower, hUpper, het, hetLower,
# hetUpper, class (the best class: pureR, pureS, F1, F2, BCR, BCS or empty)
# and assigned (a boolean), and optionally hLowerCut, hUpperCut, hetLowerCut and
# hetUpperCut (booleans: the limit is cut at the edge of its range).  An
# undefined value is the empty string.  Where everything goes
# (TriangleLayout, TriangleXY) is kept apart from the SVG text, so that a
# canvas can draw the same figure.  Uses Num, Xml and SvgOpen of plot.tcl.

namespace eval ::parmix {
    variable triangleStyle {
        margin 20 left 70 top 96 side 480 legendWidth 250 compactAbove 300
        axis #333333 grid #e3e6ea edge #333333 curve #8a8f98 text #222222 muted #555555
        limit #9aa5b5 cut #d95f02 unassigned #9a9a9a classPoint #000000
        markSize 4.5 compactMarkSize 2
        font "DejaVu Sans, Liberation Sans, Arial, sans-serif"
    }
    # Each class's point, label, colour and shape.
    variable triangleClasses {
        pureR {h 1 het 0 label "pure R" colour #c0392b shape square}
        pureS {h 0 het 0 label "pure S" colour #2e6db4 shape square}
        F1 {h 0.5 het 1 label F1 colour #7b3294 shape diamond}
        F2 {h 0.5 het 0.5 label F2 colour #b8860b shape up}
        BCR {h 0.75 het 0.5 label "backcross to R" colour #e7298a shape down}
        BCS {h 0.25 het 0.5 label "backcross to S" colour #1b9e77 shape down}
    }
}

# Draws ROWS as a triangle plot into the file SVG.  Option:
#   -title TEXT   the title of the figure
proc ::parmix::triangle {rows svg args} {
    set options [Options parmix::triangle \
                     [dict create -title "Ancestry and interclass heterozygosity"] $args]
    WriteOutput [list "triangle plot file" $svg] [TriangleSvg [dict get $options -title] $rows] {}
    return
}

proc ::parmix::TriangleSvg {title rows} {
    set estimated [lmap row $rows {
        if {[dict get $row h] eq "" || [dict get $row het] eq ""} continue
        set row
    }]
    set undefined [expr {[llength $rows] - [llength $estimated]}]
    set layout [TriangleLayout $title [llength $estimated]]
    set parts [list [SvgOpen [dict get $layout width] [dict get $layout height] $title]]
    lappend parts [TriangleHeading $layout $title [llength $estimated] $undefined] \
        [TriangleFrame $layout] [TriangleCurve $layout] [TriangleIndividuals $layout $estimated] \
        [TriangleClassPoints $layout] [TriangleLegend $layout] </svg>
    return [join [lsearch -all -inline -not -exact $parts ""] \n]\n
}

# Positions: the x of h = 0 (left), the y of H = 1 (top), the side of the
# square the plot fills, whether the drawing is compact, and the size of
# the figure.
proc ::parmix::TriangleLayout {title n} {
    variable triangleStyle
    dict with triangleStyle {}
    set width [expr {max($left + $side + 30 + $legendWidth, 2 * $margin + 9 * [string length $title])}]
    set height [expr {$top + $side + 64}]
    return [dict create left $left top $top side $side n $n compact [expr {$n > $compactAbove}] \
                width [Num $width] height [Num $height]]
}

# The figure's x and y of the point (h, het).
proc ::parmix::TriangleXY {layout h het} {
    dict with layout {}
    list [Num [expr {$left + $h * $side}]] [Num [expr {$top + (1.0 - $het) * $side}]]
}

proc ::parmix::TriangleHeading {layout title estimated undefined} {
    variable triangleStyle
    dict with triangleStyle {}
    set summary "[expr {$estimated + $undefined}] individuals; $estimated with estimates"
    if {$undefined} {
        append summary ", $undefined without"
    }
    if {[dict get $layout compact]} {
        append summary "; support limits not drawn at this number"
    }
    return [join [list \
        "<text class=\"title\" x=\"$margin\" y=\"28\" font-size=\"16\" font-weight=\"bold\"\
            fill=\"$text\">[Xml $title]</text>" \
        "<text class=\"summary\" x=\"$margin\" y=\"48\" font-size=\"12\"\
            fill=\"$muted\">[Xml $summary]</text>"] \n]
}

# The grid, the axes with their ticks and titles, and the triangle's sides.
proc ::parmix::TriangleFrame {layout} {
    variable triangleStyle
    dict with triangleStyle {}
    set parts [list "<g class=\"grid\" stroke=\"$grid\" stroke-width=\"1\">"]
    lappend parts {*}[UnitSquareGrid TriangleXY $layout]
    lappend parts </g> "<g class=\"axis\" stroke=\"$axis\" fill=\"$axis\" font-size=\"11\">"
    lassign [TriangleXY $layout 0 0] x0 y0
    lassign [TriangleXY $layout 1 1] x1 y1
    lappend parts "<line x1=\"$x0\" y1=\"$y0\" x2=\"$x1\" y2=\"$y0\"/>" \
        "<line x1=\"$x0\" y1=\"$y0\" x2=\"$x0\" y2=\"$y1\"/>"
    lappend parts {*}[UnitSquareTicks TriangleXY $layout "ancestry h\
            (0: parental population S, 1: parental population R)" "interclass\
            heterozygosity het"] </g>
    set corners [lmap {h het} {0 0 1 0 0.5 1} {join [TriangleXY $layout $h $het] ,}]
    lappend parts "<polygon class=\"edges\" points=\"[join $corners { }]\" fill=\"none\"\
        stroke=\"$edge\" stroke-width=\"1.5\"/>"
    return [join $parts \n]
}

# The hybrid-index model's curve het = 2h(1 - h), in 60 straight pieces.
proc ::parmix::TriangleCurve {layout} {
    variable triangleStyle
    set points {}
    for {set i 0} {$i <= 60} {incr i} {
        set h [expr {$i / 60.0}]
        lappend points [join [TriangleXY $layout $h [expr {2 * $h * (1 - $h)}]] ,]
    }
    return "<polyline class=\"curve\" points=\"[join $points { }]\" fill=\"none\"\
        stroke=\"[dict get $triangleStyle curve]\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>"
}

# A mark of SHAPE centred at X, Y with half-size R.
proc ::parmix::TriangleMark {shape x y r fill {stroke none} {extra ""}} {
    set paint "fill=\"$fill\" stroke=\"$stroke\"$extra"
    switch -- $shape {
        square {
            return "<rect x=\"[Num [expr {$x - $r}]]\" y=\"[Num [expr {$y - $r}]]\"\
                width=\"[Num [expr {2 * $r}]]\" height=\"[Num [expr {2 * $r}]]\" $paint/>"
        }
        diamond {set d [list 0 [expr {-1.3 * $r}] [expr {1.3 * $r}] 0 0 [expr {1.3 * $r}] \
                            [expr {-1.3 * $r}] 0]}
        up {set d [list 0 [expr {-1.3 * $r}] [expr {1.2 * $r}] $r [expr {-1.2 * $r}] $r]}
        down {set d [list 0 [expr {1.3 * $r}] [expr {1.2 * $r}] [expr {-$r}] \
                         [expr {-1.2 * $r}] [expr {-$r}]]}
        default {
            return "<circle cx=\"[Num $x]\" cy=\"[Num $y]\" r=\"[Num $r]\" $paint/>"
        }
    }
    set points [lmap {dx dy} $d {string cat [Num [expr {$x + $dx}]] , [Num [expr {$y + $dy}]]}]
    return "<polygon points=\"[join $points { }]\" $paint/>"
}

# Colour and shape of a row's mark: its class's when assigned, else a grey
# ring.
proc ::parmix::TriangleLook {row} {
    variable triangleClasses
    variable triangleStyle
    set class [dict get $row class]
    if {[string is true -strict [dict get $row assigned]] && [dict exists $triangleClasses $class]} {
        set look [dict get $triangleClasses $class]
        return [list [dict get $look shape] [dict get $look colour] assigned]
    }
    return [list circle [dict get $triangleStyle unassigned] unassigned]
}

proc ::parmix::TriangleIndividuals {layout rows} {
    if {[dict get $layout compact]} {
        return [TriangleCompact $layout $rows]
    }
    set parts [list "<g class=\"individuals\">"]
    foreach row $rows {
        lappend parts [TriangleIndividual $layout $row]
    }
    lappend parts </g>
    return [join $parts \n]
}

proc ::parmix::TriangleIndividual {layout row} {
    variable triangleStyle
    dict with triangleStyle {}
    lassign [TriangleXY $layout [dict get $row h] [dict get $row het]] x y
    lassign [TriangleLook $row] shape colour status
    set parts [list "<g class=\"individual $status\">" "<title>[Xml [TriangleSummary $row]]</title>"]
    lappend parts {*}[Crosshair $layout $row $x $y]
    if {$status eq "assigned"} {
        lappend parts [TriangleMark $shape $x $y $markSize $colour #ffffff { stroke-width="0.8"}]
    } else {
        lappend parts [TriangleMark circle $x $y [expr {$markSize - 1}] none $colour \
                           { stroke-width="1.5"}]
    }
    lappend parts </g>
    return [join $parts \n]
}

# The ends of the two support-limit lines through the estimate of ROW, as a
# dict hLower hUpper hetLower hetUpper (a limit that is undefined is left
# out), each kept inside the triangle: along the estimate's het, h runs from
# het/2 to 1 - het/2; along its h, het runs from 0 to 2 min(h, 1 - h).  A
# limit found elsewhere in the triangle than on that line (the profile
# lets the other parameter move) would otherwise be drawn outside it.
proc ::parmix::TriangleLimitEnds {row} {
    set h [dict get $row h]
    set het [dict get $row het]
    set ranges [dict create h [list [expr {$het / 2.0}] [expr {1 - $het / 2.0}]] \
                    het [list 0.0 [expr {2.0 * min($h, 1 - $h)}]]]
    set ends {}
    foreach key {h het} {
        lassign [dict get $ranges $key] low high
        foreach end {Lower Upper} {
            set value [dict get $row $key$end]
            if {$value ne ""} {
                dict set ends $key$end [expr {min(max($value, $low), $high)}]
            }
        }
    }
    return $ends
}

# The two support-limit lines through the estimate; a limit cut at the edge
# of its range ends in a short bar across the line, in the colour of cuts.
proc ::parmix::Crosshair {layout row x y} {
    variable triangleStyle
    dict with triangleStyle {}
    set parts {}
    set ends [TriangleLimitEnds $row]
    foreach {key along} {h x het y} {
        foreach end {Lower Upper} {
            if {![dict exists $ends $key$end]} continue
            set value [dict get $ends $key$end]
            if {$along eq "x"} {
                lassign [TriangleXY $layout $value [dict get $row het]] ex ey
            } else {
                lassign [TriangleXY $layout [dict get $row h] $value] ex ey
            }
            lappend parts "<line class=\"limit\" x1=\"$x\" y1=\"$y\" x2=\"$ex\" y2=\"$ey\"\
                stroke=\"$limit\" stroke-width=\"1.2\"/>"
            if {[dict exists $row $key${end}Cut] && [string is true -strict [dict get $row $key${end}Cut]]} {
                if {$along eq "x"} {
                    set d "M$ex,[Num [expr {$ey - 4}]] V[Num [expr {$ey + 4}]]"
                } else {
                    set d "M[Num [expr {$ex - 4}]],$ey H[Num [expr {$ex + 4}]]"
                }
                lappend parts "<path class=\"cut\" d=\"$d\" stroke=\"$cut\" stroke-width=\"2\"/>"
            }
        }
    }
    return $parts
}

proc ::parmix::TriangleSummary {row} {
    set text "[dict get $row name]: h = [TriangleNumber [dict get $row h]]\
        ([TriangleLimits $row h]), het = [TriangleNumber [dict get $row het]]\
        ([TriangleLimits $row het])"
    set class [dict get $row class]
    if {$class eq ""} {
        return $text
    }
    append text "; best class $class, "
    if {[string is true -strict [dict get $row assigned]]} {
        return "${text}assigned"
    }
    return "${text}not assigned; nearest class point\
        [TriangleNearestClass [dict get $row h] [dict get $row het]]"
}

# An estimate or limit as the report writes it, with five decimals.
proc ::parmix::TriangleNumber {value} {
    return [format %.5f $value]
}

# The class whose point lies nearest to (H, HET) in the plane of the plot.
proc ::parmix::TriangleNearestClass {h het} {
    variable triangleClasses
    set nearest ""
    dict for {class look} $triangleClasses {
        set distance [expr {hypot($h - [dict get $look h], $het - [dict get $look het])}]
        if {$nearest eq "" || $distance < $best} {
            set nearest $class
            set best $distance
        }
    }
    return $nearest
}

proc ::parmix::TriangleLimits {row key} {
    set limits [lmap end {Lower Upper} {
        set value [dict get $row $key$end]
        set cut [expr {[dict exists $row $key${end}Cut] &&
                       [string is true -strict [dict get $row $key${end}Cut]]}]
        if {$value eq ""} {
            string cat undefined
        } else {
            string cat [TriangleNumber $value] [expr {$cut ? " (cut)" : ""}]
        }
    }]
    return "limits [join $limits { to }]"
}

# Many individuals: one path of small marks per look, no crosshairs.
proc ::parmix::TriangleCompact {layout rows} {
    variable triangleStyle
    set size [dict get $triangleStyle compactMarkSize]
    set paths [dict create]
    foreach row $rows {
        lassign [TriangleXY $layout [dict get $row h] [dict get $row het]] x y
        lassign [TriangleLook $row] shape colour status
        dict append paths "$status $colour" \
            "M[Num [expr {$x - $size}]],$y h[Num [expr {2 * $size}]] "
    }
    set parts [list "<g class=\"individuals compact\">"]
    dict for {key d} $paths {
        lassign $key status colour
        lappend parts "<path class=\"marks $status\" d=\"[string trim $d]\" stroke=\"$colour\"\
            stroke-width=\"[Num [expr {2 * $size}]]\" fill=\"none\"/>"
    }
    lappend parts </g>
    return [join $parts \n]
}

# The six class points as black rings with their labels.
proc ::parmix::TriangleClassPoints {layout} {
    variable triangleClasses
    variable triangleStyle
    set parts [list "<g class=\"classes\" font-size=\"11\" fill=\"[dict get $triangleStyle text]\">"]
    dict for {class look} $triangleClasses {
        lassign [TriangleXY $layout [dict get $look h] [dict get $look het]] x y
        # Labels sit above the bottom corners, clear of the axis labels,
        # and outside the sides elsewhere.
        set anchor start
        set dx 9
        set dy -6
        switch -- $class {
            pureS {set dy -10}
            pureR {set anchor end; set dx -9; set dy -10}
            F1 {set dy -4}
            BCS {set anchor end; set dx -9}
        }
        lappend parts "<g class=\"class-point\" data-class=\"$class\">" \
            "<circle cx=\"$x\" cy=\"$y\" r=\"6\" fill=\"none\" stroke=\"[dict get $triangleStyle classPoint]\"\
                stroke-width=\"1.5\"/>" \
            "<text x=\"[Num [expr {$x + $dx}]]\" y=\"[Num [expr {$y + $dy}]]\"\
                text-anchor=\"$anchor\">[Xml [dict get $look label]]</text>" </g>
    }
    lappend parts </g>
    return [join $parts \n]
}

proc ::parmix::TriangleLegend {layout} {
    variable triangleClasses
    variable triangleStyle
    dict with triangleStyle {}
    set x [expr {[dict get $layout left] + [dict get $layout side] + 30}]
    set y [expr {[dict get $layout top] + 10}]
    set parts [list "<g class=\"legend\" font-size=\"11\" fill=\"$text\">" \
                   "<text x=\"$x\" y=\"$y\" font-weight=\"bold\">assigned class</text>"]
    dict for {class look} $triangleClasses {
        set y [expr {$y + 18}]
        lappend parts [TriangleMark [dict get $look shape] [expr {$x + 6}] [expr {$y - 4}] \
                           $markSize [dict get $look colour]] \
            "<text x=\"[expr {$x + 18}]\" y=\"$y\">[Xml [dict get $look label]]</text>"
    }
    set y [expr {$y + 18}]
    lappend parts [TriangleMark circle [expr {$x + 6}] [expr {$y - 4}] [expr {$markSize - 1}] \
                       none $unassigned { stroke-width="1.5"}] \
        "<text x=\"[expr {$x + 18}]\" y=\"$y\">not assigned</text>"
    set y [expr {$y + 28}]
    lappend parts "<circle cx=\"[expr {$x + 6}]\" cy=\"[expr {$y - 4}]\" r=\"6\" fill=\"none\"\
            stroke=\"$classPoint\" stroke-width=\"1.5\"/>" \
        "<text x=\"[expr {$x + 18}]\" y=\"$y\">class point</text>"
    set y [expr {$y + 18}]
    lappend parts "<line x1=\"$x\" y1=\"[expr {$y - 4}]\" x2=\"[expr {$x + 14}]\" y2=\"[expr {$y - 4}]\"\
            stroke=\"$curve\" stroke-width=\"1.5\" stroke-dasharray=\"4 2\"/>" \
        "<text x=\"[expr {$x + 18}]\" y=\"$y\">het = 2h(1 \u2212 h): hybrid-index model</text>"
    set y [expr {$y + 18}]
    lappend parts "<line x1=\"$x\" y1=\"[expr {$y - 4}]\" x2=\"[expr {$x + 14}]\" y2=\"[expr {$y - 4}]\"\
            stroke=\"$limit\" stroke-width=\"1.2\"/>" \
        "<text x=\"[expr {$x + 18}]\" y=\"$y\">2-unit profile support limits</text>"
    set y [expr {$y + 18}]
    lappend parts "<path d=\"M[expr {$x + 7}],[expr {$y - 8}] V$y\" stroke=\"$cut\" stroke-width=\"2\"/>" \
        "<text x=\"[expr {$x + 18}]\" y=\"$y\">limit cut at the edge</text>" </g>
    return [join $parts \n]
}
