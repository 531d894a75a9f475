#include "app/SaverOnScreen.h"

#include <cstdio>
#include <memory>

#include "platform/Clock.h"
#include "platform/ThreadBackground.h"
#include "platform/ThreadWorker.h"
#include "platform/fltk/FltkDialogs.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlDisplay.h"
#include "saver/FScrSvr.h"

namespace qv::app {

using namespace platform;

namespace {

// The saver's message boxes: the full-screen window lets go of the keyboard
// and pointer and of its place above everything while one is up.
class TDialogsAboveSaver final : public IDialogs {
 public:
  TDialogsAboveSaver(IDialogs& inner, std::unique_ptr<TSdlDisplay>& display) : inner_(inner), display_(display) {}
  void Information(const std::string& text) override {
    TOthersAllowed allowed(display_.get());
    inner_.Information(text);
  }
  void Error(const std::string& text) override {
    TOthersAllowed allowed(display_.get());
    inner_.Error(text);
  }
  bool Confirm(const std::string& text) override {
    TOthersAllowed allowed(display_.get());
    return inner_.Confirm(text);
  }
  std::optional<std::string> OpenFile(const TOpenFileOptions& options) override {
    TOthersAllowed allowed(display_.get());
    return inner_.OpenFile(options);
  }

 private:
  struct TOthersAllowed {
    explicit TOthersAllowed(TSdlDisplay* d) : display(d) {
      if (display) display->AllowOtherWindows(true);
    }
    ~TOthersAllowed() {
      if (display) display->AllowOtherWindows(false);
    }
    TSdlDisplay* display;
  };
  IDialogs& inner_;
  std::unique_ptr<TSdlDisplay>& display_;
};

}  // namespace

// Opens the screen, runs `show` with the services of the real platform and
// closes the screen again. Returns the exit code: 1 when there was no screen.
template <typename Show>
int OnScreen(const std::string& exePath, const std::string& tempFolder, Show&& show) {
  TSystemClock clock;
  TThreadWorkers workers;
  TThreadBackground background;
  TFltkDialogs messageBoxes;
  std::unique_ptr<TSdlDisplay> display;
  TDialogsAboveSaver dialogs(messageBoxes, display);
  TSdlAudio audio;
  TSaverServices services;
  services.audio = &audio;
  services.tempFolder = tempFolder;
  services.clock = &clock;
  services.workers = &workers;
  services.background = &background;
  services.dialogs = &dialogs;
  services.note = [](const std::string& note) { std::fprintf(stderr, "qvsaver: %s\n", note.c_str()); };
  services.exePath = exePath;
  bool noDisplay = false;
  services.openDisplay = [&display, &audio, &noDisplay]() -> ISaverDisplay* {
    std::string error;
    display = TSdlDisplay::Create(error);
    if (!display) {
      std::fprintf(stderr, "qvsaver: %s\n", error.c_str());
      noDisplay = true;
      return nullptr;
    }
    // The end of a track is posted from the audio thread and handled here,
    // on the window's thread.
    display->AddEventHandler([&audio](const SDL_Event& e, IWindowEvents&) { return audio.HandleEvent(e); });
    return display.get();
  };
  show(services);
  return noDisplay ? 1 : 0;
}

int RunSaverOnScreen(TQVCProject& project, const std::string& exePath, const std::string& tempFolder) {
  return OnScreen(exePath, tempFolder, [&project](TSaverServices& services) { RunSaver(project, true, services); });
}

int ShowSinglePictureOnScreen(const TQVCProject& project, const std::string& picture, const std::string& exePath,
                              const std::string& tempFolder) {
  return OnScreen(exePath, tempFolder, [&](TSaverServices& services) { ShowSinglePicture(project, picture, services); });
}

}  // namespace qv::app
