// System services the core needs without a display: paths, the clock, the
// program-files stand-in. On Linux some Windows services have no counterpart;
// those calls do nothing and say so where they are defined.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qv::platform {

// The full path of the running executable (/proc/self/exe), empty if unknown.
std::string ExecutablePath();

// Milliseconds since an arbitrary start, 32 bits, wrapping.
uint32_t TickCount();
void SleepMs(uint32_t ms);

// SIGTERM, SIGINT and SIGHUP (how desktop screensaver daemons stop a saver)
// are noted instead of ending the process, so the saver closes through its
// normal path and its extracted files are removed.
void InstallEndSignals();
bool EndSignalReceived();

// Where this user's own settings live, ending with "/": $XDG_CONFIG_HOME,
// else ~/.config/. Empty when neither can be told.
std::string UserConfigFolder();

// Makes the bitmap file the desktop's wallpaper, centred and not tiled,
// where the desktop offers a way to; says in `how` what was done. False when
// there is no way here (the file stays as it is).
bool SetDesktopWallpaper(const std::string& bitmapFile, std::string& how);

// The XDG data folders in look-up order: $XDG_DATA_HOME (default
// ~/.local/share), then each entry of $XDG_DATA_DIRS (default
// /usr/local/share:/usr/share). Each ends with "/".
std::vector<std::string> DataFolders();

}  // namespace qv::platform
