// A clock that moves only when told: sleeping advances it at once.
#pragma once
#include "platform/Clock.h"

namespace qv::platform {

class TManualClock final : public IClock {
 public:
  explicit TManualClock(uint32_t start = 0) : now_(start) {}
  uint32_t TickCount() override { return now_; }
  void Sleep(uint32_t ms) override { now_ += ms; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  uint32_t now_;
};

}  // namespace qv::platform
