# The drawing interface of the package: where the plot, the triangle and
# the genotype image put everything, for a host that draws the same figures itself (the window of
# parmix-gui draws them on a canvas).  The SVG writers of plot.tcl,
# triangle.tcl and genotype_image.tcl take their positions from the same procedures, so a figure
# drawn through this interface lies exactly where the SVG puts it.  Sizes
# and colours are in the namespace variables plotStyle, triangleStyle,
# triangleClasses, imageStyle and imageRamp.

namespace eval ::parmix {
    namespace export plotGroups plotLayout plotSummary plotTicks plotRowY plotRowEnds \
        triangleXY triangleLook triangleLimitEnds imageLayout imageCells imageColour \
        imageTicks imageLegend reportText
}

# The rows of a report (as readReport gives them) split into those with an
# estimate, sorted by h (ties by name), and those without, sorted by name:
# a list of the two lists.
proc ::parmix::plotGroups {rows} {
    PlotGroups $rows
}

# Where the plot of ESTIMATED and UNDEFINED rows under TITLE puts
# everything: a dict with n, compact, topAxis, left, step, width, height,
# top, bottom, listTop and listLines.
proc ::parmix::plotLayout {title estimated undefined} {
    PlotLayout $title $estimated $undefined
}

# The line below the plot's title.
proc ::parmix::plotSummary {estimated undefined} {
    PlotSummary $estimated $undefined
}

# The ticks of the plot's axis, every tenth: a flat list of x and label.
proc ::parmix::plotTicks {layout} {
    AxisTicks $layout
}

# The y of the middle of the estimated row I (from 0).
proc ::parmix::plotRowY {layout i} {
    RowY $layout $i
}

# Where the marks of ROW lie: {xh x1 end1 x2 end2}, the x of the point and
# of each end of its bar with how that end is drawn: cap, cut (a limit cut
# at 0 or 1) or none (an undefined limit, at xh).
proc ::parmix::plotRowEnds {layout row} {
    RowEnds $layout $row
}

# The point {x y} of h and het in a triangle whose corners (0,0), (1,0) and
# (0.5,1) lie in the square of LAYOUT, a dict with left, top and side.
proc ::parmix::triangleXY {layout h het} {
    TriangleXY $layout $h $het
}

# How a row of the triangle is drawn: {shape colour assigned|unassigned}.
proc ::parmix::triangleLook {row} {
    TriangleLook $row
}

# Where the support-limit lines of ROW end, kept inside the triangle: a dict
# with hLower, hUpper, hetLower and hetUpper (an undefined limit left out).
proc ::parmix::triangleLimitEnds {row} {
    TriangleLimitEnds $row
}

# Where the genotype image IMAGE (as parmix::clines -image 1 gives it)
# under TITLE puts everything: a dict with n and m (individuals and loci),
# rowBin and columnBin (how many of each a drawn row or column gathers),
# rows, columns, named (whether the rows' names are written), lociNamed,
# notes (the lines above the image), left, top, imageWidth, imageHeight,
# width and height.
proc ::parmix::imageLayout {title image} {
    ImageCheck $image
    ImageLayout $title $image
}

# The image's cells, runs of one colour merged: a list of {level x0 y0 x1
# y1}, level from 0 (no copy from R) to 8 (two) in quarters of a copy, or
# empty for missing genotypes.
proc ::parmix::imageCells {layout image} {
    ImageCells $layout $image
}

# The colour of a level of imageCells.
proc ::parmix::imageColour {level} {
    ImageColour $level
}

# The ticks of the h axis on the image's left, every tenth: a flat list of
# y and label.
proc ::parmix::imageTicks {layout image} {
    ImageTicks $layout $image
}

# The legend's entries for LAYOUT: a list of {level label}.
proc ::parmix::imageLegend {layout} {
    ImageLegendEntries $layout
}

# The whole text of the report REPORT, its bytes taken one for one; an
# unreadable report is an error with the code {PARMIX REPORT READ}.
proc ::parmix::reportText {report} {
    ReadBytes $report {REPORT READ}
}
