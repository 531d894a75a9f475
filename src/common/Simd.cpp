#include "common/Simd.h"

namespace qv {

bool CpuHasV4() {
#if QV_X86_PICK
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                          __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq") &&
                          __builtin_cpu_supports("avx512cd");
  return has;
#else
  return false;
#endif
}

bool CpuHasAvx2() {
#if QV_X86_PICK
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

}  // namespace qv
