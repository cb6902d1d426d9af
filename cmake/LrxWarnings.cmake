# Warnings are errors on every compiler we build with.
function(lrx_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
