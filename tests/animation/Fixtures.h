// Animated-picture files, sprites and worlds for the animation tests, all
// made here: JPEG through libjpeg, GIF through giflib, BMP by our writer.
#pragma once
#include <gif_lib.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "animation/uAnimObjects.h"
#include "animation/uFileLoader.h"
#include "animation/uProject.h"
#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "platform/doubles/ManualClock.h"
#include "platform/doubles/SteppedWorkers.h"
#include "support/TempDir.h"

namespace qvtest {

using Bytes = std::vector<uint8_t>;

inline qv::TBitmap32 Filled(int w, int h, uint32_t color) {
  qv::TBitmap32 b(w, h);
  b.Clear(color);
  return b;
}

inline Bytes Jpeg(int w, int h, uint32_t color = 0xFF336699u) { return qv::EncodeJPEG(Filled(w, h, color), 95); }

// A w x h mask: the left half of the top row area 1, the rest outside, then
// the bottom row area 4.
inline std::vector<int32_t> SimpleMask(int w, int h) {
  std::vector<int32_t> m = {w, h, (w / 2) * 10 + 1, (w * (h - 1) - w / 2) * 10, w * 10 + 4};
  return m;
}

// A complete file of a 16 x 8 picture with every part set.
inline qv::TProjectFileParts FullParts() {
  qv::TProjectFileParts p;
  p.title = "Harbour";
  p.comment = "at dusk";
  p.preview = Jpeg(8, 4);
  p.areas[0] = {3, 2, 5, 1, true, false, true, 360, 4, true};
  p.areas[3] = {-1, 7, -5, 0, false, true, false, 180, 0, false};
  p.mask = SimpleMask(16, 8);
  p.picture = Jpeg(16, 8);
  p.weather = {1, 200, 3, 60, 12, 0};
  p.sounds[0] = {"C:\\Sounds\\gull.wav", 1, 5, 20};
  p.sounds[1] = {"waves.wav", 0, 0, 0};
  p.objects = "[Obj0]\r\nObjType=IMG\r\nFilename=boat.bmp\r\n";
  p.build = "[BuildScr],Filename=harbour.scr,\"MusicFile=C:\\My Music\\sea.mp3\",Music=1,Sound=0";
  return p;
}

inline std::string WriteProject(const TempDir& dir, const std::string& name, const qv::TProjectFileParts& parts) {
  const Bytes bytes = qv::EncodeProjectFile(parts);
  WriteFile(dir.file(name), std::string(bytes.begin(), bytes.end()));
  return dir.file(name);
}

inline std::string WriteBmp(const TempDir& dir, const std::string& name, const qv::TBitmap32& b) {
  qv::SaveBMP32(b, dir.file(name));
  return dir.file(name);
}

// One GIF frame: its rectangle, delay, disposal, transparent index and
// indices into the global table.
struct TSpriteFrame {
  int left, top, width, height;
  int delayMs;
  int disposal;
  int transparent;
  std::vector<uint8_t> indices;
  // With no transparent index: the index the graphic control holds beside
  // its cleared flag (-1: giflib's own).
  int controlIndex = -1;
};

inline int AppendGif(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

// A GIF with the global table `colors` (0xRRGGBB, at most 256).
inline Bytes SpriteGif(int w, int h, const std::vector<uint32_t>& colors, const std::vector<TSpriteFrame>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, AppendGif, &error);
  int size = 2;
  while (size < static_cast<int>(colors.size())) size *= 2;
  std::vector<GifColorType> table(static_cast<size_t>(size), GifColorType{0, 0, 0});
  for (size_t i = 0; i < colors.size(); ++i)
    table[i] = GifColorType{static_cast<GifByteType>(colors[i] >> 16), static_cast<GifByteType>(colors[i] >> 8),
                            static_cast<GifByteType>(colors[i])};
  ColorMapObject* map = GifMakeMapObject(size, table.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, w, h, 8, 0, map);
  for (const TSpriteFrame& f : frames) {
    GraphicsControlBlock gcb{f.disposal, false, f.delayMs / 10, f.transparent};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    if (f.transparent < 0 && f.controlIndex >= 0) ext[3] = static_cast<GifByteType>(f.controlIndex);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, nullptr);
    std::vector<GifPixelType> line(static_cast<size_t>(f.width));
    for (int y = 0; y < f.height; ++y) {
      std::copy_n(f.indices.begin() + y * f.width, f.width, line.begin());
      EGifPutLine(gif, line.data(), f.width);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

// A world for objects on the manual clock with stepped workers; pictures are
// looked for in `dir`.
struct TSteppedWorld {
  qv::platform::TManualClock clock{1000};
  qv::platform::TSteppedWorkers workers{clock};
  TempDir dir;
  qv::TAnimEnvironment env() {
    return qv::TAnimEnvironment{&clock, &workers, [this](const std::string& stored) {
                                  return stored.find('/') == std::string::npos ? dir.file(stored) : stored;
                                }};
  }
};

// The objects a description text lists, brought to life on an environment,
// as the engine brings them when it starts a picture.
class TLiveObjects {
 public:
  explicit TLiveObjects(const qv::TAnimEnvironment& environment) : environment_(environment) {}
  void Load(std::string_view text) {
    list_.reset();
    list_ = std::make_unique<qv::TAnimObjects>(environment_, qv::ReadObjectDescriptions(text));
  }
  size_t Count() const { return list_ ? list_->Count() : 0; }
  bool Empty() const { return Count() == 0; }
  qv::TAnimObject& operator[](size_t index) { return (*list_)[index]; }

 private:
  qv::TAnimEnvironment environment_;
  std::unique_ptr<qv::TAnimObjects> list_;
};

}  // namespace qvtest
