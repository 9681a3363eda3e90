#!/bin/sh
# The genome-scale benchmark: a simulated panel analysed by parmix, with the
# peak resident memory (GNU time) and the wall time split into reading and
# studying; fails when a goal is missed.  Tiers (BENCH_GENOME_TIER):
#
#   10e9   1,000 study individuals x 1,000,000 SNPs (10^9 study genotypes)
#          as a bgzipped VCF (parmix --vcf); goals 0.6 GB and 2 minutes
#          (the default)
#   10e10  10,000 x 1,000,000 (10^10) as PLINK files (parmix --bfile);
#          goals 4 GB and 10 minutes
#   10e8   1,000 x 100,000 (10^8) as PLINK files: the 10^10 tier's path at
#          a hundredth of its size and goals, for a first look
#
# Every tier has 2 x 50 reference samples.  Where the build has the
# benchmark programs (-DPARMIX_BENCH=ON), parmix-search-check then studies
# the same panel with Newton's and with Brent's searches: their passes and
# log calls, the floor of one log() a term, and the largest differences.
#
# BENCH_GENOME_CLINES=1 (make bench-genome CLINES=1) fits the genomic
# clines of every locus after the hybrid index (parmix ... --clines): the
# goal is then 10 minutes per 10^9 study genotypes on two cores (1,000 x
# 1,000,000 SNPs at the 10e9 tier), in the tier's memory.
#
#   run-bench-genome.sh BUILD_DIR
#
# The panel is simulated once and kept in BUILD_DIR/bench-genome.  Other
# sizes: BENCH_GENOME_LOCI, _INDIVIDUALS and _REFERENCES override the
# tier's; the goals are then scaled to the study genotypes.
set -eu

build=${1:?usage: run-bench-genome.sh BUILD_DIR}
tier=${BENCH_GENOME_TIER:-10e9}
# Per tier: individuals, loci, input form, and the goals for 10^9 study
# genotypes (peak GB, wall s) that the tier's are scaled from.
case $tier in
    10e9) set -- 1000 1000000 vcf 0.6 120 ;;
    10e10) set -- 10000 1000000 plink 0.4 60 ;;
    10e8) set -- 1000 100000 plink 0.4 60 ;;
    *)
        echo "bench-genome: unknown tier '$tier' (10e8, 10e9 or 10e10)" >&2
        exit 2
        ;;
esac
individuals=${BENCH_GENOME_INDIVIDUALS:-$1}
loci=${BENCH_GENOME_LOCI:-$2}
form=$3
goal_gb=$4
goal_s=$5
references=${BENCH_GENOME_REFERENCES:-50}
clines=${BENCH_GENOME_CLINES:-0}
analysis=""
if [ "$clines" = 1 ]; then
    analysis="--clines"
    goal_s=600
fi
folder=$build/bench-genome
panel=$folder/panel-$individuals-$references-$loci
mkdir -p "$folder"

if [ "$form" = vcf ]; then
    inputs="$panel.vcf.gz"
    analysed="--vcf $panel.vcf.gz"
else
    inputs="$panel.bed $panel.bim $panel.fam"
    analysed="--bfile $panel"
fi

missing=0
for file in $inputs "$panel.popmap.txt"; do
    [ -f "$file" ] || missing=1
done
if [ "$missing" = 1 ]; then
    echo "bench-genome: simulating $individuals individuals + 2 x $references references x $loci SNPs as $form files (once)"
    start=$(date +%s)
    "$build/parmix-sim" --individuals "$individuals" --loci "$loci" --alleles 2 "--$form" \
        --references "$references" --seed 15 --prefix "$panel.part"
    # Only the genotypes and their map are kept; the text files would take GBs.
    rm -f "$panel.part.parental.txt" "$panel.part.individuals.txt" "$panel.part.truth.tsv"
    if [ "$form" = vcf ]; then
        suffixes="vcf.gz popmap.txt"
    else
        suffixes="bed bim fam popmap.txt"
    fi
    for suffix in $suffixes; do
        mv "$panel.part.$suffix" "$panel.$suffix"
    done
    echo "bench-genome: simulated in $(( $(date +%s) - start )) s"
fi

# $analysed holds paths without spaces (BUILD_DIR's): split on purpose.
# shellcheck disable=SC2086
"$(command -v time || echo /usr/bin/time)" -f '%M %e' -o "$folder/time.txt" \
    "$build/parmix" $analysed --popmap "$panel.popmap.txt" --r R --s S $analysis \
    -o "$folder/report.txt" 2>"$folder/messages.txt" || {
    cat "$folder/messages.txt" >&2
    exit 1
}
grep -v '^parmix: [0-9]* \(sites,\|of [0-9]* \(individuals studied\|loci fitted\)\)' "$folder/messages.txt" || true
passes=$(sed -n 's/^parmix: \([0-9.]*\) passes over the loci and \([0-9.]*\) log calls.*/\1 \2/p' "$folder/messages.txt")

# Figures: the run's summary line and GNU time's peak and wall.
summary=$(grep 'read in' "$folder/messages.txt")
read_s=$(echo "$summary" | sed 's/.*read in \([0-9.]*\) s.*/\1/')
study_s=$(echo "$summary" | sed 's/.*studied in \([0-9.]*\) s.*/\1/')
threads=$(echo "$summary" | sed 's/.* on \([0-9]*\) threads.*/\1/')
read -r peak_kb wall_s < "$folder/time.txt"
# shellcheck disable=SC2086
size=$(cat $inputs | wc -c)

status=0
awk -v n="$individuals" -v l="$loci" -v kb="$peak_kb" -v wall="$wall_s" -v rd="$read_s" \
    -v st="$study_s" -v t="$threads" -v size="$size" -v form="$form" -v tier="$tier" \
    -v goal_gb="$goal_gb" -v goal_s="$goal_s" -v passes="$passes" -v clines="$clines" 'BEGIN {
    g = n * l; gb = kb * 1024 / 1e9
    printf "\nbench-genome %s: %d individuals x %d SNPs = %.3g study genotypes (%s %.0f MB)\n", tier, n, l, g, (form == "vcf" ? "VCF" : "PLINK files"), size / 1e6
    printf "  peak memory   %8.2f GB  (%.2f bytes per genotype)\n", gb, kb * 1024 / g
    printf "  wall time     %8.1f s\n", wall
    printf "    reading     %8.1f s  (%.1f ns per genotype)\n", rd, rd * 1e9 / g
    printf "    studying    %8.1f s  (%.1f ns per genotype on %d threads)%s\n", st, st * 1e9 / g, t, (clines == 1 ? ", clines included" : "")
    if (clines == 1) printf "    per locus   %8.3f ms of the study, on %d threads\n", st * 1e3 / l, t
    if (split(passes, p, " ") == 2) printf "  the study     %8.1f passes over the loci, %.1f log calls a genotype\n", p[1], p[2]
    scale = g / 1e9
    fail = 0
    if (gb > goal_gb * scale + 0.1) { printf "  GOAL MISSED: peak memory above %.1f GB per 10^9 genotypes\n", goal_gb; fail = 1 }
    if (wall > goal_s * scale + 5) { printf "  GOAL MISSED: wall time above %d s per 10^9 genotypes\n", goal_s; fail = 1 }
    if (!fail) printf "  goals met (%.1f GB, %d s per 10^9 genotypes)\n", goal_gb, goal_s
    exit fail
}' || status=$?

check=$build/bench/parmix-search-check
if [ -x "$check" ]; then
    echo
    # shellcheck disable=SC2086
    "$check" $analysed --popmap "$panel.popmap.txt" --r R --s S || status=1
fi
exit $status
