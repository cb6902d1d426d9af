set(CMAKE_SYSTEM_PROCESSOR i686)
set(LRX_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
# Tests of this build run under 32-bit wine in a 32-bit prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run /usr/lib/wine/wine)
