# The same sources for 64-bit Windows, so that the Windows-side tests run under
# 64-bit Wine on machines whose kernel runs no 32-bit programs.
set(VEXA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;64")
