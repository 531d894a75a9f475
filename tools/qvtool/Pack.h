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
};

// Throws qv::EQVError with a message for the user.
void PackScreensaver(const PackRequest& request);

}  // namespace qvtool
