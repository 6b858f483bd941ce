#!/usr/bin/env bash
# package-check.sh [ZIP]
# Installs the release package the way a lab administrator does, on a clean
# 32-bit Windows (a fresh WINEARCH=win32 prefix under /tmp), and fails unless:
#   - the zip holds exactly the six files, the binaries 32-bit, of the
#     package's version and importing only system DLLs;
#   - register.cmd (from "C:\Program Files\Vexa-<version>") succeeds and the
#     registry then names that folder's QX7350.dll as the plug-in class's
#     in-process server, in the Torvane plug-in category;
#   - the host, told to use the registration only (--no-register), finds the
#     plug-in through it and opens an instrument, whose picture it saves;
#   - unregister.cmd removes the keys, after which the same host run finds
#     no plug-in (so the run before cannot have passed without the
#     registration).
# Without ZIP the package is made first (scripts/package.sh). Uses DISPLAY
# when set, else an Xvfb of its own. The host's pictures are kept in
# build/package-check/. Needs a machine that runs 32-bit programs
# (scripts/can-run-i386.sh); elsewhere it says so and exits with 3.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
export VEXA_BUILD=${VEXA_BUILD:-$ROOT/build}
BUILD=$VEXA_BUILD
# The plug-in's class, which Torvane creates, and the Torvane plug-in
# category it enumerates (CLSID_VexaPlugIn and CATID_TorvanePlugIns).
CLSID='{F191129C-F2DD-4D99-B062-11ABB9722A3F}'
CATID='{49E4A0A5-B677-4820-81F9-4F542C60FB9D}'
PROGID='Torvane.QX7350'
FILES="INSTALL.txt QX7350.dll VexaHost.exe VexaRes.dll register.cmd unregister.cmd"

started=$SECONDS
log() { printf '[package-check] %3ds %s\n' $((SECONDS - started)) "$*"; }
fail() { printf '[package-check] FAILED: %s\n' "$*" >&2; exit 1; }

if ! ./scripts/can-run-i386.sh; then
    echo "[package-check] this machine runs no 32-bit programs: the 32-bit package cannot be installed here" >&2
    exit 3
fi

zip=${1:-}
if [ -z "$zip" ]; then
    ./scripts/package.sh
    zip=$BUILD/package/Vexa-$(head -n 1 VERSION).zip
    started=$SECONDS
fi
zip=$(realpath "$zip")
[ -f "$zip" ] || fail "no package $zip"

