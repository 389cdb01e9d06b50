#!/usr/bin/env bash
# usage: ./scripts/windows.sh
# Installs what is missing of `install_packages.sh windows`, and
# cross-compiles the viewer for 64-bit Windows with MinGW-w64 (the workflow
# preset windows) against a static freeglut that it builds from Debian's
# source package into build-windows/freeglut/ where missing. Leaves
# build-windows/textures.exe, which needs no DLL, and its zip in dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
counts 0 "$@"

need_job windows
# Debian 12's freeglut whatever this machine's release, so that the zip's
# is the same wherever it is built.
freeglut_release=$(debian_codename 12)
freeglut_version=3.4.0-1
freeglut=$PWD/build-windows/freeglut
if [ ! -f "$freeglut/install/lib/cmake/FreeGLUT/FreeGLUTConfig.cmake" ]; then
    # Through an apt set-up of our own, so that the system's stays as it is.
    apt_dir=$freeglut/apt
    rm -rf "$freeglut"
    mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial"
    echo "deb-src $(debian_mirror) $freeglut_release main" >"$apt_dir/sources/freeglut.list"
    apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources"
         -o Dir::State::Lists="$apt_dir/lists" -o APT::Sandbox::User="$(id -un)")
    "${apt[@]}" update
    (cd "$freeglut" && "${apt[@]}" source "freeglut=$freeglut_version" >/dev/null)
    # Its warnings are not ours to mend: -w, -Wno-deprecated.
    cmake -S "$freeglut"/freeglut-*/ -B "$freeglut/build" -Wno-deprecated \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-w -DCMAKE_INSTALL_PREFIX="$freeglut/install" \
        -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF >/dev/null
    cmake --build "$freeglut/build" -j "$(nproc)" >/dev/null
    cmake --install "$freeglut/build" >/dev/null
fi
cmake --workflow --preset windows >/dev/null
echo "built build-windows/textures.exe and its zip in dist/"
