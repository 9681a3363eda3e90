# The genotype image of a cline analysis as an SVG figure: one row per
# individual with an estimate, sorted by h with the highest at the top,
# one column per fitted locus in file order, each cell coloured by the
# number of the individual's allele copies at the locus that most likely
# descend from R (0, 1 or 2; missing genotypes grey).  The h of the rows
# is marked on an axis on the left, with the names beside it while the rows
# are tall enough to read; loci that depart from the neutral cline are
# marked above their columns.
#
# Readable from a handful of loci to a genome: above imageStyle's
# columnsAbove loci, neighbouring loci are gathered into bins (at most
# maxColumns of them), and above rowsAbove individuals neighbouring rows
# too (at most maxRows), each cell then coloured by the mean count over
# the genotypes of its bin on the same ramp, with a note above the image
# saying so.  Cells of one colour that follow each other along a row are
# one rectangle, and each colour's rectangles are one path, so the figure
# stays small whatever the panel.
#
# The image is the dict that `parmix::clines ... -image 1` returns under
# "image": lists individuals, h, loci, categories and rows (one string per
# individual, a character per locus: 0, 1, 2, or - for missing).  A
# genome-scale panel's image (`parmix::genome -clines 1 -image 1`) comes
# binned already where it is to be: in place of rows, rowBin and columnBin
# (the bins this figure makes of it) and levels, the colour levels of each
# drawn row's cells, so that the genotypes are never all held at once.  Where
# everything goes (ImageLayout, ImageCells, ImageTicks) is kept apart from
# the SVG text, so that a canvas can draw the same figure.  Uses Num, Xml
# and SvgOpen of plot.tcl.

