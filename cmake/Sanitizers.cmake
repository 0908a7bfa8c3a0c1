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
