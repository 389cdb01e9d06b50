#!/usr/bin/env bash
# usage: ./scripts/test.sh [--record]
# Installs what is missing of `install_packages.sh tests` and of the npm
# packages of tests/support/package.json (into its node_modules/), then
# runs the workflows: the packages (package.sh) and the packed page
# (web-packed) first, for the default build's tests (full); the ARM viewers
# in them (the test presets linux-arm64, linux-armhf); the packed and
# sanitizer variants with their tests, and Clang with the unit and GL ones.
#   --record   writes the time it took into docs/testing.md
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
take_options --record "$@"

start=$(date +%s)
need_job tests
need_node_modules
./scripts/package.sh
cmake --workflow --preset web-packed
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
# The default build's tests mostly wait for frames and pages: the variants
# build meanwhile, on what the processor has left over, in a process group
# of their own.
variants="packed sanitize clang"
setsid nice -n 19 bash -c "for v in $variants; do cmake --preset \$v && cmake --build --preset \$v; done" \
    >build/variants.log 2>&1 &
builds=$!
# A run that stops early ends those builds and waits for every process of
# theirs, so that no compiler is left running, or its temporary files.
stop_builds() {
    kill -TERM -- -"$builds" 2>/dev/null || return 0
    wait "$builds" || true
    while kill -0 -- -"$builds" 2>/dev/null; do sleep 0.1; done
}
trap stop_builds EXIT
echo "== full"
cmake --workflow --preset full
for architecture in arm64 armhf; do
    echo "== linux-$architecture"
    ctest --preset "linux-$architecture"
done
wait "$builds" || { cat build/variants.log; exit 1; }
trap - EXIT
for workflow in $variants; do
    echo "== $workflow"
    cmake --workflow --preset "$workflow"
done
taken=$(($(date +%s) - start))
echo "all tests passed in $taken s"
if [ "${1:-}" = --record ]; then
    echo "\`./scripts/test.sh\` where the packages are there: $((taken / 60)) min $((taken % 60)) s" \
        "($(measured_on))." | write_figures docs/testing.md warm-time
fi
