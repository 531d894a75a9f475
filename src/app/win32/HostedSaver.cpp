// Windows has no screensaver daemons that host a saver in a window of theirs:
// the engine there takes only the Windows screensaver command line.
#include "app/HostedSaver.h"

namespace qv::app {

THostedRunner HostedRunner() { return {}; }

}  // namespace qv::app
