# The drawing interface of the package: where the plot, the triangle,
# the cline plot and the genotype image put everything, for a host that
# draws the same figures itself (the window of parmix-gui draws them on a
# canvas).  The SVG writers of plot.tcl, triangle.tcl, cline_plot.tcl and
# genotype_image.tcl take their positions from the same procedures, so a
# figure drawn through this interface lies exactly where the SVG puts it.
# Sizes and colours are in the namespace variables plotStyle,
# triangleStyle, triangleClasses, clineStyle, clineKinds, imageStyle and
# imageRamp.

namespace eval ::parmix {
    namespace export plotGroups plotLayout plotSummary plotTicks plotRowY plotRowEnds \
        triangleXY triangleLook triangleLimitEnds reportText \
        clineSelection clineLayout clineXY clineCurve clineLook clineMarkers \
        imageLayout imageCells imageColour imageTicks imageLegend
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

# What the cline plot draws of ROWS (the dicts of parmix::clines): a dict
# with total, undefined (rows without estimates of v and centre, not
# drawn), neutral (the neutral rows drawn: all of them, or an even sample
# when there are many), neutralAll, departing (the departing rows drawn,
# most significant first, up to a cap), departingAll, labelled (how many
# of the first departing rows are numbered) and notes (the lines above the
# plot that say what was drawn).
proc ::parmix::clineSelection {rows} {
    ClineSelection $rows
}

# Where the cline plot of SELECTION under TITLE puts everything: a dict
# with left, top and side (the square of the plot), legendX, width and
# height.
proc ::parmix::clineLayout {title selection} {
    ClineLayout $title $selection
}

# The point {x y} of (h, phi) in the square of LAYOUT (or of any dict with
# left, top and side).
proc ::parmix::clineXY {layout h phi} {
    ClineXY $layout $h $phi
}

# The cline phi = logistic(v (logit h - logit centre)) as the plot draws
# it: a flat list of h and phi from h = 0 to 1.
proc ::parmix::clineCurve {v centre} {
    ClineCurve $v $centre
}

# How a row's curve is drawn: {kind colour width dashed}, KIND a key of
# clineKinds (a category that joins a steepness and a shift takes its
# steepness's kind and is dashed).
proc ::parmix::clineLook {row} {
    ClineLook $row
}

# Where the numbers of the numbered rows of SELECTION sit in LAYOUT: a list
# of {number x y row}, each on its own curve.
proc ::parmix::clineMarkers {layout selection} {
    ClineMarkerPlaces $layout $selection
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
