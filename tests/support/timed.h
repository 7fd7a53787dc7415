// Whether a test's time limits mean anything in this build: the sanitizers slow the
// program down several times over, so limits are checked only without them (the same
// tests still run there for what they check besides time).
#pragma once

namespace tf::testing {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kTimed = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kTimed = false;
#else
inline constexpr bool kTimed = true;
#endif
#else
inline constexpr bool kTimed = true;
#endif

}  // namespace tf::testing
