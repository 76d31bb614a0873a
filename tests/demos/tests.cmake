# The long soak: 30 minutes of game time (make soak).
if(TARGET test_demos)
  add_test(NAME demos_soak_30min
           COMMAND test_demos --gtest_filter=Soak.*)
  set_tests_properties(demos_soak_30min PROPERTIES LABELS "soak" TIMEOUT 3600
                       ENVIRONMENT "DW_SOAK_MINUTES=30;SDL_AUDIODRIVER=dummy")
endif()
# The built-in player against the first level and its boss on five seeds.
if(TARGET duskwhirl)
  add_test(NAME demos_autopilot_check
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/autopilot-check.sh $<TARGET_FILE:duskwhirl>)
  set_tests_properties(demos_autopilot_check PROPERTIES LABELS "slow" TIMEOUT 1200)
endif()
