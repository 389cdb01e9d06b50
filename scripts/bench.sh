#!/usr/bin/env bash
# usage: ./scripts/bench.sh [REPETITIONS] [PRESSES]
# Installs what is missing of `install_packages.sh benchmarks`; runs the
# benchmark suite REPETITIONS times (10) and the frame-rate report over
# PRESSES key presses (300), on the display or else on Xvfb, for both
# variants; writes their tables into docs/benchmarks.md.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
counts 2 "$@"

need_job benchmarks
for preset in default packed; do
    folder=build$([ "$preset" = packed ] && echo -packed || true)
    cmake --preset "$preset" -DTEXTURES_BENCHMARKS=ON >/dev/null
    cmake --build --preset "$preset" >/dev/null
    echo "== benchmarks: $preset"
    rm -rf "$folder/bench/results" && mkdir -p "$folder/bench/results"
    # Interleaved repetitions, so that a busy moment spreads over all. The
    # frames and their bare loop in a process of their own: after a long
    # glBegin/glEnd pair or one more upload, which the viewer never makes,
    # llvmpipe issues the same quads several times faster.
    run=0
    for filter in 'draw_grid|bare_loop' 'one_texture' 'load|reads|upload|pack|copy'; do
        run=$((run + 1))
        "$folder/bench/frame_bench" --benchmark_filter="$filter" --benchmark_repetitions="${1:-10}" \
            --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
            --benchmark_min_time=0.2 --benchmark_out="$PWD/$folder/bench/results/$run.json" \
            --benchmark_out_format=json | grep -E '_median|_cv'
    done
    on_display "$folder/bench/frame_report" "${2:-300}"
done
tables=$(python3 bench/tables.py build build-packed)
echo "Measured $(measured_on), by \`scripts/bench.sh\`, RelWithDebInfo builds;
$tables" | write_figures docs/benchmarks.md desktop
echo "wrote the tables into docs/benchmarks.md"
