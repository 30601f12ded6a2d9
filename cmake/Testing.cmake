# GoogleTest from Debian's source package, built with the project's own
# compiler (the MinGW one in the Windows build), and a helper that registers
# a test program with CTest.
set(ORVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")

macro(orvane_use_gtest)
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${ORVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
endmacro()

# orvane_add_test(<target> [GUI])
# Registers one test program. In the Windows build CTest runs it under Wine
# through CMAKE_CROSSCOMPILING_EMULATOR (scripts/wine-run.sh). The label
# tells which world a test runs in.
function(orvane_add_test target)
  if(ORVANE_WINDOWS)
    set(label wine)
  else()
    set(label native)
  endif()
  add_test(NAME ${label}.${target} COMMAND ${target} --gtest_color=no)
  set_tests_properties(${label}.${target} PROPERTIES LABELS ${label} TIMEOUT 600)
endfunction()

# orvane_windows_test(<target> <sources>...)
# A Windows test program: links the program's library, its resources and the
# test support (dialog driver, a main that prepares the application context).
function(orvane_windows_test target)
  add_executable(${target} ${ARGN} $<TARGET_OBJECTS:orvane_resources>)
  target_link_libraries(${target} PRIVATE orvane_test_support)
  orvane_warnings(${target})
  orvane_add_test(${target})
endfunction()
