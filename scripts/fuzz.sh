#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the fuzz targets of a fuzz build (scripts/sanitize.sh makes one) for a
# while each, over a working copy of their corpus, and prints how many inputs
# each ran. Fails on any crash, leak, time-out or broken round trip; the
# failing input is kept beside the target's log in the working folder.
#
#   scripts/fuzz.sh [seconds per target] [target ...]
#   BUILD_DIR   the fuzz build (default build-fuzz)
#   FUZZ_WORK   the working folder (default $BUILD_DIR/fuzz-work); its corpus grows from run to run
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-fuzz}
seconds=${1:-20}
shift || true
work=${FUZZ_WORK:-$build/fuzz-work}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
    echo "fuzz.sh: seconds per target must be a positive number (0 would run for ever)" >&2
    exit 2
fi
if ! [ -f "$build/fuzz/targets.txt" ]; then
    echo "fuzz.sh: no fuzz build in $build; scripts/sanitize.sh makes one" >&2
    exit 2
fi
if (($#)); then
    targets=("$@")
else
    mapfile -t targets <"$build/fuzz/targets.txt"
fi

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan-suppressions.txt}

status=0
printf '%-16s %12s  %s\n' target executions result
for target in "${targets[@]}"; do
    dir=$work/$target
    mkdir -p "$dir/corpus"
    args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          -artifact_prefix="$dir/")
    if [ -f "$root/tests/fuzz/$target.dict" ]; then
        args+=(-dict="$root/tests/fuzz/$target.dict")
    fi
    result=ok
    if ! "$build/fuzz/fuzz_$target" "${args[@]}" "$dir/corpus" "$root/tests/fuzz/corpus/$target" \
        >"$dir/log.txt" 2>&1; then
        result="FAILED (see $dir/log.txt)"
        status=1
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log.txt" | tail -1)
    printf '%-16s %12s  %s\n' "$target" "${executions:-?}" "$result"
    if [ "$result" != ok ]; then
        grep -E -A40 '^==[0-9]+==ERROR|fuzz check failed|runtime error|^SUMMARY' "$dir/log.txt" | head -60 || true
    fi
done
exit $status
