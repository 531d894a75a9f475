#include "platform/sdbus/MutterIdleMonitor.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <utility>

#include "platform/sdbus/SessionBus.h"

namespace qv::platform {

namespace {

constexpr const char* kService = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kInterface = "org.gnome.Mutter.IdleMonitor";

class TMutterIdleMonitor final : public IIdleMonitor {
 public:
  explicit TMutterIdleMonitor(TSessionBus bus) : bus_(std::move(bus)) {}
  ~TMutterIdleMonitor() override {
    // The compositor drops the watches of a connection that closes; these
    // calls only tidy up early.
    for (uint32_t id : {idleWatch_, activeWatch_})
      if (id != 0 && !lost_) bus_.CallNoReply(kService, kPath, kInterface, "RemoveWatch", "u", id);
    sd_bus_slot_unref(signalSlot_);
    sd_bus_slot_unref(ownerSlot_);
  }

  bool Open(uint32_t idleMs, std::string& why) {
    idleMs_ = idleMs;
    if (!bus_.HasOwner(kService)) {
      why = "nothing on the session bus offers " + std::string(kService);
      return false;
    }
    sd_bus* bus = bus_.Get();
    if (sd_bus_match_signal(bus, &signalSlot_, kService, kPath, kInterface, "WatchFired", &Fired, this) < 0 ||
        !bus_.WatchOwner(kService, &ownerSlot_, &OwnerChanged, this)) {
      why = "the session bus refused to pass on the idle monitor's signals";
      return false;
    }
    sd_bus_message* reply = nullptr;
    if (!bus_.Call(kService, kPath, kInterface, "AddIdleWatch", &reply, why, "t", static_cast<uint64_t>(idleMs)))
      return false;
    const int r = sd_bus_message_read(reply, "u", &idleWatch_);
    sd_bus_message_unref(reply);
    if (r < 0) {
      why = "the idle monitor's answer to AddIdleWatch could not be read";
      return false;
    }
    return true;
  }

  std::string Name() const override { return "GNOME's idle monitor (org.gnome.Mutter.IdleMonitor on the session bus)"; }
  int Descriptor() const override { return lost_ ? -1 : sd_bus_get_fd(bus_.Get()); }

  std::vector<TIdleChange> Dispatch() override {
    if (!lost_ && !bus_.ProcessAll()) lost_ = true;
    if (lost_) {
      if (!reportedLost_) changes_.push_back(TIdleChange::Lost);
      reportedLost_ = true;
    }
    return std::exchange(changes_, {});
  }

  int NextCheckMs() override { return -1; }

 private:
  // WatchFired(u id): the idle watch fires on every idle spell; the
  // user-active watch once, so a new one is set up after each idle spell.
  static int Fired(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* m = static_cast<TMutterIdleMonitor*>(self);
    uint32_t id = 0;
    if (sd_bus_message_read(message, "u", &id) < 0 || id == 0) return 0;
    if (id == m->idleWatch_) m->BecameIdle();
    else if (id == m->activeWatch_) {
      m->activeWatch_ = 0;
      m->changes_.push_back(TIdleChange::Active);
    }
    return 0;
  }

  void BecameIdle() {
    changes_.push_back(TIdleChange::Idle);
    std::string why;
    sd_bus_message* reply = nullptr;
    if (!bus_.Call(kService, kPath, kInterface, "AddUserActiveWatch", &reply, why)) {
      // Without it the session could not be seen to come back.
      lost_ = true;
      return;
    }
    sd_bus_message_read(reply, "u", &activeWatch_);
    sd_bus_message_unref(reply);
    // Input that came between the two watches would go unseen until the next.
    uint64_t idleNow = 0;
    if (bus_.Call(kService, kPath, kInterface, "GetIdletime", &reply, why)) {
      sd_bus_message_read(reply, "t", &idleNow);
      sd_bus_message_unref(reply);
      if (idleNow < idleMs_ && activeWatch_ != 0) {
        bus_.CallNoReply(kService, kPath, kInterface, "RemoveWatch", "u", activeWatch_);
        activeWatch_ = 0;
        changes_.push_back(TIdleChange::Active);
      }
    }
  }

  // The compositor leaving the bus is the end of the session.
  static int OwnerChanged(sd_bus_message* message, void* self, sd_bus_error*) {
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &before, &after) >= 0 && after && !*after)
      static_cast<TMutterIdleMonitor*>(self)->lost_ = true;
    return 0;
  }

  TSessionBus bus_;
  sd_bus_slot* signalSlot_ = nullptr;
  sd_bus_slot* ownerSlot_ = nullptr;
  uint32_t idleMs_ = 0;
  uint32_t idleWatch_ = 0;
  uint32_t activeWatch_ = 0;
  std::vector<TIdleChange> changes_;
  bool lost_ = false;
  bool reportedLost_ = false;
};

}  // namespace

std::unique_ptr<IIdleMonitor> OpenMutterIdleMonitor(uint32_t idleMs, std::string& why) {
  TSessionBus bus;
  if (!bus.Open(why)) return nullptr;
  auto monitor = std::make_unique<TMutterIdleMonitor>(std::move(bus));
  if (!monitor->Open(idleMs, why)) return nullptr;
  return monitor;
}

}  // namespace qv::platform
