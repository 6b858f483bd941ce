#!/usr/bin/env bash
# wine-run.sh 32|64 PROGRAM [ARGS...]
# Runs a Windows program under Wine in the project's private prefix, with the
# loader of the program's width. The test runner provides DISPLAY (one Xvfb
# for the whole run); Wine's own chatter is silenced.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bits=$1
shift
export WINEPREFIX=${WINEPREFIX:-${VEXA_BUILD:-$ROOT/build}/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
if [ "$bits" = 64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    exec /usr/lib/wine/wine64 "$@"
fi
exec /usr/lib/wine/wine "$@"
