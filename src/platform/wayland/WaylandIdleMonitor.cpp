#include "platform/wayland/WaylandIdleMonitor.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace qv::platform {

namespace {

class TWaylandIdleMonitor final : public IIdleMonitor {
 public:
  ~TWaylandIdleMonitor() override {
    if (extNotification_) ext_idle_notification_v1_destroy(extNotification_);
    if (kdeTimeout_) org_kde_kwin_idle_timeout_release(kdeTimeout_);
    if (extNotifier_) ext_idle_notifier_v1_destroy(extNotifier_);
    if (kdeIdle_) org_kde_kwin_idle_destroy(kdeIdle_);
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    if (display_) {
      wl_display_flush(display_);
      wl_display_disconnect(display_);
    }
  }

  bool Open(uint32_t idleMs, std::string& why) {
    display_ = wl_display_connect(nullptr);
    if (!display_) {
      why = "no Wayland compositor (WAYLAND_DISPLAY is not set or refuses the connection)";
      return false;
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    if (wl_display_roundtrip(display_) < 0) {
      why = "the Wayland compositor closed the connection";
      return false;
    }
    if (!seat_) {
      why = "the Wayland compositor offers no seat";
      return false;
    }
    if (extNotifier_) {
      extNotification_ = ext_idle_notifier_v1_get_idle_notification(extNotifier_, idleMs, seat_);
      ext_idle_notification_v1_add_listener(extNotification_, &kExtListener, this);
      name_ = "the Wayland compositor's idle notifications (ext-idle-notify-v1)";
    } else if (kdeIdle_) {
      kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, idleMs);
      org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kKdeListener, this);
      name_ = "the Wayland compositor's idle notifications (org_kde_kwin_idle)";
    } else {
      why = "the Wayland compositor offers no idle notifications (neither ext-idle-notify-v1 nor org_kde_kwin_idle)";
      return false;
    }
    if (wl_display_roundtrip(display_) < 0) {
      why = "the Wayland compositor closed the connection";
      return false;
    }
    return true;
  }

  std::string Name() const override { return name_; }
  int Descriptor() const override { return lost_ ? -1 : wl_display_get_fd(display_); }

  std::vector<TIdleChange> Dispatch() override {
    if (!lost_) {
      // Read what arrived without waiting, handle it, and send what is queued.
      while (wl_display_prepare_read(display_) != 0) wl_display_dispatch_pending(display_);
      pollfd p{wl_display_get_fd(display_), POLLIN, 0};
      if (::poll(&p, 1, 0) > 0) {
        if (wl_display_read_events(display_) < 0) lost_ = true;
      } else {
        wl_display_cancel_read(display_);
      }
      if (!lost_ && (wl_display_dispatch_pending(display_) < 0 || wl_display_flush(display_) < 0) && errno != EAGAIN)
        lost_ = true;
    }
    if (lost_ && !reportedLost_) {
      reportedLost_ = true;
      changes_.push_back(TIdleChange::Lost);
    }
    return std::exchange(changes_, {});
  }

  int NextCheckMs() override { return -1; }

 private:
  static void Global(void* self, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* m = static_cast<TWaylandIdleMonitor*>(self);
    if (!m->seat_ && std::strcmp(interface, wl_seat_interface.name) == 0)
      m->seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
      m->extNotifier_ =
          static_cast<ext_idle_notifier_v1*>(wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
      m->kdeIdle_ = static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
  }
  static void GlobalRemove(void*, wl_registry*, uint32_t) {}
  static void Idled(void* self, ext_idle_notification_v1*) { Note(self, TIdleChange::Idle); }
  static void Resumed(void* self, ext_idle_notification_v1*) { Note(self, TIdleChange::Active); }
  static void KdeIdle(void* self, org_kde_kwin_idle_timeout*) { Note(self, TIdleChange::Idle); }
  static void KdeResumed(void* self, org_kde_kwin_idle_timeout*) { Note(self, TIdleChange::Active); }
  static void Note(void* self, TIdleChange change) { static_cast<TWaylandIdleMonitor*>(self)->changes_.push_back(change); }

  static constexpr wl_registry_listener kRegistryListener{&Global, &GlobalRemove};
  static constexpr ext_idle_notification_v1_listener kExtListener{&Idled, &Resumed};
  static constexpr org_kde_kwin_idle_timeout_listener kKdeListener{&KdeIdle, &KdeResumed};

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  ext_idle_notifier_v1* extNotifier_ = nullptr;
  org_kde_kwin_idle* kdeIdle_ = nullptr;
  ext_idle_notification_v1* extNotification_ = nullptr;
  org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
  std::string name_;
  std::vector<TIdleChange> changes_;
  bool lost_ = false;
  bool reportedLost_ = false;
};

}  // namespace

std::unique_ptr<IIdleMonitor> OpenWaylandIdleMonitor(uint32_t idleMs, std::string& why) {
  auto monitor = std::make_unique<TWaylandIdleMonitor>();
  if (!monitor->Open(idleMs, why)) return nullptr;
  return monitor;
}

}  // namespace qv::platform