work=$(mktemp -d /tmp/vexa-package-check.XXXXXX)
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb=""
cleanup() {
    # Only this check's prefix: its wineserver, nothing of another prefix.
    [ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=:$(cat "$work/display")
fi
# Every Windows program's output goes to a file: Wine's services outlive the
# program and would hold a pipe open.
run32() { ./scripts/wine-run.sh 32 "$@" </dev/null; }
regQuery() { run32 reg query "$@" >"$work/reg.txt" 2>&1; }

log "package $zip"
log "creating a fresh 32-bit Wine prefix"
run32 wineboot -i >"$work/wineboot.log" 2>&1 || true
wineserver -w
grep -q '^#arch=win32' "$WINEPREFIX/system.reg" || fail "the prefix is not 32-bit"
wineserver -p >/dev/null 2>&1  # one server for the steps below

log "unpacking into C:\\Program Files"
programs=$WINEPREFIX/drive_c/Program\ Files
python3 - "$zip" "$programs" "$FILES" >"$work/unpack.txt" <<'PY' || fail "the package's content: $(cat "$work/unpack.txt")"
import sys, zipfile
path, target, expected = sys.argv[1], sys.argv[2], sorted(sys.argv[3].split())
with zipfile.ZipFile(path) as z:
    names = z.namelist()
    folders = {n.split('/')[0] for n in names}
    files = sorted(n.split('/', 1)[1] for n in names if '/' in n)
    if len(folders) != 1 or files != expected:
        sys.exit('expected one folder with %s, found %s' % (expected, names))
    z.extractall(target)
    print(folders.pop())
PY
folder=$(cat "$work/unpack.txt")
version=${folder#Vexa-}
dir=$programs/$folder
win="C:\\Program Files\\$folder"
python3 scripts/check-binaries.py --machine i386 "$version" "$dir"/QX7350.dll "$dir"/VexaRes.dll "$dir"/VexaHost.exe \
    || fail "the binaries are not the 32-bit ones of version $version"
tests/plugin/check-imports.sh i686-w64-mingw32-objdump "$dir"/QX7350.dll "$dir"/VexaRes.dll "$dir"/VexaHost.exe \
    >"$work/imports.txt" || fail "the binaries import more than system DLLs: $(cat "$work/imports.txt")"
for text in INSTALL.txt register.cmd unregister.cmd; do
    [ "$(grep -c $'\r$' "$dir/$text")" = "$(wc -l <"$dir/$text")" ] || fail "$text has lines without CRLF"
done
grep -q "version $version" "$dir/INSTALL.txt" || fail "INSTALL.txt does not name version $version"

# The registry as Torvane reads it: is the plug-in's class there, served by
# the installed library, and in the category?
registered() {
    regQuery "HKCR\\CLSID\\$CLSID\\InprocServer32" /ve || return 1
    tr -d '\r' <"$work/reg.txt" | grep -qiF "REG_SZ    $win\\QX7350.dll" || return 1
    regQuery "HKCR\\CLSID\\$CLSID\\Implemented Categories\\$CATID" || return 1
    regQuery "HKCR\\$PROGID\\CLSID" /ve && tr -d '\r' <"$work/reg.txt" | grep -qiF "$CLSID"
}
gone() {
    ! regQuery "HKCR\\CLSID\\$CLSID" && ! regQuery "HKCR\\$PROGID"
}

log "register.cmd"
gone || fail "the fresh prefix has the plug-in registered already"
run32 "$win\\register.cmd" /nopause >"$work/register.log" 2>&1 || fail "register.cmd: $(tr -d '\r' <"$work/register.log")"
registered || fail "after register.cmd the registry lacks the plug-in: $(tr -d '\r' <"$work/reg.txt")"
log "  $(tr -d '\r' <"$work/register.log" | grep -m1 '^Done')"

# The host from the package, on the registration alone. Sets windows to the
# number of instrument windows it saw; the pictures go to
# build/package-check/NAME.
pictures=$BUILD/package-check
capture="$WINEPREFIX/drive_c/vexa-check"
runHost() {
    local name=$1 status
    rm -rf "$capture" "${pictures:?}/$name"
    set +e
    run32 "$win\\VexaHost.exe" --no-register --demo --open 10040 --capture 'C:\vexa-check' --delay 2 \
        >"$work/host-$name.log" 2>&1
    status=$?
    set -e
    [ $status -eq 0 ] || fail "the host ($name) exited with $status: $(cat "$work/host-$name.log")"
    [ -f "$capture/instruments.txt" ] || fail "the host ($name) saved no pictures"
    mkdir -p "$pictures"
    cp -r "$capture" "$pictures/$name"
    windows=$(grep -c . "$capture/instruments.txt" || true)
}

log "the host with the registered plug-in"
runHost registered
[ "$windows" = 1 ] || fail "the host opened $windows instrument windows, not 1 (see $pictures/registered)"
python3 - "$pictures/registered/instrument-01.png" <<'PY' || fail "the instrument's picture is blank"
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
width, height = struct.unpack('>II', data[16:24])
raw = b''
at = 8
while at < len(data):
    length, kind = struct.unpack('>I4s', data[at:at + 8])
    if kind == b'IDAT':
        raw += data[at + 8:at + 8 + length]
    at += 12 + length
# A window that drew nothing is one colour: its filtered rows are nearly all
# zeros. A front panel has digits, labels and keys.
distinct = len(set(zlib.decompress(raw)))
print('  instrument picture %dx%d, %d distinct byte values' % (width, height, distinct))
sys.exit(0 if width >= 100 and height >= 100 and distinct >= 32 else 1)
PY
log "  instrument: $(cut -f2 "$pictures/registered/instruments.txt")"

log "unregister.cmd"
run32 "$win\\unregister.cmd" /nopause >"$work/unregister.log" 2>&1 \
    || fail "unregister.cmd: $(tr -d '\r' <"$work/unregister.log")"
gone || fail "after unregister.cmd the registry still has the plug-in: $(tr -d '\r' <"$work/reg.txt")"
! regQuery "HKCR\\CLSID\\$CLSID\\Implemented Categories\\$CATID" || fail "the category still lists the plug-in"

log "the host without the registration"
runHost unregistered
[ "$windows" = 0 ] || fail "without the registration the host still opened $windows instrument windows"

log "passed: $(basename "$zip") registers, loads in the host and unregisters (pictures in $pictures)"
