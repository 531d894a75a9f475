// The preview in the display settings on Windows: a child window of the
// window whose handle the command line gives, covering its client area. The
// preview is drawn there, never on the given window itself, and stays on
// show until that window goes away.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/PreviewWindow.h"

namespace qv::platform {

// Null when `id` is not the handle of a window.
std::unique_ptr<IPreviewWindow> OpenPreviewParent(uint64_t id);

}  // namespace qv::platform
