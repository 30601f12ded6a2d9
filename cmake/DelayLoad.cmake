# orvane_delay_load(TARGET DLL NAME:ARGUMENT_BYTES ...)
#
# Links TARGET to the named functions of DLL through a delay-import library,
# so that the DLL is loaded at the first call of one of them instead of when
# the program starts. The library is made by dlltool from a definition file
# written here; on 32-bit Windows the functions are stdcall, and their
# linker names carry the argument bytes ("ChooseFontA@4").
function(orvane_delay_load target dll)
  find_program(ORVANE_DLLTOOL ${ORVANE_MINGW_PREFIX}-dlltool REQUIRED)
  set(definitions "LIBRARY ${dll}.dll\nEXPORTS\n")
  foreach(entry ${ARGN})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 bytes)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND definitions "  ${name}@${bytes}\n")
      # The 32-bit linker keeps an import library's call stub only when the
      # stub is referenced by its name; a delay-loaded function's address
      # slot refers to it by its section and would be left holding zero,
      # so the first call would jump there.
      target_link_options(${target} PRIVATE -Wl,-u,_${name}@${bytes})
    else()
      string(APPEND definitions "  ${name}\n")
    endif()
  endforeach()
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${dll}-delay.def)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${dll}-delay.a)
  file(CONFIGURE OUTPUT ${def} CONTENT "${definitions}")
  set(kill_at "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill_at --kill-at)
  endif()
  add_custom_command(OUTPUT ${lib}
    COMMAND ${ORVANE_DLLTOOL} --input-def ${def} --dllname ${dll}.dll ${kill_at} --output-delaylib ${lib}
    DEPENDS ${def}
    COMMENT "Delay-import library for ${dll}.dll")
  add_custom_target(${target}_delay_${dll} DEPENDS ${lib})
  add_dependencies(${target} ${target}_delay_${dll})
  # After the code that calls the functions, before the ordinary import
  # libraries, which would otherwise provide them.
  target_link_libraries(${target} PRIVATE ${lib} delayimp)
endfunction()
