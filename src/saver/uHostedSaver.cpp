#include "saver/uHostedSaver.h"

#include <cstdlib>

#include "graphics/Bitmap32.h"
#include "platform/Display.h"
#include "platform/PeerShows.h"
#include "project/uQVProject.h"
#include "saver/FScrSvr.h"

namespace qv {

namespace {

// The daemon's number for an instance: a whole decimal number, else none.
std::optional<long> InstanceNumber(const std::optional<std::string>& saverIndex) {
  if (!saverIndex || saverIndex->empty()) return std::nullopt;
  char* end = nullptr;
  const long n = std::strtol(saverIndex->c_str(), &end, 10);
  if (!end || *end != '\0') return std::nullopt;
  return n;
}

// Black at the window's size, again whenever it was uncovered or resized,
// until the window is closed.
void ShowBlackUntilClosed(platform::ISaverDisplay& display) {
  struct TWaiter final : platform::IWindowEvents {
    bool done = false;
    bool redraw = true;
    void FormMouseMove(int, int) override {}
    void FormMouseDown() override {}
    void FormKeyPress(char32_t) override {}
    void FormKeyDown(platform::TKey) override {}
    void CloseRequested() override { done = true; }
    void MediaPlayerNotify() override {}
    void Exposed() override { redraw = true; }
    void Resized() override { redraw = true; }
  } waiter;
  TBitmap32 black;
  for (;;) {
    if (waiter.redraw) {
      waiter.redraw = false;
      black.SetSize(display.ScreenWidth(), display.ScreenHeight());
      black.Clear(0xFF000000u);
      display.PresentScreen(black);
    }
    display.ProcessMessages(waiter);
    if (waiter.done) return;
    if (!waiter.redraw) display.WaitMessage(100);
  }
}

}  // namespace

THostedVoice::THostedVoice(const std::optional<std::string>& saverIndex, const std::string& lockFolder) {
  if (const std::optional<long> number = InstanceNumber(saverIndex)) {
    speaks_ = *number == 0;
    return;
  }
  lockPath_ = lockFolder + "qvsaver-voice-" + platform::CurrentUserId() + ".lock";
  TryToSpeak();
}

bool THostedVoice::TryToSpeak() {
  if (speaks_ || lockPath_.empty()) return speaks_;
  speaks_ = platform::TakeNamedLock(lockPath_, lock_);
  if (speaks_)
    lastResort_ = std::make_unique<platform::TLastResort>([this] { platform::ReleaseNamedLock(lockPath_, lock_); });
  return speaks_;
}

THostedVoice::~THostedVoice() { platform::ReleaseNamedLock(lockPath_, lock_); }

void RunHostedSaver(TQVCProject& project, TSaverServices& saver, const THostedServices& hosted) {
  if (project.FileList().Count() == 0) {
    saver.dialogs->Information(kNoImageMessage);
    ShowBlackUntilClosed(*saver.display);
    return;
  }
  THostedVoice voice(hosted.saverIndex, hosted.lockFolder);
  std::unique_ptr<platform::IAudio> audio;
  if (voice.Speaks() && hosted.openAudio) audio = hosted.openAudio();
  saver.audio = audio.get();
  // The instance that speaks is the primary monitor's; the others learn
  // from one another which pictures they show.
  platform::TPeerShows peers(saver.exePath, voice.Speaks());
  saver.primaryInstance = voice.Speaks();
  saver.peersShowing = [&peers] { return peers.Others(); };
  saver.primaryShowing = [&peers] { return peers.Primary(); };
  saver.tellShowing = [&peers](int index) { peers.Tell(index); };
  if (!voice.Speaks() && hosted.openAudio)
    saver.claimVoice = [&voice, &audio, &hosted]() -> platform::IAudio* {
      if (!voice.TryToSpeak()) return nullptr;
      audio = hosted.openAudio();
      return audio.get();
    };
  RunSaver(project, true, saver);
  saver.audio = nullptr;
  saver.claimVoice = nullptr;
  saver.peersShowing = nullptr;
  saver.primaryShowing = nullptr;
  saver.tellShowing = nullptr;
}

}  // namespace qv
