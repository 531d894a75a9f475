// qvtool deb: a Debian package of one screensaver, so that its maker can hand
// Linux users one file. It holds what install --system writes; dpkg-shlibdeps
// tells what it depends on and dpkg-deb builds it, owned by root.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "Commands.h"
#include "InstallFiles.h"
#include "Options.h"
#include "SystemInstall.h"
#include "common/Error.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/posix/RunProgram.h"

namespace qvtool {

namespace {

namespace fs = std::filesystem;

// The packaging tools may take a while on a large screensaver.
constexpr int kToolWaitMs = 5 * 60 * 1000;

// A folder of our own for the package's tree, removed at the end.
class TStage {
 public:
  TStage() {
    std::string pattern = qv::platform::TempPath() + "qvtool-deb-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw qv::EQVError("cannot make a folder in " + qv::platform::TempPath());
    path_ = pattern;
    std::error_code ec;
    // The root of the package's tree is the system's "/".
    fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec, ec);
  }
  ~TStage() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TStage(const TStage&) = delete;
  TStage& operator=(const TStage&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

qv::platform::TRun Run(const std::vector<std::string>& argv, const std::string& folder = "") {
  qv::platform::TRunOptions options;
  options.waitMs = kToolWaitMs;
  options.captureErrors = true;
  options.folder = folder;
  qv::platform::TRun run = qv::platform::RunProgram(argv, options);
  if (!run.started) throw qv::EQVError(run.error + " (qvtool deb needs Debian's dpkg-dev: apt-get install dpkg-dev)");
  if (!run.ended || run.exitCode != 0) throw qv::EQVError(argv[0] + " failed: " + run.out);
  return run;
}

// Debian's name for the processor the program is built for (its ELF header).
std::string Architecture(const std::string& file) {
  std::FILE* f = qv::platform::OpenStream(file, "rb");
  unsigned char header[20] = {};
  const bool read = f && std::fread(header, 1, sizeof header, f) == sizeof header;
  if (f) std::fclose(f);
  const int machine = read ? header[18] | header[19] << 8 : 0;
  switch (machine) {
    case 62: return "amd64";
    case 183: return "arm64";
    case 3: return "i386";
    case 40: return "armhf";
    case 243: return "riscv64";
    case 21: return "ppc64el";
    case 22: return "s390x";
    default: throw qv::EQVError("cannot tell which processor " + file + " is built for");
  }
}

// What the screensaver's program needs, as dpkg-shlibdeps says it.
std::string Depends(const std::string& program) {
  TStage work;
  MakeFolders(work.Path() + "/debian", 0755);
  WriteText(work.Path() + "/debian/control", "Source: qvsaver-screensaver\n\nPackage: qvsaver-screensaver\nArchitecture: any\n");
  const qv::platform::TRun run = Run({"dpkg-shlibdeps", "-O", "-e" + program}, work.Path());
  for (size_t at = 0; at < run.out.size();) {
    size_t end = run.out.find('\n', at);
    if (end == std::string::npos) end = run.out.size();
    const std::string line = run.out.substr(at, end - at);
    if (line.rfind("shlibs:Depends=", 0) == 0) return line.substr(15);
    at = end + 1;
  }
  return {};
}

// The local time now in strftime's `format`.
std::string Now(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

// Debian's rules for an upstream version: a digit first, then letters,
// digits and ".+~".
bool IsVersion(const std::string& v) {
  if (v.empty() || v.size() > 64 || v[0] < '0' || v[0] > '9') return false;
  for (char c : v)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '+' || c == '~'))
      return false;
  return true;
}

// One line of a control field: no line breaks.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string Maintainer(const std::string& given, const std::string& publisher) {
  if (!given.empty()) return OneLine(given);
  const char* name = std::getenv("DEBFULLNAME");
  const char* mail = std::getenv("DEBEMAIL");
  if (name && *name && mail && *mail) return OneLine(std::string(name) + " <" + mail + ">");
  return OneLine(publisher.empty() ? std::string("the screensaver's maker") : publisher);
}

uint64_t InstalledKiB(const std::string& root) {
  uint64_t bytes = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root, ec))
    if (entry.is_regular_file(ec)) bytes += (entry.file_size(ec) + 1023) / 1024 * 1024;
  return (bytes + 1023) / 1024;
}

}  // namespace

