# -Wall -Wextra on every target of ours, warnings as errors in CI.
option(QUORVEL_WERROR "Treat warnings as errors" OFF)
function(quorvel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QUORVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
