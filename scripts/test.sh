#!/usr/bin/env bash
# Builds both variants of the viewer and runs the whole test suite of each
# through CTest, installing whatever the tests need that is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages coreutils libgtest-dev
start=$(date +%s)
for variant in 0 1; do
    folder=build$([ "$variant" = 1 ] && echo -packed || true)
    echo "== USE_PACKED_TEXTURES=$variant in $folder"
    build_into "$folder" -DUSE_PACKED_TEXTURES="$variant"
    ctest --test-dir "$folder" --output-on-failure -j "$(nproc)"
done
echo "all tests passed in $(($(date +%s) - start)) s"
