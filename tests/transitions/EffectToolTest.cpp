#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/Pictures.h"
#include "common/Random.h"
#include "graphics/ImageFormats/BMPLoader.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/TempDir.h"
#include "transitions/PSEffect.h"
#include "transitions/uTransitionRunner.h"

using qvtest::TempDir;

namespace {

const std::string kTool = QV_QVTOOL;

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct TResult {
  int exitCode = -1;
  std::string err;
};

// Runs a shell command line, keeping what it wrote to stderr.
TResult RunTool(const std::string& command, const TempDir& dir) {
  const std::string err = dir.file("stderr.txt");
  const int status = std::system((command + " >/dev/null 2>" + Quote(err) + " </dev/null").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, qvtest::ReadFile(err)};
}

void Save24(const qv::TBitmap32& b, const std::string& path) {
  const std::vector<uint8_t> bytes = qv::EncodeBMP24(b);
  qvtest::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

qv::TBitmap32 Load(const std::string& path) {
  const std::string bytes = qvtest::ReadFile(path);
  return qv::DecodeBMP(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(QvtoolEffect, RendersTheFrameTheRunnerDrawsFromTwentyFourBitPictures) {
  TempDir dir;
  // 24-bit files come back with an alpha of 255.
  qv::TBitmap32 old = qvtest::Pattern(97, 41, 1), fresh = qvtest::Pattern(97, 41, 2);
  for (qv::TBitmap32* b : {&old, &fresh})
    for (int i = 0; i < 97 * 41; ++i) b->Bits()[i] |= 0xFF000000u;
  Save24(old, dir.file("old.bmp"));
  Save24(fresh, dir.file("new.bmp"));
  for (int effect : {1, 3, 121}) {
    const std::string out = dir.file("out" + std::to_string(effect) + ".bmp");
    const auto r = RunTool(kTool + " effect " + std::to_string(effect) + " --percent 37 --old " +
                           Quote(dir.file("old.bmp")) + " --new " + Quote(dir.file("new.bmp")) +
                           " --out " + Quote(out) + " --seed 5",
                       dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    qv::TBitmap32 want;
    qv::RandSeed = 5;
    qv::RenderEffectFrame(qv::EffectTable(), effect, old, fresh, want, 37);
    EXPECT_EQ(Load(out), want) << "effect " << effect;
  }
}

TEST(QvtoolEffect, RefusesPicturesOfDifferentSizesAndNumbersOutOfRange) {
  TempDir dir;
  Save24(qvtest::Pattern(10, 10, 1), dir.file("a.bmp"));
  Save24(qvtest::Pattern(10, 11, 1), dir.file("b.bmp"));
  const std::string files = " --old " + Quote(dir.file("a.bmp")) + " --new ";
  const std::string out = " --out " + Quote(dir.file("o.bmp"));
  EXPECT_EQ(RunTool(kTool + " effect 1 --percent 5" + files + Quote(dir.file("b.bmp")) + out, dir).exitCode, 2);
  EXPECT_EQ(RunTool(kTool + " effect 170 --percent 5" + files + Quote(dir.file("a.bmp")) + out, dir).exitCode, 2);
  EXPECT_EQ(RunTool(kTool + " effect 1 --percent 101" + files + Quote(dir.file("a.bmp")) + out, dir).exitCode, 2);
  EXPECT_EQ(RunTool(kTool + " effect 1 --percent 5" + files + Quote(dir.file("missing.bmp")) + out, dir).exitCode, 2);
  EXPECT_EQ(RunTool(kTool + " effect 1 --percent 5" + files + Quote(dir.file("a.bmp")) + out, dir).exitCode, 0);
}
