#!/bin/sh
# The choice of Tcl at configure time (cmake/TclVersion.cmake), on a made-up
# Tcl 9.9 installed under a temporary prefix beside the system's own Tcl:
# one build folder configured for 9.9, then for the system's Tcl, then for
# 9.9 again must find each time the pieces of the Tcl asked for, never those
# cached for the other; a header of another version is refused by name.
#
#   tcl_version_test.sh SOURCE TCLSH
#
# TCLSH is the build's shell: the system's Tcl when the system has no
# unversioned tclsh (a machine with Tcl 9.0 alone), which is then asked for
# by its version rather than by leaving the version empty.
set -eu
source=$1
build_tclsh=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fake="$work/prefix"
mkdir -p "$fake/include/tcl9.9" "$fake/lib" "$fake/bin"
printf '#define TCL_VERSION "9.9"\n' >"$fake/include/tcl9.9/tcl.h"
: >"$fake/lib/libtclstub9.9.a"
: >"$fake/lib/libtcl9.9.so"
printf '#!/bin/sh\necho 9.9\n' >"$fake/bin/tclsh9.9"
chmod +x "$fake/bin/tclsh9.9"
if command -v tclsh >/dev/null; then
    system_version=$(printf 'puts [info tclversion]\n' | tclsh) system_request=
else
    system_version=$(printf 'puts [info tclversion]\n' | "$build_tclsh")
    system_request=$system_version
fi

failures=0
# configure VERSION: configures the build folder; its status.
configure() {
    PATH="$fake/bin:$PATH" cmake -S "$source/tests/build/tcl_version" -B "$work/build" \
        -DPARMIX_SOURCE_DIR="$source" -DCMAKE_PREFIX_PATH="$fake" \
        -DPARMIX_TCL_VERSION="$1" >"$work/log" 2>&1
}
# expect KEY VALUE_PATTERN: the line KEY= of found.txt matches the pattern.
expect() {
    line=$(sed -n "s/^$1=//p" "$work/build/found.txt")
    case "$line" in
        $2) ;;
        *) echo "after '$step': $1 is '$line', expected $2"; failures=$((failures + 1)) ;;
    esac
}

for step in 9.9 system 9.9; do
    version=$step
    [ "$step" = system ] && version=$system_request
    configure "$version" || { cat "$work/log"; echo "configuring for '$step' failed"; exit 1; }
    if [ "$step" = system ]; then
        expect version "$system_version"
        expect include "*/tcl$system_version"
        expect tclsh "*/tclsh*"
        case "$(sed -n 's/^tclsh=//p' "$work/build/found.txt")" in
            "$fake"/*) echo "after 'system': the made-up tclsh is still in use"; failures=$((failures + 1)) ;;
        esac
        case "$system_version" in
            8.*) expect requirement "8.6-9" ;;
            9.*) expect requirement "9.0-10" ;;
        esac
    else
        expect version 9.9
        expect include "$fake/include/tcl9.9"
        expect stub "$fake/lib/libtclstub9.9.a"
        expect library "$fake/lib/libtcl9.9.so"
        expect tclsh "$fake/bin/tclsh9.9"
        expect requirement "9.0-10"
    fi
done

# A header that is not of the version asked for: configure fails and says so.
printf '#define TCL_VERSION "9.8"\n' >"$fake/include/tcl9.9/tcl.h"
step=wrong-header
if configure 9.9; then
    echo "a tcl.h of Tcl 9.8 was taken for Tcl 9.9"; failures=$((failures + 1))
elif ! tr -s ' \n' '  ' <"$work/log" | grep -q "is not the header of Tcl 9.9"; then
    cat "$work/log"; echo "the refusal of a tcl.h of Tcl 9.8 does not say why"; failures=$((failures + 1))
fi
# Not a version at all.
if configure nine; then
    echo "'nine' was taken for a Tcl version"; failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
