#include "platform/fltk/FltkTimer.h"

#include <FL/Fl.H>

#include <cstdio>
#include <exception>

namespace qv::platform {

namespace {

class TFltkTimer final : public ITimer {
 public:
  explicit TFltkTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {}
  ~TFltkTimer() override { Stop(); }

  void Start(uint32_t intervalMs) override {
    Stop();
    interval_ = intervalMs / 1000.0;
    running_ = true;
    Fl::add_timeout(interval_, &TFltkTimer::Tick, this);
  }
  void Stop() override {
    if (running_) Fl::remove_timeout(&TFltkTimer::Tick, this);
    running_ = false;
  }
  bool Running() const override { return running_; }

 private:
  static void Tick(void* data) {
    auto* self = static_cast<TFltkTimer*>(data);
    // The next tick is counted from this one's due time, as a repeating timer
    // keeps its pace; the handler may restart or stop it afterwards.
    Fl::repeat_timeout(self->interval_, &TFltkTimer::Tick, self);
    // A copy: the handler may free the timer.
    const std::function<void()> onTick = self->onTick_;
    try {
      onTick();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "timer: %s\n", e.what());
    }
  }

  std::function<void()> onTick_;
  double interval_ = 0;
  bool running_ = false;
};

}  // namespace

TTimerFactory FltkTimerFactory() {
  return [](std::function<void()> onTick) -> std::unique_ptr<ITimer> {
    return std::make_unique<TFltkTimer>(std::move(onTick));
  };
}

}  // namespace qv::platform