namespace eval ::parmix {
    namespace export genotypeImage
    variable imageStyle {
        margin 20 top 66 imageWidth 720 rowHeight 12 imageHeight 600 axisSpace 44
        nameFontSize 10 nameCharWidth 6 longestShownName 24 namesFrom 10
        columnsAbove 1000 maxColumns 500 rowsAbove 1000 maxRows 500 locusNamesAbove 60
        legendWidth 170 missing #bdbdbd departing #d95f02
        axis #333333 text #222222 muted #555555
        font "DejaVu Sans, Liberation Sans, Arial, sans-serif"
        monoFont "DejaVu Sans Mono, Liberation Mono, Courier New, monospace"
    }
    # The ramp from 0 to 2 copies from R in quarters of a copy (viridis,
    # which readers with any common colour-vision deficiency tell apart
    # and which prints in grey as a steady ramp): level 0 is no copy, 4
    # one, 8 two.
    variable imageRamp {#440154 #472d7b #3b528b #2c728e #21918c #28ae80 #5ec962 #addc30 #fde725}
}

# Draws IMAGE as an SVG figure into the file SVG.  Option:
#   -title TEXT   the title of the figure
proc ::parmix::genotypeImage {image svg args} {
    set options [Options parmix::genotypeImage \
                     [dict create -title "Genotypes by hybrid index: R-derived allele copies"] $args]
    ImageCheck $image
    WriteOutput [list "genotype image file" $svg] \
        [ImageSvg [dict get $options -title] $image] {}
    return
}

# An image whose lists do not agree is refused before anything is drawn.
proc ::parmix::ImageCheck {image} {
    set cells [expr {[dict exists $image levels] ? "levels" : "rows"}]
    foreach key [list individuals h loci categories $cells] {
        if {![dict exists $image $key]} {
            Fail USAGE "parmix::genotypeImage: the image has no \"$key\""
        }
    }
    set n [llength [dict get $image individuals]]
    set m [llength [dict get $image loci]]
    if {[llength [dict get $image h]] != $n || [llength [dict get $image categories]] != $m ||
        ($cells eq "rows" && [llength [dict get $image rows]] != $n)} {
        Fail USAGE "parmix::genotypeImage: the image's lists do not agree in length"
    }
    foreach h [dict get $image h] {
        if {![string is double -strict $h] || !($h >= 0 && $h <= 1)} {
            Fail USAGE "parmix::genotypeImage: the image's h \"[ShortValue $h]\" is not a\
                number from 0 to 1"
        }
    }
    if {$cells eq "levels"} {
        ImageCheckLevels $image $n $m
        return
    }
    foreach row [dict get $image rows] {
        if {[string length $row] != $m || ![regexp {^[012-]*$} $row]} {
            Fail USAGE "parmix::genotypeImage: a row of the image is not one of 0, 1, 2 or -\
                for each of its $m loci"
        }
    }
}

# Levels made for other bins than this figure's, or not levels at all,
# are refused: the figure would draw them misplaced.
proc ::parmix::ImageCheckLevels {image n m} {
    variable imageStyle
    set rowBin [ImageBinSize $n [dict get $imageStyle rowsAbove] [dict get $imageStyle maxRows]]
    set columnBin [ImageBinSize $m [dict get $imageStyle columnsAbove] \
                       [dict get $imageStyle maxColumns]]
    if {![dict exists $image rowBin] || ![dict exists $image columnBin] ||
        [dict get $image rowBin] ne $rowBin || [dict get $image columnBin] ne $columnBin} {
        Fail USAGE "parmix::genotypeImage: the image's levels are not binned as $n\
            individuals and $m loci are drawn (bins of $rowBin and $columnBin)"
    }
    set columns [expr {($m + $columnBin - 1) / $columnBin}]
    if {[llength [dict get $image levels]] != ($n + $rowBin - 1) / $rowBin} {
        Fail USAGE "parmix::genotypeImage: the image's levels do not have a row for each\
            bin of $rowBin individuals"
    }
    foreach row [dict get $image levels] {
        if {[llength $row] != $columns} {
            Fail USAGE "parmix::genotypeImage: a row of the image's levels does not have\
                $columns columns"
        }
        foreach level $row {
            if {$level ne "" && !([string is integer -strict $level] && $level >= 0 &&
                                  $level <= 8)} {
                Fail USAGE "parmix::genotypeImage: the image's level\
                    \"[ShortValue $level]\" is not a whole number from 0 to 8"
            }
        }
    }
}

proc ::parmix::ImageSvg {title image} {
    set layout [ImageLayout $title $image]
    set parts [list [SvgOpen [dict get $layout width] [dict get $layout height] $title]]
    lappend parts [ImageHeading $layout $title] [ImageCellPaths $layout $image] \
        [ImageDeparting $layout $image] [ImageAxis $layout $image] [ImageNames $layout $image] \
        [ImageLoci $layout $image] [ImageLegend $layout] </svg>
    return [join [lsearch -all -inline -not -exact $parts ""] \n]\n
}

# The bins of N items when there are more than ABOVE of them: as few items
# a bin as keep the bins at most MOST; otherwise one item a bin.
proc ::parmix::ImageBinSize {n above most} {
    if {$n <= $above} {
        return 1
    }
    return [expr {($n + $most - 1) / $most}]
}

# Where everything goes: the image's left, top, width and height, the
# individuals and loci and how many of each one drawn row and column hold
# (rowBin, columnBin), whether names are written, the notes above the
# image, and the size of the figure.
proc ::parmix::ImageLayout {title image} {
    variable imageStyle
    dict with imageStyle {}
    set n [llength [dict get $image individuals]]
    set m [llength [dict get $image loci]]
    set rowBin [ImageBinSize $n $rowsAbove $maxRows]
    set columnBin [ImageBinSize $m $columnsAbove $maxColumns]
    set rows [expr {($n + $rowBin - 1) / $rowBin}]
    set height [expr {min($rowHeight * max($rows, 1), $imageHeight)}]
    set named [expr {$rowBin == 1 && $rows > 0 && $height / double($rows) >= $namesFrom}]
    set nameSpace 0
    if {$named} {
        set longest 0
        foreach name [dict get $image individuals] {
            set longest [expr {max($longest, [string length $name])}]
        }
        set nameSpace [expr {min($longest, $longestShownName) * $nameCharWidth + 8}]
    }
    # The axis title stands left of the names, in a column of its own.
    set left [expr {$margin + ($named ? 16 : 0) + $nameSpace + $axisSpace}]
    set notes [ImageNotes $n $m $rowBin $columnBin]
    set imageTop [expr {$top + 16 * [llength $notes]}]
    set lociNamed [expr {$columnBin == 1 && $m <= $locusNamesAbove}]
    set bottomSpace [expr {$lociNamed ? 90 : 44}]
    set width [expr {max($left + $imageWidth + 24 + $legendWidth,
                         2 * $margin + 9 * [string length $title])}]
    return [dict create n $n m $m rowBin $rowBin columnBin $columnBin rows $rows \
                columns [expr {($m + $columnBin - 1) / $columnBin}] named $named \
                lociNamed $lociNamed notes $notes left $left top $imageTop \
                imageWidth $imageWidth imageHeight $height \
                width [Num $width] height [Num [expr {$imageTop + $height + $bottomSpace}]]]
}

# The lines above the image: what is shown, and how the bins gather it.
proc ::parmix::ImageNotes {n m rowBin columnBin} {
    set notes [list "$n individuals with an estimate, sorted by h (highest at the top);\
        $m loci in file order"]
    if {$columnBin > 1} {
        lappend notes "Above [dict get $::parmix::imageStyle columnsAbove] loci each column\
            is a bin of $columnBin neighbouring loci, coloured by the mean number of\
            R-derived copies over its genotypes"
    }
    if {$rowBin > 1} {
        lappend notes "Above [dict get $::parmix::imageStyle rowsAbove] individuals each row\
            is a bin of $rowBin individuals of neighbouring h, coloured by the mean number of\
            R-derived copies over its genotypes"
    }
    return $notes
}

# The y of the boundary above the individual of index I (from 0; N is the
# image's bottom), and the x of the boundary left of locus J.
proc ::parmix::ImageY {layout i} {
    dict with layout {}
    expr {$top + ($n ? double($i) / $n : 0) * $imageHeight}
}

proc ::parmix::ImageX {layout j} {
    dict with layout {}
    expr {$left + ($m ? double($j) / $m : 0) * $imageWidth}
}

# The colour level (0 to 8, in quarters of a copy) of a cell's genotypes:
# COPIES their R copies in total, COUNTED the genotypes that are not
# missing; "" when every one is missing.
proc ::parmix::ImageLevel {copies counted} {
    if {!$counted} {
        return ""
    }
    return [expr {int(round(4.0 * $copies / $counted))}]
}

# The colour of a level, grey for "".
proc ::parmix::ImageColour {level} {
    variable imageRamp
    variable imageStyle
    if {$level eq ""} {
        return [dict get $imageStyle missing]
    }
    return [lindex $imageRamp $level]
}

# The copies and genotypes counted in the characters CELLS: a list of the
# R copies and the number not missing.
proc ::parmix::ImageCount {cells} {
    set length [string length $cells]
    set twos [expr {$length - [string length [string map {2 {}} $cells]]}]
    set ones [expr {$length - [string length [string map {1 {}} $cells]]}]
    set missing [expr {$length - [string length [string map {- {}} $cells]]}]
    list [expr {2 * $twos + $ones}] [expr {$length - $missing}]
}

# The levels of one drawn row (the individuals FIRST to LAST), one a column.
proc ::parmix::ImageRowLevels {layout image first last} {
    if {[dict exists $image levels]} {
        return [lindex [dict get $image levels] [expr {$first / [dict get $layout rowBin]}]]
    }
    set rows [lrange [dict get $image rows] $first $last]
    if {[dict get $layout columnBin] == 1} {
        return [ImageColumnLevels $rows]
    }
    set columnBin [dict get $layout columnBin]
    set levels {}
    for {set j 0} {$j < [dict get $layout m]} {incr j $columnBin} {
        set copies 0
        set counted 0
        foreach row $rows {
            lassign [ImageCount [string range $row $j [expr {$j + $columnBin - 1}]]] c k
            incr copies $c
            incr counted $k
        }
        lappend levels [ImageLevel $copies $counted]
    }
    return $levels
}

# The levels of ROWS taken locus by locus.
proc ::parmix::ImageColumnLevels {rows} {
    if {[llength $rows] == 1} {
        return [lmap cell [split [lindex $rows 0] ""] {
            expr {$cell eq "-" ? "" : 4 * $cell}
        }]
    }
    set copies [lrepeat [string length [lindex $rows 0]] 0]
    set counted $copies
    foreach row $rows {
        set cells [split $row ""]
        set copies [lmap c $copies cell $cells {expr {$cell eq "-" ? $c : $c + $cell}}]
        set counted [lmap k $counted cell $cells {expr {$cell eq "-" ? $k : $k + 1}}]
    }
    return [lmap c $copies k $counted {ImageLevel $c $k}]
}

# Every run of cells of one level along a drawn row, in the image's own
# units (loci across, individuals down, from 0): a list of {level j0 i0 j1
# i1}, the run covering loci j0 to j1 - 1 of individuals i0 to i1 - 1;
# rows from the top, runs from the left.
proc ::parmix::ImageRuns {layout image} {
    dict with layout {}
    set runs {}
    for {set i 0} {$i < $n} {incr i $rowBin} {
        set below [expr {min($i + $rowBin, $n)}]
        set start 0
        set levels [ImageRowLevels $layout $image $i [expr {$below - 1}]]
        lappend levels end
        for {set k 1} {$k < [llength $levels]} {incr k} {
            if {[lindex $levels $k] eq [lindex $levels $start]} continue
            lappend runs [list [lindex $levels $start] [expr {$start * $columnBin}] $i \
                              [expr {min($k * $columnBin, $m)}] $below]
            set start $k
        }
    }
    return $runs
}

# The same runs in the figure's coordinates: {level x0 y0 x1 y1}.
proc ::parmix::ImageCells {layout image} {
    lmap run [ImageRuns $layout $image] {
        lassign $run level j0 i0 j1 i1
        list $level [ImageX $layout $j0] [ImageY $layout $i0] [ImageX $layout $j1] \
            [ImageY $layout $i1]
    }
}

# The runs as one path of rectangles for each colour, grey first, drawn in
# the image's own units (a locus wide, an individual high) and scaled into
# place: whole numbers keep the path short.
proc ::parmix::ImageCellPaths {layout image} {
    dict with layout {}
    if {!$n || !$m} {
        return ""
    }
    set paths [dict create]
    foreach run [ImageRuns $layout $image] {
        lassign $run level j0 i0 j1 i1
        dict append paths [expr {$level eq "" ? "missing" : $level}] \
            "M$j0 ${i0}h[expr {$j1 - $j0}]v[expr {$i1 - $i0}]h[expr {$j0 - $j1}]z"
    }
    set scale "[expr {double($imageWidth) / $m}] [expr {double($imageHeight) / $n}]"
    set parts [list "<g class=\"cells\" shape-rendering=\"crispEdges\"\
        transform=\"translate([Num $left] [Num $top]) scale($scale)\">"]
    foreach key [lsort -dictionary [dict keys $paths]] {
        set level [expr {$key eq "missing" ? "" : $key}]
        lappend parts "<path class=\"cells-$key\" fill=\"[ImageColour $level]\"\
            d=\"[dict get $paths $key]\"/>"
    }
    lappend parts </g>
    return [join $parts \n]
}

# The ticks of the h axis at every tenth: a flat list of y and label.  The
# tick of t lies at the boundary below the last individual with h above t.
proc ::parmix::ImageTicks {layout image} {
    set hs [dict get $image h]
    set ticks {}
    set i 0
    for {set tenth 10} {$tenth >= 0} {incr tenth -1} {
        set t [expr {$tenth / 10.0}]
        while {$i < [llength $hs] && [lindex $hs $i] > $t} {
            incr i
        }
        lappend ticks [Num [ImageY $layout $i]] \
            [expr {$tenth == 0 ? "0" : ($tenth == 10 ? "1" : "0.$tenth")}]
    }
    return $ticks
}

# The axis of h along the image's left side; a label that would touch the
# one above it is left out, its tick kept.
proc ::parmix::ImageAxis {layout image} {
    variable imageStyle
    dict with layout {}
    set colour [dict get $imageStyle axis]
    set x [Num [expr {$left - 4}]]
    set parts [list "<g class=\"axis\" stroke=\"$colour\" fill=\"$colour\" font-size=\"10\">" \
                   "<line x1=\"$x\" y1=\"[Num $top]\" x2=\"$x\" y2=\"[Num [expr {$top +
                       $imageHeight}]]\"/>"]
    set lastY ""
    foreach {y label} [ImageTicks $layout $image] {
        lappend parts "<line x1=\"$x\" y1=\"$y\" x2=\"[Num [expr {$x - 5}]]\" y2=\"$y\"/>"
        if {$lastY ne "" && $y - $lastY < 10} continue
        lappend parts "<text class=\"tick\" x=\"[Num [expr {$x - 8}]]\" y=\"[Num [expr {$y +
            3.5}]]\" stroke=\"none\" text-anchor=\"end\">$label</text>"
        set lastY $y
    }
    set middle [Num [expr {$top + $imageHeight / 2.0}]]
    set titleX [Num [expr {$left - [dict get $imageStyle axisSpace] + 4}]]
    if {$named} {
        set titleX [Num [expr {[dict get $imageStyle margin] + 4}]]
    }
    lappend parts "<text class=\"axis-title\" x=\"$titleX\" y=\"$middle\" stroke=\"none\"\
        font-size=\"11\" text-anchor=\"middle\" transform=\"rotate(-90 $titleX $middle)\">hybrid\
        index h</text>" </g>
    return [join $parts \n]
}

