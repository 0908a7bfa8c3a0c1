# QUENCHBOX_SANITIZE: empty, "address" (AddressSanitizer with
# UndefinedBehaviorSanitizer) or "thread". Applied to every target so that the
# plug-in, the offline host and the tests share one runtime.
set(QUENCHBOX_SANITIZE "" CACHE STRING "Sanitizer build: address or thread")

if(QUENCHBOX_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(QUENCHBOX_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT QUENCHBOX_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUENCHBOX_SANITIZE must be empty, address or thread")
endif()

# QUENCHBOX_FUZZ: builds the libFuzzer target (clang only); every target is
# instrumented for the fuzzer's coverage feedback.
option(QUENCHBOX_FUZZ "Build the libFuzzer target tests/fuzz (needs clang)" OFF)
if(QUENCHBOX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUENCHBOX_FUZZ needs clang (libFuzzer)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
