#include "app/ConfigureMode.h"

#include <cstdio>

#include "app/SaverOnScreen.h"
#include "config_ui/FQVConfigWindow.h"
#include "config_ui/uConfigureMode.h"
#include "platform/System.h"
#if !defined(_WIN32)
#include "platform/x11/X11Window.h"
#endif
#include "project/uQVProject.h"
// FLTK brings in Xlib, whose macros (Bool, None, Status) clash with names above.
#include <FL/Fl.H>

#include "config_ui/fltk/FlSettingWindow.h"
#include "config_ui/fltk/FlSkinWindow.h"
#include "platform/fltk/FltkDialogs.h"
#include "platform/fltk/FltkTimer.h"

namespace qv::app {

int RunConfigureWindow(TQVCProject& project, const std::string& exePath, const std::string& tempFolder,
                       const std::string& firstArgument, const std::function<void(const std::string&)>& report) {
#if !defined(_WIN32)
  {
    // FLTK ends the process when it finds no display; it is asked first.
    platform::TX11Probe probe;
    if (!probe.Connected()) {
      report("no display to show the configuration window on");
      return 1;
    }
  }
#endif
  Fl::scheme("gtk+");
  platform::TFltkDialogs dialogs;
  TConfigServices services;
  services.dialogs = &dialogs;
  services.exePath = exePath;
  services.firstArgument = firstArgument;
  services.timers = platform::FltkTimerFactory();
  services.runWindow = ui::RunSkinWindow;
  services.runSettingsDialog = [](TfmSettingWindow& dialog) {
    ui::TFlSettingWindow view(dialog);
    return view.RunModal();
  };
  services.showSinglePicture = [&exePath, &tempFolder](const TQVCProject& p, const std::string& file) {
    ShowSinglePictureOnScreen(p, file, exePath, tempFolder);
  };
  services.openDocument = platform::OpenWithDesktop;
  services.setDesktopWallpaper = platform::SetDesktopWallpaper;
  services.setApplicationTitle = [&dialogs](const std::string& title) { dialogs.SetTitle(title); };
  services.report = report;

  return ShowConfigureWindow(project, services) ? 0 : 1;
}

int RunConfigureOnScreen(TQVCProject& project, const std::string& exePath, const std::string& tempFolder,
                         const std::string& firstArgument) {
  return RunConfigureWindow(project, exePath, tempFolder, firstArgument,
                            [](const std::string& note) { std::fprintf(stderr, "qvsaver: %s\n", note.c_str()); });
}

}  // namespace qv::app
