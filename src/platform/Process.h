// Programs started as processes of their own, without a shell: the idle
// watch starts the saver this way, tells it to end and notices when it did.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::platform {

class IChildProcess {
 public:
  virtual ~IChildProcess() = default;
  // False once the process has ended; it is reaped then, and ExitStatus
  // tells how it ended.
  virtual bool Running() = 0;
  // The exit code, or minus the signal that ended it.
  virtual int ExitStatus() const = 0;
  // Asks it to end (SIGTERM), waits up to `graceMs` for it, then ends it for
  // good. Returns once it is gone.
  virtual void Stop(uint32_t graceMs) = 0;
};

class IProcessStarter {
 public:
  virtual ~IProcessStarter() = default;
  // Starts argv[0] (a path, or a name looked for on PATH) with standard
  // input on /dev/null and the other two inherited. Null, with the reason in
  // `error`, when it cannot start.
  virtual std::unique_ptr<IChildProcess> Start(const std::vector<std::string>& argv, std::string& error) = 0;
};

}  // namespace qv::platform
