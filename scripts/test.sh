#!/usr/bin/env bash
# Builds the viewer four ways, the default 8-bit textures, the packed 4-bit
# variant, the default under AddressSanitizer and UBSan, and the default
# with Clang, and runs the test suite of each through CTest; cross-compiles
# it for Windows and runs that under Wine, builds it for the browser and
# runs that in Chromium and Firefox, and checks the packages that these
# builds make. Installs whatever the tests need that is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages $test_packages $browser_packages \
    $package_check_packages clang wine wine64
need_node_modules
start=$(date +%s)
# Warnings fail every build.
warnings=-DCMAKE_COMPILE_WARNING_AS_ERROR=ON
# The packages, built for 8-bit textures as the first suite is. Its Windows
# and web tests run what a user unpacks from the zips; the packed web build
# has a test of its own there.
./scripts/package.sh $warnings
./scripts/web.sh --into build-web-packed $warnings -DUSE_PACKED_TEXTURES=ON
rm -rf build-unpacked
for zip in dist/*.zip; do
    unzip -q "$zip" -d build-unpacked
done
run_suite() {
    local folder=$1
    shift
    echo "== $folder: $*"
    build_into "$folder" $warnings -DTEXTURES_TESTS=ON -DTEXTURES_BENCHMARKS=ON "$@"
    ctest --test-dir "$folder" --output-on-failure -j "$(nproc)"
}
run_suite build -DUSE_PACKED_TEXTURES=OFF -DTEXTURES_SANITIZE=OFF \
    -DTEXTURES_WINDOWS_EXECUTABLE="$(echo "$PWD"/build-unpacked/*-windows-*/textures.exe)" \
    -DTEXTURES_WEB_FOLDER="$(echo "$PWD"/build-unpacked/textures-*-web)" \
    -DTEXTURES_WEB_PACKED_FOLDER="$PWD/build-web-packed" -DTEXTURES_DIST_FOLDER="$PWD/dist"
run_suite build-packed -DUSE_PACKED_TEXTURES=ON -DTEXTURES_SANITIZE=OFF
run_suite build-sanitize -DUSE_PACKED_TEXTURES=OFF -DTEXTURES_SANITIZE=ON

echo "== build-clang: the program with its unit and GL tests, built by Clang"
build_into build-clang $warnings -DCMAKE_CXX_COMPILER=clang++ -DTEXTURES_TESTS=ON -DTEXTURES_BENCHMARKS=OFF
ctest --test-dir build-clang --output-on-failure -j "$(nproc)" -L '^(unit|gl)$'
echo "all tests passed in $(($(date +%s) - start)) s"
