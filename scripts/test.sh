#!/usr/bin/env bash
# Sets up what is missing, builds every tree and runs every test:
#   native  the portable core's tests (g++)
#   asan    the same tests under address and undefined-behaviour sanitizers
#   tsan    the threaded tests under the thread sanitizer
#   fuzz    each libFuzzer target for VEXA_FUZZ_RUNS inputs (default 40000) from
#           its seeds, deterministically, capped at VEXA_FUZZ_SECONDS (120)
#   win32   the Windows test programs under 32-bit Wine, in one Xvfb, where this
#           machine runs 32-bit programs; elsewhere the product's static checks
#   win64   elsewhere, the same test programs built for and run under 64-bit Wine
#   package the release package installed, used and removed in a fresh 32-bit
#           Wine prefix (scripts/package-check.sh, about 30 s) where this
#           machine runs 32-bit programs; elsewhere only made
#   soak    the host with many instruments against the simulator for
#           VEXA_SOAK_MINUTES (1), its memory and GDI and USER objects flat
#           (scripts/soak.sh; 30 minutes is the real run)
# The Windows tests include a reduced fault matrix (a few instruments against
# every fault the simulator plays; scripts/fault-matrix.sh runs them all).
# Ends with the line "N passed, M failed" and a non-zero status on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
export VEXA_BUILD=${VEXA_BUILD:-$ROOT/build}
BUILD=$VEXA_BUILD
FUZZ_RUNS=${VEXA_FUZZ_RUNS:-40000}
FUZZ_SECONDS=${VEXA_FUZZ_SECONDS:-120}
LOGS=$BUILD/test-logs
mkdir -p "$LOGS"

./scripts/setup.sh || { echo "0 passed, 1 failed"; echo "setup failed" >&2; exit 1; }
./scripts/build.sh || { echo "0 passed, 1 failed"; echo "build failed" >&2; exit 1; }

passed=0
failed=0
report=()

# Runs ctest in a tree and adds its counts. ctest's closing line reads
# "NN% tests passed, F tests failed out of T".
run_ctest() {
    local stage=$1
    shift
    local log=$LOGS/$stage.log
    ctest "$@" --output-on-failure --timeout 600 >"$log" 2>&1
    local status=$?
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -n "$line" ]; then
        local total fail
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        fail=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
        passed=$((passed + total - fail))
        failed=$((failed + fail))
        report+=("$stage: $((total - fail)) passed, $fail failed")
    elif grep -q 'No tests were found' "$log"; then
        report+=("$stage: no tests")
    else
        failed=$((failed + 1))
        report+=("$stage: ctest did not finish (see $log)")
    fi
    if [ $status -ne 0 ]; then
        grep -E -A40 'Failed|\*\*\*' "$log" | head -n 80
    fi
}

run_ctest native --test-dir "$BUILD/native" -j2
run_ctest asan --test-dir "$BUILD/asan" -j2
run_ctest tsan --test-dir "$BUILD/tsan" -j2 -L threaded

# Fuzzers: each starts from its committed seeds with a fixed random seed and
# a fixed number of runs, so a result here is the same on every machine (a
# slow machine may stop early at the time cap, on a prefix of the same runs).
# Longer exploration with a growing corpus is scripts/fuzz.sh.
while IFS='=' read -r name seeds; do
    [ -n "$name" ] || continue
    corpus=$BUILD/asan/fuzz-ci/$name
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "$seeds"/* "$corpus"/ 2>/dev/null
    log=$LOGS/fuzz-$name.log
    rm -f "$LOGS/$name-"*
    if "$BUILD/asan/bin/$name" -seed=1 -runs="$FUZZ_RUNS" -max_total_time="$FUZZ_SECONDS" \
           -malloc_limit_mb=256 -rss_limit_mb=1024 -artifact_prefix="$LOGS/$name-" \
           -print_final_stats=1 "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        passed=$((passed + 1))
        report+=("fuzz $name: clean after ${runs:-?} runs")
    else
        failed=$((failed + 1))
        report+=("fuzz $name: FAILED (see $log)")
        grep -m1 -A6 'ERROR: \|runtime error' "$log"
        tail -n 30 "$log"
        # The failing input, so it can be replayed from the CI output alone.
        for crash in "$LOGS/$name-"*; do
            [ -f "$crash" ] && echo "input $(basename "$crash") (base64): $(head -c 4096 "$crash" | base64 -w0)"
        done
    fi
done <"$BUILD/asan/fuzzers.txt"

# The release package: installed in a Wine prefix of its own where 32-bit
# programs run (it shares only the display), elsewhere only made and checked.
# Runs a script as one test: passed when it ends well, reported with its
# last line.
script_stage() {
    local name=$1
    shift
    local log=$LOGS/$name.log
    if "$@" >"$log" 2>&1 </dev/null; then
        passed=$((passed + 1))
        report+=("$name: $(tail -n 1 "$log" | sed -E 's/^\[package(-check)?\] +([0-9]+s )?//')")
    else
        failed=$((failed + 1))
        report+=("$name: FAILED (see $log)")
        tail -n 20 "$log"
    fi
}

# Windows: one Xvfb and one persistent wineserver for all programs.
XVFB_LOG=$LOGS/xvfb.log
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$LOGS/display" 2>"$XVFB_LOG" &
XVFB_PID=$!
for _ in $(seq 50); do [ -s "$LOGS/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$LOGS/display")
export WINEPREFIX=$BUILD/wine
wineserver -p >/dev/null 2>&1
# Wine's background services start with the first program and outlive it; they
# must not inherit ctest's output pipes, or ctest waits for them for ever.
./scripts/wine-run.sh 64 cmd /c exit >/dev/null 2>&1 </dev/null
if ./scripts/can-run-i386.sh; then
    run_ctest win32 --test-dir "$BUILD/win32"
    report+=("win64: this machine runs 32-bit programs; the Windows tests ran in the 32-bit product's build")
    script_stage package ./scripts/package-check.sh
else
    run_ctest win64 --test-dir "$BUILD/win64"
    run_ctest win32-static --test-dir "$BUILD/win32" -L static
    report+=("win32: this kernel runs no 32-bit programs; the 32-bit tests ran as win64")
    script_stage package ./scripts/package.sh
fi
# Last: the short soak ends the shared Wine server when it is done.
script_stage soak ./scripts/soak.sh "${VEXA_SOAK_MINUTES:-1}"
wineserver -k >/dev/null 2>&1
kill "$XVFB_PID" 2>/dev/null

echo
printf '  %s\n' "${report[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
