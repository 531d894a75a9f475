// Run mode inside a window a screensaver daemon owns (one per monitor): the
// two rules that differ from the full screen. Only one instance speaks, and
// a project without pictures shows black until the daemon stops it.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Audio.h"
#include "platform/Files.h"
#include "platform/LastResort.h"

namespace qv {

class TQVCProject;
struct TSaverServices;

// Whether this instance plays music and sounds. A daemon that numbers its
// instances (XSCREENSAVER_SAVER_INDEX) lets the one numbered 0 speak; without
// a number, the first instance to take the voice lock in `lockFolder` speaks
// and holds it while this object lives.
class THostedVoice {
 public:
  THostedVoice(const std::optional<std::string>& saverIndex, const std::string& lockFolder);
  ~THostedVoice();
  THostedVoice(const THostedVoice&) = delete;
  THostedVoice& operator=(const THostedVoice&) = delete;
  bool Speaks() const { return speaks_; }
  // Tries for the voice lock again (an instance being replaced may still
  // hold it); true once this instance speaks. A numbered instance's voice is
  // decided by its number alone.
  bool TryToSpeak();

 private:
  std::string lockPath_;
  platform::TFile lock_;
  bool speaks_ = false;
  // Frees the lock also when the display connection is lost.
  std::unique_ptr<platform::TLastResort> lastResort_;
};

// What a hosted run needs besides the saver's own services.
struct THostedServices {
  // The daemon's number for this instance, when it gives one.
  std::optional<std::string> saverIndex;
  // Where the voice lock lives (the user's runtime folder).
  std::string lockFolder;
  // The audio device, opened only for the instance that speaks, and closed
  // before its voice lock is let go.
  std::function<std::unique_ptr<platform::IAudio>()> openAudio;
};

// Plays the project in the daemon's window (saver.display) until the window
// is closed. A saver that ends by itself while the screen is blanked counts
// as crashed, so a project without pictures says so through saver.dialogs
// and shows black, drawn again whenever the window asks, until it is closed.
void RunHostedSaver(TQVCProject& project, TSaverServices& saver, const THostedServices& hosted);

}  // namespace qv
