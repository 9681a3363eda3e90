# The parmix program: the command line's way to the package.  It turns its
# words into one call of the command `parmix` (and of the procedures that
# make a table or a plot of the report), one call of parmix::ancestry (and
# of the triangle plot), one call of parmix::genome or parmix::mergeReports
# (for a VCF/BCF panel), or one call of parmix::parentalFromReference, and
# turns the outcome into an exit status: 0 success, 1 a failed analysis or
# file, 2 a wrong call.  The launcher
# sources this file after loading the package.

namespace eval ::parmix::program {
    variable usage [join {
        {usage: parmix [-o REPORT] [--tsv FILE] [--plot FILE.svg] PARENTAL INDIVIDUAL}
        {              [--threads N] [--unknown-alleles missing|error] [--quiet]}
        {              [--reference-uncertainty --reference-counts COUNTS]}
        {       parmix --check PARENTAL INDIVIDUAL}
        {       parmix --ancestry [-o REPORT] [--tsv FILE] [--triangle FILE.svg]}
        {              [--margin UNITS] [--drop UNITS] [--threads N] [--quiet]}
        {              [--reference-uncertainty --reference-counts COUNTS]}
        {              PARENTAL INDIVIDUAL}
        {       parmix --clines [-o REPORT] [--tsv FILE] [--cline-plot FILE.svg]}
        {              [--image FILE.svg] [--qvalue Q] [--threads N] [--quiet]}
        {              [--bootstrap N [--seed S]]}
        {              [--reference-uncertainty --reference-counts COUNTS]}
        {              PARENTAL INDIVIDUAL}
        {       parmix --parental-from R_SAMPLE S_SAMPLE -o PARENTAL}
        {              [--types LIST | --types-from PARENTAL] [--pseudo-count X]}
        {              [--study INDIVIDUAL] [--renumber PREFIX] [--counts COUNTS]}
        {       parmix --help | --version}
    } \n]
    # Every option of the program, one a line: its name, its argument ({}
    # for a flag), the command option it becomes, the modes in which it is
    # handed to that command and those in which the program acts on it
    # itself.  An option belongs to the modes of both lists.  The modes of
    # text files are analysis (the hybrid index), ancestry, clines, check
    # and reference (--parental-from); those of a VCF/BCF or PLINK panel
    # are vcf (the hybrid index), vcf-ancestry, vcf-clines, merge and
    # merge-clines (a merge of the clines' shards).  --help, -h and
    # --version go with anything.  A panel's --margin and --drop go to
    # parmix::genome in either analysis: it checks their values before it
    # refuses them without -ancestry.  A merge takes --biallelic-snps and
    # has nothing to filter.
    variable options {
        -o REPORT -report {analysis ancestry clines vcf vcf-ancestry vcf-clines merge-clines} {reference merge}
        --tsv FILE -tsv {ancestry clines vcf-ancestry vcf-clines merge-clines} {analysis vcf merge}
        --plot FILE.svg {} {} {analysis vcf merge}
        --triangle FILE.svg {} {} {ancestry vcf-ancestry}
        --margin UNITS -margin {ancestry vcf vcf-ancestry} {}
        --drop UNITS -drop {ancestry vcf vcf-ancestry} {}
        --threads N -threads {vcf vcf-ancestry vcf-clines} {analysis ancestry clines}
        --qvalue Q -qvalue {clines vcf-clines} {}
        --bootstrap N -bootstrap clines {}
        --seed S -seed clines {}
        --cline-plot FILE.svg {} {} {clines vcf-clines merge-clines}
        --image FILE.svg {} {} {clines vcf-clines}
        --unknown-alleles missing|error {} {} analysis
        --reference-counts COUNTS -referencecounts {analysis ancestry clines} {}
        --types LIST -types reference {}
        --types-from PARENTAL -typesfrom reference {}
        --pseudo-count X -pseudocount {reference vcf vcf-ancestry vcf-clines} {}
        --study FILE -study {reference vcf vcf-ancestry vcf-clines} {}
        --renumber PREFIX -renumber reference {}
        --counts COUNTS -counts reference {}
        --vcf FILE -vcf {vcf vcf-ancestry vcf-clines} {}
        --bfile PREFIX -bfile {vcf vcf-ancestry vcf-clines} {}
        --popmap FILE -popmap {vcf vcf-ancestry vcf-clines} {}
        --r POP -r {vcf vcf-ancestry vcf-clines} {}
        --s POP -s {vcf vcf-ancestry vcf-clines} {}
        --samples FILE -samples {vcf vcf-ancestry vcf-clines} {}
        --shard K/N -shard {vcf vcf-ancestry vcf-clines} {}
        --min-called N -mincalled {vcf vcf-ancestry vcf-clines} {}
        --min-difference D -mindifference {vcf vcf-ancestry vcf-clines} {}
        --max-missing F -maxmissing {vcf vcf-ancestry vcf-clines} {}
        --genotype-likelihoods PL|GL -genotypelikelihoods {vcf vcf-ancestry vcf-clines} {}
        --reference-frequencies gl|gt -referencefrequencies {vcf vcf-ancestry vcf-clines} {}
        --biallelic-snps {} -biallelicsnps {vcf vcf-ancestry vcf-clines} {merge merge-clines}
        --reference-uncertainty {} -referenceuncertainty {vcf vcf-ancestry vcf-clines} {analysis ancestry clines}
        --ancestry {} -ancestry vcf-ancestry ancestry
        --quiet {} {} {} {analysis ancestry clines check reference vcf vcf-ancestry vcf-clines merge merge-clines}
        --clines {} -clines vcf-clines clines
        --check {} {} {} check
        --parental-from {} {} {} reference
        --merge {} {} {} {merge merge-clines}
    }
    variable textModes {analysis ancestry clines check reference}
    variable panelModes {vcf vcf-ancestry vcf-clines merge merge-clines}
}

