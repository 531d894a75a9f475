#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "support/Run.h"
#include "support/TempDir.h"

using qvtest::Quote;
using qvtest::RunCommand;
using qvtest::TempDir;
using qvtest::WriteFile;

namespace {

const std::string kTool = QV_QVTOOL;

struct TKey {
  std::string key, ini, json;
};

// Every object key with a value other than its default, and what info says.
std::vector<TKey> CommonKeys() {
  return {{"Width", "12", "12"},          {"Height", "34", "34"},
          {"Scaled", "0", "true"},        {"WidthSize", "150", "150"},
          {"HeightSize", "50", "50"},     {"MoveAreaRectleft", "1", "1"},
          {"MoveAreaRecttop", "2", "2"},  {"MoveAreaRectright", "300", "300"},
          {"MoveAreaRectbottom", "200", "200"}, {"Speed", "7", "7"},
          {"InitialDir", "3", "3"},       {"PosLeftType", "4", "4"},
          {"PosTopType", "5", "5"},       {"PosLeft", "-11", "-11"},
          {"PosTop", "22", "22"},         {"ObjFacing", "0", "0"},
          {"Opacity", "6", "6"},          {"DisplaySec", "2", "2"},
          {"DisplayDurationType", "1", "1"}, {"DisplayDurationSec", "9", "9"},
          {"DIsplayDurationCycle", "4", "4"}, {"Motion", "7", "7"},
          {"MotionSpeed", "33", "33"},    {"MotionAreaType", "1", "1"},
          {"DirFlip", "1", "true"},       {"Redisplay", "0", "false"},
          {"ResetPos", "0", "false"},     {"RestrictArea", "0", "false"}};
}

std::string Section(int n, const std::string& type, const std::vector<TKey>& keys) {
  std::string s = "[Obj" + std::to_string(n) + "]\r\nObjType=" + type + "\r\n";
  for (const TKey& k : keys) s += k.key + "=" + k.ini + "\r\n";
  return s;
}

// The n-th object of info's "objects" list.
std::string ObjectJson(const std::string& out, int n) {
  size_t at = out.find("\"objects\":[");
  for (int i = 0; i <= n && at != std::string::npos; ++i) at = out.find("{\"ObjType\"", at + 1);
  if (at == std::string::npos) return "";
  return out.substr(at, out.find('}', at) - at + 1);
}

class Qvp : public ::testing::Test {
 protected:
  TempDir dir;
  std::string picture, mask;
  void SetUp() override {
    qv::TBitmap32 pic(40, 30);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) pic.SetPixel(x, y, 0xFF000000u | uint32_t(x * 6) << 16 | uint32_t(y * 8));
    const std::vector<uint8_t> jpeg = qv::EncodeJPEG(pic);
    picture = dir.file("picture.jpg");
    WriteFile(picture, std::string(jpeg.begin(), jpeg.end()));
    // Rows 0-9 area 1, 10-14 area 2, a 10 x 3 block of area 3, one pixel of area 4.
    qv::TBitmap32 m(40, 30);
    m.Clear(0xFF000000u);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        if (y < 10) m.SetPixel(x, y, 0xFF0000FFu);
        else if (y < 15) m.SetPixel(x, y, 0xFFFF00FFu);
        else if (y < 18 && x < 10) m.SetPixel(x, y, 0xFFFF0000u);
      }
    m.SetPixel(39, 29, 0xFFFFFF00u);
    mask = dir.file("mask.bmp");
    qv::SaveBMP32(m, mask);
  }
  qvtest::RunResult Run(const std::string& args) { return RunCommand(kTool + " qvp " + args, dir); }
};

