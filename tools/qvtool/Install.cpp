// qvtool install and uninstall: a screensaver file becomes this user's
// screensaver for the Linux daemons that take third-party savers, and goes
// again without a trace.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Commands.h"
#include "DesktopEntry.h"
#include "Extract.h"
#include "Options.h"
#include "XScreensaverFile.h"
#include "common/Error.h"
#include "common/Limits.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "project/uIniFile.h"
#include "project/uQVProject.h"

namespace qvtool {

namespace {

namespace fs = std::filesystem;

// Where things go for this user.
struct TPlaces {
  std::string home;      // ~/.xscreensaver lives here
  std::string dataHome;  // $XDG_DATA_HOME, ending with "/"
  std::string Folder() const { return dataHome + "qvsaver/"; }
  std::string Saver(const std::string& name) const { return Folder() + name + ".scr"; }
  std::string Record(const std::string& name) const { return Folder() + name + ".install"; }
  std::string Desktop(const std::string& name) const {
    return dataHome + "applications/screensavers/qvsaver-" + name + ".desktop";
  }
  std::string XScreensaver() const { return home + "/.xscreensaver"; }
};

TPlaces Places() {
  TPlaces p;
  const char* home = std::getenv("HOME");
  if (!home || !*home) throw qv::EQVError("HOME is not set");
  p.home = home;
  const std::vector<std::string> data = qv::platform::DataFolders();
  if (data.empty()) throw qv::EQVError("no folder for this user's data ($XDG_DATA_HOME or ~/.local/share)");
  p.dataHome = data[0];
  return p;
}

// A path as a shell reads it (xscreensaver runs its programs through one).
std::string ShellQuoted(const std::string& path) {
  if (path.find_first_of(" '\"\\$`!*?[]{}()<>|&;#~") == std::string::npos) return path;
  std::string q = "'";
  for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadText(const std::string& path) {
  std::string text, reason;
  if (qv::platform::ReadRegularFile(path, qv::kMaxIniFileSize, text, reason) == qv::platform::TOpenResult::Refused)
    throw qv::EQVError("cannot read " + path + ": " + reason);
  return text;
}

void WriteText(const std::string& path, const std::string& text) {
  if (!qv::platform::CreateFolders(fs::path(path).parent_path().string()))
    throw qv::EQVError("cannot make the folder for " + path);
  std::string reason;
  if (!qv::platform::ReplaceFileContents(path, text, reason)) throw qv::EQVError("cannot write " + path + ": " + reason);
}

void CopyFile(const std::string& from, const std::string& to) {
  if (!qv::platform::CreateFolders(fs::path(to).parent_path().string()))
    throw qv::EQVError("cannot make the folder for " + to);
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) throw qv::EQVError("cannot copy " + from + " to " + to + ": " + ec.message());
  fs::permissions(to, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                          fs::perms::others_read | fs::perms::others_exec, ec);
}

std::string DesktopEntry(const std::string& prettyName, const std::string& saver) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + prettyName + "\n"
         "Comment=A picture slideshow screensaver\n"
         "TryExec=" + saver + "\n"
         "Exec=" + ExecArgument(saver) + " -root\n"
         "StartupNotify=false\n"
         "Terminal=false\n"
         "Categories=Screensaver;\n"
         "OnlyShowIn=XFCE;MATE;\n";
}

struct TOptions {
  std::string target;
  bool dryRun = false;
};

TOptions Parse(const Args& args, const char* usage) {
  TOptions o;
  std::vector<std::string> targets;
  TOptionReader(usage).Switch("--dry-run", o.dryRun).Plain(targets, 1, 1).Read(args);
  o.target = targets[0];
  return o;
}

// The line a user of XSecureLock puts in their setup.
std::string XSecureLockLine(const std::string& saver) {
  return "XSECURELOCK_SAVER=" + ShellQuoted(saver) + " xsecurelock";
}

}  // namespace

