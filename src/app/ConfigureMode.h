// Configure mode on the desktop: the project's skin window "MainWindow" on
// FLTK, with the desktop's opener, wallpaper and the saver window for the
// full-screen preview; the built-in window when the skin cannot serve.
#pragma once
#include <functional>
#include <string>

namespace qv {
class TQVCProject;
}

namespace qv::app {

// Shows the configuration window of the extracted project until it closes.
// exePath and firstArgument (the engine's first argument, such as "/C")
// decide whether user settings apply; report takes one-line notes, such as
// why the built-in window is shown. Returns the exit code: 0 after a normal
// close, 1 when no display could be opened.
int RunConfigureWindow(TQVCProject& project, const std::string& exePath, const std::string& tempFolder,
                       const std::string& firstArgument, const std::function<void(const std::string&)>& report);
// The engine's: notes go to stderr after "qvsaver: ".
int RunConfigureOnScreen(TQVCProject& project, const std::string& exePath, const std::string& tempFolder,
                         const std::string& firstArgument);

}  // namespace qv::app
