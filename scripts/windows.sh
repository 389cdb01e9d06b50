#!/usr/bin/env bash
# Cross-compiles the viewer for 64-bit Windows with MinGW-w64 (the
# "windows" workflow preset), against a static freeglut built from Debian's
# own freeglut source package, which it first fetches and builds into
# build-windows/freeglut/ where that has not been done. Leaves
# build-windows/textures.exe, which needs no DLL beside it, and the zip in
# dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages cmake make g++-mingw-w64-x86-64-posix dpkg-dev
freeglut=$PWD/build-windows/freeglut
if [ ! -f "$freeglut/install/lib/cmake/FreeGLUT/FreeGLUTConfig.cmake" ]; then
    # The source comes through an apt set-up of our own, whose deb-src
    # entries are derived from the machine's own sources: the system's
    # apt configuration stays as it is.
    apt_dir=$freeglut/apt
    rm -rf "$freeglut"
    mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial"
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -e "$file" ] && sed -E 's/^Types:.*/Types: deb-src/' "$file" >"$apt_dir/sources/$(basename "$file")"
    done
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -e "$file" ] && sed -n -E 's/^deb([[:space:]])/deb-src\1/p' "$file"
    done >"$apt_dir/sources/from-lists.list"
    apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources"
         -o Dir::State::Lists="$apt_dir/lists" -o APT::Sandbox::User="$(id -un)")
    # A source of the machine's that offers no deb-src need not stop us.
    "${apt[@]}" update || echo "textures: some deb-src entries failed; trying the others" >&2
    (cd "$freeglut" && "${apt[@]}" source freeglut >/dev/null)
    # Its own code's warnings are not ours to mend: -w.
    cmake -S "$freeglut"/freeglut-*/ -B "$freeglut/build" -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-w -DCMAKE_INSTALL_PREFIX="$freeglut/install" \
        -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF >/dev/null
    cmake --build "$freeglut/build" -j "$(nproc)" >/dev/null
    cmake --install "$freeglut/build" >/dev/null
fi
cmake --workflow --preset windows >/dev/null
echo "built build-windows/textures.exe and its zip in dist/"
