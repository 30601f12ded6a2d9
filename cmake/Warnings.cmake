# Compiler warnings shared by every target of the project; a warning is a defect.
function(orvane_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wimplicit-fallthrough -Wformat=2)
endfunction()
