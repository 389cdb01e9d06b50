#!/usr/bin/env bash
# usage: ./scripts/screenshots.sh
# Installs what is missing of `install_packages.sh benchmarks`, and remakes
# the README's pictures from runs of the viewer on Xvfb: the first frame,
# the view after orbiting and zooming in, and the icons, cut from the first
# frame. The page's pictures in docs/ are copies of what the web tests save
# as build/tests/e2e/web/web-page-*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
counts 0 "$@"

# The viewer alone needs none of the tests' packages.
need_job benchmarks $build_packages $virtual_x_packages xdotool
cmake --preset default -DTEXTURES_TESTS=AUTO >/dev/null
cmake --build --preset viewer >/dev/null
[ -n "${DISPLAY:-}" ] || { on_display "$0"; exit; }
output=$(mktemp)
trap 'kill "${viewer_pid:-}" 2>/dev/null || true; rm -f "$output" "$output.errors"' EXIT
first_frame docs/first-frame.png "$output" data ../build/textures
# The page's icons, from the same cut, in few colours to stay small.
cut="/usr/bin/convert docs/first-frame.png -crop 440x440+6+50 +repage -strip"
$cut -resize 256x256 packaging/textures.png
for size in 192 512; do $cut -resize ${size}x$size -colors 32 PNG8:web/icon-$size.png; done
# Orbit a quarter turn less ten steps, lift the eye, then zoom in, each key
# after the previous one's line, as keys faster than frames share one.
window=$(xdotool search --onlyvisible --name '^textures$')
for key in $(printf '6 %.0s' $(seq 40)) $(printf '8 %.0s' $(seq 8)) v $(printf '8 %.0s' $(seq 30)); do
    lines=$(wc -l <"$output")
    xdotool key --window "$window" "$key"
    until [ "$(wc -l <"$output")" -gt "$lines" ]; do kill -0 "$viewer_pid"; sleep 0.02; done
done
sleep 0.5
xwd -silent -id "$window" | /usr/bin/convert xwd:- docs/orbit-and-zoom.png
echo "saved docs/first-frame.png, docs/orbit-and-zoom.png, packaging/textures.png and web/icon-*.png"
