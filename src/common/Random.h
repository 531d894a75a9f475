// The one pseudo-random generator of the whole program: a 32-bit linear
// congruential state. Every random choice in behaviour draws from it, so a run
// is repeatable from its seed. Animated objects draw from their worker threads
// while the window thread draws too: each draw is one indivisible step.
#pragma once
#include <atomic>
#include <cstdint>

namespace qv {

// The shared state. Assigning sets it and reading gives it, as for a plain
// integer. Inside a TRandomStateGuard the calling thread sees a private copy
// instead, and inside a TRandomBatch its own run of reserved states (below).
class TRandState {
 public:
  constexpr TRandState() = default;
  TRandState(const TRandState&) = delete;
  TRandState& operator=(const TRandState&) = delete;

  TRandState& operator=(uint32_t value) {
    if (TLocal* own = local_) {
      own->state = value;
      if (!own->batch) return *this;
      own->left = 0;  // the batch's reservation ends; the value is everyone's
    }
    shared_.store(value, std::memory_order_relaxed);
    return *this;
  }
  operator uint32_t() const {
    if (const TLocal* own = local_; own && (!own->batch || own->left > 0)) return own->state;
    return shared_.load(std::memory_order_relaxed);
  }

  // Moves to state * 134775813 + 1 in one indivisible step and returns the
  // new state: two threads drawing at once never both get the same one.
  uint32_t Next() {
    if (TLocal* own = local_) {
      if (own->batch) {
        if (own->left == 0) Reserve(*own);
        --own->left;
      }
      return own->state = Step(own->state);
    }
    uint32_t old = shared_.load(std::memory_order_relaxed);
    while (!shared_.compare_exchange_weak(old, Step(old), std::memory_order_relaxed)) {
    }
    return Step(old);
  }

 private:
  friend class TRandomStateGuard;
  friend class TRandomBatch;
  static constexpr uint32_t Step(uint32_t s) { return s * 134775813u + 1u; }

  // A thread's own view: a guard's private copy, or a batch's reserved run
  // of `left` states after `state`.
  struct TLocal {
    uint32_t state = 0;
    uint32_t left = 0;
    bool batch = false;
  };
  // Takes the next kBatchDraws states of the shared sequence in one step.
  void Reserve(TLocal& batch);
  // Puts unused reserved states back when nobody drew after the reservation.
  void GiveBack(TLocal& batch);

  std::atomic<uint32_t> shared_{0};
  static inline thread_local TLocal* local_ = nullptr;
};

// It is the only global of the program; it is seeded from the clock when the
// saver window shows, and tests set it directly.
extern TRandState RandSeed;

// Advances the state and returns the upper 32 bits of the 64-bit product of
// the new state and n: a value in 0..n-1 (0 for n = 0).
inline uint32_t Random(uint32_t n) { return static_cast<uint32_t>((static_cast<uint64_t>(RandSeed.Next()) * n) >> 32); }

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

// Gives the calling thread a private copy of the state, starting from the
// current one, for as long as the guard lives: the seeded effects set it and
// draw a repeatable pattern that no other thread's draws can disturb, and
// everyone else's sequence goes on as if nothing had been drawn.
class TRandomStateGuard {
 public:
  TRandomStateGuard() : outer_(TRandState::local_) {
    own_.state = RandSeed;
    TRandState::local_ = &own_;
  }
  ~TRandomStateGuard() { TRandState::local_ = outer_; }
  TRandomStateGuard(const TRandomStateGuard&) = delete;
  TRandomStateGuard& operator=(const TRandomStateGuard&) = delete;

 private:
  TRandState::TLocal own_;
  TRandState::TLocal* outer_;
};

// For a loop that draws many times in a row: the thread reserves the shared
// states a block at a time, so it pays one atomic step per block instead of
// one per draw. The values it draws are exactly the ones it would have drawn
// one by one; when no other thread drew meanwhile, the unused part of the
// last block is given back, so the sequence after the batch is unchanged too.
// Inside a guard or another batch it does nothing.
class TRandomBatch {
 public:
  TRandomBatch() : active_(TRandState::local_ == nullptr) {
    if (active_) {
      own_.batch = true;
      TRandState::local_ = &own_;
    }
  }
  ~TRandomBatch() {
    if (!active_) return;
    TRandState::local_ = nullptr;
    RandSeed.GiveBack(own_);
  }
  TRandomBatch(const TRandomBatch&) = delete;
  TRandomBatch& operator=(const TRandomBatch&) = delete;

 private:
  TRandState::TLocal own_;
  bool active_;
};

}  // namespace qv
