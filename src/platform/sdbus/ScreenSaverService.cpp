#include "platform/sdbus/ScreenSaverService.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <cerrno>
#include <map>
#include <utility>
#include <vector>

#include "platform/System.h"
#include "platform/sdbus/SessionBus.h"

namespace qv::platform {

namespace {

constexpr const char* kName = "org.freedesktop.ScreenSaver";
constexpr const char* kInterface = "org.freedesktop.ScreenSaver";
// Where programs look for it: freedesktop.org's path, and KDE's.
constexpr const char* kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
// More than any desktop has; a program asking for more is refused.
constexpr size_t kMostInhibitions = 512;

class TScreenSaverService final : public IIdleInhibitions {
 public:
  explicit TScreenSaverService(TSessionBus bus) : bus_(std::move(bus)) {}
  ~TScreenSaverService() override {
    for (auto& [sender, slot] : senders_) sd_bus_slot_unref(slot);
    for (sd_bus_slot* slot : objects_) sd_bus_slot_unref(slot);
    sd_bus_slot_unref(nameSlot_);
    if (serving_) sd_bus_release_name(bus_.Get(), kName);
  }

  bool Open(std::string& why) {
    sd_bus* bus = bus_.Get();
    const char* unique = nullptr;
    sd_bus_get_unique_name(bus, &unique);
    self_ = unique ? unique : "";
    for (const char* path : kPaths) {
      sd_bus_slot* slot = nullptr;
      if (sd_bus_add_object_vtable(bus, &slot, path, kInterface, kVtable, this) < 0) {
        why = "the service could not be set up on the session bus";
        return false;
      }
      objects_.push_back(slot);
    }
    if (!bus_.WatchOwner(kName, &nameSlot_, &NameOwnerChanged, this)) {
      why = "the session bus refused to tell who owns " + std::string(kName);
      return false;
    }
    // Queued behind the desktop's own service, and handing the name over to
    // one that starts later and asks for it.
    sd_bus_request_name(bus, kName, SD_BUS_NAME_QUEUE | SD_BUS_NAME_ALLOW_REPLACEMENT);
    owner_ = bus_.Owner(kName);
    serving_ = !self_.empty() && owner_ == self_;
    return true;
  }

  std::string Name() const override {
    if (serving_) return std::string(kName) + " on the session bus, served by this watch: its inhibitions are honoured";
    return std::string(kName) + " belongs to " + owner_ +
           " (the desktop's): its inhibitions are the desktop's to honour; its screensaver being active holds the saver back";
  }

  int Descriptor() const override { return lost_ ? -1 : sd_bus_get_fd(bus_.Get()); }

  bool Dispatch() override {
    if (!lost_ && !bus_.ProcessAll()) {
      // Without the bus nobody can inhibit any more.
      lost_ = true;
      if (!inhibitions_.empty()) news_ = true;
      inhibitions_.clear();
      serving_ = false;
    }
    return std::exchange(news_, false);
  }

  bool Inhibited(std::string& who) override {
    if (serving_) {
      if (inhibitions_.empty()) return false;
      const TInhibition& first = inhibitions_.begin()->second;
      who = "\"" + first.application + "\" asks the desktop not to idle";
      if (!first.reason.empty()) who += " (" + first.reason + ")";
      return true;
    }
    if (lost_ || owner_.empty()) return false;
    // The desktop's own screensaver or lock screen shows already.
    for (const char* path : kPaths) {
      sd_bus_message* reply = nullptr;
      std::string why;
      if (!bus_.Call(owner_.c_str(), path, kInterface, "GetActive", &reply, why)) continue;
      int active = 0;
      sd_bus_message_read(reply, "b", &active);
      sd_bus_message_unref(reply);
      if (active) who = "the desktop's own screensaver is active";
      return active != 0;
    }
    return false;
  }

  void SaverShown(bool shown) override {
    if (shown == shown_) return;
    shown_ = shown;
    shownSince_ = TickCount();
    if (serving_)
      for (const char* path : kPaths) sd_bus_emit_signal(bus_.Get(), path, kInterface, "ActiveChanged", "b", shown ? 1 : 0);
    if (!lost_) sd_bus_flush(bus_.Get());
  }

 private:
  struct TInhibition {
    std::string sender, application, reason;
  };

