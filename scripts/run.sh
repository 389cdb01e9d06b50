#!/usr/bin/env bash
# usage: ./scripts/run.sh [GLUT OPTION...]
# Installs what is missing of the build's and Xvfb's packages
# (`install_packages.sh`), builds the viewer in build/ and starts it in
# data/ with GLUT's options. Without a display it draws on Xvfb, saves the
# first frame as build/first-frame.png, prints the viewer's lines and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
take_options "-display -geometry -direct -indirect -iconic -gldebug -sync" "$@"

need_job first $build_packages $([ -n "${DISPLAY:-}" ] || echo "$virtual_x_packages")
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
