#!/usr/bin/env bash
# Explores with the fuzzers for longer than the test run does, keeping what
# each run finds in build/asan/fuzz-corpus so the next run goes on from there.
#   scripts/fuzz.sh [SECONDS] [NAME...]   (default 300 s each, every target)
# A failing input lands in build/fuzz-findings; add it to the target's seeds
# under tests/fuzz/corpus once fixed, so the test run replays it for ever.
# At the end a table tells each target's executions in this run and over all
# runs (kept in build/asan/fuzz-totals.txt) and the findings of this run;
# docs/fuzzing.md keeps the record.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD=${VEXA_BUILD:-$PWD/build}
SECONDS_EACH=${1:-300}
shift $(( $# > 0 ? 1 : 0 ))
./scripts/build.sh asan >/dev/null || { echo "build failed" >&2; exit 1; }
FINDINGS=$BUILD/fuzz-findings
TOTALS=$BUILD/asan/fuzz-totals.txt
mkdir -p "$FINDINGS"
touch "$TOTALS"
# Artifacts newer than this are this run's.
STAMP=$(mktemp "$FINDINGS/.run-XXXXXX")
trap 'rm -f "$STAMP"' EXIT
sleep 1

# The executions a log reports: the final statistics, or after a crash
# (which may cut them short) the last progress line.
executions() {
    local n
    n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$1" | tail -n 1)
    [ -n "$n" ] || n=$(sed -n 's/^#\([0-9][0-9]*\)[[:space:]].*/\1/p' "$1" | tail -n 1)
    echo "${n:-0}"
}

status=0
rows=()
while IFS='=' read -r name seeds; do
    [ -n "$name" ] || continue
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then continue; fi
    corpus=$BUILD/asan/fuzz-corpus/$name
    mkdir -p "$corpus"
    cp -n "$seeds"/* "$corpus"/ 2>/dev/null
    if "$BUILD/asan/bin/$name" -max_total_time="$SECONDS_EACH" -timeout=25 -malloc_limit_mb=256 -rss_limit_mb=1024 \
           -artifact_prefix="$FINDINGS/$name-" -print_final_stats=1 "$corpus" >"$FINDINGS/$name.log" 2>&1; then
        outcome=clean
    else
        outcome="FAILED, see $FINDINGS/$name.log"
    fi
    runs=$(executions "$FINDINGS/$name.log")
    found=$(find "$FINDINGS" -maxdepth 1 -newer "$STAMP" \( -name "$name-crash-*" -o -name "$name-leak-*" \
            -o -name "$name-timeout-*" -o -name "$name-oom-*" \) | wc -l)
    [ "$outcome" = clean ] && [ "$found" -eq 0 ] || status=1
    previous=$(awk -v n="$name" '$1 == n { print $2 }' "$TOTALS")
    total=$(( ${previous:-0} + runs ))
    awk -v n="$name" '$1 != n' "$TOTALS" >"$TOTALS.new"
    echo "$name $total" >>"$TOTALS.new"
    sort "$TOTALS.new" >"$TOTALS" && rm -f "$TOTALS.new"
    echo "$name: $outcome after $runs runs"
    rows+=("$name $runs $total $found")
done <"$BUILD/asan/fuzzers.txt"

if [ ${#rows[@]} -gt 0 ]; then
    echo
    printf '%s\n' "${rows[@]}" | awk '
        BEGIN { printf "%-22s %15s %15s %9s\n", "target", "this run", "cumulative", "findings" }
        { printf "%-22s %15.0f %15.0f %9d\n", $1, $2, $3, $4; run += $2; all += $3; found += $4 }
        END { printf "%-22s %15.0f %15.0f %9d\n", "overall (" NR " targets)", run, all, found }'
fi
exit $status
