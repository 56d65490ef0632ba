# Warnings are errors on every preset: both compilers must stay at zero.
add_library(norv_warnings INTERFACE)
target_compile_options(norv_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)
