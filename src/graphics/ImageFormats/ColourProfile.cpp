#include "graphics/ImageFormats/ColourProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "common/Limits.h"

namespace qv {

namespace {

struct TProfileCloser {
  void operator()(void* p) const { cmsCloseProfile(p); }
};
struct TTransformDeleter {
  void operator()(void* t) const { cmsDeleteTransform(t); }
};
using TProfile = std::unique_ptr<void, TProfileCloser>;
using TTransform = std::unique_ptr<void, TTransformDeleter>;

// lcms2 reports a damaged profile through this handler; the caller sees the
// failure in the null it returns, so the message is dropped.
void IgnoreErrors(cmsContext, cmsUInt32Number, const char*) {}

// sRGB's curve: linear light v is encoded as 12.92 v up to kSrgbToe and as
// 1.055 v^(1 / 2.4) - 0.055 above; decoding switches at kSrgbEncodedToe
// (lcms2's parametric curve type 4).
constexpr double kSrgbGamma = 2.4, kSrgbScale = 1.055, kSrgbOffset = 0.055, kSrgbSlope = 12.92,
                 kSrgbToe = 0.0031308, kSrgbEncodedToe = 0.04045;

double EncodeSrgb(double v) {
  return v <= kSrgbToe ? kSrgbSlope * v : kSrgbScale * std::pow(v, 1 / kSrgbGamma) - kSrgbOffset;
}

// Nearly every photo's profile is a matrix and three tone curves (the
// spaces of cameras, editors and phones). Between two such spaces the
// perceptual intent is the colorimetric one: a pixel goes through its curves
// to linear light, through one 3x3 matrix to sRGB's primaries, and through
// sRGB's curve back. That is three table lookups and nine products a pixel,
// a fraction of what a general transform costs, with the same result within
// rounding (a test holds the two together).
class TMatrixShaper {
 public:
  static constexpr int kLinearBits = 14;
  static constexpr int kOne = 1 << kLinearBits;

  bool Build(cmsHPROFILE from, cmsHPROFILE srgb) {
    double source[9], target[9];
    if (!Colorants(from, source) || !Colorants(srgb, target)) return false;
    double inverse[9];
    if (!Invert(target, inverse)) return false;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) {
        double v = 0;
        for (int k = 0; k < 3; ++k) v += inverse[r * 3 + k] * source[k * 3 + c];
        matrix_[r * 3 + c] = static_cast<int32_t>(std::lround(v * kOne));
      }
    const cmsTagSignature curveTags[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int ch = 0; ch < 3; ++ch) {
      const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(from, curveTags[ch]));
      if (!curve) return false;
      for (int v = 0; v < 256; ++v) {
        const double linear = std::clamp<double>(cmsEvalToneCurveFloat(curve, static_cast<cmsFloat32Number>(v / 255.0)), 0, 1);
        toLinear_[ch][v] = static_cast<int32_t>(std::lround(linear * kOne));
      }
    }
    return true;
  }

  void Apply(TBitmap32& bitmap) const {
    const TSrgbTable& table = SrgbTable();
    uint32_t* p = bitmap.Bits();
    const size_t count = static_cast<size_t>(bitmap.Width()) * bitmap.Height();
    for (size_t i = 0; i < count; ++i) {
      const uint32_t c = p[i];
      const int64_t r = toLinear_[0][c >> 16 & 0xFF], g = toLinear_[1][c >> 8 & 0xFF], b = toLinear_[2][c & 0xFF];
      const uint32_t outR = Encode(table, matrix_[0] * r + matrix_[1] * g + matrix_[2] * b);
      const uint32_t outG = Encode(table, matrix_[3] * r + matrix_[4] * g + matrix_[5] * b);
      const uint32_t outB = Encode(table, matrix_[6] * r + matrix_[7] * g + matrix_[8] * b);
      p[i] = (c & 0xFF000000u) | outR << 16 | outG << 8 | outB;
    }
  }

 private:
  // The primaries' XYZ (adapted to the profile connection space's white),
  // as the columns of a matrix.
  static bool Colorants(cmsHPROFILE profile, double m[9]) {
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
      const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[c]));
      if (!xyz) return false;
      m[0 * 3 + c] = xyz->X;
      m[1 * 3 + c] = xyz->Y;
      m[2 * 3 + c] = xyz->Z;
    }
    return true;
  }
  static bool Invert(const double m[9], double out[9]) {
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                       m[2] * (m[3] * m[7] - m[4] * m[6]);
    if (std::abs(det) < 1e-9) return false;
    out[0] = (m[4] * m[8] - m[5] * m[7]) / det;
    out[1] = (m[2] * m[7] - m[1] * m[8]) / det;
    out[2] = (m[1] * m[5] - m[2] * m[4]) / det;
    out[3] = (m[5] * m[6] - m[3] * m[8]) / det;
    out[4] = (m[0] * m[8] - m[2] * m[6]) / det;
    out[5] = (m[2] * m[3] - m[0] * m[5]) / det;
    out[6] = (m[3] * m[7] - m[4] * m[6]) / det;
    out[7] = (m[1] * m[6] - m[0] * m[7]) / det;
    out[8] = (m[0] * m[4] - m[1] * m[3]) / det;
    return true;
  }
  // Linear light in kLinearBits to sRGB's byte, the same for every profile:
  // made once.
  struct TSrgbTable {
    uint8_t byte[kOne + 1];
    TSrgbTable() {
      for (int i = 0; i <= kOne; ++i)
        byte[i] = static_cast<uint8_t>(std::lround(std::clamp(EncodeSrgb(static_cast<double>(i) / kOne), 0.0, 1.0) * 255));
    }
  };
  static const TSrgbTable& SrgbTable() {
    static const TSrgbTable table;
    return table;
  }
  static uint32_t Encode(const TSrgbTable& table, int64_t value) {
    return table.byte[static_cast<size_t>(std::clamp<int64_t>((value + kOne / 2) >> kLinearBits, 0, kOne))];
  }

  int32_t toLinear_[3][256] = {};
  int32_t matrix_[9] = {};
};

}  // namespace

