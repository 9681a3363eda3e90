# `make deb`: a Debian package of what `make install` installs, laid out
# under /usr (the package in /usr/lib/tcltk, where Debian's tclsh looks,
# the programs in /usr/bin, the manual pages in /usr/share/man).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME parmix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "parmix maintainers <parmix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Hybrid index estimation by maximum likelihood (Tcl package and programs)")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries' packages are those the build linked, named as the release
# that builds the package names them (libgsl27 or libgsl28, libhts3 or
# libhts3t64): dpkg-shlibdeps reads them off the programs and the library.
# The library links Tcl's stubs only, so the Tcl it was built for comes on
# top, by the package of its shell, which the programs start; the window
# needs the Tk of the same version.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tcl${PARMIX_TCL_VERSION_FOUND}")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "tk${PARMIX_TCL_VERSION_FOUND}")
include(CPack)
