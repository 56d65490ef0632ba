set(_norv_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_compile_options(${_norv_san})
add_link_options(${_norv_san})
