// Starting programs on POSIX: one spawn for every caller (the desktop's
// helper programs, the idle watch's saver), and children that wake a poll()
// when they end.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/Process.h"

namespace qv::platform {

// Where a started program's output goes, and where it starts.
struct TSpawnStreams {
  int out = -1;  // standard output; -1: inherited
  enum TErrors { Inherit, Quiet, ToOut } errors = Quiet;  // standard error: ours, /dev/null, or with `out`
  std::string folder;  // empty: ours
};

// Starts argv[0] (found on PATH when it has no "/") with standard input on
// /dev/null and its signals at their defaults. The process id, or -1 with
// the reason in `error`.
pid_t SpawnProgram(const std::vector<std::string>& argv, const TSpawnStreams& streams, std::string& error);

// Children that end wake WakeDescriptor() (platform/System.h).
class TChildProcessStarter final : public IProcessStarter {
 public:
  TChildProcessStarter();
  std::unique_ptr<IChildProcess> Start(const std::vector<std::string>& argv, std::string& error) override;
};

}  // namespace qv::platform
