# orvane_shipped_program(TARGET)
#
# What a program that ships is linked with, for its start:
#   - its sections are aligned to pages in the file, so that Wine maps them
#     instead of reading each one into memory;
#   - it goes without its debugging sections, most of the file and about
#     5 ms of each start under Wine. They are kept beside the build's objects
#     in TARGET.debug, which the program names (a debug link), so that a
#     debugger still finds them.
function(orvane_shipped_program target)
  target_link_options(${target} PRIVATE -Wl,--file-alignment,4096)
  find_program(ORVANE_OBJCOPY ${ORVANE_MINGW_PREFIX}-objcopy REQUIRED)
  set(debug ${CMAKE_CURRENT_BINARY_DIR}/${target}.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${ORVANE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug}
    COMMAND ${ORVANE_OBJCOPY} --strip-debug --add-gnu-debuglink=${debug} $<TARGET_FILE:${target}>
    COMMENT "Debugging information of ${target} to ${target}.debug"
    VERBATIM)
endfunction()
