#include "platform/sdl/SdlSaver.h"

#include <cstdio>
#include <memory>

#include "platform/Clock.h"
#include "platform/fltk/FltkDialogs.h"
#include "platform/sdl/SdlDisplay.h"
#include "saver/FScrSvr.h"

namespace qv::platform {

void RunSaverOnScreen(TQVCProject& project, const std::string& exePath) {
  TSystemClock clock;
  TFltkDialogs dialogs;
  std::unique_ptr<TSdlDisplay> display;
  TSaverServices services;
  services.clock = &clock;
  services.dialogs = &dialogs;
  services.exePath = exePath;
  services.openDisplay = [&display]() -> ISaverDisplay* {
    std::string error;
    display = TSdlDisplay::Create(error);
    if (!display) std::fprintf(stderr, "qvsaver: cannot open the screen: %s\n", error.c_str());
    return display.get();
  };
  RunSaver(project, true, services);
}

}  // namespace qv::platform
