#!/usr/bin/env bash
# Every script of the source tree $1 answers --help and -h with its usage
# and status 0, and an option it does not take with one line on standard
# error and status 2, at once: copies of them run beside stand-ins for the
# installers and build tools, which must not be called, and must leave the
# copy's tree as it was.
set -euo pipefail
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir "$tree/scripts" "$tree/data" "$tree/bin"
cp "$1"/scripts/*.sh "$1/scripts/serve_web.py" "$tree/scripts/"
cp "$1/data/make_armor.py" "$tree/data/"
for tool in apt-get dpkg-query sudo runuser cmake ctest npm mmdebstrap xvfb-run emcmake; do
    printf '#!/bin/sh\necho "$0 $*" >>%s/called\n' "$tree" >"$tree/bin/$tool"
    chmod +x "$tree/bin/$tool"
done
before=$(cd "$tree" && find . | sort)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for script in "$tree"/scripts/*.sh "$tree"/scripts/*.py "$tree"/data/*.py; do
    name=${script##*/}
    [ "$name" != common.sh ] || continue
    run=("$script")
    [[ $name != *.py ]] || run=(python3 "$script")
    for help in --help -h; do
        status=0
        usage=$(cd "$tree" && PATH=$tree/bin:$PATH "${run[@]}" "$help" 2>&1) || status=$?
        [ "$status" = 0 ] || fail "$name $help: status $status"
        [[ $(head -n 1 <<<"$usage") == "usage: "*"$name"* ]] || fail "$name $help: no usage line first: $usage"
        [ "$(wc -l <<<"$usage")" -ge 3 ] || fail "$name $help says too little: $usage"
    done
    status=0
    output=$(cd "$tree" && PATH=$tree/bin:$PATH "${run[@]}" --no-such-option 2>"$tree/errors") || status=$?
    [ "$status" = 2 ] || fail "$name --no-such-option: status $status"
    [ -z "$output" ] || fail "$name --no-such-option wrote on standard output: $output"
    [[ $(wc -l <"$tree/errors") = 1 && $(cat "$tree/errors") == *--no-such-option* ]] ||
        fail "$name --no-such-option: not one line naming it: $(cat "$tree/errors")"
    rm "$tree/errors"
done
[ ! -e "$tree/called" ] || fail "tools were called: $(cat "$tree/called")"
after=$(cd "$tree" && find . | sort)
[ "$before" = "$after" ] || fail "files made: $(comm -13 <(echo "$before") <(echo "$after") | tr '\n' ' ')"
[ "$failures" = 0 ] && echo "every script answers --help and refuses an unknown option"
