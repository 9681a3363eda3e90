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
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tcl (>= 8.6), libgsl27, libhts3, zlib1g")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "tk")
include(CPack)
