#include "graphics/ImageFormats/ColourProfile.h"

#include <lcms2.h>

#include <algorithm>
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

}  // namespace

bool ConvertToSRGB(TBitmap32& bitmap, const uint8_t* profile, size_t size) {
  if (!profile || size < 128 || size > kMaxColourProfileBytes || bitmap.Empty()) return false;
  cmsSetLogErrorHandler(IgnoreErrors);
  TProfile from(cmsOpenProfileFromMem(profile, static_cast<cmsUInt32Number>(size)));
  if (!from) return false;
  const cmsColorSpaceSignature space = cmsGetColorSpace(from.get());
  if (space != cmsSigRgbData && space != cmsSigGrayData) return false;
  if (cmsGetDeviceClass(from.get()) == cmsSigLinkClass) return false;
  TProfile srgb(cmsCreate_sRGBProfile());
  if (!srgb) return false;
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
  const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
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
