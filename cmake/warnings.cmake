# High warning level for our own targets; -Werror when CALVORN_WERROR is set (CI does).
function(calvorn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(CALVORN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
