#include "platform/sdbus/SessionBus.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qv::platform {

namespace {

constexpr uint64_t kCallTimeoutUs = 2'000'000;

}  // namespace

TSessionBus::~TSessionBus() {
  if (bus_) sd_bus_flush_close_unref(bus_);
}

bool TSessionBus::Open(std::string& why) {
  const int r = sd_bus_open_user(&bus_);
  if (r < 0) {
    bus_ = nullptr;
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) why = std::string("no session bus (") + std::strerror(-r) + ")";
    else if (r == -ENOMEDIUM || r == -ENOENT) why = "no session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
    else why = std::string("no session bus (DBUS_SESSION_BUS_ADDRESS is not set; ") + std::strerror(-r) + ")";
    return false;
  }
  sd_bus_set_method_call_timeout(bus_, kCallTimeoutUs);
  return true;
}

bool TSessionBus::HasOwner(const char* name) { return !Owner(name).empty(); }

std::string TSessionBus::Owner(const char* name) {
  sd_bus_message* reply = nullptr;
  std::string why, owner;
  if (!Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner", &reply, why, "s",
            name))
    return owner;
  const char* unique = nullptr;
  if (sd_bus_message_read(reply, "s", &unique) >= 0 && unique) owner = unique;
  sd_bus_message_unref(reply);
  return owner;
}

bool TSessionBus::WatchOwner(const std::string& name, sd_bus_slot** slot, sd_bus_message_handler_t handler,
                             void* userdata) {
  const std::string rule =
      "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',interface='org.freedesktop.DBus',"
      "member='NameOwnerChanged',arg0='" + name + "'";
  return sd_bus_add_match(bus_, slot, rule.c_str(), handler, userdata) >= 0;
}

bool TSessionBus::ProcessAll() {
  for (;;) {
    const int r = sd_bus_process(bus_, nullptr);
    if (r < 0) return false;
    if (r == 0) break;
  }
  return sd_bus_flush(bus_) >= 0 && sd_bus_is_open(bus_) > 0;
}

}  // namespace qv::platform
