#!/bin/sh
# What the Makefile's targets would run (make -n, nothing is run): every
# target installs its packages before it first configures, so that what a
# configure run looks for is there; `make run` builds the package alone;
# `make test` compiles the benchmarks; TCL_VERSION reaches install-deps,
# CMake and the shell that runs the scripts.
#
#   make_order_test.sh SOURCE
set -eu
source=$1
failures=0

# commands TARGET [VARIABLE=VALUE...]: the commands make would run, one a
# line (continued lines joined).  Nothing of a make that runs the test
# (its variables travel in MAKEFLAGS) reaches this one.
commands() {
    target=$1; shift
    env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL -u TCL_VERSION -u DEPS_GROUPS \
        make -n -s -C "$source" --no-print-directory BUILD_DIR=build-dry "$target" "$@" 2>&1 |
        sed -e ':a' -e '/\\$/{N;s/\\\n//;ba' -e '}'
}
fail() { echo "make $case: $1"; failures=$((failures + 1)); }
# first PATTERN: the number of the first command matching the pattern (0: none).
first() {
    n=$(printf '%s\n' "$out" | grep -n -e "$1" | head -n 1 | cut -d: -f1)
    echo "${n:-0}"
}

# target, the install-deps group that must come before its first configure.
for case in "test-release:test" "test-sanitize:test" "deb:deb" "docs:docs" \
            "gui-docs:gui-docs" "memcheck:memcheck" "fuzz-build:fuzz" "bench:bench" "run:" "build:"; do
    target=${case%%:*} group=${case#*:}
    out=$(commands "$target")
    install=$(first "scripts/install-deps *$group")
    configure=$(first "cmake -S \. ")
    [ "$install" -gt 0 ] || { fail "installs no packages ($group)"; continue; }
    [ "$configure" -gt 0 ] || { fail "configures nothing"; continue; }
    [ "$install" -lt "$configure" ] || fail "configures (command $configure) before it installs '$group' (command $install)"
done

case=run
out=$(commands run)
printf '%s\n' "$out" | grep -q -e "--build build-dry .*--target parmix" || fail "does not build the package alone"
printf '%s\n' "$out" | grep -e "--build" | grep -v -q -e "--target" && fail "builds more than the package"

case=test-release
out=$(commands test-release)
printf '%s\n' "$out" | grep "cmake -S \. " | grep -q -e "-DPARMIX_BENCH=ON" || fail "does not compile the benchmarks"

case="run TCL_VERSION=9.0"
out=$(commands run TCL_VERSION=9.0)
printf '%s\n' "$out" | grep -q "TCL_VERSION=9.0 sh scripts/install-deps" || fail "does not tell install-deps the Tcl"
printf '%s\n' "$out" | grep -q -e "-DPARMIX_TCL_VERSION=9.0" || fail "does not tell CMake the Tcl"
printf '%s\n' "$out" | grep -q "^tclsh9.0 scripts/run-example.tcl" || fail "does not run the example in tclsh9.0"

case=run
out=$(commands run)
printf '%s\n' "$out" | grep -q -e "-DPARMIX_TCL_VERSION= " || fail "keeps a Tcl chosen before instead of the system's"
printf '%s\n' "$out" | grep -q "^tclsh scripts/run-example.tcl" || fail "does not run the example in the system's tclsh"
[ "$failures" -eq 0 ]
