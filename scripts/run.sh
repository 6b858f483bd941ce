#!/usr/bin/env bash
# Sets up what is missing, builds the product and runs the host with the
# plug-in under Wine.
#   scripts/run.sh                 on $DISPLAY when there is one; otherwise on a
#                                  private Xvfb, with a screenshot saved to
#                                  build/screenshots/host.png
#   scripts/run.sh --seconds N     close the host after N seconds (default 8
#                                  without a display, unlimited with one)
# The 32-bit product runs where the kernel runs 32-bit programs; elsewhere the
# 64-bit build of the same sources stands in.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
export VEXA_BUILD=${VEXA_BUILD:-$ROOT/build}
BUILD=$VEXA_BUILD
seconds=""
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done

./scripts/setup.sh
if ./scripts/can-run-i386.sh; then tree=win32; bits=32; else tree=win64; bits=64; fi
./scripts/build.sh "$tree"
export WINEPREFIX=$BUILD/wine

host=(./scripts/wine-run.sh "$bits" explorer /desktop=Vexa,1024x768 "$BUILD/$tree/bin/VexaHost.exe")
if [ -n "${DISPLAY:-}" ]; then
    "${host[@]}" ${seconds:+--exit-after "$seconds"}
    exit 0
fi

seconds=${seconds:-8}
mkdir -p "$BUILD/screenshots"
shot=$BUILD/screenshots/host.png
SHOT=$shot DELAY=$((seconds > 3 ? seconds - 2 : 1)) xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$@" &
    sleep "$DELAY"
    import -window root "$SHOT"
    wait
' _ "${host[@]}" --exit-after "$seconds"
echo "screenshot: $shot"
