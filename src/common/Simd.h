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
// For loops that pick their own copy once (QV_PICK below): the widest
// vectors, AVX2 and the generic ones.
#define QV_X86_PICK 1
#define QV_TARGET_V4 __attribute__((target("arch=x86-64-v4")))
#define QV_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define QV_CLONES
#define QV_X86_PICK 0
#endif

namespace qv {

typedef uint16_t TU16x16 __attribute__((vector_size(32)));
typedef uint32_t TU32x8 __attribute__((vector_size(32)));

// Whether this processor runs the widest vectors (x86-64-v4: AVX-512), and
// AVX2; both false off x86-64.
bool CpuHasV4();
bool CpuHasAvx2();

}  // namespace qv
