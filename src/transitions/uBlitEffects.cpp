#include "transitions/uBlitEffects.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "graphics/uStretchBlt.h"

namespace qv {

namespace {

// One frame of a blit effect, or the band of its rows from `first` to `last`.
// The rows below are written for the horizontal effects; a transposed frame
// exchanges x and y in every operation, which turns each of them into its
// vertical twin. Blocks of the old picture are read from `old`, which holds
// it still when the frame is drawn elsewhere, and is the frame itself when
// it is drawn in place (where every such block is read before anything is drawn).
class TBlitFrame {
 public:
  TBlitFrame(TBitmap32& dest, const TBitmap32& old, const TBitmap32& fresh, int W, int H, int first, int last,
             bool transposed)
      : dest_(dest), old_(old), new_(fresh), frame_{0, 0, W, H}, clip_{0, first, W, last}, transposed_(transposed) {}

  // As the effects are listed: the source block first, then where it goes.
  void StretchN(int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh) {
    Stretch(new_, sx, sy, sw, sh, dx, dy, dw, dh);
  }
  void CopyN(int sx, int sy, int w, int h, int dx, int dy) {
    if (w > 0 && h > 0) Stretch(new_, sx, sy, w, h, dx, dy, w, h);
  }
  void StretchD(int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh) {
    Stretch(old_, sx, sy, sw, sh, dx, dy, dw, dh);
  }
  void CopyD(int sx, int sy, int w, int h, int dx, int dy) {
    if (w > 0 && h > 0) Stretch(old_, sx, sy, w, h, dx, dy, w, h);
  }
  // The whole new picture, drawn only inside `within` (never transposed).
  void CopyNWithin(const TRect& within) {
    const TRect c{std::max(within.Left, clip_.Left), std::max(within.Top, clip_.Top),
                  std::min(within.Right, clip_.Right), std::min(within.Bottom, clip_.Bottom)};
    if (!c.IsEmpty())
      StretchBlt(dest_, c, 0, 0, frame_.Right, frame_.Bottom, new_, 0, 0, frame_.Right, frame_.Bottom);
  }

  // Darkens the roll band of n columns from `first` (rows, when transposed).
  void ShadeBand(int first, int n);

 private:
  void Stretch(const TBitmap32& src, int sx, int sy, int sw, int sh, int dx, int dy, int dw,
               int dh) {
    if (transposed_)
      StretchBlt(dest_, clip_, dy, dx, dh, dw, src, sy, sx, sh, sw);
    else
      StretchBlt(dest_, clip_, dx, dy, dw, dh, src, sx, sy, sw, sh);
  }

