// The entry point's logic: the screensaver command line, the common start of
// the run, configure and preview modes, and each mode's steps. Platform
// services come in through TStartServices, so a test can drive every mode.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PreviewWindow.h"

namespace qv {

class TBitmap32;
class TQVCProject;
struct TRunOverrides;

enum class TRunMode { Run, Configure, Preview, Password, None };

// The mode switch: the first argument upper-cased, cut to two characters.
std::string ModeSwitch(const std::vector<std::string>& args);
// "/A" first, then the three groups one after the other.
TRunMode ModeFromSwitch(const std::string& modeSwitch);
// The second argument read as a window id: decimal, or hexadecimal after
// "0x" (as X11 tools print ids); 0 when absent or not a number.
uint64_t WindowArgument(const std::vector<std::string>& args);
// The same rule for one text.
uint64_t ParseWindowId(const std::string& text);
// The same, false when the text is no number at all.
bool ReadWindowId(const std::string& text, uint64_t& id);
// "--help", "-h", "-?" or "/?".
bool AsksForHelp(const std::string& argument);

struct TStartServices {
  std::string exePath;   // the executable's full path
  std::string tempPath;  // the system temporary path
  uint32_t tickAtStart = 0;
  // Adopts a foreign window by its id; null when there is none.
  std::function<std::unique_ptr<platform::IPreviewWindow>(uint64_t id)> openPreviewWindow;
  // Asks the system to change the screensaver password (parent window id).
  std::function<void(uint64_t id)> changePassword;
  // Run mode's saver window, given the extracted project and the
  // executable's long path (its user settings file is beside it); returns
  // the exit code (non-zero when no screen could be had).
  std::function<int(TQVCProject& project, const std::string& exePath, const std::string& tempFolder)> runSaver;
  // Configure mode's window, given the extracted project, the executable's
  // long path and the first argument as given ("/C", "/c:1234" or empty):
  // both decide whether user settings apply. Returns the exit code.
  std::function<int(TQVCProject& project, const std::string& exePath, const std::string& tempFolder,
                    const std::string& firstArgument)>
      runConfigure;
  // True once the process has been asked to end (a signal during the start).
  std::function<bool()> endRequested;
  // Says why a mode could not run (stderr); nothing when not given.
  std::function<void(const std::string& why)> report;
  // Prints the program's usage (stdout), for --help.
  std::function<void()> help;
  // Where a screensaver daemon hosts the saver: the value of
  // XSCREENSAVER_WINDOW, and the run that draws into the daemon's window
  // (given the window, 0 for the root window). Without runHosted the
  // daemons' arguments are not looked at (Windows).
  std::optional<std::string> xscreensaverWindow;
  // The run's own settings from the daemon's switches come with it.
  std::function<int(TQVCProject& project, const std::string& exePath, const std::string& tempFolder,
                    uint64_t window, const TRunOverrides& overrides)>
      runHosted;
};

// Runs the mode the arguments ask for; returns the process exit code: 0, or
// 1 when the mode could not do its work (no folder for the project, no
// screen, a preview window that does not exist), or 2 for arguments it
// cannot take (an unknown mode, a preview without a readable window id),
// with the reason reported.
int QVMain(const std::vector<std::string>& args, TStartServices& services);

// Draws the project's preview picture into the window: stretched, or fitted
// inside it keeping its shape on black (keepShape), as the saver shows
// pictures. Returns false when there is no picture or it cannot be drawn.
bool DrawPreview(const std::string& previewFile, platform::IPreviewWindow& window, bool keepShape = false);

}  // namespace qv
