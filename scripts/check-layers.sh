#!/usr/bin/env bash
# Fails when a room includes a room above it. The rooms stand in layers,
# engine <- core <- calc, input, export, store <- app, and one room of the
# middle layer may use another only where this table allows it (export
# writes calc's results table). Reads the #include lines of every tracked
# C++ file of each room (and of files not yet added).
set -euo pipefail
cd "$(dirname "$0")/.."

# What each room may include besides itself.
declare -A allowed=(
    [engine]=""
    [core]="engine"
    [calc]="core engine"
    [input]="core engine"
    [store]="core engine"
    [export]="calc core engine"
    [app]="export input calc store core engine"
)

status=0
for room in "${!allowed[@]}"; do
    while IFS= read -r hit; do
        file="${hit%%:*}"
        included="$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$hit")"
        [ "$included" = "$room" ] && continue
        case " ${allowed[$room]} " in
            *" $included "*) ;;
            *)
                echo "$file: $room may not include $included (${hit#*:})" >&2
                status=1
                ;;
        esac
    done < <(git ls-files --cached --others --exclude-standard "$room/*.cpp" "$room/*.h" | xargs -r grep -HE '^#include "[a-z]+/' || true)
done
if [ "$status" -eq 0 ]; then
    echo "layers: every room includes only rooms below it"
fi
exit "$status"
