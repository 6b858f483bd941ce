#!/usr/bin/env bash
# check-imports.sh OBJDUMP FILE...
# Fails when a Windows binary imports a DLL that is not part of the system
# (a compiler runtime such as libstdc++-6.dll or libwinpthread-1.dll).
set -euo pipefail
objdump=$1
shift
allowed='^(kernel32|user32|gdi32|gdiplus|advapi32|ole32|oleaut32|shell32|shlwapi|comctl32|comdlg32|ws2_32|iphlpapi|setupapi|cfgmgr32|msvcrt|version|winmm|uxtheme|msimg32|imm32|api-ms-win-.*)\.dll$'
status=0
for f in "$@"; do
    headers=$("$objdump" -p "$f")
    grep -q '^Characteristics' <<<"$headers" || { echo "$f: no PE headers read"; exit 1; }
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
    echo "$(basename "$f"): $(tr '\n' ' ' <<<"$imports")"
    while read -r dll; do
        [ -n "$dll" ] || continue
        if ! tr 'A-Z' 'a-z' <<<"$dll" | grep -Eq "$allowed"; then
            echo "  not a system library: $dll"
            status=1
        fi
    done <<<"$imports"
done
exit $status
