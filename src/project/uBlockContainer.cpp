#include "project/uBlockContainer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/Error.h"

namespace qv {

namespace {

// Copies move through one buffer of this size. The scan's result does not
// depend on how the file is cut into pieces (the match carries over piece
// boundaries), so a larger piece than the container format's 1001 bytes only
// saves system calls.
constexpr size_t kCopyBuffer = 1 << 20;

class TFd {
 public:
  explicit TFd(int fd = -1) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Reads up to n bytes, retrying on interruption; returns the count, 0 at end
// or on error.
size_t ReadSome(int fd, void* buf, size_t n) {
  for (;;) {
    ssize_t r = ::read(fd, buf, n);
    if (r >= 0) return static_cast<size_t>(r);
    if (errno != EINTR) return 0;
  }
}

bool WriteFull(int fd, const void* buf, size_t n) {
  auto* p = static_cast<const uint8_t*>(buf);
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// Reads the 4 bytes at an offset.
bool ReadAt(int fd, uint8_t (&b)[4], uint64_t offset) {
  size_t got = 0;
  while (got < 4) {
    ssize_t r = ::pread(fd, b + got, 4 - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

// Copies `length` bytes from `offset` of `in` to the end of `out` through
// one fixed buffer; an input that ends early ends the copy.
bool CopyRange(int in, uint64_t offset, int out, uint64_t length, std::vector<uint8_t>& buf) {
  if (buf.empty()) buf.resize(kCopyBuffer);
  off_t from = static_cast<off_t>(offset);
  while (length > 0) {
    ssize_t n = ::pread(in, buf.data(), static_cast<size_t>(std::min<uint64_t>(length, buf.size())), from);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    if (!WriteFull(out, buf.data(), static_cast<size_t>(n))) return false;
    from += n;
    length -= static_cast<uint64_t>(n);
  }
  return true;
}

uint32_t LittleEndian32(const uint8_t* b) {
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

// Creates an output file without following a link and without writing into
// something that is not ours: an existing regular file of our own is
// replaced, anything else (a link, another user's file, a folder) is refused.
int CreateOutput(const std::string& path) {
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(path.c_str(), flags, 0600);
  if (fd >= 0 || errno != EEXIST) return fd;
  struct stat st{};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return -1;
  if (::unlink(path.c_str()) != 0) return -1;
  return ::open(path.c_str(), flags, 0600);
}

}  // namespace

std::string BlockMarkerBytes() {
  // Formed at run time, so that no copy of the marker sits in the program.
  static volatile uint8_t one = 1;
  std::string marker(kBlockTag, kBlockTagLength);
  for (char& c : marker) c = static_cast<char>(static_cast<uint8_t>(c) + one);
  return marker;
}

TBlockMarker FindBlockMarker(const std::string& file, TBlockRange within) {
  TBlockMarker result;
  TFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.ok()) return result;
  if (within.offset > 0 && ::lseek(fd.get(), static_cast<off_t>(within.offset), SEEK_SET) < 0) return result;
  uint64_t left = within.length;
  const std::string marker = BlockMarkerBytes();
  std::vector<uint8_t> buf(kCopyBuffer);
  uint64_t count = within.offset;  // bytes examined so far
  int k = 0;                       // characters of the marker matched so far
  for (;;) {
    size_t n = ReadSome(fd.get(), buf.data(), static_cast<size_t>(std::min<uint64_t>(buf.size(), left)));
    if (n == 0) return result;
    left -= n;
    const uint8_t* p = buf.data();
    const uint8_t* end = p + n;
    while (p < end) {
      if (k == 0) {
        // Looking for the first character: jump to its next occurrence.
        auto* hit = static_cast<const uint8_t*>(std::memchr(p, marker[0], static_cast<size_t>(end - p)));
        if (!hit) {
          p = end;
          break;
        }
        p = hit + 1;
        k = 1;
        continue;
      }
      // A byte that breaks a partial match is not tried as a new start.
      if (*p++ == static_cast<uint8_t>(marker[k])) {
        if (++k == kBlockTagLength) {
          count += static_cast<uint64_t>(p - buf.data());
          result.found = true;
          result.end = count;
          uint8_t b[4];
          if (count + 4 <= within.offset + std::min(within.length, UINT64_MAX - within.offset) &&
              ReadAt(fd.get(), b, count))
            result.blockCount = LittleEndian32(b);
          return result;
        }
      } else {
        k = 0;
      }
    }
    count += n;
  }
}

int ExtractBlocks(const std::string& file, const std::vector<std::string>& outputs, TBlockRange within,
                  std::vector<TBlockRange>* spans) {
  TBlockMarker marker = FindBlockMarker(file, within);
  if (!marker.found) return 0;
  TFd in(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st{};
  if (!in.ok() || ::fstat(in.get(), &st) != 0) return 0;
  // Nothing past the end of the range counts, as if the file ended there.
  const uint64_t fileSize = std::min<uint64_t>(static_cast<uint64_t>(st.st_size),
                                               within.offset + std::min(within.length, UINT64_MAX - within.offset));
  if (marker.end + 4 > fileSize) return 0;
  uint64_t pos = marker.end;
  uint8_t b[4];
  if (!ReadAt(in.get(), b, pos)) return 0;
  pos += 4;
  const uint64_t blocks = std::min<uint64_t>(LittleEndian32(b), outputs.size());
  std::vector<uint8_t> buf;
  int written = 0;
  for (uint64_t i = 0; i < blocks; ++i) {
    if (pos + 4 > fileSize || !ReadAt(in.get(), b, pos)) break;
    pos += 4;
    // A length that runs past the end of the file copies what is there.
    const uint64_t length = std::min<uint64_t>(LittleEndian32(b), fileSize - pos);
    if (spans) spans->push_back({pos, length});
    const std::string& target = outputs[i];
    if (!target.empty()) {
      TFd out(CreateOutput(target));
      if (out.ok()) {
        if (CopyRange(in.get(), pos, out.get(), length, buf)) {
          ++written;
        } else {
          ::close(out.release());
          ::unlink(target.c_str());
        }
      }
    }
    pos += length;
    if (pos >= fileSize) {
      // Blocks after the end of the file have nothing to give, not even a length.
      if (i + 1 < blocks) break;
    }
  }
  return written;
}

void WriteBlockContainer(std::FILE* out, const std::vector<TBlockSource>& blocks) {
  auto put32 = [out](uint64_t v) {
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                    static_cast<uint8_t>(v >> 24)};
    if (std::fwrite(b, 1, 4, out) != 4) throw EQVError("Cannot write the container");
  };
  const std::string marker = BlockMarkerBytes();
  if (std::fwrite(marker.data(), 1, marker.size(), out) != marker.size())
    throw EQVError("Cannot write the container");
  put32(blocks.size());
  std::vector<char> buf(kCopyBuffer);
  for (const TBlockSource& block : blocks) {
    if (block.path.empty()) {
      if (block.bytes.size() > 0xFFFFFFFFull) throw EQVError("A block is larger than 4 GiB");
      put32(block.bytes.size());
      if (std::fwrite(block.bytes.data(), 1, block.bytes.size(), out) != block.bytes.size())
        throw EQVError("Cannot write the container");
      continue;
    }
    std::FILE* in = std::fopen(block.path.c_str(), "rb");
    if (!in) throw EQVError("Cannot open " + block.path);
    struct stat st{};
    if (::fstat(::fileno(in), &st) != 0 || !S_ISREG(st.st_mode)) {
      std::fclose(in);
      throw EQVError("Not a regular file: " + block.path);
    }
    if (static_cast<uint64_t>(st.st_size) > 0xFFFFFFFFull) {
      std::fclose(in);
      throw EQVError("File is larger than 4 GiB: " + block.path);
    }
    put32(static_cast<uint64_t>(st.st_size));
    uint64_t left = static_cast<uint64_t>(st.st_size);
    while (left > 0) {
      size_t n = std::fread(buf.data(), 1, std::min<uint64_t>(left, buf.size()), in);
      if (n == 0) break;
      if (std::fwrite(buf.data(), 1, n, out) != n) {
        std::fclose(in);
        throw EQVError("Cannot write the container");
      }
      left -= n;
    }
    std::fclose(in);
    if (left != 0) throw EQVError("File changed while it was read: " + block.path);
  }
}

uint64_t BlockContainerSize(const std::vector<TBlockSource>& blocks) {
  uint64_t size = kBlockTagLength + 4;
  for (const TBlockSource& block : blocks) {
    size += 4;
    if (block.path.empty()) {
      size += block.bytes.size();
      continue;
    }
    struct stat st{};
    if (::stat(block.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) throw EQVError("Cannot open " + block.path);
    size += static_cast<uint64_t>(st.st_size);
  }
  return size;
}

std::string BlockContainerBytes(const std::vector<std::string>& blocks) {
  std::string out = BlockMarkerBytes();
  auto put32 = [&out](uint64_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
  };
  put32(blocks.size());
  for (const std::string& block : blocks) {
    if (block.size() > 0xFFFFFFFFull) throw EQVError("A block is larger than 4 GiB");
    put32(block.size());
    out += block;
  }
  return out;
}

}  // namespace qv
