# The table of fuzz entry points the fuzz smoke test is built with, one
# X(name) line for each of `sources` (tools/fuzz/fuzz_*.cpp), written to
# `output` only when its text changes: a configure alone recompiles nothing.
# The build includes this file; the test that checks the above runs it:
#   cmake -DDW_FUZZ_DIR=DIR -DDW_FUZZ_ENTRIES=FILE -P cmake/FuzzEntries.cmake
function(dw_write_fuzz_entries output)
  set(table "")
  foreach(src ${ARGN})
    get_filename_component(name ${src} NAME_WE)
    string(APPEND table "X(${name})\n")
  endforeach()
  file(CONFIGURE OUTPUT ${output} CONTENT "${table}" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  file(GLOB sources ${DW_FUZZ_DIR}/fuzz_*.cpp)
  dw_write_fuzz_entries(${DW_FUZZ_ENTRIES} ${sources})
endif()
