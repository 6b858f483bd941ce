#!/usr/bin/env bash
# Cross-builds the part of GSL that the spectrum analyzer's real FFT needs, as
# static Windows libraries for ARCH (i686 or x86_64), into DEPS/gsl-ARCH/{include,lib}.
set -euo pipefail
ARCH=$1
DEPS=$2
mkdir -p "$DEPS/src"
cd "$DEPS/src"
if ! ls gsl_*.orig.tar.gz >/dev/null 2>&1; then
    apt-get source --download-only gsl >/dev/null 2>&1 || apt-get source --download-only gsl
fi
SRC=$DEPS/src/gsl-$ARCH
if [ ! -f "$SRC/configure" ]; then
    rm -rf "$SRC" && mkdir -p "$SRC"
    tar xzf gsl_*.orig.tar.gz --no-same-owner -C "$SRC" --strip-components=1
fi
cd "$SRC"
if [ ! -f Makefile ]; then
    ./configure --host=$ARCH-w64-mingw32 --disable-shared CC=$ARCH-w64-mingw32-gcc-posix >/dev/null
fi
make -s -C gsl >/dev/null
for d in utils sys err complex fft; do make -s -C "$d" >/dev/null; done
OUT=$DEPS/gsl-$ARCH
mkdir -p "$OUT/lib" "$OUT/include/gsl"
cp -L gsl/*.h "$OUT/include/gsl/"
cp fft/.libs/libgslfft.a complex/.libs/libgslcomplex.a sys/.libs/libgslsys.a \
   err/.libs/libgslerr.a utils/.libs/libutils.a "$OUT/lib/"
echo "[setup] GSL for Windows in $OUT"
