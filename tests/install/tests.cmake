# The files a desktop and a packager read, checked with the distributions'
# own tools, and the installed tree run from another directory.
find_program(DW_DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(DW_APPSTREAMCLI appstreamcli)
find_program(DW_GROFF groff)
if(DW_DESKTOP_FILE_VALIDATE)
  add_test(NAME install_desktop_entry
           COMMAND ${DW_DESKTOP_FILE_VALIDATE} ${CMAKE_SOURCE_DIR}/data/${DW_APP_ID}.desktop)
  set_tests_properties(install_desktop_entry PROPERTIES LABELS "install" FAIL_REGULAR_EXPRESSION ".")
endif()
if(DW_APPSTREAMCLI)
  add_test(NAME install_metainfo
           COMMAND ${DW_APPSTREAMCLI} validate --no-net --pedantic
                   ${CMAKE_SOURCE_DIR}/data/${DW_APP_ID}.metainfo.xml)
  set_tests_properties(install_metainfo PROPERTIES LABELS "install")
endif()
if(DW_GROFF)
  # -ww: every warning; any output on stderr fails the test.
  add_test(NAME install_manual_page
           COMMAND sh -c "out=$(LC_ALL=C.UTF-8 '${DW_GROFF}' -ww -man -Tutf8 -z '${CMAKE_SOURCE_DIR}/data/duskwhirl.6' 2>&1) && [ -z \"$out\" ] || { echo \"$out\"; exit 1; }")
  set_tests_properties(install_manual_page PROPERTIES LABELS "install")
endif()
if(TARGET duskwhirl AND TARGET gamedata AND TARGET icons)
  string(JOIN " " _dw_sizes ${DW_ICON_SIZES})
  add_test(NAME install_tree
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install_check.sh ${CMAKE_BINARY_DIR}
                   ${CMAKE_SOURCE_DIR} ${DW_APP_ID} ${PROJECT_VERSION} "${_dw_sizes}"
                   ${CMAKE_INSTALL_BINDIR} ${DW_INSTALL_DATADIR})
  set_tests_properties(install_tree PROPERTIES LABELS "install" TIMEOUT 300
                       ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endif()
if(TARGET duskwhirl)
  add_test(NAME install_window_refuses_bad_data
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/window_bad_data.sh $<TARGET_FILE:duskwhirl>
                   ${CMAKE_BINARY_DIR}/window-bad-data)
  set_tests_properties(install_window_refuses_bad_data PROPERTIES LABELS "install" TIMEOUT 120
                       ENVIRONMENT "SDL_AUDIODRIVER=dummy;DISPLAY=")
  # The same with a display, where the message box shows: Enter closes it.
  # Skipped (and said so) where no X server can be started.
  add_test(NAME install_window_refuses_bad_data_on_a_display
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/on_a_display.sh 1024x768
                   bash ${CMAKE_CURRENT_LIST_DIR}/window_bad_data.sh $<TARGET_FILE:duskwhirl>
                   ${CMAKE_BINARY_DIR}/window-bad-data-display)
  set_tests_properties(install_window_refuses_bad_data_on_a_display PROPERTIES LABELS "install" TIMEOUT 300
                       ENVIRONMENT "SDL_AUDIODRIVER=dummy" SKIP_RETURN_CODE 77)
endif()
# Paths with spaces through install.sh and uninstall.sh (what make install runs).
if(TARGET duskwhirl AND TARGET gamedata AND TARGET icons)
  add_test(NAME install_spaces_in_paths
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/spaces_in_paths.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
                   ${DW_INSTALL_DATADIR} ${CMAKE_INSTALL_BINDIR})
  set_tests_properties(install_spaces_in_paths PROPERTIES LABELS "install" TIMEOUT 300)
endif()
if(TARGET duskwhirl AND TARGET gamedata)
  add_test(NAME install_window_class
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/window_class.sh $<TARGET_FILE:duskwhirl>
                   ${CMAKE_SOURCE_DIR}/data/${DW_APP_ID}.desktop ${CMAKE_BINARY_DIR}/window-class)
  set_tests_properties(install_window_class PROPERTIES LABELS "install" TIMEOUT 120
                       ENVIRONMENT "SDL_AUDIODRIVER=dummy" FAIL_REGULAR_EXPRESSION "FAIL:"
                       SKIP_RETURN_CODE 77)
endif()

# The Debian packaging: its version is the project's, and the packages that
# "make deb" left in DW_DEB_DIR (skipped when there are none) unpack, run from
# / and hold what the install rules install. Label "package" too: the
# packages' own build leaves it out, having no packages yet.
add_test(NAME install_debian_version
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/debian_version.sh ${CMAKE_SOURCE_DIR} ${PROJECT_VERSION})
set_tests_properties(install_debian_version PROPERTIES LABELS "install")
set(DW_DEB_DIR ${CMAKE_SOURCE_DIR}/build-deb CACHE PATH "Where make deb leaves the Debian packages")
find_program(DW_DPKG_DEB dpkg-deb)
if(TARGET duskwhirl AND TARGET gamedata AND DW_DPKG_DEB AND NOT IS_ABSOLUTE "${DW_INSTALL_DATADIR}")
  add_test(NAME install_debian_packages
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/deb_check.sh ${CMAKE_BINARY_DIR} ${DW_DEB_DIR}
                   ${PROJECT_VERSION} ${CMAKE_INSTALL_BINDIR} ${DW_INSTALL_DATADIR})
  set_tests_properties(install_debian_packages PROPERTIES LABELS "install;package" TIMEOUT 300
                       SKIP_RETURN_CODE 77)
endif()

# make run builds the game and its data, not the tests.
find_program(DW_MAKE make)
if(DW_MAKE)
  add_test(NAME install_make_run_builds_only_the_game
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/make_run.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(install_make_run_builds_only_the_game PROPERTIES LABELS "install")
endif()
