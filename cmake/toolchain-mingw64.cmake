# The same program for 64-bit Windows (package g++-mingw-w64-x86-64-win32),
# for machines whose Wine runs no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SHIROKURO_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