# The names of the rows, when they are tall enough to read.
proc ::parmix::ImageNames {layout image} {
    variable imageStyle
    dict with imageStyle {}
    if {![dict get $layout named]} {
        return ""
    }
    set x [Num [expr {[dict get $layout left] - [dict get $imageStyle axisSpace] - 4}]]
    set parts [list "<g class=\"names\" font-family=\"$monoFont\" font-size=\"$nameFontSize\"\
        fill=\"$text\" text-anchor=\"end\">"]
    set i 0
    foreach name [dict get $image individuals] h [dict get $image h] {
        set shown $name
        if {[string length $name] > $longestShownName} {
            set shown [string range $name 0 [expr {$longestShownName - 2}]]\u2026
        }
        set y [expr {([ImageY $layout $i] + [ImageY $layout [expr {$i + 1}]]) / 2.0 + 3.5}]
        lappend parts "<text class=\"name\" x=\"$x\" y=\"[Num $y]\"><title>[Xml $name]: h =\
            [format %.5f $h]</title>[Xml $shown]</text>"
        incr i
    }
    lappend parts </g>
    return [join $parts \n]
}

# Below the image: the loci's names when few and not gathered, else the
# first and last locus number and what the columns are.
proc ::parmix::ImageLoci {layout image} {
    variable imageStyle
    dict with layout {}
    set bottom [expr {$top + $imageHeight}]
    set parts [list "<g class=\"loci\" font-size=\"10\" fill=\"[dict get $imageStyle text]\">"]
    if {$lociNamed} {
        set j 0
        foreach name [dict get $image loci] {
            set x [Num [expr {([ImageX $layout $j] + [ImageX $layout [expr {$j + 1}]]) / 2.0 + 3}]]
            set y [Num [expr {$bottom + 6}]]
            lappend parts "<text class=\"locus\" x=\"$x\" y=\"$y\" text-anchor=\"end\"\
                transform=\"rotate(-90 $x $y)\">[Xml [string range $name 0 13]]</text>"
            incr j
        }
    } else {
        set y [Num [expr {$bottom + 14}]]
        lappend parts "<text x=\"[Num $left]\" y=\"$y\">1</text>" \
            "<text x=\"[Num [expr {$left + $imageWidth}]]\" y=\"$y\" text-anchor=\"end\">$m</text>"
    }
    set what [expr {$columnBin > 1 ? "loci in file order, $columnBin a column" : "loci in file order"}]
    lappend parts "<text class=\"axis-title\" x=\"[Num [expr {$left + $imageWidth / 2.0}]]\"\
        y=\"[Num [expr {$top + $imageHeight + ($lociNamed ? 84 : 32)}]]\" font-size=\"11\"\
        text-anchor=\"middle\">$what</text>" </g>
    return [join $parts \n]
}

