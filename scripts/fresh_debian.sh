#!/usr/bin/env bash
# usage: ./scripts/fresh_debian.sh [--release 12|13] --deb [ARCHITECTURE]
#        ./scripts/fresh_debian.sh [--release 12|13] [--record] COMMAND...
#
# Tries the project as a new user would, as root on a freshly made Debian
# 12 or 13 (mmdebstrap's minbase variant, in a chroot under build-fresh/,
# with the release's own, updates and security archives). What it runs
# gets the environment CI gives: PATH, HOME, CI=true and the machine's
# certificate variables, and nothing else (no LANG, no terminal, no
# display). It runs as root, and installs mmdebstrap where it is missing.
#   --deb [ARCHITECTURE]         installs dist/'s .deb of the architecture
#                                (amd64, arm64 or armhf; amd64 by default)
#                                with apt-get, the architecture added to
#                                dpkg's; starts textures in
#                                /usr/share/textures on Xvfb (an ARM one
#                                through qemu-user); waits for its first
#                                frame's line and saves the frame as
#                                build-fresh/deb-first-frame-RELEASE-ARCHITECTURE.png
#   COMMAND...                   runs the command in a copy of this commit's
#                                tree there (./scripts/test.sh, say); with
#                                --record, writes the time it took into
#                                docs/testing.md
#
# The release is 12 by default. Every run starts from the same untouched
# system, kept in build-fresh/base-RELEASE.tar for the next run, and fails
# where the command leaves anything in /tmp.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
release=12
record=false
while [ $# -gt 0 ]; do
    case $1 in
    -h | --help) usage && exit 0 ;;
    --release) release=${2:-} && shift $(($# < 2 ? 1 : 2)) ;;
    --record) record=true && shift ;;
    --deb | [!-]*) break ;;
    *) bad_usage "no option $1" ;;
    esac
done
[ $# -gt 0 ] || bad_usage "no command"
[[ $release =~ ^1[23]$ ]] || bad_usage "no release \"$release\": 12 or 13"
suite=$(debian_codename "$release")
[ "$(id -u)" = 0 ] || fail "this needs root, for chroot and its mounts"
find_missing mmdebstrap
[ ${#missing[@]} = 0 ] || install_missing
mirror=$(debian_mirror)
base=build-fresh/base-$release.tar
mkdir -p build-fresh
[ -f "$base" ] || mmdebstrap --variant=minbase "$suite" "$base" "deb $mirror $suite main" \
    "deb $mirror $suite-updates main" "deb ${mirror%/debian}/debian-security $suite-security main" >&2

# One root a release, so that both releases can be tried at once.
root=$PWD/build-fresh/root-$release
cleanup() {
    for mount in dev sys proc; do
        umount -R -l "$root/$mount" 2>/dev/null || true
    done
}
trap cleanup EXIT
cleanup
rm -rf "$root"
mkdir -p "$root"
tar -C "$root" -xf "$base"
mount --rbind /proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
# The machine's own network set-up: its name servers, the certificate
# authorities it adds to Debian's (a proxy's, say), and the variables that
# name its certificates, their files copied in where the root lacks them.
cp /etc/resolv.conf "$root/etc/resolv.conf"
if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null; then
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
fi
environment=(PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root CI=true)
for name in SSL_CERT_FILE NODE_EXTRA_CA_CERTS REQUESTS_CA_BUNDLE CURL_CA_BUNDLE; do
    file=${!name:-}
    [ -f "$file" ] || continue
    [ -e "$root$file" ] || { mkdir -p "$root$(dirname "$file")" && cp "$file" "$root$file"; }
    environment+=("$name=$file")
done
mkdir -p "$root/root/textures"
git archive HEAD | tar -C "$root/root/textures" -x
# X's socket folder, as systemd-tmpfiles makes it on a booted system.
mkdir -m 1777 "$root/tmp/.X11-unix"

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
apt-get install -y -qq $virtual_x_packages ${emulator:+qemu-user} >/dev/null
cd /root/textures
. scripts/common.sh
on_display bash -c '. scripts/common.sh
    first_frame /root/first-frame.png /root/lines /usr/share/textures $viewer && kill \$viewer_pid'
head -n 1 /root/lines"
fi
start=$(date +%s)
chroot "$root" /usr/bin/env -i "${environment[@]}" /bin/bash -c "$exec_in"
taken=$(($(date +%s) - start))
left=$(ls -A "$root/tmp" | grep -vx .X11-unix || true)
[ -z "$left" ] || fail "the command left in /tmp: $(tr '\n' ' ' <<<"$left")"
if $record; then
    echo "\`$*\` on a fresh Debian $release: $((taken / 60)) min $((taken % 60)) s, installs included" \
        "($(measured_on))." | write_figures docs/testing.md "fresh-time-$release"
fi
if [ "$1" = --deb ]; then
    shot=build-fresh/deb-first-frame-$release-$architecture.png
    cp "$root/root/first-frame.png" "$shot"
    echo "the installed viewer's first frame: $shot"
fi
