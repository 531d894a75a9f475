#include <gtest/gtest.h>

#include <array>

#include "Fixtures.h"
#include "animation/uFileLoader.h"
#include "common/Error.h"

namespace {

using qv::EQVError;
using qv::TFileLoader;
using qv::TMyStream;
using qv::TProjectFileParts;
using qvtest::Bytes;

// The error message of reading `bytes` fully, or "" when it reads.
std::string ReadError(const Bytes& bytes, TFileLoader* loader = nullptr) {
  TFileLoader own;
  TMyStream stream(bytes);
  try {
    (loader ? *loader : own).Read(stream);
  } catch (const EQVError& e) {
    return e.what();
  }
  return "";
}

// The byte offset where field 12 (the sound slots) starts.
size_t EndOfWeather(TProjectFileParts parts) {
  parts.later = 0;
  return qv::EncodeProjectFile(parts).size();
}

int CountOf(const qv::TBitmap32& mask, uint32_t value) {
  int n = 0;
  for (int i = 0; i < mask.Width() * mask.Height(); ++i) n += mask.Bits()[i] == value;
  return n;
}

TEST(FileLoader, EveryFieldReadsBackAsWritten) {
  const TProjectFileParts parts = qvtest::FullParts();
  TFileLoader loader;
  ASSERT_EQ(ReadError(qv::EncodeProjectFile(parts), &loader), "");
  const TProjectFileParts& got = loader.Parts();
  EXPECT_EQ(loader.Title(), "Harbour");
  EXPECT_EQ(loader.Comment(), "at dusk");
  EXPECT_EQ(got.preview, parts.preview);
  EXPECT_EQ(got.areas, parts.areas);
  EXPECT_EQ(got.mask, parts.mask);
  EXPECT_EQ(got.picture, parts.picture);
  EXPECT_EQ(loader.Sound(), "<NO SOUND>");
  EXPECT_EQ(got.weather, parts.weather);
  EXPECT_EQ(got.sounds, parts.sounds);
  EXPECT_EQ(loader.Objects(), parts.objects);
  EXPECT_EQ(loader.BuildSettings(), parts.build);
  EXPECT_EQ(got.later, 3);

  qv::TBitmap32 picture, preview, mask;
  loader.CopyPicture(picture);
  loader.CopyPreview(preview);
  loader.CopyMask(mask);
  EXPECT_EQ(picture.Width(), 16);
  EXPECT_EQ(picture.Height(), 8);
  EXPECT_EQ(preview.Width(), 8);
  EXPECT_EQ(preview.Height(), 4);
  ASSERT_EQ(mask.Width(), 16);
  ASSERT_EQ(mask.Height(), 8);
  EXPECT_EQ(mask.Pixel(0, 0), 0x0000FFu) << "area 1 as 0x00RRGGBB";
  EXPECT_EQ(mask.Pixel(7, 0), 0x0000FFu);
  EXPECT_EQ(mask.Pixel(8, 0), 0u);
  EXPECT_EQ(mask.Pixel(15, 7), 0xFFFF00u) << "area 4";
  EXPECT_EQ(CountOf(mask, 0x0000FF), 8);
  EXPECT_EQ(CountOf(mask, 0xFFFF00), 16);

  std::array<qv::TWaveParam, 4> areas;
  loader.CopyAreas(areas);
  EXPECT_EQ(areas[0].Amplitude, 3);
  EXPECT_TRUE(areas[0].Reflection);
  EXPECT_FALSE(areas[0].Vertical);
  EXPECT_EQ(areas[3].Speed, -5);
  EXPECT_EQ(areas[3].Period, 180);
}

TEST(FileLoader, RecordsSitAtTheirByteOffsets) {
  TProjectFileParts parts = qvtest::FullParts();
  parts.title = parts.comment = "";
  parts.preview = qvtest::Jpeg(1, 1);
  const Bytes bytes = qv::EncodeProjectFile(parts);
  const size_t areas = 8 + 4 + 4 + 4 + parts.preview.size() + 4;
  EXPECT_EQ(qv::LoadLE32(bytes.data() + areas - 4), 4u) << "area count";
  const uint8_t* a0 = bytes.data() + areas;
  EXPECT_EQ(qv::LoadLE32(a0 + 8), 5u) << "Speed at 8";
  EXPECT_EQ(a0[16], 1) << "Horizontal at 16";
  EXPECT_EQ(a0[18], 1) << "Perspective at 18";
  EXPECT_EQ(qv::LoadLE32(a0 + 20), 360u) << "Period at 20";
  EXPECT_EQ(qv::LoadLE32(a0 + 24), 4u) << "Jitter at 24";
  EXPECT_EQ(a0[29], 1) << "Reflection at 29";
  const size_t slots = EndOfWeather(parts);
  EXPECT_EQ(qv::LoadLE32(bytes.data() + slots - 24 + 4), 200u) << "weather Count at 4";
  EXPECT_EQ(bytes[slots], 18) << "name length byte";
  EXPECT_EQ(qv::LoadLE32(bytes.data() + slots + 256), 1u) << "play mode at 256";
  EXPECT_EQ(qv::LoadLE32(bytes.data() + slots + 264), 20u) << "upper bound at 264";
  EXPECT_EQ(qv::LoadLE32(bytes.data() + slots + 8 * 268), parts.objects.size());
}

TEST(FileLoader, AFileMayEndAfterTheWeatherOrInsideTheLaterFields) {
  const TProjectFileParts parts = qvtest::FullParts();
  const Bytes bytes = qv::EncodeProjectFile(parts);
  const size_t weather = EndOfWeather(parts);
  const size_t objects = weather + 8 * 268;
  struct TCut {
    size_t at;
    int slotsRead;
    bool objectsRead;
  };
  for (TCut cut : {TCut{weather, 0, false}, TCut{weather + 1, 0, false}, TCut{weather + 268 + 10, 1, false},
                   TCut{objects, 8, false}, TCut{objects + 6, 8, false}, TCut{bytes.size() - 3, 8, true}}) {
    TFileLoader loader;
    ASSERT_EQ(ReadError(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut.at)), &loader), "") << cut.at;
    EXPECT_EQ(loader.Parts().weather, parts.weather) << cut.at;
    EXPECT_EQ(loader.Parts().sounds[0].Name, cut.slotsRead >= 1 ? parts.sounds[0].Name : "") << cut.at;
    EXPECT_EQ(loader.Parts().sounds[1].Name, cut.slotsRead >= 2 ? parts.sounds[1].Name : "") << cut.at;
    EXPECT_EQ(loader.Objects(), cut.objectsRead ? parts.objects : "") << cut.at;
    EXPECT_EQ(loader.BuildSettings(), "") << cut.at;
  }
}

