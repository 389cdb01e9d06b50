#!/usr/bin/env bash
# Checks the packages in the folder $1 with each ecosystem's own tools:
# lintian on the .deb of each architecture, its contents, metadata and
# dependencies and the machine its viewer is built for; desktop-file-validate
# and man on its desktop entry and manual page; the contents of both zips;
# every checksum. $2 is the source tree, whose project() gives the version
# and whose build-web/page/ is what the web zip holds.
set -euo pipefail
dist=$1
version=$(sed -n -E 's/^project\(textures VERSION ([0-9.]+).*/\1/p' "$2/CMakeLists.txt")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_same() { # what, expected, got
    [ "$2" = "$3" ] || fail "$1: expected
$2
got
$3"
}

for package in "$dist/textures-$version-windows-x86_64.zip" "$dist/textures-$version-web.zip"; do
    (cd "$dist" && sha256sum --quiet -c "$(basename "$package").sha256") ||
        fail "$package does not match its checksum"
done

# The .deb of each architecture, with the machine its viewer is built for.
# What lintian leaves in its temporary folder goes with ours.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
export TMPDIR=$unpacked
deb=$dist/textures_${version}_amd64.deb
for architecture_machine in amd64:X86-64 arm64:AArch64 armhf:ARM; do
    architecture=${architecture_machine%:*}
    package=$dist/textures_${version}_$architecture.deb
    echo "== $(basename "$package")"
    (cd "$dist" && sha256sum --quiet -c "$(basename "$package").sha256") ||
        fail "$package does not match its checksum"

    # lintian: no error and no warning; the information tags are shown.
    tags=$(lintian --display-level '>=info' "$package" 2>/dev/null)
    echo "${tags:-lintian: no tags}"
    grep -E '^(E|W): ' <<<"$tags" && fail "lintian reports errors or warnings on $package"

    expect_same "$architecture .deb contents" "\
/usr/bin/textures
/usr/share/applications/textures.desktop
/usr/share/doc/textures/changelog.gz
/usr/share/doc/textures/copyright
/usr/share/icons/hicolor/256x256/apps/textures.png
/usr/share/man/man1/textures.1.gz
/usr/share/textures/armor.raw" "$(dpkg-deb -c "$package" | awk '!/^d/ {print substr($6, 2)}' | sort)"
    expect_same "$architecture .deb version" "$version" "$(dpkg-deb -f "$package" Version)"
    expect_same "$architecture .deb architecture" "$architecture" "$(dpkg-deb -f "$package" Architecture)"
    # The same package, but for the architecture and what is read off its binary.
    fields="Package Section Priority Maintainer Description"
    expect_same "$architecture .deb metadata" "$(dpkg-deb -f "$deb" $fields)" \
        "$(dpkg-deb -f "$package" $fields)"
    # Computed from the binary: the C and C++ runtimes, OpenGL, GLU, GLUT.
    depends=$(dpkg-deb -f "$package" Depends)
    for library in libc6 libstdc++6 libopengl0 'libglu1-mesa | libglu1' libglut3.12; do
        grep -qF "$library" <<<"$depends" || fail "$architecture Depends lacks $library: $depends"
    done
    dpkg-deb -x "$package" "$unpacked/$architecture"
    machine=$(readelf -h "$unpacked/$architecture/usr/bin/textures" | sed -n 's/^ *Machine: *//p')
    grep -qF "${architecture_machine#*:}" <<<"$machine" ||
        fail "the $architecture viewer is built for $machine"
    expect_same "$architecture .deb files" "" \
        "$(diff -r "$unpacked/amd64/usr/share" "$unpacked/$architecture/usr/share" 2>&1)"
done

amd64=$unpacked/amd64
desktop-file-validate "$amd64/usr/share/applications/textures.desktop" ||
    fail "desktop-file-validate rejects the desktop entry"
grep -qx 'Path=/usr/share/textures' "$amd64/usr/share/applications/textures.desktop" ||
    fail "the desktop entry does not start the viewer where the picture is"
manual=$amd64/usr/share/man/man1/textures.1.gz
# In plain ASCII (the C locale, as in a container) and in UTF-8 the same
# characters take other widths, so the page is set in each.
for locale in C C.UTF-8; do
    warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
    expect_same "man --warnings in the $locale locale" "" "$warnings"
done
expect_same "the changelog's version" "textures ($version) unstable; urgency=medium" \
    "$(zcat "$amd64/usr/share/doc/textures/changelog.gz" | head -n 1)"
expect_same "the picture" "" "$(cmp "$amd64/usr/share/textures/armor.raw" "$2/data/armor.raw")"

zip_contents() { unzip -Z1 "$1" | sort; }
folder=textures-$version-windows-x86_64
expect_same "Windows zip" "\
$folder/LICENSE
$folder/README.md
$folder/armor.raw
$folder/textures.exe" "$(zip_contents "$dist/$folder.zip")"
folder=textures-$version-web
expect_same "web zip" "$(cd "$2/build-web/page" && find . -type f | sed "s|^\./|$folder/|" | sort)" \
    "$(zip_contents "$dist/$folder.zip")"

[ "$failures" -eq 0 ] && echo "the packages pass" || exit 1
