// qvsaver: the screensaver engine. A copy of it with a project overlay
// appended is a screensaver; it takes only the screensaver command line.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/HostedSaver.h"
#include "app/SaverOnScreen.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/sdl/SdlPreview.h"
#include "platform/x11/X11Window.h"
#include "startup/uQVStart.h"

int main(int argc, char** argv) {
  // Installed before SDL starts, which then leaves these signals to us.
  qv::platform::InstallEndSignals();
  // A foreign window (the preview's) may go at any moment: an X error about
  // it must not end the process before its files are removed.
  qv::platform::CatchX11Errors();
  qv::TStartServices services;
  services.endRequested = qv::platform::EndSignalReceived;
  services.tickAtStart = qv::platform::TickCount();
  services.exePath = qv::platform::ExecutablePath();
  services.tempPath = qv::platform::TempPath();
  services.openPreviewWindow = qv::platform::OpenForeignWindow;
  // Linux has no system screensaver password to change: the desktop's
  // screen locker owns the password, so password mode does nothing.
  services.changePassword = [](uint64_t) {};
  services.runSaver = qv::app::RunSaverOnScreen;
  // The Linux screensaver daemons' way to host a saver.
  services.runHosted = qv::app::RunHostedSaver;
  if (const char* hostWindow = std::getenv("XSCREENSAVER_WINDOW")) services.xscreensaverWindow = hostWindow;
  services.report = [](const std::string& why) { std::fprintf(stderr, "qvsaver: %s\n", why.c_str()); };
  std::vector<std::string> args(argv, argv + argc);
  return qv::QVMain(args, services);
}
