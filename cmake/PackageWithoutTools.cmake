# What the package ships stands on src/ alone: the programs (tools/), the
# benchmarks (bench/), the applications (apps/) and the shared draws (lib/)
# sit on top of it, never beneath.  Two checks, run as a test with
#   cmake -DPARMIX_SOURCE_DIR=DIR -DPARMIX_LINKED=FILE -P PackageWithoutTools.cmake
# 1. Every quoted include of a file under src/ names a file under src/ (by
#    its path from src/, or beside the including file), or the header the
#    build generates.  An include of anything else could only build with an
#    include path into another folder, which is the slip this catches.
# 2. FILE lists, one a line as "TARGET SOURCE_DIR", every target that the
#    package's library links, directly or through another target (written
#    at configure time by parmix_write_link_closure below); each must be
#    built from src/.
cmake_minimum_required(VERSION 3.18)

function(parmix_check_includes source_dir)
  file(GLOB_RECURSE sources ${source_dir}/src/*.cpp ${source_dir}/src/*.hpp)
  set(faults)
  foreach(file ${sources})
    get_filename_component(dir ${file} DIRECTORY)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" name "${line}")
      if(name STREQUAL "parmix_version.hpp")
        continue()
      endif()
      if(name MATCHES "\\.\\.")
        list(APPEND faults "${file}: ${name}")
      elseif(NOT EXISTS ${source_dir}/src/${name} AND NOT EXISTS ${dir}/${name})
        list(APPEND faults "${file}: ${name}")
      endif()
    endforeach()
  endforeach()
  if(faults)
    string(REPLACE ";" "\n  " faults "${faults}")
    message(FATAL_ERROR "Files of src/ include what src/ does not hold:\n  ${faults}")
  endif()
endfunction()

function(parmix_check_link_closure source_dir linked_file)
  if(NOT EXISTS ${linked_file})
    message(FATAL_ERROR "The list of the package's linked targets, ${linked_file}, is missing")
  endif()
  file(STRINGS ${linked_file} lines)
  if(NOT lines)
    message(FATAL_ERROR "${linked_file} names no target: the package links at least its core")
  endif()
  set(faults)
  foreach(line ${lines})
    string(REGEX REPLACE "^[^ ]* " "" dir "${line}")
    string(FIND "${dir}/" "${source_dir}/src/" at)
    if(NOT at EQUAL 0)
      list(APPEND faults "${line}")
    endif()
  endforeach()
  if(faults)
    string(REPLACE ";" "\n  " faults "${faults}")
    message(FATAL_ERROR "The package links targets built outside src/:\n  ${faults}")
  endif()
endfunction()

# At configure time: writes FILE with every target TARGET links, directly
# or through the targets it links, and the folder each is built from.
# Imported targets (GSL, htslib, ...) come from the system and are left out.
function(parmix_write_link_closure target file)
  set(pending ${target})
  set(seen)
  set(lines)
  while(pending)
    list(POP_FRONT pending current)
    get_target_property(linked ${current} LINK_LIBRARIES)
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    foreach(item ${linked} ${interface})
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      if(NOT TARGET ${item} OR item IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${item})
      get_target_property(imported ${item} IMPORTED)
      if(imported)
        continue()
      endif()
      get_target_property(dir ${item} SOURCE_DIR)
      list(APPEND lines "${item} ${dir}")
      list(APPEND pending ${item})
    endforeach()
  endwhile()
  string(REPLACE ";" "\n" lines "${lines}")
  file(GENERATE OUTPUT ${file} CONTENT "${lines}\n")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  parmix_check_includes(${PARMIX_SOURCE_DIR})
  parmix_check_link_closure(${PARMIX_SOURCE_DIR} ${PARMIX_LINKED})
endif()
