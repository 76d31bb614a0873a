# The score server's tests: the unit tests of tests/server link its layer
# and start its program as the verifier's child; the integration test
# (label "server") starts the real server on SQLite and on a PostgreSQL
# server of its own.
if(TARGET test_server AND TARGET duskwhirl-scores)
  target_link_libraries(test_server PRIVATE dw_server)
  add_dependencies(test_server duskwhirl-scores)
  # The store's cases on PostgreSQL: one process, one server of its own.
  add_test(NAME server_store_postgres COMMAND test_server --gtest_filter=Backends/StoreTest.*/postgres)
  set_tests_properties(server_store_postgres PROPERTIES LABELS "server" TIMEOUT 600
    ENVIRONMENT "DW_TEST_POSTGRES=1" FAIL_REGULAR_EXPRESSION "SKIPPED")
  add_executable(test_server_integration ${CMAKE_CURRENT_LIST_DIR}/integration/scores_integration_test.cpp)
  target_include_directories(test_server_integration PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(test_server_integration PRIVATE dw_test_support duskwhirl_libs dw_server GTest::gtest_main)
  target_compile_definitions(test_server_integration PRIVATE
    DW_BUILD_DIR="${CMAKE_BINARY_DIR}" DW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  dw_sanitize(test_server_integration)
  add_dependencies(test_server_integration duskwhirl-scores)
  gtest_discover_tests(test_server_integration DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "server" TIMEOUT 900 ENVIRONMENT "SDL_AUDIODRIVER=dummy" FAIL_REGULAR_EXPRESSION "SKIPPED")
endif()
# The leaderboard page in headless Chromium (puppeteer-core of tests/web).
if(TARGET duskwhirl-scores AND TARGET gamedata)
  add_test(NAME server_page_chromium
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/page_test.sh $<TARGET_FILE:duskwhirl-scores> ${CMAKE_BINARY_DIR}/gamedata.res)
  set_tests_properties(server_page_chromium PROPERTIES LABELS "server" TIMEOUT 300 SKIP_RETURN_CODE 77)
endif()
