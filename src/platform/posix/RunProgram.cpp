#include "platform/posix/RunProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/System.h"
#include "platform/posix/Process.h"

namespace qv::platform {

TRun RunProgram(const std::vector<std::string>& argv, const TRunOptions& options) {
  TRun run;
  int pipeFds[2];
  if (argv.empty() || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
    run.error = argv.empty() ? "no program to run" : std::strerror(errno);
    return run;
  }
  TSpawnStreams streams;
  streams.out = pipeFds[1];
  streams.errors = options.captureErrors ? TSpawnStreams::ToOut : TSpawnStreams::Quiet;
  streams.folder = options.folder;
  const pid_t pid = SpawnProgram(argv, streams, run.error);
  ::close(pipeFds[1]);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return run;
  }
  run.started = true;
  const int waitMs = options.waitMs;
  const uint32_t start = TickCount();
  bool open = true;
  for (;;) {
    int status = 0;
    const int elapsed = static_cast<int>(TickCount() - start);
    if (open) {
      pollfd p{pipeFds[0], POLLIN, 0};
      if (::poll(&p, 1, std::max(0, std::min(50, waitMs - elapsed))) > 0) {
        char buffer[512];
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0 && run.out.size() < 65536) run.out.append(buffer, static_cast<size_t>(n));
        if (n == 0) open = false;
      }
    } else {
      SleepMs(10);
    }
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      run.ended = true;
      run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      break;
    }
    if (static_cast<int>(TickCount() - start) >= waitMs) {
      if (options.kill) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
      }
      break;
    }
  }
  ::close(pipeFds[0]);
  return run;
}

}  // namespace qv::platform
