#include "graphics/ImageFormats/WebPWriter.h"

#include <webp/encode.h>

#include <cstring>
#include <string>

#include "common/Error.h"

namespace qv {

namespace {

void Put24(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift : {0, 8, 16}) out.push_back(static_cast<uint8_t>(v >> shift));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put24(out, v);
  out.push_back(static_cast<uint8_t>(v >> 24));
}
void PutChunk(std::vector<uint8_t>& out, const char* fourcc, const uint8_t* data, size_t size) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(fourcc[i]));
  Put32(out, static_cast<uint32_t>(size));
  out.insert(out.end(), data, data + size);
  if (size % 2) out.push_back(0);
}

// The picture's image chunks (ALPH and VP8, or VP8L) as libwebp writes them.
std::vector<uint8_t> ImageChunks(const TBitmap32& bitmap, const TWebPOptions& o) {
  TBitmap32 source = bitmap;
  if (!o.alpha)
    for (size_t i = 0, n = static_cast<size_t>(source.Width()) * source.Height(); i < n; ++i) source.Bits()[i] |= 0xFF000000u;
  const auto* bgra = reinterpret_cast<const uint8_t*>(source.Bits());
  uint8_t* encoded = nullptr;
  const size_t size = o.lossless
      ? WebPEncodeLosslessBGRA(bgra, source.Width(), source.Height(), source.Width() * 4, &encoded)
      : WebPEncodeBGRA(bgra, source.Width(), source.Height(), source.Width() * 4, static_cast<float>(o.quality), &encoded);
  if (size < 20) {
    WebPFree(encoded);
    throw EQVError("WebP picture cannot be written: the encoder failed");
  }
  // Skip "RIFF", size, "WEBP" and a VP8X chunk, if any.
  size_t at = 12;
  if (std::memcmp(encoded + at, "VP8X", 4) == 0) at += 8 + 10;
  std::vector<uint8_t> chunks(encoded + at, encoded + size);
  WebPFree(encoded);
  return chunks;
}

}  // namespace

std::vector<uint8_t> EncodeWebP(const TBitmap32& bitmap, const TWebPOptions& o) {
  if (bitmap.Empty()) throw EQVError("Cannot encode an empty picture as WebP");
  const uint32_t w = static_cast<uint32_t>(bitmap.Width()), h = static_cast<uint32_t>(bitmap.Height());
  const bool animated = !o.moreFrames.empty();
  const bool extended = animated || o.alpha || !o.colourProfile.empty() || !o.exif.empty();
  std::vector<uint8_t> body;
  if (!extended) {
    body = ImageChunks(bitmap, o);
    body.insert(body.begin(), {'W', 'E', 'B', 'P'});
  } else {
    for (char c : {'W', 'E', 'B', 'P'}) body.push_back(static_cast<uint8_t>(c));
    uint8_t flags = 0;
    if (!o.colourProfile.empty()) flags |= 0x20;
    if (o.alpha) flags |= 0x10;
    if (!o.exif.empty()) flags |= 0x08;
    if (animated) flags |= 0x02;
    std::vector<uint8_t> vp8x = {flags, 0, 0, 0};
    Put24(vp8x, w - 1);
    Put24(vp8x, h - 1);
    PutChunk(body, "VP8X", vp8x.data(), vp8x.size());
    if (!o.colourProfile.empty()) PutChunk(body, "ICCP", o.colourProfile.data(), o.colourProfile.size());
    if (animated) {
      const uint8_t anim[6] = {0, 0, 0, 0xFF, 0, 0};  // black background, loop for ever
      PutChunk(body, "ANIM", anim, sizeof anim);
      std::vector<const TBitmap32*> frames = {&bitmap};
      for (const TBitmap32& f : o.moreFrames) frames.push_back(&f);
      for (const TBitmap32* frame : frames) {
        if (frame->Width() != bitmap.Width() || frame->Height() != bitmap.Height())
          throw EQVError("WebP picture cannot be written: frames differ in size");
        std::vector<uint8_t> anmf;
        Put24(anmf, 0);
        Put24(anmf, 0);
        Put24(anmf, w - 1);
        Put24(anmf, h - 1);
        Put24(anmf, 100);  // milliseconds
        anmf.push_back(0);
        const std::vector<uint8_t> image = ImageChunks(*frame, o);
        anmf.insert(anmf.end(), image.begin(), image.end());
        PutChunk(body, "ANMF", anmf.data(), anmf.size());
      }
    } else {
      const std::vector<uint8_t> image = ImageChunks(bitmap, o);
      body.insert(body.end(), image.begin(), image.end());
    }
    if (!o.exif.empty()) PutChunk(body, "EXIF", o.exif.data(), o.exif.size());
  }
  std::vector<uint8_t> out;
  out.reserve(body.size() + 8);
  for (char c : {'R', 'I', 'F', 'F'}) out.push_back(static_cast<uint8_t>(c));
  Put32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace qv
