#!/usr/bin/env bash
# Installs whatever the tests need that is missing, then runs the workflow
# presets: the packages (windows, web, package, linux-arm64, linux-armhf)
# and the packed web page (web-packed) first, for the default build's
# Windows, web and package tests; then the default build with every test
# (full), the ARM viewers in its desktop tests through qemu (the test
# presets linux-arm64 and linux-armhf), the packed variant and the
# sanitizer build with theirs, and Clang with the unit and GL tests.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages $test_packages $browser_packages \
    $package_check_packages clang wine wine64
need_node_modules
need_cross_packages
for architecture in $cross_architectures; do
    need_target_stdbuf "$architecture" "build-linux-$architecture"
done
start=$(date +%s)
./scripts/package.sh
cmake --workflow --preset web-packed
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
# The default build's tests mostly wait for frames and pages: the variants
# build meanwhile, on what the processor has left over.
variants="packed sanitize clang"
nice -n 19 bash -c "for v in $variants; do cmake --preset \$v && cmake --build --preset \$v; done" \
    >build/variants.log 2>&1 &
builds=$!
echo "== full"
cmake --workflow --preset full
for architecture in $cross_architectures; do
    echo "== linux-$architecture"
    ctest --preset "linux-$architecture"
done
wait "$builds" || { cat build/variants.log; exit 1; }
for workflow in $variants; do
    echo "== $workflow"
    cmake --workflow --preset "$workflow"
done
echo "all tests passed in $(($(date +%s) - start)) s"
