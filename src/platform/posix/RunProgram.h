// Runs another program without a shell and collects what it printed: the
// desktop's helpers (gsettings, xdg-open) and the packaging tools.
#pragma once
#include <string>
#include <vector>

namespace qv::platform {

// What became of a program run without a shell.
struct TRun {
  bool started = false;  // false: not found or not runnable (error says why)
  bool ended = false;    // false: still running when the time was up
  int exitCode = -1;
  std::string out;       // what it wrote to standard output (and error, when asked), at most 64 KiB
  std::string error;
};

struct TRunOptions {
  int waitMs = 3000;
  // A program still running when the time is up is killed, else left to go on.
  bool kill = true;
  // Its standard error joins `out` instead of going to /dev/null.
  bool captureErrors = false;
  // The folder it starts in; empty for ours.
  std::string folder;
};

// Runs a program found on PATH with these arguments and standard input on
// /dev/null, and waits for it as the options say.
TRun RunProgram(const std::vector<std::string>& argv, const TRunOptions& options);
inline TRun RunProgram(const std::vector<std::string>& argv, int waitMs, bool kill) {
  TRunOptions options;
  options.waitMs = waitMs;
  options.kill = kill;
  return RunProgram(argv, options);
}

}  // namespace qv::platform
