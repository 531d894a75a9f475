#include "startup/uHostedMode.h"

#include "startup/uQVStart.h"

namespace qv {

THostedRequest HostedRequest(const std::vector<std::string>& args, std::optional<std::string> xscreensaverWindow) {
  THostedRequest request;
  uint64_t fromEnvironment = 0;
  if (xscreensaverWindow && !xscreensaverWindow->empty()) {
    fromEnvironment = ParseWindowId(*xscreensaverWindow);
    if (fromEnvironment == 0)
      request.note = "XSCREENSAVER_WINDOW=\"" + *xscreensaverWindow + "\" is not an X window id; it is ignored";
  }

  bool root = false;
  std::optional<std::string> windowId;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-root" || a == "--root") {
      root = true;
    } else if (a == "-window-id" || a == "--window-id") {
      windowId = i + 1 < args.size() ? args[++i] : std::string();
    } else if (a.rfind("--window-id=", 0) == 0) {
      windowId = a.substr(12);
    }
  }

  if (windowId) {
    request.hosted = true;
    request.window = ParseWindowId(*windowId);
    if (request.window == 0) {
      request.invalid = true;
      request.note = "--window-id takes an X window id, decimal or 0x-hexadecimal, not \"" + *windowId + "\"";
    }
  } else if (root) {
    request.hosted = true;
    request.window = fromEnvironment;
  } else if (fromEnvironment != 0 && ModeFromSwitch(ModeSwitch(args)) == TRunMode::Run) {
    request.hosted = true;
    request.window = fromEnvironment;
  }
  return request;
}

}  // namespace qv
