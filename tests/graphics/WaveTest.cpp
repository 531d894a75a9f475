#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/SoundFormats/uWave.h"
#include "support/TempDir.h"

using qv::TMemoryByteStream;
using qv::TWave;
using qv::TWaveStream;

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void AppendLe32(Bytes& out, uint32_t v) { Append(out, qvtest::Le32(v)); }

Bytes Chunk(const std::string& id, const Bytes& body, bool pad = false) {
  Bytes out;
  Append(out, id);
  AppendLe32(out, static_cast<uint32_t>(body.size()));
  Append(out, body);
  if (pad && body.size() % 2) out.push_back(0);
  return out;
}

Bytes Riff(const std::vector<Bytes>& chunks, const std::string& magic = "RIFF") {
  Bytes body;
  Append(body, "WAVE");
  for (const Bytes& c : chunks) Append(body, c);
  Bytes out;
  Append(out, magic);
  AppendLe32(out, static_cast<uint32_t>(body.size()));
  Append(out, body);
  return out;
}

Bytes Samples16(std::initializer_list<int16_t> values) {
  Bytes out;
  for (int16_t v : values) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  }
  return out;
}

const Bytes kMono16 = qv::PcmFormatBlock(22050, 1, 16);

TWave Load(const Bytes& file) {
  TMemoryByteStream stream(file);
  TWave wave;
  wave.LoadFromStream(stream);
  return wave;
}

std::string LoadError(const Bytes& file) {
  try {
    TWave wave = Load(file);
  } catch (const qv::EWaveStreamError& e) {
    return e.what();
  }
  return "no error";
}

TEST(WaveRead, GivesTheFormatBlockAndTheSamples) {
  const Bytes data = Samples16({1, -2, 300});
  TWave wave = Load(Riff({Chunk("fmt ", kMono16), Chunk("data", data)}));
  EXPECT_EQ(wave.format, kMono16);
  EXPECT_EQ(wave.data, data);
}

TEST(WaveRead, SkipsChunksBeforeAndBetweenFormatAndData) {
  const Bytes data = Samples16({7, 8});
  TWave wave = Load(Riff({Chunk("LIST", Bytes(26, 'i')), Chunk("fmt ", kMono16), Chunk("fact", Bytes(4, 0)),
                          Chunk("data", data), Chunk("cue ", Bytes(24, 1))}));
  EXPECT_EQ(wave.format, kMono16);
  EXPECT_EQ(wave.data, data);
}

TEST(WaveRead, OddSizedChunksReadWithOrWithoutThePadByte) {
  const Bytes data = Samples16({5, 6});
  for (bool pad : {false, true}) {
    TWave wave = Load(Riff({Chunk("LIST", Bytes(13, 'x'), pad), Chunk("fmt ", kMono16), Chunk("data", data)}));
    EXPECT_EQ(wave.format, kMono16) << "pad " << pad;
    EXPECT_EQ(wave.data, data) << "pad " << pad;
  }
  // 8-bit mono with an odd number of samples, then a padded trailing chunk.
  const Bytes odd = {1, 2, 3};
  TWave wave = Load(Riff({Chunk("fmt ", qv::PcmFormatBlock(11025, 1, 8)), Chunk("data", odd, true),
                          Chunk("LIST", Bytes(5, 'y'), true)}));
  EXPECT_EQ(wave.data, odd);
}

TEST(WaveRead, ReadsAtTheStreamPositionItStartsFrom) {
  Bytes file = {'j', 'u', 'n', 'k'};
  Append(file, Riff({Chunk("fmt ", kMono16), Chunk("data", Samples16({42}))}));
  TMemoryByteStream stream(file);
  stream.Seek(4);
  TWave wave;
  wave.LoadFromStream(stream);
  EXPECT_EQ(wave.data, Samples16({42}));
}