TEST(FileLoader, AFileEndingAnywhereInsideTheFirstElevenFieldsFails) {
  TProjectFileParts parts = qvtest::FullParts();
  parts.later = 0;
  const Bytes bytes = qv::EncodeProjectFile(parts);
  for (size_t cut = 0; cut < bytes.size(); ++cut)
    EXPECT_EQ(ReadError(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut))), "Read beyond end of file")
        << "cut at " << cut;
  EXPECT_EQ(ReadError(bytes), "");
}

TEST(FileLoader, AWrongMagicIsAnIncorrectProjectFile) {
  Bytes bytes = qv::EncodeProjectFile(qvtest::FullParts());
  bytes[7] = '8';
  EXPECT_EQ(ReadError(bytes), "Incorrect Project File!");
  TFileLoader loader;
  TMyStream stream(bytes);
  EXPECT_THROW(loader.ReadHeader(stream), EQVError);
}

TEST(FileLoader, AbsurdLengthsFailBeforeAnythingIsMade) {
  const Bytes good = qv::EncodeProjectFile(qvtest::FullParts());
  Bytes title = good;
  qv::StoreLE32(title.data() + 8, 0x7FFFFFFFu);  // a 2 GiB title in a small file
  EXPECT_EQ(ReadError(title), "Read beyond end of file");
  qv::StoreLE32(title.data() + 8, 0xFFFFFFFFu);
  EXPECT_EQ(ReadError(title), "Read beyond end of file");

  TProjectFileParts parts = qvtest::FullParts();
  parts.title = parts.comment = "";
  Bytes mask = qv::EncodeProjectFile(parts);
  const size_t maskLength = 8 + 4 + 4 + 4 + parts.preview.size() + 4 + 4 * 32;
  ASSERT_EQ(qv::LoadLE32(mask.data() + maskLength), parts.mask.size());
  for (uint32_t absurd : {0x7FFFFFFFu, 0x40000001u, 0x80000000u, 0xFFFFFFFFu}) {
    qv::StoreLE32(mask.data() + maskLength, absurd);
    EXPECT_EQ(ReadError(mask), "Read beyond end of file") << absurd;
  }
}

