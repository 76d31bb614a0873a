# The browser build (emcmake cmake): the libraries come from the sysroot that
# scripts/build-sysroot.sh web builds from Debian's sources, the level data
# from the native level compiler (DW_HOST_LEVELGEN), the assets from the
# native build's gamedata.res (DW_HOST_GAMEDATA), copied beside the page.
set(DW_WEB_SYSROOT "${CMAKE_SOURCE_DIR}/build-web/sysroot" CACHE PATH "The libraries built for the web")
set(DW_HOST_LEVELGEN "" CACHE FILEPATH "The native level compiler")
set(DW_HOST_GAMEDATA "" CACHE FILEPATH "The native build's gamedata.res")
if(NOT EXISTS ${DW_WEB_SYSROOT}/.stamp)
  message(FATAL_ERROR "no web sysroot at ${DW_WEB_SYSROOT}: run scripts/build-sysroot.sh web (make web does)")
endif()
if(NOT DW_HOST_LEVELGEN OR NOT EXISTS ${DW_HOST_LEVELGEN})
  message(FATAL_ERROR "DW_HOST_LEVELGEN must name the native levelgen (build the native tools first)")
endif()

# The sysroot and nothing of the host: pkg-config reads only its .pc files.
list(APPEND CMAKE_FIND_ROOT_PATH ${DW_WEB_SYSROOT})
list(APPEND CMAKE_PREFIX_PATH ${DW_WEB_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR} ${DW_WEB_SYSROOT}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SDL2MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
# WebGL 2 through Emscripten's GLES 3 headers: no function loader.
add_library(PkgConfig::EPOXY INTERFACE IMPORTED)

# The browser has no X, no installed tree, and runs no tests or tools.
set(DW_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(DW_BUILD_TOOLS ON CACHE BOOL "" FORCE)
set(DW_WEB_SKIP_ASSETGEN ON)
