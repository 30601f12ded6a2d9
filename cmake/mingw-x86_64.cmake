# Cross build for 64-bit Windows with MinGW-w64: the same sources as
# orvane64.exe, for machines that run only 64-bit programs (and for 64-bit
# Windows).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORVANE_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
