// A hint that memory is read (or written) soon, for loops that look far-apart records up
// in turn: fetched ahead, their waits for memory overlap instead of following one another.
#pragma once

namespace tf {

inline void FetchAhead(const void* at, bool forWriting = false) {
#if defined(__GNUC__) || defined(__clang__)
  if (forWriting)
    __builtin_prefetch(at, 1);
  else
    __builtin_prefetch(at);
#else
  (void)at;
  (void)forWriting;
#endif
}

}  // namespace tf
