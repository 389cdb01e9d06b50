#!/usr/bin/env bash
# Builds the viewer and starts it on the shipped picture, with data/ as its
# working directory. Without a display it runs on a virtual X server, saves
# a screenshot of the first frame, prints its path and the viewer's lines,
# and ends. Arguments go to the viewer (GLUT's options).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages
[ -n "${DISPLAY:-}" ] || need_packages $virtual_x_packages
# The tests where this machine has what they need, as it may.
cmake --preset default -DTEXTURES_TESTS=AUTO >/dev/null
cmake --build --preset viewer >/dev/null

if [ -n "${DISPLAY:-}" ]; then
    cd data
    exec ../build/textures "$@"
fi
echo "textures: no DISPLAY; running the viewer on a virtual X server (Xvfb) for its first frame" >&2
output=$(mktemp)
trap 'rm -f "$output" "$output.errors"' EXIT
on_display bash -c '. scripts/common.sh
    first_frame "$@" && kill "$viewer_pid"' first_frame \
    build/first-frame.png "$output" data ../build/textures "$@"
echo "screenshot of the first frame: $PWD/build/first-frame.png"
cat "$output"
cat "$output.errors" >&2
