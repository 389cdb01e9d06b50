#!/usr/bin/env bash
# Builds what a user installs and leaves it in dist/:
#   textures_VERSION_amd64.deb            the viewer for Debian (CPack)
#   textures-VERSION-windows-x86_64.zip   one folder that runs where unpacked
#   textures-VERSION-web.zip              the web build's static folder
#   SHA256SUMS                            for the three
# The version is project()'s. Arguments go to CMake in all three builds.
# Installs whatever it needs that is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

# dpkg-shlibdeps (dpkg-dev) and file find the package's dependencies.
need_packages $build_packages dpkg-dev file
./scripts/windows.sh -DUSE_PACKED_TEXTURES=OFF "$@"
./scripts/web.sh -DUSE_PACKED_TEXTURES=OFF "$@"

# Debian's own compiler and linker flags, hardening included.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
build_into build-package -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" \
    -DTEXTURES_TESTS=OFF -DTEXTURES_BENCHMARKS=OFF -DUSE_PACKED_TEXTURES=OFF "$@" >/dev/null

rm -rf dist
mkdir dist
for folder in build-package build-windows build-web-cmake; do
    find "$folder" -maxdepth 1 \( -name '*.deb' -o -name '*.zip' \) -delete
    (cd "$folder" && cpack >/dev/null)
    find "$folder" -maxdepth 1 \( -name '*.deb' -o -name '*.zip' \) -exec cp {} dist/ \;
done
(cd dist && sha256sum -- *.deb *.zip >SHA256SUMS)
ls -1 dist
