#include "platform/posix/Process.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/System.h"

namespace qv::platform {

namespace {

class TChildProcess final : public IChildProcess {
 public:
  explicit TChildProcess(pid_t pid) : pid_(pid) {}
  ~TChildProcess() override { Stop(2000); }

  bool Running() override {
    if (ended_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) Ended(status);
    return !ended_;
  }

  int ExitStatus() const override { return status_; }

  void Stop(uint32_t graceMs) override {
    if (!Running()) return;
    ::kill(pid_, SIGTERM);
    const uint32_t start = TickCount();
    while (Running() && TickCount() - start < graceMs) SleepMs(10);
    if (ended_) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) != pid_ && errno == EINTR) {
    }
    Ended(status);
  }

 private:
  void Ended(int status) {
    ended_ = true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
  }

  pid_t pid_;
  bool ended_ = false;
  int status_ = 0;
};

}  // namespace

TChildProcessStarter::TChildProcessStarter() { WakeOnChildEnd(); }

std::unique_ptr<IChildProcess> TChildProcessStarter::Start(const std::vector<std::string>& argv, std::string& error) {
  TSpawnStreams streams;
  streams.errors = TSpawnStreams::Inherit;
  const pid_t pid = SpawnProgram(argv, streams, error);
  if (pid < 0) return nullptr;
  return std::make_unique<TChildProcess>(pid);
}

}  // namespace qv::platform
