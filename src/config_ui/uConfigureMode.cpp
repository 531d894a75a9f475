#include "config_ui/uConfigureMode.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "common/Error.h"
#include "common/Utf8Path.h"
#include "config_ui/uQVForms.h"
#include "project/uQVProject.h"

namespace qv {

namespace {

// The project's skin when it holds something to read: false, with the
// reason, when there is none, it is empty or it cannot be read.
bool LoadProjectSkin(const TQVCProject& project, TQVForms& skin, std::string& why) {
  const std::string& file = project.UISetting().UIFile;
  std::error_code ec;
  if (file.empty() || !std::filesystem::exists(PathFromUtf8(file), ec)) {
    why = "the screensaver carries no skin";
    return false;
  }
  if (std::filesystem::file_size(PathFromUtf8(file), ec) == 0 && !ec) {
    why = "the screensaver's skin is empty";
    return false;
  }
  try {
    skin.LoadSkin(file);
    return true;
  } catch (const EQVError& e) {
    why = std::string("the screensaver's skin cannot be read: ") + e.what();
    return false;
  }
}

}  // namespace

bool ShowConfigureWindow(TQVCProject& project, TConfigServices& services) {
  TQVForms skin;
  std::string why;
  if (LoadProjectSkin(project, skin, why) && ShowSkinWindow(skin, project, kMainWindow, services, &why)) return true;
  if (services.report) services.report(why + "; showing the built-in configuration window");
  if (ShowSkinWindow(BuiltInSkin(), project, kMainWindow, services, &why)) return true;
  if (services.report) services.report(why);
  return false;
}

}  // namespace qv
