#!/usr/bin/env bash
# bench.sh
# Builds and runs every benchmark (the portable ones natively, the Windows
# ones under Wine) and prints one table: what was measured, the figure, and
# the goal beside it. Each benchmark's full output is in build/bench/.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
export VEXA_BUILD=${VEXA_BUILD:-$ROOT/build}
BUILD=$VEXA_BUILD
OUT=$BUILD/bench
mkdir -p "$OUT"
./scripts/setup.sh >/dev/null || { echo "setup failed" >&2; exit 1; }
if ./scripts/can-run-i386.sh; then tree=win32 bits=32; else tree=win64 bits=64; fi
./scripts/build.sh native >/dev/null || { echo "build failed" >&2; exit 1; }
cmake --build "$BUILD/$tree" --target panel_bench chart_bench scope_bench vexa-sim >/dev/null ||
    { echo "build failed" >&2; exit 1; }

status=0
run() {
    local name=$1
    shift
    echo "[bench] $name" >&2
    "$@" >"$OUT/$name.log" 2>&1 </dev/null && return 0
    echo "[bench] $name failed (see $OUT/$name.log)" >&2
    return 1
}
for name in poll_rate_bench loopback_bench units_bench spectrum_bench bode_bench; do
    run "$name" "$BUILD/native/bin/$name" || status=1
done
windows() {
    local failed=0
    for name in panel_bench chart_bench scope_bench; do
        run "$name" ./scripts/wine-run.sh "$bits" "$BUILD/$tree/bin/$name.exe" || failed=1
    done
    return $failed
}
export -f run windows
export OUT bits BUILD tree
./scripts/wine-session.sh bash -c windows || status=1

{
    printf '%s\t%s\t%s\n' "measure" "figure" "goal"
    for name in poll_rate_bench loopback_bench units_bench spectrum_bench bode_bench panel_bench chart_bench \
        scope_bench; do
        [ -f "$OUT/$name.log" ] && tr -d '\r' <"$OUT/$name.log" | sed -n 's/^@row\t//p'
    done
} | awk -F'\t' '{ printf "%-58s %-30s %s\n", $1, $2, $3 }' | tee "$OUT/table.txt"
exit $status
