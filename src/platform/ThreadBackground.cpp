#include "platform/ThreadBackground.h"

#include <thread>

namespace qv::platform {

namespace {

class TThreadJob final : public IBackgroundJob {
 public:
  explicit TThreadJob(TBackgroundWork work)
      : thread_([this, work = std::move(work)] {
          try {
            work(cancelled_);
          } catch (...) {
          }
          done_.store(true);
        }) {}
  ~TThreadJob() override {
    cancelled_.store(true);
    thread_.join();
  }
  bool Done() const override { return done_.load(); }

 private:
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> done_{false};
  std::thread thread_;  // last: starts once the flags are ready
};

}  // namespace

std::unique_ptr<IBackgroundJob> TThreadBackground::Start(TBackgroundWork work) {
  return std::make_unique<TThreadJob>(std::move(work));
}

}  // namespace qv::platform