# The modes of option NAME among SIDE (a list of modes); empty when it has
# none there or is not an option at all.
proc ::parmix::program::OptionModes {name {side {}}} {
    variable options
    foreach {option argument command passed own} $options {
        if {$option eq $name} {
            set modes [concat $passed $own]
            if {![llength $side]} {
                return $modes
            }
            return [lmap mode $modes {expr {$mode in $side ? $mode : [continue]}}]
        }
    }
    return {}
}

# Whether option NAME, known among the modes SIDE, takes a value.
proc ::parmix::program::TakesValue {name} {
    variable options
    foreach {option argument command passed own} $options {
        if {$option eq $name} {
            return [expr {$argument ne ""}]
        }
    }
    return 0
}

# The words of the command of MODE for the options and flags given (both
# dicts, option -> value): each option the table hands to the command in
# that mode, as "-option value", a flag as "-option 1".
proc ::parmix::program::CommandWords {mode given} {
    variable options
    set words {}
    foreach {option argument command passed own} $options {
        if {$mode in $passed && [dict exists $given $option]} {
            # A flag is "-option 1"; a value goes as written (expr would
            # turn 1e308 into 1e+308).
            lappend words $command [if {$argument eq ""} {string cat 1} {dict get $given $option}]
        }
    }
    return $words
}

# A refusal of a command that the program called, in the program's words:
# the command's name before it becomes "option", and each option of the
# command the program's name for it, by the table.
proc ::parmix::program::InProgramWords {message} {
    variable options
    regsub {^parmix::[A-Za-z]+: (?=-)} $message {option } message
    set map {}
    foreach {option argument command passed own} $options {
        if {$command ne ""} {
            lappend map " $command " " $option "
        }
    }
    return [string range [string map $map " $message "] 1 end-1]
}

# Calls the command WORDS; a wrong call it refuses is the program's wrong
# call, told in the program's words.
proc ::parmix::program::CallCommand {args} {
    try {
        uplevel 1 $args
    } trap {PARMIX USAGE} {message} {
        return -code error -level 2 -errorcode {PARMIX USAGE} [InProgramWords $message]
    }
}

