#!/usr/bin/env bash
# Installs what the builds and tests need when it is missing, cross-builds GSL's
# FFT for Windows and prepares the private Wine prefix. Safe to run again: a
# second run finds everything in place and only checks.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${VEXA_BUILD:-$ROOT/build}
mkdir -p "$BUILD"

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

log() { printf '[setup] %s\n' "$*"; }

# ---------------------------------------------------------------- packages
NATIVE_PKGS=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
             libgsl-dev pkg-config dpkg-dev python3 imagemagick xauth)
WIN_PKGS=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
          binutils-mingw-w64-x86-64 wine wine64 xvfb fonts-wine fonts-liberation)
# 32-bit Wine only where the kernel runs 32-bit programs; elsewhere the Windows
# tests run in the 64-bit build and the 32-bit product is built and checked.
if "$ROOT/scripts/can-run-i386.sh"; then
    WIN_PKGS+=(wine32:i386)
fi

missing=()
for p in "${NATIVE_PKGS[@]}" "${WIN_PKGS[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    log "installing: ${missing[*]}"
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    # The i386 security index can fail to fetch while everything else arrives;
    # the install below is what must succeed, so the update's status is ignored.
    $SUDO apt-get update -qq || log "apt-get update reported a failure; going on"
    # -t bookworm takes both architectures' libraries from the main suite, which
    # keeps amd64 and i386 versions of shared libraries equal.
    $SUDO apt-get install -y -qq -t bookworm --no-install-recommends "${missing[@]}"
fi

# ---------------------------------------------------------------- GSL for Windows
for arch in i686 x86_64; do
    if [ ! -f "$BUILD/deps/gsl-$arch/lib/libgslfft.a" ]; then
        if ! grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
            log "adding a deb-src entry for GSL's source"
            printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
                | $SUDO tee /etc/apt/sources.list.d/vexa-deb-src.sources >/dev/null
            $SUDO apt-get update -qq || log "apt-get update reported a failure; going on"
        fi
        "$ROOT/scripts/build-gsl-win.sh" "$arch" "$BUILD/deps"
    fi
done

# ---------------------------------------------------------------- Wine prefix
"$ROOT/scripts/wine-prefix.sh" "$BUILD/wine"

log "ready"
