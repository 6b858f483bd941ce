#!/usr/bin/env bash
# Creates the private Wine prefix PREFIX with the fonts GDI+ needs: Tahoma from
# Wine's own fonts and Liberation faces standing in for Arial, Courier New and
# Times New Roman. Its windows are unmanaged: there is no window manager on
# the Xvfb, and Wine waits about two seconds for one at every top-level window
# it destroys. Does nothing when the prefix is already complete.
set -euo pipefail
PREFIX=$(realpath -m "$1")  # Wine takes only an absolute prefix
STAMP=$PREFIX/.vexa-fonts
UNMANAGED=$PREFIX/.vexa-unmanaged
RUN="$(dirname "$0")/wine-run.sh 64"
export WINEPREFIX=$PREFIX

unmanaged() {
    [ -f "$UNMANAGED" ] && return 0
    $RUN reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w || true
    $RUN reg query 'HKCU\Software\Wine\X11 Driver' /v Managed >/dev/null 2>&1 \
        || { echo "[setup] the window setting did not reach the Wine registry" >&2; exit 1; }
    touch "$UNMANAGED"
}

if [ -f "$STAMP" ]; then
    unmanaged
    exit 0
fi
echo "[setup] creating the Wine prefix $PREFIX"
$RUN wineboot -i >/dev/null 2>&1 || true
wineserver -w || true
FONTS=$PREFIX/drive_c/windows/Fonts
mkdir -p "$FONTS"
cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf "$FONTS/"
REG=$(mktemp --suffix=.reg)
cat > "$REG" <<'REGEOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Courier New"="Liberation Mono"
"Times New Roman"="Liberation Serif"
REGEOF
$RUN regedit "$REG" >/dev/null 2>&1
wineserver -w || true
rm -f "$REG"
$RUN reg query 'HKCU\Software\Wine\Fonts\Replacements' /v Arial >/dev/null 2>&1 \
    || { echo "[setup] the font replacements did not reach the Wine registry" >&2; exit 1; }
touch "$STAMP"
unmanaged
