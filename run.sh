#!/usr/bin/env bash
# Installs what is missing, builds Quillora and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
# The setup keeps off the program's standard input and output, so that
# `./run.sh --calc < list.txt` prints the results and nothing else.
{
    scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
    scripts/build.sh run quillora
} </dev/null >&2
exec build-run/app/quillora "$@"
