// Starts a program in the background for an end-to-end test and waits for
// it with a time limit.
#pragma once
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace qvtest {

class Process {
 public:
  // `env` entries ("NAME=value") are added to this process's environment.
  Process(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    std::vector<std::string> vars = env;
    for (char** e = environ; *e; ++e) {
      std::string var = *e;
      bool replaced = false;
      for (const std::string& v : env)
        if (var.substr(0, var.find('=') + 1) == v.substr(0, v.find('=') + 1)) replaced = true;
      if (!replaced) vars.push_back(var);
    }
    std::vector<char*> a, e;
    for (const std::string& s : argv) a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    for (const std::string& s : vars) e.push_back(const_cast<char*>(s.c_str()));
    e.push_back(nullptr);
    if (posix_spawn(&pid_, a[0], nullptr, nullptr, a.data(), e.data()) != 0) pid_ = -1;
  }
  ~Process() {
    if (Running()) {
      ::kill(pid_, SIGKILL);
      Wait(2000);
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  bool Running() {
    if (pid_ <= 0 || exited_) return false;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      exited_ = true;
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return !exited_;
  }
  // True when the process ended within `ms`.
  bool Wait(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (Running()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }
  int exitCode() const { return exitCode_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int exitCode_ = -1;
};

}  // namespace qvtest
