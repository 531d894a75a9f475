#include "graphics/uBilinear.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/Simd.h"
#include "graphics/uPixelMix.h"

namespace qv {

namespace {

// Where the targets along one axis sample: the first of the two source
// pixels and the weight of the second, in 256ths. Positions are stepped in
// 16.16 fixed point from the first, so every target gets the same position
// whichever band draws it.
struct TTaps {
  std::vector<int32_t> first;
  std::vector<uint16_t> weight;
  int lo = 0, hi = 0;  // the source pixels read: [lo, hi]
};

TTaps Taps(double start, double length, int count, int size) {
  TTaps t;
  t.first.resize(static_cast<size_t>(count));
  t.weight.resize(static_cast<size_t>(count));
  const double step = length / count;
  const int64_t origin = std::llround((start + step / 2 - 0.5) * 65536.0);
  const int64_t delta = std::llround(step * 65536.0);
  for (int i = 0; i < count; ++i) {
    const int64_t p = origin + delta * i;
    int64_t at = p >> 16;
    uint16_t w = static_cast<uint16_t>((p >> 8) & 0xFF);
    if (at < 0) {
      at = 0;
      w = 0;
    } else if (at >= size - 1) {
      at = size - 1;
      w = 0;
    }
    t.first[static_cast<size_t>(i)] = static_cast<int32_t>(at);
    t.weight[static_cast<size_t>(i)] = w;
  }
  t.lo = count > 0 ? t.first.front() : 0;
  t.hi = count > 0 ? std::min(t.first.back() + 1, size - 1) : 0;
  return t;
}

// Eight targets across at a time: they read at most sixteen neighbouring
// line pixels from `base`, picked out by the two index vectors (first and
// second of each pair) and mixed by the weights, each given twice (one per
// 16-bit lane of a pixel).
struct alignas(32) TGroup {
  TU32x8 first, second;
  TU16x16 weight, rest;  // rest = 256 - weight
  int32_t base;
};

constexpr int kGroup = 8;

// The groups of targets [from, from + count); false when the zoom is so deep
// that eight targets read more than sixteen pixels.
bool Groups(const TTaps& across, int from, int count, std::vector<TGroup>& groups) {
  groups.resize(static_cast<size_t>(count / kGroup));
  for (size_t g = 0; g < groups.size(); ++g) {
    const size_t at = static_cast<size_t>(from) + g * kGroup;
    TGroup& group = groups[g];
    group.base = across.first[at];
    for (int k = 0; k < kGroup; ++k) {
      const int32_t offset = across.first[at + static_cast<size_t>(k)] - group.base;
      if (offset + 1 >= 2 * kGroup) return false;
      const uint16_t w = across.weight[at + static_cast<size_t>(k)];
      group.first[k] = static_cast<uint32_t>(offset);
      group.second[k] = static_cast<uint32_t>(offset + 1);
      group.weight[2 * k] = group.weight[2 * k + 1] = w;
      group.rest[2 * k] = group.rest[2 * k + 1] = static_cast<uint16_t>(256 - w);
    }
  }
  return true;
}

// The pixels of a group's window that its index vector names.
[[gnu::always_inline]] inline void Pick(const TU32x8& low, const TU32x8& high, const TU32x8& index, TU32x8& picked) {
#if defined(__GNUC__) && !defined(__clang__)
  picked = __builtin_shuffle(low, high, index);
#else
  for (int k = 0; k < kGroup; ++k) picked[k] = index[k] < kGroup ? low[index[k]] : high[index[k] - kGroup];
#endif
}

[[gnu::always_inline]] inline void MixGroupsBody(uint32_t* out, const uint32_t* line, const TGroup* groups, int count) {
  for (int g = 0; g < count; ++g, out += kGroup) {
    const TGroup& group = groups[g];
    TU32x8 low, high;
    std::memcpy(&low, line + group.base, sizeof low);
    std::memcpy(&high, line + group.base + kGroup, sizeof high);
    TU32x8 first, second;
    Pick(low, high, group.first, first);
    Pick(low, high, group.second, second);
    const TU16x16 a = reinterpret_cast<TU16x16>(first);
    const TU16x16 b = reinterpret_cast<TU16x16>(second);
    const TU16x16 lo = ((a & 0xFF) * group.rest + (b & 0xFF) * group.weight) >> 8;  // blue, red
    const TU16x16 hi = ((a >> 8) * group.rest + (b >> 8) * group.weight) & 0xFF00;  // green, alpha
    const TU32x8 mixed = reinterpret_cast<TU32x8>(lo | hi);
    std::memcpy(out, &mixed, sizeof mixed);
  }
}

#if QV_X86_PICK
QV_TARGET_V4 void MixGroupsV4(uint32_t* out, const uint32_t* line, const TGroup* groups, int count) {
  MixGroupsBody(out, line, groups, count);
}
QV_TARGET_AVX2 void MixGroupsAvx2(uint32_t* out, const uint32_t* line, const TGroup* groups, int count) {
  MixGroupsBody(out, line, groups, count);
}
#endif
void MixGroupsPlain(uint32_t* out, const uint32_t* line, const TGroup* groups, int count) {
  MixGroupsBody(out, line, groups, count);
}

using TMixGroups = void (*)(uint32_t*, const uint32_t*, const TGroup*, int);

// The copy this processor runs best, chosen once; each gives the same pixels.
TMixGroups MixGroups() {
#if QV_X86_PICK
  static const TMixGroups chosen = CpuHasV4() ? MixGroupsV4 : CpuHasAvx2() ? MixGroupsAvx2 : MixGroupsPlain;
  return chosen;
#else
  return MixGroupsPlain;
#endif
}

// Targets one at a time, the same mix: the end of a row that is no whole group,
// and rows of a zoom too deep for the groups.
void MixOneByOne(uint32_t* out, const uint32_t* line, const int32_t* first, const uint16_t* weight, int count) {
  for (int i = 0; i < count; ++i) out[i] = MixPixel(line[first[i]], line[first[i] + 1], weight[i]);
}

// Asks for the pixels [p, p + count) ahead of their use, a cache line at a
// time: a row of a large picture starts on a page the processor's own
// prefetching has not reached.
void PrefetchPixels(const uint32_t* p, int count) {
  constexpr int kLine = 16;
  for (int i = 0; i < count; i += kLine) __builtin_prefetch(p + i);
}

constexpr int kRowsAhead = 2;

}  // namespace

void DrawAreaBilinear(const TBitmap32& src, const TAreaF& area, TBitmap32& dst, const TRect& to,
                      IBands& bands) {
  const int left = std::max(to.Left, 0), top = std::max(to.Top, 0);
  const int right = std::min(to.Right, dst.Width()), bottom = std::min(to.Bottom, dst.Height());
  const int width = to.Right - to.Left, height = to.Bottom - to.Top;
  if (src.Empty() || left >= right || top >= bottom || width <= 0 || height <= 0) return;
  TTaps across = Taps(area.x, area.w, width, src.Width());
  const TTaps down = Taps(area.y, area.h, height, src.Height());
  // The taps relative to the first source column read; the line of mixed
  // rows holds every column read, one more (so a pair's second is always
  // there) and room for the last group's sixteen.
  for (int32_t& f : across.first) f -= across.lo;
  const int span = across.hi - across.lo + 1;
  const int firstTap = left - to.Left, taps = right - left;
  std::vector<TGroup> groups;
  const bool grouped = Groups(across, firstTap, taps, groups);
  const int inGroups = grouped ? static_cast<int>(groups.size()) * kGroup : 0;
  const TMixGroups mixGroups = MixGroups();
  bands.Run(bottom - top, [&](int first, int last) {
    std::vector<uint32_t> line(static_cast<size_t>(span) + 2 * kGroup + 1);
    for (int j = top + first; j < top + last; ++j) {
      const size_t k = static_cast<size_t>(j - to.Top);
      const int y0 = down.first[k], y1 = std::min(y0 + 1, src.Height() - 1);
      if (j + kRowsAhead < top + last)
        PrefetchPixels(src.Row(std::min(down.first[k + kRowsAhead] + 1, src.Height() - 1)) + across.lo, span);
      MixPixels(line.data(), src.Row(y0) + across.lo, src.Row(y1) + across.lo, static_cast<size_t>(span),
                down.weight[k], TMixAlpha::Mixed);
      std::fill(line.begin() + span, line.end(), line[static_cast<size_t>(span) - 1]);
      uint32_t* out = dst.Row(j) + left;
      if (inGroups > 0) mixGroups(out, line.data(), groups.data(), static_cast<int>(groups.size()));
      MixOneByOne(out + inGroups, line.data(), across.first.data() + firstTap + inGroups,
                  across.weight.data() + firstTap + inGroups, taps - inGroups);
    }
  });
}

}  // namespace qv