int Install(const Args& args) {
  const TOptions o = Parse(args, "usage: qvtool install FILE.scr [--dry-run]");
  std::string name = fs::path(o.target).filename().string();
  if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
  if (name.empty()) throw UsageError{"cannot tell a name from " + o.target};
  // It must be a screensaver: its project is read (and removed again).
  std::string prettyName;
  {
    std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(o.target);
    prettyName = extracted->Project().Setting().ProductName;
    if (extracted->Project().FileList().Count() == 0)
      std::fprintf(stderr, "qvtool install: note: %s carries no pictures\n", o.target.c_str());
  }
  if (prettyName.empty()) prettyName = name;

  const TPlaces places = Places();
  const std::string saver = places.Saver(name);
  const std::string command = ShellQuoted(saver) + " -root";
  const std::string xsFile = places.XScreensaver();
  std::error_code ec;
  const bool xsExisted = fs::exists(xsFile, ec);
  const std::string before = xsExisted ? ReadText(xsFile) : std::string();
  const std::string base = xsExisted ? before : NewFileFromDefaults(ReadText("/etc/X11/app-defaults/XScreenSaver"));
  const std::string after = AddProgram(base, ProgramLine(prettyName, command), command);
  const bool listed = HasProgram(before, command);

  const char* verb = o.dryRun ? "would" : "did";
  std::printf("qvtool install %s (%s):\n", name.c_str(), o.dryRun ? "a dry run, nothing is written" : "done");
  std::printf("  %s copy %s to %s\n", verb, o.target.c_str(), saver.c_str());
  if (listed) std::printf("  %s is in the programs of %s already\n", prettyName.c_str(), xsFile.c_str());
  else std::printf("  %s add \"%s\" to the programs of %s%s\n", verb, prettyName.c_str(), xsFile.c_str(),
                   xsExisted ? "" : " (made from the system's list)");
  std::printf("  xscreensaver notices the change by itself; its settings program takes option descriptions only\n"
              "  from the system's folder, so none is written\n");
  std::printf("  %s write %s for xfce4-screensaver and mate-screensaver\n", verb, places.Desktop(name).c_str());
  std::printf("For XSecureLock, start it as: %s\n", XSecureLockLine(saver).c_str());
  if (o.dryRun) return 0;

  // Folders install makes are taken away again by uninstall, when empty.
  std::string madeFolders;
  for (const std::string& folder : {places.dataHome, places.Folder(), places.dataHome + "applications/",
                                    places.dataHome + "applications/screensavers/"})
    if (!fs::exists(folder, ec)) madeFolders += folder + "\n";
  const std::string earlierFolders = qv::TIniFile::FromFile(places.Record(name)).ReadString("Install", "MadeFolders", "");
  CopyFile(o.target, saver);
  if (!listed) WriteText(xsFile, after);
  WriteText(places.Desktop(name), DesktopEntry(prettyName, saver));
  // What was done, so that uninstall undoes exactly that.
  qv::TIniDocument record;
  record.WriteString("Install", "Screensaver", saver);
  record.WriteString("Install", "Command", command);
  record.WriteString("Install", "Desktop", places.Desktop(name));
  record.WriteBool("Install", "AddedProgram", !listed || qv::TIniFile::FromFile(places.Record(name)).ReadBool("Install", "AddedProgram", false));
  record.WriteBool("Install", "MadeProgramsFile", !xsExisted || qv::TIniFile::FromFile(places.Record(name)).ReadBool("Install", "MadeProgramsFile", false));
  std::string folders = earlierFolders;
  for (size_t at = 0; at < madeFolders.size();) {
    const size_t end = madeFolders.find('\n', at);
    if (!folders.empty()) folders += ';';
    folders += madeFolders.substr(at, end - at);
    at = end + 1;
  }
  record.WriteString("Install", "MadeFolders", folders);
  record.SaveAtomically(places.Record(name));
  return 0;
}

int Uninstall(const Args& args) {
  const TOptions o = Parse(args, "usage: qvtool uninstall NAME [--dry-run]");
  const TPlaces places = Places();
  const std::string name = o.target;
  const qv::TIniFile record = qv::TIniFile::FromFile(places.Record(name));
  if (!record.SectionExists("Install")) throw qv::EQVError(name + " is not installed (" + places.Record(name) + ")");
  const std::string saver = record.ReadString("Install", "Screensaver", "");
  const std::string command = record.ReadString("Install", "Command", "");
  const std::string desktop = record.ReadString("Install", "Desktop", "");
  const std::string xsFile = places.XScreensaver();

  const char* verb = o.dryRun ? "would" : "did";
  std::printf("qvtool uninstall %s (%s):\n", name.c_str(), o.dryRun ? "a dry run, nothing is changed" : "done");
  std::printf("  %s remove %s\n", verb, saver.c_str());
  std::error_code ec;
  std::string xsAfter;
  bool dropFile = false;
  if (record.ReadBool("Install", "AddedProgram", false) && fs::exists(xsFile, ec)) {
    const std::string text = ReadText(xsFile);
    xsAfter = RemoveProgram(text, command);
    // A file install made from the system's list goes when it is that list again.
    dropFile = record.ReadBool("Install", "MadeProgramsFile", false) &&
               xsAfter == NewFileFromDefaults(ReadText("/etc/X11/app-defaults/XScreenSaver"));
    if (dropFile) std::printf("  %s remove %s, which install made\n", verb, xsFile.c_str());
    else if (xsAfter != text) std::printf("  %s take it out of the programs of %s\n", verb, xsFile.c_str());
  }
  std::printf("  %s remove %s\n", verb, desktop.c_str());
  if (o.dryRun) return 0;

  if (!xsAfter.empty() || dropFile) {
    if (dropFile) qv::platform::RemoveFile(xsFile);
    else WriteText(xsFile, xsAfter);
  }
  for (const std::string& file : {saver, desktop, places.Record(name)})
    if (!file.empty()) qv::platform::RemoveFile(file);
  // The folders install made, deepest first, when nothing else is in them.
  std::vector<std::string> folders;
  std::string list = record.ReadString("Install", "MadeFolders", "");
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find(';', at);
    if (end == std::string::npos) end = list.size();
    if (end > at) folders.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& folder : folders) qv::platform::RemoveEmptyFolder(folder);
  return 0;
}

}  // namespace qvtool
