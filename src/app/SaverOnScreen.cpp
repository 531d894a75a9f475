#include "app/SaverOnScreen.h"

#include <cstdio>
#include <memory>

#include "platform/Clock.h"
#include "platform/fltk/FltkDialogs.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlDisplay.h"
#include "saver/FScrSvr.h"

namespace qv::app {

using namespace platform;

void RunSaverOnScreen(TQVCProject& project, const std::string& exePath, const std::string& tempFolder) {
  TSystemClock clock;
  TFltkDialogs dialogs;
  std::unique_ptr<TSdlDisplay> display;
  TSdlAudio audio;
  TSaverServices services;
  services.audio = &audio;
  services.tempFolder = tempFolder;
  services.clock = &clock;
  services.dialogs = &dialogs;
  services.exePath = exePath;
  services.openDisplay = [&display, &audio]() -> ISaverDisplay* {
    std::string error;
    display = TSdlDisplay::Create(error);
    if (!display) {
      std::fprintf(stderr, "qvsaver: cannot open the screen: %s\n", error.c_str());
      return nullptr;
    }
    // The end of a track is posted from the audio thread and handled here,
    // on the window's thread.
    display->AddEventHandler([&audio](const SDL_Event& e, IWindowEvents&) { return audio.HandleEvent(e); });
    return display.get();
  };
  RunSaver(project, true, services);
}

}  // namespace qv::app
