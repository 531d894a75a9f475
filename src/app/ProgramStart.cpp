#include "app/ProgramStart.h"

#include "platform/System.h"
#include "platform/fltk/FltkDialogs.h"
#if !defined(_WIN32)
#include "platform/x11/X11Window.h"
#endif

namespace qv::app {

void StartProgram(const char* program) {
  // Installed before SDL starts, which then leaves these signals to us.
  platform::InstallEndSignals();
  platform::CatchFltkFatal(program);
#if !defined(_WIN32)
  // A foreign window (a preview's, a daemon's) may go at any moment: an X
  // error about it must not end the process before its files are removed.
  platform::CatchX11Errors(program);
#endif
}

}  // namespace qv::app