# A short bar above each column with a locus that departs from the neutral
# cline (any other category than neutral).
proc ::parmix::ImageDeparting {layout image} {
    variable imageStyle
    dict with layout {}
    set d ""
    set j 0
    foreach category [dict get $image categories] {
        if {$category ne "neutral"} {
            set column [expr {$j / $columnBin}]
            set x0 [Num [ImageX $layout [expr {$column * $columnBin}]]]
            set x1 [Num [ImageX $layout [expr {min(($column + 1) * $columnBin, $m)}]]]
            append d "M$x0,[Num [expr {$top - 8}]]H${x1}V[Num [expr {$top - 2}]]H${x0}Z"
        }
        incr j
    }
    if {$d eq ""} {
        return ""
    }
    return "<path class=\"departing\" fill=\"[dict get $imageStyle departing]\" d=\"$d\"/>"
}

# Title, the notes, and the legend of the colours beside the image.
proc ::parmix::ImageHeading {layout title} {
    variable imageStyle
    dict with imageStyle {}
    set parts [list "<text class=\"title\" x=\"$margin\" y=\"28\" font-size=\"16\"\
        font-weight=\"bold\" fill=\"$text\">[Xml $title]</text>"]
    set y 50
    foreach note [dict get $layout notes] {
        lappend parts "<text class=\"note\" x=\"$margin\" y=\"$y\" font-size=\"12\"\
            fill=\"$muted\">[Xml $note]</text>"
        incr y 16
    }
    return [join $parts \n]
}

