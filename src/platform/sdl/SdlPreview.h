// The preview window of the display settings, adopted by its id (on X11 the
// window's XID) and drawn into through SDL.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/PreviewWindow.h"

namespace qv::platform {

// Null when the video system cannot start or the id names no window.
std::unique_ptr<IPreviewWindow> OpenForeignWindow(uint64_t id);

}  // namespace qv::platform
