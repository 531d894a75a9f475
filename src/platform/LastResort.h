// The tidy-up that must happen even when the process cannot end through its
// normal path: when the connection to the display is lost, the display
// library will not return to the program, so what the program extracted is
// removed from there and the process ends at once.
#pragma once
#include <functional>
#include <string>

namespace qv::platform {

// Registers `tidyUp` for as long as the object lives.
class TLastResort {
 public:
  explicit TLastResort(std::function<void()> tidyUp);
  ~TLastResort();
  TLastResort(const TLastResort&) = delete;
  TLastResort& operator=(const TLastResort&) = delete;

 private:
  unsigned id_;
};

// Says `why` on stderr, runs the registered tidy-ups, newest first, and ends
// the process with `exitCode` without returning.
[[noreturn]] void EndAtOnce(const std::string& why, int exitCode);

}  // namespace qv::platform
