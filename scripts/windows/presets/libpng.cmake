# libpng1.6 1.6.39-2+deb12u5 x86_64-w64-mingw32-gcc-posix (GCC) 12-posix
# The answers of this library's configure checks (scripts/build-sysroot.sh windows).
