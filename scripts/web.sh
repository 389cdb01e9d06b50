#!/usr/bin/env bash
# usage: ./scripts/web.sh [--serve] [web|web-packed]
# Installs what is missing of Emscripten's packages (`install_packages.sh`),
# and builds the page with the workflow preset web (build-web/page/ and its
# zip in dist/) or web-packed (build-web-packed/page/).
#   --serve   builds the page alone and serves it until Ctrl+C at
#             http://127.0.0.1:8000/; PORT names another port (0: any free
#             one), ADDRESS another address (0.0.0.0: all of this machine's,
#             open to the network)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
take_options --serve "$@"

serve=false preset=web
for argument; do
    case $argument in
    --serve) serve=true ;;
    web | web-packed) preset=$argument ;;
    *) bad_usage "no preset $argument: web or web-packed" ;;
    esac
done
need_job first cmake make $web_packages
if $serve; then
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" >/dev/null
    echo "built build-$preset/page/"
    exec python3 scripts/serve_web.py --address "${ADDRESS:-127.0.0.1}" "build-$preset/page" "${PORT:-8000}"
fi
cmake --workflow --preset "$preset" >/dev/null
echo "built build-$preset/page/"