// Surplus area records are passed over and noted, so the picture plays; a
// count whose records are not there, or a negative one, is refused.
TEST(FileLoader, AreaRecordsPastFourArePassedOverAndFewerLeaveTheRestAlone) {
  const size_t countAt = 8 + 4 + 7 + 4 + 7 + 4 + qvtest::FullParts().preview.size();
  TProjectFileParts six = qvtest::FullParts();
  six.areas.resize(6);
  six.areas[4].Amplitude = 44;
  Bytes bytes = qv::EncodeProjectFile(six);
  TFileLoader surplus;
  ASSERT_EQ(ReadError(bytes, &surplus), "");
  std::array<qv::TWaveParam, 4> read;
  surplus.CopyAreas(read);
  EXPECT_EQ(read[0], six.areas[0]);
  EXPECT_EQ(surplus.Parts().areas.size(), 4u);
  ASSERT_EQ(surplus.Notes().size(), 1u);
  EXPECT_EQ(surplus.Notes()[0], "it holds 6 water areas; the first 4 play");
  EXPECT_EQ(surplus.Parts().picture, six.picture) << "the fields after them are read in place";
  for (int count : {100, -1}) {
    TProjectFileParts parts = qvtest::FullParts();
    Bytes cut = qv::EncodeProjectFile(parts);
    qv::StoreLE32(cut.data() + countAt, static_cast<uint32_t>(count));
    EXPECT_NE(ReadError(cut), "") << count;
  }
  TProjectFileParts two = qvtest::FullParts();
  two.areas.resize(2);
  TFileLoader loader;
  ASSERT_EQ(ReadError(qv::EncodeProjectFile(two), &loader), "");
  std::array<qv::TWaveParam, 4> areas;
  areas[3].Jitter = 77;
  loader.CopyAreas(areas);
  EXPECT_EQ(areas[0], two.areas[0]);
  EXPECT_EQ(areas[3].Jitter, 77);
}

TEST(FileLoaderMask, ATwoEntryListGivesAnUnsetMaskOfThatSize) {
  const qv::TBitmap32 mask = qv::DecodeMask(std::vector<int32_t>{5, 3});
  EXPECT_EQ(mask.Width(), 5);
  EXPECT_EQ(mask.Height(), 3);
  EXPECT_EQ(CountOf(mask, 0), 15);
}

TEST(FileLoaderMask, RunsFillRowsAndContinueOnTheNextRow) {
  const qv::TBitmap32 mask = qv::DecodeMask(std::vector<int32_t>{3, 2, 21, 32, 13});
  const uint32_t expected[6] = {0x0000FF, 0x0000FF, 0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF0000};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(mask.Bits()[i], expected[i]) << i;
  EXPECT_EQ(qv::DecodeMask(std::vector<int32_t>{3, 2, 10}).Bits()[1], 0u) << "runs short of the end leave the rest";
}

