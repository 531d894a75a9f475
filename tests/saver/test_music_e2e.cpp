// Music through the real engine: SDL's disk audio driver writes what would be
// heard to a file, which the test listens to.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "support/Run.h"
#include "support/Sounds.h"
#include "support/Spawn.h"
#include "support/TempDir.h"

using qvtest::Quote;
namespace fs = std::filesystem;

namespace {

using qvtest::Tone;

class MusicOnDisk : public ::testing::Test {
 protected:
  qvtest::TempDir dir, tmp;

  void Pack() {
    qv::TBitmap32 b(64, 48);
    b.Clear(0xFFFF0000u);
    qv::SaveBMP32(b, dir.file("p.bmp"));
    qvtest::WriteFile(dir.file("low.wav"), Tone(440, 1.2));
    qvtest::WriteFile(dir.file("high.wav"), Tone(1000, 1.2));
    qvtest::WriteFile(dir.file("s.ini"), "[Advance]\r\nMusicMode=1\r\n");
    auto packed = qvtest::RunCommand(std::string(QV_QVTOOL) + " pack --engine " + Quote(QV_QVSAVER) + " --out " +
                                         Quote(dir.file("m.scr")) + " --settings " + Quote(dir.file("s.ini")) +
                                         " --music " + Quote(dir.file("low.wav")) + " --music " +
                                         Quote(dir.file("high.wav")) + " " + Quote(dir.file("p.bmp")),
                                     dir);
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
  }

  // Runs the saver for a while and ends it with a key.
  int PlayFor(int ms, const std::vector<std::string>& env) {
    std::vector<std::string> all = env;
    all.push_back("TMPDIR=" + tmp.path());
    all.push_back("ASAN_OPTIONS=detect_leaks=0");
    qvtest::Process saver({dir.file("m.scr"), "/S"}, all);
    EXPECT_TRUE(saver.Started());
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    EXPECT_TRUE(saver.Running()) << "the saver ended by itself";
    EXPECT_EQ(std::system("xdotool key q"), 0);
    EXPECT_TRUE(saver.Wait(2000));
    EXPECT_TRUE(fs::is_empty(tmp.path()));
    return saver.exitCode();
  }
};

// The zero crossings of the left channel in a stretch of 44.1 kHz 16-bit
// stereo, as a frequency; 0 for silence.
double Frequency(const std::string& pcm, size_t firstFrame, size_t frames) {
  auto left = [&](size_t f) {
    size_t at = f * 4;
    return static_cast<int16_t>(static_cast<uint8_t>(pcm[at]) | static_cast<uint8_t>(pcm[at + 1]) << 8);
  };
  double energy = 0;
  int crossings = 0;
  for (size_t f = firstFrame + 1; f < firstFrame + frames; ++f) {
    energy += std::abs(left(f));
    if ((left(f - 1) < 0) != (left(f) < 0)) ++crossings;
  }
  if (energy / frames < 300) return 0;
  return crossings / 2.0 / (frames / 44100.0);
}

TEST_F(MusicOnDisk, TheFirstTrackIsHeardAndTheSecondFollows) {
  Pack();
  const std::string out = dir.file("heard.raw");
  EXPECT_EQ(PlayFor(4000, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + out}), 0);
  const std::string pcm = qvtest::ReadFile(out);
  const size_t window = 4410, frames = pcm.size() / 4;
  ASSERT_GT(frames, 44100u) << "less than a second of audio was written";
  std::vector<double> heard;
  for (size_t f = 0; f + window <= frames; f += window) heard.push_back(Frequency(pcm, f, window));
  // Low, then high, then low again: in list order the tracks take turns.
  std::vector<char> sequence;
  for (double hz : heard) {
    char c = std::abs(hz - 440) < 40 ? 'L' : std::abs(hz - 1000) < 60 ? 'H' : 0;
    if (c && (sequence.empty() || sequence.back() != c)) sequence.push_back(c);
  }
  ASSERT_GE(sequence.size(), 2u) << "the music was not heard as two tracks";
  EXPECT_EQ(sequence[0], 'L');
  EXPECT_EQ(sequence[1], 'H');
  if (sequence.size() > 2) {
    EXPECT_EQ(sequence[2], 'L');
  }
}

TEST_F(MusicOnDisk, WithoutAnySoundDeviceTheSlideshowStillRuns) {
  Pack();
  EXPECT_EQ(PlayFor(1500, {"SDL_AUDIODRIVER=nosuchdevice"}), 0);
}

}  // namespace
