# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model: std::thread and std::mutex). Used by the Windows build and by the
# libraries of its sysroot (scripts/build-sysroot.sh windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DW_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DW_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DW_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${DW_MINGW}-windres)
set(CMAKE_AR ${DW_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${DW_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")
# The MinGW-w64 tree (headers, zlib) and the sysroot the build names; never the host's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${DW_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
