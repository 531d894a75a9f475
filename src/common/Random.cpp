#include "common/Random.h"

namespace qv {

TRandState RandSeed;

namespace {

constexpr uint32_t kBatchDraws = 64;

// The state after kBatchDraws steps from s is kMul * s + kAdd.
constexpr uint32_t kMul = [] {
  uint32_t m = 1;
  for (uint32_t i = 0; i < kBatchDraws; ++i) m *= 134775813u;
  return m;
}();
constexpr uint32_t kAdd = [] {
  uint32_t a = 0;
  for (uint32_t i = 0; i < kBatchDraws; ++i) a = a * 134775813u + 1u;
  return a;
}();

}  // namespace

void TRandState::Reserve(TLocal& batch) {
  uint32_t old = shared_.load(std::memory_order_relaxed);
  while (!shared_.compare_exchange_weak(old, kMul * old + kAdd, std::memory_order_relaxed)) {
  }
  batch.state = old;
  batch.left = kBatchDraws;
}

void TRandState::GiveBack(TLocal& batch) {
  if (batch.left == 0) return;
  uint32_t end = batch.state;
  for (uint32_t i = 0; i < batch.left; ++i) end = Step(end);
  shared_.compare_exchange_strong(end, batch.state, std::memory_order_relaxed);
}

}  // namespace qv
