#!/usr/bin/env bash
# What the build promises its users: the packed-texture switch takes every
# spelling of a CMake boolean and refuses anything else, and an install
# puts the viewer and its picture where the README says.
#   build_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The value the compiler is given for the switch, after configuring with
# the arguments.
switch_seen() {
    cmake -S "$source" -B "$work/build" -DTEXTURES_TESTS=OFF -DTEXTURES_BENCHMARKS=OFF "$@" >/dev/null || return 1
    sed -n 's/.*-DUSE_PACKED_TEXTURES=\([^ ]*\).*/\1/p' "$work/build/CMakeFiles/textures_core.dir/flags.make"
}
expect_switch() { # spelling, value
    [ "$(switch_seen -DUSE_PACKED_TEXTURES="$1")" = "$2" ] ||
        { echo "USE_PACKED_TEXTURES=$1 does not give $2"; exit 1; }
}

[ "$(switch_seen)" = 0 ] || { echo "the packed variant is not off by default"; exit 1; }
for spelling in ON on 1 TRUE true YES yes Y; do
    expect_switch "$spelling" 1
done
for spelling in OFF off 0 FALSE false NO no N; do
    expect_switch "$spelling" 0
done
if switch_seen -DUSE_PACKED_TEXTURES=packed >"$work/log" 2>&1; then
    echo "USE_PACKED_TEXTURES=packed was taken"
    exit 1
fi
grep -q 'give ON or OFF' "$work/log" || { cat "$work/log"; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
[ -x "$work/prefix/bin/textures" ] || { echo "no bin/textures installed"; exit 1; }
cmp "$work/prefix/share/textures/armor.raw" "$source/data/armor.raw"
echo "switch spellings and install layout as documented"
