# The drawing interface of the package: where the plot and the triangle put
# everything, for a host that draws the same figures itself (the window of
# parmix-gui draws them on a canvas).  The SVG writers of plot.tcl and
# triangle.tcl take their positions from the same procedures, so a figure
# drawn through this interface lies exactly where the SVG puts it.  Sizes
# and colours are in the namespace variables plotStyle, triangleStyle and
# triangleClasses.

namespace eval ::parmix {
    namespace export plotGroups plotLayout plotSummary plotTicks plotRowY plotRowEnds \
        triangleXY triangleLook triangleLimitEnds reportText
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

# The whole text of the report REPORT, its bytes taken one for one; an
# unreadable report is an error with the code {PARMIX REPORT READ}.
proc ::parmix::reportText {report} {
    ReadBytes $report {REPORT READ}
}
