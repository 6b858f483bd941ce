# The product: 32-bit Windows. Its tests run under 32-bit Wine where the
# machine can run 32-bit programs.
set(VEXA_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;32")
# Doubles in SSE2 registers, as in the 64-bit build: the x87's 80-bit
# intermediates round differently (a pixel off here, 99 for 100 there).
# Windows calls back with a stack aligned to 4 bytes only, hence the realigning.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
