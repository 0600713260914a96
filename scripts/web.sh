#!/usr/bin/env bash
# web.sh -- builds Quarzil as a web page and serves it on the loopback, printing its address.
# Usage: scripts/web.sh [PORT] (default 8000; 0 takes a free one). Ctrl-C stops the server.
# The page is build/web/emscripten/site: plain static files any web server can host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/web_setup.sh"
bash "$root/web/build.sh" "$root/build/web"
exec python3 "$root/web/serve.py" "$root/build/web/emscripten/site" "${1:-8000}"
