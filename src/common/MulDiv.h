// a * b / c with a 64-bit intermediate, rounded to the nearest integer with
// halves away from zero. The transition runner and the effects compute their
// progress with it.
#pragma once
#include <cstdint>

namespace qv {

// Returns -1 when c is 0 or the result does not fit in 32 bits, as the
// system's own MulDiv does.
constexpr int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t num = static_cast<int64_t>(a) * b;
  int64_t den = c;
  bool negative = (num < 0) != (den < 0);
  uint64_t un = num < 0 ? static_cast<uint64_t>(-num) : static_cast<uint64_t>(num);
  uint64_t ud = den < 0 ? static_cast<uint64_t>(-den) : static_cast<uint64_t>(den);
  uint64_t q = (un + ud / 2) / ud;  // halves go up in magnitude
  if (q > 0x7FFFFFFFull + (negative ? 1u : 0u)) return -1;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(q)) : static_cast<int32_t>(q);
}

}  // namespace qv
