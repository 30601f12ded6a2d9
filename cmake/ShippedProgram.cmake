# orvane_shipped_program(TARGET)
#
# What a program that ships is linked with, for the systems it runs on:
#   - the runtime of the compilers' win32 thread model (libstdc++, libgcc)
#     instead of the posix one that the build compiles with. The posix
#     runtime brings its thread library, which imports functions of Windows
#     XP and Vista (GetTickCount64, AddVectoredExceptionHandler,
#     TryEnterCriticalSection, IsDebuggerPresent), so the program would not
#     load on Windows 95 or NT 4.0. The objects are the same ones the tests
#     link: only the runtime libraries differ, found first through their
#     folder. The import check (tests/imports) sees to it that nothing of
#     the posix runtime creeps back.
# and for its start:
#   - its sections are aligned to pages in the file, so that Wine maps them
#     instead of reading each one into memory;
#   - it goes without its debugging sections, most of the file and about
#     5 ms of each start under Wine. They are kept beside the build's objects
#     in TARGET.debug, which the program names (a debug link), so that a
#     debugger still finds them.
function(orvane_shipped_program target)
  if(NOT ORVANE_WIN32_RUNTIME_DIR)
    execute_process(COMMAND ${ORVANE_MINGW_PREFIX}-gcc-win32 -print-libgcc-file-name
      OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT EXISTS "${libgcc}")
      message(FATAL_ERROR "${ORVANE_MINGW_PREFIX}-gcc-win32 not found: the shipped programs link its "
        "runtime (Debian's g++-mingw-w64 packages bring it; scripts/setup.sh installs them)")
    endif()
    get_filename_component(dir "${libgcc}" DIRECTORY)
    set(ORVANE_WIN32_RUNTIME_DIR ${dir} CACHE INTERNAL "The win32 thread model's runtime libraries")
  endif()
  target_link_options(${target} PRIVATE -L${ORVANE_WIN32_RUNTIME_DIR})
  target_link_options(${target} PRIVATE -Wl,--file-alignment,4096)
  find_program(ORVANE_OBJCOPY ${ORVANE_MINGW_PREFIX}-objcopy REQUIRED)
  set(debug ${CMAKE_CURRENT_BINARY_DIR}/${target}.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${ORVANE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug}
    COMMAND ${ORVANE_OBJCOPY} --strip-debug --add-gnu-debuglink=${debug} $<TARGET_FILE:${target}>
    COMMENT "Debugging information of ${target} to ${target}.debug"
    VERBATIM)
endfunction()
