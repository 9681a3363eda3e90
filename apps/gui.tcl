# The window of parmix-gui: pick the parental file, the individual file and
# the report path, press Run, and look at the outcome: the notes of the
# parental checks, a sortable table of every individual, the plot of
# parmix::plot drawn on a canvas from the same layout, and beside it the
# triangle plot of the joint analysis of ancestry and interclass
# heterozygosity (parmix::ancestry), whose estimates and classes the table
# shows too, and, when asked for, the genomic clines of every locus
# (parmix::clines) drawn as parmix::clinePlot draws them.  Hovering over an
# individual, or selecting it, highlights it in the table and the plot.
#
# Only parmix-gui sources this file, after loading the package, so that
# `package require parmix` never needs Tk.
#
# The command `parmix` holds its thread until the analysis ends, so a run
# goes to a child tclsh that loads the same package; its result comes back
# through a pipe read by a file event, and the window keeps redrawing and
# answering meanwhile.
#
# The file dialogs and the error dialog are modal and would stop a script
# that drives the window, so they are reached only through AskOpenFile,
# AskSaveFile and ShowError, which such a script may replace.

package require Tk 8.6-

namespace eval ::parmix::gui {
    # The paths in the three fields (kept while the window is open).
    variable parental ""
    variable individual ""
    variable report ""
    # The folder of the last file picked in a dialog, where the next one opens.
    variable lastDir ""
    # The run in progress: {channel C output TEXT report PATH}, or empty.
    variable run {}
    # The results shown: {report PATH rows ROWS title TEXT clines CLINES},
    # or empty; CLINES as the child's result gives them (see ChildScript).
    variable shown {}
    # Whether a run also fits the genomic clines of every locus.
    variable clines 0
    # The column the table is sorted by and whether it is sorted downwards.
    variable sortColumn ""
    variable sortDown 0
    # The report index of the highlighted individual, or empty.
    variable hot ""
    variable status "Choose the two input files and the report, then press Run."
    # The tclsh that runs analyses; empty: the one beside this Tcl, or on PATH.
    variable tclsh ""
    # Set when the window has been closed; the launcher waits for it.
    variable closed 0
    # The genotype image shown in its own window: {image IMAGE title TEXT}.
    variable genotypeImage {}
    variable highlightColour #ffe2a0
    # The own colour of each row background of the plot that has been
    # highlighted, by canvas item.
    variable bandFill
    array set bandFill {}
}

# Builds the window on ".".  ARGS: optionally the parental file, the
# individual file and the report path to start with.
proc ::parmix::gui::main {args} {
    variable parental
    variable individual
    variable report
    lassign $args parental individual report
    if {$individual ne "" && $report eq ""} {
        set report [DefaultReport $individual]
    }
    Fonts
    wm title . "parmix [package present parmix]"
    wm geometry . 1260x760
    wm protocol . WM_DELETE_WINDOW ::parmix::gui::Close
    FilesPart .files
    ActionsPart .actions
    NotesPart .notes
    ttk::panedwindow .panes -orient horizontal
    .panes add [TablePart .panes.table] -weight 2
    .panes add [PlotPart .panes.plot] -weight 5
    .panes add [FiguresPart .panes.figures] -weight 3
    bind .panes <Map> {after idle ::parmix::gui::PlaceSashes}
    grid .files -sticky ew -padx 8 -pady {8 2}
    grid .actions -sticky ew -padx 8 -pady 2
    grid .notes -sticky ew -padx 8 -pady 2
    grid .panes -sticky nsew -padx 8 -pady {2 8}
    grid columnconfigure . 0 -weight 1
    grid rowconfigure . 3 -weight 1
    ResultButtons disabled
    return
}

# The triangle gets the room its drawing needs; the table and the h plot
# share the rest.
proc ::parmix::gui::PlaceSashes {} {
    set width [winfo width .panes]
    if {$width < 900} {
        return
    }
    .panes sashpos 1 [expr {$width - 400}]
    .panes sashpos 0 [expr {min(520, ($width - 400) / 2)}]
}

proc ::parmix::gui::Fonts {} {
    set sans {DejaVu Sans}
    foreach {name family size weight} [list \
        parmixTitle $sans -16 bold  parmixText $sans -12 normal  parmixHeading $sans -12 bold \
        parmixSmall $sans -11 normal  parmixMono {DejaVu Sans Mono} -11 normal] {
        if {$name ni [font names]} {
            font create $name -family $family -size $size -weight $weight
        }
    }
    # The layout leaves each character of a name the width that the
    # figure's monospaced type has; a wider stand-in is made smaller to fit.
    set room [dict get $::parmix::plotStyle nameCharWidth]
    for {set size 11} {$size > 7 && [font measure parmixMono 0] > $room} {incr size -1} {
        font configure parmixMono -size -$size
    }
}

# The three paths, each with a button that opens a file dialog.
proc ::parmix::gui::FilesPart {w} {
    ttk::frame $w
    foreach {kind label} {
        parental "Parental file" individual "Individual file" report "Report"
    } {
        ttk::label $w.${kind}Label -text $label
        ttk::entry $w.$kind -textvariable ::parmix::gui::$kind
        ttk::button $w.${kind}Browse -text "Choose\u2026" \
            -command [list ::parmix::gui::Browse $kind]
        grid $w.${kind}Label $w.$kind $w.${kind}Browse -sticky ew -padx 2 -pady 1
    }
    grid columnconfigure $w 1 -weight 1
    return $w
}

proc ::parmix::gui::ActionsPart {w} {
    ttk::frame $w
    ttk::button $w.run -text Run -command ::parmix::gui::Run -default active
    ttk::checkbutton $w.clines -text "Genomic clines" -variable ::parmix::gui::clines
    ttk::progressbar $w.busy -mode indeterminate -length 120
    ttk::label $w.status -textvariable ::parmix::gui::status -anchor w
    ttk::button $w.savePlot -text "Save plot as SVG\u2026" -command ::parmix::gui::SavePlot
    ttk::button $w.saveClines -text "Save clines as SVG\u2026" \
        -command ::parmix::gui::SaveClines
    ttk::button $w.showImage -text "Genotype image\u2026" \
        -command ::parmix::gui::ShowImageOfRun
    ttk::button $w.exportTsv -text "Export TSV\u2026" -command ::parmix::gui::ExportTsv
    ttk::button $w.openReport -text "Open report" -command ::parmix::gui::OpenReport
    grid $w.run $w.clines $w.busy $w.status $w.savePlot $w.saveClines $w.showImage \
        $w.exportTsv $w.openReport -padx 2 -sticky ew
    grid columnconfigure $w 3 -weight 1
    bind . <Return> [list $w.run invoke]
    return $w
}

