#ifndef QUENCHBOX_TESTS_COMMON_SANITIZERBUILD_H
#define QUENCHBOX_TESTS_COMMON_SANITIZERBUILD_H

// What the sanitizer a test is built with changes about it.
namespace sanitizerbuild {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitized = true;  // freed memory is held back on purpose: no flat memory figures
#else
constexpr bool kAddressSanitized = false;
#endif
#if defined(__SANITIZE_THREAD__)
constexpr bool kThreadSanitized = true;  // one thread: nothing to find, only time to spend
#else
constexpr bool kThreadSanitized = false;
#endif

}  // namespace sanitizerbuild

#endif
