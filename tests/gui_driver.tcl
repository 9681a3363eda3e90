# Drives the window of parmix-gui the way a user would, on a display of its
# own (xvfb-run), and writes what it saw as a dict into a file for
# gui.test to judge:
#
#   tclsh gui_driver.tcl LIBRARY_DIR PARENTAL INDIVIDUAL WORK_DIR OUT
#
# The dialogs are replaced (they are modal and would stop the drive): the
# file dialogs answer with the paths given here, the error dialog keeps its
# message.  Nothing is judged here; every observation goes to OUT.
lassign $argv libraryDir parentalPath individualPath work out
set dir $libraryDir
source [file join $dir pkgIndex.tcl]
unset dir
package require parmix
package require Tk
source [file join $libraryDir gui.tcl]

set seen [dict create]
proc see {key value} {
    dict set ::seen $key $value
}

# An error in an event handler would open Tk's modal error dialog; it is
# kept instead.
set ::backgroundErrors {}
interp bgerror {} {apply {{message options} {
    lappend ::backgroundErrors [list $message [dict get $options -errorinfo]]
}}}

# The dialogs.
set ::answers [dict create parental $parentalPath individual $individualPath]
set ::saveAnswers {}
set ::errors {}
proc ::parmix::gui::AskOpenFile {kind title} {
    return [dict get $::answers $kind]
}
proc ::parmix::gui::AskSaveFile {title initial extension} {
    set ::saveAnswers [lassign $::saveAnswers path]
    return $path
}
proc ::parmix::gui::ShowError {message} {
    lappend ::errors $message
}

# Waits, serving events, until the run in progress ends (at most 15 s).
proc waitForRun {} {
    set timer [after 15000 {set ::parmix::gui::run timed-out}]
    while {[llength $::parmix::gui::run] && $::parmix::gui::run ne "timed-out"} {
        vwait ::parmix::gui::run
    }
    after cancel $timer
    return [expr {$::parmix::gui::run ne "timed-out"}]
}

proc tableRows {} {
    set tree .panes.table.tree
    lmap item [$tree children {}] {$tree item $item -values}
}

proc busyState {} {
    list [.actions.run cget -state] [. cget -cursor] \
        [.actions.busy cget -mode]
}