proc ::parmix::gui::NotesPart {w} {
    ttk::labelframe $w -text "Parental checks"
    text $w.text -height 3 -wrap word -relief flat -background [ttk::style lookup . -background] \
        -font parmixText -state disabled
    grid $w.text -sticky ew -padx 4 -pady 2
    grid columnconfigure $w 0 -weight 1
    return $w
}

# The table: every individual of the report, sortable by each column.
proc ::parmix::gui::TablePart {w} {
    ttk::frame $w
    set columns {name h lower upper cut het hetLower hetUpper class assigned}
    ttk::treeview $w.tree -columns $columns -show headings -selectmode browse \
        -yscrollcommand [list $w.scroll set]
    foreach column $columns \
            heading {Name h Lower Upper "Cut at" het "het lower" "het upper" Class Assigned} \
            width {110 64 64 64 70 64 70 70 60 66} {
        $w.tree heading $column -text $heading \
            -command [list ::parmix::gui::SortBy $column]
        $w.tree column $column -width $width -stretch [expr {$column eq "name"}] \
            -anchor [expr {$column eq "name" ? "w" : "e"}]
    }
    variable highlightColour
    $w.tree tag configure hot -background $highlightColour
    ttk::scrollbar $w.scroll -orient vertical -command [list $w.tree yview]
    grid $w.tree $w.scroll -sticky nsew
    grid columnconfigure $w 0 -weight 1
    grid rowconfigure $w 0 -weight 1
    bind $w.tree <<TreeviewSelect>> ::parmix::gui::TableSelected
    bind $w.tree <Motion> {::parmix::gui::TableHover %W %x %y}
    bind $w.tree <Leave> {::parmix::gui::Highlight [::parmix::gui::Selected]}
    return $w
}

proc ::parmix::gui::PlotPart {w} {
    ttk::frame $w
    canvas $w.canvas -background #ffffff -highlightthickness 0 -width 700 \
        -xscrollcommand [list $w.xscroll set] -yscrollcommand [list $w.yscroll set]
    ttk::scrollbar $w.xscroll -orient horizontal -command [list $w.canvas xview]
    ttk::scrollbar $w.yscroll -orient vertical -command [list $w.canvas yview]
    grid $w.canvas $w.yscroll -sticky nsew
    grid $w.xscroll -sticky ew
    grid columnconfigure $w 0 -weight 1
    grid rowconfigure $w 0 -weight 1
    $w.canvas bind hit <Enter> {::parmix::gui::CanvasHover %W}
    $w.canvas bind hit <Leave> {::parmix::gui::Highlight [::parmix::gui::Selected]}
    $w.canvas bind hit <Button-1> {::parmix::gui::CanvasClick %W}
    bind $w.canvas <MouseWheel> {%W yview scroll [expr {-%D / 120}] units}
    bind $w.canvas <Button-4> {%W yview scroll -3 units}
    bind $w.canvas <Button-5> {%W yview scroll 3 units}
    return $w
}

# The figures of the whole study, one tab each: the triangle plot of the
# joint analysis and the genomic clines.  Each figure keeps its own path
# beside the notebook (the notebook only shows one at a time), so a further
# figure is one more part and one more tab here.
proc ::parmix::gui::FiguresPart {w} {
    ttk::notebook $w
    $w add [TrianglePart .panes.triangle] -text "Triangle"
    $w add [ClinesPart .panes.clines] -text "Clines"
    return $w
}

# The triangle plot of the joint analysis: het against h.
proc ::parmix::gui::TrianglePart {w} {
    ttk::frame $w
    canvas $w.canvas -background #ffffff -highlightthickness 0 -width 380 -height 420
    grid $w.canvas -sticky nsew
    grid columnconfigure $w 0 -weight 1
    grid rowconfigure $w 0 -weight 1
    return $w
}

# The genomic clines: every locus's cline against h, scrolled down to the
# key of the numbered loci.
proc ::parmix::gui::ClinesPart {w} {
    ttk::frame $w
    canvas $w.canvas -background #ffffff -highlightthickness 0 -width 380 -height 420 \
        -yscrollcommand [list $w.yscroll set]
    ttk::scrollbar $w.yscroll -orient vertical -command [list $w.canvas yview]
    grid $w.canvas $w.yscroll -sticky nsew
    grid columnconfigure $w 0 -weight 1
    grid rowconfigure $w 0 -weight 1
    $w.canvas bind cline <Enter> {::parmix::gui::ClineHover %W}
    return $w
}

# Dialogs.  A script that drives the window replaces these three procedures.

# A file to read, for the field KIND (parental, individual); empty when
# the dialog is cancelled.
proc ::parmix::gui::AskOpenFile {kind title} {
    return [tk_getOpenFile -parent . -title $title {*}[InitialDir] \
                -filetypes {{{Text files} {.txt}} {{All files} *}}]
}

# A file to write, suggested as INITIAL, of the type EXTENSION.
proc ::parmix::gui::AskSaveFile {title initial extension} {
    return [tk_getSaveFile -parent . -title $title {*}[InitialDir] \
                -initialfile [file tail $initial] -defaultextension $extension]
}

proc ::parmix::gui::ShowError {message} {
    tk_messageBox -parent . -icon error -title "parmix" -message $message
}

proc ::parmix::gui::InitialDir {} {
    variable lastDir
    expr {$lastDir ne "" && [file isdirectory $lastDir] ? [list -initialdir $lastDir] : {}}
}

proc ::parmix::gui::Remember {path} {
    variable lastDir [file dirname [file normalize $path]]
}

# The report suggested for an individual file: beside it, named after it.
proc ::parmix::gui::DefaultReport {individual} {
    return [file rootname $individual].report.txt
}

proc ::parmix::gui::Browse {kind} {
    variable report
    if {$kind eq "report"} {
        set initial [expr {$report ne "" ? $report : "parmix_output.txt"}]
        set path [AskSaveFile "Write the report to" $initial .txt]
    } else {
        set path [AskOpenFile $kind "Choose the [string map {parental Parental individual Individual} $kind] file"]
    }
    if {$path eq ""} {
        return
    }
    Remember $path
    set ::parmix::gui::$kind $path
    if {$kind eq "individual" && $report eq ""} {
        set report [DefaultReport $path]
    }
}

# Running an analysis.

