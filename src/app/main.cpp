// qvsaver: the screensaver engine. A copy of it with a project overlay
// appended is a screensaver; it takes only the screensaver command line.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ConfigureMode.h"
#include "app/HostedSaver.h"
#include "app/ProgramStart.h"
#include "app/SaverOnScreen.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "startup/uQVStart.h"
#if defined(_WIN32)
#include "platform/win32/WinPreview.h"
#else
#include "platform/sdl/SdlPreview.h"
#endif

namespace {

const char kUsage[] =
    "usage: SCREENSAVER [/S | /C | /P WINDOW | /A WINDOW]\n"
    "  /S          play the slideshow full-screen until input\n"
    "  /C          open the configuration window (also with no argument, or /c:WINDOW)\n"
    "  /P WINDOW   draw the preview picture into the window with that id (decimal, or 0x...)\n"
    "  /A WINDOW   change the screensaver password (Windows)\n"
    "The first argument counts by its first two characters, in any case; -S and S work too.\n"
#if !defined(_WIN32)
    "Screensaver daemons: -root, --root, -window-id ID, --window-id ID (or /S with\n"
    "XSCREENSAVER_WINDOW set) play inside the daemon's window.\n"
#endif
    ;

}  // namespace

int main(int argc, char** argv) {
  qv::app::StartProgram("qvsaver");
  qv::TStartServices services;
  services.endRequested = qv::platform::EndSignalReceived;
  services.tickAtStart = qv::platform::TickCount();
  services.exePath = qv::platform::ExecutablePath();
  services.tempPath = qv::platform::TempPath();
  services.changePassword = qv::platform::ChangeScreensaverPassword;
  services.runSaver = qv::app::RunSaverOnScreen;
  services.runConfigure = qv::app::RunConfigureOnScreen;
  services.report = [](const std::string& why) { std::fprintf(stderr, "qvsaver: %s\n", why.c_str()); };
  services.help = [] { std::fputs(kUsage, stdout); };
#if defined(_WIN32)
  // The display settings' preview: a window of our own inside theirs.
  services.openPreviewWindow = qv::platform::OpenPreviewParent;
#else
  services.openPreviewWindow = qv::platform::OpenForeignWindow;
#endif
  // The Linux screensaver daemons' way to host a saver (none on Windows).
  services.runHosted = qv::app::HostedRunner();
  if (const char* hostWindow = std::getenv("XSCREENSAVER_WINDOW")) services.xscreensaverWindow = hostWindow;
  return qv::QVMain(qv::platform::CommandLineArguments(argc, argv), services);
}
