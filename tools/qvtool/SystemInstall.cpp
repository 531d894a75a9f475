#include "SystemInstall.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Commands.h"
#include "Extract.h"
#include "InstallFiles.h"
#include "Markup.h"
#include "common/Error.h"
#include "common/Paths.h"
#include "platform/Files.h"
#include "project/uIniFile.h"
#include "project/uQVProject.h"
#include "project/StillPictures.h"
#include "project/uRunOverrides.h"

namespace qvtool {

namespace {

namespace fs = std::filesystem;

// xscreensaver's folder of savers on Debian; xfce4-screensaver and
// mate-screensaver run savers from it and from /usr/lib/xscreensaver.
const char kSaverFolder[] = "/usr/libexec/xscreensaver/";
const char* const kDaemonFolders[] = {"/usr/libexec/xscreensaver/", "/usr/lib/xscreensaver/"};
const char kDesktopFolder[] = "/usr/share/applications/screensavers/";
const char kSettingsFolder[] = "/usr/share/xscreensaver/config/";
// What install --system wrote, one record per screensaver.
const char kRecordFolder[] = "/var/lib/qvsaver/";

// The picture duration the settings dialog offers, in seconds.
constexpr int kLongestOfferedDuration = 600;

std::string RecordPath(const std::string& name) { return std::string(kRecordFolder) + name + ".install"; }

// A boolean of xscreensaver's dialog: the switch that changes the project's value.
std::string Toggle(const std::string& id, const std::string& label, bool on) {
  return "  <boolean id=\"" + id + "\" _label=\"" + label + "\" " +
         (on ? "arg-unset=\"--no-" + id + "\"" : "arg-set=\"--" + id + "\"") + "/>\n\n";
}

std::string Described(const TSystemSaver& saver) {
  std::string text = saver.prettyName;
  if (!saver.publisher.empty()) text += ", from " + saver.publisher;
  return text;
}

}  // namespace

TSystemSaver DescribeSaver(const std::string& file, const std::string& name) {
  TSystemSaver saver;
  saver.file = file;
  {
    std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(file);
    const qv::TQVCProject& project = extracted->Project();
    const qv::TQVCSetting& s = project.Setting();
    saver.prettyName = s.ProductName.empty() ? fs::path(file).stem().string() : s.ProductName;
    saver.publisher = s.Publisher;
    saver.website = s.Website;
    saver.pictures = project.FileList().Count();
    for (const std::string& picture : project.FileList().Names()) saver.animated |= !qv::IsStillPicture(picture);
    saver.music = !s.MusicFile.empty();
    saver.musicOn = s.Music;
    saver.soundOn = s.Sound;
    saver.transitionOn = s.Transition;
    saver.duration = std::clamp<int>(s.Duration, qv::kMinOverrideDuration, kLongestOfferedDuration);
  }
  if (!IsLinuxProgram(file))
    throw UsageError{file + " is a screensaver for another system: pack it with the Linux engine (build/qvsaver)"};
  saver.name = RunnableName(name.empty() ? saver.prettyName : name);
  if (saver.name.empty() || (!name.empty() && saver.name != name))
    throw UsageError{"\"" + (name.empty() ? saver.prettyName : name) +
                     "\" is no name a daemon can run: choose one of lower-case letters, digits and \"-\" with --name"};
  return saver;
}

TSystemPaths SystemPaths(const std::string& name, const std::string& root) {
  TSystemPaths p;
  p.saver = root + kSaverFolder + name;
  p.desktop = root + kDesktopFolder + name + ".desktop";
  p.settings = root + kSettingsFolder + name + ".xml";
  return p;
}

std::string SettingsDescription(const TSystemSaver& saver) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n";
  xml += "<screensaver name=\"" + MarkupEscaped(saver.name) + "\" _label=\"" + MarkupEscaped(saver.prettyName) + "\">\n\n";
  xml += "  <command arg=\"--root\"/>\n\n";
  // Each option is a switch the engine takes for one run; what is not
  // changed here stays as the screensaver's maker set it.
  if (saver.pictures > 1) {
    xml += "  <number id=\"duration\" type=\"slider\" arg=\"--duration %\"\n"
           "          _label=\"Each picture stays\" _low-label=\"1 second\" _high-label=\"10 minutes\"\n"
           "          low=\"" + std::to_string(qv::kMinOverrideDuration) + "\" high=\"" +
           std::to_string(kLongestOfferedDuration) + "\" default=\"" + std::to_string(saver.duration) + "\"/>\n\n";
    xml += Toggle("transitions", "Transition effects", saver.transitionOn);
  }
  if (saver.music) xml += Toggle("music", "Play music", saver.musicOn);
  if (saver.animated) xml += Toggle("sound", "Play the sounds of animated pictures", saver.soundOn);
  xml += "  <_description>\n" + MarkupEscaped(Described(saver)) + ".\n\n";
  xml += "A slideshow of " + std::to_string(saver.pictures) + (saver.pictures == 1 ? " picture" : " pictures") +
         (saver.music ? " with music" : "") + ", played by qvsaver.\n";
  if (!saver.website.empty()) xml.append("\n").append(MarkupEscaped(saver.website)).append("\n");
  xml += "  </_description>\n</screensaver>\n";
  return xml;
}

