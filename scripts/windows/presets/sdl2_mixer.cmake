# libsdl2-mixer 2.6.2+dfsg-2 x86_64-w64-mingw32-gcc-posix (GCC) 12-posix
# The answers of this library's configure checks (scripts/build-sysroot.sh windows).
