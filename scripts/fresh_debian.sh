#!/usr/bin/env bash
# Tries the project as a new user would, as root on a freshly bootstrapped
# Debian 12 (debootstrap's minimal variant, in a chroot under build-fresh/,
# with the bookworm, bookworm-updates and bookworm-security suites).
#
#   fresh_debian.sh --deb [ARCHITECTURE]
#                                installs dist/'s .deb of the architecture
#                                (amd64, arm64 or armhf; amd64 by default)
#                                with apt-get, the architecture added to
#                                dpkg's; starts textures in
#                                /usr/share/textures on Xvfb (an ARM one
#                                through qemu-user); waits for its first
#                                frame's line and saves the frame as
#                                build-fresh/deb-first-frame-ARCHITECTURE.png
#   fresh_debian.sh [--record] COMMAND...
#                                runs the command in a copy of this commit's
#                                tree there (./scripts/test.sh, say); with
#                                --record, writes the time it took into
#                                docs/testing.md
#
# Every run starts from the same untouched system; the bootstrap itself is
# kept in build-fresh/base.tar for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
record=false
[ "${1:-}" = --record ] && record=true && shift
[ $# -gt 0 ] || { echo "usage: $0 --deb [ARCHITECTURE] | [--record] COMMAND..." >&2; exit 2; }

need_packages debootstrap
mirror=$(debian_mirror)
mkdir -p build-fresh
if [ ! -f build-fresh/base.tar ]; then
    rm -rf build-fresh/base
    debootstrap --variant=minbase bookworm build-fresh/base "$mirror" >&2
    cat >build-fresh/base/etc/apt/sources.list <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror%/debian}/debian-security bookworm-security main
SOURCES
    tar -C build-fresh/base -cf build-fresh/base.tar .
    rm -rf build-fresh/base
fi

root=$PWD/build-fresh/root
cleanup() {
    for mount in dev sys proc; do
        umount -R -l "$root/$mount" 2>/dev/null || true
    done
}
trap cleanup EXIT
cleanup
rm -rf "$root"
mkdir -p "$root"
tar -C "$root" -xf build-fresh/base.tar
mount --rbind /proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
# The machine's own network set-up: its name servers, and the certificate
# authorities it adds to Debian's (a proxy's, say), which npm then needs.
cp /etc/resolv.conf "$root/etc/resolv.conf"
if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null; then
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
fi
mkdir -p "$root/root/textures"
git archive HEAD | tar -C "$root/root/textures" -x

if [ "$1" != --deb ]; then
    exec_in="cd /root/textures && $(printf "%q " "$@")"
else
    architecture=${2:-amd64}
    deb=$(ls dist/textures_*_"$architecture".deb)
    cp "$deb" "$root/root/"
    # An ARM viewer runs through qemu-user, its lines coming as it prints
    # them through its own architecture's libstdbuf.so, from the target's
    # root that the ARM builds use.
    viewer=textures
    case $architecture in
    arm64) emulator=qemu-aarch64 ;;
    armhf) emulator=qemu-arm ;;
    *) emulator= ;;
    esac
    if [ -n "$emulator" ]; then
        cp "$(scripts/target_root.sh "$architecture")/root/usr/libexec/coreutils/libstdbuf.so" "$root/root/"
        # qemu-user takes the path of the program, not its name.
        viewer="$emulator -E LD_PRELOAD=/root/libstdbuf.so /usr/bin/textures"
    fi
    exec_in="
set -e
export DEBIAN_FRONTEND=noninteractive
dpkg --add-architecture $architecture
# An index that a mirror serves stale is left out, as apt leaves it; the
# install says so where it needed it.
apt-get update -qq || true
apt-get install -y -qq /root/$(basename "$deb") >/dev/null
# Only what the check itself needs besides: a virtual X server and a
# screenshot, and for an ARM viewer qemu-user.
apt-get install -y -qq xvfb xauth x11-apps imagemagick ${emulator:+qemu-user} >/dev/null
cd /root/textures
. scripts/common.sh
on_display bash -c '. scripts/common.sh
    first_frame /root/first-frame.png /tmp/lines /usr/share/textures $viewer && kill \$viewer_pid'
head -n 1 /tmp/lines"
fi
start=$(date +%s)
chroot "$root" /bin/bash -c "$exec_in"
if $record; then
    taken=$(($(date +%s) - start))
    echo "\`$*\` on a fresh Debian 12: $((taken / 60)) min $((taken % 60)) s, installs included" \
        "($(measured_on))." | write_figures docs/testing.md fresh-time
fi
if [ "$1" = --deb ]; then
    shot=build-fresh/deb-first-frame-$architecture.png
    cp "$root/root/first-frame.png" "$shot"
    echo "the installed viewer's first frame: $shot"
fi
