#include "graphics/SoundFormats/uWave.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/ByteReader.h"

namespace qv {

namespace {

void PutLe32(TByteStream& stream, uint32_t value) {
  uint8_t bytes[4];
  StoreLE32(bytes, value);
  stream.Write(bytes, 4);
}

void PutId(TByteStream& stream, const char* id) { stream.Write(id, 4); }

[[noreturn]] void Fail(const char* message) { throw EWaveStreamError(message); }

constexpr const char* kNotOpen = "Stream not opend";
constexpr const char* kAlreadyOpen = "Stream has already been opened";
constexpr const char* kWaveInvalid = "Wave is invalid";
constexpr const char* kFormatInvalid = "Format is invalid";
constexpr const char* kTooLarge = "Wave is too large";

}  // namespace

size_t TMemoryByteStream::Read(void* buffer, size_t count) {
  if (position_ >= bytes_.size()) return 0;
  size_t n = static_cast<size_t>(std::min<uint64_t>(count, bytes_.size() - position_));
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

size_t TMemoryByteStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  uint64_t end = position_ + count;
  if (end > bytes_.size()) bytes_.resize(static_cast<size_t>(end));
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ = end;
  return count;
}

TWaveStream::TWaveStream(TByteStream& stream) : stream_(stream), start_(stream.Position()) {}

TWaveStream::~TWaveStream() {
  try {
    Close();
  } catch (...) {
  }
}

void TWaveStream::RequireOpen() const {
  if (!open_) Fail(kNotOpen);
}

void TWaveStream::OpenRead() {
  if (open_) Fail(kAlreadyOpen);
  const uint64_t total = stream_.Size();
  if (start_ > total) Fail(kWaveInvalid);
  if (total - start_ > kMaxWaveBytes) Fail(kTooLarge);

  stream_.Seek(start_);
  uint8_t head[12];
  if (stream_.Read(head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
      std::memcmp(head + 8, "WAVE", 4) != 0)
    Fail(kWaveInvalid);

  // The chunk walk: a header that cannot be read whole ends it, and so does a
  // chunk that runs past the end of the file. What came before counts, so a
  // file with stray bytes or a tag block after its chunks still plays, and a
  // "data" chunk cut short gives the samples that are there.
  std::vector<uint8_t> format;
  uint64_t dataStart = 0, dataSize = 0;
  for (;;) {
    const uint64_t at = stream_.Position();
    uint8_t header[8] = {};
    if (stream_.Read(header, 8) < 8 || LoadLE32(header) == 0) break;
    const uint32_t size = LoadLE32(header + 4);
    const uint64_t body = at + 8;
    const bool isFormat = std::memcmp(header, "fmt ", 4) == 0;
    const bool isData = std::memcmp(header, "data", 4) == 0;
    if (size > total - body) {
      if (isFormat) Fail(kFormatInvalid);
      if (isData) {
        dataStart = body;
        dataSize = total - body;
      }
      break;
    }
    if (isFormat) {
      format.resize(size);
      if (size && stream_.Read(format.data(), size) != size) Fail(kFormatInvalid);
    } else if (isData) {
      dataStart = body;
      dataSize = size;
    }
    stream_.Seek(body + size);
    // Chunks follow one another without padding, but RIFF writers put a zero
    // byte after an odd-sized chunk. An identifier never starts with a zero
    // byte, so such a pad is skipped and both layouts read alike.
    if (size & 1) {
      uint8_t pad = 1;
      if (stream_.Read(&pad, 1) == 1 && pad != 0) stream_.Seek(body + size);
    }
  }

  format_ = std::move(format);
  dataStart_ = dataStart;
  dataSize_ = dataSize;
  position_ = 0;
  readOnly_ = true;
  open_ = true;
}

void TWaveStream::OpenWrite(const std::vector<uint8_t>& format) {
  if (open_) Fail(kAlreadyOpen);
  if (format.empty() || format.size() > UINT32_MAX) Fail(kFormatInvalid);
  format_ = format;
  stream_.Seek(start_);
  const uint8_t placeholder[12] = {};
  stream_.Write(placeholder, 12);
  PutId(stream_, "fmt ");
  PutLe32(stream_, static_cast<uint32_t>(format_.size()));
  stream_.Write(format_.data(), format_.size());
  PutId(stream_, "data");
  PutLe32(stream_, 0);
  dataStart_ = stream_.Position();
  dataSize_ = 0;
  position_ = 0;
  readOnly_ = false;
  open_ = true;
}

void TWaveStream::Close() {
  if (!open_) return;
  open_ = false;
  if (readOnly_) return;
  stream_.Seek(start_);
  PutId(stream_, "RIFF");
  PutLe32(stream_, static_cast<uint32_t>(stream_.Size() - start_ - 8));
  PutId(stream_, "WAVE");
  stream_.Seek(dataStart_ - 8);
  PutId(stream_, "data");
  PutLe32(stream_, static_cast<uint32_t>(dataSize_));
  stream_.Seek(stream_.Size());
}

size_t TWaveStream::Read(void* buffer, size_t count) {
  RequireOpen();
  const uint64_t size = Size();
  if (position_ >= size) return 0;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(count, size - position_));
  stream_.Seek(dataStart_ + position_);
  const size_t got = stream_.Read(buffer, want);
  position_ += got;
  return got;
}

size_t TWaveStream::Write(const void* buffer, size_t count) {
  RequireOpen();
  size_t n = count;
  if (readOnly_) n = position_ >= dataSize_ ? 0 : static_cast<size_t>(std::min<uint64_t>(count, dataSize_ - position_));
  if (n == 0) return 0;
  stream_.Seek(dataStart_ + position_);
  const size_t put = stream_.Write(buffer, n);
  position_ += put;
  if (!readOnly_) dataSize_ = std::max(dataSize_, position_);
  return put;
}

void TWaveStream::Seek(uint64_t position) {
  RequireOpen();
  position_ = position;
}

uint64_t TWaveStream::Size() const {
  if (!open_) return 0;
  if (readOnly_) return dataSize_;
  const uint64_t total = stream_.Size();
  return total > dataStart_ ? total - dataStart_ : 0;
}

void TWave::Clear() {
  format.clear();
  data.clear();
}

void TWave::LoadFromStream(TByteStream& stream) {
  Clear();
  try {
    TWaveStream reader(stream);
    reader.OpenRead();
    format = reader.Format();
    // The reader has checked the data size against the bytes in the stream.
    data.resize(static_cast<size_t>(reader.Size()));
    if (reader.Read(data.data(), data.size()) != data.size()) Fail(kWaveInvalid);
  } catch (...) {
    Clear();
    throw;
  }
}

void TWave::SaveToStream(TByteStream& stream) const {
  if (Empty()) return;
  TWaveStream writer(stream);
  writer.OpenWrite(format);
  writer.Write(data.data(), data.size());
  writer.Close();
}

void TWave::LoadFromBytes(std::vector<uint8_t> bytes) {
  TMemoryByteStream stream(std::move(bytes));
  LoadFromStream(stream);
}

std::vector<uint8_t> TWave::ToBytes() const {
  TMemoryByteStream stream;
  SaveToStream(stream);
  return stream.Bytes();
}


TWaveFormat ParseWaveFormat(const std::vector<uint8_t>& block) {
  if (block.size() < 16) Fail(kFormatInvalid);
  const uint8_t* p = block.data();
  unsigned tag = LoadLE16(p);
  TWaveFormat f;
  f.channels = LoadLE16(p + 2);
  f.rate = static_cast<int>(std::min<uint32_t>(LoadLE32(p + 4), INT32_MAX));
  f.blockAlign = LoadLE16(p + 12);
  const int bits = LoadLE16(p + 14);
  // WAVE_FORMAT_EXTENSIBLE carries the real tag in the first two bytes of
  // its sub-format GUID, after cbSize and 6 more bytes.
  if (tag == 0xFFFE) {
    if (block.size() < 40) Fail(kFormatInvalid);
    tag = LoadLE16(p + 24);
  }
  if (f.channels < 1 || f.channels > 16 || f.rate < 1 || f.rate > 768000 || bits < 1) Fail(kFormatInvalid);
  const int containerBytes = (bits + 7) / 8;
  if (tag == 1 && containerBytes <= 4) {
    f.kind = TWaveFormat::TKind::Integer;
  } else if (tag == 3 && (bits == 32 || bits == 64)) {
    f.kind = TWaveFormat::TKind::Float;
  } else {
    Fail(kFormatInvalid);
  }
  f.bitsPerSample = containerBytes * 8;
  if (f.blockAlign < f.channels * containerBytes) Fail(kFormatInvalid);
  return f;
}

std::vector<uint8_t> PcmFormatBlock(int rate, int channels, int bitsPerSample) {
  const uint32_t blockAlign = static_cast<uint32_t>(channels * ((bitsPerSample + 7) / 8));
  const uint32_t values[] = {1u | (static_cast<uint32_t>(channels) << 16), static_cast<uint32_t>(rate),
                             static_cast<uint32_t>(rate) * blockAlign,
                             blockAlign | (static_cast<uint32_t>(bitsPerSample) << 16)};
  std::vector<uint8_t> block;
  for (uint32_t v : values) AppendLE32(block, v);
  return block;
}

namespace {

// One sample on the 16-bit scale, not yet clamped.
int32_t DecodeSample(const uint8_t* p, const TWaveFormat& f) {
  if (f.kind == TWaveFormat::TKind::Float) {
    double v;
    if (f.bitsPerSample == 32) {
      float x;
      std::memcpy(&x, p, 4);
      v = x;
    } else {
      std::memcpy(&v, p, 8);
    }
    if (!(v == v)) return 0;
    return static_cast<int32_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
  }
  switch (f.bitsPerSample) {
    case 8: return (static_cast<int32_t>(p[0]) - 128) * 256;
    case 16: return static_cast<int16_t>(LoadLE16(p));
    case 24: return static_cast<int16_t>(LoadLE16(p + 1));
    default: return static_cast<int16_t>(LoadLE16(p + 2));
  }
}

int16_t Clamp16(double v) { return static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L)); }

}  // namespace

