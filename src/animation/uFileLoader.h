// The .QVP file: TMyStream reads its fields, TFileLoader reads the whole file
// (or only its header) and hands out the parts. The layout is also written
// here, for the tool that makes such files and for the tests.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "animation/uProjectTypes.h"
#include "common/ByteReader.h"
#include "graphics/Bitmap32.h"

namespace qv {

inline constexpr char kProjectMagic[] = "QV060697";
inline constexpr char kNoSound[] = "<NO SOUND>";

// A reader over the file's bytes. Every read checks what remains first; a
// read past the end throws EQVError "Read beyond end of file".
class TMyStream {
 public:
  // Reads the whole file: a regular file of at most kMaxProjectFileBytes.
  // Throws EQVError "File not found" or "Cannot read the file: <why>".
  explicit TMyStream(const std::string& fileName);
  explicit TMyStream(std::vector<uint8_t> bytes);
  TMyStream(const TMyStream&) = delete;
  TMyStream& operator=(const TMyStream&) = delete;

  void ReadBytes(void* buffer, size_t count);
  int32_t ReadInteger();
  std::string ReadFixedText(size_t count);
  // The next `count` bytes, for a blob read into memory.
  std::span<const uint8_t> ReadBlob(size_t count);
  // A 32-bit length followed by that many bytes; a length beyond what
  // remains or above `cap` fails before anything is read.
  std::span<const uint8_t> ReadCounted(uint64_t cap = UINT64_MAX);
  bool AtEnd() const { return reader_.AtEnd(); }

 private:
  std::vector<uint8_t> bytes_;
  TByteReader reader_;
};

// The parts of a file as stored.
struct TProjectFileParts {
  std::string title, comment;
  std::vector<uint8_t> preview;  // JPEG
  std::vector<TWaveParam> areas = std::vector<TWaveParam>(kAreaCount);
  std::vector<int32_t> mask;     // width, height, then runs: length x 10 + area code
  std::vector<uint8_t> picture;  // JPEG
  std::string sound = kNoSound;  // the single sound name of older files
  TWeatherParam weather;
  std::array<TSoundSlot, kSoundSlots> sounds;
  std::string objects;  // object descriptions
  std::string build;    // build settings as comma text
  // How many of the later fields (sound slots, objects, build settings) the
  // file holds: 0 to 3.
  int later = 3;
};

class TFileLoader {
 public:
  // The full read; throws EQVError: "Incorrect Project File!" for a wrong
  // magic, "Read beyond end of file" for a file that ends inside fields 1 to
  // 11, a decoder's error for a broken picture, and a message naming the
  // fault for a negative area count or a mask that is no mask (a negative
  // run, an unknown area code). What is merely surplus (area records past
  // four, runs past the mask's last pixel) is passed over and noted. The
  // later fields are skipped silently from the first one that does not read.
  void ReadFile(const std::string& fileName);
  void Read(TMyStream& stream);
  // Magic, title, comment and preview.
  void ReadHeaderFile(const std::string& fileName);
  void ReadHeader(TMyStream& stream);

  const TProjectFileParts& Parts() const { return parts_; }
  // What the last read passed over, one line each.
  const std::vector<std::string>& Notes() const { return notes_; }
  const std::string& Title() const { return parts_.title; }
  const std::string& Comment() const { return parts_.comment; }
  const std::string& Sound() const { return parts_.sound; }
  const std::string& Objects() const { return parts_.objects; }
  const std::string& BuildSettings() const { return parts_.build; }
  void CopyPicture(TBitmap32& to) const { to = picture_; }
  void CopyPreview(TBitmap32& to) const { to = preview_; }
  void CopyMask(TBitmap32& to) const { to = mask_; }
  // Areas beyond those stored stay as they are.
  void CopyAreas(std::array<TWaveParam, kAreaCount>& to) const;
  void CopyWeather(TWeatherParam& to) const { to = parts_.weather; }
  void CopySounds(std::array<TSoundSlot, kSoundSlots>& to) const { to = parts_.sounds; }

 private:
  TProjectFileParts parts_;
  std::vector<std::string> notes_;
  TBitmap32 picture_, preview_, mask_;
};

// The mask run list as a picture: code 0 gives 0, codes 1..4 the area
// colours. Throws EQVError for fewer than two entries, a size beyond what a
// decoded picture may take, a negative entry or a code 5..9. Runs past width
// x height are cut at the last pixel; `surplus`, when given, is set when
// that happened.
TBitmap32 DecodeMask(std::span<const int32_t> entries, bool* surplus = nullptr);
// A picture whose pixels are black or area colours (red, green and blue
// compared) as a run list; throws EQVError naming the first other pixel.
std::vector<int32_t> EncodeMask(const TBitmap32& mask);

std::vector<uint8_t> EncodeProjectFile(const TProjectFileParts& parts);

}  // namespace qv
