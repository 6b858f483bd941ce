#!/usr/bin/env bash
# Creates the private Wine prefix PREFIX with the fonts GDI+ needs: Tahoma from
# Wine's own fonts and Liberation faces standing in for Arial, Courier New and
# Times New Roman. Does nothing when the prefix is already complete.
set -euo pipefail
PREFIX=$1
STAMP=$PREFIX/.vexa-fonts
[ -f "$STAMP" ] && exit 0
RUN="$(dirname "$0")/wine-run.sh 64"
export WINEPREFIX=$PREFIX
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
