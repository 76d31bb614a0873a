# The real program in a real (virtual) X display: an OpenGL window opens,
# runs a few seconds of frames, closes cleanly and leaves a screenshot.
find_program(XVFB_RUN xvfb-run)
add_executable(shell_png_check ${CMAKE_SOURCE_DIR}/tests/shell/tools/png_check.cpp)
target_link_libraries(shell_png_check PRIVATE PNG::PNG)
if(XVFB_RUN AND TARGET gamedata)  # without data a window stops at a message box
  # On desktop OpenGL and on OpenGL ES (_gles).
  foreach(profile "" "_gles")
    set(_shot_dir ${CMAKE_BINARY_DIR}/shell_gl${profile})
    set(_shot_option "")
    if(profile STREQUAL "_gles")
      set(_shot_option "--gles")
    endif()
    add_test(NAME shell_window_screenshot${profile}
      COMMAND sh -c "rm -rf '${_shot_dir}' && mkdir -p '${_shot_dir}' && \
${XVFB_RUN} -a -s '-screen 0 1280x960x24' $<TARGET_FILE:duskwhirl> --windowed --size 800x600 ${_shot_option} \
--frames 240 --user-dir '${_shot_dir}' --screenshot '${_shot_dir}/shot.png' \
--report '${_shot_dir}/report.json' && \
$<TARGET_FILE:shell_png_check> '${_shot_dir}/shot.png' '${_shot_dir}/report.json'")
    set_tests_properties(shell_window_screenshot${profile} PROPERTIES LABELS "gl" TIMEOUT 120
      SKIP_RETURN_CODE 77 ENVIRONMENT "SDL_AUDIODRIVER=dummy")
  endforeach()
endif()
# The display and controls pages in a real window, driven by key presses:
# full screen and back from the display page, a screenshot of each page.
if(XVFB_RUN AND TARGET gamedata)
  add_test(NAME shell_setup_pages
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1024x768x24" ${CMAKE_CURRENT_LIST_DIR}/setup_pages.sh
            $<TARGET_FILE:duskwhirl> $<TARGET_FILE:shell_png_check> ${CMAKE_BINARY_DIR}/shell_setup_pages)
  set_tests_properties(shell_setup_pages PROPERTIES LABELS "gl" TIMEOUT 300
    SKIP_RETURN_CODE 77 ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endif()
# With vertical sync off a window still presents at most 100 frames a second.
if(XVFB_RUN AND TARGET gamedata)
  add_test(NAME shell_present_cap_without_vsync
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1024x768x24" ${CMAKE_CURRENT_LIST_DIR}/present_cap.sh
            $<TARGET_FILE:duskwhirl> ${CMAKE_BINARY_DIR}/shell_present_cap)
  set_tests_properties(shell_present_cap_without_vsync PROPERTIES LABELS "gl" TIMEOUT 120
    SKIP_RETURN_CODE 77 ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endif()

# On a screen smaller than the window remembered or asked for, the window is
# cut to the screen, and the size remembered at the close fits it too.
if(XVFB_RUN AND TARGET gamedata)
  add_test(NAME shell_window_fits_the_screen
    COMMAND ${XVFB_RUN} -a -s "-screen 0 800x600x24" sh ${CMAKE_CURRENT_LIST_DIR}/window_fits.sh
            $<TARGET_FILE:duskwhirl> ${CMAKE_BINARY_DIR}/shell_window_fits)
  set_tests_properties(shell_window_fits_the_screen PROPERTIES LABELS "gl" TIMEOUT 300
    SKIP_RETURN_CODE 77 ENVIRONMENT "SDL_AUDIODRIVER=dummy" FAIL_REGULAR_EXPRESSION "FAIL:")
endif()
