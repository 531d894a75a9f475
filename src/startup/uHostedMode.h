// The arguments Linux screensaver daemons start a saver with: they own the
// window (one per monitor) and hand over its id; the saver draws into it
// until it is stopped with a signal. These arguments are not part of the
// Windows command line and are recognised before it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "project/uRunOverrides.h"

namespace qv {

struct THostedRequest {
  bool hosted = false;
  // The window to draw into; 0 draws into the root window.
  uint64_t window = 0;
  // Something the user should hear about: an id that does not parse.
  std::string note;
  // True when the arguments cannot be followed (a bad --window-id).
  bool invalid = false;
  // Settings for this run only, from the switches below.
  TRunOverrides overrides;
};

// "-root" or "--root" draws into the window XSCREENSAVER_WINDOW names (the
// root window without one); "-window-id ID" or "--window-id ID" (also
// "--window-id=ID"; decimal or 0x-hex) into that window; "/S" (any spelling
// of run mode) while XSCREENSAVER_WINDOW holds a window id into that one. A
// variable that is no window id (a token of a Wayland session) counts as not
// given, with a note.
// Beside them, with one dash or two, the switches a daemon's settings pass:
// "-duration SECONDS" (also "--duration=SECONDS"), "-music" / "-no-music",
// "-sound" / "-no-sound", "-transitions" / "-no-transitions". A duration that
// is no whole number from kMinOverrideDuration to kMaxOverrideDuration is
// ignored, with a note.
THostedRequest HostedRequest(const std::vector<std::string>& args, std::optional<std::string> xscreensaverWindow);

}  // namespace qv
