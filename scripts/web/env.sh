# Sourced by the web build scripts: what Debian's Emscripten needs to run well.
# Its tools find their node modules here.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
# Debian's emcc runs "python3" from PATH: a python3 of a version manager
# (pyenv's shims) costs a second a compile. Debian's own does the same work.
if [ -z "${EMSDK_PYTHON:-}" ] && [ -x /usr/bin/python3 ]; then export EMSDK_PYTHON=/usr/bin/python3; fi
