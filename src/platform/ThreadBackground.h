// Background jobs on real threads: each job on a thread of its own.
#pragma once
#include "platform/Background.h"

namespace qv::platform {

class TThreadBackground final : public IBackground {
 public:
  std::unique_ptr<IBackgroundJob> Start(TBackgroundWork work) override;
};

}  // namespace qv::platform
