// TickCounter: what one 50 ms tick of the application's timer does: which tick the
// application gets, and the whole seconds counted while it is running.
#pragma once

#include <cstdint>

namespace tf {

class TickCounter {
 public:
  enum class Action { Busy, Inactive };

  // Stores the running state; state 1 also starts counting from `nowMs`.
  void SetRunning(int state, int64_t nowMs);

  // One tick at `nowMs` (milliseconds of a steady clock). An inactive application only
  // gets its inactive tick. Otherwise, while running, the whole seconds since the last
  // count are added and counting restarts at `nowMs` (the fraction is dropped).
  Action Tick(bool active, int64_t nowMs);

  int running() const { return m_running; }
  int32_t seconds() const { return m_seconds; }
  void setSeconds(int32_t seconds) { m_seconds = seconds; }

 private:
  int m_running = 0;
  int32_t m_seconds = 0;
  bool m_hasStart = false;
  int64_t m_startMs = 0;
};

}  // namespace tf
