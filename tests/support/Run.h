// Runs a program for an end-to-end test and captures what it printed.
#pragma once
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TempDir.h"

namespace qvtest {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

// `command` is a shell command line; `env` is prefixed to it ("TMPDIR=/x").
inline RunResult RunCommand(const std::string& command, const TempDir& scratch, const std::string& env = "") {
  const std::string out = scratch.file("stdout.txt"), err = scratch.file("stderr.txt");
  // The programs under test load the system's display and sound libraries,
  // whose own leaks would drown a sanitized run; our code's leaks are caught
  // by the in-process tests.
  const std::string line = "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 " + env + " " + command + " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null";
  int status = std::system(line.c_str());
  RunResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadFile(out);
  r.err = ReadFile(err);
  return r;
}

}  // namespace qvtest