int Deb(const Args& args) {
  std::vector<std::string> files;
  std::string out = ".", name, version, maintainer;
  TOptionReader(
      "usage: qvtool deb FILE.scr [--out DIR] [--name NAME] [--version VERSION] [--maintainer \"NAME <EMAIL>\"]")
      .Value("--out", out)
      .Value("--name", name)
      .Value("--version", version)
      .Value("--maintainer", maintainer)
      .Plain(files, 1, 1)
      .Read(args);
  if (version.empty()) version = Now("%Y%m%d");
  if (!IsVersion(version))
    throw UsageError{"--version takes a Debian version: a digit first, then letters, digits and \".+~\", not \"" +
                     version + "\""};
  std::error_code ec;
  if (!fs::is_directory(out, ec)) throw UsageError{"--out " + out + " is not a folder"};

  const TSystemSaver saver = DescribeSaver(files[0], name);
  const std::string arch = Architecture(files[0]);
  const std::string depends = Depends(files[0]);
  TStage stage;
  const std::string root = stage.Path();
  WriteSystemFiles(saver, root);

  const std::string doc = root + "/usr/share/doc/" + saver.name;
  MakeFolders(doc, 0755);
  WriteText(doc + "/copyright",
            "This package holds the screensaver \"" + saver.prettyName + "\"" +
                (saver.publisher.empty() ? "" : " by " + saver.publisher) +
                ": its pictures, music and settings, carried by the qvsaver engine.\n\n"
                "Copyright (C) " + Now("%Y") + " " + (saver.publisher.empty() ? "its makers" : saver.publisher) +
                ". The pictures, music and texts belong to their makers, who hand them on with it.\n",
            0644);
  const std::string changelog = doc + "/changelog";
  WriteText(changelog,
            saver.name + " (" + version + ") unstable; urgency=low\n\n  * Made with qvtool deb.\n\n -- " +
                Maintainer(maintainer, saver.publisher) + "  " + Now("%a, %d %b %Y %H:%M:%S %z") + "\n",
            0644);
  Run({"gzip", "-9n", changelog});

  const std::string control = root + "/DEBIAN";
  MakeFolders(control, 0755);
  const qv::platform::TRun sums =
      Run({"md5sum", "usr/libexec/xscreensaver/" + saver.name, "usr/share/applications/screensavers/" + saver.name + ".desktop",
           "usr/share/xscreensaver/config/" + saver.name + ".xml", "usr/share/doc/" + saver.name + "/copyright",
           "usr/share/doc/" + saver.name + "/changelog.gz"},
          root);
  WriteText(control + "/md5sums", sums.out, 0644);
  std::string text = "Package: " + saver.name + "\nVersion: " + version + "\nArchitecture: " + arch +
                     "\nMaintainer: " + Maintainer(maintainer, saver.publisher) +
                     "\nInstalled-Size: " + std::to_string(InstalledKiB(root)) + "\n";
  if (!depends.empty()) text += "Depends: " + depends + "\n";
  text += "Section: x11\nPriority: optional\n";
  if (!saver.website.empty()) text += "Homepage: " + OneLine(saver.website) + "\n";
  text += "Description: " + OneLine(saver.prettyName) + ", a picture slideshow screensaver\n"
          " " + OneLine(saver.prettyName) + (saver.publisher.empty() ? "" : " from " + OneLine(saver.publisher)) +
          ": a slideshow of " + std::to_string(saver.pictures) + " pictures" + (saver.music ? " with music" : "") +
          ".\n xfce4-screensaver and mate-screensaver list it among their screensavers;\n"
          " xscreensaver users add the line\n   \"" + OneLine(saver.prettyName) + "\"  " + SystemPaths(saver.name).saver +
          " --root \\n\\\n to the programs of their ~/.xscreensaver.\n";
  WriteText(control + "/control", text, 0644);

  const std::string deb = (fs::path(out) / (saver.name + "_" + version + "_" + arch + ".deb")).string();
  // A screensaver is mostly pictures and music that are compressed already:
  // the quickest level costs a few percent of size and saves most of the time.
  Run({"dpkg-deb", "--root-owner-group", "-Zxz", "-z1", "--build", root, deb});
  std::printf("%s\n", deb.c_str());
  return 0;
}

}  // namespace qvtool
