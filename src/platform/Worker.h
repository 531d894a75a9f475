// Workers: a tick run over and over off the window thread (one tick, then a
// 5 ms sleep), created paused. Animated objects move on them. Real threads in
// ThreadWorker.h; a stepped double that the caller advances on the manual
// clock in doubles/SteppedWorkers.h, so animated runs stay reproducible.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace qv::platform {

inline constexpr uint32_t kWorkerSleepMs = 5;

class IWorker {
 public:
  // Terminates and waits.
  virtual ~IWorker() = default;
  virtual void Resume() = 0;
  // Returns once no tick runs any more. From inside the worker's own tick it
  // only marks the worker paused, and the tick finishes.
  virtual void Pause() = 0;
  virtual bool Paused() const = 0;
  // Ends the worker for good and waits until its tick has returned; calling
  // it again does nothing.
  virtual void Terminate() = 0;
};

class IWorkers {
 public:
  virtual ~IWorkers() = default;
  // A new worker, paused. An exception that leaves `tick` is dropped: a
  // worker never ends because one tick failed.
  virtual std::unique_ptr<IWorker> Create(std::function<void()> tick) = 0;
};

}  // namespace qv::platform
