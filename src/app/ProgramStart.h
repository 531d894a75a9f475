// What both programs do first: they end through their normal path, their
// extracted files removed, whether a signal stops them or a display library
// meets an error it would otherwise end the process on.
#pragma once

namespace qv::app {

// SIGTERM, SIGINT and SIGHUP (Windows: console events, the session's end)
// are noted for the program to end by; FLTK's fatal errors and, where the
// display is X11, X errors about windows that have gone and a lost
// connection end through the last-resort tidy-ups. `program` names the
// process in messages. Call before anything opens a display.
void StartProgram(const char* program);

}  // namespace qv::app
