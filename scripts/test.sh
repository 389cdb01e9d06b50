#!/usr/bin/env bash
# Builds the viewer four ways, the default 8-bit textures, the packed 4-bit
# variant, the default under AddressSanitizer and UBSan, and the default
# with Clang, and runs the test suite of each through CTest; cross-compiles
# it for Windows and runs that under Wine too. Installs whatever the tests
# need that is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages $test_packages clang wine wine64
start=$(date +%s)
# The Windows tests compare with the 8-bit textures of the first suite.
./scripts/windows.sh -DUSE_PACKED_TEXTURES=OFF

# Warnings fail every build.
warnings=-DCMAKE_COMPILE_WARNING_AS_ERROR=ON
run_suite() {
    local folder=$1
    shift
    echo "== $folder: $*"
    build_into "$folder" $warnings -DTEXTURES_TESTS=ON -DTEXTURES_BENCHMARKS=ON "$@"
    ctest --test-dir "$folder" --output-on-failure -j "$(nproc)"
}
run_suite build -DUSE_PACKED_TEXTURES=OFF -DTEXTURES_SANITIZE=OFF \
    -DTEXTURES_WINDOWS_EXECUTABLE="$PWD/build-windows/textures.exe"
run_suite build-packed -DUSE_PACKED_TEXTURES=ON -DTEXTURES_SANITIZE=OFF
run_suite build-sanitize -DUSE_PACKED_TEXTURES=OFF -DTEXTURES_SANITIZE=ON

echo "== build-clang: the program with its unit and GL tests, built by Clang"
build_into build-clang $warnings -DCMAKE_CXX_COMPILER=clang++ -DTEXTURES_TESTS=ON -DTEXTURES_BENCHMARKS=OFF
ctest --test-dir build-clang --output-on-failure -j "$(nproc)" -L '^(unit|gl)$'
echo "all tests passed in $(($(date +%s) - start)) s"
