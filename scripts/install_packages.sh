#!/usr/bin/env bash
# usage: ./scripts/install_packages.sh [JOB...]
# Installs, where missing, the Debian packages of the jobs named (lists in
# scripts/common.sh), as root or through sudo; nothing else. The jobs:
#   (none)       the README's first commands: the viewer, its tests, the page
#   tests        ./scripts/test.sh: every build, package and test
#   packages     ./scripts/package.sh
#   arm          the ARM builds
#   windows      ./scripts/windows.sh
#   benchmarks   ./scripts/bench.sh, web_bench.sh and screenshots.sh
#   all          all of these
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
take_options "" "$@"

packages=$(for job in "${@:-first}"; do job_packages "$job" || bad_usage "no job $job"; done)
command -v apt-get >/dev/null || fail "this installs with apt, on Debian: $packages"
find_missing $packages
[ ${#missing[@]} -gt 0 ] || exit 0
[ "$(id -u)" = 0 ] || command -v sudo >/dev/null || fail "installing ${missing[*]} needs root, and there is no sudo: run this as root"
[ "$(id -u)" = 0 ] || exec sudo scripts/install_packages.sh "$@"
install_missing
