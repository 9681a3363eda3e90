# The core (src/input, validate, model, estimate, report, run) knows nothing of
# Tcl: no file of it may include a Tcl header.  Its include path holds none,
# but a system that puts tcl.h on the compiler's default path would hide a
# slip, so the sources are read as well.  Run at configure time and, with
#   cmake -DPARMIX_SOURCE_DIR=DIR -P CoreWithoutTcl.cmake
# as a test.
if(NOT PARMIX_SOURCE_DIR)
  set(PARMIX_SOURCE_DIR ${PROJECT_SOURCE_DIR})
endif()
set(core_files)
foreach(area input validate model estimate report run)
  file(GLOB_RECURSE area_files ${PARMIX_SOURCE_DIR}/src/${area}/*)
  list(APPEND core_files ${area_files})
endforeach()
foreach(file ${core_files})
  file(STRINGS ${file} tcl_includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](tcl|tk|tclpkg/)")
  if(tcl_includes)
    message(FATAL_ERROR "${file} belongs to the core and must not include Tcl: ${tcl_includes}")
  endif()
endforeach()