TEST(FileLoaderMask, UnknownCodesOverlongRunsAndBadSizesAreRefused) {
  struct TCase {
    std::vector<int32_t> entries;
    const char* says;
  };
  const TCase cases[] = {
      {{}, "no size"},
      {{4}, "no size"},
      {{3, 2, 25}, "unknown area code 5"},
      {{3, 2, 19}, "unknown area code 9"},
      {{3, 2, -10}, "negative run"},
      {{0, 2}, "too large or has no pixels"},
      {{-3, 2}, "too large or has no pixels"},
      {{16385, 1}, "too large or has no pixels"},
      {{16384, 16385}, "too large or has no pixels"},
      {{16384, 16384}, "too large or has no pixels"},  // 1 GiB of pixels
  };
  for (const TCase& c : cases) {
    try {
      qv::DecodeMask(c.entries);
      ADD_FAILURE() << c.says << ": decoded";
    } catch (const EQVError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST(FileLoaderMask, RunsPastTheLastPixelAreCutThere) {
  for (const std::vector<int32_t>& entries :
       {std::vector<int32_t>{3, 2, 61, 11}, std::vector<int32_t>{3, 2, 50, 21}, std::vector<int32_t>{3, 2, 2147483641}}) {
    bool surplus = false;
    const qv::TBitmap32 mask = qv::DecodeMask(entries, &surplus);
    EXPECT_TRUE(surplus);
    EXPECT_EQ(mask.Width() * mask.Height(), 6);
  }
  bool surplus = true;
  EXPECT_EQ(qv::DecodeMask(std::vector<int32_t>{3, 2, 61}, &surplus).Bits()[5], qv::kAreaColors[0]);
  EXPECT_FALSE(surplus) << "exactly to the last pixel";
}

TEST(FileLoaderMask, APictureOfAreaColoursCodesToRunsAndBack) {
  qv::TBitmap32 picture(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      picture.SetPixel(x, y, 0xFF000000u | (x + y < 4 ? qv::kAreaColors[(x * y) % 4] : 0u));
  const std::vector<int32_t> runs = qv::EncodeMask(picture);
  EXPECT_EQ(runs[0], 7);
  EXPECT_EQ(runs[1], 5);
  const qv::TBitmap32 back = qv::DecodeMask(runs);
  for (int i = 0; i < 35; ++i) EXPECT_EQ(back.Bits()[i], picture.Bits()[i] & 0xFFFFFF) << i;
  EXPECT_EQ(qv::EncodeMask(qvtest::Filled(4, 4, 0xFF0000FFu)), (std::vector<int32_t>{4, 4, 161}));

  picture.SetPixel(3, 4, 0xFF102030u);
  try {
    qv::EncodeMask(picture);
    FAIL() << "a colour that is no area colour was coded";
  } catch (const EQVError& e) {
    EXPECT_NE(std::string(e.what()).find("(3, 4) is #102030"), std::string::npos) << e.what();
  }
}

TEST(FileLoader, TheHeaderReadStopsAfterThePreview) {
  TProjectFileParts parts = qvtest::FullParts();
  parts.mask = {1, 1, 19};  // broken, but after the header
  TFileLoader loader;
  TMyStream stream(qv::EncodeProjectFile(parts));
  loader.ReadHeader(stream);
  EXPECT_EQ(loader.Title(), "Harbour");
  qv::TBitmap32 preview;
  loader.CopyPreview(preview);
  EXPECT_EQ(preview.Width(), 8);
  EXPECT_NE(ReadError(qv::EncodeProjectFile(parts)).find("unknown area code 9"), std::string::npos);
}

TEST(FileLoader, ABrokenPictureGivesTheDecodersError) {
  TProjectFileParts parts = qvtest::FullParts();
  parts.picture = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
  EXPECT_NE(ReadError(qv::EncodeProjectFile(parts)), "");
  parts = qvtest::FullParts();
  parts.preview.clear();
  EXPECT_NE(ReadError(qv::EncodeProjectFile(parts)), "");
}

TEST(FileLoader, OnlyRegularFilesAreRead) {
  qvtest::TempDir dir;
  TFileLoader loader;
  try {
    loader.ReadFile(dir.file("missing.qvp"));
    FAIL();
  } catch (const EQVError& e) {
    EXPECT_STREQ(e.what(), "File not found");
  }
  try {
    loader.ReadFile(dir.path());
    FAIL();
  } catch (const EQVError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot read the file"), std::string::npos);
  }
  loader.ReadFile(qvtest::WriteProject(dir, "a.qvp", qvtest::FullParts()));
  EXPECT_EQ(loader.Title(), "Harbour");
}

}  // namespace
