#!/usr/bin/env bash
# Builds the viewer three ways, the default 8-bit textures, the packed 4-bit
# variant, and the default under AddressSanitizer and UBSan, and runs the
# whole test suite of each through CTest; installs whatever the tests need
# that is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages coreutils libx11-dev libgtest-dev libbenchmark-dev valgrind
start=$(date +%s)
run_suite() {
    local folder=$1
    shift
    echo "== $folder: $*"
    build_into "$folder" "$@"
    ctest --test-dir "$folder" --output-on-failure -j "$(nproc)"
}
run_suite build -DUSE_PACKED_TEXTURES=0 -DTEXTURES_SANITIZE=OFF
run_suite build-packed -DUSE_PACKED_TEXTURES=1 -DTEXTURES_SANITIZE=OFF
run_suite build-sanitize -DUSE_PACKED_TEXTURES=0 -DTEXTURES_SANITIZE=ON
echo "all tests passed in $(($(date +%s) - start)) s"
