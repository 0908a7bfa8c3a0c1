option(QUENCHBOX_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

function(quenchbox_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QUENCHBOX_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