proc ::parmix::gui::Run {} {
    variable run
    variable parental
    variable individual
    variable report
    variable clines
    if {[llength $run]} {
        return
    }
    foreach {value what} [list $parental "the parental file" $individual "the individual file" \
                              $report "where the report goes"] {
        if {[string trim $value] eq ""} {
            ShowError "Choose $what first."
            return
        }
    }
    try {
        set script [ChildScript $parental $individual $report $clines]
        set chan [open |[list [Tclsh] << $script 2>@1] r]
    } on error {message} {
        ShowError "The analysis could not be started: $message"
        return
    }
    fconfigure $chan -blocking 0 -encoding utf-8
    set run [dict create channel $chan output "" report $report \
                 title "Hybrid index of [file tail $individual] with parental file\
                     [file tail $parental]"]
    fileevent $chan readable ::parmix::gui::RunOutput
    Busy 1 "Running the analysis of [file tail $individual]\u2026"
}

# The tclsh that runs analyses: the one named in the variable tclsh, this
# process when it is a tclsh, one beside this process's Tcl, or the first
# on PATH.
proc ::parmix::gui::Tclsh {} {
    variable tclsh
    if {$tclsh ne ""} {
        return $tclsh
    }
    set self [info nameofexecutable]
    if {[string match tclsh* [file tail $self]]} {
        return $self
    }
    set beside [file join [file dirname $self] tclsh[info tclversion]]
    if {[file executable $beside]} {
        return $beside
    }
    set found [auto_execok tclsh[info tclversion]]
    if {$found eq ""} {
        set found [auto_execok tclsh]
    }
    if {$found eq ""} {
        error "no tclsh was found"
    }
    return [lindex $found 0]
}

# The script of the child: load this very package (by its own index, so no
# other installed copy stands in), run the command, then the joint
# analysis and, when CLINES is true, the clines, and write the outcome as
# one line {parmix-result STATUS MESSAGE ERRORCODE JOINT CLINES}, JOINT the
# rows of parmix::ancestry (empty when it failed: the window then shows the
# hybrid index alone), CLINES empty when not asked for, else {0 ROWS IMAGE}
# with the rows of parmix::clines and its genotype image, or {1 MESSAGE}
# when they failed.
proc ::parmix::gui::ChildScript {parental individual report {clines 0}} {
    set dir $::parmix::libraryDir
    return [join [list \
        [list set dir $dir] \
        {source [file join $dir pkgIndex.tcl]} \
        [list package require -exact parmix [package present parmix]] \
        {fconfigure stdout -encoding utf-8} \
        "set status \[[list catch [list parmix $parental $individual $report] message options]\]" \
        {set code [expr {[dict exists $options -errorcode] ? [dict get $options -errorcode] : ""}]} \
        {set joint {}} \
        "if {!\$status} {[list catch [list parmix::ancestry $parental $individual] joint]}" \
        {set clines {}} \
        "if {!\$status && $clines} {set clines \[[list catch [list parmix::clines $parental $individual -image 1] both]\]}" \
        {if {[llength $clines] && [lindex $clines 0]} {lappend clines $both}} \
        {if {[llength $clines] && ![lindex $clines 0]} {lappend clines [dict get $both clines] [dict get $both image]}} \
        {puts [list parmix-result $status $message $code $joint $clines]} \
        exit] \n]\n
}

proc ::parmix::gui::RunOutput {} {
    variable run
    set chan [dict get $run channel]
    if {[catch {read $chan} text]} {
        set text ""
        set eof 1
    } else {
        set eof [eof $chan]
    }
    dict append run output $text
    if {!$eof} {
        return
    }
    fconfigure $chan -blocking 1
    catch {close $chan}
    set finished $run
    set run {}
    Busy 0 ""
    RunFinished $finished
}

proc ::parmix::gui::RunFinished {finished} {
    variable status
    set output [dict get $finished output]
    set result ""
    foreach line [split $output \n] {
        if {[string match "parmix-result *" $line] && [string is list $line]} {
            set result $line
        }
    }
    if {$result eq ""} {
        set status "The analysis stopped without a result."
        ShowError "The analysis stopped without a result:\n[string trim $output]"
        return
    }
    lassign $result - code message - joint clines
    if {$code} {
        set status "The analysis failed."
        ShowError $message
        return
    }
    Show [dict get $finished report] [dict get $finished title] $joint $clines
}

proc ::parmix::gui::Busy {on text} {
    variable status
    set state [expr {$on ? "disabled" : "normal"}]
    .actions.run configure -state $state
    foreach kind {parental individual report} {
        .files.${kind}Browse configure -state $state
    }
    if {$on} {
        ResultButtons disabled
        .actions.busy configure -mode indeterminate
        .actions.busy start 15
        set status $text
    } else {
        .actions.busy stop
        .actions.busy configure -mode determinate -value 0
    }
    . configure -cursor [expr {$on ? "watch" : ""}]
}

proc ::parmix::gui::ResultButtons {state} {
    variable shown
    foreach button {savePlot exportTsv openReport} {
        .actions.$button configure -state $state
    }
    set fitted [expr {[dict exists $shown clines] && [lindex [dict get $shown clines] 0] eq "0"}]
    .actions.saveClines configure -state [expr {$fitted ? $state : "disabled"}]
    .actions.showImage configure -state [expr {$fitted ? $state : "disabled"}]
}

# Showing the results of a report.

# JOINT: the rows of the joint analysis of the same files, in report order,
# or empty; CLINES: the clines as ChildScript gives them, or empty.
proc ::parmix::gui::Show {report title {joint {}} {clines {}}} {
    variable shown
    variable status
    variable hot ""
    try {
        set data [::parmix::readReport $report]
    } on error {message} {
        set status "The report could not be read."
        ShowError $message
        return
    }
    set rows {}
    set index 0
    foreach row [dict get $data rows] {
        dict set row joint [expr {$index < [llength $joint] ? [lindex $joint $index] : {}}]
        lappend rows [dict set row index $index]
        incr index
    }
    set shown [dict create report $report rows $rows title $title clines $clines]
    ShowNotes $data
    FillTable $rows
    DrawPlot .panes.plot.canvas $title $rows
    DrawTriangle .panes.triangle.canvas $joint
    ShowClines $clines
    ResultButtons normal
    set estimated [llength [lsearch -all -not -exact [lmap row $rows {dict get $row h}] ""]]
    set status "[llength $rows] individuals, $estimated with an estimate; report in $report"
}

proc ::parmix::gui::ShowNotes {data} {
    set lines {}
    foreach row [dict get $data excluded] {
        lappend lines "The locus in row $row of the parental file was left out: its\
            frequencies in R and S do not differ."
    }
    set weak [dict get $data weak]
    if {[dict size $weak]} {
        lappend lines "[dict get $weak count] of the [dict get $weak loci] loci used differ only\
            weakly between R and S (see the report)."
    }
    if {![llength $lines]} {
        lappend lines "Every locus tells R and S apart; none was left out."
    }
    set text .notes.text
    $text configure -state normal -height [expr {min(4, max(1, [llength $lines]))}]
    $text delete 1.0 end
    $text insert end [join $lines \n]
    $text configure -state disabled
}

