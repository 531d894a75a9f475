#include "animation/uFileLoader.h"

#include <algorithm>

#include <cstdio>
#include <cstring>

#include "common/Error.h"
#include "common/Limits.h"
#include "graphics/ImageFormats/JPEGLoader.h"
#include "platform/Files.h"

namespace qv {

namespace {

constexpr size_t kMagicBytes = 8;
constexpr size_t kAreaBytes = 32;
constexpr size_t kWeatherBytes = 24;
constexpr size_t kSlotBytes = 268;
constexpr size_t kSlotNameBytes = 255;

[[noreturn]] void ReadBeyondEnd() { throw EQVError("Read beyond end of file"); }

// The project file's own messages for a file that cannot be read.
std::vector<uint8_t> ReadProjectFile(const std::string& fileName) {
  try {
    return platform::ReadWholeFile(fileName, kMaxProjectFileBytes);
  } catch (const platform::EFileUnreadable& e) {
    throw EQVError(e.Missing() ? "File not found" : "Cannot read the file: " + e.Reason());
  }
}

TWaveParam ParseArea(std::span<const uint8_t> b) {
  TByteReader r(b.data(), b.size());
  TWaveParam a;
  a.Amplitude = r.I32();
  a.WaveCount = r.I32();
  a.Speed = r.I32();
  a.Forward = r.I32();
  a.Horizontal = r.U8() != 0;
  a.Vertical = r.U8() != 0;
  a.Perspective = r.U8() != 0;
  r.Skip(1);
  a.Period = r.I32();
  a.Jitter = r.I32();
  r.Skip(1);
  a.Reflection = r.U8() != 0;
  return a;
}

TWeatherParam ParseWeather(std::span<const uint8_t> b) {
  TByteReader r(b.data(), b.size());
  TWeatherParam w;
  w.Kind = r.I32();
  w.Count = r.I32();
  w.SpeedLevel = r.I32();
  w.Angle = r.I32();
  w.Length = r.I32();
  w.Opacity = r.I32();
  return w;
}

TSoundSlot ParseSlot(std::span<const uint8_t> b) {
  TByteReader r(b.data(), b.size());
  TSoundSlot s;
  const uint8_t n = r.U8();
  s.Name = r.Text(kSlotNameBytes).substr(0, n);
  s.PlayMode = r.I32();
  s.Interval = r.I32();
  s.IntervalMax = r.I32();
  return s;
}

TBitmap32 DecodeJpegPart(std::span<const uint8_t> bytes) { return DecodeJPEG(bytes.data(), bytes.size()).bitmap; }

std::string Text(std::span<const uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

// TMyStream

TMyStream::TMyStream(const std::string& fileName) : bytes_(ReadProjectFile(fileName)), reader_(bytes_) {}

TMyStream::TMyStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)), reader_(bytes_) {}

void TMyStream::ReadBytes(void* buffer, size_t count) {
  if (!reader_.Bytes(buffer, count)) ReadBeyondEnd();
}

int32_t TMyStream::ReadInteger() {
  const int32_t v = reader_.I32();
  if (!reader_.Ok()) ReadBeyondEnd();
  return v;
}

std::string TMyStream::ReadFixedText(size_t count) { return Text(ReadBlob(count)); }

std::span<const uint8_t> TMyStream::ReadBlob(size_t count) {
  std::span<const uint8_t> s = reader_.Take(count);
  if (!reader_.Ok()) ReadBeyondEnd();
  return s;
}

std::span<const uint8_t> TMyStream::ReadCounted(uint64_t cap) {
  const uint32_t length = static_cast<uint32_t>(ReadInteger());
  if (length > cap) throw EQVError("A text in the file is too long");
  return ReadBlob(length);
}

// TFileLoader

void TFileLoader::ReadFile(const std::string& fileName) {
  TMyStream stream(fileName);
  Read(stream);
}

void TFileLoader::ReadHeaderFile(const std::string& fileName) {
  TMyStream stream(fileName);
  ReadHeader(stream);
}

void TFileLoader::ReadHeader(TMyStream& s) {
  parts_ = TProjectFileParts();
  notes_.clear();
  picture_ = preview_ = mask_ = TBitmap32();
  if (s.ReadFixedText(kMagicBytes) != kProjectMagic) throw EQVError("Incorrect Project File!");
  parts_.title = Text(s.ReadCounted());
  parts_.comment = Text(s.ReadCounted());
  const std::span<const uint8_t> preview = s.ReadCounted();
  parts_.preview.assign(preview.begin(), preview.end());
  preview_ = DecodeJpegPart(preview);
}

void TFileLoader::Read(TMyStream& s) {
  ReadHeader(s);

  const int32_t areaCount = s.ReadInteger();
  if (areaCount < 0)
    throw EQVError("Incorrect Project File! It has " + std::to_string(areaCount) + " water areas.");
  parts_.areas.clear();
  for (int i = 0; i < std::min(areaCount, kAreaCount); ++i) parts_.areas.push_back(ParseArea(s.ReadBlob(kAreaBytes)));
  if (areaCount > kAreaCount) {
    // Records past the four areas a picture has are there (or the read
    // fails) but have nowhere to go.
    s.ReadBlob(static_cast<size_t>(areaCount - kAreaCount) * kAreaBytes);
    notes_.push_back("it holds " + std::to_string(areaCount) + " water areas; the first " +
                     std::to_string(kAreaCount) + " play");
  }

  const int32_t maskLength = s.ReadInteger();
  // The entries must be there before any is read or any room is made.
  if (maskLength < 0) ReadBeyondEnd();
  const std::span<const uint8_t> runs = s.ReadBlob(static_cast<size_t>(maskLength) * 4);
  parts_.mask.resize(static_cast<size_t>(maskLength));
  for (size_t i = 0; i < parts_.mask.size(); ++i) parts_.mask[i] = static_cast<int32_t>(LoadLE32(runs.data() + 4 * i));
  bool surplus = false;
  mask_ = DecodeMask(parts_.mask, &surplus);
  if (surplus) notes_.push_back("its area mask runs past its last pixel; the rest is passed over");

  const std::span<const uint8_t> picture = s.ReadCounted();
  parts_.picture.assign(picture.begin(), picture.end());
  picture_ = DecodeJpegPart(picture);
  parts_.sound = Text(s.ReadCounted());
  parts_.weather = ParseWeather(s.ReadBlob(kWeatherBytes));

  // Fields added later: each one that does not read ends the file silently,
  // keeping what was read before it.
  parts_.later = 0;
  try {
    if (s.AtEnd()) return;
    for (TSoundSlot& slot : parts_.sounds) slot = ParseSlot(s.ReadBlob(kSlotBytes));
    parts_.later = 1;
    parts_.objects = Text(s.ReadCounted(kMaxProjectTextBytes));
    parts_.later = 2;
    parts_.build = Text(s.ReadCounted(kMaxProjectTextBytes));
    parts_.later = 3;
  } catch (const EQVError&) {
  }
}

void TFileLoader::CopyAreas(std::array<TWaveParam, kAreaCount>& to) const {
  for (size_t i = 0; i < parts_.areas.size() && i < to.size(); ++i) to[i] = parts_.areas[i];
}

// The mask

TBitmap32 DecodeMask(std::span<const int32_t> entries, bool* surplus) {
  if (surplus) *surplus = false;
  if (entries.size() < 2) throw EQVError("Incorrect Project File! The area mask has no size.");
  const int32_t width = entries[0], height = entries[1];
  if (!DecodeFits(width, height))
    throw EQVError("Incorrect Project File! The area mask of " + std::to_string(width) + " x " +
                   std::to_string(height) + " pixels is too large or has no pixels.");
  TBitmap32 mask(width, height);
  uint32_t* px = mask.Bits();
  const int64_t total = int64_t{width} * height;
  int64_t at = 0;
  for (size_t i = 2; i < entries.size(); ++i) {
    const int32_t e = entries[i];
    if (e < 0) throw EQVError("Incorrect Project File! The area mask holds a negative run.");
    const int code = e % 10;
    const int64_t length = e / 10;
    if (code > kAreaCount)
      throw EQVError("Incorrect Project File! The area mask holds the unknown area code " + std::to_string(code) + ".");
    const int64_t fits = std::min(length, total - at);
    if (fits < length && surplus) *surplus = true;
    if (code != 0) std::fill(px + at, px + at + fits, kAreaColors[code - 1]);
    at += fits;
  }
  return mask;
}

std::vector<int32_t> EncodeMask(const TBitmap32& mask) {
  constexpr int64_t kLongestRun = (INT32_MAX - 9) / 10;
  std::vector<int32_t> entries = {mask.Width(), mask.Height()};
  const uint32_t* px = mask.Bits();
  const int64_t total = int64_t{mask.Width()} * mask.Height();
  auto codeOf = [&](int64_t i) {
    const uint32_t rgb = px[i] & 0xFFFFFF;
    if (rgb == 0) return 0;
    for (int c = 0; c < kAreaCount; ++c)
      if (rgb == kAreaColors[c]) return c + 1;
    char what[120];
    std::snprintf(what, sizeof what, "The mask pixel (%lld, %lld) is #%06X, which is neither black nor an area colour",
                  static_cast<long long>(i % mask.Width()), static_cast<long long>(i / mask.Width()), rgb);
    throw EQVError(what);
  };
  for (int64_t i = 0; i < total;) {
    const int code = codeOf(i);
    int64_t n = 1;
    while (i + n < total && n < kLongestRun && codeOf(i + n) == code) ++n;
    entries.push_back(static_cast<int32_t>(n * 10 + code));
    i += n;
  }
  return entries;
}

// Writing

std::vector<uint8_t> EncodeProjectFile(const TProjectFileParts& p) {
  std::vector<uint8_t> out(kProjectMagic, kProjectMagic + kMagicBytes);
  auto counted = [&out](const auto& bytes) {
    if (bytes.size() > INT32_MAX) throw EQVError("A part of the project file is too large");
    AppendLE32(out, static_cast<uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  };
  auto flag = [&out](bool b) { out.push_back(b ? 1 : 0); };
  counted(p.title);
  counted(p.comment);
  counted(p.preview);
  AppendLE32(out, static_cast<uint32_t>(p.areas.size()));
  for (const TWaveParam& a : p.areas) {
    for (int32_t v : {a.Amplitude, a.WaveCount, a.Speed, a.Forward}) AppendLE32(out, static_cast<uint32_t>(v));
    flag(a.Horizontal);
    flag(a.Vertical);
    flag(a.Perspective);
    out.push_back(0);
    AppendLE32(out, static_cast<uint32_t>(a.Period));
    AppendLE32(out, static_cast<uint32_t>(a.Jitter));
    out.push_back(0);
    flag(a.Reflection);
    out.push_back(0);
    out.push_back(0);
  }
  AppendLE32(out, static_cast<uint32_t>(p.mask.size()));
  for (int32_t e : p.mask) AppendLE32(out, static_cast<uint32_t>(e));
  counted(p.picture);
  counted(p.sound);
  const TWeatherParam& w = p.weather;
  for (int32_t v : {w.Kind, w.Count, w.SpeedLevel, w.Angle, w.Length, w.Opacity})
    AppendLE32(out, static_cast<uint32_t>(v));
  if (p.later < 1) return out;
  for (const TSoundSlot& s : p.sounds) {
    if (s.Name.size() > kSlotNameBytes) throw EQVError("A sound name is longer than 255 characters: " + s.Name);
    out.push_back(static_cast<uint8_t>(s.Name.size()));
    out.insert(out.end(), s.Name.begin(), s.Name.end());
    out.insert(out.end(), kSlotNameBytes - s.Name.size(), 0);
    for (int32_t v : {s.PlayMode, s.Interval, s.IntervalMax}) AppendLE32(out, static_cast<uint32_t>(v));
  }
  if (p.later < 2) return out;
  counted(p.objects);
  if (p.later < 3) return out;
  counted(p.build);
  return out;
}

}  // namespace qv
