# Every fuzz entry point is also compiled into test_fuzz_smoke under a name
# of its own, so that the ordinary test run feeds each loader a few thousand
# random and mutated inputs.
if(TARGET test_fuzz_smoke)
  file(GLOB DW_FUZZ_ENTRIES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fuzz/fuzz_*.cpp)
  set(DW_FUZZ_TABLE "")
  foreach(src ${DW_FUZZ_ENTRIES})
    get_filename_component(name ${src} NAME_WE)
    target_sources(test_fuzz_smoke PRIVATE ${src})
    set_source_files_properties(${src} TARGET_DIRECTORY test_fuzz_smoke PROPERTIES
      COMPILE_DEFINITIONS "LLVMFuzzerTestOneInput=${name}_entry")
    string(APPEND DW_FUZZ_TABLE "X(${name})\n")
  endforeach()
  # Written only when the table changes: a configure alone recompiles nothing.
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/fuzz_entries.inc CONTENT "${DW_FUZZ_TABLE}" @ONLY)
  target_include_directories(test_fuzz_smoke PRIVATE ${CMAKE_BINARY_DIR}/generated)
endif()
