#!/usr/bin/env bash
# Runs the benchmark suite and the frame-rate report for both variants.
#   scripts/bench.sh [repetitions, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

repetitions=${1:-10}
need_packages $build_packages $virtual_x_packages $test_packages
for variant in 0 1; do
    folder=build$([ "$variant" = 1 ] && echo -packed || true)
    build_into "$folder" -DUSE_PACKED_TEXTURES="$variant" -DTEXTURES_TESTS=ON -DTEXTURES_BENCHMARKS=ON >/dev/null
    echo "== benchmarks, USE_PACKED_TEXTURES=$variant"
    # Interleaved repetitions, so that a busy moment of the machine spreads
    # over all benchmarks rather than landing on one. The viewer's frames
    # and their bare loop run in a process of their own: once a single long
    # glBegin/glEnd pair has been drawn, or one more texture uploaded,
    # llvmpipe issues the same 72 quads several times faster, and the
    # viewer does neither.
    for set in 'draw_grid|bare_loop' 'one_texture' 'load|reads|upload|pack|copy'; do
        "$folder/bench/frame_bench" --benchmark_filter="$set" --benchmark_repetitions="$repetitions" \
            --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
            --benchmark_min_time=0.2 | grep -E '_median|_cv|variant'
    done
    ./scripts/frame_report.sh "$folder"
done