proc ::parmix::gui::FillTable {rows} {
    variable sortColumn ""
    set tree .panes.table.tree
    $tree delete [$tree children {}]
    foreach row $rows {
        set values [list [dict get $row name]]
        foreach key {h lower upper} {
            set value [dict get $row $key]
            lappend values [if {$value eq ""} {string cat nan} else {set value}]
        }
        set cut [lmap key {lower upper} {
            if {[dict get $row ${key}Cut] eq "1"} {set key} else continue
        }]
        lappend values [join $cut ", "] {*}[JointValues [dict get $row joint]]
        $tree insert {} end -id row[dict get $row index] -values $values
    }
    ShowSortArrow
}

# The table's values of the joint analysis: het, its limits (a cut one
# marked *), the best class and whether it is assigned (yes or no), as the
# report's Class and Assigned columns give them; nan where undefined,
# empty without a joint analysis.
proc ::parmix::gui::JointValues {joint} {
    if {![llength $joint]} {
        return [lrepeat 5 ""]
    }
    set values {}
    foreach key {het hetLower hetUpper} cut {{} hetLowerCut hetUpperCut} {
        set value [dict get $joint $key]
        if {$value eq ""} {
            lappend values nan
            continue
        }
        set text [format %.5f $value]
        if {$cut ne "" && [dict get $joint $cut]} {
            append text *
        }
        lappend values $text
    }
    lappend values [dict get $joint class] \
        [expr {[string is true -strict [dict get $joint assigned]] ? "yes" : "no"}]
    return $values
}

# Sorts the table by COLUMN; the same column again turns the order round.
# Numbers sort as numbers, and rows without a value (nan) come last either
# way; ties keep the report's order.
proc ::parmix::gui::SortBy {column} {
    variable sortColumn
    variable sortDown
    set sortDown [expr {$column eq $sortColumn ? !$sortDown : 0}]
    set sortColumn $column
    set tree .panes.table.tree
    set items [lsort -command [list ::parmix::gui::CompareItems $tree $column] \
                   [lsort -dictionary [$tree children {}]]]
    if {$sortDown} {
        set undefined [lmap item $items {
            if {[$tree set $item $column] eq "nan"} {set item} else continue
        }]
        set items [concat [lreverse [lrange $items 0 end-[llength $undefined]]] $undefined]
    }
    set i 0
    foreach item $items {
        $tree move $item {} $i
        incr i
    }
    ShowSortArrow
}

proc ::parmix::gui::CompareItems {tree column a b} {
    set x [$tree set $a $column]
    set y [$tree set $b $column]
    if {$column in {name cut class assigned}} {
        return [string compare $x $y]
    }
    if {$x eq "nan" || $y eq "nan"} {
        return [expr {($x eq "nan") - ($y eq "nan")}]
    }
    expr {$x < $y ? -1 : ($x > $y ? 1 : 0)}
}

proc ::parmix::gui::ShowSortArrow {} {
    variable sortColumn
    variable sortDown
    set tree .panes.table.tree
    foreach column {name h lower upper cut} heading {Name h Lower Upper "Cut at"} {
        if {$column eq $sortColumn} {
            append heading [expr {$sortDown ? " \u25bc" : " \u25b2"}]
        }
        $tree heading $column -text $heading
    }
}

# The plot on the canvas, placed by the layout of parmix::plot.

proc ::parmix::gui::DrawPlot {canvas title rows} {
    variable ::parmix::plotStyle
    variable bandFill
    array unset bandFill
    $canvas delete all
    lassign [::parmix::plotGroups $rows] estimated undefined
    set layout [::parmix::plotLayout $title $estimated $undefined]
    dict with layout {}
    dict with plotStyle {}
    $canvas create rectangle 0 0 $width $height -fill #ffffff -outline ""
    $canvas create text $margin 32 -anchor sw -text $title -font parmixTitle -fill $text
    $canvas create text $margin 51 -anchor sw -font parmixText -fill $muted \
        -text [::parmix::plotSummary $estimated $undefined]
    Legend $canvas
    RowBackgrounds $canvas $layout $estimated
    foreach {x -} [::parmix::plotTicks $layout] {
        $canvas create line $x $top $x $bottom -fill $grid
    }
    if {$topAxis} {
        Axis $canvas $layout [expr {$top - 8}] -1
    }
    set i 0
    foreach row $estimated {
        set y [::parmix::plotRowY $layout $i]
        if {!$compact} {
            set name [dict get $row name]
            if {[string length $name] > $longestShownName} {
                set name [string range $name 0 [expr {$longestShownName - 2}]]\u2026
            }
            $canvas create text [expr {$left - 12}] $y -anchor e -text $name \
                -font parmixMono -fill $text -tags [list mark r$i]
        }
        RowMarks $canvas $layout $row $y r$i
        incr i
    }
    Axis $canvas $layout [expr {$bottom + 6}] 1
    # The individuals without an estimate: a heading, then lines of names.
    set y $listTop
    set font parmixHeading
    foreach line $listLines {
        $canvas create text $margin [expr {$y + 3}] -anchor sw -text $line -fill $text -font $font
        set font parmixMono
        set y [expr {$y + 16}]
    }
    $canvas configure -scrollregion [list 0 0 $width $height]
    # Marks and names take the hover of their row too.
    $canvas addtag hit withtag mark
}

# The triangle plot on CANVAS, drawn with the places and looks of
# parmix::triangle at a smaller scale: the sides, the hybrid-index curve,
# the class points, and each individual with its limits as crosshairs.
proc ::parmix::gui::DrawTriangle {canvas joint} {
    variable ::parmix::triangleStyle
    variable ::parmix::triangleClasses
    $canvas delete all
    set layout [dict create left 50 top 40 side 300]
    $canvas create text 10 22 -anchor sw -font parmixTitle -fill #222222 \
        -text "Ancestry and interclass heterozygosity"
    if {![llength $joint]} {
        return
    }
    set corners [concat {*}[lmap {h het} {0 0 1 0 0.5 1} {::parmix::triangleXY $layout $h $het}]]
    $canvas create polygon {*}$corners -fill "" -outline [dict get $triangleStyle edge] -width 1.5
    set curve {}
    for {set i 0} {$i <= 60} {incr i} {
        set h [expr {$i / 60.0}]
        lappend curve {*}[::parmix::triangleXY $layout $h [expr {2 * $h * (1 - $h)}]]
    }
    $canvas create line {*}$curve -fill [dict get $triangleStyle curve] -dash {6 4}
    lassign [::parmix::triangleXY $layout 0 0] x0 y0
    $canvas create text [expr {$x0 + 150}] [expr {$y0 + 22}] -text "h" -font parmixText
    $canvas create text [expr {$x0 - 20}] [expr {$y0 - 150}] -text "het" -font parmixText
    set compact [expr {[llength $joint] > [dict get $triangleStyle compactAbove]}]
    foreach row $joint {
        if {[dict get $row h] ne "" && [dict get $row het] ne ""} {
            TriangleRow $canvas $layout $row $compact
        }
    }
    dict for {class look} $triangleClasses {
        lassign [::parmix::triangleXY $layout [dict get $look h] [dict get $look het]] x y
        $canvas create oval [expr {$x - 3}] [expr {$y - 3}] [expr {$x + 3}] [expr {$y + 3}] \
            -outline [dict get $triangleStyle classPoint] -width 1.5
        $canvas create text [expr {$x + 6}] [expr {$y - 6}] -anchor sw -text $class \
            -font parmixText -fill [dict get $look colour]
    }
}

