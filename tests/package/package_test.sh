#!/usr/bin/env bash
# Checks the packages in the folder $1 with each ecosystem's own tools:
# lintian, desktop-file-validate and man on the .deb, its contents and
# dependencies, the contents of both zips and their checksums. $2 is the
# source tree, whose project() gives the version.
set -euo pipefail
dist=$1
version=$(sed -n -E 's/^project\(textures VERSION ([0-9.]+).*/\1/p' "$2/CMakeLists.txt")
deb=$dist/textures_${version}_amd64.deb
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_same() { # what, expected, got
    [ "$2" = "$3" ] || fail "$1: expected
$2
got
$3"
}

for package in "$deb" "$dist/textures-$version-windows-x86_64.zip" "$dist/textures-$version-web.zip"; do
    (cd "$dist" && sha256sum --quiet -c "$(basename "$package").sha256") ||
        fail "$package does not match its checksum"
done

# lintian: no error and no warning; the information tags are shown.
tags=$(lintian --display-level '>=info' "$deb" 2>/dev/null)
echo "${tags:-lintian: no tags}"
grep -E '^(E|W): ' <<<"$tags" && fail "lintian reports errors or warnings"

expect_same ".deb contents" "\
/usr/bin/textures
/usr/share/applications/textures.desktop
/usr/share/doc/textures/changelog.gz
/usr/share/doc/textures/copyright
/usr/share/icons/hicolor/256x256/apps/textures.png
/usr/share/man/man1/textures.1.gz
/usr/share/textures/armor.raw" "$(dpkg-deb -c "$deb" | awk '!/^d/ {print substr($6, 2)}' | sort)"
expect_same ".deb version" "$version" "$(dpkg-deb -f "$deb" Version)"
# Computed from the binary: the C and C++ runtimes, OpenGL, GLU, GLUT.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libopengl0 'libglu1-mesa | libglu1' libglut3.12; do
    grep -qF "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/textures.desktop" ||
    fail "desktop-file-validate rejects the desktop entry"
grep -qx 'Path=/usr/share/textures' "$unpacked/usr/share/applications/textures.desktop" ||
    fail "the desktop entry does not start the viewer where the picture is"
manual=$unpacked/usr/share/man/man1/textures.1.gz
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
expect_same "man --warnings" "" "$warnings"
expect_same "the changelog's version" "textures ($version) unstable; urgency=medium" \
    "$(zcat "$unpacked/usr/share/doc/textures/changelog.gz" | head -n 1)"
expect_same "the picture" "" "$(cmp "$unpacked/usr/share/textures/armor.raw" "$2/data/armor.raw")"

zip_contents() { unzip -Z1 "$1" | sort; }
folder=textures-$version-windows-x86_64
expect_same "Windows zip" "\
$folder/LICENSE
$folder/README.md
$folder/armor.raw
$folder/textures.exe" "$(zip_contents "$dist/$folder.zip")"
folder=textures-$version-web
expect_same "web zip" "\
$folder/armor.raw
$folder/chart.js
$folder/drag.js
$folder/icon-192.png
$folder/icon-512.png
$folder/index.html
$folder/keys.js
$folder/manifest.webmanifest
$folder/page.css
$folder/page.js
$folder/panel.js
$folder/picture.js
$folder/runs.js
$folder/sw.js
$folder/textures.js
$folder/textures.wasm" "$(zip_contents "$dist/$folder.zip")"

[ "$failures" -eq 0 ] && echo "the packages pass" || exit 1
