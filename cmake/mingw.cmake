# Cross-compiles the native Windows console program with Debian's
# MinGW-w64 for the target the including toolchain file names. Linked
# statically so the exe needs no compiler runtime DLLs next to it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${SHIROKURO_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${SHIROKURO_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${SHIROKURO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SHIROKURO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
