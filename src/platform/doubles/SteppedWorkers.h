// Workers that tick on the caller's thread when the caller moves the manual
// clock: one round of ticks (every running worker once, in creation order)
// every 5 ms from the clock's time at creation, so a run with the same seed
// is the same run every time. After the clock has moved to T, every round
// due at T or before has run.
#pragma once
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/Worker.h"
#include "platform/doubles/ManualClock.h"

namespace qv::platform {

class TSteppedWorkers final : public IWorkers {
 public:
  explicit TSteppedWorkers(TManualClock& clock) : clock_(clock), next_(clock.TickCount() + kWorkerSleepMs) {}

  std::unique_ptr<IWorker> Create(std::function<void()> tick) override {
    auto entry = std::make_shared<TEntry>();
    entry->tick = std::move(tick);
    entries_.push_back(entry);
    return std::make_unique<TWorker>(std::move(entry));
  }

  // Moves the clock on by `ms`; each round due up to the new time runs with
  // the clock set to its own time.
  void Advance(uint32_t ms) {
    const uint32_t target = clock_.TickCount() + ms;
    while (!Before(target, next_)) {
      clock_.Advance(next_ - clock_.TickCount());
      Round();
    }
    clock_.Advance(target - clock_.TickCount());
  }

  // For a caller that moved the clock itself: runs every round due up to
  // the present time, all at the present time.
  void RunDue() {
    while (!Before(clock_.TickCount(), next_)) Round();
  }

  // Workers not terminated, paused or not.
  size_t Alive() const {
    size_t n = 0;
    for (const auto& e : entries_) n += !e->ended;
    return n;
  }

  // Running workers (resumed, not terminated).
  size_t Running() const {
    size_t n = 0;
    for (const auto& e : entries_) n += !e->paused && !e->ended;
    return n;
  }

 private:
  struct TEntry {
    std::function<void()> tick;
    bool paused = true;
    bool ended = false;
  };

  class TWorker final : public IWorker {
   public:
    explicit TWorker(std::shared_ptr<TEntry> entry) : entry_(std::move(entry)) {}
    ~TWorker() override { Terminate(); }
    void Resume() override { entry_->paused = entry_->ended; }
    void Pause() override { entry_->paused = true; }
    bool Paused() const override { return entry_->paused; }
    void Terminate() override { entry_->ended = entry_->paused = true; }

   private:
    std::shared_ptr<TEntry> entry_;
  };

  static bool Before(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) < 0; }

  void Round() {
    next_ += kWorkerSleepMs;
    std::erase_if(entries_, [](const auto& e) { return e->ended; });
    // A tick may create workers; those join from the next round on.
    const std::vector<std::shared_ptr<TEntry>> now = entries_;
    for (const auto& e : now) {
      if (e->paused || e->ended) continue;
      try {
        e->tick();
      } catch (...) {
      }
    }
  }

  TManualClock& clock_;
  uint32_t next_;
  std::vector<std::shared_ptr<TEntry>> entries_;
};

}  // namespace qv::platform
