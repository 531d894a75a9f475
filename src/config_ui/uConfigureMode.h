// Configure mode's choice of window: the project's own skin when it can
// serve, the built-in window otherwise, and a note that says why.
#pragma once

#include "config_ui/FQVConfigWindow.h"

namespace qv {

class TQVCProject;

// Shows the window "MainWindow" of the project's skin (UISetting().UIFile)
// until it closes. When the project carries no skin, the skin is empty,
// cannot be read or cannot build that window, services.report says why and
// the built-in window shows instead. False, with the reason reported, when
// not even the built-in window can be shown.
bool ShowConfigureWindow(TQVCProject& project, TConfigServices& services);

}  // namespace qv
