// The one pseudo-random generator of the whole program: a 32-bit linear
// congruential state. Every random choice in behaviour draws from it, so a run
// is repeatable from its seed.
#pragma once
#include <cstdint>

namespace qv {

// The shared state. It is the only global of the program; it is seeded from the
// clock when the saver window shows, and tests set it directly.
extern uint32_t RandSeed;

// Advances the state to state * 134775813 + 1 and returns the upper 32 bits of
// the 64-bit product of the new state and n: a value in 0..n-1 (0 for n = 0).
inline uint32_t Random(uint32_t n) {
  RandSeed = RandSeed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(RandSeed) * n) >> 32);
}

// A uniformly drawn index in 0..count-1 other than `current`; 0 when there
// are fewer than two to choose from. Picture and track shuffles use it.
inline int RandomIndexOtherThan(int current, int count) {
  if (count < 2) return 0;
  int next;
  do {
    next = static_cast<int>(Random(static_cast<uint32_t>(count)));
  } while (next == current);
  return next;
}

// Saves the state on construction and puts it back on destruction: the seeded
// effects draw a repeatable pattern without disturbing everyone else's sequence.
class TRandomStateGuard {
 public:
  TRandomStateGuard() : saved_(RandSeed) {}
  ~TRandomStateGuard() { RandSeed = saved_; }
  TRandomStateGuard(const TRandomStateGuard&) = delete;
  TRandomStateGuard& operator=(const TRandomStateGuard&) = delete;

 private:
  uint32_t saved_;
};

}  // namespace qv