# The entries of the legend: a list of {level label}; the ramp's middle
# levels only where bins give means.
proc ::parmix::ImageLegendEntries {layout} {
    set entries {{0 "0 copies from R (S/S)"} {4 "1 copy from R (R/S)"} {8 "2 copies from R (R/R)"}}
    if {[dict get $layout rowBin] > 1 || [dict get $layout columnBin] > 1} {
        set entries [lmap level {0 1 2 3 4 5 6 7 8} {
            list $level "mean [format %.2f [expr {$level / 4.0}]] copies"
        }]
    }
    lappend entries {"" "missing genotype"}
    return $entries
}

proc ::parmix::ImageLegend {layout} {
    variable imageStyle
    dict with imageStyle {}
    set x [Num [expr {[dict get $layout left] + [dict get $layout imageWidth] + 24}]]
    set y [dict get $layout top]
    set parts [list "<g class=\"legend\" font-size=\"11\" fill=\"$text\">" \
                   "<text x=\"$x\" y=\"[Num [expr {$y + 10}]]\" font-weight=\"bold\">Copies\
                       from R</text>"]
    set departingY ""
    foreach entry [ImageLegendEntries $layout] {
        lassign $entry level label
        set y [expr {$y + 18}]
        lappend parts "<rect class=\"swatch\" x=\"$x\" y=\"[Num $y]\" width=\"14\" height=\"12\"\
            fill=\"[ImageColour $level]\"/>" \
            "<text x=\"[Num [expr {$x + 20}]]\" y=\"[Num [expr {$y + 10}]]\">[Xml $label]</text>"
    }
    set y [expr {$y + 26}]
    lappend parts "<rect x=\"$x\" y=\"[Num [expr {$y + 3}]]\" width=\"14\" height=\"6\"\
        fill=\"$departing\"/>" \
        "<text x=\"[Num [expr {$x + 20}]]\" y=\"[Num [expr {$y + 10}]]\">locus departs from</text>" \
        "<text x=\"[Num [expr {$x + 20}]]\" y=\"[Num [expr {$y + 24}]]\">the neutral cline</text>" \
        </g>
    return [join $parts \n]
}
