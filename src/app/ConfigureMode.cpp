#include "app/ConfigureMode.h"

#include <cstdio>
#include <filesystem>

#include "app/SaverOnScreen.h"
#include "common/Error.h"
#include "common/Utf8Path.h"
#include "config_ui/FQVConfigWindow.h"
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

  // The project's skin; the built-in window when it has none, cannot be
  // read, lacks "MainWindow" or cannot build it.
  TQVForms skin;
  std::string why;
  const std::string& file = project.UISetting().UIFile;
  std::error_code ec;
  bool usable = false;
  if (file.empty() || !std::filesystem::exists(PathFromUtf8(file), ec)) {
    why = "the screensaver carries no skin";
  } else if (std::filesystem::file_size(PathFromUtf8(file), ec) == 0 && !ec) {
    why = "the screensaver's skin is empty";
  } else {
    try {
      skin.LoadSkin(file);
      usable = true;
    } catch (const EQVError& e) {
      why = std::string("the screensaver's skin cannot be read: ") + e.what();
    }
  }
  if (usable && ShowSkinWindow(skin, project, kMainWindow, services, &why)) return 0;
  report(why + "; showing the built-in configuration window");
  if (!ShowSkinWindow(BuiltInSkin(), project, kMainWindow, services, &why)) {
    report(why);
    return 1;
  }
  return 0;
}

int RunConfigureOnScreen(TQVCProject& project, const std::string& exePath, const std::string& tempFolder,
                         const std::string& firstArgument) {
  return RunConfigureWindow(project, exePath, tempFolder, firstArgument,
                            [](const std::string& note) { std::fprintf(stderr, "qvsaver: %s\n", note.c_str()); });
}

}  // namespace qv::app
