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
build_viewer

if [ -n "${DISPLAY:-}" ]; then
    cd data
    exec ../build/textures "$@"
fi

echo "textures: no DISPLAY; running the viewer on a virtual X server (Xvfb) for its first frame" >&2
start_xvfb
output=$(mktemp)
trap 'kill "${viewer_pid:-}" "$xvfb_pid" 2>/dev/null || true; rm -f "$output" "$output.errors"' EXIT
start_viewer "$output" "$@"
screenshot=$PWD/build/first-frame.png
save_screenshot "$window" "$screenshot"
echo "screenshot of the first frame: $screenshot"
cat "$output"
cat "$output.errors" >&2
