// qvtool effect: one frame of a transition effect, rendered as the runner does.
#include <charconv>
#include <cstdint>
#include <string>

#include "Commands.h"
#include "Options.h"
#include "ToolFiles.h"
#include "common/Error.h"
#include "common/Random.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "transitions/PSEffect.h"
#include "transitions/uTransitionRunner.h"

namespace qvtool {

namespace {

}  // namespace

int Effect(const Args& args) {
  std::vector<std::string> effectText;
  std::string percentText, oldPath, newPath, outPath, seedText = "0";
  TOptionReader options("usage: qvtool effect N --percent P --old OLD.bmp --new NEW.bmp --out OUT.bmp [--seed S]");
  options.Value("--percent", percentText)
      .Value("--old", oldPath)
      .Value("--new", newPath)
      .Value("--out", outPath)
      .Value("--seed", seedText)
      .Plain(effectText, 1, 1)
      .Read(args);
  if (percentText.empty() || oldPath.empty() || newPath.empty() || outPath.empty())
    throw UsageError{options.Usage()};
  const int effect = static_cast<int>(ParseNumber(effectText[0], 1, qv::kEffectCount, "the effect number"));
  const int percent = static_cast<int>(ParseNumber(percentText, 0, 100, "--percent"));
  const auto seed = static_cast<uint32_t>(ParseNumber(seedText, 0, UINT32_MAX, "--seed"));

  const qv::TBitmap32 oldPicture = ReadPicture(oldPath);
  const qv::TBitmap32 newPicture = ReadPicture(newPath);
  if (oldPicture.Width() != newPicture.Width() || oldPicture.Height() != newPicture.Height())
    throw UsageError{"the old picture is " + std::to_string(oldPicture.Width()) + "x" +
                     std::to_string(oldPicture.Height()) + " but the new one is " +
                     std::to_string(newPicture.Width()) + "x" +
                     std::to_string(newPicture.Height())};

  qv::RandSeed = seed;
  qv::TBitmap32 frame;
  qv::RenderEffectFrame(qv::EffectTable(), effect, oldPicture, newPicture, frame, percent);
  qv::SaveBMP32(frame, outPath);
  return 0;
}

}  // namespace qvtool
