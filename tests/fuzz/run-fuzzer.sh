#!/bin/sh
# Runs one libFuzzer target of parmix for a bounded time from its seed
# corpus, and prints a one-line summary (time, executions, outcome).
#
#   run-fuzzer.sh [--fresh] BINARY TARGET SECONDS WORKDIR
#
# BINARY is fuzz_TARGET of a PARMIX_FUZZ build; TARGET is one of the
# Makefile's FUZZ_TARGETS.  New inputs go to WORKDIR/corpus (kept between runs, so
# a later run goes on from there, unless --fresh empties it first), the
# committed corpus tests/fuzz/corpus/TARGET is only read, and an input that
# crashes, hangs or trips a sanitizer is written to WORKDIR/artifacts.  The
# exit status is libFuzzer's: 0 when nothing was found.
set -eu

fresh=0
if [ "${1:-}" = "--fresh" ]; then
    fresh=1
    shift
fi
if [ $# -ne 4 ]; then
    echo "usage: $0 [--fresh] BINARY TARGET SECONDS WORKDIR" >&2
    exit 2
fi
binary=$1
target=$2
seconds=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)

[ "$fresh" -eq 1 ] && rm -rf "$work/corpus"
mkdir -p "$work/corpus" "$work/artifacts"
log="$work/fuzz.log"

# -timeout: an input that runs longer than 10 s is a hang; -max_len keeps
# inputs at the size of small data files; leaks are checked per input.
status=0
"$binary" \
    -max_total_time="$seconds" -timeout=10 -max_len=4096 -rss_limit_mb=2048 \
    -detect_leaks=1 -print_final_stats=1 \
    -dict="$here/parmix.dict" \
    -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$here/corpus/$target" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
if [ "$status" -eq 0 ]; then
    echo "fuzz_$target: ${took:-?} s, ${runs:-?} executions, nothing found"
else
    tail -n 60 "$log"
    echo "fuzz_$target: FOUND A FAULT (exit $status); input in $work/artifacts/, log in $log"
fi
exit "$status"
