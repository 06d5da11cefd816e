#!/usr/bin/env bash
# Configures (once) and builds one preset: scripts/build.sh default|debug|ci|sanitize [targets...]
# The default preset builds into build/, every other one into build-<preset>/ (CMakePresets.json).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
dir=build
[ "$preset" != default ] && dir="build-$preset"
# Configured again when the presets changed, so a tree made before keeps up with them.
if [ ! -f "$dir/build.ninja" ] || [ CMakePresets.json -nt "$dir/CMakeCache.txt" ]; then
    cmake --preset "$preset" >/dev/null
fi
if [ $# -gt 0 ]; then
    cmake --build "$dir" --target "$@"
else
    cmake --build "$dir"
fi
