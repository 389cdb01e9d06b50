#!/usr/bin/env bash
# usage: ./scripts/web_bench.sh [PRESSES] [LOADS]
# Installs what is missing of `install_packages.sh benchmarks`; times the
# web build beside the desktop viewer (bench/web_bench.cpp): the page's
# files, its start-up in Chromium (desktop- and phone-sized) and Firefox
# beside a bare page's, online and offline, over LOADS loads (9), with the
# program in the page's worker and on the page's thread; the longest the
# page's thread is busy, and Lighthouse 13's total blocking time (npx,
# Debian's Chromium); and the issue times of PRESSES key presses (300) there
# and in the desktop viewer, on the display or else on Xvfb; writes the
# tables into docs/benchmarks.md.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
counts 2 "$@"

need_job benchmarks
need_node_modules
./scripts/web.sh >/dev/null
cmake --preset default -DTEXTURES_BENCHMARKS=ON >/dev/null && cmake --build --preset default --target web_bench >/dev/null
# npx's cache, and Lighthouse's settings and Chromium's files, out of home and /tmp.
mkdir -p build/tmp && export npm_config_cache=$cache/npm XDG_CONFIG_HOME=$PWD/build/tmp/config TMPDIR=$PWD/build/tmp
tables=$(on_display build/bench/web_bench "$@")
echo "Measured $(measured_on), by \`scripts/web_bench.sh\`, with" \
    "$(chromium --version 2>/dev/null | sed 's/ built on.*//') (headless, SwiftShader)," \
    "$(firefox-esr --version | sed 's/^Mozilla //') (on Xvfb, Mesa llvmpipe) and Emscripten" \
    "$(emcc --version | sed -n '1s/.*) \([0-9.]*\).*/\1/p').

$tables" | write_figures docs/benchmarks.md page
echo "wrote the tables into docs/benchmarks.md"
