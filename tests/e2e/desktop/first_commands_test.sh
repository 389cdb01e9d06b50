#!/usr/bin/env bash
# Runs the README's first commands as a newcomer would, from the checkout's
# root ($1): the viewer built from source and started where its picture is,
# until its first frame's line, on a virtual display; the page built and
# served, until it serves its index; the build and its tests.
set -euo pipefail
cd "$1"
. scripts/common.sh
# The section's shell blocks: a command a line, without its comment.
commands=$(sed -n '/^## First commands$/,/^## [^F]/p' README.md | sed -n '/^```sh$/,/^```$/p' |
    grep -v '^```' | sed 's/ *#.*$//')
[ "$(wc -l <<<"$commands")" -ge 4 ] || { echo "too few first commands in the README"; exit 1; }
work=$(mktemp -d)
trap 'kill "${server:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

while IFS= read -r command; do
    echo "== $command"
    case $command in
    "cd "*" && "*)
        # A viewer, started in the folder named: its first frame's line.
        folder=${command#cd }
        folder=${folder%% && *}
        read -r -a viewer <<<"${command#* && }"
        on_display bash -c '. scripts/common.sh; first_frame "$@" && kill "$viewer_pid"' first_frame \
            "$work/first-frame.png" "$work/lines" "$folder" "${viewer[@]}"
        head -n 1 "$work/lines" | grep -E '^FPS: ' || { echo "no first frame"; exit 1; }
        ;;
    *--serve*)
        # A server, on any free port: the page's index, once it listens.
        PORT=0 bash -c "exec $command" >"$work/served" 2>&1 &
        server=$!
        for _ in $(seq 600); do
            grep -q '^serving .* at http' "$work/served" && break
            kill -0 "$server" || { cat "$work/served"; exit 1; }
            sleep 0.2
        done
        address=$(sed -n 's/^serving .* at \(http[^ ]*\)$/\1/p' "$work/served")
        python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' \
            "$address" | grep -F '<title>textures</title>'
        kill "$server"
        ;;
    *)
        bash -c "$command"
        ;;
    esac
done <<<"$commands"
echo "the README's first commands work"
