// A window with every skinned control, filled from a project, and the
// settings dialog: for people who make skins, and for us to look at.
#pragma once
#include <string>

namespace qv {
class TQVCProject;
}

namespace qv::app {

struct TUiSampleOptions {
  // Write the sample window as a BMP file and end instead of waiting.
  std::string screenshot;
  // Write the settings dialog as a BMP file and end instead of waiting.
  std::string dialogScreenshot;
};

// Shows the window until it is closed. The settings dialog starts from the
// user settings file beside exePath; its OK prints the values as JSON on
// standard output and writes nothing. Returns the exit code.
int RunUiSample(TQVCProject& project, const std::string& exePath, const TUiSampleOptions& options);

}  // namespace qv::app
