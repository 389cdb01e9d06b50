#!/usr/bin/env bash
# Tries the manual's ImageMagick command for turning a picture into the
# viewer's format: the bytes must come out bottom row first.
set -euo pipefail
manual=$1
picture=$2
command=$(grep -E '^convert my-picture\.png .* rgb:armor\.raw$' "$manual")
[ -n "$command" ] || { echo "no conversion command in $manual"; exit 1; }
convert_command=${command/#convert//usr/bin/convert}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The shipped picture as a user would have it, top row first, comes back
# byte for byte.
/usr/bin/convert -size 256x256 -depth 8 rgb:"$picture" -flip my-picture.png
eval "$convert_command"
cmp armor.raw "$picture"

# Any size and an alpha channel: red in the bottom half, blue in the top.
rm armor.raw my-picture.png
/usr/bin/convert -size 640x240 xc:'#0000ffcc' -size 640x240 xc:'#ff0000cc' -append my-picture.png
eval "$convert_command"
[ "$(stat -c %s armor.raw)" = 196608 ] || { echo "wrong size"; exit 1; }
[ "$(head -c 3 armor.raw | od -An -tx1 | tr -d ' \n')" = ff0000 ] || { echo "first row not red"; exit 1; }
[ "$(tail -c 3 armor.raw | od -An -tx1 | tr -d ' \n')" = 0000ff ] || { echo "last row not blue"; exit 1; }
echo "conversion command works"
