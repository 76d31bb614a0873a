# One static library per folder of src/, in the order of docs/ARCHITECTURE.md.
#
# The layer table of docs/ARCHITECTURE.md is the one place where the layers are
# written down: this file reads it. Each layer is compiled against an include
# tree of its own (${CMAKE_BINARY_DIR}/layers/<layer>/) that holds links to its
# own folder and to the folders it may use, and nothing else, so an include of a
# higher layer fails to compile. Each layer links the layers beneath it.

file(STRINGS ${CMAKE_SOURCE_DIR}/docs/ARCHITECTURE.md DW_LAYER_ROWS REGEX "^\\| `[a-z0-9_]+` \\|")
set(DW_LAYERS)
foreach(row ${DW_LAYER_ROWS})
  string(REGEX MATCH "^\\| `([a-z0-9_]+)` \\|" _ "${row}")
  set(layer ${CMAKE_MATCH_1})
  # The last cell: the folders this layer may use, each in backticks.
  string(REGEX REPLACE "^.*\\|([^|]*)\\|[ \t]*$" "\\1" uses_cell "${row}")
  string(REGEX MATCHALL "`[a-z0-9_]+`" uses "${uses_cell}")
  string(REPLACE "`" "" uses "${uses}")
  list(APPEND DW_LAYERS ${layer})
  set(DW_USES_${layer} ${uses})
endforeach()
if(NOT DW_LAYERS)
  message(FATAL_ERROR "docs/ARCHITECTURE.md: no layer table found")
endif()

# Sources that are not part of their folder's library.
set(DW_LAYER_EXCLUDE
  ${CMAKE_SOURCE_DIR}/src/app/main.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/embedded_levels_none.cpp)

# Layers that are programs of their own beside the game (the score server):
# left out of the browser and Windows builds and of duskwhirl_libs, so that the
# game never links their libraries. The score server is a Linux service.
set(DW_PROGRAM_LAYERS server)
if(EMSCRIPTEN OR WIN32)
  list(REMOVE_ITEM DW_LAYERS ${DW_PROGRAM_LAYERS})
endif()

set(DW_LAYER_LIBS)
foreach(layer ${DW_LAYERS})
  set(tree ${CMAKE_BINARY_DIR}/layers/${layer})
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  foreach(folder ${layer} ${DW_USES_${layer}})
    if(NOT IS_DIRECTORY ${CMAKE_SOURCE_DIR}/src/${folder})
      message(FATAL_ERROR "docs/ARCHITECTURE.md: layer ${layer} names ${folder}, which is not a folder of src/")
    endif()
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${tree}/${folder} SYMBOLIC)
  endforeach()

  # A layer's sub-folders (gfx/gl, gfx/null) are part of it; an exe/ folder
  # holds a program's main (the browser's driver, the score server's), which
  # its own target builds.
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${layer}/*.cpp)
  list(REMOVE_ITEM sources ${DW_LAYER_EXCLUDE})
  list(FILTER sources EXCLUDE REGEX "/src/[a-z0-9_]+/exe/")
  # NAME_win.cpp is the Windows build's own: there it takes the place of
  # NAME.cpp (when the folder has one); elsewhere it is left out.
  set(win_sources ${sources})
  list(FILTER win_sources INCLUDE REGEX "_win\\.cpp$")
  list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  if(WIN32)
    foreach(win ${win_sources})
      string(REGEX REPLACE "_win\\.cpp$" ".cpp" replaced ${win})
      list(REMOVE_ITEM sources ${replaced})
    endforeach()
    list(APPEND sources ${win_sources})
  endif()
  set(target dw_${layer})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PRIVATE ${tree})
  target_compile_options(${target} PRIVATE -Wshadow)
  target_compile_definitions(${target} PRIVATE DW_VERSION="${PROJECT_VERSION}")
  foreach(used ${DW_USES_${layer}})
    target_link_libraries(${target} PUBLIC dw_${used})
  endforeach()
  dw_sanitize(${target})
  if(NOT layer IN_LIST DW_PROGRAM_LAYERS)
    list(APPEND DW_LAYER_LIBS ${target})
  endif()
endforeach()

target_link_libraries(dw_platform PUBLIC duskwhirl_levels
  PkgConfig::SDL2 PkgConfig::SDL2MIXER PkgConfig::EPOXY ZLIB::ZLIB PkgConfig::LIBZIP)
target_link_libraries(dw_gfx PUBLIC PkgConfig::EPOXY)
target_link_libraries(dw_d3dx PUBLIC PNG::PNG JPEG::JPEG ZLIB::ZLIB)
if(TARGET dw_server)
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
  pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
  pkg_check_modules(LIBPQ REQUIRED IMPORTED_TARGET libpq)
  pkg_check_modules(LIBCRYPTO REQUIRED IMPORTED_TARGET libcrypto)
  find_package(nlohmann_json 3 REQUIRED)
  target_link_libraries(dw_server PUBLIC PkgConfig::HTTPLIB PkgConfig::SQLITE3 PkgConfig::LIBPQ
    PkgConfig::LIBCRYPTO nlohmann_json::nlohmann_json)
endif()

# Everything but main(), for the executable, the tests, the fuzzers and the
# bench programs, which see the whole of src/.
add_library(duskwhirl_libs INTERFACE)
target_include_directories(duskwhirl_libs INTERFACE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(duskwhirl_libs INTERFACE ${DW_LAYER_LIBS})
