// Workers on real threads (std::thread): each worker is one thread that
// ticks, sleeps 5 ms, and waits while paused.
#pragma once
#include "platform/Worker.h"

namespace qv::platform {

class TThreadWorkers final : public IWorkers {
 public:
  std::unique_ptr<IWorker> Create(std::function<void()> tick) override;
};

}  // namespace qv::platform
