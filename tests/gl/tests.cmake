# The OpenGL device on a real GL context (Mesa's software renderer under
# Xvfb): pixels of textured, blended, untextured and lit draws.
add_executable(test_gl_device ${CMAKE_CURRENT_LIST_DIR}/program/gl_device_test.cpp)
target_link_libraries(test_gl_device PRIVATE duskwhirl_libs PkgConfig::SDL2 PkgConfig::EPOXY)
target_include_directories(test_gl_device PRIVATE ${CMAKE_SOURCE_DIR}/tests)
dw_sanitize(test_gl_device)
find_program(DW_XVFB_RUN xvfb-run)
if(DW_XVFB_RUN)
  add_test(NAME gl_device
    COMMAND ${DW_XVFB_RUN} -a -s "-screen 0 1024x768x24" $<TARGET_FILE:test_gl_device>)
  add_test(NAME gl_device_window_depth
    COMMAND ${DW_XVFB_RUN} -a -s "-screen 0 1024x768x24" $<TARGET_FILE:test_gl_device> --window-depth 24)
  set_tests_properties(gl_device gl_device_window_depth PROPERTIES
    LABELS "gl"
    SKIP_RETURN_CODE 77
    # Sanitizer builds: the display and driver libraries keep a few blocks
    # to the end; the unit tests check our own leaks.
    ENVIRONMENT "SDL_AUDIODRIVER=dummy;ASAN_OPTIONS=detect_leaks=0;DW_GL_TEST_PNG=${CMAKE_BINARY_DIR}/gl_device_test.png")
else()
  message(STATUS "xvfb-run not found: the GL device test is not run")
endif()
# The background's one two-stage pass against its two blended passes, on the
# barrage demo's busiest frames.
if(TARGET duskwhirl AND DW_XVFB_RUN)
  add_test(NAME gl_background_two_stages
    COMMAND ${DW_XVFB_RUN} -a -s "-screen 0 1024x768x24"
            ${CMAKE_CURRENT_LIST_DIR}/two_stage_screenshot.sh $<TARGET_FILE:duskwhirl>
            ${CMAKE_SOURCE_DIR}/bench/barrage.dwdemo ${CMAKE_BINARY_DIR}/gl-two-stages)
  set_tests_properties(gl_background_two_stages PROPERTIES LABELS "gl" TIMEOUT 600
    ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endif()
