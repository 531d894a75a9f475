// A user's ~/.xscreensaver as xscreensaver itself writes it, for the tests
// of the commands that edit it.
#pragma once
#include <string>

namespace qvtest {

// ~/.xscreensaver as xscreensaver-settings 6.06 writes it when the user picks
// "Only One Screen Saver" and entry `selected` (0 is the first; 2 is deco,
// which xscreensaver-data installs): its header and settings, and
// each entry as its writer lays it out ("-" for disabled, "GL:" for OpenGL
// hacks, four tabs, the command, tabs to column 72, "    \\n\\").
inline std::string WrittenByXScreensaver606(int selected) {
  struct Entry {
    bool enabled, gl;
    const char* command;
  };
  const Entry entries[] = {{true, false, "abstractile --root"}, {false, true, "superquadrics --root"},
                           {true, false, "deco --root"},        {true, false, "galaxy --root"},
                           {false, false, "pyro --root"},        {true, false, "marbling --root"}};
  std::string text =
      "# XScreenSaver Preferences File\n"
      "# Written by xscreensaver-settings 6.06 for someone on Tue Dec  8 18:53:32 2026.\n"
      "# https://www.jwz.org/xscreensaver/\n"
      "\n"
      "timeout:\t0:10:00\n"
      "cycle:\t\t0:10:00\n"
      "lock:\t\tFalse\n"
      "installColormap:    True\n"
      "ignoreUninstalledPrograms:False\n"
      "grabDesktopImages:  False\n"
      "imageDirectory:\t\n"
      "\n"
      "mode:\t\tone\n"
      "selected:\t" + std::to_string(selected) + "\n"
      "\n"
      "textMode:\turl\n"
      "settingsGeom:\t0,0 -1,-1\n"
      "\n"
      "programs:\t\t\t\t\t\t\t\t      \\\n";
  for (const Entry& e : entries) {
    std::string line = e.gl ? (e.enabled ? "  GL: " : "- GL: ") : (e.enabled ? "" : "-");
    line += std::string("\t\t\t\t") + e.command;
    int column = 32 + static_cast<int>(std::string(e.command).size());
    while (column < 72) {
      line += '\t';
      column = (column / 8 + 1) * 8;
    }
    text += line + "    \\n\\\n";
  }
  return text + "\n\npointerHysteresis:  10\nauthWarningSlack:   20\n\n";
}

}  // namespace qvtest
