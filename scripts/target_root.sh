#!/usr/bin/env bash
# usage: scripts/target_root.sh arm64|armhf
# Prints the folder of a Debian of the architecture (the release that
# `release` names) for the cross builds, made first where missing:
#   root/   its freeglut, GLU and Mesa, unpacked by mmdebstrap (nothing is
#           run, this machine's dpkg untouched): CMAKE_SYSROOT, qemu's -L;
#   dpkg/   their dpkg database, for dpkg-shlibdeps.
# One folder an architecture in ~/.cache/textures/roots/, shared by every
# checkout, made anew where the release or the packages change; its path
# stays, as the builds' caches hold paths into it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
take_options "" "$@"
[[ $# = 1 && $1 =~ ^arm(64|hf)$ ]] && architecture=$1 || bad_usage "one architecture: arm64 or armhf"

# coreutils for the target's libstdbuf.so, which the ARM tests preload.
packages=$(tr ' ' , <<<"$gl_packages coreutils")
# The release the packages are built for: the dependencies read off it are
# floors, which its updates and the later releases meet. Its first suite
# alone, for one index fewer that a mirror can serve stale.
release=12
suite=$(debian_codename "$release")
cache=$cache/roots
key="$suite $packages"
folder=$cache/$architecture
if [ "$(cat "$folder/done" 2>/dev/null)" = "$key" ]; then
    echo "$folder"
    exit 0
fi

command -v mmdebstrap >/dev/null ||
    fail "the $architecture build needs mmdebstrap: ./scripts/install_packages.sh arm installs it"
mkdir -p "$cache"
exec 9>"$cache/lock"
flock 9
if [ "$(cat "$folder/done" 2>/dev/null)" != "$key" ]; then
    echo "textures: unpacking Debian $release for $architecture into $folder" >&2
    # A root of another release or list is no longer of use, nor are those
    # of the earlier layout, a folder for each list.
    rm -rf "$folder" "$folder"-* "$cache/partial"
    mkdir -p "$cache/partial/dpkg/info" "$cache/partial/dpkg/updates"
    root=$folder/root
    output=$(mmdebstrap --variant=extract --architectures="$architecture" \
        --include="$packages" --skip=cleanup/apt/cache "$suite" "$cache/partial/root" \
        "$(debian_mirror)" 2>&1) ||
        fail "cannot unpack Debian $release for $architecture: $(grep -m1 '^E: ' <<<"$output" | sed 's/^E: //')"
    # dpkg's own layout: a status entry, a file list and the shared
    # libraries' symbols for each package, Multi-Arch: same ones under
    # name:architecture.
    echo 1 >"$cache/partial/dpkg/info/format"
    control=$cache/partial/control
    for deb in "$cache/partial/root/var/cache/apt/archives/"*.deb; do
        name=$(dpkg-deb -f "$deb" Package)
        [ "$(dpkg-deb -f "$deb" Multi-Arch)" = same ] && name+=:$(dpkg-deb -f "$deb" Architecture)
        { dpkg-deb -f "$deb"; echo "Status: install ok installed"; echo; } >>"$cache/partial/dpkg/status"
        dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n "s|^\./\(.\)|$root/\1|p" | sed 's|/$||' \
            >"$cache/partial/dpkg/info/$name.list"
        rm -rf "$control"
        dpkg-deb -e "$deb" "$control"
        for file in symbols shlibs; do
            [ ! -f "$control/$file" ] || cp "$control/$file" "$cache/partial/dpkg/info/$name.$file"
        done
        rm "$deb"
    done
    rm -rf "$control"
    echo "$key" >"$cache/partial/done"
    mv "$cache/partial" "$folder"
fi
echo "$folder"
