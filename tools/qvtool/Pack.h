// Writes a screensaver: the engine's bytes followed by a project overlay.
#pragma once
#include <string>
#include <vector>

namespace qvtool {

struct PackRequest {
  std::string engine;
  std::string out;
  std::string settings;  // an INI file with [General] [Default] [Advance] [Build] [UI]
  std::string ui;        // the skin description
  std::string preview;
  std::vector<std::string> music;
  std::vector<std::string> extras;
  std::vector<std::string> pictures;
  bool fourBlocks = false;
  bool allowEmpty = false;  // a project without pictures is refused unless asked for
  bool strict = false;      // what would only be noted (a file an animated picture names is missing) is refused
};

// The formats the engine plays, by what a file's bytes hold (not its name):
// the extension a picture travels under (".jpg", ".bmp", ".gif", ".qvp"), or
// empty when the file is none of them.
std::string PlayableExtension(const std::string& path);

// Throws qv::EQVError with a message for the user. Notes that do not stop the
// pack (a settings value that does not parse, an engine that already carried
// an overlay, a file an animated picture names that is not packed, effect
// numbers that are dropped) go to `notes`, one line each.
void PackScreensaver(const PackRequest& request, std::vector<std::string>* notes = nullptr);

}  // namespace qvtool
