# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 tool chain (g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GLYPHMERE_MINGW_TRIPLE x86_64-w64-mingw32)
# The POSIX thread model, whatever the machine's default: GCC 12's win32 model has no std::thread,
# std::mutex or std::condition_variable, which the engine, the batch and Google Test use.
set(CMAKE_C_COMPILER ${GLYPHMERE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLYPHMERE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GLYPHMERE_MINGW_TRIPLE}-windres)

# Libraries and headers come from the target's tree only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${GLYPHMERE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
