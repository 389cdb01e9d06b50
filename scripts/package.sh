#!/usr/bin/env bash
# usage: ./scripts/package.sh
# Installs what is missing of `install_packages.sh packages`, and builds
# every package into dist/ (docs/building.md#the-packages), each with its
# FILE.sha256, through the workflow presets windows, web, package,
# linux-arm64 and linux-armhf.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
counts 0 "$@"

need_job packages
./scripts/windows.sh
./scripts/web.sh
for workflow in package linux-arm64 linux-armhf; do
    cmake --workflow --preset $workflow >/dev/null
done
ls -1 dist/*.deb dist/*.zip
