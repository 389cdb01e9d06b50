#!/usr/bin/env bash
# Builds the viewer for the browser with Debian's Emscripten and leaves a
# static folder, build-web/ by default: index.html, textures.js,
# textures.wasm and armor.raw, for any web server to serve.
#
#   web.sh [--serve] [--into FOLDER] [CMAKE ARGUMENTS...]
#
# --serve then serves the folder on 127.0.0.1:8000, cross-origin isolated
# (scripts/serve_web.py). Other arguments go to CMake, for example
# -DUSE_PACKED_TEXTURES=ON. The CMake build itself lives in FOLDER-cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

serve=false
folder=build-web
while [ $# -gt 0 ]; do
    case $1 in
    --serve) serve=true; shift ;;
    --into) folder=${2:?--into needs a folder}; shift 2 ;;
    *) break ;;
    esac
done

need_packages cmake make emscripten python3
# Emscripten's JavaScript tools need Debian's own node modules, whichever
# node comes first on PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
toolchain=$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake
build_into "$folder-cmake" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DTEXTURES_TESTS=OFF -DTEXTURES_BENCHMARKS=OFF "$@" >/dev/null
rm -rf "$folder"
cmake --install "$folder-cmake" --prefix "$folder" >/dev/null
echo "built $folder/"
if $serve; then
    exec python3 scripts/serve_web.py "$folder" "${PORT:-8000}"
fi
