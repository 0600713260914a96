#!/usr/bin/env bash
# web_test.sh -- builds the web page and tests it: the OpenGL layer's unit tests under node, then the
# page played in Debian's headless Chromium, served on 127.0.0.1. Installs what it needs first.
# Exits non-zero on any failure. Usage: scripts/web_test.sh [BUILD_FOLDER] (default build/web-test).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/web-test}")

bash "$root/scripts/web_setup.sh"
# The browser-driving library, as its lock file pins it; it drives Debian's Chromium and downloads
# no browser of its own.
(cd "$root/tests/web" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)

bash "$root/web/build.sh" "$build"
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
ctest --test-dir "$build/emscripten/src/web" --output-on-failure --no-tests=error

# The page on a free port of the loopback, for as long as the tests run.
address_file=$(mktemp)
python3 "$root/web/serve.py" "$build/emscripten/site" 0 >"$address_file" &
server=$!
trap 'kill "$server" 2>/dev/null; rm -f "$address_file"' EXIT
for _ in $(seq 50); do
    [ -s "$address_file" ] && break
    sleep 0.1
done
QUARZIL_PAGE=$(head -1 "$address_file")
[ -n "$QUARZIL_PAGE" ] || { echo "web_test.sh: the page's server did not start" >&2; exit 1; }
export QUARZIL_PAGE
cd "$root/tests/web"
node --test --test-reporter=spec --test-concurrency=1 page_test.mjs storage_test.mjs
