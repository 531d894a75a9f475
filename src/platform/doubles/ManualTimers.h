// Timers on the manual clock: advancing the clock fires every tick that falls
// due, in time order, so a held button can be played in a test.
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Timer.h"
#include "platform/doubles/ManualClock.h"

namespace qv::platform {

class TManualTimers {
 public:
  explicit TManualTimers(TManualClock& clock) : clock_(clock), state_(std::make_shared<State>()) {}

  // Timers made here may outlive this object; they then never tick.
  TTimerFactory Factory() {
    return [state = state_, &clock = clock_](std::function<void()> onTick) -> std::unique_ptr<ITimer> {
      auto timer = std::make_unique<Timer>(state, clock, std::move(onTick));
      state->timers.push_back(timer.get());
      return timer;
    };
  }

  // Moves the clock on by ms, firing each tick at its own time.
  void Advance(uint32_t ms) {
    const uint64_t end = clock_.TickCount() + uint64_t{ms};
    for (;;) {
      Timer* next = nullptr;
      for (Timer* t : state_->timers)
        if (t->running && t->due <= end && (!next || t->due < next->due)) next = t;
      if (!next) break;
      clock_.Advance(static_cast<uint32_t>(next->due - clock_.TickCount()));
      next->due += next->interval;
      next->onTick();  // may restart, stop or free the timer
    }
    clock_.Advance(static_cast<uint32_t>(end - clock_.TickCount()));
  }

 private:
  struct Timer;
  struct State {
    std::vector<Timer*> timers;
  };
  struct Timer final : ITimer {
    Timer(std::shared_ptr<State> s, TManualClock& c, std::function<void()> f)
        : state(std::move(s)), clock(c), onTick(std::move(f)) {}
    ~Timer() override { std::erase(state->timers, this); }
    void Start(uint32_t ms) override {
      running = true;
      interval = std::max<uint32_t>(ms, 1);
      due = uint64_t{clock.TickCount()} + interval;
    }
    void Stop() override { running = false; }
    bool Running() const override { return running; }

    std::shared_ptr<State> state;
    TManualClock& clock;
    std::function<void()> onTick;
    bool running = false;
    uint32_t interval = 1;
    uint64_t due = 0;
  };

  TManualClock& clock_;
  std::shared_ptr<State> state_;
};

}  // namespace qv::platform
