# The genomic clines of a study as an SVG figure: the hybrid index h on x,
# the probability phi that an allele copy at a locus descends from R on y.
# The diagonal phi = h is the neutral cline, the genome's own; each locus is
# its fitted cline phi = logistic(v (logit h - logit centre)), coloured by
# its category: neutral loci thin and grey underneath, the departing ones
# (steep, shallow, R-shift, S-shift, both, outlier) in their colours on top,
# the most significant of them numbered on their curves and named in a key
# beside the plot.  Every locus's hover text gives its estimates and its
# q-value.
#
# Readable from a few loci to a genome: above a few thousand loci the
# neutral ones are drawn as an even sample of them and the departing ones
# up to a cap, the most significant first; the lines above the plot say
# what was drawn.  Loci without estimates of v and centre have no curve;
# they are counted there too.
#
# Rows are the dicts of parmix::clines (locus, v, centre, category,
# qValue, pValue, lr and the limits); an undefined value is the empty
# string.  Where everything goes (ClineLayout, ClineXY, ClineSelection,
# ClineCurve, ClineLook) is kept apart from the SVG text, so that a canvas
# can draw the same figure.  Uses Num, Xml and SvgOpen of plot.tcl.

namespace eval ::parmix {
    variable clineStyle {
        margin 20 left 70 side 480 legendWidth 300 noteStep 16
        manyAbove 2000 neutralSample 1000 departingCap 2000 labelled 20
        axis #333333 grid #e3e6ea text #222222 muted #555555 diagonal #111111
        markerFill #ffffff markerRadius 7 markerSpacing 16
        font "DejaVu Sans, Liberation Sans, Arial, sans-serif"
    }
    # Each kind of cline: its label in the legend, colour and stroke width.
    # A locus whose category joins a steepness and a shift takes the colour
    # of its steepness and is drawn dashed.
    variable clineKinds {
        neutral {label neutral colour #b4b4b4 width 0.8}
        steep {label "steep (v > 1)" colour #c0392b width 1.6}
        shallow {label "shallow (v < 1)" colour #2e6db4 width 1.6}
        R-shift {label "R-shift (centre < 1/2)" colour #e08214 width 1.6}
        S-shift {label "S-shift (centre > 1/2)" colour #1b9e77 width 1.6}
        outlier {label "outlier (neither alone)" colour #7b3294 width 1.6}
    }
}

# Draws ROWS, as parmix::clines returns them, into the file SVG.  Option:
#   -title TEXT   the title of the figure
proc ::parmix::clinePlot {rows svg args} {
    set options [Options parmix::clinePlot [dict create -title "Genomic clines"] $args]
    WriteOutput [list "cline plot file" $svg] [ClineSvg [dict get $options -title] $rows] {}
    return
}

proc ::parmix::ClineSvg {title rows} {
    set selection [ClineSelection $rows]
    set layout [ClineLayout $title $selection]
    set parts [list [SvgOpen [dict get $layout width] [dict get $layout height] $title]]
    lappend parts [ClineHeading $layout $title $selection] [ClineFrame $layout] \
        [ClineNeutralPaths $layout $selection] [ClineDepartingPaths $layout $selection] \
        [ClineDiagonal $layout] [ClineMarkers $layout $selection] \
        [ClineLegend $layout $selection] </svg>
    return [join [lsearch -all -inline -not -exact $parts ""] \n]\n
}

# What the figure draws of ROWS: a dict with
#   total       the number of rows
#   undefined   the number without estimates of v and centre (not drawn)
#   neutral     the neutral rows drawn (all, or an even sample of them)
#   neutralAll  the number of neutral rows with a curve
#   departing   the departing rows drawn, most significant first
#   departingAll the number of departing rows with a curve
#   labelled    the number of departing rows drawn first that are numbered
#   notes       the lines that say what was left out or sampled
proc ::parmix::ClineSelection {rows} {
    variable clineStyle
    dict with clineStyle {}
    set neutral {}
    set departing {}
    set undefined 0
    foreach row $rows {
        if {![ClineDefined $row]} {
            incr undefined
        } elseif {[ClineDeparts $row]} {
            lappend departing $row
        } else {
            lappend neutral $row
        }
    }
    set departing [lsort -command ::parmix::CompareSignificance $departing]
    set selection [dict create total [llength $rows] undefined $undefined \
                       neutralAll [llength $neutral] departingAll [llength $departing]]
    set curves [expr {[llength $neutral] + [llength $departing]}]
    if {$curves > $manyAbove && [llength $neutral] > $neutralSample} {
        set neutral [EvenSample $neutral $neutralSample]
    }
    dict set selection neutral $neutral
    dict set selection departing [lrange $departing 0 $departingCap-1]
    dict set selection labelled [expr {min($labelled, [llength $departing])}]
    dict set selection notes [ClineNotes $selection]
    return $selection
}

# A row has a curve when both v and centre are numbers inside the model's
# range: v > 0 and 0 < centre < 1.
proc ::parmix::ClineDefined {row} {
    set v [dict get $row v]
    set centre [dict get $row centre]
    expr {[string is double -strict $v] && [string is double -strict $centre]
          && $v > 0 && $v < Inf && $centre > 0 && $centre < 1}
}

proc ::parmix::ClineDeparts {row} {
    expr {[dict get $row category] ni {neutral ""}}
}

# Most significant first: by q-value, then p-value (an undefined one last),
# then by the larger likelihood ratio, then by name.
proc ::parmix::CompareSignificance {a b} {
    foreach key {qValue pValue} {
        set x [SortableNumber [dict get $a $key] Inf]
        set y [SortableNumber [dict get $b $key] Inf]
        if {$x != $y} {
            return [expr {$x < $y ? -1 : 1}]
        }
    }
    set x [SortableNumber [dict get $a lr] -Inf]
    set y [SortableNumber [dict get $b lr] -Inf]
    if {$x != $y} {
        return [expr {$x > $y ? -1 : 1}]
    }
    string compare [dict get $a locus] [dict get $b locus]
}

proc ::parmix::SortableNumber {value missing} {
    expr {[string is double -strict $value] && $value == $value ? $value : $missing}
}

# COUNT rows of ROWS evenly spaced in their order, the first included.
proc ::parmix::EvenSample {rows count} {
    set n [llength $rows]
    set sample {}
    for {set i 0} {$i < $count} {incr i} {
        lappend sample [lindex $rows [expr {int(double($i) * $n / $count)}]]
    }
    return $sample
}

proc ::parmix::ClineNotes {selection} {
    dict with selection {}
    set notes {}
    set curves [expr {$neutralAll + $departingAll}]
    set summary "[Thousands $total] loci; [Thousands $curves] with a cline"
    if {$undefined} {
        append summary ", [Thousands $undefined] without estimates of v and centre, not drawn"
    }
    lappend notes "$summary; [Thousands $departingAll] departing from the neutral cline"
    if {[llength $neutral] < $neutralAll} {
        lappend notes "Neutral loci drawn: an even sample of [Thousands [llength $neutral]]\
            of [Thousands $neutralAll], in the order of the rows."
    }
    if {[llength $departing] < $departingAll} {
        lappend notes "Departing loci drawn: the [Thousands [llength $departing]] most\
            significant; [Thousands [expr {$departingAll - [llength $departing]}]] more not drawn."
    }
    if {$labelled < $departingAll} {
        lappend notes "Numbered: the $labelled most significant departing loci;\
            [Thousands [expr {$departingAll - $labelled}]] more without a number."
    }
    return $notes
}

# A count with a comma between thousands.
proc ::parmix::Thousands {n} {
    regsub -all {\d(?=(\d{3})+$)} $n {&,}
}

# Positions: the x of h = 0 (left), the y of phi = 1 (top), the side of
# the square of the plot, and the size of the figure, which grows below
# for the key of numbered loci when it is taller than the plot.
proc ::parmix::ClineLayout {title selection} {
    variable clineStyle
    dict with clineStyle {}
    set notes [llength [dict get $selection notes]]
    set top [expr {58 + $notes * $noteStep + 24}]
    set longest [string length $title]
    foreach note [dict get $selection notes] {
        set longest [expr {max($longest, [string length $note])}]
    }
    set width [expr {max($left + $side + 30 + $legendWidth, 2 * $margin + 7 * $longest)}]
    set legendRows [expr {[llength [dict keys [ClineKindsShown $selection]]] + 2}]
    set keyBottom [expr {$top + 18 * $legendRows + 40 + 16 * [dict get $selection labelled]}]
    set height [expr {max($top + $side + 64, $keyBottom + 20)}]
    return [dict create left $left top $top side $side legendX [expr {$left + $side + 30}] \
                width [Num $width] height [Num $height]]
}

# The figure's x and y of the point (h, phi).
proc ::parmix::ClineXY {layout h phi} {
    dict with layout {}
    list [Num [expr {$left + $h * $side}]] [Num [expr {$top + (1.0 - $phi) * $side}]]
}

# The cline phi = logistic(v (logit h - logit centre)) as a flat list of
# h and phi from h = 0 to 1: an even grid, thickened around the centre,
# where a steep cline turns within a small range of h, and near the ends.
proc ::parmix::ClineCurve {v centre} {
    set hs {}
    for {set i 0} {$i <= 48} {incr i} {
        lappend hs [expr {$i / 48.0}]
    }
    # A shallow cline rises steeply at the ends of the axis.
    foreach end {0.0001 0.001 0.005} {
        lappend hs $end [expr {1.0 - $end}]
    }
    set mid [expr {log($centre / (1.0 - $centre))}]
    for {set k -8} {$k <= 8} {incr k} {
        set z [expr {$mid + $k * 0.75 / $v}]
        if {abs($z) < 30} {
            lappend hs [expr {1.0 / (1.0 + exp(-$z))}]
        }
    }
    set points {}
    foreach h [lsort -real -unique $hs] {
        lappend points $h [ClinePhi $v $centre $h]
    }
    return $points
}

# phi at H; where the logistic saturates it is 0 or 1 exactly.
proc ::parmix::ClinePhi {v centre h} {
    if {$h <= 0.0 || $h >= 1.0} {
        return [expr {$h <= 0.0 ? 0.0 : 1.0}]
    }
    set z [expr {$v * (log($h / (1.0 - $h)) - log($centre / (1.0 - $centre)))}]
    if {abs($z) > 40} {
        return [expr {$z > 0 ? 1.0 : 0.0}]
    }
    expr {1.0 / (1.0 + exp(-$z))}
}

# How a row's curve is drawn: {kind colour width dashed}, KIND a key of
# clineKinds.
proc ::parmix::ClineLook {row} {
    variable clineKinds
    set category [dict get $row category]
    set kind [lindex [split $category +] 0]
    if {![dict exists $clineKinds $kind] || ![ClineDeparts $row]} {
        set kind neutral
    }
    set look [dict get $clineKinds $kind]
    list $kind [dict get $look colour] [dict get $look width] [string match *+* $category]
}

# The kinds that the drawn rows use, in the order of clineKinds, and
# whether any is drawn dashed: a dict kind -> 1, and dashed -> 1.
proc ::parmix::ClineKindsShown {selection} {
    variable clineKinds
    set used [dict create]
    if {[llength [dict get $selection neutral]]} {
        dict set used neutral 1
    }
    foreach row [dict get $selection departing] {
        lassign [ClineLook $row] kind - - dashed
        dict set used $kind 1
        if {$dashed} {
            dict set used dashed 1
        }
    }
    set shown [dict create]
    foreach kind [list {*}[dict keys $clineKinds] dashed] {
        if {[dict exists $used $kind]} {
            dict set shown $kind 1
        }
    }
    return $shown
}

# The path data of ROW's curve.
proc ::parmix::ClinePathData {layout row} {
    set d ""
    foreach {h phi} [ClineCurve [dict get $row v] [dict get $row centre]] {
        append d [expr {$d eq "" ? "M" : " L"}] [join [ClineXY $layout $h $phi] ,]
    }
    return $d
}

proc ::parmix::ClineHeading {layout title selection} {
    variable clineStyle
    dict with clineStyle {}
    set parts [list "<text class=\"title\" x=\"$margin\" y=\"28\" font-size=\"16\"\
        font-weight=\"bold\" fill=\"$text\">[Xml $title]</text>"]
    set y 48
    foreach note [dict get $selection notes] {
        set class [expr {$y == 48 ? "summary" : "note"}]
        lappend parts "<text class=\"$class\" x=\"$margin\" y=\"$y\" font-size=\"12\"\
            fill=\"$muted\">[Xml $note]</text>"
        incr y $noteStep
    }
    return [join $parts \n]
}

# The grid, the axes with their ticks and titles.
proc ::parmix::ClineFrame {layout} {
    variable clineStyle
    dict with clineStyle {}
    lassign [ClineXY $layout 0 0] x0 y0
    lassign [ClineXY $layout 1 1] x1 y1
    set parts [list "<g class=\"grid\" stroke=\"$grid\" stroke-width=\"1\">"]
    lappend parts {*}[UnitSquareGrid ClineXY $layout]
    lappend parts </g> "<g class=\"axis\" stroke=\"$axis\" fill=\"$axis\" font-size=\"11\">" \
        "<rect x=\"$x0\" y=\"$y1\" width=\"[Num $side]\" height=\"[Num $side]\" fill=\"none\"/>"
    lappend parts {*}[UnitSquareTicks ClineXY $layout "hybrid index h\
            (0: parental population S, 1: parental population R)" "probability of\
            R ancestry at the locus \u03c6"] </g>
    return [join $parts \n]
}

# The opacity of COUNT curves drawn one over another: opaque up to CLEAR
# of them, then fainter as they crowd, so that where most of them run
# still shows; empty for opaque.
proc ::parmix::ClineOpacity {count clear} {
    if {$count <= $clear} {
        return ""
    }
    return " stroke-opacity=\"[Num [expr {max(0.12, double($clear) / $count)}]]\""
}

# The neutral cline phi = h, drawn over the curves of the loci.
proc ::parmix::ClineDiagonal {layout} {
    variable clineStyle
    lassign [ClineXY $layout 0 0] x0 y0
    lassign [ClineXY $layout 1 1] x1 y1
    return "<line class=\"diagonal\" x1=\"$x0\" y1=\"$y0\" x2=\"$x1\" y2=\"$y1\"\
        stroke=\"[dict get $clineStyle diagonal]\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>"
}

# The hover text of a row: its estimates, as the report gives them.
proc ::parmix::ClineSummary {row} {
    set text "[dict get $row locus]: [dict get $row category]; v = [ClineNumber [dict get $row v]]\
        ([ClineNumber [dict get $row vLower]] to [ClineNumber [dict get $row vUpper]]),\
        centre = [ClineNumber [dict get $row centre]]\
        ([ClineNumber [dict get $row centreLower]] to [ClineNumber [dict get $row centreUpper]])"
    append text ", q = [ClineNumber [dict get $row qValue]]"
}

proc ::parmix::ClineNumber {value} {
    if {![string is double -strict $value] || $value != $value} {
        return NA
    }
    return [format %.4g $value]
}

# The neutral loci, one thin path each, under everything else.  A sample
# of many goes without hover texts, which would only weigh the file.
proc ::parmix::ClineNeutralPaths {layout selection} {
    set rows [dict get $selection neutral]
    if {![llength $rows]} {
        return ""
    }
    set titled [expr {[llength $rows] == [dict get $selection neutralAll]}]
    set parts [list "<g class=\"neutral\" fill=\"none\"[ClineOpacity [llength $rows] 150]>"]
    foreach row $rows {
        lassign [ClineLook $row] - colour width
        set path "<path class=\"cline neutral\" d=\"[ClinePathData $layout $row]\"\
            stroke=\"$colour\" stroke-width=\"$width\""
        if {$titled} {
            lappend parts "$path><title>[Xml [ClineSummary $row]]</title></path>"
        } else {
            lappend parts "$path/>"
        }
    }
    lappend parts </g>
    return [join $parts \n]
}

# The departing loci, the least significant first so that the most
# significant lie on top.
proc ::parmix::ClineDepartingPaths {layout selection} {
    set rows [dict get $selection departing]
    if {![llength $rows]} {
        return ""
    }
    set parts [list "<g class=\"departing\" fill=\"none\"[ClineOpacity [llength $rows] 80]>"]
    foreach row [lreverse $rows] {
        lassign [ClineLook $row] kind colour width dashed
        set dash [expr {$dashed ? { stroke-dasharray="7 3"} : ""}]
        lappend parts "<path class=\"cline $kind\" d=\"[ClinePathData $layout $row]\"\
            stroke=\"$colour\" stroke-width=\"$width\"$dash><title>[Xml [ClineSummary $row]]</title></path>"
    }
    lappend parts </g>
    return [join $parts \n]
}

# Where the numbers of the labelled loci sit: a list of {number x y row},
# each on its own curve where it departs most from the diagonal, but kept
# clear of the numbers placed before it (more significant ones) when the
# curve allows.
proc ::parmix::ClineMarkerPlaces {layout selection} {
    variable clineStyle
    set spacing [dict get $clineStyle markerSpacing]
    set places {}
    set number 0
    foreach row [lrange [dict get $selection departing] 0 [dict get $selection labelled]-1] {
        incr number
        set candidates {}
        foreach {h phi} [ClineCurve [dict get $row v] [dict get $row centre]] {
            if {$h > 0.02 && $h < 0.98} {
                lappend candidates [list [expr {abs($phi - $h)}] $h $phi]
            }
        }
        set best ""
        foreach candidate [lsort -real -decreasing -index 0 $candidates] {
            lassign [ClineXY $layout [lindex $candidate 1] [lindex $candidate 2]] x y
            if {$best eq ""} {
                set best [list $x $y]
            }
            if {[ClineClear $places $x $y $spacing]} {
                set best [list $x $y]
                break
            }
        }
        lappend places [list $number {*}$best $row]
    }
    return $places
}

proc ::parmix::ClineClear {places x y spacing} {
    foreach place $places {
        lassign $place - px py
        if {hypot($px - $x, $py - $y) < $spacing} {
            return 0
        }
    }
    return 1
}

proc ::parmix::ClineMarkers {layout selection} {
    variable clineStyle
    dict with clineStyle {}
    set places [ClineMarkerPlaces $layout $selection]
    if {![llength $places]} {
        return ""
    }
    set parts [list "<g class=\"markers\" font-size=\"10\" font-weight=\"bold\"\
        text-anchor=\"middle\">"]
    foreach place $places {
        lassign $place number x y row
        lassign [ClineLook $row] - colour
        lappend parts "<g class=\"marker\"><title>[Xml [ClineSummary $row]]</title>" \
            "<circle cx=\"$x\" cy=\"$y\" r=\"$markerRadius\" fill=\"$markerFill\"\
                stroke=\"$colour\" stroke-width=\"1.5\"/>" \
            "<text x=\"$x\" y=\"[Num [expr {$y + 3.5}]]\" fill=\"$text\">$number</text></g>"
    }
    lappend parts </g>
    return [join $parts \n]
}

# The kinds drawn, the neutral diagonal, then the key of the numbered loci.
proc ::parmix::ClineLegend {layout selection} {
    variable clineStyle
    variable clineKinds
    dict with clineStyle {}
    set x [dict get $layout legendX]
    set y [expr {[dict get $layout top] + 10}]
    set parts [list "<g class=\"legend\" font-size=\"11\" fill=\"$text\">" \
                   "<text x=\"$x\" y=\"$y\" font-weight=\"bold\">category</text>"]
    set shown [ClineKindsShown $selection]
    dict for {kind look} $clineKinds {
        if {![dict exists $shown $kind]} continue
        incr y 18
        lappend parts [LegendLine $x $y [dict get $look colour] [dict get $look width] ""] \
            "<text x=\"[expr {$x + 24}]\" y=\"$y\">[Xml [dict get $look label]]</text>"
    }
    if {[dict exists $shown dashed]} {
        incr y 18
        lappend parts [LegendLine $x $y $muted 1.6 { stroke-dasharray="7 3"}] \
            "<text x=\"[expr {$x + 24}]\" y=\"$y\">steepness and shift both</text>"
    }
    incr y 18
    lappend parts [LegendLine $x $y $diagonal 1.5 { stroke-dasharray="6 4"}] \
        "<text x=\"[expr {$x + 24}]\" y=\"$y\">\u03c6 = h: the neutral cline</text>"
    lappend parts {*}[ClineKey $x [expr {$y + 30}] $selection] </g>
    return [join $parts \n]
}

proc ::parmix::LegendLine {x y colour width extra} {
    return "<line x1=\"$x\" y1=\"[expr {$y - 4}]\" x2=\"[expr {$x + 18}]\" y2=\"[expr {$y - 4}]\"\
        stroke=\"$colour\" stroke-width=\"$width\"$extra/>"
}

# The numbered loci by name, category and q-value.
proc ::parmix::ClineKey {x y selection} {
    set labelled [dict get $selection labelled]
    if {!$labelled} {
        return {}
    }
    set parts [list "<text x=\"$x\" y=\"$y\" font-weight=\"bold\">numbered loci</text>"]
    set number 0
    foreach row [lrange [dict get $selection departing] 0 $labelled-1] {
        incr number
        incr y 16
        set name [dict get $row locus]
        if {[string length $name] > 24} {
            set name [string range $name 0 22]\u2026
        }
        lappend parts "<text class=\"key\" x=\"$x\" y=\"$y\">$number  [Xml $name]\
            ([Xml [dict get $row category]], q = [ClineNumber [dict get $row qValue]])</text>"
    }
    return $parts
}