# The clines of a run, as ChildScript gives them: drawn, and their tab
# brought forward; a failed fit says why on the canvas instead.
proc ::parmix::gui::ShowClines {clines} {
    set canvas .panes.clines.canvas
    if {![llength $clines]} {
        DrawClines $canvas {}
        return
    }
    lassign $clines failed rows
    if {$failed} {
        DrawClines $canvas {} "The clines could not be fitted: $rows"
    } else {
        DrawClines $canvas $rows
    }
    .panes.figures select .panes.clines
}

# The cline plot on CANVAS, with the places, looks and notes of
# parmix::clinePlot in a smaller square: the neutral loci underneath, the
# departing ones on top, the neutral diagonal, the numbers of the most
# significant loci on their curves, then the legend and the key below.
proc ::parmix::gui::DrawClines {canvas rows {message ""}} {
    variable ::parmix::clineStyle
    variable ::parmix::clineKinds
    variable clineItems
    array unset clineItems
    $canvas delete all
    $canvas create text 10 22 -anchor sw -font parmixTitle -fill #222222 -text "Genomic clines"
    if {$message ne "" || ![llength $rows]} {
        $canvas create text 10 44 -anchor nw -width 360 -font parmixText -fill #555555 \
            -text [expr {$message ne "" ? $message
                         : "Tick \"Genomic clines\" and run to fit every locus's cline."}]
        $canvas configure -scrollregion [list 0 0 380 420]
        return
    }
    set selection [::parmix::clineSelection $rows]
    set y 30
    foreach note [dict get $selection notes] {
        set item [$canvas create text 10 $y -anchor nw -width 360 -font parmixSmall \
                      -fill [dict get $clineStyle muted] -text $note]
        set y [expr {[lindex [$canvas bbox $item] 3] + 2}]
    }
    set layout [dict create left 50 top [expr {$y + 14}] side 300]
    ClineFrame $canvas $layout
    foreach group {neutral departing} {
        set drawn [dict get $selection $group]
        if {$group eq "departing"} {
            set drawn [lreverse $drawn]
        }
        foreach row $drawn {
            ClineCurve $canvas $layout $row
        }
    }
    $canvas create line {*}[::parmix::clineXY $layout 0 0] {*}[::parmix::clineXY $layout 1 1] \
        -fill [dict get $clineStyle diagonal] -width 1.5 -dash {6 4} -tags diagonal
    foreach place [::parmix::clineMarkers $layout $selection] {
        lassign $place number x y row
        lassign [::parmix::clineLook $row] - colour
        $canvas create oval [expr {$x - 6}] [expr {$y - 6}] [expr {$x + 6}] [expr {$y + 6}] \
            -fill #ffffff -outline $colour -width 1.5 -tags clineMarker
        $canvas create text $x $y -text $number -font parmixSmall -fill #222222 -tags clineMarker
    }
    set y [ClineKey $canvas [expr {[dict get $layout top] + 340}] $selection]
    $canvas configure -scrollregion [list 0 0 380 [expr {$y + 10}]]
}

# The square of the plot with its grid and axes' labels.
proc ::parmix::gui::ClineFrame {canvas layout} {
    variable ::parmix::clineStyle
    for {set i 0} {$i <= 10} {incr i 2} {
        set t [expr {$i / 10.0}]
        lassign [::parmix::clineXY $layout $t 0] x y0
        lassign [::parmix::clineXY $layout 0 $t] x0 y
        lassign [::parmix::clineXY $layout 1 1] x1 y1
        $canvas create line $x $y0 $x $y1 -fill [dict get $clineStyle grid]
        $canvas create line $x0 $y $x1 $y -fill [dict get $clineStyle grid]
        $canvas create text $x [expr {$y0 + 10}] -text [format %g $t] -font parmixSmall
        $canvas create text [expr {$x0 - 14}] $y -text [format %g $t] -font parmixSmall
    }
    lassign [::parmix::clineXY $layout 0 0] x0 y0
    lassign [::parmix::clineXY $layout 1 1] x1 y1
    $canvas create rectangle $x0 $y1 $x1 $y0 -outline [dict get $clineStyle axis]
    $canvas create text [expr {($x0 + $x1) / 2.0}] [expr {$y0 + 26}] -text "hybrid index h" \
        -font parmixText
    $canvas create text [expr {$x0 - 36}] [expr {($y0 + $y1) / 2.0}] -angle 90 \
        -text "R ancestry at the locus \u03c6" -font parmixText
}

# One locus's curve, remembered by its item for the hover.
proc ::parmix::gui::ClineCurve {canvas layout row} {
    variable clineItems
    lassign [::parmix::clineLook $row] kind colour width dashed
    set points {}
    foreach {h phi} [::parmix::clineCurve [dict get $row v] [dict get $row centre]] {
        lappend points {*}[::parmix::clineXY $layout $h $phi]
    }
    set item [$canvas create line {*}$points -fill $colour -width $width \
                  -dash [expr {$dashed ? {7 3} : {}}] -tags [list cline $kind]]
    set clineItems($item) $row
}

