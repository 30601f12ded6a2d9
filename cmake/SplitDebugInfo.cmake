# orvane_split_debug_info(TARGET)
#
# The programs that ship go without their debugging information: Wine copies
# every section of a program into memory when it starts (their file
# alignment is below a page), and the debugging sections are most of the
# file, about 5 ms of each start. The information is kept beside the build's
# objects in TARGET.debug, and the program names it (a debug link), so that
# a debugger still finds it.
function(orvane_split_debug_info target)
  find_program(ORVANE_OBJCOPY ${ORVANE_MINGW_PREFIX}-objcopy REQUIRED)
  set(debug ${CMAKE_CURRENT_BINARY_DIR}/${target}.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${ORVANE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug}
    COMMAND ${ORVANE_OBJCOPY} --strip-debug --add-gnu-debuglink=${debug} $<TARGET_FILE:${target}>
    COMMENT "Debugging information of ${target} to ${target}.debug"
    VERBATIM)
endfunction()
