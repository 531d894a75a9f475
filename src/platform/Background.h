// Work beside the window: a job (the next picture decoded and fitted) runs on
// a thread of its own while the window goes on drawing, and the window asks
// between frames whether it is done. Real threads in ThreadBackground.h;
// TInlineBackground runs each job at once, inside Start, so headless renders
// and tests stay on one thread and on their simulated time.
#pragma once
#include <atomic>
#include <functional>
#include <memory>

namespace qv::platform {

using TBackgroundWork = std::function<void(const std::atomic<bool>& cancelled)>;

class IBackgroundJob {
 public:
  // Tells the job to stop (it sees `cancelled` turn true) and waits until it
  // has returned.
  virtual ~IBackgroundJob() = default;
  virtual bool Done() const = 0;
};

class IBackground {
 public:
  virtual ~IBackground() = default;
  // The job keeps its own result; an exception that leaves it is dropped.
  virtual std::unique_ptr<IBackgroundJob> Start(TBackgroundWork work) = 0;
};

class TInlineBackground final : public IBackground {
 public:
  std::unique_ptr<IBackgroundJob> Start(TBackgroundWork work) override {
    struct TDone final : IBackgroundJob {
      bool Done() const override { return true; }
    };
    const std::atomic<bool> cancelled{false};
    try {
      work(cancelled);
    } catch (...) {
    }
    return std::make_unique<TDone>();
  }
};

}  // namespace qv::platform
