// A clock that moves only when told: sleeping advances it at once. Workers on
// real threads may read it while a test moves it.
#pragma once
#include <atomic>

#include "platform/Clock.h"

namespace qv::platform {

class TManualClock final : public IClock {
 public:
  explicit TManualClock(uint32_t start = 0) : now_(start) {}
  TManualClock(const TManualClock& other) : now_(other.now_.load()) {}
  TManualClock& operator=(const TManualClock& other) {
    now_ = other.now_.load();
    return *this;
  }
  uint32_t TickCount() override { return now_.load(std::memory_order_relaxed); }
  void Sleep(uint32_t ms) override { Advance(ms); }
  void Advance(uint32_t ms) { now_.fetch_add(ms, std::memory_order_relaxed); }

 private:
  std::atomic<uint32_t> now_;
};

}  // namespace qv::platform
