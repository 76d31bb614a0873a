# The OpenGL device on a real GL context (Mesa's software renderer under
# Xvfb): pixels of textured, blended, untextured and lit draws. Each test
# runs on desktop OpenGL 3.3 core and again on OpenGL ES 3.0 (the _gles
# tests), and the two profiles' pictures of the same frames are compared.
add_executable(test_gl_device ${CMAKE_CURRENT_LIST_DIR}/program/gl_device_test.cpp)
target_link_libraries(test_gl_device PRIVATE duskwhirl_libs PkgConfig::SDL2 PkgConfig::EPOXY)
target_include_directories(test_gl_device PRIVATE ${CMAKE_SOURCE_DIR}/tests)
dw_sanitize(test_gl_device)
find_program(DW_XVFB_RUN xvfb-run)
# Suffix of a test name and the option that picks the profile.
set(DW_GL_OPTION_ "")
set(DW_GL_OPTION__gles "--gles")
if(DW_XVFB_RUN)
  foreach(profile "" "_gles")
    add_test(NAME gl_device${profile}
      COMMAND ${DW_XVFB_RUN} -a -s "-screen 0 1024x768x24" $<TARGET_FILE:test_gl_device> ${DW_GL_OPTION_${profile}})
    add_test(NAME gl_device_window_depth${profile}
      COMMAND ${DW_XVFB_RUN} -a -s "-screen 0 1024x768x24" $<TARGET_FILE:test_gl_device> --window-depth 24
              ${DW_GL_OPTION_${profile}})
    set_tests_properties(gl_device${profile} gl_device_window_depth${profile} PROPERTIES
      LABELS "gl"
      SKIP_RETURN_CODE 77
      # Sanitizer builds: the display and driver libraries keep a few blocks
      # to the end; the unit tests check our own leaks.
      ENVIRONMENT "SDL_AUDIODRIVER=dummy;ASAN_OPTIONS=detect_leaks=0;DW_GL_TEST_PNG=${CMAKE_BINARY_DIR}/gl_device_test${profile}.png")
  endforeach()
else()
  message(STATUS "xvfb-run not found: the GL device test is not run")
endif()
# The background's one two-stage pass against its two blended passes, on the
# barrage demo's busiest frames.
if(TARGET duskwhirl AND DW_XVFB_RUN)
  foreach(profile "" "_gles")
    add_test(NAME gl_background_two_stages${profile}
      COMMAND ${DW_XVFB_RUN} -a -s "-screen 0 1024x768x24"
              ${CMAKE_CURRENT_LIST_DIR}/two_stage_screenshot.sh $<TARGET_FILE:duskwhirl>
              ${CMAKE_SOURCE_DIR}/bench/barrage.dwdemo ${CMAKE_BINARY_DIR}/gl-two-stages${profile}
              ${DW_GL_OPTION_${profile}})
    set_tests_properties(gl_background_two_stages${profile} PROPERTIES LABELS "gl" TIMEOUT 600
      ENVIRONMENT "SDL_AUDIODRIVER=dummy" FIXTURES_SETUP gl_frames${profile})
  endforeach()
  # Frame 1200 of the barrage (sprites, the two-stage background) and frame
  # 2330 (the flash test's, explosions at their fullest) on both profiles.
  add_test(NAME gl_profiles_same_pictures
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/same_pictures.py
            ${CMAKE_BINARY_DIR}/gl-two-stages/two.png ${CMAKE_BINARY_DIR}/gl-two-stages_gles/two.png
            ${CMAKE_BINARY_DIR}/demos-barrage-flash/barrage-2330.png
            ${CMAKE_BINARY_DIR}/demos-barrage-flash_gles/barrage-2330.png)
  set_tests_properties(gl_profiles_same_pictures PROPERTIES LABELS "gl"
    FIXTURES_REQUIRED "gl_frames;gl_frames_gles;flash_frames;flash_frames_gles")
endif()
