// A virtual X server of a test's own, on a free display number, stopped with
// the test; and a connection to it. Include after other X headers (it takes
// Xlib's clashing macros back).
#pragma once
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "support/Spawn.h"
#include "support/Xlib.h"

namespace qvtest {

class VirtualXServer {
 public:
  // `screen` as Xvfb takes it ("1600x600x24"). Connected() tells whether it came up.
  explicit VirtualXServer(const std::string& screen) {
    for (int attempt = 0; attempt < 5 && !display_; ++attempt) {
      // Built so, as GCC 12 warns wrongly of an overlap for ":" + number.
      name_ = std::to_string(300 + (::getpid() + attempt * 7) % 600);
      name_.insert(name_.begin(), ':');
      server_ = std::make_unique<Process>(
          std::vector<std::string>{"/usr/bin/Xvfb", name_, "-screen", "0", screen, "-nolisten", "tcp"},
          std::vector<std::string>{});
      for (int i = 0; i < 100 && !display_ && server_->Running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        display_ = XOpenDisplay(name_.c_str());
      }
    }
  }
  ~VirtualXServer() {
    if (display_) XCloseDisplay(display_);
  }
  VirtualXServer(const VirtualXServer&) = delete;
  VirtualXServer& operator=(const VirtualXServer&) = delete;

  bool Connected() const { return display_ != nullptr; }
  Display* display() const { return display_; }
  // ":NNN", for DISPLAY.
  const std::string& name() const { return name_; }
  // Ends the server as a crash or a logout would; the test's own connection
  // goes first so that Xlib does not end the test.
  void Kill() {
    if (display_) XCloseDisplay(display_);
    display_ = nullptr;
    ::kill(server_->pid(), SIGKILL);
    server_->Wait(2000);
  }

 private:
  std::unique_ptr<Process> server_;
  std::string name_;
  Display* display_ = nullptr;
};

}  // namespace qvtest
