// qvtool effect: one frame of a transition effect, rendered as the runner does.
#include <charconv>
#include <cstdint>
#include <string>

#include "Commands.h"
#include "common/Error.h"
#include "common/Random.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "transitions/PSEffect.h"
#include "transitions/uTransitionRunner.h"

namespace qvtool {

namespace {

template <typename T>
T Number(const std::string& text, T lo, T hi, const char* what) {
  T value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi)
    throw UsageError{std::string(what) + " must be a whole number from " + std::to_string(lo) +
                     " to " + std::to_string(hi) + ", not \"" + text + "\""};
  return value;
}

}  // namespace

int Effect(const Args& args) {
  std::string effectText, percentText, oldPath, newPath, outPath, seedText = "0";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
      return args[++i];
    };
    if (a == "--percent") percentText = value();
    else if (a == "--old") oldPath = value();
    else if (a == "--new") newPath = value();
    else if (a == "--out") outPath = value();
    else if (a == "--seed") seedText = value();
    else if (a.starts_with("--")) throw UsageError{"unknown option " + a};
    else if (effectText.empty()) effectText = a;
    else throw UsageError{"unexpected argument \"" + a + "\""};
  }
  if (effectText.empty() || percentText.empty() || oldPath.empty() || newPath.empty() ||
      outPath.empty())
    throw UsageError{"usage: effect N --percent P --old OLD.bmp --new NEW.bmp --out OUT.bmp [--seed S]"};
  const int effect = Number<int>(effectText, 1, qv::kEffectCount, "the effect number");
  const int percent = Number<int>(percentText, 0, 100, "--percent");
  const uint32_t seed = Number<uint32_t>(seedText, 0, UINT32_MAX, "--seed");

  const qv::TBitmap32 oldPicture = qv::LoadPicture(oldPath).bitmap;
  const qv::TBitmap32 newPicture = qv::LoadPicture(newPath).bitmap;
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
