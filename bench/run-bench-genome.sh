#!/bin/sh
# The genome-scale benchmark: a simulated panel of 1,000 study individuals
# and 2 x 50 reference samples at 1,000,000 biallelic SNPs (10^9 study
# genotypes) as a bgzipped VCF, analysed by parmix --vcf; reports the peak
# resident memory (GNU time) and the wall time split into reading and
# studying, and fails when a goal is missed (2.5 GB, 5 minutes).
#
#   run-bench-genome.sh BUILD_DIR
#
# The panel is simulated once and kept in BUILD_DIR/bench-genome.  Smaller
# runs for a first look: BENCH_GENOME_LOCI=100000 (and _INDIVIDUALS,
# _REFERENCES); the goals are then scaled to the study genotypes.
set -eu

build=${1:?usage: run-bench-genome.sh BUILD_DIR}
loci=${BENCH_GENOME_LOCI:-1000000}
individuals=${BENCH_GENOME_INDIVIDUALS:-1000}
references=${BENCH_GENOME_REFERENCES:-50}
folder=$build/bench-genome
panel=$folder/panel-$individuals-$references-$loci
mkdir -p "$folder"

if [ ! -f "$panel.vcf.gz" ] || [ ! -f "$panel.popmap.txt" ]; then
    echo "bench-genome: simulating $individuals individuals + 2 x $references references x $loci SNPs (once)"
    start=$(date +%s)
    "$build/parmix-sim" --individuals "$individuals" --loci "$loci" --alleles 2 --vcf \
        --references "$references" --seed 15 --prefix "$panel.part"
    # Only the VCF and its map are kept; the text files would take GBs.
    rm -f "$panel.part.parental.txt" "$panel.part.individuals.txt" "$panel.part.truth.tsv"
    mv "$panel.part.popmap.txt" "$panel.popmap.txt"
    mv "$panel.part.vcf.gz" "$panel.vcf.gz"
    echo "bench-genome: simulated in $(( $(date +%s) - start )) s"
fi

"$(command -v time || echo /usr/bin/time)" -f '%M %e' -o "$folder/time.txt" \
    "$build/parmix" --vcf "$panel.vcf.gz" --popmap "$panel.popmap.txt" --r R --s S \
    -o "$folder/report.txt" 2>"$folder/messages.txt" || {
    cat "$folder/messages.txt" >&2
    exit 1
}
grep -v '^parmix: [0-9]* \(sites,\|of [0-9]* individuals studied\)' "$folder/messages.txt" || true

# Figures: the run's summary line and GNU time's peak and wall.
summary=$(grep 'read in' "$folder/messages.txt")
read_s=$(echo "$summary" | sed 's/.*read in \([0-9.]*\) s.*/\1/')
study_s=$(echo "$summary" | sed 's/.*studied in \([0-9.]*\) s.*/\1/')
threads=$(echo "$summary" | sed 's/.* on \([0-9]*\) threads.*/\1/')
read -r peak_kb wall_s < "$folder/time.txt"

awk -v n="$individuals" -v l="$loci" -v kb="$peak_kb" -v wall="$wall_s" -v rd="$read_s" \
    -v st="$study_s" -v t="$threads" -v size="$(wc -c < "$panel.vcf.gz")" 'BEGIN {
    g = n * l; gb = kb * 1024 / 1e9
    printf "\nbench-genome: %d individuals x %d SNPs = %.3g study genotypes (VCF %.0f MB)\n", n, l, g, size / 1e6
    printf "  peak memory   %8.2f GB  (%.2f bytes per genotype)\n", gb, kb * 1024 / g
    printf "  wall time     %8.1f s\n", wall
    printf "    reading     %8.1f s  (%.1f ns per genotype)\n", rd, rd * 1e9 / g
    printf "    studying    %8.1f s  (%.1f ns per genotype on %d threads)\n", st, st * 1e9 / g, t
    scale = g / 1e9
    fail = 0
    if (gb > 2.5 * scale + 0.1) { print "  GOAL MISSED: peak memory above 2.5 GB per 10^9 genotypes"; fail = 1 }
    if (wall > 300 * scale + 5) { print "  GOAL MISSED: wall time above 5 minutes per 10^9 genotypes"; fail = 1 }
    if (!fail) print "  goals met (2.5 GB, 5 min per 10^9 genotypes)"
    exit fail
}'
