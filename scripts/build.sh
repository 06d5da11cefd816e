#!/usr/bin/env bash
# Configures (once) and builds one preset: scripts/build.sh default|sanitize [targets...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
dir=build
[ "$preset" = sanitize ] && dir=build-sanitize
if [ ! -f "$dir/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
fi
if [ $# -gt 0 ]; then
    cmake --build "$dir" --target "$@"
else
    cmake --build "$dir"
fi
