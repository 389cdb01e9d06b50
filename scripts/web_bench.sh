#!/usr/bin/env bash
# The web build beside the desktop viewer, side by side in one run: the
# page's size by file, the time from navigation to its first frame, and the
# issue times of the "FPS:" lines of the same key presses in headless
# Chromium, in Firefox ESR (on Xvfb where there is no display) and in the
# desktop viewer. Prints Markdown tables.
#   scripts/web_bench.sh [key presses, default 300] [page loads, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

presses=${1:-300}
loads=${2:-5}
need_packages $build_packages $virtual_x_packages $browser_packages
need_node_modules
./scripts/web.sh -DUSE_PACKED_TEXTURES=OFF >/dev/null
configure_into build -DUSE_PACKED_TEXTURES=OFF
cmake --build build --target textures -j "$(nproc)" >/dev/null
[ -n "${DISPLAY:-}" ] || start_xvfb
server_log=$(mktemp)
results=$(mktemp)
python3 scripts/serve_web.py build-web 0 >"$server_log" &
server_pid=$!
trap 'kill "$server_pid" "${viewer_pid:-}" "${xvfb_pid:-}" 2>/dev/null || true
      rm -f "$server_log" "$results" "$results.lines" "$results.lines.errors"' EXIT
until url=$(grep -o 'http://[^ ]*' "$server_log"); do sleep 0.1; done

echo "### The page's files"
echo
echo "| File | Bytes |"
echo "|---|---|"
for file in index.html textures.js textures.wasm armor.raw; do
    echo "| \`$file\` | $(stat -c %s "build-web/$file") |"
done
echo "| all but the picture | $(cd build-web && cat index.html textures.js textures.wasm | wc -c) |"

# Page loads, each in a fresh browser; then the frames.
for browser in chromium firefox; do
    for _ in $(seq "$loads"); do
        node bench/web_bench.mjs "$browser" "$url" 0 >>"$results"
    done
    node bench/web_bench.mjs "$browser" "$url" "$presses" >>"$results"
done
# The desktop viewer, pressed the same way.
start_viewer "$results.lines"
for _ in $(seq "$presses"); do
    lines=$(wc -l <"$results.lines")
    xdotool key --window "$window" 6 2>/dev/null
    wait_for_lines "$results.lines" $((lines + 1)) "a frame's line"
done
python3 - "$results" "$results.lines" "$presses" <<'REPORT'
import json, statistics, sys

runs = [json.loads(line) for line in open(sys.argv[1])]
desktop = [line.split()[1] for line in open(sys.argv[2]) if line.startswith("FPS: ")][1:]
presses = int(sys.argv[3])

print("\n### From navigation to the first frame's line, in ms\n")
print("| Browser | page loads | first frame: median | min | max "
      "| of which the page parsed (median) | then to the first frame (median) |")
print("|---|---|---|---|---|---|---|")
for browser in ("chromium", "firefox"):
    loads = [r for r in runs if r["browser"] == browser and not r["rates"]]
    times = [r["first_frame_ms"] for r in loads]
    parsed = statistics.median(r["parsed_ms"] for r in loads)
    ours = statistics.median(r["first_frame_ms"] - r["parsed_ms"] for r in loads)
    print(f"| {browser} | {len(times)} | {statistics.median(times):.0f} | {min(times):.0f} "
          f"| {max(times):.0f} | {parsed:.0f} | {ours:.0f} |")

def row(name, rates):
    rates = [float(r) for r in rates]
    times = sorted(1000 / r for r in rates if r > 0)  # ms; inf is a span under the clock's step
    pick = lambda q: times[min(len(times) - 1, int(q * len(times)))]
    print(f"| {name} | {len(rates)} | {sum(r == float('inf') for r in rates)} "
          f"| {times[0]:.3f} | {statistics.median(times):.3f} | {pick(0.99):.3f} "
          f"| {times[-1]:.3f} |")

print(f"\n### Issue times of {presses} frames (\"6\" in orbit mode), in ms\n")
print("| Where | lines | inf | min | median | p99 | max |")
print("|---|---|---|---|---|---|---|")
row("desktop viewer (Mesa llvmpipe, Xvfb)", desktop)
for r in runs:
    if r["rates"]:
        row(f"{r['browser']} (isolated: {str(r['isolated']).lower()})", r["rates"])
REPORT
