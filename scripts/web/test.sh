#!/bin/bash
# make web-test: plays the web build in headless Chromium (tests/web).
#   scripts/web/test.sh [NATIVE_BUILD [BUILD_WEB]] [-- options of web_test.mjs]
# Without Chromium, Node.js or Emscripten the test cannot run: in CI
# (CI=true) that fails, elsewhere it is skipped with a message.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
native=${1:-build}
web=${2:-build-web}
shift $(( $# < 2 ? $# : 2 ))
[ "${1:-}" = "--" ] && shift
cd "$root"

missing=()
command -v "${CHROMIUM:-chromium}" >/dev/null || missing+=("chromium")
command -v node >/dev/null || missing+=("nodejs")
command -v emcc >/dev/null || missing+=("emscripten")
if [ ${#missing[@]} -gt 0 ]; then
  msg="make web-test: missing ${missing[*]} (scripts/setup-deps.sh --web installs them)"
  if [ "${CI:-}" = "true" ]; then echo "$msg" >&2; exit 1; fi
  echo "$msg; skipped"
  exit 0
fi
if ! command -v npm >/dev/null; then
  bash "$root/scripts/setup-deps.sh" --web
  [ "$(id -u)" = 0 ] && sudo= || sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends npm
fi
for f in "$web/www/duskwhirl.html" "$web/www/duskwhirl.wasm" "$web/www/gamedata.res"; do
  [ -f "$f" ] || { echo "make web-test: no $f (make web builds it)" >&2; exit 1; }
done
[ -x "$native/duskwhirl" ] || { echo "make web-test: no native $native/duskwhirl (make build)" >&2; exit 1; }

# puppeteer-core at the version of the lock file; it never downloads a browser.
export PUPPETEER_SKIP_DOWNLOAD=1
lock=tests/web/package-lock.json
stamp=tests/web/node_modules/.dw-lock
if [ ! -f "$stamp" ] || ! cmp -s "$lock" "$stamp"; then
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
  cp "$lock" "$stamp"
fi
CHROMIUM=$(command -v "${CHROMIUM:-chromium}") exec node tests/web/web_test.mjs --web "$web" --native "$native" "$@"
