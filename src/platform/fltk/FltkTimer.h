// Timers on FLTK's event loop (Fl::add_timeout, Fl::repeat_timeout).
#pragma once
#include "platform/Timer.h"

namespace qv::platform {

// Each tick is delivered while the FLTK loop waits for events.
TTimerFactory FltkTimerFactory();

}  // namespace qv::platform
