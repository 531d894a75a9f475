// Xlib for the tests that look at X windows. Its macros None, Bool and Status
// clash with the test framework's names, so they are taken back here: include
// this last, after any other X header.
#pragma once
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None
#undef Bool
#undef Status