# Runs the program on the words ARGV; returns the exit status.
proc ::parmix::program::main {argv} {
    if {[lindex $argv 0] eq "--import"} {
        return [RunImport [lrange $argv 1 end]]
    }
    if {[IsGenomeCall $argv]} {
        return [GenomeMain $argv]
    }
    try {
        set call [ParseArguments $argv]
        RefuseTextClashes $call
        switch -- [dict get $call mode] {
            help {puts [HelpText]}
            version {puts "parmix [package present parmix]"}
            reference {RunReference $call}
            analysis {RunCheckedAnalysis $call}
            check {RunCheck $call}
            ancestry {RunAncestry $call}
            clines {RunClines $call}
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

# The words as a dict: mode (help, version, analysis, ancestry or
# reference), files
# (the words that are not options) and options (option -> value; the last
# one given counts).  "--" ends the options; long options may also be
# written --name=value.
proc ::parmix::program::ParseArguments {words} {
    variable textModes
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
            if {![llength [OptionModes $name $textModes]] || ![TakesValue $name]} {
                Usage "option $name takes no value, or is unknown"
            }
            dict set options $name $value
        } elseif {![llength [OptionModes $word $textModes]]} {
            Usage [UnknownOptionMessage $word]
        } elseif {[TakesValue $word]} {
            if {[incr i] == [llength $words]} {
                Usage "option $word needs a value"
            }
            dict set options $word [lindex $words $i]
        } else {
            dict set flags $word 1
        }
    }
    return [CheckCall $files $options $flags]
}

# The mode of the call, after checking that its options and files fit it.
proc ::parmix::program::CheckCall {files options flags} {
    variable textModes
    set mode [CallMode $flags]
    if {[dict exists $flags --check]} {
        set mode [CheckMode $mode $options]
    }
    foreach name [dict keys $options] {
        if {$mode ni [OptionModes $name $textModes]} {
            Usage [OptionMisfit $name $mode]
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
        # Without either, the package takes codominant loci when every
        # genotype is written as a pair, and otherwise asks for the types.
        if {[dict exists $options --types] && [dict exists $options --types-from]} {
            Usage "--parental-from needs either --types or --types-from"
        }
    }
    if {[dict exists $options --unknown-alleles]
            && [dict get $options --unknown-alleles] ni {missing error}} {
        Usage "--unknown-alleles takes missing or error"
    }
    CheckUncertainty $mode $options $flags
    # A wrong thread count is a wrong call, told before any file is read.
    ConfigureThreads $options
    return [dict create mode $mode files $files options $options \
                quiet [dict exists $flags --quiet]]
}

# No output of an analysis may name one of its inputs or another of its
# outputs: refused before anything is read or written, as the package's
# commands refuse each of their own.  Standard input and output (-) are
# left out.
proc ::parmix::program::RefuseTextClashes {call} {
    set mode [dict get $call mode]
    if {$mode ni {analysis ancestry clines}} return
    set options [dict get $call options]
    lassign [dict get $call files] parental individual
    set inputs [list [list "parental file" $parental] [list "individual file" $individual]]
    foreach {option role} {
        --reference-counts "reference counts file"
    } {
        if {[dict exists $options $option]} {
            lappend inputs [list $role [dict get $options $option]]
        }
    }
    RefuseOutputsNamingInputs $mode $options $inputs
}

# The report (by its default name too), the table and the plots of a run
# against INPUTS and one another; then whether the report can be read back.
proc ::parmix::program::RefuseOutputsNamingInputs {mode options inputs} {
    set outputs [list [list "report file" [ReportPath $mode $options]]]
    foreach {option role} {
        --tsv "table file" --plot "plot file" --triangle "triangle plot file"
        --cline-plot "cline plot file" --image "genotype image file"
    } {
        if {[dict exists $options $option]} {
            lappend outputs [list $role [dict get $options $option]]
        }
    }
    ::parmix::RefuseOutputClashes $outputs $inputs
    RefuseUnreadableReport $mode $options
}

# The table and the plot of the hybrid index are made from the report, so a
# report sent to a device or a pipe, which cannot be read back, goes
# without them.
proc ::parmix::program::RefuseUnreadableReport {mode options} {
    set report [ReportPath $mode $options]
    if {$mode in {ancestry clines vcf-ancestry vcf-clines merge-clines} || ![file exists $report]
            || [file isfile $report]} return
    foreach option {--tsv --plot} {
        if {[dict exists $options $option]} {
            Usage "option $option is made from the report, which cannot be read back from\
                $report: give the report the name of a file"
        }
    }
}

# The report of a run: -o, or the default name of its MODE.
proc ::parmix::program::ReportPath {mode options} {
    if {[dict exists $options -o]} {
        return [dict get $options -o]
    }
    dict get {analysis parmix_output.txt ancestry parmix_ancestry.txt
        clines parmix_clines.txt vcf parmix_output.txt vcf-ancestry parmix_ancestry.txt
        vcf-clines parmix_clines.txt} $mode
}

# The correction for small reference samples takes the counts that
# --parental-from wrote beside the parental file; the flag names the
# correction, the file gives its data, and neither goes without the other.
proc ::parmix::program::CheckUncertainty {mode options flags} {
    set flag [dict exists $flags --reference-uncertainty]
    set counts [dict exists $options --reference-counts]
    if {$flag && $mode eq "clines" && [dict exists $options --bootstrap]} {
        Usage "option --bootstrap does not go with --reference-uncertainty: its replicates\
            are drawn from the parental frequencies as they stand"
    }
    if {$flag && $mode in {reference check}} {
        Usage "option --reference-uncertainty does not go with\
            --[expr {$mode eq "reference" ? "parental-from" : "check"}]"
    }
    if {$flag && !$counts} {
        Usage "option --reference-uncertainty needs --reference-counts COUNTS, the\
            reference samples' counts that --parental-from writes with --counts"
    }
    if {$counts && !$flag} {
        Usage "option --reference-counts needs --reference-uncertainty"
    }
}

proc ::parmix::program::CallMode {flags} {
    set reference [dict exists $flags --parental-from]
    set ancestry [dict exists $flags --ancestry]
    if {$reference && $ancestry} {
        Usage "option --ancestry does not go with --parental-from"
    }
    if {[dict exists $flags --clines]} {
        if {$reference || $ancestry} {
            Usage "option --clines does not go with\
                --[expr {$reference ? "parental-from" : "ancestry"}]"
        }
        return clines
    }
    expr {$reference ? "reference" : ($ancestry ? "ancestry" : "analysis")}
}

# The message for an option NAME given in a MODE it does not belong to.
proc ::parmix::program::OptionMisfit {name mode} {
    variable textModes
    set modes [OptionModes $name $textModes]
    if {$mode eq "reference"} {
        return "option $name does not go with --parental-from"
    }
    if {$mode eq "clines"} {
        return "option $name does not go with --clines"
    }
    if {$modes eq "clines"} {
        return "option $name needs --clines"
    }
    if {"reference" in $modes} {
        return "option $name needs --parental-from"
    }
    if {$mode eq "ancestry"} {
        return "option $name does not go with --ancestry"
    }
    return "option $name needs --ancestry"
}

# The analysis, its report, and the table and plot when asked for.  Returns
# the rows of parmix::hybridIndex, whose data counts make the table's last
# columns: the run counts them as it reads the files, which are not read a
# second time.
proc ::parmix::program::RunAnalysis {call} {
    lassign [dict get $call files] parental individual
    set options [dict get $call options]
    set report [ReportPath analysis $options]
    set rows [CallCommand ::parmix::hybridIndex $parental $individual -report $report \
                  {*}[CommandWords analysis $options]]
    Notice $call "Report written to $report"
    if {[dict exists $options --tsv]} {
        # The report notes the correction that the counts asked for.
        set corrections [expr {[dict exists $options --reference-counts]
                               ? "reference-uncertainty" : ""}]
        ::parmix::writeRowsTsv $rows [dict get $options --tsv] -report $report \
            -corrections $corrections
        Notice $call "Table written to [dict get $options --tsv]"
    }
    if {[dict exists $options --plot]} {
        set title "Hybrid index of [file tail $individual] with parental file\
            [file tail $parental]"
        ::parmix::plot $report [dict get $options --plot] -title $title
        Notice $call "Plot written to [dict get $options --plot]"
    }
    return $rows
}

# The joint analysis of ancestry and interclass heterozygosity: its report
# (parmix_ancestry.txt unless -o names one), and the table and triangle
# plot when asked for.  Either input may be standard input, and the table
# may go to standard output, as for the hybrid index.
proc ::parmix::program::RunAncestry {call} {
    WithStreams call {RunAncestryOn $call}
}

proc ::parmix::program::RunAncestryOn {call} {
    lassign [dict get $call files] parental individual
    set options [dict get $call options]
    set report [ReportPath ancestry $options]
    set rows [CallCommand ::parmix::ancestry $parental $individual -report $report \
                  {*}[CommandWords ancestry $options]]
    Notice $call "Report written to $report"
    if {[dict exists $options --tsv]} {
        Notice $call "Table written to [dict get $options --tsv]"
    }
    if {[dict exists $options --triangle]} {
        set title "Ancestry and interclass heterozygosity of [file tail $individual]\
            with parental file [file tail $parental]"
        ::parmix::triangle $rows [dict get $options --triangle] -title $title
        Notice $call "Triangle plot written to [dict get $options --triangle]"
    }
}

# The genomic clines of every locus along the hybrid index: the report
# (parmix_clines.txt unless -o names one), and the table, the cline plot
# and the genotype image when asked for.
proc ::parmix::program::RunClines {call} {
    lassign [dict get $call files] parental individual
    set options [dict get $call options]
    ConfigureThreads $options
    set report [ReportPath clines $options]
    # The image is drawn here from what the command gives with -image 1.
    set image [dict exists $options --image]
    set result [CallCommand ::parmix::clines $parental $individual -report $report \
                    {*}[CommandWords clines $options] -image $image]
    # With the image the command's result holds the rows under "clines".
    set rows $result
    if {$image} {
        set rows [dict get $result clines]
    }
    Notice $call "Report written to $report"
    if {[dict exists $options --tsv]} {
        Notice $call "Table written to [dict get $options --tsv]"
    }
    if {[dict exists $options --cline-plot]} {
        set title "Genomic clines of [file tail $individual] with parental file\
            [file tail $parental]"
        ::parmix::clinePlot $rows [dict get $options --cline-plot] -title $title
        Notice $call "Cline plot written to [dict get $options --cline-plot]"
    }
    if {$image} {
        ::parmix::genotypeImage [dict get $result image] [dict get $options --image] \
            -title "Genotypes by hybrid index: [file tail $individual]"
        Notice $call "Genotype image written to [dict get $options --image]"
    }
}

source [file join [file dirname [info script]] program_check.tcl]

proc ::parmix::program::RunReference {call} {
    lassign [dict get $call files] r s
    set options [dict get $call options]
    set warnings [::parmix::parentalFromReference $r $s [dict get $options -o] \
                      {*}[CommandWords reference $options]]
    foreach text $warnings {
        Warn $call $text
    }
    Notice $call "Parental file written to [dict get $options -o]"
    if {[dict exists $options --counts]} {
        Notice $call "Reference counts written to [dict get $options --counts]"
    }
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
  --threads N        study on N threads, also with --ancestry (default:
                     every core the process may use); the report is the
                     same for every N
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
  --reference-uncertainty
                     also with --ancestry and --clines (not with
                     --bootstrap): carry the uncertainty of
                     parental frequencies counted from few reference
                     samples into every individual's likelihood (each
                     population's frequencies a Dirichlet posterior of the
                     counts and the pseudo-count), which widens the support
                     limits honestly; needs --reference-counts.  The report
                     names the correction in a note before its header
  --reference-counts COUNTS
                     the reference samples' counts behind PARENTAL, as
                     --parental-from writes them with --counts
  --quiet            print no warnings on standard error and no lines
                     on standard output about the files written
  --help, -h         show this help and exit
  --version          show the version and exit

Ancestry and interclass heterozygosity (--ancestry):
  --ancestry         estimate jointly, by maximum likelihood, h and het,
                     the share of loci with one allele copy from each
                     parental population, each with its 2-unit profile
                     support limits; test the hybrid-index model against
                     the joint one; give the log-likelihood of six
                     early-generation classes (pure R, pure S, F1, F2 and
                     the backcrosses) and assign the best one when it is
                     clearly supported.  The report goes to -o REPORT
                     (default: parmix_ancestry.txt)
  --tsv FILE         with --ancestry: the rows as tab-separated values, one
                     column per quantity of the report (see the README);
                     NA where a value is undefined
  --triangle FILE.svg  draw het against h as an SVG triangle plot: the
                     hybrid-index curve, the class points, each individual
                     with its support limits and its assigned class
  --margin UNITS     how far the best class must beat the second to be
                     assigned (default 2 units of log-likelihood)
  --drop UNITS       how far below the maximum the assigned class's point
                     may lie (default 2 units)

Genomic clines (--clines):
  --clines           fit, by maximum likelihood, each locus's cline: the
                     share of its allele copies from R as a logit-logistic
                     function of the hybrid index h (steepness v and
                     centre, each with 2-unit profile support limits),
                     test it against the neutral cline (the genome's own,
                     share = h) and give the false discovery rate's
                     q-value and a category: neutral, steep, shallow,
                     R-shift or S-shift.  The report goes to -o REPORT
                     (default: parmix_clines.txt)
  --tsv FILE         with --clines: one row per locus as tab-separated
                     values; NA where a value is undefined
  --cline-plot FILE.svg  draw every locus's cline against h as an SVG
                     figure: the neutral cline (the diagonal), each locus
                     coloured by its category, the most significant
                     departing loci numbered and named; above a few
                     thousand loci a sample of the neutral ones, as the
                     figure says
  --qvalue Q         the q-value at which a locus departs (default 0.05)
  --bootstrap N      also a parametric bootstrap of the neutral cline: N
                     simulated replicates of each locus's genotypes under
                     phi = h, each refitted; the table's last column
                     bootstrap_p_value is the share of replicates whose
                     LR reaches the locus's own, (1 + count) / (1 + N)
  --seed S           the bootstrap's seed (default 1): the same seed gives
                     the same p-values on any number of threads
  --image FILE.svg   with --clines: draw the genotype image as an SVG
                     figure: individuals sorted by h (highest at the top),
                     loci in file order, each cell coloured by the number
                     of allele copies most likely from R (0, 1, 2; missing
                     grey); above 1,000 loci or individuals, bins coloured
                     by their mean count

Parental file from reference samples:
  --parental-from    write the parental file PARENTAL (given with -o),
                     counted from R_SAMPLE and S_SAMPLE, files of reference
                     individuals of populations R and S in the
                     individual-file format
  --types LIST       the locus types in locus order: C (codominant) and D
                     (dominant), each optionally after a count: CCD, 14C6D
  --types-from FILE  take the locus types from an existing parental file
                     (without either, every locus is codominant when both
                     files write every genotype as a pair such as 1/2)
  --pseudo-count X   add X to the count of every allele seen (and of both
                     phenotypes at a dominant locus) in each sample, so that
                     an allele seen in only one sample does not get a
                     frequency of exactly 0 (default 0: plain counts);
                     allele numbers seen in no file get no share
  --study FILE       the individual file to be studied: its alleles count
                     as seen, so each gets a frequency under a pseudo-count
                     (with --vcf, --study names populations instead)
  --renumber PREFIX  number the alleles of each codominant locus 1..k in
                     the parental file, and write PREFIX.R.txt, PREFIX.S.txt
                     (and PREFIX.study.txt) numbered alike and the mapping
                     PREFIX.map.tsv (locus, label, allele, number)
  --counts COUNTS    also write the counts behind the frequencies and the
                     pseudo-count to COUNTS, for --reference-uncertainty

Exit status: 0 on success, 1 when the analysis or a file fails (the reason
is printed on standard error), 2 for a wrong call.

Import from VCF or STRUCTURE files:
  --import ...       as the first word: run parmix-import with the words
                     that follow (parental and individual files from a VCF
                     or STRUCTURE file and a population map)

Examples:
  parmix -o report.txt --plot report.svg parental.txt individuals.txt
  parmix --check parental.txt individuals.txt
  parmix --ancestry --tsv ancestry.tsv --triangle ancestry.svg parental.txt individuals.txt
  parmix --clines --tsv clines.tsv --cline-plot clines.svg --image genotypes.svg \
         parental.txt individuals.txt
  parmix --parental-from R.txt S.txt -o parental.txt --types 14C6D
  parmix --parental-from R.txt S.txt -o parental.txt --types 14C6D --pseudo-count 1 \\
         --counts counts.tsv
  parmix --reference-uncertainty --reference-counts counts.tsv parental.txt individuals.txt
  parmix --import --vcf calls.vcf.gz --popmap pops.txt --r north --s south
[GenomeHelpText]"
}

# ---------------------------------------------------------------------------
# Genome-scale panels: the analysis straight from a VCF/BCF file and a
# population map (parmix::genome), and the joining of the reports of its
# shards (parmix::mergeReports).  Its own usage and words; the options of
# the input, references and filters are those of parmix-import.

namespace eval ::parmix::program {
    variable genomeUsage [join {
        {usage: parmix (--vcf FILE | --bfile PREFIX) --popmap FILE --r POP --s POP}
        {              [--study POP,...]}
        {              [-o REPORT] [--tsv FILE] [--plot FILE.svg] [--threads N]}
        {              [--samples FILE | --shard K/N] [--pseudo-count X]}
        {              [--biallelic-snps] [--min-called N] [--min-difference D]}
        {              [--max-missing F] [--quiet]}
        {              [--genotype-likelihoods PL|GL [--reference-frequencies gl|gt]]}
        {              [--reference-uncertainty]}
        {       parmix (--vcf FILE | --bfile PREFIX) --popmap FILE --r POP --s POP}
        {              --ancestry [-o REPORT]}
        {              [--tsv FILE] [--triangle FILE.svg] [--margin U] [--drop U] ...}
        {       parmix (--vcf FILE | --bfile PREFIX) --popmap FILE --r POP --s POP}
        {              --clines [-o REPORT] [--tsv FILE] [--qvalue Q]}
        {              [--cline-plot FILE.svg] [--image FILE.svg] [--shard K/N] ...}
        {       parmix --merge -o REPORT [--tsv FILE] [--plot FILE.svg | --cline-plot FILE.svg]}
        {              SHARD_REPORT...}
    } \n]
}

# A call of the genome-scale path: it names a VCF/BCF file or PLINK files,
# or asks to merge.
proc ::parmix::program::IsGenomeCall {words} {
    foreach word $words {
        if {$word eq "--"} {
            break
        }
        if {$word in {--vcf --bfile --merge} || [string match --vcf=* $word]
                || [string match --bfile=* $word]} {
            return 1
        }
    }
    return 0
}

proc ::parmix::program::GenomeMain {argv} {
    try {
        set call [ParseGenomeWords $argv]
        RefuseGenomeClashes $call
        WithStandardTable call {
            if {[dict exists $call flags --merge]} {
                RunMerge $call
            } else {
                RunGenome $call
            }
        }
    } trap {PARMIX USAGE} {message} {
        variable genomeUsage
        puts stderr "parmix: $message\n$genomeUsage\nTry 'parmix --help' for more."
        return 2
    } on error {message} {
        puts stderr "parmix: $message"
        return 1
    }
    return 0
}

# No output may name an input (the VCF or PLINK files, the population map,
# the samples file, a shard's report) or another output; the report's default name
# counts too.
proc ::parmix::program::RefuseGenomeClashes {call} {
    set options [dict get $call options]
    set inputs [lmap shard [dict get $call files] {list "shard report" $shard}]
    foreach {option role} {--vcf "VCF file" --popmap "population map" --samples "samples file"} {
        if {[dict exists $options $option]} {
            lappend inputs [list $role [dict get $options $option]]
        }
    }
    if {[dict exists $options --bfile]} {
        foreach suffix {.bed .bim .fam} {
            lappend inputs [list "PLINK file" [dict get $options --bfile]$suffix]
        }
    }
    RefuseOutputsNamingInputs [PanelMode $call] $options $inputs
}

# Runs SCRIPT (in the caller) with --tsv - of the call in the caller's
# variable CALL_VAR replaced by a temporary table, which goes to standard
# output once the script has succeeded; the lines about written files then
# go to standard error.
proc ::parmix::program::WithStandardTable {callVar script} {
    upvar 1 $callVar call
    if {![dict exists $call options --tsv] || [dict get $call options --tsv] ne "-"} {
        return [uplevel 1 $script]
    }
    close [file tempfile table parmix-table.tsv]
    dict set call options --tsv $table
    dict set call tsvToStdout $table
    try {
        uplevel 1 $script
        set chan [open $table rb]
        fconfigure stdout -translation binary
        fcopy $chan stdout
        close $chan
    } finally {
        file delete $table
    }
}

# A line about a written file of the genome-scale path: none under --quiet,
# on standard error when the table goes to standard output.
proc ::parmix::program::GenomeNotice {call text} {
    if {[dict exists $call flags --quiet]} {
        return
    }
    if {[dict exists $call tsvToStdout]} {
        puts stderr [string map [list [dict get $call tsvToStdout] "standard output"] $text]
    } else {
        puts $text
    }
}

# The words as a dict: options (word -> value), flags (word -> 1) and
# files (the shard reports of --merge).
proc ::parmix::program::ParseGenomeWords {words} {
    variable panelModes
    set call [dict create options {} flags {} files {}]
    for {set i 0} {$i < [llength $words]} {incr i} {
        set word [lindex $words $i]
        set known [llength [OptionModes $word $panelModes]]
        if {[regexp {^(--[^=]+)=(.*)$} $word -> name value]} {
            if {![llength [OptionModes $name $panelModes]] || ![TakesValue $name]} {
                Usage "option $name takes no value, or is unknown"
            }
            dict set call options $name $value
        } elseif {$known && [TakesValue $word]} {
            if {[incr i] == [llength $words]} {
                Usage "option $word needs a value"
            }
            dict set call options $word [lindex $words $i]
        } elseif {$known} {
            dict set call flags $word 1
        } elseif {[string match -?* $word]} {
            Usage "unknown option $word"
        } else {
            dict lappend call files $word
        }
    }
    return [CheckGenomeCall $call]
}

# The mode of a call of the panel path: merge (merge-clines for the
# shards of the clines), or the analysis of a VCF/BCF or PLINK panel
# (vcf-ancestry for the joint one).
proc ::parmix::program::PanelMode {call} {
    if {[dict exists $call flags --merge]} {
        return [expr {[ShardsOfClines [dict get $call files]] ? "merge-clines" : "merge"}]
    }
    if {[dict exists $call flags --ancestry]} {
        return vcf-ancestry
    }
    expr {[dict exists $call flags --clines] ? "vcf-clines" : "vcf"}
}

# Every option and flag of CALL in its MODE, by the table: one that
# belongs to another mode of the panel path is refused as a misfit.
proc ::parmix::program::CheckPanelFit {call mode} {
    foreach name [concat [dict keys [dict get $call options]] [dict keys [dict get $call flags]]] {
        set modes [OptionModes $name]
        if {$mode ni $modes} {
            set misfit [dict get {
                merge {does not go with --merge} vcf-ancestry {does not go with --ancestry}
                merge-clines {does not go with the shards of the genomic clines}
                vcf-clines {does not go with --clines} vcf {needs --ancestry}
            } $mode]
            # An option of the clines alone, given to the hybrid index.
            if {$mode eq "vcf" && "vcf-ancestry" ni $modes && "vcf-clines" in $modes} {
                set misfit "needs --clines"
            }
            Usage "option $name $misfit"
        }
    }
}

# The message for a word that a text-file call does not know: the
# corrections for sequencing data and small reference samples need what
# only a VCF holds (likelihoods, the reference samples' counts).
proc ::parmix::program::UnknownOptionMessage {word} {
    set name [lindex [split $word =] 0]
    if {$name in {--genotype-likelihoods --reference-frequencies}} {
        return "option $name goes with --vcf only: parental and individual files hold\
            no genotype likelihoods"
    }
    return "unknown option $word"
}

# A shard of the clines fits a part of the loci; the figures need every
# locus's q-value and category, which only the merge gives.
proc ::parmix::program::CheckClineShard {call mode} {
    if {$mode ne "vcf-clines" || ![dict exists $call options --shard]} {
        return
    }
    foreach name {--cline-plot --image} {
        if {[dict exists $call options $name]} {
            Usage "option $name does not go with --shard K/N: the figure needs every locus's\
                q-value; draw it in one run over all loci"
        }
    }
}

proc ::parmix::program::CheckGenomeCall {call} {
    set options [dict get $call options]
    foreach name {--tsv --plot -o} {
        if {[dict exists $options $name] && [dict get $options $name] eq ""} {
            Usage "option $name needs a non-empty value"
        }
    }
    set mode [PanelMode $call]
    if {$mode ni {merge merge-clines}} {
        if {[llength [dict get $call files]]} {
            Usage "unexpected word \"[lindex [dict get $call files] 0]\": every input is\
                given by an option"
        }
        CheckPanelFit $call $mode
        CheckClineShard $call $mode
        if {[dict exists $options --triangle] && [dict get $options --triangle] eq ""} {
            Usage "option --triangle needs a non-empty value"
        }
        return $call
    }
    if {[dict exists $call flags --ancestry]} {
        Usage "option --ancestry does not go with --merge: merge the shards of a joint\
            analysis by running it once over all of them"
    }
    if {[dict exists $call flags --clines]} {
        Usage "option --clines does not go with --merge: the shards' reports of the clines\
            say what they are"
    }
    if {[dict exists $options --vcf]} {
        Usage "give either --vcf FILE or --merge, not both"
    }
    if {[dict exists $options --bfile]} {
        Usage "give either --bfile PREFIX or --merge, not both"
    }
    CheckPanelFit $call $mode
    if {![dict exists $options -o]} {
        Usage "--merge needs -o REPORT, the merged report to write"
    }
    if {![llength [dict get $call files]]} {
        Usage "give the shards' reports to merge"
    }
    return $call
}

proc ::parmix::program::RunGenome {call} {
    set options [dict get $call options]
    set quiet [dict exists $call flags --quiet]
    # htslib's own warnings follow the program's verbosity.
    ::parmix::htslibLogLevel [expr {$quiet ? "off" : "warning"}]
    set mode [PanelMode $call]
    # The table is written from the run's rows; the clines' by the run.
    # The clines' figures are drawn here from their rows and image, which
    # the command keeps only when asked.
    set clines [expr {$mode eq "vcf-clines"}]
    set result [CallCommand ::parmix::genome -progress [expr {!$quiet}] \
                    -rows [expr {$mode eq "vcf" && [dict exists $options --tsv]}] \
                    {*}[if {$clines} {list -clinerows [dict exists $options --cline-plot] \
                                          -image [dict exists $options --image]}] \
                    {*}[CommandWords $mode [dict merge $options [dict get $call flags]]]]
    if {$mode eq "vcf-ancestry"} {
        WriteGenomeAncestryOutputs $result $options $call
        return
    }
    if {$mode eq "vcf-clines"} {
        WriteGenomeClineOutputs $result $options $call
        return
    }
    set report [ReportPath vcf $options]
    set title "Hybrid index of the study individuals of [InputName $options]"
    WriteGenomeOutputs $report $options $title $call $result
}

# The clines have written their report and table; the cline plot and the
# genotype image are drawn from the rows and image of the run.
proc ::parmix::program::WriteGenomeClineOutputs {result options call} {
    WriteClineOutputs $call [ReportPath vcf-clines $options] $options $result \
        "Genomic clines of the study individuals of [InputName $options]"
    if {[dict exists $options --image]} {
        ::parmix::genotypeImage [dict get $result image] [dict get $options --image] \
            -title "Genotypes by hybrid index: [InputName $options]"
        GenomeNotice $call "Genotype image written to [dict get $options --image]"
    }
}

# The joint analysis has written its report and table; the triangle plot
# is drawn from its rows.
proc ::parmix::program::WriteGenomeAncestryOutputs {result options call} {
    set report [expr {[dict exists $options -o] ? [dict get $options -o] : "parmix_ancestry.txt"}]
    GenomeNotice $call "Report written to $report"
    if {[dict exists $options --tsv]} {
        GenomeNotice $call "Table written to [dict get $options --tsv]"
    }
    if {[dict exists $options --triangle]} {
        set title "Ancestry and interclass heterozygosity of the study individuals of\
            [InputName $options]"
        ::parmix::triangle [dict get $result rows] [dict get $options --triangle] -title $title
        GenomeNotice $call "Triangle plot written to [dict get $options --triangle]"
    }
}

# The input as a figure's title names it: the VCF file, or the PLINK
# files' prefix.
proc ::parmix::program::InputName {options} {
    foreach name {--vcf --bfile} {
        if {[dict exists $options $name]} {
            return [file tail [dict get $options $name]]
        }
    }
    return ""
}

proc ::parmix::program::RunMerge {call} {
    set options [dict get $call options]
    if {[PanelMode $call] eq "merge-clines"} {
        RunClineMerge $call
        return
    }
    set report [dict get $options -o]
    ::parmix::mergeReports -report $report {*}[dict get $call files]
    WriteGenomeOutputs $report $options "Hybrid index: [file tail $report]" $call
}

# Whether the shards' reports FILES are those of the genomic clines: the
# first opens, after its time stamp and an empty line, with the note of a
# shard of the clines.  Only a regular file is looked into, so that a pipe
# keeps every byte for the merge.
proc ::parmix::program::ShardsOfClines {files} {
    set first [lindex $files 0]
    if {![file isfile $first] || [catch {open $first r} chan]} {
        return 0
    }
    try {
        set lines [list [gets $chan] [gets $chan] [gets $chan]]
    } finally {
        close $chan
    }
    regexp {^Shard [0-9]+ of [0-9]+ of the genomic clines: } [lindex $lines 2]
}

# The merge of the clines' shards writes their report and table at once,
# as one run of the clines does; the cline plot is drawn from its rows.
proc ::parmix::program::RunClineMerge {call} {
    set options [dict get $call options]
    set report [dict get $options -o]
    set result [CallCommand ::parmix::mergeReports {*}[CommandWords merge-clines $options] \
                    -clinerows [dict exists $options --cline-plot] {*}[dict get $call files]]
    WriteClineOutputs $call $report $options $result "Genomic clines: [file tail $report]"
}

# The notices of a clines run's report and table, and its cline plot, drawn
# from the rows of RESULT under TITLE.
proc ::parmix::program::WriteClineOutputs {call report options result title} {
    GenomeNotice $call "Report written to $report"
    if {[dict exists $options --tsv]} {
        GenomeNotice $call "Table written to [dict get $options --tsv]"
    }
    if {[dict exists $options --cline-plot]} {
        ::parmix::clinePlot [dict get $result clines] [dict get $options --cline-plot] \
            -title $title
        GenomeNotice $call "Cline plot written to [dict get $options --cline-plot]"
    }
}

# The report is written; the table from the rows of the run's RESULT, with
# their data counts, or, for a merged report, which has only the shards'
# reports to go on, from the report without them; the figure from the
# report.  The lines about them follow GenomeNotice.
proc ::parmix::program::WriteGenomeOutputs {report options title call {result {}}} {
    GenomeNotice $call "Report written to $report"
    if {[dict exists $options --tsv] && [dict size $result]} {
        ::parmix::writeRowsTsv [dict get $result rows] [dict get $options --tsv] \
            -report $report -corrections [dict get $result corrections]
        GenomeNotice $call "Table written to [dict get $options --tsv]"
    } elseif {[dict exists $options --tsv]} {
        ::parmix::writeTsv $report [dict get $options --tsv]
        GenomeNotice $call "Table written to [dict get $options --tsv]"
    }
    if {[dict exists $options --plot]} {
        ::parmix::plot $report [dict get $options --plot] -title $title
        GenomeNotice $call "Plot written to [dict get $options --plot]"
    }
}

proc ::parmix::program::GenomeHelpText {} {
    variable genomeUsage
    return "
Genome-scale panels, straight from VCF/BCF or PLINK files:
$genomeUsage

  --vcf FILE         the VCF or BCF file, plain or bgzipped; - reads
                     standard input.  Reference samples give the parental
                     frequencies, the study individuals their genotypes,
                     counted and filtered as parmix-import does (same
                     options: see parmix --import --help); locus labels
                     are CHROM:POS.  No intermediate files are written
  --bfile PREFIX     PLINK 1 binary files PREFIX.bed, .bim and .fam
                     (variant-major), read in place: the same analysis as
                     of the VCF that plink --keep-allele-order --recode
                     vcf writes from them (A2 is REF, A1 the ALT; loci
                     CHROM:POS of the .bim).
                     The population map names the samples by their IID or
                     by FID_IID, as that VCF does
  --popmap FILE      lines 'sample population'; --r POP and --s POP name
                     the reference populations, --study POP,... those to
                     study (default: all others; with --parental-from,
                     --study names a file instead)
  --pseudo-count X, --biallelic-snps, --min-called N, --min-difference D,
  --max-missing F    counting and filters as for parmix-import
  --threads N        study on N threads (default: every core the process
                     may use); the report is the same for every N
  --samples FILE     study only the individuals named in FILE, one a line
  --shard K/N        study only the K-th of N consecutive parts of the
                     study individuals; with --clines, fit only the K-th
                     of N consecutive parts of the loci (every individual
                     is studied, since each locus's fit needs every h)
  --merge            join the reports of shards 1/N ... N/N, given in that
                     order, into the report of one run over all of them
                     (its --tsv table without loci_with_data and
                     missing_share, which the reports do not hold); each
                     shard's report notes its place, and reports that are
                     not all the shards of one run, in order and whole,
                     are refused.  The shards of --clines give the report,
                     --tsv table and --cline-plot FILE.svg of one run, their
                     q-values and categories taken over every locus
  --quiet            no progress on standard error and no lines on
                     standard output
  --genotype-likelihoods PL|GL
                     study individuals from their genotype likelihoods
                     (FORMAT field PL or GL) instead of their calls; a
                     record without the field is studied from GT, missing
                     likelihoods are missing data.  Also sets the parental
                     frequencies by an EM from the reference samples'
                     likelihoods, unless --reference-frequencies gt
  --reference-frequencies gl|gt
                     with --genotype-likelihoods: parental frequencies by
                     EM from the likelihoods (gl, the default) or counted
                     from the calls (gt)
  --reference-uncertainty
                     carry the uncertainty of parental frequencies counted
                     from few reference samples into each individual's
                     likelihood (Dirichlet posteriors of the counts plus
                     the pseudo-count).  Both corrections are named in a
                     note of the report, and both go with --ancestry
  --ancestry         the joint analysis of ancestry and interclass
                     heterozygosity instead of the hybrid index, with the
                     report, --tsv FILE, --triangle FILE.svg, --margin U
                     and --drop U of the text-file analysis (default
                     report: parmix_ancestry.txt); not with --merge
  --clines           the genomic cline of every locus along the hybrid
                     index, with the report, --tsv FILE, --qvalue Q,
                     --cline-plot FILE.svg and --image FILE.svg of the
                     text-file clines (default report:
                     parmix_clines.txt).  The loci are fitted on --threads
                     N straight from the stored genotypes (likelihoods too,
                     under the corrections); with --shard K/N, a part of
                     the loci, whose q-values and categories wait for
                     --merge (no --tsv, --cline-plot or --image then)

Example:
  parmix --vcf calls.bcf --popmap pops.txt --r north --s south -o report.txt
  parmix --bfile zone --popmap pops.txt --r north --s south --threads 2"
}

# The package setting that the `parmix` command and parmix::ancestry study
# with, from --threads N of a text-file analysis.
proc ::parmix::program::ConfigureThreads {options} {
    if {![dict exists $options --threads]} {
        return
    }
    CallCommand ::parmix::configure -threads [dict get $options --threads]
}