  TBitmap32& dest_;
  const TBitmap32& old_;
  const TBitmap32& new_;
  TRect frame_;  // the whole frame
  TRect clip_;   // the rows this one draws
  bool transposed_;
};

// Adds the offsets to the colour bytes of a run of pixels, each clamped to
// 0..255, as two byte-wise steps that the compiler turns into vector code:
// take away min(byte, darker), then add min(255 - byte, lighter).
void ShadeRun(uint8_t* bytes, const uint8_t* darker, const uint8_t* lighter, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    uint8_t b = bytes[i];
    b = static_cast<uint8_t>(b - std::min(b, darker[i]));
    b = static_cast<uint8_t>(b + std::min(static_cast<uint8_t>(255 - b), lighter[i]));
    bytes[i] = b;
  }
}

void TBlitFrame::ShadeBand(int first, int n) {
  const std::vector<int> o = RollShade(n);
  if (o.empty()) return;
  const int right = std::min(clip_.Right, dest_.Width());
  const int top = std::max(clip_.Top, 0), bottom = std::min(clip_.Bottom, dest_.Height());
  const bool rows = transposed_;
  const int lo = std::max(first, rows ? top : 0), hi = std::min(first + n, rows ? bottom : right);
  if (lo >= hi) return;
  // Row bands take the offsets from their lowest row upwards.
  auto offset = [&](int v) { return o[static_cast<size_t>(rows ? first + n - 1 - v : v - first)]; };
  const int pixels = rows ? right : hi - lo;
  std::vector<uint8_t> darker(static_cast<size_t>(pixels) * 4), lighter(darker.size());
  auto fill = [&](int k, int d) {  // blue, green and red; the fourth byte stays
    for (int c = 0; c < 3; ++c) {
      darker[static_cast<size_t>(k) * 4 + c] = static_cast<uint8_t>(std::clamp(-d, 0, 255));
      lighter[static_cast<size_t>(k) * 4 + c] = static_cast<uint8_t>(std::clamp(d, 0, 255));
    }
  };
  if (!rows) {
    for (int x = lo; x < hi; ++x) fill(x - lo, offset(x));
    for (int y = top; y < bottom; ++y)
      ShadeRun(reinterpret_cast<uint8_t*>(dest_.Row(y) + lo), darker.data(), lighter.data(),
               darker.size());
    return;
  }
  for (int y = lo; y < hi; ++y) {
    for (int k = 0; k < pixels; ++k) fill(k, offset(y));
    ShadeRun(reinterpret_cast<uint8_t*>(dest_.Row(y)), darker.data(), lighter.data(),
             darker.size());
  }
}

using TRow = void (*)(TBlitFrame& f, int W, int H, int X, int Y);

// Numbers 4 to 20; 21 to 37 are the same rows transposed.
constexpr TRow kEdgeStrips[] = {
    [](TBlitFrame& f, int W, int H, int X, int) { f.StretchN(0, 0, W, H, W - X, 0, X, H); },
    [](TBlitFrame& f, int W, int H, int X, int) { f.StretchN(0, 0, W, H, 0, 0, X, H); },
    [](TBlitFrame& f, int W, int H, int X, int) { f.CopyN(0, 0, W, H, W - X, 0); },
    [](TBlitFrame& f, int W, int H, int X, int) { f.CopyN(0, 0, W, H, X - W, 0); },
    [](TBlitFrame& f, int, int H, int X, int) { f.CopyN(0, 0, X, H, 0, 0); },
    [](TBlitFrame& f, int W, int H, int X, int) { f.CopyN(W - X, 0, X, H, W - X, 0); },
    [](TBlitFrame& f, int W, int H, int X, int) { f.StretchN(0, 0, X, H, 0, 0, 2 * W - X, H); },
    [](TBlitFrame& f, int W, int H, int X, int) {
      f.StretchN(W - X, 0, X, H, X - W, 0, 2 * W - X, H);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      f.StretchN((W - X) / 2, 0, X, H, X - W, 0, 3 * W - 2 * X, H);
    },
    [](TBlitFrame& f, int W, int H, int X, int) { f.StretchN(0, 0, W, H, (W - X) / 2, 0, X, H); },
    [](TBlitFrame& f, int W, int H, int X, int) {
      const int x = (W - X) / 2;
      f.CopyN(x, 0, X, H, x, 0);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      const int c = X / 2;
      f.CopyN(0, 0, c, H, 0, 0);
      f.CopyN(W - c, 0, c, H, W - c, 0);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      const int d = X / 2, s = W / 2;
      f.StretchN(0, 0, s, H, 0, 0, d, H);
      f.StretchN(s, 0, s, H, W - d, 0, d, H);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      const int r = RollWidth(W, X, W - X);
      f.StretchN(X + r, 0, r, H, X + r - 1, 0, -r, H);
      f.CopyN(0, 0, X, H, 0, 0);
      f.ShadeBand(X, r);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      const int x = W - X, r = RollWidth(W, X, x);
      f.StretchN(x - 2 * r - 1, 0, r, H, x - 1, 0, -r, H);
      f.CopyN(x, 0, X, H, x, 0);
      f.ShadeBand(x - r, r);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      f.CopyN(0, 0, X, H, 0, 0);
      const int s = std::min(W - X, W / 10);
      f.StretchN(X, 0, s, H, X, 0, W - X, H);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      const int d = W - X;
      f.CopyN(d, 0, X, H, d, 0);
      const int s = std::max(d - W / 10, 0);
      f.StretchN(s, 0, d - s, H, 0, 0, d, H);
    },
};

// Numbers 38 to 60.
constexpr TRow kCornersAndCentre[] = {
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.StretchN(0, 0, W, H, W - X, H - Y, X, Y); },
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.StretchN(0, 0, W, H, W - X, 0, X, Y); },
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.StretchN(0, 0, W, H, 0, 0, X, Y); },
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.StretchN(0, 0, W, H, 0, H - Y, X, Y); },
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.CopyN(0, 0, W, H, W - X, H - Y); },
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.CopyN(0, 0, W, H, W - X, Y - H); },
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.CopyN(0, 0, W, H, X - W, Y - H); },
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.CopyN(0, 0, W, H, X - W, H - Y); },
    [](TBlitFrame& f, int, int, int X, int Y) { f.CopyN(0, 0, X, Y, 0, 0); },
    [](TBlitFrame& f, int, int H, int X, int Y) { f.CopyN(0, H - Y, X, Y, 0, H - Y); },
    [](TBlitFrame& f, int W, int H, int X, int Y) { f.CopyN(W - X, H - Y, X, Y, W - X, H - Y); },
    [](TBlitFrame& f, int W, int, int X, int Y) { f.CopyN(W - X, 0, X, Y, W - X, 0); },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      f.StretchN(0, 0, X, Y, 0, 0, 2 * W - X, 2 * H - Y);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      f.StretchN(0, H - Y, X, Y, 0, Y - H, 2 * W - X, 2 * H - Y);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      f.StretchN(W - X, H - Y, X, Y, X - W, Y - H, 2 * W - X, 2 * H - Y);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      f.StretchN(W - X, 0, X, Y, X - W, 0, 2 * W - X, 2 * H - Y);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      f.StretchN((W - X) / 2, (H - Y) / 2, X, Y, X - W, Y - H, 3 * W - 2 * X, 3 * H - 2 * Y);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      f.StretchN(0, 0, W, H, (W - X) / 2, (H - Y) / 2, X, Y);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      const int x = (W - X) / 2, y = (H - Y) / 2;
      f.CopyN(x, y, X, Y, x, y);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      // A frame of New around the hole from (l, t) to (W - l, H - t); an empty
      // hole keeps nothing out.
      const int l = X / 2, t = Y / 2;
      if (W - l <= l || H - t <= t) {
        f.CopyNWithin({0, 0, W, H});
        return;
      }
      f.CopyNWithin({0, 0, W, t});
      f.CopyNWithin({0, H - t, W, H});
      f.CopyNWithin({0, t, l, H - t});
      f.CopyNWithin({W - l, t, W, H - t});
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      const int c = X / 2, d = Y / 2;
      f.CopyN(0, 0, c, d, 0, 0);
      f.CopyN(0, H - d, c, d, 0, H - d);
      f.CopyN(W - c, H - d, c, d, W - c, H - d);
      f.CopyN(W - c, 0, c, d, W - c, 0);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      const int dw = X / 2, dh = Y / 2, sw = W / 2, sh = H / 2;
      f.StretchN(0, 0, sw, sh, 0, 0, dw, dh);
      f.StretchN(0, sh, sw, sh, 0, H - dh, dw, dh);
      f.StretchN(sw, sh, sw, sh, W - dw, H - dh, dw, dh);
      f.StretchN(sw, 0, sw, sh, W - dw, 0, dw, dh);
    },
    [](TBlitFrame& f, int W, int H, int X, int Y) {
      const int c = X / 2, b = Y / 2, w2 = W / 2, h2 = H / 2;
      f.CopyN(0, 0, w2, h2, c - w2, 0);
      f.CopyN(w2, 0, w2, h2, w2, b - h2);
      f.CopyN(w2, h2, w2, h2, W - c, h2);
      f.CopyN(0, h2, w2, h2, 0, H - b);
    },
};

