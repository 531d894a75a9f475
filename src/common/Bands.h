// Bands of rows drawn at once: one frame's pixel work cut into runs of rows
// that the machine's cores draw side by side. A band writes only its own
// rows, so a frame comes out the same whichever core draws which band and in
// whatever order; work that draws from the shared generator makes its draws
// before it splits. Real threads in platform/ThreadBands.h; TOneBand draws on the
// calling thread alone.
#pragma once
#include <functional>

namespace qv {

class IBands {
 public:
  virtual ~IBands() = default;
  // Calls draw(first, last) for runs of rows that cover [0, rows) once each,
  // several at a time, and returns when all are drawn. An exception from a
  // band is thrown here once every band has returned.
  virtual void Run(int rows, const std::function<void(int first, int last)>& draw) = 0;
};

// The whole frame as one band on the calling thread.
class TOneBand final : public IBands {
 public:
  void Run(int rows, const std::function<void(int first, int last)>& draw) override {
    if (rows > 0) draw(0, rows);
  }
};

}  // namespace qv
