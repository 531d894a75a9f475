// A screensaver of solid colours, one picture a colour, packed by qvtool:
// what a test reads back from a screen tells which picture shows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/Run.h"
#include "support/TempDir.h"

namespace qvtest {

// Packs one w x h picture per colour (0xAARRGGBB), with `settings` as the
// settings file's text, onto the engine as `out`; the tool's exit and output.
inline RunResult PackColours(TempDir& dir, const std::string& out, const std::vector<uint32_t>& colours, int w, int h,
                             const std::string& settings) {
  std::string pictures;
  for (uint32_t colour : colours) {
    qv::TBitmap32 b(w, h);
    b.Clear(colour);
    const std::string name = dir.file("colour-" + std::to_string(colour & 0xFFFFFF) + ".bmp");
    qv::SaveBMP32(b, name);
    pictures += ' ';
    pictures += Quote(name);
  }
  WriteFile(dir.file("colours.ini"), settings);
  return RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " + Quote(out) +
                        " --settings " + Quote(dir.file("colours.ini")) + pictures,
                    dir);
}

}  // namespace qvtest
