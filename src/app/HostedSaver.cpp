#include "app/HostedSaver.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/Clock.h"
#include "platform/ThreadBackground.h"
#include "platform/ThreadWorker.h"
#include "platform/Files.h"
#include "platform/LastResort.h"
#include "platform/PeerShows.h"
#include "platform/System.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlHostedDisplay.h"
#include "project/uQVProject.h"
#include "project/uRunOverrides.h"
#include "saver/FScrSvr.h"

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

// One voice per machine. With XSCREENSAVER_SAVER_INDEX the daemon numbers
// its instances and the first speaks; without it the first to take the lock.
class TVoice {
 public:
  TVoice() {
    if (const char* index = std::getenv("XSCREENSAVER_SAVER_INDEX"); index && *index) {
      char* end = nullptr;
      const long n = std::strtol(index, &end, 10);
      if (end && *end == '\0') {
        speaks_ = n == 0;
        return;
      }
    }
    path_ = RuntimeFolder() + "qvsaver-voice-" + CurrentUserId() + ".lock";
    speaks_ = TakeNamedLock(path_, lock_);
    if (speaks_) lastResort_ = std::make_unique<TLastResort>([this] { ReleaseNamedLock(path_, lock_); });
  }
  ~TVoice() { ReleaseNamedLock(path_, lock_); }
  TVoice(const TVoice&) = delete;
  TVoice& operator=(const TVoice&) = delete;
  bool Speaks() const { return speaks_; }

 private:
  std::string path_;
  TFile lock_;
  bool speaks_ = false;
  std::unique_ptr<TLastResort> lastResort_;
};

// The window stays black until the daemon stops the saver.
void StayBlack(TSdlHostedDisplay& display) {
  TBitmap32 black(display.ScreenWidth(), display.ScreenHeight());
  black.Clear(0xFF000000u);
  display.PresentScreen(black);
  struct TWaiter final : IWindowEvents {
    bool done = false;
    bool redraw = false;
    void FormMouseMove(int, int) override {}
    void FormMouseDown() override {}
    void FormKeyPress(char32_t) override {}
    void FormKeyDown(TKey) override {}
    void CloseRequested() override { done = true; }
    void MediaPlayerNotify() override {}
    void Exposed() override { redraw = true; }
    void Resized() override { redraw = true; }
  } waiter;
  while (!waiter.done) {
    display.ProcessMessages(waiter);
    if (waiter.redraw) {
      waiter.redraw = false;
      black.SetSize(display.ScreenWidth(), display.ScreenHeight());
      black.Clear(0xFF000000u);
      display.PresentScreen(black);
    }
    display.WaitMessage(100);
  }
}

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
  // A saver that ends by itself while the screen is blanked counts as
  // crashed: with nothing to show it shows black until it is stopped.
  if (project.FileList().Count() == 0) {
    dialogs.Information(kNoImageMessage);
    StayBlack(*display);
    return 0;
  }
  TSystemClock clock;
  TThreadWorkers workers;
  TThreadBackground background;
  TVoice voice;
  std::unique_ptr<TSdlAudio> audio;
  if (voice.Speaks()) {
    audio = std::make_unique<TSdlAudio>();
    TSdlAudio* sound = audio.get();
    display->AddEventHandler([sound](const SDL_Event& e) { return sound->HandleEvent(e); });
  }
  TSaverServices services;
  services.display = display.get();
  services.clock = &clock;
  services.workers = &workers;
  services.background = &background;
  services.dialogs = &dialogs;
  services.note = [](const std::string& note) { std::fprintf(stderr, "qvsaver: %s\n", note.c_str()); };
  services.audio = audio.get();
  services.tempFolder = tempFolder;
  services.exePath = exePath;
  services.overrides = overrides;
  // The instance that speaks is the primary monitor's; the others learn
  // from one another which pictures they show.
  TPeerShows peers(exePath, voice.Speaks());
  services.primaryInstance = voice.Speaks();
  services.peersShowing = [&peers] { return peers.Others(); };
  services.primaryShowing = [&peers] { return peers.Primary(); };
  services.tellShowing = [&peers](int index) { peers.Tell(index); };
  RunSaver(project, true, services);
  return 0;
}

}  // namespace qv::app
