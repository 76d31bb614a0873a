# libjpeg-turbo 1:2.1.5-2 x86_64-w64-mingw32-gcc-posix (GCC) 12-posix
# The answers of this library's configure checks (scripts/build-sysroot.sh windows).
set(HAVE_SIZE_T "TRUE" CACHE INTERNAL "")
set(HAVE_STDDEF_H "1" CACHE INTERNAL "")
set(HAVE_STDINT_H "1" CACHE INTERNAL "")
set(HAVE_SYS_TYPES_H "1" CACHE INTERNAL "")
set(HAVE_UNSIGNED_LONG "TRUE" CACHE INTERNAL "")
set(INLINE_WORKS "1" CACHE INTERNAL "")
set(SIZE_T "8" CACHE INTERNAL "")
set(UNSIGNED_LONG "4" CACHE INTERNAL "")
set(WITH_JPEG7_INT "0" CACHE INTERNAL "")
set(WITH_JPEG8_INT "0" CACHE INTERNAL "")
set(WITH_SIMD_INT "0" CACHE INTERNAL "")
