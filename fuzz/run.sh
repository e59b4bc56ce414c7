#!/usr/bin/env bash
# Runs each fuzz target for a while on a working copy of its seed corpus and prints, per target,
# the executions, the coverage (edges) libFuzzer reports at the end and the CPU time it had.
# Usage: fuzz/run.sh <build dir> <seconds per target> [target ...]   (default: every target)
# With FUZZ_CPU_SECONDS set, a target runs until it has had that much CPU time (on a machine
# shared with others a wall-clock limit gives it less), the seconds above being the most it may
# take; it is then interrupted, which libFuzzer ends with its final statistics.
set -uo pipefail

build=$1
seconds=$2
shift 2
source_dir=$(cd "$(dirname "$0")" && pwd)
if [ $# -eq 0 ]; then
    set -- $(cd "$source_dir" && ls *_fuzzer.cpp | sed 's/\.cpp$//')
fi

work=$build/fuzz-run
mkdir -p "$work"
summary=()
failed=0
for target in "$@"; do
    corpus=${target%_fuzzer}
    # Findings grow the working copy only; the seeds in the repository stay as they are.
    mkdir -p "$work/corpus/$corpus"
    if [ -d "$source_dir/corpus/$corpus" ]; then
        cp -rn "$source_dir/corpus/$corpus/." "$work/corpus/$corpus/"
    fi
    dict=()
    [ -f "$source_dir/$corpus.dict" ] && dict=(-dict="$source_dir/$corpus.dict")
    log=$work/$target.log
    echo "== $target: ${seconds}s${FUZZ_CPU_SECONDS:+ (until ${FUZZ_CPU_SECONDS} CPU seconds)}, log $log"
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
        "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/$target-" "${dict[@]}" "$work/corpus/$corpus" >"$log" 2>&1 &
    pid=$!
    cpu=0
    ticks=$(getconf CLK_TCK)
    while kill -0 "$pid" 2>/dev/null; do
        sleep 5
        # utime and stime, fields 14 and 15 of /proc/PID/stat (the name may hold blanks).
        used=$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{ print $12 + $13 }')
        [ -n "$used" ] && cpu=$((used / ticks))
        if [ -n "${FUZZ_CPU_SECONDS:-}" ] && [ "$cpu" -ge "$FUZZ_CPU_SECONDS" ]; then
            kill -INT "$pid"
        fi
    done
    wait "$pid"
    status=$?
    # An interrupt at the CPU budget is the planned end (libFuzzer exits 72 then).
    if [ -n "${FUZZ_CPU_SECONDS:-}" ] && [ $status -eq 72 ] && [ "$cpu" -ge "$FUZZ_CPU_SECONDS" ]; then
        status=0
    fi
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    units=$(ls "$work/corpus/$corpus" | wc -l)
    result=ok
    if [ $status -ne 0 ]; then
        result="FAILED (exit $status; see $log)"
        failed=1
        tail -n 30 "$log"
    fi
    summary+=("$(printf '%-28s %12s execs %7s edges %7s units %6s cpu-s  %s' "$target" \
                 "${execs:-?}" "${cov:-?}" "$units" "$cpu" "$result")")
done

echo
echo "Fuzzing summary (${seconds}s per target):"
printf '  %s\n' "${summary[@]}"
exit $failed
