#!/bin/sh
# The Snakemake workflow run locally on a small simulated VCF in 3 shards:
# its merged report equals one run's over all the individuals (apart from
# the time-stamp line).  Exits 77 (skipped) when snakemake is absent.
#
#   run-workflow.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
source=$2
if ! command -v snakemake >/dev/null 2>&1; then
    echo "snakemake is not installed (Debian package snakemake): the workflow test is skipped"
    exit 77
fi
work=$(mktemp -d -t parmix-workflow-XXXXXX)
trap 'rm -rf "$work"' EXIT

# In a sanitizer build the program's tclsh needs the runtimes preloaded
# (PARMIX_PRELOAD); snakemake itself runs without them.
parmix=$build/parmix
if [ -n "${PARMIX_PRELOAD:-}" ]; then
    parmix=$work/parmix
    printf '#!/bin/sh\nLD_PRELOAD="%s" ASAN_OPTIONS=detect_leaks=0 exec "%s" "$@"\n' \
        "$PARMIX_PRELOAD" "$build/parmix" >"$parmix"
    chmod +x "$parmix"
fi

"$build/parmix-sim" --individuals 25 --loci 300 --alleles 2:4 --missing-share 0.05 --vcf \
    --references 10 --seed 3 --prefix "$work/panel" 2>/dev/null
"$parmix" --vcf "$work/panel.vcf.gz" --popmap "$work/panel.popmap.txt" --r R --s S \
    --pseudo-count 0.5 --quiet -o "$work/single.txt"
snakemake --snakefile "$source/workflow/Snakefile" --directory "$work" --cores 2 --quiet \
    --config vcf=panel.vcf.gz popmap=panel.popmap.txt shards=3 options="--pseudo-count 0.5" \
    parmix="$parmix" >"$work/snakemake.log" 2>&1 || {
    cat "$work/snakemake.log"
    exit 1
}
ls "$work/results/shards"
tail -n +2 "$work/single.txt" >"$work/single.body"
tail -n +2 "$work/results/report.txt" >"$work/merged.body"
cmp "$work/single.body" "$work/merged.body"
grep -c '^ *ind[0-9]* ' "$work/merged.body"
echo "merged report of 3 shards equals the single run"
