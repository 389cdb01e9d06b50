#!/usr/bin/env bash
# Frame-rate report for the real viewer: starts it on the shipped picture
# (on the user's display, or on Xvfb where there is none), makes it draw a
# few hundred frames with key presses, and prints the statistics of its
# "FPS:" lines, the rate of frames actually drawn and the start-up time to
# the first frame beside that of a bare GLUT window doing the same uploads.
# A histogram of the per-frame issue times goes to a PNG.
#   scripts/frame_report.sh [build folder, default build] [key presses, default 300]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

folder=${1:-build}
presses=${2:-300}
need_packages $build_packages $virtual_x_packages $test_packages gnuplot-nox
variant=0
[[ $folder == *packed* ]] && variant=1
build_into "$folder" -DUSE_PACKED_TEXTURES=$variant -DTEXTURES_TESTS=ON -DTEXTURES_BENCHMARKS=ON >/dev/null
[ -n "${DISPLAY:-}" ] || start_xvfb
report=$PWD/$folder/frame-report
mkdir -p "$report"
trap 'kill ${viewer_PID:-} ${xvfb_pid:-} 2>/dev/null || true' EXIT

# Starts a program in data/ and sets started_at and first_at: the times of
# its start and of its first line, in seconds.
start_program() {
    started_at=$EPOCHREALTIME
    coproc viewer { cd data && exec stdbuf -oL "$@"; }
    read -r -t 60 first_line <&"${viewer[0]}"
    first_at=$EPOCHREALTIME
}

stop_program() {
    kill "$viewer_PID" 2>/dev/null || true
    wait "$viewer_PID" 2>/dev/null || true
    # Let the window go before the next program looks for its own.
    for _ in $(seq 100); do
        [ -z "$(xdotool search --name '^textures$' 2>/dev/null)" ] && break
        sleep 0.02
    done
}

calc() { awk "BEGIN { print $1 }"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Start-up times of the viewer and of the bare window, taken in turn so
# that a busy moment of the machine falls on both; medians of nine.
: >"$report/startup.txt"
for _ in $(seq 9); do
    for program in textures bench/bare_window; do
        start_program "$PWD/$folder/$program"
        echo "$program $(calc "$first_at - $started_at")" >>"$report/startup.txt"
        stop_program
    done
done
viewer_startup=$(awk '$1 == "textures" { print $2 }' "$report/startup.txt" | median)
bare_startup=$(awk '$1 == "bench/bare_window" { print $2 }' "$report/startup.txt" | median)

# The frames: orbit round the grid with the keys, one line a frame.
start_program "$PWD/$folder/textures"
window=$(viewer_window "$viewer_PID" /dev/null)
while read -r -t 1 _ <&"${viewer[0]}"; do :; done
: >"$report/lines.txt"
keys_at=$EPOCHREALTIME
xdotool key --delay 4 --window "$window" $(printf '6 %.0s' $(seq "$presses")) 2>/dev/null &
last_at=$keys_at
while read -r -t 2 line <&"${viewer[0]}"; do
    last_at=$EPOCHREALTIME
    echo "$line" >>"$report/lines.txt"
done
stop_program

frames=$(grep -c '^FPS: ' "$report/lines.txt")
awk '$1 == "FPS:" && $2 != "inf" { printf "%.6f %s\n", 1000 / $2, $2 }' "$report/lines.txt" |
    sort -g >"$report/issue_ms.txt"
stats() { # column of issue_ms.txt, label
    sort -g -k"$1" "$report/issue_ms.txt" | awk -v c="$1" -v what="$2" '
        { v[NR] = $c }
        END {
            p1 = int(NR * 0.01) + 1
            p99 = int(NR * 0.99) + 1
            if (p99 > NR) p99 = NR
            printf "%-16s count %d  min %.4f  p1 %.4f  median %.4f  p99 %.4f  max %.4f\n",
                what, NR, v[1], v[p1], v[int((NR + 1) / 2)], v[p99], v[NR]
        }'
}

echo "frame-rate report: $folder (USE_PACKED_TEXTURES=$variant), $presses key presses"
stats 1 "issue time (ms)"
stats 2 "rate (FPS line)"
printf 'frames drawn: %d, %.1f per second of wall clock\n' "$frames" "$(calc "$frames / ($last_at - $keys_at)")"
printf 'start-up to first frame: %.3f s (bare GLUT window with the same 72 uploads: %.3f s, ratio %.2f)\n' \
    "$viewer_startup" "$bare_startup" "$(calc "$viewer_startup / $bare_startup")"

# Forty bins across the range seen.
bin=$(awk 'NR == 1 { low = $1 } { high = $1 } END { w = (high - low) / 40; print (w > 0 ? w : 0.001) }' \
    "$report/issue_ms.txt")
gnuplot <<GNUPLOT
set terminal png size 800,480
set output "$report/issue-times.png"
set title "Issue time of the grid per frame ($folder, $frames frames)"
set xlabel "issue time (ms)"
set ylabel "frames"
set style fill solid 0.6
bin = $bin
set boxwidth bin
binned(x) = bin * floor(x / bin) + bin / 2
plot "$report/issue_ms.txt" using (binned(\$1)):(1) smooth frequency with boxes notitle
GNUPLOT
echo "histogram: $report/issue-times.png"
