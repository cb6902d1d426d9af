# Warnings are errors on every compiler we build with.
function(lrx_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        # mingw's gcc 12 warns about std::string concatenation it inlines
        # itself (a known false positive of -Wrestrict in that release).
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
