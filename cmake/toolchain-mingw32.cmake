# Cross-compiles the native 32-bit Windows console program with Debian's
# MinGW-w64 (package g++-mingw-w64-i686-win32). Linked statically so the
# exe needs no compiler runtime DLLs next to it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SHIROKURO_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SHIROKURO_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${SHIROKURO_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${SHIROKURO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SHIROKURO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
