# The parmix program: the command line's way to the package.  It turns its
# words into one call of the command `parmix` (and of the procedures that
# make a table or a plot of the report), or into one call of
# parmix::parentalFromReference, and turns the outcome into an exit status:
# 0 success, 1 a failed analysis or file, 2 a wrong call.  The launcher
# sources this file after loading the package.

namespace eval ::parmix::program {
    variable usage [join {
        {usage: parmix [-o REPORT] [--tsv FILE] [--plot FILE.svg] PARENTAL INDIVIDUAL}
        {       parmix --check PARENTAL INDIVIDUAL}
        {       parmix --parental-from R_SAMPLE S_SAMPLE -o PARENTAL}
        {              (--types LIST | --types-from PARENTAL) [--pseudo-count X]}
        {              [--study INDIVIDUAL] [--renumber PREFIX]}
        {       parmix --help | --version}
    } \n]
    # Options that take a value, with the mode they belong to.
    variable valueOptions {
        -o both --tsv analysis --plot analysis
        --types reference --types-from reference --pseudo-count reference
        --unknown-alleles analysis --study reference --renumber reference
    }
    variable flagOptions {--help -h --version --parental-from --check --quiet}
}

# Runs the program on the words ARGV; returns the exit status.
proc ::parmix::program::main {argv} {
    if {[lindex $argv 0] eq "--import"} {
        return [RunImport [lrange $argv 1 end]]
    }
    try {
        set call [ParseArguments $argv]
        switch -- [dict get $call mode] {
            help {puts [HelpText]}
            version {puts "parmix [package present parmix]"}
            reference {RunReference $call}
            analysis {RunCheckedAnalysis $call}
            check {RunCheck $call}
        }
    } trap {PARMIX USAGE} {message} {
        variable usage
        puts stderr "parmix: $message\n$usage\nTry 'parmix --help' for more."
        return 2
    } on error {message options} {
        puts stderr "parmix: $message"
        ExplainFailure [expr {[info exists call] ? $call : {}}] $options
        return 1
    }
    return 0
}

# Hands the words over to parmix-import, which lies beside the launcher
# both in the build folder and in PREFIX/bin, and returns its exit status.
proc ::parmix::program::RunImport {words} {
    set dir [expr {[llength [info procs ::parmixLauncherDir]]
                   ? [::parmixLauncherDir] : [file dirname [file normalize $::argv0]]}]
    set importer [file join $dir parmix-import]
    if {![file executable $importer]} {
        puts stderr "parmix: the importer $importer is missing"
        return 1
    }
    if {[catch {exec $importer {*}$words <@stdin >@stdout 2>@stderr} message options]} {
        set code [dict get $options -errorcode]
        if {[lindex $code 0] eq "CHILDSTATUS"} {
            return [lindex $code 2]
        }
        puts stderr "parmix: $message"
        return 1
    }
    return 0
}

proc ::parmix::program::Usage {message} {
    return -code error -level 2 -errorcode {PARMIX USAGE} $message
}

# The words as a dict: mode (help, version, analysis or reference), files
# (the words that are not options) and options (option -> value; the last
# one given counts).  "--" ends the options; long options may also be
# written --name=value.
proc ::parmix::program::ParseArguments {words} {
    variable valueOptions
    variable flagOptions
    # A call for help or the version is answered whatever else it holds.
    set optionWords $words
    if {"--" in $words} {
        set optionWords [lrange $words 0 [lsearch -exact $words --]-1]
    }
    foreach {flag mode} {--help help -h help --version version} {
        if {$flag in $optionWords} {
            return [dict create mode $mode]
        }
    }
    set files {}
    set options {}
    set flags {}
    set onlyFiles 0
    for {set i 0} {$i < [llength $words]} {incr i} {
        set word [lindex $words $i]
        if {$onlyFiles || $word eq "-" || ![string match -* $word]} {
            lappend files $word
        } elseif {$word eq "--"} {
            set onlyFiles 1
        } elseif {[regexp {^(--[^=]+)=(.*)$} $word -> name value]} {
            if {![dict exists $valueOptions $name]} {
                Usage "option $name takes no value, or is unknown"
            }
            dict set options $name $value
        } elseif {[dict exists $valueOptions $word]} {
            if {[incr i] == [llength $words]} {
                Usage "option $word needs a value"
            }
            dict set options $word [lindex $words $i]
        } elseif {$word in $flagOptions} {
            dict set flags $word 1
        } else {
            Usage "unknown option $word"
        }
    }
    return [CheckCall $files $options $flags]
}

# The mode of the call, after checking that its options and files fit it.
proc ::parmix::program::CheckCall {files options flags} {
    variable valueOptions
    set mode [expr {[dict exists $flags --parental-from] ? "reference" : "analysis"}]
    if {[dict exists $flags --check]} {
        set mode [CheckMode $mode $options]
    }
    foreach name [dict keys $options] {
        if {[dict get $valueOptions $name] ni [list both $mode]} {
            Usage [expr {$mode eq "reference"
                ? "option $name does not go with --parental-from"
                : "option $name needs --parental-from"}]
        }
    }
    if {[llength $files] != 2} {
        set wanted [expr {$mode eq "reference" ? "R_SAMPLE and S_SAMPLE" : "PARENTAL and INDIVIDUAL"}]
        Usage "give two files, $wanted ([llength $files] given)"
    }
    if {$mode eq "reference"} {
        if {![dict exists $options -o]} {
            Usage "--parental-from needs -o PARENTAL, the parental file to write"
        }
        if {[dict exists $options --types] == [dict exists $options --types-from]} {
            Usage "--parental-from needs either --types or --types-from"
        }
    }
    if {[dict exists $options --unknown-alleles]
            && [dict get $options --unknown-alleles] ni {missing error}} {
        Usage "--unknown-alleles takes missing or error"
    }
    return [dict create mode $mode files $files options $options \
                quiet [dict exists $flags --quiet]]
}

