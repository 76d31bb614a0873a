# The installed layout, in the GNU directory variables a packager can change
# (e.g. -DCMAKE_INSTALL_BINDIR=games):
#   bin/duskwhirl
#   bin/duskwhirl-scores      the score server
#   share/man/man8/           duskwhirl-scores.8
#   lib/systemd/system/       duskwhirl-scores.service
#   share/duskwhirl/          gamedata.res, site/ (the local manual pages), demos/
#                             (DW_INSTALL_DATADIR)
#   share/applications/       the desktop entry
#   share/icons/hicolor/      the icon at 16 .. 512 px and as SVG
#   share/metainfo/           the AppStream description
#   share/man/man6/           duskwhirl.6
#   share/doc/duskwhirl/      LICENSE, LICENSE.DejaVu, README.md
# The program finds its data relative to itself first, so the whole tree can
# be moved; the directory configured here is its last resort.
# The data directory is DW_INSTALL_DATADIR (relative to the prefix): a
# distribution's games use -DCMAKE_INSTALL_BINDIR=games
# -DDW_INSTALL_DATADIR=share/games/duskwhirl, the other layout the program
# looks for beside its folder.
include(GNUInstallDirs)

set(DW_APP_ID io.github.duskwhirl.duskwhirl)
set(DW_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/duskwhirl CACHE STRING
    "Where gamedata.res, the demos and the site pages go, relative to the prefix")
if(IS_ABSOLUTE "${DW_INSTALL_DATADIR}")
  set(DW_DATA_INSTALL_DIR ${DW_INSTALL_DATADIR})
else()
  set(DW_DATA_INSTALL_DIR ${CMAKE_INSTALL_PREFIX}/${DW_INSTALL_DATADIR})
endif()
set(DW_ICON_SIZES 16 24 32 48 64 128 256 512)

# Only src/platform/game_data.cpp reads the generated header, so a new
# prefix rebuilds one file.
configure_file(${CMAKE_CURRENT_LIST_DIR}/dw_install_dirs.h.in
               ${CMAKE_BINARY_DIR}/generated/dw_install_dirs.h @ONLY)
target_include_directories(dw_platform PRIVATE ${CMAKE_BINARY_DIR}/generated)

# The desktop icon, drawn by the asset generator from the fighter's art.
if(TARGET assetgen)
  set(DW_ICON_FILES ${CMAKE_BINARY_DIR}/icons/hicolor/scalable/apps/${DW_APP_ID}.svg)
  foreach(size ${DW_ICON_SIZES})
    list(APPEND DW_ICON_FILES ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${DW_APP_ID}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${DW_ICON_FILES}
    COMMAND assetgen --icons ${CMAKE_BINARY_DIR}/icons --icon-name ${DW_APP_ID}
    DEPENDS assetgen
    COMMENT "Drawing the desktop icon"
    VERBATIM)
  add_custom_target(icons ALL DEPENDS ${DW_ICON_FILES})
endif()

install(TARGETS duskwhirl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The score server beside the game, with its manual page and its systemd unit
# (DW_SYSTEMD_UNITDIR: relative to the prefix, or absolute as Debian's /lib/systemd/system).
set(DW_SYSTEMD_UNITDIR lib/systemd/system CACHE STRING "Where the score server's systemd unit goes")
if(TARGET duskwhirl-scores)
  install(TARGETS duskwhirl-scores RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/data/duskwhirl-scores.8 DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)
  set(DW_SERVER_PATH ${CMAKE_INSTALL_FULL_BINDIR}/duskwhirl-scores)
  configure_file(${CMAKE_SOURCE_DIR}/data/duskwhirl-scores.service.in
                 ${CMAKE_BINARY_DIR}/generated/duskwhirl-scores.service @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/generated/duskwhirl-scores.service DESTINATION ${DW_SYSTEMD_UNITDIR})
endif()
if(TARGET gamedata)
  install(FILES ${CMAKE_BINARY_DIR}/gamedata.res DESTINATION ${DW_INSTALL_DATADIR})
endif()
if(TARGET icons)
  foreach(size ${DW_ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${DW_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${CMAKE_BINARY_DIR}/icons/hicolor/scalable/apps/${DW_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
# The demos of the attract mode, beside gamedata.res in the build tree
# (build/demos) as installed (share/duskwhirl/demos), where the game looks for
# them: the bench recordings of whole levels up to their bosses, and the
# opening of the last level. barrage.dwdemo is left out: a synthetic stress
# test, not a game anyone would watch.
file(GLOB DW_ATTRACT_DEMOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/level*-with-boss.dwdemo
     ${CMAKE_SOURCE_DIR}/bench/level9-opening.dwdemo)
set(DW_ATTRACT_DEMO_COPIES)
foreach(demo ${DW_ATTRACT_DEMOS})
  get_filename_component(demo_name ${demo} NAME)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/demos/${demo_name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/demos
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${demo} ${CMAKE_BINARY_DIR}/demos/${demo_name}
    DEPENDS ${demo}
    VERBATIM)
  list(APPEND DW_ATTRACT_DEMO_COPIES ${CMAKE_BINARY_DIR}/demos/${demo_name})
endforeach()
add_custom_target(attract_demos ALL DEPENDS ${DW_ATTRACT_DEMO_COPIES})
add_dependencies(duskwhirl attract_demos)
install(FILES ${DW_ATTRACT_DEMOS} DESTINATION ${DW_INSTALL_DATADIR}/demos)

file(GLOB DW_SITE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/site/*.html
     ${CMAKE_SOURCE_DIR}/data/site/*.css)
install(FILES ${DW_SITE_FILES} DESTINATION ${DW_INSTALL_DATADIR}/site)
install(FILES ${CMAKE_SOURCE_DIR}/data/${DW_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/${DW_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/data/duskwhirl.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/LICENSE.DejaVu ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

