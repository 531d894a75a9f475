// RIFF WAVE sounds: the reader and writer stream, the in-memory wave, and the
// conversion of its samples to the 16-bit PCM the mixer plays.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Error.h"
#include "common/Limits.h"

namespace qv {

class EWaveStreamError : public EQVError {
 public:
  using EQVError::EQVError;
};

// A seekable byte stream. Read and Write move the position and return the
// bytes they moved; writing past the end grows the stream.
class TByteStream {
 public:
  virtual ~TByteStream() = default;
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t count) = 0;
  virtual void Seek(uint64_t position) = 0;
  virtual uint64_t Position() const = 0;
  virtual uint64_t Size() const = 0;
};

class TMemoryByteStream final : public TByteStream {
 public:
  TMemoryByteStream() = default;
  explicit TMemoryByteStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  void Seek(uint64_t position) override { position_ = position; }
  uint64_t Position() const override { return position_; }
  uint64_t Size() const override { return bytes_.size(); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t position_ = 0;
};

// Reads or writes one WAVE at the underlying stream's position at creation.
// Reading and writing address the sample data; positions are relative to it.
class TWaveStream {
 public:
  explicit TWaveStream(TByteStream& stream);
  // Finishes an open writer (see Close).
  ~TWaveStream();
  TWaveStream(const TWaveStream&) = delete;
  TWaveStream& operator=(const TWaveStream&) = delete;

  void OpenRead();
  void OpenWrite(const std::vector<uint8_t>& format);
  // A writer fills in the RIFF and "data" sizes and leaves the underlying
  // stream at its end. Closing a reader or a closed stream does nothing.
  void Close();

  size_t Read(void* buffer, size_t count);
  size_t Write(const void* buffer, size_t count);
  void Seek(uint64_t position);
  uint64_t Position() const { return position_; }
  uint64_t Size() const;

  const std::vector<uint8_t>& Format() const { return format_; }
  size_t FormatSize() const { return format_.size(); }
  bool IsOpen() const { return open_; }

 private:
  void RequireOpen() const;

  TByteStream& stream_;
  uint64_t start_;
  bool open_ = false;
  bool readOnly_ = false;
  uint64_t dataStart_ = 0;
  uint64_t dataSize_ = 0;
  uint64_t position_ = 0;
  std::vector<uint8_t> format_;
};

// The contents of a WAVE: the raw "fmt " block and the raw sample bytes.
class TWave {
 public:
  std::vector<uint8_t> format;
  std::vector<uint8_t> data;

  void Clear();
  bool Empty() const { return format.empty() || data.empty(); }

  // Replaces the contents; on an error the wave is left empty.
  void LoadFromStream(TByteStream& stream);
  // Writes nothing when the format or the data is empty.
  void SaveToStream(TByteStream& stream) const;

  // A whole WAVE file's bytes (reading the file is the caller's).
  void LoadFromBytes(std::vector<uint8_t> bytes);
  std::vector<uint8_t> ToBytes() const;
};

// What a "fmt " block says about the samples.
struct TWaveFormat {
  enum class TKind { Integer, Float };
  TKind kind = TKind::Integer;
  int channels = 0;
  int rate = 0;
  int bitsPerSample = 0;  // container bits: 8, 16, 24, 32 (or 64 for float)
  int blockAlign = 0;     // bytes per frame
};

// Integer PCM (8-bit unsigned, 16/24/32-bit signed), IEEE float (32/64) and
// their extensible forms; anything else fails with "Format is invalid".
TWaveFormat ParseWaveFormat(const std::vector<uint8_t>& format);

// A plain PCM "fmt " block (16 bytes).
std::vector<uint8_t> PcmFormatBlock(int rate, int channels, int bitsPerSample);

// The samples as signed 16-bit interleaved frames at `rate` with `channels`:
// mono is copied to every channel, extra channels are dropped (or averaged
// into mono), and the rate is changed by linear interpolation.
std::vector<int16_t> ConvertToPcm16(const TWave& wave, int rate, int channels);

}  // namespace qv
