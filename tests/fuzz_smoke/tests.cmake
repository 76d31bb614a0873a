# Every fuzz entry point is also compiled into test_fuzz_smoke under a name
# of its own, so that the ordinary test run feeds each loader a few thousand
# random and mutated inputs.
if(TARGET test_fuzz_smoke)
  # The score server's entry needs its layer.
  if(TARGET dw_server)
    target_link_libraries(test_fuzz_smoke PRIVATE dw_server)
  endif()
  include(${CMAKE_SOURCE_DIR}/cmake/FuzzEntries.cmake)
  file(GLOB DW_FUZZ_ENTRIES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fuzz/fuzz_*.cpp)
  foreach(src ${DW_FUZZ_ENTRIES})
    get_filename_component(name ${src} NAME_WE)
    target_sources(test_fuzz_smoke PRIVATE ${src})
    set_source_files_properties(${src} TARGET_DIRECTORY test_fuzz_smoke PROPERTIES
      COMPILE_DEFINITIONS "LLVMFuzzerTestOneInput=${name}_entry")
  endforeach()
  dw_write_fuzz_entries(${CMAKE_BINARY_DIR}/generated/fuzz_entries.inc ${DW_FUZZ_ENTRIES})
  target_include_directories(test_fuzz_smoke PRIVATE ${CMAKE_BINARY_DIR}/generated)

  # A second run of the table's writer over the same targets leaves the file alone.
  add_test(NAME fuzz_entries_written_once
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/entries_written_once.sh ${CMAKE_COMMAND}
                   ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated/fuzz_entries.inc
                   ${CMAKE_BINARY_DIR}/fuzz-entries-once)
  set_tests_properties(fuzz_entries_written_once PROPERTIES LABELS "unit")
endif()
