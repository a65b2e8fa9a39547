# Per-target build settings shared by every library, program and test of the project.

if(ZELM_SANITIZE)
  set(ZELM_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()

# Warnings (and sanitizers when asked) for one target.
function(zelm_target_settings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(ZELM_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(ZELM_SANITIZE)
    target_compile_options(${target} PRIVATE ${ZELM_SANITIZER_FLAGS})
    target_link_options(${target} PRIVATE ${ZELM_SANITIZER_FLAGS})
  endif()
endfunction()