set failed [catch {
parmix::gui::main
wm geometry . 1180x760+0+0
update

# Choosing the files.
.files.parentalBrowse invoke
.files.individualBrowse invoke
see suggestedReport $::parmix::gui::report
set report [file join $work window.report.txt]
set ::saveAnswers [list $report]
.files.reportBrowse invoke
see fields [list $::parmix::gui::parental $::parmix::gui::individual $::parmix::gui::report]

# A run, with the genomic clines: busy at once, and the event loop keeps
# going while it lasts.
set ::ticks {}
see clinesBefore [list [.actions.saveClines cget -state] \
                      [llength [.panes.clines.canvas find withtag cline]]]
.actions.clines invoke
.actions.run invoke
see busyAtStart [busyState]
see statusAtStart $::parmix::gui::status
after 0 {lappend ::ticks [expr {[llength $::parmix::gui::run] > 0}]}
see finished [waitForRun]
see ticksWhileRunning $::ticks
see busyAfter [busyState]
update
see errorsAfterRun $::errors
see status $::parmix::gui::status
see notes [.notes.text get 1.0 end-1c]
see table [tableRows]
set triangle .panes.triangle.canvas
see triangleMarks [lmap item [$triangle find withtag joint] {
    lmap v [$triangle coords $item] {expr {round($v)}}
}]
see triangleLimits [lmap item [$triangle find withtag limit] {$triangle coords $item}]

# The clines: their tab in front, each curve with the locus it draws, the
# diagonal, the numbers on the curves and the key.
set clines .panes.clines.canvas
see clinesTab [.panes.figures select]
see clineCurves [lmap item [$clines find withtag cline] {
    list [dict get $::parmix::gui::clineItems($item) locus] [$clines coords $item]
}]
see clineDiagonal [$clines coords [$clines find withtag diagonal]]
see clineMarkers [llength [$clines find withtag clineMarker]]
see clineKey [lmap item [$clines find withtag clineKey] {$clines itemcget $item -text}]
set curve [lindex [$clines find withtag cline] end]
$clines raise $curve
update
lassign [$clines coords $curve] cx cy
event generate $clines <Motion> -x [expr {int($cx) + 1}] -y [expr {int($cy) - 1}]
update
see clineHover [list [dict get $::parmix::gui::clineItems($curve) locus] $::parmix::gui::status]

# Sorting by h, then the other way round.
set tree .panes.table.tree
eval [$tree heading h -command]
see sortedUp [lmap item [$tree children {}] {$tree set $item name}]
eval [$tree heading h -command]
see sortedDown [lmap item [$tree children {}] {$tree set $item name}]

# The plot on the canvas: names top to bottom, with the centre of their
# point, and the number of cut marks.
set canvas .panes.plot.canvas
set rows {}
foreach item [$canvas find withtag mark] {
    if {[$canvas type $item] eq "text"} {
        lappend rows [list [lindex [$canvas coords $item] 1] [$canvas itemcget $item -text] $item]
    }
}
set plotRows {}
foreach row [lsort -real -index 0 $rows] {
    lassign $row y name item
    set tag [lsearch -inline -regexp [$canvas gettags $item] {^r[0-9]+$}]
    set point [lindex [lmap i [$canvas find withtag $tag] {
        if {[$canvas type $i] eq "oval"} {set i} else continue
    }] 0]
    lassign [$canvas coords $point] x1 y1 x2 y2
    lappend plotRows [list $name [expr {($x1 + $x2) / 2.0}] [expr {($y1 + $y2) / 2.0}]]
}
see plotRows $plotRows
see plotCuts [llength [lmap i [$canvas find withtag mark] {
    if {[$canvas type $i] eq "polygon"} {set i} else continue
}]]
see scrollregion [$canvas cget -scrollregion]

# Highlighting: selecting the third row of the table, then the pointer
# over the first row of the plot, then over a row of the table.
proc highlighted {} {
    set tree .panes.table.tree
    set canvas .panes.plot.canvas
    set inTable [lmap item [$tree tag has hot] {$tree set $item name}]
    set inPlot {}
    foreach item [$canvas find withtag bg] {
        if {[$canvas itemcget $item -fill] eq $::parmix::gui::highlightColour} {
            set tag [lsearch -inline -regexp [$canvas gettags $item] {^r[0-9]+$}]
            foreach i [$canvas find withtag $tag] {
                if {[$canvas type $i] eq "text"} {
                    lappend inPlot [$canvas itemcget $i -text]
                }
            }
        }
    }
    list $inTable $inPlot
}
set third [lindex [$tree children {}] 2]
$tree selection set $third
update
see selected [list [$tree set $third name] [highlighted]]
$canvas yview moveto 0
update
set first [lindex [lsort -real -index 2 $plotRows] 0]
event generate $canvas <Motion> -x [expr {int([lindex $first 1])}] -y [expr {int([lindex $first 2])}]
update
see hoverPlot [list [lindex $first 0] [highlighted]]
set fifth [lindex [$tree children {}] 4]
lassign [$tree bbox $fifth name] bx by bw bh
event generate $tree <Motion> -x [expr {$bx + 5}] -y [expr {$by + $bh / 2}]
update
see hoverTable [list [$tree set $fifth name] [highlighted]]

# Saving the plot, exporting the table, opening the report.
set ::saveAnswers [list [file join $work window.svg] [file join $work window.tsv]]
.actions.savePlot invoke
.actions.exportTsv invoke
.actions.openReport invoke
update
see reportWindow [list [winfo exists .report] [.report.text get 1.0 end-1c]]
destroy .report
see errorsAfterSaving $::errors
set ::saveAnswers [list [file join $work window.clines.svg]]
.actions.saveClines invoke
see errorsAfterSavingClines $::errors

# Many departing loci through the window's drawing of the clines; the
# smaller the q-value, the later the row.
set synthetic {}
for {set i 0} {$i < 25} {incr i} {
    lappend synthetic [dict create locus s$i v 3 centre [expr {0.2 + 0.024 * $i}] \
        category steep qValue [expr {1e-4 * (25 - $i)}] pValue [expr {1e-5 * (25 - $i)}] lr 9]
}
::parmix::gui::ShowClines [list 0 $synthetic]
see syntheticMarkers [llength [$clines find withtag clineMarker]]
see syntheticKey [lmap item [$clines find withtag clineKey] {$clines itemcget $item -text}]
# A fit that failed says why, and a run without clines says how to get them.
proc canvasTexts {canvas} {
    lmap item [$canvas find all] {
        expr {[$canvas type $item] eq "text" ? [$canvas itemcget $item -text] : [continue]}
    }
}
::parmix::gui::ShowClines [list 1 "the clines went wrong"]
see clinesFailed [list [canvasTexts $clines] [llength [$clines find withtag cline]]]
::parmix::gui::ShowClines {}
see clinesNotAsked [list [canvasTexts $clines] [llength [$clines find withtag cline]]]

# A failing run: the files swapped.
set ::answers [dict create parental $individualPath individual $parentalPath]
.files.parentalBrowse invoke
.files.individualBrowse invoke
.actions.run invoke
see failedFinished [waitForRun]
update
see errors $::errors
see afterError [list [busyState] [tableRows]]

# The window is still usable: the right files again, and a run.
set ::errors {}
set ::answers [dict create parental $parentalPath individual $individualPath]
.files.parentalBrowse invoke
.files.individualBrowse invoke
.actions.run invoke
see againFinished [waitForRun]
update
see again [list $::errors [llength [tableRows]]]

# The genotype image of the clines of the same files in its own window:
# the cells as the drawing interface places them, then saved as SVG.  The
# last run fitted the clines, so its button opens the window.
see imageButton [.actions.showImage cget -state]
.actions.showImage invoke
update
set imageWindow .genotypeImage
set image [dict get $::parmix::gui::genotypeImage image]
see imageOfRun [expr {$image eq [dict get [parmix::clines $parentalPath $individualPath \
                                               -image 1] image]}]
set imageCanvas $imageWindow.canvas
set layout [parmix::imageLayout [dict get $::parmix::gui::genotypeImage title] $image]
see imageCells [list [llength [$imageCanvas find withtag cell]] \
                    [llength [parmix::imageCells $layout $image]]]
see imageFirstCell [list [lmap v [$imageCanvas coords [lindex [$imageCanvas find withtag cell] 0]] {
    format %.2f $v
}] [$imageCanvas itemcget [lindex [$imageCanvas find withtag cell] 0] -fill] \
    [lmap v [lrange [lindex [parmix::imageCells $layout $image] 0] 1 4] {format %.2f $v}] \
    [parmix::imageColour [lindex [parmix::imageCells $layout $image] 0 0]]]
see imageFills [lsort -unique [lmap item [$imageCanvas find withtag cell] {
    $imageCanvas itemcget $item -fill
}]]
set ::saveAnswers [list [file join $work image.svg]]
$imageWindow.save invoke
see imageSaved [list [file exists [file join $work image.svg]] $::errors]
destroy $imageWindow

# Closing the window as its window manager would.
eval [wm protocol . WM_DELETE_WINDOW]
see closed [list $::parmix::gui::closed [llength [info commands .]]]

} message]
if {$failed} {
    see driverError [list $message $::errorInfo]
}

see backgroundErrors $::backgroundErrors

set f [open $out w]
fconfigure $f -encoding utf-8
puts $f $seen
close $f
exit 0