bool ConvertToSRGB(TBitmap32& bitmap, const uint8_t* profile, size_t size) {
  if (!profile || size < 128 || size > kMaxColourProfileBytes || bitmap.Empty()) return false;
  static const bool quiet = (cmsSetLogErrorHandler(IgnoreErrors), true);
  (void)quiet;
  TProfile from(cmsOpenProfileFromMem(profile, static_cast<cmsUInt32Number>(size)));
  if (!from) return false;
  // The header's field as lcms2 hands it on: any 32-bit value, not only the
  // enumeration's.
  const cmsUInt32Number space = cmsGetColorSpace(from.get());
  if (space != cmsSigRgbData && space != cmsSigGrayData) return false;
  if (static_cast<cmsUInt32Number>(cmsGetDeviceClass(from.get())) == cmsSigLinkClass) return false;
  TProfile srgb(cmsCreate_sRGBProfile());
  if (!srgb) return false;
  if (space == cmsSigRgbData && cmsIsMatrixShaper(from.get())) {
    auto fast = std::make_unique<TMatrixShaper>();
    if (fast->Build(from.get(), srgb.get())) {
      fast->Apply(bitmap);
      return true;
    }
  }
  // A grey profile reads the blue byte as the grey level (the decoders give
  // grey pictures as equal bytes) and writes all three.
  const cmsUInt32Number input = space == cmsSigGrayData ? TYPE_GRAYA_8 : TYPE_BGRA_8;
  TTransform transform(cmsCreateTransform(from.get(), input, srgb.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                          cmsFLAGS_COPY_ALPHA));
  if (!transform) return false;
  const int w = bitmap.Width();
  if (space == cmsSigGrayData) {
    // Grey in, colour out: the pixels are read from a row of grey-alpha pairs.
    std::vector<uint8_t> grey(static_cast<size_t>(w) * 2);
    for (int y = 0; y < bitmap.Height(); ++y) {
      uint32_t* row = bitmap.Row(y);
      for (int x = 0; x < w; ++x) {
        grey[2 * x] = static_cast<uint8_t>(row[x]);
        grey[2 * x + 1] = static_cast<uint8_t>(row[x] >> 24);
      }
      cmsDoTransform(transform.get(), grey.data(), row, static_cast<cmsUInt32Number>(w));
    }
    return true;
  }
  // Same pixel size in and out: lcms2 converts in place, a band of rows at a time.
  constexpr int kBand = 64;
  for (int y = 0; y < bitmap.Height(); y += kBand) {
    const int rows = std::min(kBand, bitmap.Height() - y);
    cmsDoTransform(transform.get(), bitmap.Row(y), bitmap.Row(y), static_cast<cmsUInt32Number>(w) * rows);
  }
  return true;
}

std::vector<uint8_t> MakeRGBProfile(const TRGBSpace& space) {
  const cmsCIExyY white{space.white[0], space.white[1], 1.0};
  const cmsCIExyYTRIPLE primaries{{space.red[0], space.red[1], 1.0},
                                  {space.green[0], space.green[1], 1.0},
                                  {space.blue[0], space.blue[1], 1.0}};
  const cmsFloat64Number srgbCurve[5] = {kSrgbGamma, 1 / kSrgbScale, kSrgbOffset / kSrgbScale, 1 / kSrgbSlope,
                                         kSrgbEncodedToe};
  cmsToneCurve* curve = space.gamma > 0 ? cmsBuildGamma(nullptr, space.gamma)
                                        : cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
  if (!curve) return {};
  cmsToneCurve* curves[3] = {curve, curve, curve};
  TProfile profile(cmsCreateRGBProfile(&white, &primaries, curves));
  cmsFreeToneCurve(curve);
  if (!profile) return {};
  cmsUInt32Number size = 0;
  std::vector<uint8_t> bytes;
  if (cmsSaveProfileToMem(profile.get(), nullptr, &size) && size > 0) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) bytes.clear();
  }
  return bytes;
}

}  // namespace qv
