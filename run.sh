#!/usr/bin/env bash
# Installs what is missing, builds Quillora and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
scripts/build.sh run quillora
exec build-run/app/quillora "$@"
