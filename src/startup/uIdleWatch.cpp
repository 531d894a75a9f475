#include "startup/uIdleWatch.h"

#include <memory>
#include <optional>

namespace qv {

namespace {

class TWatch {
 public:
  explicit TWatch(const TIdleWatchServices& s) : s_(s) {}

  TWatchEnd Run() {
    for (;;) {
      if (s_.endRequested()) return Finish(TWatchEnd::Signal);
      ReapSaver();
      for (platform::TIdleChange change : s_.monitor->Dispatch()) {
        if (change == platform::TIdleChange::Lost) {
          s_.report("the session ended");
          return Finish(TWatchEnd::SessionEnded);
        }
        idle_ = change == platform::TIdleChange::Idle;
        if (!idle_) startedThisIdle_ = waitingForRelease_ = false;
        notBefore_.reset();
      }
      // Activity reported by a program, or an inhibition that ended: the
      // idle time counts from now.
      if (s_.inhibitions && s_.inhibitions->Dispatch() && idle_ && !saver_) {
        notBefore_ = s_.tickCount() + s_.idleMs;
        waitingForRelease_ = false;
      }
      if (idle_ && !saver_ && !startedThisIdle_ && !waitingForRelease_ && Due()) StartSaver();
      s_.wait(Timeout());
    }
  }

 private:
  bool Due() const {
    return !notBefore_ || static_cast<int32_t>(s_.tickCount() - *notBefore_) >= 0;
  }

  void StartSaver() {
    notBefore_.reset();
    std::string who;
    if (s_.inhibitions && s_.inhibitions->Inhibited(who)) {
      s_.report("idle, but " + who + ": no saver until that ends");
      waitingForRelease_ = true;
      return;
    }
    // One saver for one idle spell: a saver that ends without input (it
    // failed) is not started again until the session has been active.
    startedThisIdle_ = true;
    std::string error;
    saver_ = s_.starter->Start(s_.saverCommand, error);
    if (!saver_) {
      s_.report("the saver could not start: " + error);
      return;
    }
    if (s_.inhibitions) s_.inhibitions->SaverShown(true);
  }

  void ReapSaver() {
    if (!saver_ || saver_->Running()) return;
    const int status = saver_->ExitStatus();
    if (status > 0) s_.report("the saver ended with exit code " + std::to_string(status));
    if (status < 0) s_.report("the saver ended on signal " + std::to_string(-status));
    saver_.reset();
    if (s_.inhibitions) s_.inhibitions->SaverShown(false);
  }

  int Timeout() {
    int timeout = s_.monitor->NextCheckMs();
    if (notBefore_ && idle_ && !saver_) {
      const int32_t left = static_cast<int32_t>(*notBefore_ - s_.tickCount());
      const int due = left > 0 ? left : 0;
      if (timeout < 0 || due < timeout) timeout = due;
    }
    return timeout;
  }

  TWatchEnd Finish(TWatchEnd end) {
    if (saver_) {
      saver_->Stop(kSaverStopGraceMs);
      saver_.reset();
      if (s_.inhibitions) s_.inhibitions->SaverShown(false);
    }
    return end;
  }

  const TIdleWatchServices& s_;
  std::unique_ptr<platform::IChildProcess> saver_;
  bool idle_ = false;
  bool startedThisIdle_ = false;
  bool waitingForRelease_ = false;
  std::optional<uint32_t> notBefore_;
};

}  // namespace

TWatchEnd RunIdleWatch(const TIdleWatchServices& services) { return TWatch(services).Run(); }

}  // namespace qv
