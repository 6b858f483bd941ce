#!/usr/bin/env bash
# fault-matrix.sh [IDS]
# Opens every instrument of the plug-in's menus (or the comma-separated
# command ids) against the simulator with each fault it can play: cuts at
# several points of the traffic, a wrong acknowledgement, a stall, garbage
# after an answer and after an acknowledgement. Prints the matrix and the
# count survived / tried, and keeps the table in build/fault-matrix.txt.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
export VEXA_BUILD=${VEXA_BUILD:-$ROOT/build}
./scripts/setup.sh >/dev/null || { echo "setup failed" >&2; exit 1; }
if ./scripts/can-run-i386.sh; then tree=win32 bits=32; else tree=win64 bits=64; fi
./scripts/build.sh "$tree" >/dev/null || { echo "build failed" >&2; exit 1; }
cmake --build "$VEXA_BUILD/$tree" --target fault_matrix_tests >/dev/null || { echo "build failed" >&2; exit 1; }
table=$VEXA_BUILD/fault-matrix.txt
log=$VEXA_BUILD/fault-matrix.log
rm -f "$table"
# Bounded: a cell that hangs ends the run, and the table keeps every
# instrument finished before it.
VEXA_MATRIX_IDS=${1:-all} VEXA_MATRIX_OUT=$table timeout "${VEXA_MATRIX_MINUTES:-90}m" ./scripts/wine-session.sh \
    ./scripts/wine-run.sh "$bits" "$VEXA_BUILD/$tree/bin/fault_matrix_tests.exe" >"$log" 2>&1 </dev/null
status=$?
if [ -s "$table" ]; then cat "$table"; else tail -n 40 "$log"; fi
echo "(details: $log)"
exit $status