# The kinds drawn with their colours, then the numbered loci by name.
# Returns the y below the last line.
proc ::parmix::gui::ClineKey {canvas y selection} {
    variable ::parmix::clineKinds
    set kinds {}
    foreach row [concat [lrange [dict get $selection neutral] 0 0] [dict get $selection departing]] {
        lassign [::parmix::clineLook $row] kind - - dashed
        dict set kinds $kind 1
        if {$dashed} {
            dict set kinds dashed 1
        }
    }
    set lines {}
    dict for {kind look} $clineKinds {
        if {[dict exists $kinds $kind]} {
            lappend lines [dict get $look colour] {} [dict get $look label]
        }
    }
    if {[dict exists $kinds dashed]} {
        lappend lines #555555 {7 3} "steepness and shift both"
    }
    lappend lines #111111 {6 4} "\u03c6 = h: the neutral cline"
    foreach {colour dash label} $lines {
        $canvas create line 12 [expr {$y + 7}] 30 [expr {$y + 7}] -fill $colour -width 2 -dash $dash
        $canvas create text 36 $y -anchor nw -text $label -font parmixSmall
        set y [expr {$y + 16}]
    }
    set number 0
    foreach row [lrange [dict get $selection departing] 0 [dict get $selection labelled]-1] {
        incr number
        $canvas create text 12 [expr {$y + 4}] -anchor nw -font parmixSmall -tags clineKey \
            -text "$number  [dict get $row locus] ([dict get $row category], q =\
                [format %.3g [dict get $row qValue]])"
        set y [expr {$y + 16}]
    }
    return $y
}

# The pointer over a locus's curve names the locus and its estimates in the
# status line.
proc ::parmix::gui::ClineHover {canvas} {
    variable clineItems
    variable status
    set item [$canvas find withtag current]
    if {$item eq "" || ![info exists clineItems($item)]} {
        return
    }
    set row $clineItems($item)
    set status "[dict get $row locus]: [dict get $row category], v =\
        [format %.3g [dict get $row v]], centre = [format %.3g [dict get $row centre]]"
    if {[string is double -strict [dict get $row qValue]]} {
        append status ", q = [format %.3g [dict get $row qValue]]"
    }
}

proc ::parmix::gui::TriangleRow {canvas layout row compact} {
    variable ::parmix::triangleStyle
    lassign [::parmix::triangleXY $layout [dict get $row h] [dict get $row het]] x y
    lassign [::parmix::triangleLook $row] shape colour
    if {!$compact} {
        # The limits as the figure draws them, kept inside the triangle; an
        # undefined one ends its line at the estimate.
        set ends [dict merge [dict create hLower [dict get $row h] hUpper [dict get $row h] \
                                  hetLower [dict get $row het] hetUpper [dict get $row het]] \
                      [::parmix::triangleLimitEnds $row]]
        set limit [dict get $triangleStyle limit]
        lassign [::parmix::triangleXY $layout [dict get $ends hLower] [dict get $row het]] xa
        lassign [::parmix::triangleXY $layout [dict get $ends hUpper] [dict get $row het]] xb
        lassign [::parmix::triangleXY $layout [dict get $row h] [dict get $ends hetLower]] - ya
        lassign [::parmix::triangleXY $layout [dict get $row h] [dict get $ends hetUpper]] - yb
        $canvas create line $xa $y $xb $y -fill $limit -tags limit
        $canvas create line $x $ya $x $yb -fill $limit -tags limit
    }
    set r [expr {$compact ? 2 : 4}]
    set coords [list [expr {$x - $r}] [expr {$y - $r}] [expr {$x + $r}] [expr {$y + $r}]]
    if {$shape eq "circle"} {
        $canvas create oval {*}$coords -outline $colour -width 1.5 -tags joint
    } else {
        $canvas create rectangle {*}$coords -fill $colour -outline "" -tags joint
    }
}

# A background for each row (banded like the figure) that also catches the
# pointer for the row; tagged hit, r<I> and bg.
proc ::parmix::gui::RowBackgrounds {canvas layout estimated} {
    variable ::parmix::plotStyle
    set right [expr {[dict get $layout left] + [dict get $plotStyle axisWidth]}]
    set step [dict get $layout step]
    set i 0
    foreach row $estimated {
        set y [::parmix::plotRowY $layout $i]
        set fill [expr {$i % 2 && ![dict get $layout compact] ? [dict get $plotStyle band] : "#ffffff"}]
        $canvas create rectangle [dict get $plotStyle margin] [expr {$y - $step / 2.0}] \
            $right [expr {$y + $step / 2.0}] -fill $fill -outline "" \
            -tags [list hit bg r$i index[dict get $row index]]
        incr i
    }
}

proc ::parmix::gui::RowMarks {canvas layout row y tag} {
    variable ::parmix::plotStyle
    lassign [::parmix::plotRowEnds $layout $row] xh x1 end1 x2 end2
    set compact [dict get $layout compact]
    set width [expr {$compact ? 1 : 2}]
    set tags [list mark $tag]
    $canvas create line $x1 $y $x2 $y -fill [dict get $plotStyle bar] -width $width -tags $tags
    foreach x [list $x1 $x2] end [list $end1 $end2] direction {-1 1} {
        if {$end eq "cut"} {
            if {$compact} {
                $canvas create line $x $y [expr {$x + 6 * $direction}] $y \
                    -fill [dict get $plotStyle cut] -tags $tags
            } else {
                CutMark $canvas $x $y $direction $tags
            }
        } elseif {$end eq "cap" && !$compact} {
            $canvas create line $x [expr {$y - 4}] $x [expr {$y + 4}] \
                -fill [dict get $plotStyle bar] -width 2 -tags $tags
        }
    }
    if {$compact} {
        $canvas create line [expr {$xh - 1.5}] $y [expr {$xh + 1.5}] $y \
            -fill [dict get $plotStyle point] -width 2 -tags $tags
    } else {
        $canvas create oval [expr {$xh - 3.5}] [expr {$y - 3.5}] [expr {$xh + 3.5}] \
            [expr {$y + 3.5}] -fill [dict get $plotStyle point] -outline #ffffff -tags $tags
    }
}

proc ::parmix::gui::CutMark {canvas x y direction tags} {
    variable ::parmix::plotStyle
    $canvas create polygon $x [expr {$y - 5}] [expr {$x + 8 * $direction}] $y \
        $x [expr {$y + 5}] -fill [dict get $plotStyle cut] -outline "" -tags $tags
}

proc ::parmix::gui::Legend {canvas} {
    variable ::parmix::plotStyle
    set margin [dict get $plotStyle margin]
    set colour [dict get $plotStyle text]
    set y 72
    $canvas create oval [expr {$margin + 1.5}] [expr {$y - 3.5}] [expr {$margin + 8.5}] \
        [expr {$y + 3.5}] -fill [dict get $plotStyle point] -outline ""
    $canvas create text [expr {$margin + 14}] $y -anchor w -text "estimate of h" \
        -font parmixSmall -fill $colour
    set bar [dict get $plotStyle bar]
    $canvas create line [expr {$margin + 112}] $y [expr {$margin + 142}] $y -fill $bar -width 2
    foreach x [list [expr {$margin + 112}] [expr {$margin + 142}]] {
        $canvas create line $x [expr {$y - 4}] $x [expr {$y + 4}] -fill $bar -width 2
    }
    $canvas create text [expr {$margin + 150}] $y -anchor w -text "2-unit support limits" \
        -font parmixSmall -fill $colour
    CutMark $canvas [expr {$margin + 290}] $y 1 {}
    $canvas create text [expr {$margin + 302}] $y -anchor w -text "limit cut at 0 or 1" \
        -font parmixSmall -fill $colour
}

