#include "startup/uHostedMode.h"

#include "startup/uQVStart.h"

namespace qv {

namespace {

// "-name" and "--name" alike: the name without its dashes, empty for an
// argument that is not a switch.
std::string SwitchName(const std::string& arg) {
  if (arg.rfind("--", 0) == 0) return arg.substr(2);
  if (arg.rfind("-", 0) == 0) return arg.substr(1);
  return {};
}

void AddNote(THostedRequest& request, const std::string& note) {
  request.note += (request.note.empty() ? "" : "; ") + note;
}

void ReadDuration(THostedRequest& request, const std::string& text) {
  int64_t value = 0;
  bool digits = !text.empty() && text.size() <= 9;
  for (char c : text) {
    digits = digits && c >= '0' && c <= '9';
    if (digits) value = value * 10 + (c - '0');
  }
  if (digits && value >= kMinOverrideDuration && value <= kMaxOverrideDuration)
    request.overrides.duration = static_cast<int32_t>(value);
  else
    AddNote(request, "--duration takes whole seconds from " + std::to_string(kMinOverrideDuration) + " to " +
                         std::to_string(kMaxOverrideDuration) + ", not \"" + text + "\"; it is ignored");
}

// The on/off switches; any other name is not ours and is passed over.
void ReadToggle(TRunOverrides& overrides, const std::string& name) {
  const bool off = name.rfind("no-", 0) == 0;
  const std::string what = off ? name.substr(3) : name;
  std::optional<bool>* field = what == "music"         ? &overrides.music
                               : what == "sound"       ? &overrides.sound
                               : what == "transitions" ? &overrides.transition
                                                       : nullptr;
  if (field) *field = !off;
}

}  // namespace

THostedRequest HostedRequest(const std::vector<std::string>& args, std::optional<std::string> xscreensaverWindow) {
  THostedRequest request;
  uint64_t fromEnvironment = 0;
  if (xscreensaverWindow && !xscreensaverWindow->empty()) {
    fromEnvironment = ParseWindowId(*xscreensaverWindow);
    if (fromEnvironment == 0)
      AddNote(request, "XSCREENSAVER_WINDOW=\"" + *xscreensaverWindow + "\" is not an X window id; it is ignored");
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
    } else if (const std::string name = SwitchName(a); name == "duration") {
      ReadDuration(request, i + 1 < args.size() ? args[++i] : std::string());
    } else if (name.rfind("duration=", 0) == 0) {
      ReadDuration(request, name.substr(9));
    } else {
      ReadToggle(request.overrides, name);
    }
  }

  if (windowId) {
    request.hosted = true;
    request.window = ParseWindowId(*windowId);
    if (request.window == 0) {
      request.invalid = true;
      AddNote(request, "--window-id takes an X window id, decimal or 0x-hexadecimal, not \"" + *windowId + "\"");
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
