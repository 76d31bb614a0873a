# Rules of the tree that no compiler checks (scripts/check-rules.py): no file
# of src/ over 600 lines.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  add_test(NAME rules_file_sizes
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check-rules.py file-sizes)
  set_tests_properties(rules_file_sizes PROPERTIES LABELS "unit")
endif()
