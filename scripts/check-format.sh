#!/usr/bin/env bash
# Checks every tracked C++ file against the root .clang-format with clang-format-14 and
# exits non-zero, showing the difference, when any file is not formatted as it would be.
#   scripts/check-format.sh        check
#   scripts/check-format.sh --fix  rewrite the files that differ
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.inl')
if [ "${1:-}" = --fix ]; then
    "$format" -i -- "${files[@]}"
    exit 0
fi
unformatted=()
for file in "${files[@]}"; do
    if ! "$format" -- "$file" | diff -u --label "$file" --label "$file (clang-format)" "$file" - >&2; then
        unformatted+=("$file")
    fi
done
if [ "${#unformatted[@]}" -gt 0 ]; then
    echo "Not formatted with $format (scripts/check-format.sh --fix mends them):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "Formatting: ${#files[@]} C++ files as .clang-format wants them"
