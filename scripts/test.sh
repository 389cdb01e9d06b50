#!/usr/bin/env bash
# Installs whatever the tests need that is missing, then runs the workflow
# presets: the packages (windows, web, package) and the packed web page
# (web-packed) first, for the default build's Windows, web and package
# tests; then the default build with every test (full), the packed variant
# and the sanitizer build with theirs, and Clang with the unit and GL tests.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages $test_packages $browser_packages \
    $package_check_packages clang wine wine64
need_node_modules
start=$(date +%s)
./scripts/package.sh
for workflow in web-packed full packed sanitize clang; do
    echo "== $workflow"
    cmake --workflow --preset "$workflow"
done
echo "all tests passed in $(($(date +%s) - start)) s"
