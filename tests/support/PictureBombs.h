// Tiny picture files that declare huge pictures, made by our own code: the
// decoders must refuse them before they cost gigabytes.
#pragma once
#include <jpeglib.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/PNGWriter.h"
#include "graphics/ImageFormats/WebPWriter.h"

namespace qvtest {

// A GIF of a few dozen bytes: a 16384 x 16384 logical screen with one 1 x 1 frame.
inline std::string GifScreenBomb() {
  std::string g = "GIF89a";
  g += std::string("\x00\x40\x00\x40", 4);  // screen 16384 x 16384
  g += std::string("\x80\x00\x00", 3);      // a global table of 2 colours
  g += std::string("\x00\x00\x00\xff\xff\xff", 6);
  g += std::string("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);  // a 1 x 1 frame at (0, 0)
  g += std::string("\x02\x02\x44\x01\x00", 5);                       // its pixels
  g += ";";
  return g;
}

// A progressive JPEG of 8 x 8 pixels whose frame header declares
// `side` x `side`: a progressive decoder keeps every coefficient of the
// picture it is told about (about 1 GB at 13000 x 13000).
inline std::string ProgressiveJpegBomb(int side = 13000) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = 8;
  c.image_height = 8;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(8 * 3, 128);
  for (int y = 0; y < 8; ++y) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&c);
  std::free(buffer);
  // SOF2: marker, length (2), precision (1), height (2), width (2), big-endian.
  const size_t sof = bytes.find("\xff\xc2");
  if (sof != std::string::npos) {
    bytes[sof + 5] = static_cast<char>(side >> 8);
    bytes[sof + 6] = static_cast<char>(side);
    bytes[sof + 7] = static_cast<char>(side >> 8);
    bytes[sof + 8] = static_cast<char>(side);
  }
  return bytes;
}

// A 1 KB RLE8 bitmap declaring 16384 x 16384 pixels.
inline std::string Rle8BitmapBomb() {
  auto le32 = [](uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
  };
  const uint32_t palette = 256 * 4, offBits = 14 + 40 + palette;
  std::string pixels = std::string("\x00\x01", 2);  // end of bitmap at once
  std::string b = "BM" + le32(offBits + static_cast<uint32_t>(pixels.size())) + le32(0) + le32(offBits);
  b += le32(40) + le32(16384) + le32(16384) + std::string("\x01\x00\x08\x00", 4) + le32(1) +
       le32(static_cast<uint32_t>(pixels.size())) + le32(2835) + le32(2835) + le32(256) + le32(0);
  for (int i = 0; i < 256; ++i) b += std::string({static_cast<char>(i), static_cast<char>(i), static_cast<char>(i), 0});
  return b + pixels;
}

// A PNG of about a hundred bytes whose header declares `side` x `side`
// (its header's checksum made to match): the pixels of 1 x 1 follow.
inline std::string PngSizeBomb(uint32_t side = 65535) {
  const std::vector<uint8_t> png = qv::EncodePNG(qv::TBitmap32(1, 1), {.kind = qv::TPNGKind::Grey, .depth = 1});
  std::string bytes(png.begin(), png.end());
  // Signature (8), IHDR length (4) and type (4), then width and height.
  for (int i = 0; i < 4; ++i) {
    bytes[16 + i] = static_cast<char>(side >> (24 - 8 * i));
    bytes[20 + i] = static_cast<char>(side >> (24 - 8 * i));
  }
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + 12), 17);
  for (int i = 0; i < 4; ++i) bytes[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  return bytes;
}

// A PNG of some 30 KB whose pixels (16384 x 16384, one bit each) are all
// there, deflated: 32 MiB of rows, a gigabyte as a decoded picture.
inline std::string PngDeflateBomb() {
  constexpr uint32_t kSide = 16384;
  auto be32 = [](uint32_t v) {
    return std::string({static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                        static_cast<char>(v)});
  };
  auto chunk = [&](const char* type, const std::string& data) {
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return be32(static_cast<uint32_t>(data.size())) + body + be32(static_cast<uint32_t>(crc));
  };
  std::string ihdr = be32(kSide) + be32(kSide) + std::string("\x01\x00\x00\x00\x00", 5);  // 1-bit grey
  z_stream z{};
  deflateInit(&z, 9);
  const std::string row(kSide / 8 + 1, '\0');  // filter byte and the row
  std::string idat;
  std::vector<unsigned char> out(1 << 16);
  for (uint32_t y = 0; y <= kSide; ++y) {
    const bool last = y == kSide;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.data()));
    z.avail_in = last ? 0 : static_cast<uInt>(row.size());
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      idat.append(reinterpret_cast<char*>(out.data()), out.size() - z.avail_out);
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", idat) + chunk("IEND", "");
}

// A WebP of a few dozen bytes: a 16384 x 16384 canvas with one 1 x 1 frame.
inline std::string WebPCanvasBomb() {
  const std::vector<uint8_t> webp = qv::EncodeWebP(qv::TBitmap32(1, 1), {.lossless = true, .exif = qv::ExifBlock(1)});
  std::string bytes(webp.begin(), webp.end());
  // "RIFF", size, "WEBP", "VP8X", its length, flags (4), then the canvas
  // width and height less one, 24 bits each.
  for (int i = 0; i < 3; ++i) {
    bytes[24 + i] = static_cast<char>(0x3FFF >> (8 * i));
    bytes[27 + i] = static_cast<char>(0x3FFF >> (8 * i));
  }
  return bytes;
}

}  // namespace qvtest