# The axis line at Y, its ticks and labels below it (SIDE 1, with the
# axis title) or above it (SIDE -1).
proc ::parmix::gui::Axis {canvas layout y side} {
    variable ::parmix::plotStyle
    set colour [dict get $plotStyle axis]
    set left [dict get $layout left]
    set axisWidth [dict get $plotStyle axisWidth]
    $canvas create line $left $y [expr {$left + $axisWidth}] $y -fill $colour
    foreach {x label} [::parmix::plotTicks $layout] {
        $canvas create line $x $y $x [expr {$y + 5 * $side}] -fill $colour
        $canvas create text $x [expr {$y + 7 * $side}] -text $label -font parmixSmall \
            -fill $colour -anchor [expr {$side > 0 ? "n" : "s"}]
    }
    if {$side > 0} {
        $canvas create text [expr {$left + $axisWidth / 2.0}] [expr {$y + 41}] -anchor s \
            -font parmixText -fill $colour \
            -text "hybrid index h (0: parental population S, 1: parental population R)"
    }
}

# Highlighting one individual in the table and the plot.

# The report index of the row under the pointer on CANVAS, or empty.
proc ::parmix::gui::CanvasRow {canvas} {
    foreach tag [$canvas gettags current] {
        if {[regexp {^r([0-9]+)$} $tag -> i]} {
            foreach tag [$canvas gettags [$canvas find withtag "bg && r$i"]] {
                if {[regexp {^index([0-9]+)$} $tag -> index]} {
                    return $index
                }
            }
        }
    }
    return ""
}

proc ::parmix::gui::CanvasHover {canvas} {
    Highlight [CanvasRow $canvas]
}

proc ::parmix::gui::CanvasClick {canvas} {
    set index [CanvasRow $canvas]
    if {$index ne ""} {
        .panes.table.tree selection set row$index
        .panes.table.tree see row$index
    }
}

proc ::parmix::gui::TableHover {tree x y} {
    set item [$tree identify item $x $y]
    if {[regexp {^row([0-9]+)$} $item -> index]} {
        Highlight $index
    }
}

proc ::parmix::gui::Selected {} {
    set item [lindex [.panes.table.tree selection] 0]
    expr {[regexp {^row([0-9]+)$} $item -> index] ? $index : ""}
}

proc ::parmix::gui::TableSelected {} {
    set index [Selected]
    Highlight $index
    # Bring the selected row of the plot into view.
    set canvas .panes.plot.canvas
    set item [$canvas find withtag index$index]
    if {$index ne "" && $item ne ""} {
        lassign [$canvas bbox $item] - y1 - y2
        lassign [$canvas cget -scrollregion] - - - height
        lassign [$canvas yview] first last
        if {$height > 0 && ($y1 < $first * $height || $y2 > $last * $height)} {
            $canvas yview moveto [expr {max(0, ($y1 - 40.0) / $height)}]
        }
    }
}

# Highlights the individual with the report index INDEX (none when empty):
# its row of the table and its row of the plot.
proc ::parmix::gui::Highlight {index} {
    variable hot
    variable highlightColour
    variable shown
    set tree .panes.table.tree
    set canvas .panes.plot.canvas
    variable bandFill
    if {$hot ne "" && [$tree exists row$hot]} {
        $tree tag remove hot row$hot
        set bg [$canvas find withtag index$hot]
        if {$bg ne "" && [info exists bandFill($bg)]} {
            $canvas itemconfigure $bg -fill $bandFill($bg)
        }
    }
    set hot $index
    if {$index eq "" || ![$tree exists row$index]} {
        set hot ""
        return
    }
    $tree tag add hot row$index
    set bg [$canvas find withtag index$index]
    if {$bg ne ""} {
        if {![info exists bandFill($bg)]} {
            set bandFill($bg) [$canvas itemcget $bg -fill]
        }
        $canvas itemconfigure $bg -fill $highlightColour
    }
}

# Saving, exporting and opening the report of the results shown.

proc ::parmix::gui::SavePlot {} {
    variable shown
    set report [dict get $shown report]
    set path [AskSaveFile "Save the plot as SVG" [file rootname $report].svg .svg]
    if {$path eq ""} {
        return
    }
    Remember $path
    Attempt "Plot saved to $path" {
        ::parmix::plot $report $path -title [dict get $shown title]
    }
}

proc ::parmix::gui::SaveClines {} {
    variable shown
    lassign [dict get $shown clines] failed rows
    set report [dict get $shown report]
    set path [AskSaveFile "Save the clines as SVG" [file rootname $report].clines.svg .svg]
    if {$path eq ""} {
        return
    }
    Remember $path
    Attempt "Clines saved to $path" {
        ::parmix::clinePlot $rows $path \
            -title [string map {"Hybrid index of" "Genomic clines of"} [dict get $shown title]]
    }
}

proc ::parmix::gui::ExportTsv {} {
    variable shown
    set report [dict get $shown report]
    set path [AskSaveFile "Export the table as TSV" [file rootname $report].tsv .tsv]
    if {$path eq ""} {
        return
    }
    Remember $path
    Attempt "Table written to $path" {
        ::parmix::writeTsv $report $path
    }
}

# Runs SCRIPT in the caller; on success says DONE in the status line, on
# failure shows the message.
proc ::parmix::gui::Attempt {done script} {
    variable status
    if {[catch {uplevel 1 $script} message]} {
        ShowError $message
    } else {
        set status $done
    }
}

# The text of the report's BYTES, read as UTF-8 the way Tcl 8.6 reads it: a
# byte UTF-8 does not allow there (a name written in Latin-1) stands for the
# character of its code, where Tcl 9 would refuse the whole text.
proc ::parmix::gui::Utf8Text {bytes} {
    if {[package vsatisfies [package provide Tcl] 9-]} {
        return [encoding convertfrom -profile tcl8 utf-8 $bytes]
    }
    return [encoding convertfrom utf-8 $bytes]
}

