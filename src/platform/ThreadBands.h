// Bands on real threads: a fixed set of threads that wait for a frame's
// bands, and the calling thread drawing beside them.
#pragma once
#include <memory>

#include "common/Bands.h"

namespace qv::platform {

class TThreadBands final : public IBands {
 public:
  // `threads` draw at once, the caller among them; 0 takes one per core.
  explicit TThreadBands(int threads = 0);
  ~TThreadBands() override;
  TThreadBands(const TThreadBands&) = delete;
  TThreadBands& operator=(const TThreadBands&) = delete;

  // A Run called from inside a band draws its bands on that thread alone.
  void Run(int rows, const std::function<void(int first, int last)>& draw) override;
  int Threads() const;

 private:
  struct TPool;
  std::unique_ptr<TPool> pool_;
};

}  // namespace qv::platform
