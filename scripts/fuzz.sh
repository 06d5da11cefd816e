#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz, and runs each one for a bounded
# time, starting from its seed corpus in fuzz/corpus/<target>/ (inputs found
# on the way go to build-fuzz/corpus/, never into the repository). Exits
# non-zero when any target finds a crash, a broken property, a leak or a hang;
# the input that did it is kept in build-fuzz/findings/.
#
#   QUILLORA_FUZZ_SECONDS  run time per target (default 60)
#   QUILLORA_FUZZ_JOBS     targets run side by side (default: the number of cores, at most 4)
#   QUILLORA_FUZZ_TARGETS  the targets to run (default: all), e.g. "fuzz_number_text"
#   QUILLORA_FUZZ_TIMEOUT  seconds one input may take before it counts as a hang (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
dir="$root/build-fuzz"
seconds="${QUILLORA_FUZZ_SECONDS:-60}"
jobs="${QUILLORA_FUZZ_JOBS:-$(nproc)}"
[ "$jobs" -gt 4 ] && jobs=4
timeout="${QUILLORA_FUZZ_TIMEOUT:-30}"
all_targets=(fuzz_number_text fuzz_convert_number fuzz_list_file fuzz_settings_list
    fuzz_settings_file fuzz_cursor_file fuzz_skin fuzz_text_export)
read -r -a targets <<<"${QUILLORA_FUZZ_TARGETS:-${all_targets[*]}}"

if [ ! -f "$dir/build.ninja" ]; then
    cmake -S fuzz -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"

# Longest input each target takes: the list reader needs room for lines beyond the longest entry.
max_len() {
    case "$1" in
        fuzz_list_file | fuzz_settings_list) echo 12000 ;;
        fuzz_convert_number) echo 3001 ;;
        fuzz_settings_file) echo 20000 ;;
        fuzz_cursor_file) echo 70000 ;;
        fuzz_text_export) echo 8000 ;;
        *) echo 4096 ;;
    esac
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

run_target() {
    local target="$1"
    mkdir -p "$dir/corpus/$target" "$dir/findings" "$dir/logs" "fuzz/corpus/$target"
    rm -f "$dir/findings/$target-"*
    "$dir/$target" "$dir/corpus/$target" "fuzz/corpus/$target" \
        -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
        -max_len="$(max_len "$target")" -print_final_stats=1 \
        -artifact_prefix="$dir/findings/$target-" >"$dir/logs/$target.log" 2>&1
}

echo "Fuzzing ${targets[*]} for ${seconds} s each, ${jobs} at a time"
declare -A pids=()
failed=()
for target in "${targets[@]}"; do
    while [ "${#pids[@]}" -ge "$jobs" ]; do
        wait -n || true
        for t in "${!pids[@]}"; do
            kill -0 "${pids[$t]}" 2>/dev/null || unset "pids[$t]"
        done
    done
    run_target "$target" &
    pids[$target]=$!
done
for target in "${targets[@]}"; do
    if [ -n "${pids[$target]:-}" ]; then
        wait "${pids[$target]}" || true
    fi
done

# Each target's verdict from its own log: libFuzzer prints "Done" only when time ran out cleanly.
for target in "${targets[@]}"; do
    log="$dir/logs/$target.log"
    runs="$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || true)"
    if grep -q '^Done [0-9]* runs' "$log" && ! grep -q 'ERROR: \|\*\*\* property broken' "$log"; then
        echo "  $target: ${runs:-?} executions, no finding"
    else
        failed+=("$target")
        echo "  $target: FINDING after ${runs:-?} executions (log $log)"
        grep -A40 -m1 'property broken\|ERROR: \|deadly signal\|Test unit written' "$log" | head -60
        ls "$dir/findings/$target-"* 2>/dev/null | sed 's/^/    input: /'
    fi
done
[ "${#failed[@]}" -eq 0 ]