// Numbers 130 to 133; 134 to 137 are the same rows transposed.
constexpr TRow kPushes[] = {
    [](TBlitFrame& f, int W, int H, int X, int) {
      f.CopyD(0, 0, W - X, H, X, 0);
      f.CopyN(W - X, 0, X, H, 0, 0);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      f.CopyD(X, 0, W - X, H, 0, 0);
      f.CopyN(0, 0, X, H, W - X, 0);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      f.StretchD(0, 0, W, H, X, 0, W - X, H);
      f.CopyN(W - X, 0, X, H, 0, 0);
    },
    [](TBlitFrame& f, int W, int H, int X, int) {
      f.StretchD(0, 0, W, H, 0, 0, W - X, H);
      f.CopyN(0, 0, X, H, W - X, 0);
    },
};

// Every operation is clipped to the band's rows, so each band draws exactly
// the pixels of its rows that the whole frame would.
template <TRow Row, bool Transposed>
void PlayBands(const TBandedFrame& b, int W, int H, int X, int Y, int) {
  b.Bands.Run(std::min(H, b.Dest.Height()), [&](int first, int last) {
    StartRows(b.Dest, b.Old, first, last);
    TBlitFrame f(b.Dest, b.Old, b.New, W, H, first, last, Transposed);
    if constexpr (Transposed)
      Row(f, H, W, Y, X);
    else
      Row(f, W, H, X, Y);
  });
}

