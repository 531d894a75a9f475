// A screensaver installed for every user, where every Linux daemon finds it:
// the program in xscreensaver's folder of savers (the only folders
// xfce4-screensaver and mate-screensaver run savers from), its desktop entry
// and xscreensaver's description of its settings. `install --system` writes
// them with a record that `uninstall --system` follows; `deb` packs them.
#pragma once
#include <string>
#include <vector>

namespace qvtool {

// What the files of an installed screensaver say about it.
struct TSystemSaver {
  std::string file;         // the screensaver file that is installed
  std::string name;         // the program's name: RunnableName of the product, or as chosen
  std::string prettyName;   // the product's name
  std::string publisher;
  std::string website;
  size_t pictures = 0;
  bool animated = false;    // it carries animated pictures, which have sounds
  bool music = false;       // it carries music
  bool musicOn = true, soundOn = true, transitionOn = true;
  int duration = 30;
};

// Reads the screensaver's project (extracting and removing it). `name` empty
// takes the product's name. Throws UsageError for a file that is not a Linux
// screensaver or a name a daemon cannot run.
TSystemSaver DescribeSaver(const std::string& file, const std::string& name);

// The installed files' paths under `root` ("" for the system itself).
struct TSystemPaths {
  std::string saver, desktop, settings;
  std::vector<std::string> All() const { return {saver, desktop, settings}; }
};
TSystemPaths SystemPaths(const std::string& name, const std::string& root = "");

// xscreensaver's description of the settings (config/NAME.xml).
std::string SettingsDescription(const TSystemSaver& saver);

// Writes the three files under `root`, making their folders (mode 0755);
// returns the folders it made.
std::vector<std::string> WriteSystemFiles(const TSystemSaver& saver, const std::string& root);

// The installed screensaver a per-user install may list instead of copying:
// `given` when it lies in a daemon's folder of savers, or the program
// /usr/libexec/xscreensaver/NAME for a name given bare. Empty otherwise.
std::string SystemSaverPath(const std::string& given);

// The commands.
int InstallSystemWide(const std::string& file, const std::string& name, const std::string& root, bool dryRun);
int UninstallSystemWide(const std::string& name, bool dryRun);

}  // namespace qvtool
