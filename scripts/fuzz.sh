#!/usr/bin/env bash
# Explores with the fuzzers for longer than the test run does, keeping what
# each run finds in build/asan/fuzz-corpus so the next run goes on from there.
#   scripts/fuzz.sh [SECONDS] [NAME...]   (default 300 s each, every target)
# A failing input lands in build/fuzz-findings; add it to the target's seeds
# under tests/fuzz/corpus once fixed, so the test run replays it for ever.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD=${VEXA_BUILD:-$PWD/build}
SECONDS_EACH=${1:-300}
shift $(( $# > 0 ? 1 : 0 ))
./scripts/build.sh asan >/dev/null || { echo "build failed" >&2; exit 1; }
FINDINGS=$BUILD/fuzz-findings
mkdir -p "$FINDINGS"
status=0
while IFS='=' read -r name seeds; do
    [ -n "$name" ] || continue
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then continue; fi
    corpus=$BUILD/asan/fuzz-corpus/$name
    mkdir -p "$corpus"
    cp -n "$seeds"/* "$corpus"/ 2>/dev/null
    if "$BUILD/asan/bin/$name" -max_total_time="$SECONDS_EACH" -malloc_limit_mb=256 -rss_limit_mb=1024 \
           -artifact_prefix="$FINDINGS/$name-" -print_final_stats=1 "$corpus" >"$FINDINGS/$name.log" 2>&1; then
        echo "$name: clean after $(sed -n 's/^stat::number_of_executed_units: *//p' "$FINDINGS/$name.log") runs"
    else
        echo "$name: FAILED, see $FINDINGS/$name.log"
        status=1
    fi
done <"$BUILD/asan/fuzzers.txt"
exit $status
