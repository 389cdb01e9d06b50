#!/usr/bin/env bash
# The web build beside the desktop viewer in one run (bench/web_bench.cpp):
# the page's files, its start-up in Chromium (desktop- and phone-sized) and
# Firefox ESR beside a bare page's and again online and offline, and the
# issue times of the same key presses there and in the desktop viewer, on
# the display or on a virtual X server where there is none. Writes the
# tables into docs/benchmarks.md.
#   scripts/web_bench.sh [key presses, default 300] [page loads, default 9]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages $test_packages $browser_packages
need_node_modules
./scripts/web.sh >/dev/null
cmake --preset default -DTEXTURES_BENCHMARKS=ON >/dev/null
cmake --build --preset default --target web_bench >/dev/null
tables=$(on_display build/bench/web_bench "$@")
echo "Measured $(measured_on), by \`scripts/web_bench.sh\`, with" \
    "$(chromium --version 2>/dev/null | sed 's/ built on.*//') (headless, SwiftShader)," \
    "$(firefox-esr --version | sed 's/^Mozilla //') (on Xvfb, Mesa llvmpipe) and Emscripten" \
    "$(emcc --version | sed -n '1s/.*) \([0-9.]*\).*/\1/p').

$tables" | write_figures docs/benchmarks.md page
echo "wrote the tables into docs/benchmarks.md"
