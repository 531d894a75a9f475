// Peak memory of decoding tiny files that declare huge pictures: each bomb
// is decoded in a child process, as the slideshow would load it (fitted to a
// 1920 x 1080 screen) and at its own size, and the child's peak resident
// memory is reported beside the peak of a child that decodes nothing.
// Not a timed benchmark: run it and read the table.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "common/Error.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "support/PictureBombs.h"

namespace {

// Runs `work` in a child; its peak resident memory in MiB, and whether it
// refused the picture.
void Measure(const char* name, const std::function<void()>& work) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    int refused = 0;
    try {
      work();
    } catch (const qv::EQVError&) {
      refused = 1;
    } catch (const std::bad_alloc&) {
      refused = 2;
    }
    ::_exit(refused);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  const char* outcome = !WIFEXITED(status)        ? "killed"
                        : WEXITSTATUS(status) == 1 ? "refused"
                        : WEXITSTATUS(status) == 2 ? "out of memory"
                                                   : "decoded";
  std::printf("%-44s peak %7.1f MiB   %s\n", name, usage.ru_maxrss / 1024.0, outcome);
}

void Decode(const std::string& bytes, qv::TDecodeHint hint) {
  qv::DecodePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "bomb", hint);
}

}  // namespace

int main() {
  const std::string gif = qvtest::GifScreenBomb();
  const std::string jpeg = qvtest::ProgressiveJpegBomb();
  const std::string bmp = qvtest::Rle8BitmapBomb();
  const std::string png = qvtest::PngSizeBomb();
  const std::string deflated = qvtest::PngDeflateBomb();
  const std::string webp = qvtest::WebPCanvasBomb();
  const qv::TDecodeHint screen{1920, 1080};
  std::printf("bombs: GIF %zu bytes (16384 x 16384 screen), progressive JPEG %zu bytes (13000 x 13000), "
              "RLE8 BMP %zu bytes (16384 x 16384)\n",
              gif.size(), jpeg.size(), bmp.size());
  std::printf("       PNG %zu bytes (65535 x 65535), deflated PNG %zu bytes (16384 x 16384, all rows), "
              "WebP %zu bytes (16384 x 16384 canvas)\n",
              png.size(), deflated.size(), webp.size());
  Measure("floor: a child that decodes nothing", [] {});
  Measure("GIF, fitted to 1920 x 1080", [&] { Decode(gif, screen); });
  Measure("progressive JPEG, fitted to 1920 x 1080", [&] { Decode(jpeg, screen); });
  Measure("progressive JPEG, its own size", [&] { Decode(jpeg, {}); });
  Measure("RLE8 BMP", [&] { Decode(bmp, {}); });
  Measure("PNG declaring 65535 x 65535", [&] { Decode(png, screen); });
  Measure("PNG of 16384 x 16384 deflated rows", [&] { Decode(deflated, screen); });
  Measure("WebP canvas, fitted to 1920 x 1080", [&] { Decode(webp, screen); });
  return 0;
}