# The report in a window of its own, as text.
proc ::parmix::gui::OpenReport {} {
    variable shown
    set report [dict get $shown report]
    if {[catch {::parmix::reportText $report} bytes]} {
        ShowError $bytes
        return
    }
    set w .report
    destroy $w
    toplevel $w
    wm title $w [file tail $report]
    text $w.text -font TkFixedFont -wrap none -width 80 -height 30 \
        -yscrollcommand [list $w.yscroll set] -xscrollcommand [list $w.xscroll set]
    ttk::scrollbar $w.yscroll -orient vertical -command [list $w.text yview]
    ttk::scrollbar $w.xscroll -orient horizontal -command [list $w.text xview]
    grid $w.text $w.yscroll -sticky nsew
    grid $w.xscroll -sticky ew
    grid columnconfigure $w 0 -weight 1
    grid rowconfigure $w 0 -weight 1
    $w.text insert end [Utf8Text $bytes]
    $w.text configure -state disabled
}

# The genotype image of a cline analysis, in a window of its own: the
# image that the package's clines command returns with -image 1, drawn on a
# canvas with
# the places and colours of parmix::genotypeImage (through the drawing
# interface only), and saved as that SVG figure.

# Opens (or renews) the window .genotypeImage showing IMAGE under TITLE;
# returns the window.
proc ::parmix::gui::ShowGenotypeImage {image title} {
    variable genotypeImage
    set genotypeImage [dict create image $image title $title]
    set w .genotypeImage
    destroy $w
    toplevel $w
    wm title $w $title
    canvas $w.canvas -background white -highlightthickness 0 -width 980 -height 700 \
        -xscrollcommand [list $w.x set] -yscrollcommand [list $w.y set]
    ttk::scrollbar $w.x -orient horizontal -command [list $w.canvas xview]
    ttk::scrollbar $w.y -orient vertical -command [list $w.canvas yview]
    ttk::button $w.save -text "Save image as SVG\u2026" -command ::parmix::gui::SaveGenotypeImage
    grid $w.canvas $w.y -sticky nsew
    grid $w.x -sticky ew
    grid $w.save -sticky w -padx 4 -pady 4
    grid columnconfigure $w 0 -weight 1
    grid rowconfigure $w 0 -weight 1
    DrawGenotypeImage $w.canvas $image $title
    return $w
}

# Draws IMAGE on CANVAS: the cells (runs of one colour as one rectangle),
# the notes, the h axis's ticks and the legend.  Returns the layout.
proc ::parmix::gui::DrawGenotypeImage {canvas image title} {
    $canvas delete all
    set layout [::parmix::imageLayout $title $image]
    dict with layout {}
    foreach cell [::parmix::imageCells $layout $image] {
        lassign $cell level x0 y0 x1 y1
        $canvas create rectangle $x0 $y0 $x1 $y1 -fill [::parmix::imageColour $level] \
            -outline "" -tags cell
    }
    $canvas create text 20 28 -text $title -anchor w -font parmixTitle
    set y 50
    foreach note $notes {
        $canvas create text 20 $y -text $note -anchor w -fill #555555 -font parmixText \
            -tags note
        incr y 16
    }
    set x [expr {$left - 4}]
    $canvas create line $x $top $x [expr {$top + $imageHeight}] -fill #333333
    foreach {tickY label} [::parmix::imageTicks $layout $image] {
        $canvas create line $x $tickY [expr {$x - 5}] $tickY -fill #333333 -tags tick
        $canvas create text [expr {$x - 8}] $tickY -text $label -anchor e -font parmixSmall \
            -tags tick
    }
    GenotypeImageLabels $canvas $layout $image
    GenotypeImageLegend $canvas $layout
    $canvas configure -scrollregion [list 0 0 $width $height]
    return $layout
}

# The rows' names while they are tall enough (as the figure writes them),
# the loci's names while few, and the marks above departing loci.
proc ::parmix::gui::GenotypeImageLabels {canvas layout image} {
    dict with layout {}
    set rowHeight [expr {$n ? double($imageHeight) / $n : 0}]
    set columnWidth [expr {$m ? double($imageWidth) / $m : 0}]
    if {$named} {
        set x [expr {$left - [dict get $::parmix::imageStyle axisSpace] - 4}]
        set i 0
        foreach name [dict get $image individuals] {
            $canvas create text $x [expr {$top + ($i + 0.5) * $rowHeight}] -text $name \
                -anchor e -font parmixMono -tags name
            incr i
        }
    }
    set j 0
    foreach locus [dict get $image loci] category [dict get $image categories] {
        set x0 [expr {$left + $j * $columnWidth}]
        if {$category ne "neutral"} {
            $canvas create rectangle $x0 [expr {$top - 8}] [expr {$x0 + $columnWidth}] \
                [expr {$top - 2}] -fill [dict get $::parmix::imageStyle departing] -outline "" \
                -tags departing
        }
        if {$lociNamed} {
            $canvas create text [expr {$x0 + $columnWidth / 2.0}] \
                [expr {$top + $imageHeight + 6}] -text [string range $locus 0 13] -angle 90 \
                -anchor e -font parmixSmall -tags locus
        }
        incr j
    }
}

proc ::parmix::gui::GenotypeImageLegend {canvas layout} {
    set x [expr {[dict get $layout left] + [dict get $layout imageWidth] + 24}]
    set y [dict get $layout top]
    $canvas create text $x $y -text "Copies from R" -anchor nw -font parmixHeading
    foreach entry [::parmix::imageLegend $layout] {
        lassign $entry level label
        set y [expr {$y + 18}]
        $canvas create rectangle $x $y [expr {$x + 14}] [expr {$y + 12}] \
            -fill [::parmix::imageColour $level] -outline "" -tags swatch
        $canvas create text [expr {$x + 20}] [expr {$y + 6}] -text $label -anchor w \
            -font parmixSmall
    }
}

# The genotype image of the clines of the results shown.
proc ::parmix::gui::ShowImageOfRun {} {
    variable shown
    lassign [dict get $shown clines] failed rows image
    ShowGenotypeImage $image [string map {"Hybrid index of" "Genotypes by hybrid index of"} \
                                  [dict get $shown title]]
}

proc ::parmix::gui::SaveGenotypeImage {} {
    variable genotypeImage
    set path [AskSaveFile "Save the genotype image as SVG" genotype_image.svg .svg]
    if {$path eq ""} {
        return
    }
    Remember $path
    Attempt "Genotype image saved to $path" {
        ::parmix::genotypeImage [dict get $genotypeImage image] $path \
            -title [dict get $genotypeImage title]
    }
}

# Closes the window; a run still going is stopped.
proc ::parmix::gui::Close {} {
    variable run
    variable closed
    if {[llength $run]} {
        set chan [dict get $run channel]
        foreach id [pid $chan] {
            catch {exec kill $id}
        }
        catch {close $chan}
        set run {}
    }
    destroy .
    set closed 1
}