TEST_F(Qvp, MakeThenInfoRoundTripsEveryField) {
  WriteFile(dir.file("areas.ini"),
            "[Area1]\nAmplitude=3\nWaveCount=2\nSpeed=5\nForward=0\nHorizontal=1\nVertical=1\nPerspective=1\n"
            "Period=180\nJitter=4\nReflection=1\n[Area4]\nAmplitude=-7\nSpeed=-2\n");
  WriteFile(dir.file("weather.ini"), "[Weather]\nKind=2\nCount=5000\nSpeedLevel=12\nAngle=75\nLength=30\nOpacity=0\n");
  std::vector<TKey> gif = {{"Filename", "C:\\Sprites\\gull bird.gif", "\"C:\\\\Sprites\\\\gull bird.gif\""},
                           {"AnimSpeed", "20", "20"},
                           {"Transparent", "0", "false"},
                           {"TransparentType", "2", "2"},
                           {"TransparentColor", "255", "255"},
                           {"RefreshFrame", "1", "true"}};
  std::vector<TKey> img = {{"Filename", "boat.bmp", "\"boat.bmp\""},
                           {"Transparent", "0", "false"},
                           {"TransparentType", "0", "0"},
                           {"TransparentColor", "-2147483633", "-2147483633"}};
  for (const TKey& k : CommonKeys()) {
    gif.push_back(k);
    img.push_back(k);
  }
  WriteFile(dir.file("objects.ini"), Section(0, "GIF", gif) + Section(1, "IMG", img));
  WriteFile(dir.file("build.ini"),
            "[BuildScr]\nFilename=Harbour Night.scr\nMusicFile=C:\\Music\\a \"b\".mp3\nMusic=1\nSound=0\n"
            "[BuildExe]\nFilename=harbour.exe\n");
  const std::vector<uint8_t> preview = qv::EncodeJPEG(qv::TBitmap32(20, 15));
  WriteFile(dir.file("preview.jpg"), std::string(preview.begin(), preview.end()));

  const auto made = Run("make --picture " + Quote(picture) + " --mask " + Quote(mask) + " --preview " +
                        Quote(dir.file("preview.jpg")) + " --title " + Quote("Harbour \"at night\"") +
                        " --comment " + Quote("second, text") + " --areas " + Quote(dir.file("areas.ini")) +
                        " --weather " + Quote(dir.file("weather.ini")) + " --sound " + Quote("gull.wav,1,5,20") +
                        " --sound " + Quote("C:\\Sounds\\sea, waves.wav,0,0,0") + " --sound " +
                        Quote("bell.wav,2,30,0") + " --objects " + Quote(dir.file("objects.ini")) + " --build " +
                        Quote(dir.file("build.ini")) + " --out " + Quote(dir.file("x.qvp")));
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const auto info = Run("info " + Quote(dir.file("x.qvp")));
  ASSERT_EQ(info.exitCode, 0) << info.err;
  const std::string& out = info.out;
  const std::string expected[] = {
      R"("title":"Harbour \"at night\"")",
      R"("comment":"second, text")",
      R"("picture":[40,30])",
      R"("preview":[20,15])",
      R"("mask":[40,30])",
      R"("mask_pixels":[569,400,200,30,1])",
      R"("areas":[{"Amplitude":3,"WaveCount":2,"Speed":5,"Forward":0,"Horizontal":true,"Vertical":true,)"
      R"("Perspective":true,"Period":180,"Jitter":4,"Reflection":true},)",
      R"({"Amplitude":-7,"WaveCount":0,"Speed":-2,"Forward":1,"Horizontal":false,"Vertical":false,)"
      R"("Perspective":false,"Period":360,"Jitter":0,"Reflection":false}])",
      R"("weather":{"Kind":2,"Count":5000,"SpeedLevel":12,"Angle":75,"Length":30,"Opacity":6})",
      R"("sounds":[{"name":"gull.wav","mode":1,"a":5,"b":20},{"name":"C:\\Sounds\\sea, waves.wav","mode":0,)"
      R"("a":0,"b":0},{"name":"bell.wav","mode":2,"a":30,"b":0}])",
      R"("build":{"BuildScr":{"Filename":"Harbour Night.scr","MusicFile":"C:\\Music\\a \"b\".mp3","Music":true,)"
      R"("Sound":false},"BuildExe":{"Filename":"harbour.exe","MusicFile":"","Music":false,"Sound":true}})",
  };
  for (const std::string& fragment : expected) EXPECT_NE(out.find(fragment), std::string::npos) << fragment << "\n" << out;

  const std::string gifJson = ObjectJson(out, 0), imgJson = ObjectJson(out, 1);
  EXPECT_EQ(gifJson.rfind("{\"ObjType\":\"GIF\"", 0), 0u) << gifJson;
  EXPECT_EQ(imgJson.rfind("{\"ObjType\":\"IMG\"", 0), 0u) << imgJson;
  for (const TKey& k : gif) EXPECT_NE(gifJson.find("\"" + k.key + "\":" + k.json), std::string::npos) << k.key << "\n" << gifJson;
  for (const TKey& k : img) EXPECT_NE(imgJson.find("\"" + k.key + "\":" + k.json), std::string::npos) << k.key << "\n" << imgJson;
  EXPECT_EQ(imgJson.find("AnimSpeed"), std::string::npos) << "a still picture has no GIF keys";
  EXPECT_EQ(ObjectJson(out, 2), "");
}

TEST_F(Qvp, WithoutAPreviewThePictureIsMadeSmall) {
  qv::TBitmap32 big(400, 100);
  big.Clear(0xFF808080u);
  const std::vector<uint8_t> jpeg = qv::EncodeJPEG(big);
  WriteFile(dir.file("big.jpg"), std::string(jpeg.begin(), jpeg.end()));
  qv::TBitmap32 m(400, 100);
  qv::SaveBMP32(m, dir.file("big-mask.bmp"));
  ASSERT_EQ(Run("make --picture " + Quote(dir.file("big.jpg")) + " --mask " + Quote(dir.file("big-mask.bmp")) +
                " --out " + Quote(dir.file("big.qvp")))
                .exitCode,
            0);
  const auto info = Run("info " + Quote(dir.file("big.qvp")));
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find(R"("preview":[160,40])"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find(R"("mask_pixels":[40000,0,0,0,0])"), std::string::npos);
  EXPECT_NE(info.out.find(R"("sounds":[],"objects":[])"), std::string::npos);

  ASSERT_EQ(Run("make --picture " + Quote(picture) + " --mask " + Quote(mask) + " --out " + Quote(dir.file("s.qvp")))
                .exitCode,
            0);
  EXPECT_NE(Run("info " + Quote(dir.file("s.qvp"))).out.find(R"("preview":[40,30])"), std::string::npos)
      << "a small picture is not enlarged";
}

