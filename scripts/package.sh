#!/usr/bin/env bash
# Sets up what is missing, builds the 32-bit product and writes the release
# package build/package/Vexa-<version>.zip (the version from VERSION): the
# folder Vexa-<version> with QX7350.dll, VexaRes.dll, VexaHost.exe,
# INSTALL.txt, register.cmd and unregister.cmd. Before packing, the binaries
# must be 32-bit, carry that version and import nothing but system DLLs.
# Prints the package's path last. scripts/package-check.sh installs it in a
# fresh 32-bit Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
export VEXA_BUILD=${VEXA_BUILD:-$ROOT/build}
BUILD=$VEXA_BUILD
version=$(head -n 1 VERSION)
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || { echo "VERSION holds no version: '$version'" >&2; exit 1; }

./scripts/setup.sh
./scripts/build.sh --product win32

bin=$BUILD/win32/bin
name=Vexa-$version
out=$BUILD/package
stage=$out/$name
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage"
# The build keeps its debugging information (some 50 MB); what ships does
# not need it.
for binary in QX7350.dll VexaRes.dll VexaHost.exe; do
    i686-w64-mingw32-strip -s -o "$stage/$binary" "$bin/$binary"
done
binaries=("$stage/QX7350.dll" "$stage/VexaRes.dll" "$stage/VexaHost.exe")
echo "[package] checking the binaries"
python3 scripts/check-binaries.py --machine i386 "$version" "${binaries[@]}"
tests/plugin/check-imports.sh i686-w64-mingw32-objdump "${binaries[@]}"

# The texts are read on Windows: CRLF line ends, which Notepad of every
# version shows and cmd.exe's labels need.
for text in INSTALL.txt register.cmd unregister.cmd; do
    sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "package/$text" >"$stage/$text"
done
if grep -q '@[A-Z]*@' "$stage"/*.txt "$stage"/*.cmd; then
    echo "[package] a placeholder is left in the package's texts" >&2
    exit 1
fi

# Python's zipfile rather than zip(1), which a fresh machine may lack.
python3 - "$out" "$name" <<'PY'
import os, sys, zipfile
out, name = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(os.path.join(out, name + '.zip'), 'w', zipfile.ZIP_DEFLATED) as z:
    for f in sorted(os.listdir(os.path.join(out, name))):
        z.write(os.path.join(out, name, f), name + '/' + f)
PY
echo "[package] wrote $out/$name.zip"
