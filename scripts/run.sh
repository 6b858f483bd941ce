#!/usr/bin/env bash
# Sets up what is missing, builds the product and runs the Torvane host with
# the Vexa plug-in under Wine.
#   scripts/run.sh                   demonstration mode (no trainer interface)
#   scripts/run.sh --sim             starts the simulator (vexa-sim) and connects to it
#   scripts/run.sh --sim --transport tcp|tunnel|choose
#                                    how: TCP to its port (the default), through
#                                    its device-manager tunnel service, or USB
#                                    first and then the connection choice, whose
#                                    network button finds it by discovery
#   scripts/run.sh --open 10115,...  opens instruments by command id
#   scripts/run.sh --seconds N       closes the host after N seconds
#   scripts/run.sh --skin NAME       front panels in skin NAME (gray, blue)
#   scripts/run.sh --overlay N       demonstration overlay with opacity N (0-255)
#   scripts/run.sh --zoom2           instruments at their second zoom level
#   scripts/run.sh --load FILE       opens a host document (a saved instrument set)
#   scripts/run.sh --command ID,...  sends the opened instruments these commands
# VEXA_SIM_PORT sets the simulator's port (3060), so that two trees can run at
# once; VEXA_SIM_ARGS adds options of the simulator (vexa-sim --help);
# VEXA_SIM_INPUTS replaces the sources wired to the inputs (see below).
# With a DISPLAY the host runs there until it is closed. Without one it runs
# on a private Xvfb for a few seconds and saves pictures of the screen and of
# the host's windows to build/screenshots/.
# The 32-bit product runs where the kernel runs 32-bit programs; elsewhere the
# 64-bit build of the same sources stands in.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
export VEXA_BUILD=${VEXA_BUILD:-$ROOT/build}
BUILD=$VEXA_BUILD
seconds=""
sim=false
transport=tcp
open=""
extra=()
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        --sim) sim=true; shift ;;
        --transport) transport=$2; shift 2 ;;
        --open) open=$2; shift 2 ;;
        --skin|--overlay|--command) extra+=("$1" "$2"); shift 2 ;;
        --zoom2) extra+=("$1"); shift ;;
        --load) extra+=("$1" "Z:$(readlink -f "$2" | tr / '\\\\')"); shift 2 ;;
        *) echo "unknown option $1 (see the head of $0)" >&2; exit 2 ;;
    esac
done

./scripts/setup.sh
if ./scripts/can-run-i386.sh; then tree=win32; bits=32; else tree=win64; bits=64; fi
./scripts/build.sh "$tree"
export WINEPREFIX=$BUILD/wine

hostArgs=()
if $sim; then
    ./scripts/build.sh native
    port=${VEXA_SIM_PORT:-3060}
    # Sources on the inputs, so that the meters show something: 2.5 V DC on A,
    # 50 Hz sines of 0.5 V and 9.9 V peak on B and C, a 3 V triangle on D.
    # VEXA_SIM_INPUTS replaces them (empty: the box's own outputs reach the
    # inputs, the generator on B and the low-pass behind it on A).
    inputs=${VEXA_SIM_INPUTS-"--input a=dc,0,2.5 --input b=sine,50,0.5 --input c=sine,50,9.9 --input d=triangle,50,3"}
    tunnelPort=$((port + 5020))
    case $transport in
        tcp)    simArgs=(--no-discovery --no-tunnel); hostArgs+=(--sim "127.0.0.1:$port") ;;
        tunnel) simArgs=(--no-discovery --tunnel-port "$tunnelPort"); hostArgs+=(--tunnel "127.0.0.1:$tunnelPort") ;;
        choose) simArgs=(--no-tunnel); hostArgs+=(--choose "$port") ;;
        *) echo "unknown transport $transport (tcp, tunnel, choose)" >&2; exit 2 ;;
    esac
    # shellcheck disable=SC2086
    "$BUILD/native/bin/vexa-sim" --port "$port" "${simArgs[@]}" $inputs \
        ${VEXA_SIM_ARGS:-} >"$BUILD/vexa-sim.log" 2>&1 &
    simPid=$!
    trap 'kill $simPid 2>/dev/null' EXIT
    sleep 0.5
else
    hostArgs+=(--demo)
fi
[ -n "$open" ] && hostArgs+=(--open "$open")
hostArgs+=("${extra[@]}")

host=(./scripts/wine-run.sh "$bits" explorer /desktop=Torvane,1280x960 "$BUILD/$tree/bin/VexaHost.exe" "${hostArgs[@]}")
if [ -n "${DISPLAY:-}" ]; then
    "${host[@]}" ${seconds:+--exit-after "$seconds"}
    exit 0
fi

seconds=${seconds:-6}
# A Wine session left from another display would draw there, not here.
wineserver -k 2>/dev/null || true
shots=$BUILD/screenshots
mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/instruments.txt
xvfb-run -a -s "-screen 0 1280x960x24" "${host[@]}" --capture "Z:${shots//\//\\}" --delay "$seconds"
echo "screenshots: $(ls "$shots"/*.png | tr '\n' ' ')"