TEST(WaveRead, RejectsWhatIsNotALittleEndianWave) {
  const Bytes fmt = Chunk("fmt ", kMono16), data = Chunk("data", Samples16({1}));
  EXPECT_EQ(LoadError(Riff({fmt, data}, "RIFX")), "Wave is invalid");
  Bytes avi = Riff({fmt, data});
  std::memcpy(avi.data() + 8, "AVI ", 4);
  EXPECT_EQ(LoadError(avi), "Wave is invalid");
  EXPECT_EQ(LoadError({'R', 'I', 'F', 'F'}), "Wave is invalid");
  EXPECT_EQ(LoadError({}), "Wave is invalid");
}

TEST(WaveRead, WhatFollowsTheChunksEndsTheWalkAndTheSoundStillReads) {
  const Bytes data = Samples16({11, -12, 13, -14});
  const Bytes plain = Riff({Chunk("fmt ", kMono16), Chunk("data", data)});
  // Stray bytes too few for a chunk header.
  for (size_t stray = 1; stray <= 7; ++stray) {
    Bytes file = plain;
    file.insert(file.end(), stray, 'z');
    EXPECT_EQ(Load(file).data, data) << stray << " stray bytes";
  }
  // A tag block of 128 bytes appended after the chunks.
  Bytes tagged = plain;
  Append(tagged, "TAGA song title that is long");
  tagged.resize(plain.size() + 128, ' ');
  EXPECT_EQ(Load(tagged).data, data);
  // A chunk that says it is larger than what is left of the file.
  Bytes oversized = plain;
  Append(oversized, "LIST");
  AppendLe32(oversized, 1000);
  Append(oversized, "INFOIART");
  TWave wave = Load(oversized);
  EXPECT_EQ(wave.format, kMono16);
  EXPECT_EQ(wave.data, data);
}

TEST(WaveRead, ADataChunkCutShortGivesTheSamplesThatAreThereWithoutAllocatingItsSize) {
  Bytes cut = Riff({Chunk("fmt ", kMono16)});
  Append(cut, "data");
  AppendLe32(cut, 0xFFFFFFF0u);
  Append(cut, Samples16({1, 2}));
  EXPECT_EQ(Load(cut).data, Samples16({1, 2}));

  Bytes hugeFormat = Riff({});
  Append(hugeFormat, "fmt ");
  AppendLe32(hugeFormat, 0x7FFFFFFFu);
  Append(hugeFormat, kMono16);
  EXPECT_EQ(LoadError(hugeFormat), "Format is invalid");
}

TEST(WaveRead, AFileCutAnywhereFailsOnlyInItsHeaderOrItsFormat) {
  const Bytes samples = Samples16({1, 2, 3});
  const Bytes whole = Riff({Chunk("LIST", Bytes(4, 'a')), Chunk("fmt ", kMono16), Chunk("data", samples)});
  // RIFF header 0..11, LIST 12..23, fmt header 24..31, its body 32..47,
  // data header 48..55, samples 56..61.
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    if (cut < 12) {
      EXPECT_EQ(LoadError(part), "Wave is invalid") << "cut " << cut;
    } else if (cut >= 32 && cut < 48) {
      EXPECT_EQ(LoadError(part), "Format is invalid") << "cut " << cut;
    } else {
      ASSERT_EQ(LoadError(part), "no error") << "cut " << cut;
      const TWave wave = Load(part);
      EXPECT_EQ(wave.format, cut < 48 ? Bytes{} : kMono16) << "cut " << cut;
      const size_t samplesThere = cut > 56 ? cut - 56 : 0;
      EXPECT_EQ(wave.data, Bytes(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(samplesThere)))
          << "cut " << cut;
    }
  }
}

TEST(WaveRead, AFailedLoadLeavesTheWaveEmpty) {
  TWave wave = Load(Riff({Chunk("fmt ", kMono16), Chunk("data", Samples16({1}))}));
  Bytes broken = Riff({});
  Append(broken, "fmt ");
  AppendLe32(broken, 16);
  Append(broken, Bytes(8, 1));
  TMemoryByteStream stream(broken);
  EXPECT_THROW(wave.LoadFromStream(stream), qv::EWaveStreamError);
  EXPECT_TRUE(wave.format.empty());
  EXPECT_TRUE(wave.data.empty());
}

