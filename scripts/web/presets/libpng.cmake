# libpng1.6 1.6.39-2+deb12u5 emcc (Emscripten gcc/clang-like replacement + linker emulating GNU ld) 3.1.6 ()
# The answers of this library's configure checks (scripts/web/build-sysroot.sh).
