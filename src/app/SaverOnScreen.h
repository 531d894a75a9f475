// Run mode on the real screen: the saver window on SDL, message boxes on
// FLTK, the system clock.
#pragma once
#include <string>

namespace qv {
class TQVCProject;
}

namespace qv::app {

// Shows the project's slideshow full-screen until input ends it. The user
// settings file beside `exePath` applies; bare music names are looked for in
// `tempFolder`. Returns the exit code: 1, with the reason on stderr, when no
// display could be opened.
int RunSaverOnScreen(TQVCProject& project, const std::string& exePath, const std::string& tempFolder);

// One picture full-screen with the project's display settings, until input
// ends it (the configuration window's full-screen preview).
int ShowSinglePictureOnScreen(const TQVCProject& project, const std::string& picture, const std::string& exePath,
                              const std::string& tempFolder);

}  // namespace qv::app
