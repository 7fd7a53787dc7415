#include "ui/layout/tick_counter.h"

#include <limits>

namespace tf {

void TickCounter::SetRunning(int state, int64_t nowMs) {
  m_running = state;
  if (state == 1) {
    m_startMs = nowMs;
    m_hasStart = true;
  }
}

TickCounter::Action TickCounter::Tick(bool active, int64_t nowMs) {
  if (!active) return Action::Inactive;
  if (m_running && !m_hasStart) {
    m_startMs = nowMs;
    m_hasStart = true;
  } else if (m_running) {
    const int64_t whole = (nowMs - m_startMs) / 1000;
    if (whole >= 1) {
      // Saturates instead of wrapping after 68 years of counting.
      const int64_t sum = static_cast<int64_t>(m_seconds) + whole;
      m_seconds = static_cast<int32_t>(
          sum > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : sum);
      m_startMs = nowMs;
    }
  }
  return Action::Busy;
}

}  // namespace tf
