# Every target of the project builds with warnings as errors. Sign conversions stay allowed with
# both compilers (clang's -Wconversion would include them, gcc's does not).
function(corvane_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
    -Wconversion -Wno-sign-conversion -Wimplicit-fallthrough)
endfunction()
