#!/usr/bin/env bash
# Builds what a user installs and leaves it in dist/, each package with a
# FILE.sha256 beside it:
#   textures_VERSION_amd64.deb            the viewer for Debian, built against
#                                         this machine's release
#   textures_VERSION_arm64.deb            the same for 64-bit ARM, built
#                                         against the release that
#                                         scripts/target_root.sh unpacks
#   textures_VERSION_armhf.deb            as arm64, for 32-bit ARM
#   textures-VERSION-windows-x86_64.zip   one folder that runs where unpacked
#   textures-VERSION-web.zip              the web build's static folder
# through the workflow presets windows, web, package, linux-arm64 and
# linux-armhf. The version is project()'s. Installs whatever it needs that
# is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $cross_packages $deb_packages
./scripts/windows.sh
./scripts/web.sh
for workflow in package linux-arm64 linux-armhf; do
    cmake --workflow --preset $workflow >/dev/null
done
ls -1 dist/*.deb dist/*.zip
