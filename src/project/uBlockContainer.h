// The block container: a marker, a block count and length-prefixed blocks.
// The overlay appended to the engine, the settings container inside it and the
// picture container all share this structure. Scanning and copying go
// through one fixed buffer, so blocks of any size cost constant memory. The
// format's readers work in 1001-byte chunks; a scan carries its match across
// chunk boundaries, so the result does not depend on the chunk size.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qv {

// The plain tag; the marker in a file is this tag with 1 added to every
// character's code. Only the tag is stored in the program, so the engine's
// own image never holds a copy of the marker.
inline constexpr char kBlockTag[] = "{QVRESROURCE}";
inline constexpr int kBlockTagLength = 13;

struct TBlockMarker {
  bool found = false;
  uint64_t end = 0;         // offset of the first byte after the marker
  uint32_t blockCount = 0;  // 0 when the count itself is cut off
};

// A stretch of a file: a container nested in a block of another one.
struct TBlockRange {
  uint64_t offset = 0;
  uint64_t length = UINT64_MAX;  // to the end of the file
};

// The 13 bytes of the marker as they appear in a file.
std::string BlockMarkerBytes();

// Scans the file (or a range of it) from its first byte for the first marker.
TBlockMarker FindBlockMarker(const std::string& file, TBlockRange within = {});

// What a container that runs past the end of its file (or range) lacks.
struct TBlockShortfall {
  uint64_t missingBytes = 0;  // at least this many bytes are missing
  bool exact = true;          // false when blocks whose lengths are lost are missing too
  std::vector<size_t> cutBlocks;  // 0-based blocks copied only in part or not at all
  bool Any() const { return missingBytes > 0; }
};

// Writes blocks 1, 2, ... of the container in `file` to `outputs`, in order;
// min(block count, outputs.size()) blocks. An empty output path skips that
// block's bytes without writing them. A block whose length runs past the end
// of the file is copied as far as the file goes. Returns the number of blocks
// whose output was written. Errors are not reported: a missing file extracts
// nothing. `within` reads a container that lies inside a range of the file;
// `spans`, when given, receives where each block visited lies in the file;
// `shortfall`, when given, what the file lacks of the blocks its count promises.
int ExtractBlocks(const std::string& file, const std::vector<std::string>& outputs, TBlockRange within = {},
                  std::vector<TBlockRange>* spans = nullptr, TBlockShortfall* shortfall = nullptr);

// Writes a container: the marker, the count and each block. Blocks are given
// as files to copy (streamed) so that large pictures are not held in memory.
struct TBlockSource {
  std::string path;   // file whose bytes form the block, or
  std::string bytes;  // the bytes themselves when path is empty
};
// Throws EQVError naming the file that cannot be read or written.
void WriteBlockContainer(std::FILE* out, const std::vector<TBlockSource>& blocks);

// The number of bytes WriteBlockContainer will write for these blocks (files
// are measured as they are now). Throws EQVError for a missing file.
uint64_t BlockContainerSize(const std::vector<TBlockSource>& blocks);

// A small container built in memory (the settings container).
std::string BlockContainerBytes(const std::vector<std::string>& blocks);

}  // namespace qv
