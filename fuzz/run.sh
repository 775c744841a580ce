#!/bin/bash
# Runs fuzz targets for a set time each and reports, per target, the executions, the corpus
# and the findings.
#   fuzz/run.sh [--smoke] BUILD_DIR SECONDS [TARGET...]
# Without targets, every fuzz_* program of BUILD_DIR/bin runs. Each target starts from its
# seeds (fuzz/corpus/TARGET) and the corpus earlier runs grew (BUILD_DIR/fuzz-corpus/TARGET);
# a --smoke run starts from the seeds alone and keeps nothing. Inputs that crash, leak or
# hang are saved in BUILD_DIR/fuzz-findings/TARGET/, the output in BUILD_DIR/fuzz-logs/;
# a "fuzz note:" line that a target prints is shown under its row. Exits 1 if any target
# found something.
set -u
smoke=0
if [ "${1:-}" = --smoke ]; then smoke=1; shift; fi
if [ $# -lt 2 ]; then
    echo "usage: fuzz/run.sh [--smoke] BUILD_DIR SECONDS [TARGET...]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
seconds=$2
shift 2
seeds=$(cd "$(dirname "$0")" && pwd)/corpus
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for program in "$build"/bin/fuzz_*; do targets+=("${program##*/fuzz_}"); done
fi

status=0
printf '%-20s %8s %12s %8s %8s  %s\n' target seconds executions corpus coverage findings
for target in "${targets[@]}"; do
    program=$build/bin/fuzz_$target
    if [ $smoke = 1 ]; then corpus=$build/fuzz-smoke/$target; rm -rf "$corpus"; else corpus=$build/fuzz-corpus/$target; fi
    findings=$build/fuzz-findings/$target
    log=$build/fuzz-logs/$target.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    rm -f "$findings"/*
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" "$seeds/$target" >"$log" 2>&1
    result=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    done_line=$(grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$log" | tail -n 1)
    units=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$done_line")
    coverage=$(sed -n 's/.* cov: \([0-9]*\) .*/\1/p' <<<"$done_line")
    found=$(find "$findings" -type f | wc -l)
    [ $smoke = 1 ] && rm -rf "$corpus"
    if [ $result -ne 0 ] || [ "$found" -ne 0 ]; then
        status=1
        what="$found: $(find "$findings" -type f | head -n 3 | tr '\n' ' ')(log $log)"
    else
        what=0
    fi
    printf '%-20s %8s %12s %8s %8s  %s\n' "$target" "$seconds" "${executions:-?}" "${units:-?}" "${coverage:-?}" "$what"
    grep -h '^fuzz note: ' "$log" | tail -n 1 | sed 's/^fuzz note: /    /'
    if [ $result -ne 0 ]; then
        grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz finding|.*runtime error)' "$log" | head -n 5 | sed 's/^/    /'
    fi
done
exit $status
