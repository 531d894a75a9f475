// Repeating timers delivered on the user-interface thread, like a window's
// timer: a control creates one and is told each time its interval passes.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace qv::platform {

class ITimer {
 public:
  virtual ~ITimer() = default;
  // Starts counting afresh: the next tick comes intervalMs from now, then one
  // every intervalMs. Starting a running timer restarts its count.
  virtual void Start(uint32_t intervalMs) = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
};

// Makes a timer that calls onTick on every tick until it is stopped or freed.
using TTimerFactory = std::function<std::unique_ptr<ITimer>(std::function<void()> onTick)>;

}  // namespace qv::platform
