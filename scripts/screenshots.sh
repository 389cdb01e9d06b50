#!/usr/bin/env bash
# Remakes the README's pictures from real runs of the viewer on a virtual X
# server: the first frame, and the view after orbiting and zooming in; and
# the desktop icon, cut from the first frame around the grid.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages
build_viewer
start_xvfb
output=$(mktemp)
trap 'kill "${viewer_pid:-}" "$xvfb_pid" 2>/dev/null || true; rm -f "$output" "$output.errors"' EXIT
start_viewer "$output"
save_screenshot "$window" docs/first-frame.png
/usr/bin/convert docs/first-frame.png -crop 440x440+6+50 +repage -resize 256x256 -strip \
    packaging/textures.png
# Orbit a quarter turn less ten steps, lift the eye, then zoom in. Each key
# waits for the previous one's line: keys that come faster than frames
# share one redisplay, and so one line.
for key in $(printf '6 %.0s' $(seq 40)) $(printf '8 %.0s' $(seq 8)) v $(printf '8 %.0s' $(seq 30)); do
    lines=$(wc -l <"$output")
    xdotool key --window "$window" "$key" 2>/dev/null
    wait_for_lines "$output" $((lines + 1)) "the line after key $key"
done
sleep 0.5
save_screenshot "$window" docs/orbit-and-zoom.png
echo "saved docs/first-frame.png, docs/orbit-and-zoom.png and packaging/textures.png"
