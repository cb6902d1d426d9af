# Shared by both mingw toolchains; the including file sets LRX_MINGW and the processor.
set(CMAKE_SYSTEM_NAME Windows)
# The posix thread model: GoogleTest needs std::mutex.
set(CMAKE_C_COMPILER ${LRX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LRX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${LRX_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LRX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
