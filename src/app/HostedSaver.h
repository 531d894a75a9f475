// Run mode inside a window a screensaver daemon owns (xscreensaver,
// XSecureLock, xfce4-screensaver, mate-screensaver): the slideshow at that
// window's size, input left to the daemon, messages on stderr, and no end
// but a signal or the window going away.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace qv {
class TQVCProject;
struct TRunOverrides;
}

namespace qv::app {

// `window` 0 draws into the root window. Of several instances at once (one
// per monitor) only one plays music and sounds: the one XSCREENSAVER_SAVER_INDEX
// calls 0, or else the first to take the voice lock; it is the primary one,
// and the others follow the Monitors setting (black, a show of their own
// that never takes a picture another shows, or the primary one's picture). `overrides` win over the
// project and the user's settings for this run. Returns the exit code: 1 when
// there is no display or no such window.
int RunHostedSaver(TQVCProject& project, const std::string& exePath, const std::string& tempFolder, uint64_t window,
                   const TRunOverrides& overrides);

using THostedRunner = std::function<int(TQVCProject& project, const std::string& exePath,
                                        const std::string& tempFolder, uint64_t window,
                                        const TRunOverrides& overrides)>;
// RunHostedSaver where the system's screensaver daemons host savers (X11);
// an empty function where none do (Windows, which has no RunHostedSaver).
THostedRunner HostedRunner();

}  // namespace qv::app
