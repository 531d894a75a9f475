// qvtool install and uninstall for this user: a screensaver file becomes this
// user's screensaver for the Linux daemons that take savers from anywhere
// (xscreensaver, XSecureLock), and goes again without a trace. --system
// hands over to SystemInstall.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Commands.h"
#include "DesktopEntry.h"
#include "Extract.h"
#include "InstallFiles.h"
#include "Options.h"
#include "SystemInstall.h"
#include "XScreensaverFile.h"
#include "common/Error.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "project/uIniFile.h"
#include "project/uQVProject.h"

namespace qvtool {

namespace {

namespace fs = std::filesystem;

const char kAppDefaults[] = "/etc/X11/app-defaults/XScreenSaver";

// Where things go for this user.
struct TPlaces {
  std::string home;      // ~/.xscreensaver lives here
  std::string dataHome;  // $XDG_DATA_HOME, ending with "/"
  std::string Folder() const { return dataHome + "qvsaver/"; }
  std::string Saver(const std::string& name) const { return Folder() + name + ".scr"; }
  std::string Record(const std::string& name) const { return Folder() + name + ".install"; }
  // What every install made that no single one owns: folders, the programs file.
  std::string Shared() const { return Folder() + "installs.ini"; }
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

// The line a user of XSecureLock puts in their setup.
std::string XSecureLockLine(const std::string& saver) {
  return "XSECURELOCK_SAVER=" + ShellQuoted(saver) + " xsecurelock";
}

std::string SystemProgramsList() { return NewFileFromDefaults(ReadText(kAppDefaults)); }

// What install takes: a screensaver file to copy, or one installed for every
// user already (by --system or a package), which is only listed.
struct TTarget {
  std::string file;        // the screensaver
  std::string name;        // its name in this user's places
  std::string prettyName;  // the product's name
  bool systemWide = false;
};

TTarget Target(const std::string& given) {
  TTarget t;
  std::error_code ec;
  const std::string installed = SystemSaverPath(given);
  t.systemWide = !installed.empty() && (!fs::exists(given, ec) || fs::equivalent(given, installed, ec));
  t.file = t.systemWide ? installed : given;
  if (!t.systemWide && given.find('/') == std::string::npos && !fs::exists(given, ec))
    throw qv::EQVError("there is no file " + given + " here, and no screensaver of that name is installed for every user");
  t.name = fs::path(t.file).filename().string();
  if (const size_t dot = t.name.rfind('.'); !t.systemWide && dot != std::string::npos && dot > 0) t.name.erase(dot);
  if (t.name.empty()) throw UsageError{"cannot tell a name from " + given};
  // It must be a screensaver: its project is read (and removed again).
  std::unique_ptr<qv::TExtractedProject> extracted = ExtractFile(t.file);
  t.prettyName = extracted->Project().Setting().ProductName;
  if (extracted->Project().FileList().Count() == 0)
    std::fprintf(stderr, "qvtool install: note: %s carries no pictures\n", t.file.c_str());
  if (t.prettyName.empty()) t.prettyName = t.name;
  return t;
}

struct TOptions {
  std::string target;
  bool dryRun = false;
  bool system = false;
  std::string name;  // --system: the name to install under
  std::string root;  // --system: a staging folder instead of /
};

TOptions Parse(const Args& args, const char* usage, bool installing) {
  TOptions o;
  std::vector<std::string> targets;
  TOptionReader reader(usage);
  reader.Switch("--dry-run", o.dryRun).Switch("--system", o.system).Plain(targets, 1, 1);
  if (installing) reader.Value("--name", o.name).Value("--root", o.root);
  reader.Read(args);
  o.target = targets[0];
  if (!o.system && (!o.name.empty() || !o.root.empty())) throw UsageError{"--name and --root go with --system"};
  return o;
}

}  // namespace

int Install(const Args& args) {
  const TOptions o = Parse(args,
                           "usage: qvtool install FILE.scr [--dry-run]\n"
                           "       qvtool install NAME [--dry-run]       (one installed with --system)\n"
                           "       qvtool install --system FILE.scr [--name NAME] [--root DIR] [--dry-run]",
                           true);
  if (o.system) return InstallSystemWide(o.target, o.name, o.root, o.dryRun);
  const TTarget target = Target(o.target);
  const std::string& name = target.name;
  const std::string& prettyName = target.prettyName;

  const TPlaces places = Places();
  const std::string saver = target.systemWide ? target.file : places.Saver(name);
  const std::string command = ShellQuoted(saver) + " -root";
  const std::string xsFile = places.XScreensaver();
  std::error_code ec;
  const bool xsExisted = fs::exists(xsFile, ec);
  const std::string before = xsExisted ? ReadText(xsFile) : std::string();
  const std::string base = xsExisted ? before : SystemProgramsList();
  const std::string after = AddProgram(base, ProgramLine(prettyName, command), command);
  const bool listed = HasProgram(before, command);

  const char* verb = o.dryRun ? "would" : "did";
  std::printf("qvtool install %s (%s):\n", name.c_str(), o.dryRun ? "a dry run, nothing is written" : "done");
  if (target.systemWide)
    std::printf("  %s is installed for every user; it is listed, not copied\n", saver.c_str());
  else
    std::printf("  %s copy %s to %s\n", verb, o.target.c_str(), saver.c_str());
  if (listed) std::printf("  %s is in the programs of %s already\n", prettyName.c_str(), xsFile.c_str());
  else std::printf("  %s add \"%s\" to the programs of %s%s\n", verb, prettyName.c_str(), xsFile.c_str(),
                   xsExisted ? "" : " (made from the system's list)");
  std::printf("  xscreensaver notices the change by itself; pick it in xscreensaver-settings\n");
  if (target.systemWide)
    std::printf("  xfce4-screensaver and mate-screensaver list it already\n");
  else
    std::printf("xfce4-screensaver and mate-screensaver run only savers installed for every user:\n"
                "  sudo qvtool install --system %s\n", ShellQuoted(o.target).c_str());
  std::printf("For XSecureLock, start it as: %s\n", XSecureLockLine(saver).c_str());
  if (o.dryRun) return 0;

  // What install makes that no single screensaver owns is kept in one shared
  // record, so the last uninstall takes it away, whichever install made it.
  const std::vector<std::string> madeFolders = MissingFolders({places.Folder()});
  MakeFolders(places.Folder(), 0);
  qv::TIniDocument shared = qv::TIniDocument::FromFile(places.Shared());
  std::vector<std::string> folders = SplitList(shared.Parsed().ReadString("Made", "Folders", ""));
  for (const std::string& folder : madeFolders)
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
  shared.WriteString("Made", "Folders", JoinList(folders));
  if (!xsExisted) shared.WriteBool("Made", "ProgramsFile", true);
  shared.SaveAtomically(places.Shared());

  if (!target.systemWide) CopyWhole(target.file, saver, 0755);
  if (!listed) WriteText(xsFile, after);
  // What was done, so that uninstall undoes exactly that.
  const qv::TIniFile earlier = qv::TIniFile::FromFile(places.Record(name));
  qv::TIniDocument record;
  record.WriteString("Install", "Screensaver", saver);
  record.WriteBool("Install", "Copied", !target.systemWide);
  record.WriteString("Install", "Command", command);
  record.WriteBool("Install", "AddedProgram", !listed || earlier.ReadBool("Install", "AddedProgram", false));
  record.SaveAtomically(places.Record(name));
  return 0;
}

int Uninstall(const Args& args) {
  const TOptions o = Parse(args,
                           "usage: qvtool uninstall NAME [--dry-run]\n"
                           "       qvtool uninstall --system NAME [--dry-run]",
                           false);
  if (o.system) return UninstallSystemWide(o.target, o.dryRun);
  const TPlaces places = Places();
  const std::string name = o.target;
  const qv::TIniFile record = qv::TIniFile::FromFile(places.Record(name));
  if (!record.SectionExists("Install")) throw qv::EQVError(name + " is not installed (" + places.Record(name) + ")");
  const std::string saver = record.ReadString("Install", "Screensaver", "");
  const bool copied = record.ReadBool("Install", "Copied", true);
  const std::string command = record.ReadString("Install", "Command", "");
  // Installs of earlier versions wrote a desktop entry too.
  const std::string desktop = record.ReadString("Install", "Desktop", "");
  const std::string xsFile = places.XScreensaver();

  // The last one to go takes what installs made together.
  std::error_code ec;
  bool last = true;
  for (const fs::directory_entry& entry : fs::directory_iterator(places.Folder(), ec))
    if (entry.path().extension() == ".install" && entry.path().string() != places.Record(name)) last = false;
  const qv::TIniFile shared = qv::TIniFile::FromFile(places.Shared());
  // Records of earlier versions kept what their install made themselves.
  std::vector<std::string> madeFolders = SplitList(shared.ReadString("Made", "Folders", ""));
  for (const std::string& folder : SplitList(record.ReadString("Install", "MadeFolders", "")))
    if (std::find(madeFolders.begin(), madeFolders.end(), folder) == madeFolders.end()) madeFolders.push_back(folder);
  const bool madeFile = shared.ReadBool("Made", "ProgramsFile", false) || record.ReadBool("Install", "MadeProgramsFile", false);

  const char* verb = o.dryRun ? "would" : "did";
  std::printf("qvtool uninstall %s (%s):\n", name.c_str(), o.dryRun ? "a dry run, nothing is changed" : "done");
  if (copied) std::printf("  %s remove %s\n", verb, saver.c_str());
  std::string xsAfter;
  bool dropFile = false;
  if (record.ReadBool("Install", "AddedProgram", false) && fs::exists(xsFile, ec)) {
    const std::string text = ReadText(xsFile);
    xsAfter = RemoveProgram(text, command);
    // A file install made from the system's list goes when it is that list again.
    dropFile = last && madeFile && xsAfter == SystemProgramsList();
    if (dropFile) std::printf("  %s remove %s, which install made\n", verb, xsFile.c_str());
    else if (xsAfter != text) std::printf("  %s take it out of the programs of %s\n", verb, xsFile.c_str());
  }
  if (!desktop.empty()) std::printf("  %s remove %s\n", verb, desktop.c_str());
  if (o.dryRun) return 0;

  if (!xsAfter.empty() || dropFile) {
    if (dropFile) qv::platform::RemoveFile(xsFile);
    else WriteText(xsFile, xsAfter);
  }
  for (const std::string& file : {copied ? saver : std::string(), desktop, places.Record(name)})
    if (!file.empty()) qv::platform::RemoveFile(file);
  if (last) {
    qv::platform::RemoveFile(places.Shared());
    RemoveEmptyFolders(madeFolders);
  } else if (madeFile || !madeFolders.empty()) {
    qv::TIniDocument kept = qv::TIniDocument::FromFile(places.Shared());
    kept.WriteString("Made", "Folders", JoinList(madeFolders));
    kept.WriteBool("Made", "ProgramsFile", madeFile);
    kept.SaveAtomically(places.Shared());
  }
  return 0;
}

}  // namespace qvtool
