// The clock the slideshow paces itself by: the system's, or a manual one that
// a test or a headless render advances.
#pragma once
#include <cstdint>

#include "platform/System.h"

namespace qv::platform {

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds, 32 bits, wrapping.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;
};

class TSystemClock final : public IClock {
 public:
  uint32_t TickCount() override { return platform::TickCount(); }
  void Sleep(uint32_t ms) override { SleepMs(ms); }
};

}  // namespace qv::platform