proc ::parmix::program::RunAnalysis {call} {
    lassign [dict get $call files] parental individual
    set options [dict get $call options]
    # Without -o the command chooses the report's name itself.
    set words [list $parental $individual]
    set report parmix_output.txt
    if {[dict exists $options -o]} {
        set report [dict get $options -o]
        lappend words $report
    }
    ::parmix {*}$words
    Notice $call "Report written to $report"
    if {[dict exists $options --tsv]} {
        ::parmix::writeTsv $report [dict get $options --tsv] {*}[TsvCounts $call]
        Notice $call "Table written to [dict get $options --tsv]"
    }
    if {[dict exists $options --plot]} {
        set title "Hybrid index of [file tail $individual] with parental file\
            [file tail $parental]"
        ::parmix::plot $report [dict get $options --plot] -title $title
        Notice $call "Plot written to [dict get $options --plot]"
    }
}

source [file join [file dirname [info script]] program_check.tcl]

proc ::parmix::program::RunReference {call} {
    lassign [dict get $call files] r s
    set options [dict get $call options]
    set extra {}
    foreach {option procOption} {
        --types -types --types-from -typesfrom --pseudo-count -pseudocount
        --study -study --renumber -renumber
    } {
        if {[dict exists $options $option]} {
            lappend extra $procOption [dict get $options $option]
        }
    }
    set warnings [::parmix::parentalFromReference $r $s [dict get $options -o] {*}$extra]
    foreach text $warnings {
        Warn $call $text
    }
    puts "Parental file written to [dict get $options -o]"
}

proc ::parmix::program::HelpText {} {
    variable usage
    return "$usage

Estimates the hybrid index h of every individual of INDIVIDUAL by maximum
likelihood, from the parental allele frequencies in PARENTAL, and writes the
report: h and its 2-unit support limits for each individual.  Either input
may be gzip- or bgzip-compressed, and one of them may be - (standard
input).  Warnings about the data go to standard error.

Options:
  -o REPORT          write the report to REPORT (default: parmix_output.txt
                     in the current folder)
  --tsv FILE         also write the report's rows to FILE (- for standard
                     output) as tab-separated values: name, h, lower,
                     upper, lower_cut, upper_cut, then loci_with_data and
                     missing_share (the used loci at which the individual
                     has a genotype, and the share without one); NA where a
                     value is undefined
  --plot FILE.svg    also draw the results as an SVG figure: individuals
                     sorted by h, each a point at h with a bar between its
                     support limits
  --check            check PARENTAL and INDIVIDUAL without estimating: what
                     parmix reads of them (loci, individuals, missing data)
                     and every problem found; exit status 0 when the files
                     would run, 1 (with the analysis's message) otherwise
  --unknown-alleles missing|error
                     missing: count genotypes with an allele neither
                     parental population has (or a designation outside every
                     allele of the parental file) as missing data, with a
                     count per locus on standard error; error (default):
                     such a genotype fails the run
  --quiet            print no warnings on standard error
  --help, -h         show this help and exit
  --version          show the version and exit

Parental file from reference samples:
  --parental-from    write the parental file PARENTAL (given with -o),
                     counted from R_SAMPLE and S_SAMPLE, files of reference
                     individuals of populations R and S in the
                     individual-file format
  --types LIST       the locus types in locus order: C (codominant) and D
                     (dominant), each optionally after a count: CCD, 14C6D
  --types-from FILE  take the locus types from an existing parental file
  --pseudo-count X   add X to the count of every allele seen (and of both
                     phenotypes at a dominant locus) in each sample, so that
                     an allele seen in only one sample does not get a
                     frequency of exactly 0 (default 0: plain counts);
                     allele numbers seen in no file get no share
  --study FILE       the individual file to be studied: its alleles count
                     as seen, so each gets a frequency under a pseudo-count
  --renumber PREFIX  number the alleles of each codominant locus 1..k in
                     the parental file, and write PREFIX.R.txt, PREFIX.S.txt
                     (and PREFIX.study.txt) numbered alike and the mapping
                     PREFIX.map.tsv (locus, label, allele, number)

Exit status: 0 on success, 1 when the analysis or a file fails (the reason
is printed on standard error), 2 for a wrong call.

Import from VCF or STRUCTURE files:
  --import ...       as the first word: run parmix-import with the words
                     that follow (parental and individual files from a VCF
                     or STRUCTURE file and a population map)

Examples:
  parmix -o report.txt --plot report.svg parental.txt individuals.txt
  parmix --check parental.txt individuals.txt
  parmix --parental-from R.txt S.txt -o parental.txt --types 14C6D
  parmix --import --vcf calls.vcf.gz --popmap pops.txt --r north --s south"
}
