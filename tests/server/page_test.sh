#!/bin/bash
# The leaderboard page in headless Chromium (tests/server/page_test.mjs), with
# the puppeteer-core of tests/web. Skipped (77) without Chromium or Node.js,
# unless CI=true.
#   page_test.sh SERVER_PROGRAM GAMEDATA
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
missing=()
command -v "${CHROMIUM:-chromium}" >/dev/null || missing+=("chromium")
command -v node >/dev/null || missing+=("nodejs")
command -v npm >/dev/null || missing+=("npm")
if [ ${#missing[@]} -gt 0 ]; then
  echo "page test: missing ${missing[*]} (scripts/setup-deps.sh --web installs them)"
  [ "${CI:-}" = "true" ] && exit 1
  exit 77
fi
export PUPPETEER_SKIP_DOWNLOAD=1
lock=$root/tests/web/package-lock.json stamp=$root/tests/web/node_modules/.dw-lock
if [ ! -f "$stamp" ] || ! cmp -s "$lock" "$stamp"; then
  (cd "$root/tests/web" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$lock" "$stamp"
fi
CHROMIUM=$(command -v "${CHROMIUM:-chromium}") exec node "$root/tests/server/page_test.mjs" "$1" "$2"