TEST_F(Qvp, FilesThatDoNotLoadExitTwoWithTheSystemsMessage) {
  WriteFile(dir.file("wrong.qvp"), "QV060698 and then some");
  auto r = Run("info " + Quote(dir.file("wrong.qvp")));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "qvtool qvp: " + dir.file("wrong.qvp") + ": Incorrect Project File!\n");
  EXPECT_TRUE(r.out.empty());

  ASSERT_EQ(Run("make --picture " + Quote(picture) + " --mask " + Quote(mask) + " --out " + Quote(dir.file("x.qvp")))
                .exitCode,
            0);
  const std::string whole = qvtest::ReadFile(dir.file("x.qvp"));
  WriteFile(dir.file("cut.qvp"), whole.substr(0, 200));
  r = Run("info " + Quote(dir.file("cut.qvp")));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("Read beyond end of file"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);

  r = Run("info " + Quote(dir.file("none.qvp")));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("File not found"), std::string::npos);
}

TEST_F(Qvp, MakeRefusesMasksThatAreNoMasksAndBadArguments) {
  qv::TBitmap32 stray(40, 30);
  stray.SetPixel(5, 6, 0xFF123456u);
  qv::SaveBMP32(stray, dir.file("stray.bmp"));
  auto r = Run("make --picture " + Quote(picture) + " --mask " + Quote(dir.file("stray.bmp")) + " --out " +
               Quote(dir.file("x.qvp")));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("(5, 6) is #123456"), std::string::npos) << r.err;

  qv::SaveBMP32(qv::TBitmap32(41, 30), dir.file("wide.bmp"));
  r = Run("make --picture " + Quote(picture) + " --mask " + Quote(dir.file("wide.bmp")) + " --out " +
          Quote(dir.file("x.qvp")));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("41x30"), std::string::npos) << r.err;

  for (const char* sound : {"nameonly", "a.wav,x,1,2", ",1,2,3"}) {
    r = Run("make --picture " + Quote(picture) + " --mask " + Quote(mask) + " --sound " + Quote(sound) + " --out " +
            Quote(dir.file("x.qvp")));
    EXPECT_EQ(r.exitCode, 2) << sound;
  }
  EXPECT_EQ(Run("make --picture " + Quote(picture) + " --out " + Quote(dir.file("x.qvp"))).exitCode, 2);
  EXPECT_EQ(Run("frobnicate").exitCode, 2);
  EXPECT_EQ(Run("").exitCode, 2);
}

// A value the format or the engine cannot take is the maker's mistake: it is
// named with its key and range, never stored as 0.
TEST_F(Qvp, MakeRefusesValuesOutsideWhatTheFormatTakes) {
  auto make = [&](const std::string& extra) {
    return Run("make --picture " + Quote(picture) + " --mask " + Quote(mask) + " " + extra + " --out " +
               Quote(dir.file("x.qvp")));
  };
  WriteFile(dir.file("areas.ini"), "[Area1]\r\nAmplitude=abc\r\n");
  auto r = make("--areas " + Quote(dir.file("areas.ini")));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("[Area1] Amplitude=abc is not allowed: Amplitude takes a whole number from -16384 to 16384"),
            std::string::npos) << r.err;
  WriteFile(dir.file("areas.ini"), "[Area3]\r\nReflection=2\r\n");
  r = make("--areas " + Quote(dir.file("areas.ini")));
  EXPECT_NE(r.err.find("Reflection=2 is not allowed: Reflection takes a whole number from 0 to 1"), std::string::npos)
      << r.err;
  WriteFile(dir.file("weather.ini"), "[Weather]\r\nKind=3\r\n");
  r = make("--weather " + Quote(dir.file("weather.ini")));
  EXPECT_NE(r.err.find("Kind=3 is not allowed: Kind takes a whole number from 0 to 2"), std::string::npos) << r.err;
  r = make("--sound a,5,-1,2");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("MODE=5 is not allowed: MODE takes a whole number from 0 to 2"), std::string::npos) << r.err;
  r = make("--sound a,1,-1,2");
  EXPECT_NE(r.err.find("A=-1 is not allowed"), std::string::npos) << r.err;
  r = make("--sound a,1,9,2");
  EXPECT_NE(r.err.find("A (9) is more than B (2)"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.qvp")));
  // The edges of each range are taken.
  WriteFile(dir.file("areas.ini"), "[Area1]\r\nAmplitude=-16384\r\nPeriod=0\r\nJitter=16384\r\n");
  WriteFile(dir.file("weather.ini"), "[Weather]\r\nKind=2\r\nCount=1000\r\nSpeedLevel=20\r\nOpacity=10\r\n");
  r = make("--areas " + Quote(dir.file("areas.ini")) + " --weather " + Quote(dir.file("weather.ini")) +
           " --sound a,0,0,0 --sound b,2,86400,0");
  EXPECT_EQ(r.exitCode, 0) << r.err;
}

}  // namespace
