// Starting programs on POSIX: one spawn for every caller (the desktop's
// helper programs, the idle watch's saver), and children that wake a poll()
// when they end.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/Process.h"

namespace qv::platform {

// Starts argv[0] (found on PATH when it has no "/") with standard input on
// /dev/null, standard output on `outFd` (-1: inherited) and standard error
// on /dev/null or inherited. The process id, or -1 with the reason in
// `error`.
pid_t SpawnProgram(const std::vector<std::string>& argv, int outFd, bool quietErrors, std::string& error);

// Children that end wake WakeDescriptor() (platform/System.h).
class TChildProcessStarter final : public IProcessStarter {
 public:
  TChildProcessStarter();
  std::unique_ptr<IChildProcess> Start(const std::vector<std::string>& argv, std::string& error) override;
};

}  // namespace qv::platform
