# The Windows build (cross-compiled with MinGW-w64, cmake/mingw-w64.cmake):
# the libraries come from the sysroot that scripts/build-sysroot.sh windows
# builds from Debian's sources, the level data from the native level compiler
# (DW_HOST_LEVELGEN), the assets and the icon from the native build
# (DW_HOST_GAMEDATA, DW_HOST_ICONS), copied beside the program.
set(DW_WIN_SYSROOT "${CMAKE_SOURCE_DIR}/build-win/sysroot" CACHE PATH "The libraries built for Windows")
set(DW_HOST_LEVELGEN "" CACHE FILEPATH "The native level compiler")
set(DW_HOST_GAMEDATA "" CACHE FILEPATH "The native build's gamedata.res")
set(DW_HOST_ICONS "" CACHE PATH "The native build's icons/ (hicolor PNGs)")
set(DW_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest's sources, built for Windows with the tests")
if(NOT EXISTS ${DW_WIN_SYSROOT}/.stamp)
  message(FATAL_ERROR "no Windows sysroot at ${DW_WIN_SYSROOT}: run scripts/build-sysroot.sh windows (make windows does)")
endif()
if(NOT DW_HOST_LEVELGEN OR NOT EXISTS ${DW_HOST_LEVELGEN})
  message(FATAL_ERROR "DW_HOST_LEVELGEN must name the native levelgen (build the native tools first)")
endif()

list(APPEND CMAKE_FIND_ROOT_PATH ${DW_WIN_SYSROOT})
list(APPEND CMAKE_PREFIX_PATH ${DW_WIN_SYSROOT})

# No libcurl for Windows: the game's online-score client there says that
# online scores are not available in this build (cmake/Online.cmake). The
# score server is a Linux service and is not built (cmake/Layers.cmake).
set(DW_CURL OFF CACHE BOOL "Send online scores through libcurl when it is found" FORCE)

# Everything static: no MinGW runtime DLL (libstdc++, libgcc, winpthread)
# and no library DLL beside the program.
add_link_options(-static)

# zlib is Debian's (libz-mingw-w64-dev), its archive rather than its DLL.
set(ZLIB_LIBRARY_RELEASE /usr/${DW_MINGW}/lib/libz.a CACHE FILEPATH "zlib, static")
set(ZLIB_LIBRARY /usr/${DW_MINGW}/lib/libz.a CACHE FILEPATH "zlib, static")
find_package(SDL2 REQUIRED CONFIG)
find_package(SDL2_mixer REQUIRED CONFIG)
find_package(libzip REQUIRED CONFIG)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
# The names the layers link, as on Linux (pkg-config's targets there).
add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2-static)
add_library(PkgConfig::SDL2MIXER INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2MIXER INTERFACE SDL2_mixer::SDL2_mixer-static)
add_library(PkgConfig::LIBZIP INTERFACE IMPORTED)
target_link_libraries(PkgConfig::LIBZIP INTERFACE libzip::zip)
# libepoxy: its GL entry points through WGL (opengl32.dll, loaded by epoxy).
add_library(PkgConfig::EPOXY INTERFACE IMPORTED)
target_include_directories(PkgConfig::EPOXY INTERFACE ${DW_WIN_SYSROOT}/include)
target_link_libraries(PkgConfig::EPOXY INTERFACE ${DW_WIN_SYSROOT}/lib/libepoxy.a opengl32 gdi32)

# The unit tests: GoogleTest built from its sources with the same compiler
# (Debian's googletest package ships them), run under Wine.
if(DW_BUILD_TESTS)
  if(NOT EXISTS ${DW_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "no GoogleTest sources at ${DW_GTEST_SOURCE} (Debian's googletest package)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${DW_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
