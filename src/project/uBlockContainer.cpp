#include "project/uBlockContainer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/ByteReader.h"
#include "common/Error.h"
#include "platform/Files.h"

namespace qv {

namespace {

// Copies move through one buffer of this size. The scan's result does not
// depend on how the file is cut into pieces (the match carries over piece
// boundaries), so a larger piece than the container format's 1001 bytes only
// saves system calls.
constexpr size_t kCopyBuffer = 1 << 20;

// A block's length is stored in 32 bits: a file stored as one block is at
// most 4 GiB.
constexpr uint64_t kMaxBlockBytes = 0xFFFFFFFFull;

// Reads the 4 bytes at an offset.
bool ReadAt(const platform::TFile& file, uint8_t (&b)[4], uint64_t offset) {
  size_t got = 0;
  while (got < 4) {
    const size_t n = file.ReadAt(b + got, 4 - got, offset + got);
    if (n == 0) return false;
    got += n;
  }
  return true;
}

// Copies `length` bytes from `offset` of `in` to the end of `out` through
// one fixed buffer; an input that ends early ends the copy.
bool CopyRange(const platform::TFile& in, uint64_t offset, platform::TFile& out, uint64_t length,
               std::vector<uint8_t>& buf) {
  if (buf.empty()) buf.resize(kCopyBuffer);
  while (length > 0) {
    const size_t n = in.ReadAt(buf.data(), static_cast<size_t>(std::min<uint64_t>(length, buf.size())), offset);
    if (n == 0) return true;
    if (!out.Write(buf.data(), n)) return false;
    offset += n;
    length -= n;
  }
  return true;
}

// Creates an output file without following a link and without writing into
// something that is not ours: an existing regular file of our own is
// replaced, anything else (a link, another user's file, a folder) is refused.
bool CreateOutput(const std::string& path, platform::TFile& out) {
  const platform::TCreateResult made = platform::CreateExclusive(path, out);
  if (made != platform::TCreateResult::Exists) return made == platform::TCreateResult::Created;
  if (!platform::IsOwnRegularFile(path)) return false;
  platform::RemoveFile(path);
  return platform::CreateExclusive(path, out) == platform::TCreateResult::Created;
}

// The container's file, opened for reading; a folder, device or FIFO never is.
bool OpenContainer(const std::string& file, platform::TFile& in) {
  std::string reason;
  return platform::OpenRegularFile(file, UINT64_MAX, in, reason) == platform::TOpenResult::Ok;
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
  platform::TFile in;
  if (!OpenContainer(file, in)) return result;
  uint64_t at = within.offset;
  uint64_t left = within.length;
  const std::string marker = BlockMarkerBytes();
  std::vector<uint8_t> buf(kCopyBuffer);
  uint64_t count = within.offset;  // bytes examined so far
  int k = 0;                       // characters of the marker matched so far
  for (;;) {
    const size_t n = in.ReadAt(buf.data(), static_cast<size_t>(std::min<uint64_t>(buf.size(), left)), at);
    if (n == 0) return result;
    at += n;
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
              ReadAt(in, b, count))
            result.blockCount = LoadLE32(b);
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
                  std::vector<TBlockRange>* spans, TBlockShortfall* shortfall) {
  TBlockShortfall unused;
  TBlockShortfall& lacking = shortfall ? *shortfall : unused;
  lacking = {};
  TBlockMarker marker = FindBlockMarker(file, within);
  if (!marker.found) return 0;
  platform::TFile in;
  if (!OpenContainer(file, in)) return 0;
  // Nothing past the end of the range counts, as if the file ended there.
  const uint64_t fileSize = std::min<uint64_t>(in.Size(),
                                               within.offset + std::min(within.length, UINT64_MAX - within.offset));
  uint64_t pos = marker.end;
  uint8_t b[4];
  if (marker.end + 4 > fileSize || !ReadAt(in, b, pos)) {
    lacking.missingBytes = marker.end + 4 - std::min(fileSize, marker.end + 4);
    lacking.exact = false;
    return 0;
  }
  pos += 4;
  const uint64_t blocks = std::min<uint64_t>(LoadLE32(b), outputs.size());
  std::vector<uint8_t> buf;
  int written = 0;
  for (uint64_t i = 0; i < blocks; ++i) {
    if (pos + 4 > fileSize || !ReadAt(in, b, pos)) {
      // Blocks the count promises beyond the end: at least their lengths.
      const uint64_t there = fileSize > pos ? fileSize - pos : 0;
      lacking.missingBytes += std::max<uint64_t>((blocks - i) * 4, there) - there;
      lacking.exact = false;
      for (uint64_t j = i; j < blocks; ++j) lacking.cutBlocks.push_back(static_cast<size_t>(j));
      break;
    }
    pos += 4;
    // A length that runs past the end of the file copies what is there.
    const uint64_t declared = LoadLE32(b);
    const uint64_t length = std::min<uint64_t>(declared, fileSize - pos);
    if (length < declared) {
      lacking.missingBytes += declared - length;
      lacking.cutBlocks.push_back(static_cast<size_t>(i));
    }
    if (spans) spans->push_back({pos, length});
    const std::string& target = outputs[i];
    if (!target.empty()) {
      platform::TFile out;
      if (CreateOutput(target, out)) {
        if (CopyRange(in, pos, out, length, buf) && out.Close()) {
          ++written;
        } else {
          out.Close();
          platform::RemoveFile(target);
        }
      }
    }
    pos += length;
  }
  return written;
}

void WriteBlockContainer(std::FILE* out, const std::vector<TBlockSource>& blocks) {
  auto put32 = [out](uint64_t v) {
    uint8_t b[4];
    StoreLE32(b, static_cast<uint32_t>(v));
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
    platform::TFile in = platform::OpenFileToRead(block.path, kMaxBlockBytes);
    const uint64_t size = in.Size();
    put32(size);
    uint64_t left = size;
    while (left > 0) {
      const size_t n = in.Read(buf.data(), static_cast<size_t>(std::min<uint64_t>(left, buf.size())));
      if (n == 0) break;
      if (std::fwrite(buf.data(), 1, n, out) != n) throw EQVError("Cannot write the container");
      left -= n;
    }
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
    size += platform::OpenFileToRead(block.path, kMaxBlockBytes).Size();
  }
  return size;
}

std::string BlockContainerBytes(const std::vector<std::string>& blocks) {
  std::string out = BlockMarkerBytes();
  AppendLE32(out, static_cast<uint32_t>(blocks.size()));
  for (const std::string& block : blocks) {
    if (block.size() > 0xFFFFFFFFull) throw EQVError("A block is larger than 4 GiB");
    AppendLE32(out, static_cast<uint32_t>(block.size()));
    out += block;
  }
  return out;
}

}  // namespace qv
