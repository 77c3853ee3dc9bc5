# Warnings are errors in every build of this project.
function(ksparse_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
