# Cross build for 32-bit Windows with MinGW-w64: orvane.exe, the program for
# every 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORVANE_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