TEST(WaveStream, ReadingAndWritingNeedAnOpenStream) {
  TMemoryByteStream stream;
  TWaveStream wave(stream);
  char buffer[4];
  try {
    wave.Read(buffer, 4);
    FAIL();
  } catch (const qv::EWaveStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream not opend");
  }
  try {
    wave.Write(buffer, 4);
    FAIL();
  } catch (const qv::EWaveStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream not opend");
  }
}

TEST(WaveStream, OpensOnlyOnce) {
  TMemoryByteStream stream;
  TWaveStream writer(stream);
  writer.OpenWrite(kMono16);
  try {
    writer.OpenRead();
    FAIL();
  } catch (const qv::EWaveStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream has already been opened");
  }
  try {
    writer.OpenWrite(kMono16);
    FAIL();
  } catch (const qv::EWaveStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream has already been opened");
  }
}

TEST(WaveStream, WritingNeedsAFormat) {
  TMemoryByteStream stream;
  TWaveStream writer(stream);
  try {
    writer.OpenWrite({});
    FAIL();
  } catch (const qv::EWaveStreamError& e) {
    EXPECT_STREQ(e.what(), "Format is invalid");
  }
}

TEST(WaveStream, AReaderReadsAndOverwritesOnlyTheSampleData) {
  TMemoryByteStream stream(Riff({Chunk("fmt ", kMono16), Chunk("data", Samples16({1, 2})), Chunk("LIST", Bytes(4, 'z'))}));
  TWaveStream wave(stream);
  wave.OpenRead();
  EXPECT_EQ(wave.Size(), 4u);
  const uint8_t ones[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_EQ(wave.Write(ones, 8), 4u);
  wave.Seek(0);
  uint8_t back[8] = {};
  EXPECT_EQ(wave.Read(back, 8), 4u);
  EXPECT_EQ(back[3], 9);
  EXPECT_EQ(stream.Bytes()[stream.Bytes().size() - 1], 'z');
}

TEST(WaveWrite, WritesTheLayoutItReads) {
  TWave wave;
  wave.format = kMono16;
  wave.data = Samples16({100, -100, 5});
  const Bytes file = wave.ToBytes();
  EXPECT_EQ(file, Riff({Chunk("fmt ", kMono16), Chunk("data", wave.data)}));
  TWave back = Load(file);
  EXPECT_EQ(back.format, wave.format);
  EXPECT_EQ(back.data, wave.data);
}

TEST(WaveWrite, AWriterAfterOtherBytesSizesItsOwnPart) {
  TMemoryByteStream stream;
  stream.Write("head", 4);
  {
    TWaveStream writer(stream);
    writer.OpenWrite(kMono16);
    writer.Write(Samples16({1, 2, 3}).data(), 6);
  }  // finished by the destructor
  EXPECT_EQ(stream.Position(), stream.Size());
  Bytes expected = {'h', 'e', 'a', 'd'};
  Append(expected, Riff({Chunk("fmt ", kMono16), Chunk("data", Samples16({1, 2, 3}))}));
  EXPECT_EQ(stream.Bytes(), expected);
}

TEST(WaveWrite, AnEmptyWaveWritesNothing) {
  TWave wave;
  wave.format = kMono16;
  EXPECT_TRUE(wave.ToBytes().empty());
  wave.format.clear();
  wave.data = {1, 2};
  EXPECT_TRUE(wave.ToBytes().empty());
}

TEST(WaveFile, RoundTripsThroughItsBytes) {
  TWave wave;
  wave.format = qv::PcmFormatBlock(44100, 2, 16);
  wave.data = Samples16({1, 2, 3, 4});
  TWave back;
  back.LoadFromBytes(wave.ToBytes());
  EXPECT_EQ(back.format, wave.format);
  EXPECT_EQ(back.data, wave.data);
  EXPECT_THROW(back.LoadFromBytes({}), qv::EWaveStreamError);
  EXPECT_TRUE(back.Empty());
}

// Conversion to the mixer's 16-bit samples.

TWave Wave(const Bytes& format, const Bytes& data) {
  TWave wave;
  wave.format = format;
  wave.data = data;
  return wave;
}

TEST(WaveConvert, SixteenBitAtTheSameRateIsUnchanged) {
  const Bytes data = Samples16({-32768, -1, 0, 1, 32767, 12345});
  EXPECT_EQ(qv::ConvertToPcm16(Wave(qv::PcmFormatBlock(44100, 2, 16), data), 44100, 2),
            (std::vector<int16_t>{-32768, -1, 0, 1, 32767, 12345}));
}

TEST(WaveConvert, EightBitMonoBecomesSixteenBitStereoAtFourTimesTheRate) {
  const std::vector<int16_t> out =
      qv::ConvertToPcm16(Wave(qv::PcmFormatBlock(11025, 1, 8), {128, 192, 0}), 44100, 2);
  ASSERT_EQ(out.size(), 3u * 4 * 2);
  // Frames 0..3 rise linearly from silence towards 64 * 256.
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[2], 4096);
  EXPECT_EQ(out[4], 8192);
  EXPECT_EQ(out[8], 16384);
  EXPECT_EQ(out[16], -32768);
  for (size_t i = 0; i < out.size(); i += 2) EXPECT_EQ(out[i], out[i + 1]);
}

