if(QUORVEL_SANITIZER STREQUAL "address")
  # GCC's flow analysis gives false maybe-uninitialized warnings on sanitized code.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
                      $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
  add_link_options(-fsanitize=address,undefined)
elseif(QUORVEL_SANITIZER STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer
                      "$<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized;-Wno-tsan>")
  add_link_options(-fsanitize=thread)
elseif(NOT QUORVEL_SANITIZER STREQUAL "")
  message(FATAL_ERROR "QUORVEL_SANITIZER must be empty, 'address' or 'thread'")
endif()
