#include "app/HostedSaver.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/ThreadBackground.h"
#include "platform/ThreadWorker.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlHostedDisplay.h"
#include "project/uQVProject.h"
#include "project/uRunOverrides.h"
#include "saver/FScrSvr.h"
#include "saver/uHostedSaver.h"

namespace qv::app {

using namespace platform;

namespace {

// The daemon owns the screen: what the saver would show in a message box is
// said on stderr, which the daemons keep in their logs.
class TStderrDialogs final : public IDialogs {
 public:
  void Information(const std::string& text) override { Say(text); }
  void Error(const std::string& text) override { Say(text); }
  // The daemon's window takes no answers.
  bool Confirm(const std::string& text) override {
    Say(text + " (answered No)");
    return false;
  }
  std::optional<std::string> OpenFile(const TOpenFileOptions&) override { return std::nullopt; }

 private:
  // One line: the texts' line breaks become blanks.
  static void Say(const std::string& text) {
    std::string line;
    for (char c : text)
      if (c != '\r') line += c == '\n' ? ' ' : c;
    std::fprintf(stderr, "qvsaver: %s\n", line.c_str());
  }
};

}  // namespace

int RunHostedSaver(TQVCProject& project, const std::string& exePath, const std::string& tempFolder, uint64_t window,
                   const TRunOverrides& overrides) {
  std::string error;
  std::unique_ptr<TSdlHostedDisplay> display = TSdlHostedDisplay::Create(window, error);
  if (!display) {
    std::fprintf(stderr, "qvsaver: %s\n", error.c_str());
    return 1;
  }
  TStderrDialogs dialogs;
  TSystemClock clock;
  TThreadWorkers workers;
  TThreadBackground background;
  TSaverServices services;
  services.display = display.get();
  services.clock = &clock;
  services.workers = &workers;
  services.background = &background;
  services.dialogs = &dialogs;
  services.note = [](const std::string& note) { std::fprintf(stderr, "qvsaver: %s\n", note.c_str()); };
  services.tempFolder = tempFolder;
  services.exePath = exePath;
  services.overrides = overrides;
  THostedServices hosted;
  if (const char* index = std::getenv("XSCREENSAVER_SAVER_INDEX")) hosted.saverIndex = index;
  hosted.lockFolder = RuntimeFolder();
  hosted.openAudio = [&display]() -> std::unique_ptr<IAudio> {
    auto audio = std::make_unique<TSdlAudio>();
    TSdlAudio* sound = audio.get();
    display->AddEventHandler([sound](const SDL_Event& e) { return sound->HandleEvent(e); });
    return audio;
  };
  qv::RunHostedSaver(project, services, hosted);
  return 0;
}

THostedRunner HostedRunner() { return RunHostedSaver; }

}  // namespace qv::app
