// qvtool watch: a small process of the user's session that starts a
// screensaver when the session has been idle for a while, and the XDG
// autostart entry that starts it with the session. Linux only.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "DesktopEntry.h"
#include "Extract.h"
#include "Options.h"
#include "app/IdleWatchOnDesktop.h"
#include "common/Error.h"
#include "common/Limits.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "project/uQVProject.h"

namespace qvtool {

namespace {

namespace fs = std::filesystem;

const char kUsage[] =
    "usage: qvtool watch FILE [--after TIME]      start FILE's saver after TIME without input (default 10m)\n"
    "       qvtool watch --autostart FILE [--after TIME]\n"
    "                                             start the watch with every session (XDG autostart)\n"
    "       qvtool watch --no-autostart           take that out again\n"
    "TIME is seconds, minutes or hours: 90s, 10m, 1h.";

// Written into the entry so that --no-autostart removes only its own.
const char kOwnKey[] = "X-Qvsaver-Watch=true";

std::string AutostartFile() {
  const std::string config = qv::platform::UserConfigFolder();
  if (config.empty()) throw qv::EQVError("no folder for this user's settings ($XDG_CONFIG_HOME or ~/.config)");
  return config + "autostart/qvsaver-watch.desktop";
}

// The time as --after reads it again, in the largest unit that is exact.
std::string TimeText(uint32_t ms) {
  const uint32_t seconds = ms / 1000;
  if (seconds % 3600 == 0) return std::to_string(seconds / 3600) + "h";
  if (seconds % 60 == 0) return std::to_string(seconds / 60) + "m";
  return std::to_string(seconds) + "s";
}

// A screensaver file runs as itself (/S) when it may be executed, as a user
// would start it; any other file with an overlay through qvtool play.
std::vector<std::string> SaverCommand(const std::string& file) {
  if (::access(file.c_str(), X_OK) == 0) return {file, "/S"};
  const std::string self = qv::platform::ExecutablePath();
  if (self.empty()) throw qv::EQVError("cannot tell where qvtool itself is");
  return {self, "play", file};
}

// The absolute path of a screensaver, checked the way the engine loads it.
std::string CheckedSaver(const std::string& file) {
  std::error_code ec;
  const std::string path = fs::absolute(file, ec).lexically_normal().string();
  if (ec || !fs::is_regular_file(path, ec)) throw qv::EQVError(file + " is not a file");
  std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(path);
  if (extracted->Project().FileList().Count() == 0)
    std::fprintf(stderr, "qvtool watch: note: %s carries no pictures\n", file.c_str());
  return path;
}

int WriteAutostart(const std::string& saver, uint32_t afterMs) {
  const std::string self = qv::platform::ExecutablePath();
  if (self.empty()) throw qv::EQVError("cannot tell where qvtool itself is");
  const std::string entry = AutostartFile();
  const std::string text =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Screensaver idle watch\n"
      "Comment=Plays " + fs::path(saver).filename().string() + " after " + TimeText(afterMs) + " without input\n"
      "TryExec=" + self + "\n"
      "Exec=" + ExecArgument(self) + " watch " + ExecArgument(saver) + " --after " + TimeText(afterMs) + "\n"
      "Terminal=false\n"
      "NoDisplay=true\n"
      "X-GNOME-Autostart-enabled=true\n" + kOwnKey + "\n";
  if (!qv::platform::CreateFolders(fs::path(entry).parent_path().string()))
    throw qv::EQVError("cannot make the folder for " + entry);
  std::string reason;
  if (!qv::platform::ReplaceFileContents(entry, text, reason)) throw qv::EQVError("cannot write " + entry + ": " + reason);
  std::printf("wrote %s: from the next session on, %s plays after %s without input\n", entry.c_str(), saver.c_str(),
              TimeText(afterMs).c_str());
  return 0;
}

int RemoveAutostart() {
  const std::string entry = AutostartFile();
  std::string text;
  try {
    text = qv::platform::ReadWholeText(entry, qv::kMaxIniFileSize);
  } catch (const qv::platform::EFileUnreadable& e) {
    if (!e.Missing()) throw;
    std::printf("there is no autostart entry at %s\n", entry.c_str());
    return 0;
  }
  if (text.find(kOwnKey) == std::string::npos)
    throw qv::EQVError(entry + " was not written by qvtool watch; it is left as it is");
  qv::platform::RemoveFile(entry);
  std::error_code ec;
  if (fs::exists(entry, ec)) throw qv::EQVError("cannot remove " + entry);
  std::printf("removed %s\n", entry.c_str());
  return 0;
}

}  // namespace

int Watch(const Args& args) {
  std::vector<std::string> files;
  uint32_t afterMs = 10 * 60 * 1000;
  bool autostart = false, noAutostart = false;
  TOptionReader options(kUsage);
  options.Value("--after", [&](const std::string& v) { afterMs = ParseDuration(v, 1, 24 * 3600, "--after"); })
      .Switch("--autostart", autostart)
      .Switch("--no-autostart", noAutostart)
      .Plain(files, 0, 1)
      .Read(args);
  if (noAutostart) {
    if (autostart || !files.empty()) throw UsageError{kUsage};
    return RemoveAutostart();
  }
  if (files.empty()) throw UsageError{kUsage};
  const std::string saver = CheckedSaver(files[0]);
  if (qv::platform::EndSignalReceived()) return 0;
  if (autostart) return WriteAutostart(saver, afterMs);
  return qv::app::RunIdleWatchOnDesktop(afterMs, SaverCommand(saver), [](const std::string& line) {
    std::fprintf(stderr, "qvtool watch: %s\n", line.c_str());
  });
}

}  // namespace qvtool
