# duskwhirl.exe: a windowed program (no console window of its own; see
# src/platform/process_start_win.cpp for its output) with its resources (the
# icon, the version information, the manifest), and beside it in the build
# tree what it needs to run: gamedata.res (the attract demos and the site
# pages are copied there as in every build).
enable_language(RC)
set(DW_WIN_DIR ${CMAKE_SOURCE_DIR}/data/windows)
set(DW_WIN_GEN ${CMAKE_BINARY_DIR}/windows)

# The version's four numbers for the version resource.
set(DW_VERSION_COMMA ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
if(NOT DW_FULL_VERSION)
  set(DW_FULL_VERSION ${PROJECT_VERSION})
endif()
configure_file(${DW_WIN_DIR}/duskwhirl.rc.in ${DW_WIN_GEN}/duskwhirl.rc @ONLY)
configure_file(${DW_WIN_DIR}/duskwhirl.manifest ${DW_WIN_GEN}/duskwhirl.manifest COPYONLY)

# The icon: the native build's PNGs at 16 .. 256 px in one .ico.
set(DW_ICO ${DW_WIN_GEN}/duskwhirl.ico)
set(DW_ICO_SOURCES)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND DW_ICO_SOURCES ${DW_HOST_ICONS}/hicolor/${size}x${size}/apps/io.github.duskwhirl.duskwhirl.png)
endforeach()
add_custom_command(
  OUTPUT ${DW_ICO}
  COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/windows/make-ico.py ${DW_ICO} ${DW_ICO_SOURCES}
  DEPENDS ${DW_ICO_SOURCES} ${CMAKE_SOURCE_DIR}/scripts/windows/make-ico.py
  COMMENT "Packing the icon"
  VERBATIM)
add_custom_target(windows_icon DEPENDS ${DW_ICO})
target_sources(duskwhirl PRIVATE ${DW_WIN_GEN}/duskwhirl.rc)
set_source_files_properties(${DW_WIN_GEN}/duskwhirl.rc PROPERTIES
  OBJECT_DEPENDS "${DW_ICO};${DW_WIN_GEN}/duskwhirl.manifest")
add_dependencies(duskwhirl windows_icon)
target_link_options(duskwhirl PRIVATE -mwindows)

if(DW_HOST_GAMEDATA)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/gamedata.res
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${DW_HOST_GAMEDATA} ${CMAKE_BINARY_DIR}/gamedata.res
    DEPENDS ${DW_HOST_GAMEDATA}
    VERBATIM)
  add_custom_target(windows_gamedata ALL DEPENDS ${CMAKE_BINARY_DIR}/gamedata.res)
endif()
