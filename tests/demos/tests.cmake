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
# A file that is not a demo: a clear message and a failing exit, no crash.
if(TARGET duskwhirl)
  add_test(NAME demos_replay_refuses_garbage
           COMMAND sh -c "\"$0\" --headless --replay \"$1\" --user-dir \"$2\"; echo \"exit status $?\""
                   $<TARGET_FILE:duskwhirl> ${CMAKE_CURRENT_LIST_FILE} ${CMAKE_BINARY_DIR}/demos-garbage-user)
  set_tests_properties(demos_replay_refuses_garbage PROPERTIES LABELS "unit"
                       PASS_REGULAR_EXPRESSION "not a demo file.*exit status [1-9]")
endif()
# Recorded in a window under Xvfb, replayed headless.
find_program(DW_XVFB_RUN xvfb-run)
if(TARGET duskwhirl AND TARGET gamedata AND DW_XVFB_RUN)
  add_test(NAME demos_window_replay
           COMMAND ${DW_XVFB_RUN} -a -s "-screen 0 1024x768x24"
                   ${CMAKE_CURRENT_LIST_DIR}/window_replay.sh $<TARGET_FILE:duskwhirl>
                   ${CMAKE_BINARY_DIR}/demos-window-replay)
  set_tests_properties(demos_window_replay PROPERTIES LABELS "gl" TIMEOUT 600
                       ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endif()
# Explosion flashes must not blind: in the barrage demo at its fullest
# moment (frame 2330, 19 explosions, 800 x 600), at most 8 % of the play
# field may be washed out yellow-white. On desktop OpenGL and on OpenGL ES
# (_gles); tests/gl compares the two pictures.
add_executable(demos_flash_wash ${CMAKE_SOURCE_DIR}/tests/demos/tools/flash_wash.cpp)
target_link_libraries(demos_flash_wash PRIVATE PNG::PNG)
if(TARGET duskwhirl AND DW_XVFB_RUN)
  foreach(profile "" "_gles")
    set(_flash_dir ${CMAKE_BINARY_DIR}/demos-barrage-flash${profile})
    set(_flash_option "")
    if(profile STREQUAL "_gles")
      set(_flash_option "--gles")
    endif()
    add_test(NAME demos_barrage_flash${profile}
      COMMAND sh -c "rm -rf '${_flash_dir}' && mkdir -p '${_flash_dir}' && \
${DW_XVFB_RUN} -a -s '-screen 0 1024x768x24' $<TARGET_FILE:duskwhirl> --windowed ${_flash_option} \
--replay '${CMAKE_SOURCE_DIR}/bench/barrage.dwdemo' --frames 2330 --user-dir '${_flash_dir}' \
--screenshot '${_flash_dir}/barrage-2330.png' && \
$<TARGET_FILE:demos_flash_wash> '${_flash_dir}/barrage-2330.png' 8"
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(demos_barrage_flash${profile} PROPERTIES LABELS "gl" TIMEOUT 900
      ENVIRONMENT "SDL_AUDIODRIVER=dummy" FIXTURES_SETUP flash_frames${profile})
  endforeach()
endif()
# Left alone, the headless program's menu plays a demo after 30 s, and the
# report says so (2700 frames of 16 ms: the intro, the menu's 30 s, a demo).
if(TARGET duskwhirl AND TARGET gamedata)
  set(_attract_dir ${CMAKE_BINARY_DIR}/demos-attract-report)
  add_test(NAME demos_attract_report
           COMMAND sh -c "rm -rf \"$1\" && mkdir -p \"$1\" && \"$0\" --headless --fixed-step 16 --frames 2700 \
--data \"$2\" --user-dir \"$1\" --report \"$1/report.json\" && cat \"$1/report.json\" && ls \"$1\""
                   $<TARGET_FILE:duskwhirl> ${_attract_dir} ${CMAKE_BINARY_DIR}/gamedata.res)
  set_tests_properties(demos_attract_report PROPERTIES LABELS "unit" TIMEOUT 300
                       ENVIRONMENT "SDL_AUDIODRIVER=dummy"
                       PASS_REGULAR_EXPRESSION "\"frames\": 2700, \"attract\": 1,"
                       FAIL_REGULAR_EXPRESSION "replays")
  # A timed run from frame 300 of 500 times the last 200 frames only.
  add_test(NAME demos_timedemo_from
           COMMAND sh -c "rm -rf \"$1\" && \"$0\" --headless --replay \"$2\" --timedemo --timedemo-from 300 \
--frames 500 --data \"$3\" --user-dir \"$1\""
                   $<TARGET_FILE:duskwhirl> ${CMAKE_BINARY_DIR}/demos-timedemo-from
                   ${PROJECT_SOURCE_DIR}/bench/level0-with-boss.dwdemo ${CMAKE_BINARY_DIR}/gamedata.res)
  set_tests_properties(demos_timedemo_from PROPERTIES LABELS "unit" TIMEOUT 300
                       ENVIRONMENT "SDL_AUDIODRIVER=dummy"
                       PASS_REGULAR_EXPRESSION "timedemo [^\n]*: frames 200, cpu")
endif()
# Every bench demo replays to the report kept in bench/reports/, field by
# field: the game's arithmetic is the same on every machine, compiler and C
# library, and a build for another one is checked against these files.
find_package(Python3 COMPONENTS Interpreter)
if(TARGET duskwhirl AND TARGET gamedata AND Python3_Interpreter_FOUND)
  file(GLOB _bench_demos CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.dwdemo)
  foreach(_demo ${_bench_demos})
    get_filename_component(_name ${_demo} NAME_WE)
    add_test(NAME bench_report_${_name}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/bench/reports.py check
                     --build ${CMAKE_BINARY_DIR} ${_name})
    set_tests_properties(bench_report_${_name} PROPERTIES LABELS "replay" TIMEOUT 900
                         ENVIRONMENT "SDL_AUDIODRIVER=dummy")
  endforeach()
  # The comparison itself sees a changed number and names its field.
  add_test(NAME bench_report_compare_finds_a_difference
           COMMAND sh -c "sed 's/\"score\": \\([0-9]*\\)/\"score\": 1\\1/' \"$1/bench/reports/barrage.json\" > \"$2\" && \
\"$0\" \"$1/bench/reports.py\" compare \"$1/bench/reports/barrage.json\" \"$2\"; echo \"exit status $?\""
                   ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/bench-report-changed.json)
  set_tests_properties(bench_report_compare_finds_a_difference PROPERTIES LABELS "unit"
                       PASS_REGULAR_EXPRESSION "context.score: expected \"[0-9]+\", got \"1[0-9]+\"\nexit status 1")
endif()
