#include "graphics/ImageFormats/WebPLoader.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "common/Error.h"
#include "common/Limits.h"
#include "graphics/ImageFormats/ExifOrientation.h"

namespace qv {

namespace {

struct TDemuxDeleter {
  void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};

[[noreturn]] void Fail(const std::string& why) { throw EQVError("WebP picture cannot be read: " + why); }

std::vector<uint8_t> Chunk(WebPDemuxer* demux, const char* fourcc) {
  WebPChunkIterator chunk;
  std::vector<uint8_t> bytes;
  if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk)) {
    bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
  }
  return bytes;
}

// The strongest reduction of 2, 4 or 8 that keeps at least the hinted size.
int Reduction(int64_t w, int64_t h, TDecodeHint hint) {
  if (hint.minWidth <= 0 || hint.minHeight <= 0) return 1;
  for (int candidate : {8, 4, 2})
    if (w / candidate >= hint.minWidth && h / candidate >= hint.minHeight) return candidate;
  return 1;
}

}  // namespace

bool IsWebP(const uint8_t* data, size_t size) {
  return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

TPicture DecodeWebP(const uint8_t* data, size_t size, TDecodeHint hint) {
  if (!IsWebP(data, size)) Fail("not a WebP stream");
  const WebPData whole{data, size};
  std::unique_ptr<WebPDemuxer, TDemuxDeleter> demux(WebPDemux(&whole));
  if (!demux) Fail("malformed or incomplete stream");
  const int64_t canvasW = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
  const int64_t canvasH = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
  if (!PictureSizeAllowed(canvasW, canvasH)) throw EQVError("WebP picture is too large or has no pixels");

  TPicture picture;
  picture.trueWidth = static_cast<int>(canvasW);
  picture.trueHeight = static_cast<int>(canvasH);
  const uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
  if (flags & ICCP_FLAG) {
    picture.colourProfile = Chunk(demux.get(), "ICCP");
    if (picture.colourProfile.size() > kMaxColourProfileBytes) picture.colourProfile.clear();
  }
  if (flags & EXIF_FLAG) {
    const std::vector<uint8_t> exif = Chunk(demux.get(), "EXIF");
    if (exif.size() <= kMaxExifBytes) picture.orientation = ExifOrientation(exif.data(), exif.size());
  }
  if (OrientationSwapsSides(picture.orientation)) std::swap(hint.minWidth, hint.minHeight);

  WebPIterator frame;
  if (!WebPDemuxGetFrame(demux.get(), 1, &frame)) Fail("no picture in the stream");
  const WebPData fragment = frame.fragment;
  const int x = frame.x_offset, y = frame.y_offset, fw = frame.width, fh = frame.height;
  WebPDemuxReleaseIterator(&frame);
  if (fw <= 0 || fh <= 0 || x < 0 || y < 0 || x + int64_t{fw} > canvasW || y + int64_t{fh} > canvasH)
    Fail("a frame lies outside the picture");

  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) Fail("library version mismatch");
  if (WebPGetFeatures(fragment.bytes, fragment.size, &config.input) != VP8_STATUS_OK) Fail("malformed stream");
  if (config.input.width != fw || config.input.height != fh) Fail("the frame's size differs from its header");
  // Only a picture that fills its canvas (every still one) is decoded smaller.
  const bool whole_canvas = fw == canvasW && fh == canvasH;
  const int reduce = whole_canvas ? Reduction(canvasW, canvasH, hint) : 1;
  const int64_t outW = (canvasW + reduce - 1) / reduce, outH = (canvasH + reduce - 1) / reduce;
  // Lossless pictures are decoded whole into libwebp's own buffer first.
  const int64_t working = config.input.format == 2 ? int64_t{fw} * fh * 4 : int64_t{fw} * 16 * 4;
  if (!DecodeFits(outW, outH, working))
    throw EQVError("WebP picture is too large to show (" + std::to_string(canvasW) + " x " +
                   std::to_string(canvasH) + ")");
  picture.bitmap.SetSize(static_cast<int>(outW), static_cast<int>(outH));

  // Premultiplied BGRA is the picture over black; libwebp writes straight
  // into the bitmap, at the frame's place on the canvas.
  config.output.colorspace = MODE_bgrA;
  config.output.is_external_memory = 1;
  const int stride = static_cast<int>(outW) * 4;
  uint8_t* target = reinterpret_cast<uint8_t*>(picture.bitmap.Bits()) + static_cast<size_t>(y) * stride + x * 4;
  config.output.u.RGBA.rgba = target;
  config.output.u.RGBA.stride = stride;
  config.output.u.RGBA.size = static_cast<size_t>(stride) * (outH - y) - static_cast<size_t>(x) * 4;
  if (reduce > 1) {
    config.options.use_scaling = 1;
    config.options.scaled_width = static_cast<int>(outW);
    config.options.scaled_height = static_cast<int>(outH);
  }
  const VP8StatusCode status = WebPDecode(fragment.bytes, fragment.size, &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) Fail(status == VP8_STATUS_NOT_ENOUGH_DATA ? "the stream ends early" : "malformed stream");
  if (hint.cancelled && hint.cancelled->load()) throw EQVError("WebP picture: reading stopped");
  // Premultiplied pixels are already over black; they become opaque.
  uint32_t* p = picture.bitmap.Bits();
  const size_t count = static_cast<size_t>(outW) * outH;
  for (size_t i = 0; i < count; ++i) p[i] |= 0xFF000000u;
  return picture;
}

}  // namespace qv
