#!/usr/bin/env bash
# wine-session.sh COMMAND [ARGS...]
# Runs a command with one Wine server of the project's prefix kept up for its
# whole length, on the caller's X display or, without one, a private Xvfb.
# For the long runs (fault matrix, soak) that start several Wine programs.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-${VEXA_BUILD:-$ROOT/build}/wine}
xvfb=
if [ -z "${DISPLAY:-}" ]; then
    displayfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$displayfile")
    rm -f "$displayfile"
fi
wineserver -p >/dev/null 2>&1
# Wine's services outlive the first program; they must not hold our output open.
"$ROOT/scripts/wine-run.sh" 64 cmd /c exit >/dev/null 2>&1 </dev/null
end() {
    wineserver -k >/dev/null 2>&1
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
}
# Stopped from outside (a time limit), it takes its Wine programs and its
# Xvfb along; waiting in the background lets the signal in at once.
trap 'end; exit 124' TERM INT
"$@" &
wait $!
status=$?
end
exit $status
