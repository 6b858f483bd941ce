#!/usr/bin/env bash
# soak.sh [MINUTES] [IDS]
# Keeps the host open against the simulator for MINUTES (30) with many
# instruments at once (IDS, comma-separated command ids; by default a set
# that fits together on one box), and samples the host's committed private
# memory and its GDI and USER objects every minute (every 10 s for runs under
# five minutes). Prints the samples and their growth from the first sample
# after start-up to the last, and keeps them in build/soak-samples.txt.
# Ends non-zero when memory grew by more than 2 % or GDI or USER objects by
# more than 10.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
export VEXA_BUILD=${VEXA_BUILD:-$ROOT/build}
BUILD=$VEXA_BUILD
minutes=${1:-30}
ids=${2:-10115,10120,10121,10069,10040,10031,10033,10035,10036,10011,10012,10021,10211}
./scripts/setup.sh >/dev/null || { echo "setup failed" >&2; exit 1; }
# The 64-bit build of the same sources: 32-bit Wine counts no GDI objects
# (it publishes no handle table), and a leak is a leak at either width.
tree=win64 bits=64
./scripts/build.sh native >/dev/null && ./scripts/build.sh "$tree" >/dev/null || { echo "build failed" >&2; exit 1; }

seconds=$(awk "BEGIN { printf \"%d\", $minutes * 60 }")
every=60
[ "$seconds" -lt 300 ] && every=10
port=${VEXA_SIM_PORT:-$((3200 + $$ % 500))}
samples=$BUILD/soak-samples.txt
rm -f "$samples"
"$BUILD/native/bin/vexa-sim" --port "$port" --no-discovery --no-tunnel \
    --input a=dc,0,2.5 --input b=sine,50,0.5 --input c=sine,50,9.9 --input d=triangle,50,3 \
    >"$BUILD/soak-sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null' EXIT
sleep 0.5
echo "soak: instruments $ids against the simulator for $minutes min, a sample every $every s"
./scripts/wine-session.sh ./scripts/wine-run.sh "$bits" "$BUILD/$tree/bin/VexaHost.exe" \
    --sim "127.0.0.1:$port" --open "$ids" --sample "Z:${samples//\//\\}" --sample-every "$every" \
    --exit-after "$((seconds + 2))" >"$BUILD/soak-host.log" 2>&1 </dev/null
[ -s "$samples" ] || { echo "the host wrote no samples (see $BUILD/soak-host.log)"; exit 1; }
# The first sample is taken as the instruments open; the one after it is the
# start-up's end and the base of the growth.
awk '
    BEGIN { n = 0 }
    { sub(/\r$/, "") }
    /^#/ { user = $5; next }
    { t[n] = $1; kb[n] = $2; gdi[n] = $3; usr[n] = $4; n++ }
    END {
        printf "%8s %12s %6s %8s\n", "minute", "private kB", "gdi", user
        for (i = 0; i < n; i++) printf "%8.1f %12d %6d %8d\n", t[i] / 60, kb[i], gdi[i], usr[i]
        b = n > 2 ? 1 : 0; l = n - 1
        dm = kb[l] - kb[b]; dg = gdi[l] - gdi[b]; du = usr[l] - usr[b]
        flat = dm <= kb[b] * 0.02 && dg <= 10 && du <= 10
        printf "%s from minute %.1f to %.1f: private %+d kB (%+.2f %%), gdi %+d, %s %+d\n",
               flat ? "flat" : "GROWS", t[b] / 60, t[l] / 60, dm, 100 * dm / kb[b], dg, user, du
        exit flat ? 0 : 1
    }' "$samples"
