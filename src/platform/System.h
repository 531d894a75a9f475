// System services the core needs without a display: paths, the clock, the
// program-files stand-in. On Linux some Windows services have no counterpart;
// those calls do nothing and say so where they are defined.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qv::platform {

// The program's arguments as UTF-8 text, the program's name first: argv as
// given on POSIX; on Windows read from the wide command line, since argv
// arrives in the ANSI code page.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// The full path of the running executable, empty if unknown: /proc/self/exe
// on Linux; on Windows the module's file in its long form.
std::string ExecutablePath();

// Milliseconds since an arbitrary start, 32 bits, wrapping.
uint32_t TickCount();
void SleepMs(uint32_t ms);

// SIGTERM, SIGINT and SIGHUP (how desktop screensaver daemons stop a saver)
// are noted instead of ending the process, so the saver closes through its
// normal path and its extracted files are removed. On Windows the same holds
// for console events and the end of the session.
void InstallEndSignals();
bool EndSignalReceived();

#if !defined(_WIN32)
// A descriptor that becomes readable when an end signal arrives (after
// InstallEndSignals) or a child process ends (after WakeOnChildEnd), so a
// poll() on it beside other descriptors waits for either without a race.
// DrainWakeDescriptor reads it empty; look at what happened afterwards.
int WakeDescriptor();
void DrainWakeDescriptor();
void WakeOnChildEnd();
#endif

// Where this user's own settings live, ending with "/": $XDG_CONFIG_HOME,
// else ~/.config/ (Windows: the roaming application data folder, %APPDATA%).
// Empty when none can be told.
std::string UserConfigFolder();

// Makes the bitmap file the desktop's wallpaper, centred and not tiled,
// where the desktop offers a way to; says in `how` what was done. False when
// there is no way here (the file stays as it is).
bool SetDesktopWallpaper(const std::string& bitmapFile, std::string& how);

// Asks the system to change the screensaver password, the dialog owned by
// `parentWindow`. Windows: PwdChangePasswordA of the system's MPR.DLL; Linux
// has no system screensaver password (the screen locker owns it): nothing.
void ChangeScreensaverPassword(uint64_t parentWindow);

// Opens a web address or a file with the desktop's own opener, as a double
// click would; false, with the reason in `why`, when it cannot.
bool OpenWithDesktop(const std::string& target, std::string& why);

// Where the maker's products install their shared files. Linux: the XDG
// data folders in look-up order: $XDG_DATA_HOME (default
// ~/.local/share), then each entry of $XDG_DATA_DIRS (default
// /usr/local/share:/usr/share). Windows: the program-files folder as the
// registry names it. Each ends with "/".
std::vector<std::string> DataFolders();

}  // namespace qv::platform
