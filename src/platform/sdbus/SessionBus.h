// The user's session bus through sd-bus, for the idle watch's D-Bus
// services: calls with a short time limit, name owners, and processing
// without waiting (the watch polls the descriptor itself).
#pragma once
#include <systemd/sd-bus.h>

#include <string>
#include <utility>

namespace qv::platform {

class TSessionBus {
 public:
  TSessionBus() = default;
  ~TSessionBus();
  TSessionBus(TSessionBus&& other) noexcept : bus_(std::exchange(other.bus_, nullptr)) {}
  TSessionBus& operator=(TSessionBus&&) = delete;
  TSessionBus(const TSessionBus&) = delete;
  TSessionBus& operator=(const TSessionBus&) = delete;

  // The bus in DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus.
  bool Open(std::string& why);
  sd_bus* Get() const { return bus_; }

  bool HasOwner(const char* name);
  // The unique name that owns `name` now, empty when none.
  std::string Owner(const char* name);
  // Calls `handler` on every NameOwnerChanged of `name` (a unique name too).
  bool WatchOwner(const std::string& name, sd_bus_slot** slot, sd_bus_message_handler_t handler, void* userdata);

  // A method call that waits for its answer (two seconds at most); false
  // with the reason in `why`. The caller unrefs `*reply`.
  template <typename... A>
  bool Call(const char* service, const char* path, const char* interface, const char* method, sd_bus_message** reply,
            std::string& why, const char* types = nullptr, A... args) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sd_bus_call_method(bus_, service, path, interface, method, &error, reply, types, args...);
    if (r < 0) why = std::string(method) + " failed: " + (error.message ? error.message : "no answer");
    sd_bus_error_free(&error);
    return r >= 0;
  }
  template <typename... A>
  void CallNoReply(const char* service, const char* path, const char* interface, const char* method,
                   const char* types, A... args) {
    sd_bus_call_method(bus_, service, path, interface, method, nullptr, nullptr, types, args...);
  }

  // Handles every message that arrived and sends what is queued, without
  // waiting for more; false once the connection is gone.
  bool ProcessAll();

 private:
  sd_bus* bus_ = nullptr;
};

}  // namespace qv::platform
