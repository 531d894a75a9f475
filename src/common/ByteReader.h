// Little-endian integers and counted blocks read from bytes in memory. Every
// read checks what remains before it touches a byte; a read that does not fit
// sets a sticky error and gives zeros, so a parser reads a group of fields
// straight through and checks Ok() once after the group.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace qv {

inline uint16_t LoadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline void StoreLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
// Appends to any byte container (std::string, std::vector<uint8_t>).
template <typename Bytes>
void AppendLE16(Bytes& out, uint16_t v) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<typename Bytes::value_type>(v >> (8 * i)));
}
template <typename Bytes>
void AppendLE32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<typename Bytes::value_type>(v >> (8 * i)));
}

class TByteReader {
 public:
  TByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit TByteReader(std::span<const uint8_t> bytes) : TByteReader(bytes.data(), bytes.size()) {}
  explicit TByteReader(std::string_view bytes)
      : TByteReader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) {}
  // The reader keeps a view: it never reads from a string that is about to go.
  explicit TByteReader(std::string&&) = delete;

  bool Ok() const { return ok_; }
  bool AtEnd() const { return pos_ == size_; }
  size_t Position() const { return pos_; }
  size_t Size() const { return size_; }
  size_t Remaining() const { return size_ - pos_; }
  // Marks the reader failed, for a value the caller finds out of range.
  void Fail() { ok_ = false; }

  // Moves to an absolute position; past the end fails and stays put.
  void Seek(size_t position) {
    if (position > size_) ok_ = false;
    else pos_ = position;
  }
  void Skip(size_t count) {
    if (Fits(count)) pos_ += count;
  }

  uint8_t U8() { return Fits(1) ? data_[pos_++] : 0; }
  uint16_t U16() {
    if (!Fits(2)) return 0;
    pos_ += 2;
    return LoadLE16(data_ + pos_ - 2);
  }
  uint32_t U32() {
    if (!Fits(4)) return 0;
    pos_ += 4;
    return LoadLE32(data_ + pos_ - 4);
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }

  // Copies exactly `count` bytes; on failure `out` is left as it was.
  bool Bytes(void* out, size_t count) {
    if (!Fits(count)) return false;
    if (count) std::memcpy(out, data_ + pos_, count);
    pos_ += count;
    return true;
  }
  // A view of the next `count` bytes (empty on failure).
  std::span<const uint8_t> Take(size_t count) {
    if (!Fits(count)) return {};
    pos_ += count;
    return {data_ + pos_ - count, count};
  }
  std::string Text(size_t count) {
    std::span<const uint8_t> s = Take(count);
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
  }

  // A 32-bit length followed by that many bytes. A length beyond what remains
  // or above `cap` fails before anything is copied or allocated.
  std::span<const uint8_t> Counted(uint64_t cap = UINT64_MAX) {
    const size_t at = pos_;
    const uint32_t length = U32();
    if (!ok_) return {};
    if (length > cap || length > Remaining()) {
      pos_ = at;
      ok_ = false;
      return {};
    }
    return Take(length);
  }
  std::string CountedText(uint64_t cap = UINT64_MAX) {
    std::span<const uint8_t> s = Counted(cap);
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
  }

 private:
  // Once failed, nothing more is read: later fields of a group stay zero.
  bool Fits(size_t count) {
    if (ok_ && count <= size_ - pos_) return true;
    ok_ = false;
    return false;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace qv
