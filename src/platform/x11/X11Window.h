// Windows that other programs own, looked at on an X connection of our own:
// whether one exists and is shown, and its size. X errors about such a
// window (it may go at any moment) are caught instead of ending the process.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/Display.h"

namespace qv::platform {

// Installs, for the whole process, an X error handler that notes the error
// and goes on: Xlib's own ends the process on the first error, which a
// window that has just gone away would cause. A lost connection (the X
// server ended, the user logged out) ends the process through EndAtOnce, so
// the last-resort tidy-ups run. Call before any X connection; `program`
// names the process in the message.
void CatchX11Errors(const char* program);
// The display library puts its own lost-connection handler in when its video
// starts, one that leaves the extracted files behind; ours goes back in.
void KeepLostConnectionHandler();

enum class TWindowState { Gone, Unmapped, Mapped };

struct TWindowInfo {
  TWindowState state = TWindowState::Gone;
  int width = 0;
  int height = 0;
};

// The monitors of the default screen (RandR), the primary one first; empty
// when they cannot be told.
std::vector<TMonitor> X11Monitors();

class TX11Probe {
 public:
  TX11Probe();
  ~TX11Probe();
  TX11Probe(const TX11Probe&) = delete;
  TX11Probe& operator=(const TX11Probe&) = delete;

  // False when no X display could be opened.
  bool Connected() const { return display_ != nullptr; }
  TWindowInfo Query(uint64_t window);

 private:
  void* display_ = nullptr;
};

}  // namespace qv::platform
