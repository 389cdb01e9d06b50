#!/usr/bin/env bash
# Builds the viewer for the browser with Debian's Emscripten: the "web"
# workflow preset, whose page is the static folder build-web/page/
# (the page, its program, picture, manifest, icons and service worker, for
# any web server to serve) and its zip in dist/; or the "web-packed" one,
# whose page is build-web-packed/page/.
#
#   web.sh [--serve] [web|web-packed]
#
# --serve builds the page alone, without its zip, then serves it on
# 127.0.0.1:8000 (or PORT; 0 for any free port), cross-origin isolated
# (scripts/serve_web.py).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

serve=false
[ "${1:-}" = --serve ] && serve=true && shift
preset=${1:-web}
need_packages cmake make $web_packages
if $serve; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
    echo "built build-$preset/page/"
    exec python3 scripts/serve_web.py "build-$preset/page" "${PORT:-8000}"
fi
cmake --workflow --preset "$preset" >/dev/null
echo "built build-$preset/page/"
