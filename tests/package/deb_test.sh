#!/bin/sh
# Builds the Debian package of the build folder BUILD (as `make deb` does),
# unpacks it into a temporary root and checks that what it installs works
# from there: `package require parmix` in a plain tclsh that looks in the
# root, `parmix --version` and `parmix --check` of the root's program, and
# the manual pages in place.
#
#   deb_test.sh BUILD SOURCE TCLSH
set -eu
build=$1
source=$2
tclsh=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
dpkg-deb --info "$deb" | grep -q 'Package: parmix'

# The package asks for the shell of the Tcl it was built for, and every
# package it depends on exists here, as this release names it: apt
# resolves the installation (simulated only, nothing is installed).
tcl_version=$(printf 'puts [info tclversion]\n' | "$tclsh")
depends=$(dpkg-deb -f "$deb" Depends)
case ", $depends," in
    *", tcl$tcl_version,"*|*", tcl$tcl_version "*) ;;
    *) echo "the package depends on '$depends', not on tcl$tcl_version"; exit 1 ;;
esac
case "$depends" in
    *libgsl*) ;;
    *) echo "the package depends on '$depends', without the GSL it links"; exit 1 ;;
esac
apt-get install -s -q --no-install-recommends "$deb" >"$work/apt.log" 2>&1 &&
    grep -q '^Inst parmix ' "$work/apt.log" || {
    cat "$work/apt.log"; echo "apt cannot install the package with its dependencies"; exit 1; }
dpkg -x "$deb" "$work/unpacked"
# The package installs under the prefix /usr, which lies here inside the
# unpacked tree.
prefix="$work/unpacked/usr"

version=$(printf 'puts [package require parmix]\n' |
    env -u PARMIX_LIBRARY_DIR TCLLIBPATH="$prefix/lib/tcltk" "$tclsh")
[ "$version" = "$(sed -n 's/^project(parmix VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")" ] || {
    echo "package require parmix gave '$version'"; exit 1; }

checked=$(printf 'puts [dict get [::parmix::check %s %s] ok]\n' \
    "$source/examples/parental.txt" "$source/examples/individuals.txt" |
    sed '1i package require parmix' |
    TCLLIBPATH="$prefix/lib/tcltk" "$tclsh")
[ "$checked" = 1 ] || { echo "::parmix::check gave '$checked'"; exit 1; }

out=$("$prefix/bin/parmix" --version)
[ "$out" = "parmix $version" ] || { echo "parmix --version gave '$out'"; exit 1; }

for page in man1/parmix.1 man1/parmix-gui.1 man1/parmix-import.1 man1/parmix-sim.1 mann/parmix.n; do
    [ -f "$prefix/share/man/$page" ] || { echo "missing manual page $page"; exit 1; }
done
for program in parmix parmix-gui parmix-import parmix-sim; do
    [ -x "$prefix/bin/$program" ] || { echo "missing program $program"; exit 1; }
done
echo "package $(basename "$deb") installs and runs"
