set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LRX_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
# Tests of this build run under wine64.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run /usr/lib/wine/wine64)
