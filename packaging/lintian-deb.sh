#!/usr/bin/env bash
# Runs lintian on the one .deb that packaging/check-deb.sh built into the
# scratch folder; fails on any error or warning. Pedantic and informational
# tags are shown too, for review, without failing. (With --show-overrides,
# lintian 2.116 would count an overridden tag as a failure.)
#   lintian-deb.sh <lintian> <scratch dir>
set -euo pipefail
lintian="$1"
scratch="$2"
shopt -s nullglob
debs=("$scratch"/*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "FAIL: expected one .deb in $scratch, found ${#debs[@]}" >&2
    exit 1
fi
echo "lintian ${debs[0]}"
"$lintian" --fail-on error,warning --display-info --pedantic "${debs[0]}"
echo "lintian: no error and no warning"
