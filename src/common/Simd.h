// Vectorised per-pixel loops: the loops are written so the compiler turns
// them into vector code, with these types for eight 32-bit pixels (sixteen
// 16-bit lanes) at a time. QV_CLONES marks a function of which an AVX2 copy
// is chosen at load time on x86-64, the generic one kept beside it (an ELF
// loader's indirect functions: not on Windows). Under ThreadSanitizer the
// choice would run before its runtime is ready, so such a build keeps the
// generic loops only.
#pragma once
#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__) && \
    !defined(_WIN32)
#define QV_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define QV_CLONES
#endif

namespace qv {

typedef uint16_t TU16x16 __attribute__((vector_size(32)));
typedef uint32_t TU32x8 __attribute__((vector_size(32)));

}  // namespace qv
