#!/usr/bin/env bash
# Installs what is missing, checks the formatting of every C++ file, builds
# everything and runs every test: first the optimised build with benchmarks and
# warnings as errors (the ci preset, build-ci/), then the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets for a
# bounded time each. Exits non-zero on any failure.
# QUILLORA_SKIP_SANITIZE=1 skips the sanitizer pass, QUILLORA_SKIP_FUZZ=1 the fuzzing.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

scripts/check-format.sh
# No room includes a room above it (engine <- core <- calc, input, export, store <- app).
scripts/check-layers.sh

jobs="$(nproc)"
scripts/build.sh ci
ctest --preset ci -j"$jobs"

if [ "${QUILLORA_SKIP_SANITIZE:-0}" != 1 ]; then
    scripts/build.sh sanitize
    ctest --preset sanitize -j"$jobs"
fi

# Then the fuzz targets, a bounded time each (scripts/fuzz.sh); QUILLORA_SKIP_FUZZ=1 skips them.
if [ "${QUILLORA_SKIP_FUZZ:-0}" != 1 ]; then
    scripts/fuzz.sh
fi
