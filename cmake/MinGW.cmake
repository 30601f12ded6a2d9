# What both Windows cross builds share; the toolchain files set
# CMAKE_SYSTEM_PROCESSOR and ORVANE_MINGW_PREFIX and include this.
# The posix thread model is needed to compile: GoogleTest uses std::mutex,
# which the win32-model compilers do not provide. The programs that ship
# link the win32 model's runtime instead (cmake/ShippedProgram.cmake).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${ORVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${ORVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# A static runtime: without it the programs need the MinGW DLLs beside them
# and exit silently when those are missing.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