  static int Inhibit(sd_bus_message* m, void* self, sd_bus_error* error) {
    auto* s = static_cast<TScreenSaverService*>(self);
    const char *application = nullptr, *reason = nullptr;
    if (sd_bus_message_read(m, "ss", &application, &reason) < 0) return -EINVAL;
    if (s->inhibitions_.size() >= kMostInhibitions)
      return sd_bus_error_set(error, SD_BUS_ERROR_LIMITS_EXCEEDED, "too many inhibitions");
    const char* sender = sd_bus_message_get_sender(m);
    const std::string from = sender ? sender : "";
    // The inhibition goes with the program: when it leaves the bus (ends,
    // crashes) its inhibitions end.
    if (!from.empty() && !s->senders_.count(from)) {
      sd_bus_slot* slot = nullptr;
      if (s->bus_.WatchOwner(from, &slot, &SenderGone, s)) s->senders_[from] = slot;
    }
    uint32_t cookie = ++s->lastCookie_;
    if (cookie == 0) cookie = ++s->lastCookie_;
    s->inhibitions_[cookie] = {from, application, reason};
    return sd_bus_reply_method_return(m, "u", cookie);
  }

  static int UnInhibit(sd_bus_message* m, void* self, sd_bus_error*) {
    auto* s = static_cast<TScreenSaverService*>(self);
    uint32_t cookie = 0;
    if (sd_bus_message_read(m, "u", &cookie) < 0) return -EINVAL;
    if (s->inhibitions_.erase(cookie) && s->inhibitions_.empty()) s->news_ = true;
    return sd_bus_reply_method_return(m, "");
  }

  static int SimulateUserActivity(sd_bus_message* m, void* self, sd_bus_error*) {
    static_cast<TScreenSaverService*>(self)->news_ = true;
    return sd_bus_reply_method_return(m, "");
  }

  static int GetActive(sd_bus_message* m, void* self, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "b", static_cast<TScreenSaverService*>(self)->shown_ ? 1 : 0);
  }

  static int GetActiveTime(sd_bus_message* m, void* self, sd_bus_error*) {
    auto* s = static_cast<TScreenSaverService*>(self);
    const uint32_t seconds = s->shown_ ? (TickCount() - s->shownSince_) / 1000 : 0;
    return sd_bus_reply_method_return(m, "u", seconds);
  }

  static int SenderGone(sd_bus_message* m, void* self, sd_bus_error*) {
    auto* s = static_cast<TScreenSaverService*>(self);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) < 0 || !name || (after && *after)) return 0;
    const size_t had = s->inhibitions_.size();
    std::erase_if(s->inhibitions_, [name](const auto& entry) { return entry.second.sender == name; });
    if (had > 0 && s->inhibitions_.empty()) s->news_ = true;
    if (auto it = s->senders_.find(name); it != s->senders_.end()) {
      sd_bus_slot_unref(it->second);
      s->senders_.erase(it);
    }
    return 0;
  }

  static int NameOwnerChanged(sd_bus_message* m, void* self, sd_bus_error*) {
    auto* s = static_cast<TScreenSaverService*>(self);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) < 0) return 0;
    s->owner_ = after ? after : "";
    const bool serving = !s->self_.empty() && s->owner_ == s->self_;
    // Handed over either way: whoever owns it now takes the requests, and
    // the idle time counts from now.
    if (serving != s->serving_) s->news_ = true;
    if (!serving) s->inhibitions_.clear();
    s->serving_ = serving;
    return 0;
  }

  static constexpr sd_bus_vtable kVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Inhibit", "ss", "u", &Inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("UnInhibit", "u", "", &UnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("SimulateUserActivity", "", "", &SimulateUserActivity, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("GetActive", "", "b", &GetActive, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("GetActiveTime", "", "u", &GetActiveTime, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_SIGNAL("ActiveChanged", "b", 0),
      SD_BUS_VTABLE_END};

  TSessionBus bus_;
  std::string self_, owner_;
  std::vector<sd_bus_slot*> objects_;
  sd_bus_slot* nameSlot_ = nullptr;
  std::map<std::string, sd_bus_slot*> senders_;
  std::map<uint32_t, TInhibition> inhibitions_;
  uint32_t lastCookie_ = 0;
  bool serving_ = false;
  bool lost_ = false;
  bool news_ = false;
  bool shown_ = false;
  uint32_t shownSince_ = 0;
};

}  // namespace

std::unique_ptr<IIdleInhibitions> OpenScreenSaverInhibitions(std::string& why) {
  TSessionBus bus;
  if (!bus.Open(why)) return nullptr;
  auto service = std::make_unique<TScreenSaverService>(std::move(bus));
  if (!service->Open(why)) return nullptr;
  return service;
}

}  // namespace qv::platform