TEST(WaveConvert, TwentyFourBitAndFloatAreScaledToSixteenBits) {
  const Bytes pcm24 = {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x56, 0x34, 0x12};
  EXPECT_EQ(qv::ConvertToPcm16(Wave(qv::PcmFormatBlock(8000, 1, 24), pcm24), 8000, 1),
            (std::vector<int16_t>{-32768, 32767, 0x1234}));

  Bytes floatFormat = qv::PcmFormatBlock(8000, 1, 32);
  floatFormat[0] = 3;
  Bytes floats(12);
  const float values[3] = {0.5f, -1.0f, 2.0f};
  std::memcpy(floats.data(), values, 12);
  EXPECT_EQ(qv::ConvertToPcm16(Wave(floatFormat, floats), 8000, 1), (std::vector<int16_t>{16384, -32767, 32767}));
}

TEST(WaveConvert, StereoToMonoAveragesAndExtensibleFormatsRead) {
  Bytes ext = qv::PcmFormatBlock(8000, 2, 16);
  ext[0] = 0xFE;
  ext[1] = 0xFF;
  Bytes tail = {22, 0, 16, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  Append(ext, tail);
  EXPECT_EQ(qv::ConvertToPcm16(Wave(ext, Samples16({100, 300, -50, -150})), 8000, 1),
            (std::vector<int16_t>{200, -100}));
}

TEST(WaveConvert, RefusesFormatsItCannotDecode) {
  Bytes adpcm = qv::PcmFormatBlock(8000, 1, 4);
  adpcm[0] = 2;
  for (const Bytes& format : {Bytes{}, Bytes(10, 0), adpcm, qv::PcmFormatBlock(8000, 0, 16),
                              qv::PcmFormatBlock(0, 1, 16), qv::PcmFormatBlock(8000, 1, 40)}) {
    try {
      qv::ConvertToPcm16(Wave(format, Bytes(8, 0)), 44100, 2);
      ADD_FAILURE() << "format of " << format.size() << " bytes accepted";
    } catch (const qv::EWaveStreamError& e) {
      EXPECT_STREQ(e.what(), "Format is invalid");
    }
  }
}

TEST(WaveConvert, RefusesAResultOverTheCap) {
  // A 1 Hz source of a million frames would become 44 billion at 44100 Hz.
  EXPECT_THROW(qv::ConvertToPcm16(Wave(qv::PcmFormatBlock(1, 1, 8), Bytes(1 << 20, 128)), 44100, 2),
               qv::EWaveStreamError);
}

}  // namespace