std::vector<std::string> WriteSystemFiles(const TSystemSaver& saver, const std::string& root) {
  const TSystemPaths paths = SystemPaths(saver.name, root);
  std::vector<std::string> folders;
  for (const std::string& path : paths.All()) folders.push_back(fs::path(path).parent_path().string());
  const std::vector<std::string> made = MissingFolders(folders);
  for (const std::string& folder : folders) MakeFolders(folder, 0755);
  CopyWhole(saver.file, paths.saver, 0755);
  WriteText(paths.desktop, DesktopEntry(saver.prettyName, Described(saver), SystemPaths(saver.name).saver), 0644);
  WriteText(paths.settings, SettingsDescription(saver), 0644);
  return made;
}

std::string SystemSaverPath(const std::string& given) {
  std::error_code ec;
  for (const char* folder : kDaemonFolders)
    if (given.rfind(folder, 0) == 0 && fs::is_regular_file(given, ec)) return given;
  if (given.find('/') == std::string::npos && given == RunnableName(given)) {
    const std::string path = std::string(kSaverFolder) + given;
    if (fs::is_regular_file(path, ec)) return path;
  }
  return {};
}

int InstallSystemWide(const std::string& file, const std::string& name, const std::string& root, bool dryRun) {
  if (root.empty() && !dryRun && ::geteuid() != 0)
    throw qv::EQVError("install --system writes under /usr for every user and needs root: sudo qvtool install --system " +
                       ShellQuoted(file));
  const TSystemSaver saver = DescribeSaver(file, name);
  const TSystemPaths paths = SystemPaths(saver.name, root);
  // Never over another program's files: only what a record says we wrote.
  const qv::TIniFile record = qv::TIniFile::FromFile(RecordPath(saver.name));
  const bool ours = root.empty() && record.SectionExists("Install");
  std::error_code ec;
  for (const std::string& path : paths.All())
    if (!ours && fs::exists(fs::symlink_status(path, ec)))
      throw qv::EQVError(path + " exists and was not installed by qvtool: choose another name with --name");

  const char* verb = dryRun ? "would" : "did";
  std::printf("qvtool install --system %s (%s):\n", saver.name.c_str(), dryRun ? "a dry run, nothing is written" : "done");
  std::printf("  %s copy %s to %s\n", verb, file.c_str(), paths.saver.c_str());
  std::printf("  %s write %s for xfce4-screensaver and mate-screensaver\n", verb, paths.desktop.c_str());
  std::printf("  %s write %s for xscreensaver's settings\n", verb, paths.settings.c_str());
  if (root.empty()) std::printf("  %s keep what was written in %s\n", verb, RecordPath(saver.name).c_str());
  std::printf("xfce4-screensaver and mate-screensaver list \"%s\" among their screensavers.\n"
              "xscreensaver keeps a list per user: each user adds it with  qvtool install %s\n",
              saver.prettyName.c_str(), saver.name.c_str());
  if (dryRun) return 0;

  std::vector<std::string> folders = WriteSystemFiles(saver, root);
  if (!root.empty()) return 0;  // a package's staging folder: the package manager keeps track
  for (const std::string& folder : SplitList(record.ReadString("Install", "Folders", "")))
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  MakeFolders(kRecordFolder, 0755);
  qv::TIniDocument written;
  written.WriteString("Install", "Product", saver.prettyName);
  written.WriteString("Install", "Files", JoinList(paths.All()));
  written.WriteString("Install", "Folders", JoinList(folders));
  written.SaveAtomically(RecordPath(saver.name));
  return 0;
}

int UninstallSystemWide(const std::string& given, bool dryRun) {
  // Only a name a daemon can run names a record: nothing else is read as one.
  const std::string name = RunnableName(given);
  if (name.empty()) throw UsageError{"\"" + given + "\" is no name of a screensaver installed for every user"};
  const qv::TIniFile record = qv::TIniFile::FromFile(RecordPath(name));
  if (!record.SectionExists("Install"))
    throw qv::EQVError(given + " was not installed with qvtool install --system (there is no " + RecordPath(name) +
                       "); a package's screensaver goes with its package (apt-get remove)");
  if (!dryRun && ::geteuid() != 0)
    throw qv::EQVError("uninstall --system changes /usr for every user and needs root: sudo qvtool uninstall --system " +
                       ShellQuoted(name));
  const std::vector<std::string> files = SplitList(record.ReadString("Install", "Files", ""));
  const char* verb = dryRun ? "would" : "did";
  std::printf("qvtool uninstall --system %s (%s):\n", name.c_str(), dryRun ? "a dry run, nothing is changed" : "done");
  for (const std::string& file : files) std::printf("  %s remove %s\n", verb, file.c_str());
  std::printf("Users who listed it for xscreensaver take it out with  qvtool uninstall %s\n", name.c_str());
  if (dryRun) return 0;
  for (const std::string& file : files) qv::platform::RemoveFile(file);
  qv::platform::RemoveFile(RecordPath(name));
  std::vector<std::string> folders = SplitList(record.ReadString("Install", "Folders", ""));
  folders.push_back(kRecordFolder);
  RemoveEmptyFolders(folders);
  return 0;
}

}  // namespace qvtool
