#!/usr/bin/env bash
# build.sh [--product] [TREE...]  configures (once) and builds the build trees:
#   native  g++, the portable core, tools, simulator and tests
#   asan    clang with address+undefined sanitizers, and the libFuzzer targets
#   tsan    clang with the thread sanitizer, only the threaded tests
#   win32   the product: 32-bit Windows DLLs, host and tests (mingw-w64; only
#           the product where this machine runs no 32-bit programs)
#   win64   the same sources for 64-bit Windows, tested under 64-bit Wine where
#           32-bit programs cannot run (elsewhere only the product: it keeps
#           the code free of pointer-width assumptions)
# Without arguments every tree is built. With --product first, the Windows
# trees build only the shipped binaries (QX7350.dll, VexaRes.dll and
# VexaHost.exe), which is all the release package needs.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${VEXA_BUILD:-$ROOT/build}
PRODUCT="QX7350 VexaRes VexaHost"
product=false
if [ "${1:-}" = --product ]; then
    product=true
    shift
fi
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native asan tsan win32 win64)

configure() {
    local dir=$1
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    fi
}

for tree in "${trees[@]}"; do
    dir=$BUILD/$tree
    target=all
    case $tree in
        native) configure "$dir" -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc ;;
        asan)   configure "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
                    -DVEXA_SANITIZE=address,undefined -DVEXA_FUZZ=ON ;;
        tsan)   configure "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
                    -DVEXA_SANITIZE=thread
                target=vexa_threaded_tests ;;
        win32)  configure "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DVEXA_DEPS="$BUILD/deps"
                # Where no 32-bit program runs, its test programs cannot either:
                # the product and what its static check reads are enough.
                if $product; then
                    target=$PRODUCT
                elif ! ./scripts/can-run-i386.sh; then
                    target="$PRODUCT dll_tests"
                fi ;;
        win64)  configure "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DVEXA_DEPS="$BUILD/deps"
                # Where the 32-bit build's tests run, these would only repeat them.
                if $product || { ./scripts/can-run-i386.sh && [ -z "${VEXA_WIN64_TESTS:-}" ]; }; then
                    target=$PRODUCT
                fi ;;
        *) echo "unknown tree: $tree" >&2; exit 2 ;;
    esac
    echo "[build] $tree"
    # shellcheck disable=SC2086
    cmake --build "$dir" --target $target
done
