# Rules of the tree that no compiler checks (scripts/check-rules.py): no file
# of src/ over 600 lines; every entry of docs/DECISIONS.md in its one form,
# naming tests that exist.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  foreach(_rule file-sizes decisions)
    string(REPLACE "-" "_" _name ${_rule})
    add_test(NAME rules_${_name}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check-rules.py ${_rule})
    set_tests_properties(rules_${_name} PROPERTIES LABELS "unit")
  endforeach()
endif()
