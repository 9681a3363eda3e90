# Which Tcl the package is built for, and where its pieces lie.
#
# PARMIX_TCL_VERSION (8.6, 9.0, ...) names the Tcl; left empty it is the
# version of the `tclsh` on the PATH.  The result: TCL_INCLUDE_DIR (tcl.h of
# that version), TCL_STUB_LIBRARY (what the extension links), TCL_LIBRARY
# (what the unit tests link to make an interpreter), TCLSH (the shell the
# Tcl-level suite runs in) and PARMIX_TCL_MAJOR.
#
# A build folder may be configured for one Tcl and then for another, so what
# was found for a different version is forgotten first; and a piece found
# missing is looked for again at the next configure (find_* caches only
# what it finds), e.g. after its package has been installed.
set(PARMIX_TCL_VERSION "" CACHE STRING
  "The Tcl version to build for (8.6, 9.0); empty: that of the tclsh on the PATH")

function(parmix_tclsh_version tclsh out)
  file(WRITE ${CMAKE_BINARY_DIR}/CMakeFiles/tcl_version.tcl "puts [info tclversion]\n")
  execute_process(COMMAND ${tclsh} ${CMAKE_BINARY_DIR}/CMakeFiles/tcl_version.tcl
    OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT version MATCHES "^[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "${tclsh} did not say its Tcl version")
  endif()
  set(${out} ${version} PARENT_SCOPE)
endfunction()

set(tcl_version ${PARMIX_TCL_VERSION})
if(NOT tcl_version)
  find_program(PARMIX_SYSTEM_TCLSH tclsh)
  if(NOT PARMIX_SYSTEM_TCLSH)
    message(FATAL_ERROR "No tclsh on the PATH: install Tcl, or choose a version with "
                        "-DPARMIX_TCL_VERSION=8.6 (make TCL_VERSION=8.6)")
  endif()
  parmix_tclsh_version(${PARMIX_SYSTEM_TCLSH} tcl_version)
endif()
if(NOT tcl_version MATCHES "^([0-9]+)\\.[0-9]+$")
  message(FATAL_ERROR "PARMIX_TCL_VERSION '${tcl_version}' is not a Tcl version such as 8.6 or 9.0")
endif()
set(PARMIX_TCL_MAJOR ${CMAKE_MATCH_1})

if(NOT "${tcl_version}" STREQUAL "${PARMIX_TCL_VERSION_FOUND}")
  foreach(var TCL_INCLUDE_DIR TCL_STUB_LIBRARY TCL_LIBRARY TCLSH)
    unset(${var} CACHE)
  endforeach()
endif()
find_path(TCL_INCLUDE_DIR tcl.h PATH_SUFFIXES tcl${tcl_version} REQUIRED)
find_library(TCL_STUB_LIBRARY NAMES tclstub${tcl_version} tclstub REQUIRED)
find_library(TCL_LIBRARY NAMES tcl${tcl_version} tcl REQUIRED)
find_program(TCLSH NAMES tclsh${tcl_version} tclsh REQUIRED)

# The unversioned names are the system's default Tcl, which need not be the
# one asked for: the header and the shell say which they are.
file(STRINGS ${TCL_INCLUDE_DIR}/tcl.h header_version REGEX "^#[ \t]*define[ \t]+TCL_VERSION[ \t]")
if(NOT header_version MATCHES "\"${tcl_version}\"")
  message(FATAL_ERROR "${TCL_INCLUDE_DIR}/tcl.h is not the header of Tcl ${tcl_version}: "
                      "install its development files (Debian: tcl${tcl_version}-dev)")
endif()
parmix_tclsh_version(${TCLSH} shell_version)
if(NOT shell_version STREQUAL tcl_version)
  message(FATAL_ERROR "${TCLSH} runs Tcl ${shell_version}, not ${tcl_version}: "
                      "install tclsh${tcl_version} (Debian: tcl${tcl_version})")
endif()
set(PARMIX_TCL_VERSION_FOUND ${tcl_version} CACHE INTERNAL "The Tcl the pieces above belong to")
message(STATUS "Tcl ${tcl_version}: ${TCL_INCLUDE_DIR}, ${TCL_STUB_LIBRARY}, ${TCLSH}")

# The launchers of the programs start the shell by this name, which the
# installed package's dependencies provide too.
get_filename_component(PARMIX_TCLSH_NAME ${TCLSH} NAME)
# The Tcl versions whose interpreters load the library: those of its major
# version, from 8.6 on.
math(EXPR next_major "${PARMIX_TCL_MAJOR} + 1")
if(PARMIX_TCL_MAJOR EQUAL 8)
  set(PARMIX_TCL_REQUIREMENT 8.6-${next_major})
else()
  set(PARMIX_TCL_REQUIREMENT ${PARMIX_TCL_MAJOR}.0-${next_major})
endif()
