# Helpers of the tests of the program, the plot and the files made from
# reports: running the parmix program of the build tree, running outside
# tools, and reading the pixels of a PNG image.
source [file join [file dirname [info script]] common.tcl]

namespace eval ::parmixtest {
    variable program [file join $::env(PARMIX_LIBRARY_DIR) parmix]
}

# Runs COMMAND (a list) in the directory DIR with empty standard input;
# returns {status stdout stderr}.
proc ::parmixtest::runIn {dir command} {
    set out [file join [temporaryDirectory] run.stdout]
    set err [file join [temporaryDirectory] run.stderr]
    set here [pwd]
    cd $dir
    try {
        set status 0
        if {[catch {exec {*}$command </dev/null >$out 2>$err} message options]} {
            set code [dict get $options -errorcode]
            if {[lindex $code 0] ne "CHILDSTATUS"} {
                return -options $options $message
            }
            set status [lindex $code 2]
        }
    } finally {
        cd $here
    }
    set result [list $status [readFile $out] [readFile $err]]
    file delete $out $err
    return $result
}

# Runs the parmix program of the build tree with the words ARGS in DIR.
proc ::parmixtest::runProgram {dir args} {
    variable program
    return [runIn $dir [list $program {*}$args]]
}

# Runs an outside tool (xmllint, rsvg-convert, cmake).  A sanitizer runtime
# that the test run preloads for the library is not the tool's business,
# and its leak checks would judge the tool, so it is taken away.
proc ::parmixtest::tool {args} {
    return [exec env -u LD_PRELOAD -u ASAN_OPTIONS -u LSAN_OPTIONS -u UBSAN_OPTIONS \
                {*}$args]
}

# The value of an XPath expression over the SVG file PATH, by xmllint; the
# SVG namespace is matched by local names.
proc ::parmixtest::xpath {path expression} {
    return [tool xmllint --xpath $expression $path]
}

# The list of values that an XPath expression selecting attributes gives.
proc ::parmixtest::attributes {path expression} {
    set text [xpath $path $expression]
    return [lmap {- value} [regexp -all -inline {="([^"]*)"} $text] {set value}]
}

# The image in the PNG file PATH (8 bits per sample, RGB or RGBA, not
# interlaced, as rsvg-convert writes it): a dict of width, height and
# pixels, a flat list of R G B A values row by row.
proc ::parmixtest::readPng {path} {
    set data [readFile $path]
    if {[string range $data 0 7] ne "\x89PNG\r\n\x1a\n"} {
        error "$path is not a PNG file"
    }
    set at 8
    set idat ""
    while {$at < [string length $data]} {
        binary scan $data @${at}Ia4 length type
        set body [string range $data [expr {$at + 8}] [expr {$at + 7 + $length}]]
        switch -- $type {
            IHDR {binary scan $body IIcucucucucu width height depth colour - - interlace}
            IDAT {append idat $body}
        }
        incr at [expr {12 + $length}]
    }
    if {$depth != 8 || $colour ni {2 6} || $interlace != 0} {
        error "$path: unsupported PNG layout (depth $depth, colour type $colour)"
    }
    set channels [expr {$colour == 6 ? 4 : 3}]
    set raw [zlib decompress $idat]
    set pixels [unfilterPng $raw $width $height $channels]
    if {$channels == 3} {
        set pixels [concat {*}[lmap {r g b} $pixels {list $r $g $b 255}]]
    }
    return [dict create width $width height $height pixels $pixels]
}

# Undoes the PNG row filters (none, sub, up, average, Paeth).
proc ::parmixtest::unfilterPng {raw width height channels} {
    set stride [expr {$width * $channels}]
    set previous [lrepeat $stride 0]
    set pixels {}
    for {set y 0} {$y < $height} {incr y} {
        set start [expr {$y * ($stride + 1)}]
        binary scan [string range $raw $start [expr {$start + $stride}]] cucu* filter line
        set row {}
        for {set i 0} {$i < $stride} {incr i} {
            set x [lindex $line $i]
            set a [expr {$i >= $channels ? [lindex $row end-[expr {$channels - 1}]] : 0}]
            set b [lindex $previous $i]
            set c [expr {$i >= $channels ? [lindex $previous [expr {$i - $channels}]] : 0}]
            switch -- $filter {
                0 {}
                1 {incr x $a}
                2 {incr x $b}
                3 {incr x [expr {($a + $b) / 2}]}
                4 {incr x [paeth $a $b $c]}
            }
            lappend row [expr {$x & 255}]
        }
        lappend pixels {*}$row
        set previous $row
    }
    return $pixels
}

proc ::parmixtest::paeth {a b c} {
    set p [expr {$a + $b - $c}]
    set pa [expr {abs($p - $a)}]
    set pb [expr {abs($p - $b)}]
    set pc [expr {abs($p - $c)}]
    if {$pa <= $pb && $pa <= $pc} {return $a}
    if {$pb <= $pc} {return $b}
    return $c
}

# How many pixels of IMAGE are drawn (neither transparent nor near white),
# and how many lie within 48 of the colour #RRGGBB in every channel: a dict
# of drawn and, for each colour asked for, its count.
proc ::parmixtest::countPixels {image args} {
    set counts [dict create drawn 0]
    set targets {}
    foreach colour $args {
        dict set counts $colour 0
        scan $colour #%2x%2x%2x r g b
        lappend targets $colour $r $g $b
    }
    foreach {r g b a} [dict get $image pixels] {
        if {$a < 128 || ($r > 235 && $g > 235 && $b > 235)} continue
        dict incr counts drawn
        foreach {colour tr tg tb} $targets {
            if {abs($r - $tr) <= 48 && abs($g - $tg) <= 48 && abs($b - $tb) <= 48} {
                dict incr counts $colour
            }
        }
    }
    return $counts
}
