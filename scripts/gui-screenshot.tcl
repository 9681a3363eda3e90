# The picture of the window in docs/gui.png: parmix-gui of the build folder
# after a run of the bundled example data, taken on the virtual display
# that `make gui-docs` starts (xvfb-run), by xwd and ImageMagick.
#
#   tclsh scripts/gui-screenshot.tcl BUILD_DIR REPORT PNG
lassign $argv buildDir report png
set dir $buildDir
source [file join $dir pkgIndex.tcl]
unset dir
package require parmix
package require Tk
source [file join $buildDir gui.tcl]

# Run from the top of the tree, so that the fields show short paths.
cd [file dirname [file dirname [file normalize [info script]]]]
parmix::gui::main examples/parental.txt examples/individuals.txt $report
set width 1260
set height 760
wm geometry . ${width}x${height}+0+0
update
.actions.run invoke
while {[llength $::parmix::gui::run]} {
    vwait ::parmix::gui::run
}
# One individual picked in the table, to show its highlight in the plot.
set tree .panes.table.tree
$tree selection set [lindex [$tree children {}] 12]
# The pointer away from the rows, so that it highlights none of them.
event generate . <Motion> -warp 1 -x 2 -y 2
update
after 300
update
set xwd [file rootname $png].xwd
exec xwd -root -silent -out $xwd
exec convert $xwd -crop ${width}x${height}+0+0 +repage $png
file delete $xwd
parmix::gui::Close
exit 0
