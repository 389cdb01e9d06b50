#!/usr/bin/env bash
# Installs, where missing, the Debian packages that the README's first
# commands need: the build with its unit, GL and desktop tests, and the
# page's build. It changes nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

need_packages $build_packages $virtual_x_packages $test_packages $web_packages
need_node
