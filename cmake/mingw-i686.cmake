# The product: 32-bit Windows. Its tests run under 32-bit Wine where the
# machine can run 32-bit programs.
set(VEXA_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;32")
