# The platform's own 32-bit program (package g++-mingw-w64-i686-win32).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SHIROKURO_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