struct TBlitProcs {
  TEffectProc plain;
  TBandedProc banded;
};

template <const auto& Rows, bool Transposed, size_t... I>
constexpr auto Procs(std::index_sequence<I...>) {
  return std::array<TBlitProcs, sizeof...(I)>{
      TBlitProcs{&InPlace<PlayBands<Rows[I], Transposed>>, &PlayBands<Rows[I], Transposed>}...};
}

template <const auto& Rows, bool Transposed>
constexpr auto Procs() {
  return Procs<Rows, Transposed>(std::make_index_sequence<std::size(Rows)>());
}

constexpr auto kHorizontalStrips = Procs<kEdgeStrips, false>();
constexpr auto kVerticalStrips = Procs<kEdgeStrips, true>();
constexpr auto kCornerProcs = Procs<kCornersAndCentre, false>();
constexpr auto kSidewaysPushes = Procs<kPushes, false>();
constexpr auto kUpDownPushes = Procs<kPushes, true>();

static_assert(kHorizontalStrips.size() == 17 && kCornerProcs.size() == 23 &&
              kSidewaysPushes.size() == 4);

const TBlitProcs* BlitProcs(int number) {
  if (number >= 4 && number <= 20) return &kHorizontalStrips[static_cast<size_t>(number - 4)];
  if (number >= 21 && number <= 37) return &kVerticalStrips[static_cast<size_t>(number - 21)];
  if (number >= 38 && number <= 60) return &kCornerProcs[static_cast<size_t>(number - 38)];
  if (number >= 130 && number <= 133) return &kSidewaysPushes[static_cast<size_t>(number - 130)];
  if (number >= 134 && number <= 137) return &kUpDownPushes[static_cast<size_t>(number - 134)];
  return nullptr;
}

}  // namespace

int RollWidth(int size, int progress, int freeSpace) {
  int r = size / 10;
  if (progress < r)
    r = progress;
  else if (freeSpace < 2 * r)
    r = freeSpace / 2;
  return r;
}

std::vector<int> RollShade(int n) {
  constexpr int a = 48;
  if (n < 2) return {};
  std::vector<int> o(static_cast<size_t>(n));
  const int m = n / 2;
  o[0] = -a;
  if (m < a) {
    const int k = a / m;
    for (int j = 2; j <= n; ++j) o[static_cast<size_t>(j - 1)] = o[static_cast<size_t>(j - 2)] + (j <= m ? k : -k);
  } else {
    const int k = m / a;
    for (int j = 2; j <= n; ++j)
      o[static_cast<size_t>(j - 1)] = o[static_cast<size_t>(j - 2)] + (j % k == 0 ? (j < m ? 1 : -1) : 0);
  }
  return o;
}

TEffectProc BlitEffect(int number) {
  const TBlitProcs* procs = BlitProcs(number);
  return procs ? procs->plain : nullptr;
}

TBandedProc BlitEffectBanded(int number) {
  const TBlitProcs* procs = BlitProcs(number);
  return procs ? procs->banded : nullptr;
}

}  // namespace qv