std::vector<int16_t> ConvertToPcm16(const TWave& wave, int rate, int channels) {
  const TWaveFormat f = ParseWaveFormat(wave.format);
  if (rate < 1 || rate > 768000 || channels < 1 || channels > 16) Fail(kFormatInvalid);
  const uint64_t frames = wave.data.size() / static_cast<size_t>(f.blockAlign);
  const uint64_t outFrames = (frames * static_cast<uint64_t>(rate)) / static_cast<uint64_t>(f.rate);
  const uint64_t largest = std::max(frames, outFrames) * static_cast<uint64_t>(channels) * 2;
  if (largest > kMaxWaveBytes) Fail(kTooLarge);

  // First the source frames on the 16-bit scale, channels already mapped.
  const int sampleBytes = f.bitsPerSample / 8;
  std::vector<int16_t> mapped(static_cast<size_t>(frames) * static_cast<size_t>(channels));
  for (uint64_t i = 0; i < frames; ++i) {
    const uint8_t* frame = wave.data.data() + i * static_cast<uint64_t>(f.blockAlign);
    int16_t* out = mapped.data() + i * static_cast<uint64_t>(channels);
    if (channels == 1 && f.channels > 1) {
      int64_t sum = 0;
      for (int c = 0; c < f.channels; ++c) sum += DecodeSample(frame + c * sampleBytes, f);
      out[0] = Clamp16(static_cast<double>(sum) / f.channels);
    } else {
      for (int c = 0; c < channels; ++c) out[c] = Clamp16(DecodeSample(frame + (c % f.channels) * sampleBytes, f));
    }
  }
  if (f.rate == rate) return mapped;

  std::vector<int16_t> out(static_cast<size_t>(outFrames) * static_cast<size_t>(channels));
  const double step = static_cast<double>(f.rate) / rate;
  for (uint64_t i = 0; i < outFrames; ++i) {
    const double at = static_cast<double>(i) * step;
    const uint64_t i0 = std::min<uint64_t>(static_cast<uint64_t>(at), frames - 1);
    const uint64_t i1 = std::min<uint64_t>(i0 + 1, frames - 1);
    const double t = at - static_cast<double>(i0);
    for (int c = 0; c < channels; ++c) {
      const double a = mapped[i0 * static_cast<uint64_t>(channels) + static_cast<uint64_t>(c)];
      const double b = mapped[i1 * static_cast<uint64_t>(channels) + static_cast<uint64_t>(c)];
      out[i * static_cast<uint64_t>(channels) + static_cast<uint64_t>(c)] = Clamp16(a + (b - a) * t);
    }
  }
  return out;
}

}  // namespace qv
