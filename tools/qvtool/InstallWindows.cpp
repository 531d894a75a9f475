// qvtool install, uninstall and deb on Windows: Windows installs a
// screensaver itself, so these only say how.
#include <string>

#include "Commands.h"

namespace qvtool {

namespace {

const char kHowWindowsInstalls[] =
    "Windows installs a screensaver itself: right-click the .scr file and choose Install, "
    "or copy it into the Windows folder's System32 and pick it in the screen saver settings";

}  // namespace

int Install(const Args&) { throw UsageError{kHowWindowsInstalls}; }

int Uninstall(const Args&) { throw UsageError{kHowWindowsInstalls}; }

int Deb(const Args&) {
  throw UsageError{std::string("Debian packages are made on Linux. ") + kHowWindowsInstalls};
}

}  // namespace qvtool
