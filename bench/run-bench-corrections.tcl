# The cost of the corrections for sequencing data and small reference
# samples on the M tier (1,000 study individuals x 5,000 biallelic SNPs,
# 2 x 50 reference samples, reads of mean depth 10 with 1% errors, so every
# genotype carries PL), through the VCF path (parmix::genome, as the
# program's --vcf runs it) on 2 threads: the plain analysis,
# -genotypelikelihoods PL, -referenceuncertainty 1 and both, for the
# hybrid index and for the joint analysis (-ancestry 1), each against the
# plain run of its own analysis.  Each run five times; the fastest reading
# and studying times are kept.
#
#   tclsh run-bench-corrections.tcl BUILD_DIR

lassign $argv build
lappend auto_path $build
package require parmix

set folder [file join $build bench-corrections]
set panel [file join $folder m-tier]
file mkdir $folder
if {![file exists $panel.vcf.gz]} {
    exec [file join $build parmix-sim] --individuals 1000 --loci 5000 --alleles 2 --vcf \
        --depth 10 --error 0.01 --references 50 --differentiation mixed --seed 16 \
        --prefix $panel >/dev/null
}

set runs {
    plain {}
    {genotype likelihoods (PL)} {-genotypelikelihoods PL}
    {reference uncertainty} {-referenceuncertainty 1}
    {both} {-genotypelikelihoods PL -referenceuncertainty 1}
    {joint, plain} {-ancestry 1}
    {joint, genotype likelihoods} {-ancestry 1 -genotypelikelihoods PL}
    {joint, reference uncertainty} {-ancestry 1 -referenceuncertainty 1}
    {joint, both} {-ancestry 1 -genotypelikelihoods PL -referenceuncertainty 1}
}
puts [format "| %-30s | %8s | %9s | %14s |" "run (M tier, 2 threads)" "read s" "study s" "study / plain"]
puts "|---|---|---|---|"
set plain {}
foreach {name options} $runs {
    set read Inf
    set study Inf
    for {set i 0} {$i < 5} {incr i} {
        set figures [parmix::genome -vcf $panel.vcf.gz -popmap $panel.popmap.txt -r R -s S \
                         -threads 2 -report [file join $folder report.txt] {*}$options]
        set read [expr {min($read, [dict get $figures readSeconds])}]
        set study [expr {min($study, [dict get $figures studySeconds])}]
    }
    # Each analysis against its own plain run.
    if {[string match *plain $name]} {
        set plain $study
    }
    puts [format "| %-30s | %8.3f | %9.3f | %14.2f |" $name $read $study [expr {$study / $plain}]]
}
