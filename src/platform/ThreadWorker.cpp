#include "platform/ThreadWorker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qv::platform {

namespace {

class TThreadWorker final : public IWorker {
 public:
  explicit TThreadWorker(std::function<void()> tick) : tick_(std::move(tick)), thread_([this] { Loop(); }) {}
  ~TThreadWorker() override { Terminate(); }

  void Resume() override {
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = false;
    changed_.notify_all();
  }

  void Pause() override {
    std::unique_lock<std::mutex> lock(mutex_);
    paused_ = true;
    if (std::this_thread::get_id() == thread_.get_id()) return;
    changed_.wait(lock, [this] { return !ticking_; });
  }

  bool Paused() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return paused_;
  }

  void Terminate() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      terminated_ = true;
      changed_.notify_all();
    }
    // A worker asked to end from its own tick ends when the tick returns.
    if (thread_.joinable() && std::this_thread::get_id() != thread_.get_id()) thread_.join();
  }

 private:
  void Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return terminated_ || !paused_; });
      if (terminated_) return;
      ticking_ = true;
      lock.unlock();
      try {
        tick_();
      } catch (...) {
      }
      lock.lock();
      ticking_ = false;
      changed_.notify_all();
      changed_.wait_for(lock, std::chrono::milliseconds(kWorkerSleepMs), [this] { return terminated_; });
    }
  }

  std::function<void()> tick_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool paused_ = true;
  bool ticking_ = false;
  bool terminated_ = false;
  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace

std::unique_ptr<IWorker> TThreadWorkers::Create(std::function<void()> tick) {
  return std::make_unique<TThreadWorker>(std::move(tick));
}

}  // namespace qv::platform
