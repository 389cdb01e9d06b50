#!/usr/bin/env bash
# The web build beside the desktop viewer in one run (bench/web_bench.cpp):
# the page's files, its start-up in Chromium (desktop- and phone-sized) and
# Firefox ESR beside a bare page's and again online and offline, and the
# issue times of the same key presses there and in the desktop viewer, on
# the display or on a virtual X server where there is none. Prints Markdown
# tables.
#   scripts/web_bench.sh [key presses, default 300] [page loads, default 9]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages $test_packages $browser_packages
need_node_modules
./scripts/web.sh >/dev/null
cmake --preset default >/dev/null
cmake --build --preset default --target web_bench >/dev/null
on_display build/bench/web_bench "$@"
