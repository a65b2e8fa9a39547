# Per-target build settings shared by every library, program and test of the project.

if(ZELM_SANITIZE)
  set(ZELM_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
elseif(ZELM_SANITIZER STREQUAL "thread")
  set(ZELM_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
elseif(ZELM_SANITIZER STREQUAL "fuzzer")
  # Coverage for the fuzz targets; they add -fsanitize=fuzzer when they link.
  set(ZELM_SANITIZER_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()

# Warnings (and sanitizers when asked) for one target.
function(zelm_target_settings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(ZELM_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # The constant tables are built at compile time in more steps than clang allows by default.
    target_compile_options(${target} PRIVATE -fconstexpr-steps=100000000)
  endif()
  if(ZELM_SANITIZER_FLAGS)
    target_compile_options(${target} PRIVATE ${ZELM_SANITIZER_FLAGS})
    target_link_options(${target} PRIVATE ${ZELM_SANITIZER_FLAGS})
  endif()
endfunction()
