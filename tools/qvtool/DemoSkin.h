// The demo screensaver's skin, made by code: a frameless main window whose
// background picture carries painted buttons under transparent click labels,
// a preview, the product's name, publisher and website, and a window of
// thumbnails with check boxes.
#pragma once
#include <string>

#include "graphics/Bitmap32.h"

namespace qvtool {

// The main window's background with its painted buttons (640 x 420).
qv::TBitmap32 DrawDemoSkinBackground();

// The whole skin file ("QVGUI.qvu" in a project).
std::string DemoSkinText();

}  // namespace qvtool
