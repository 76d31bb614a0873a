# libsdl2-mixer 2.6.2+dfsg-2 emcc (Emscripten gcc/clang-like replacement + linker emulating GNU ld) 3.1.6 ()
# The answers of this library's configure checks (scripts/web/build-sysroot.sh).
