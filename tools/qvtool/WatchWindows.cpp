// qvtool watch on Windows: Windows starts the chosen screensaver itself when
// the session is idle, so this only says how.
#include "Commands.h"

namespace qvtool {

int Watch(const Args&) {
  throw UsageError{
      "Windows starts a screensaver itself when the session is idle: choose it and its wait time in the screen "
      "saver settings (right-click the .scr file and choose Install)"};
}

}  // namespace qvtool
