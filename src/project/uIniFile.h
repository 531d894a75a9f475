// Settings files in the Windows private-profile format: a read-only parsed view
// (TIniFile) and an editable document that keeps every line (TIniDocument).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/Limits.h"

namespace qv {

// Names compare ignoring ASCII case, the first matching section and the first
// matching key win, names and values are trimmed, ";" starts a comment line.
// Lines before the first section, and "[" lines without "]", are ignored.
class TIniFile {
 public:
  TIniFile() = default;
  static TIniFile FromText(std::string_view text);
  // A missing, unreadable or oversized file gives an empty view.
  static TIniFile FromFile(const std::string& path);

  bool SectionExists(std::string_view section) const;
  // Every section header counts, a repeated name as often as it appears.
  size_t SectionCount() const { return sections_.size(); }
  // A key line without "=" is listed by ReadSectionKeys but has no value, so
  // reading it gives the default. A value in matching quotes loses them.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // StrToIntDef rules: the whole value is a decimal integer with an optional
  // sign, or hex after "$" or "0x" (up to 32 bits); anything else gives `def`.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  // Key names of the section in file order, duplicates included.
  std::vector<std::string> ReadSectionKeys(std::string_view section) const;

 private:
  struct TEntry {
    std::string key;
    std::string value;
    bool hasValue = false;
  };
  struct TSection {
    std::string name;
    std::vector<TEntry> entries;
  };
  const TSection* Find(std::string_view section) const;
  const TEntry* FindKey(std::string_view section, std::string_view key) const;

  std::vector<TSection> sections_;
  // The first section of each upper-cased name, so that a look-up costs the
  // same in a file of a million sections as in one of ten.
  std::unordered_map<std::string, size_t> index_;
};

// Parses an integer value the way StrToIntDef does; false when it is not one.
bool ParseIniInteger(std::string_view text, int32_t& out);

// True when `key` survives a write and a read back unchanged as a key name:
// not empty, no "=", CR, LF or NUL, no leading ";" or "[", no outer blanks.
bool IsStorableIniKey(std::string_view key);

class TIniDocument {
 public:
  TIniDocument() = default;
  static TIniDocument FromText(std::string_view text);
  // A missing file gives an empty document. Throws EQVError when the file
  // exists but cannot be read or exceeds kMaxIniFileSize.
  static TIniDocument FromFile(const std::string& path);

  // Replaces the first matching key of the first matching section in place,
  // else appends the key to that section, else appends a new section.
  // Throws EQVError for a key that IsStorableIniKey refuses or a value with
  // CR, LF or NUL.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  // Removes every section of that name with its lines.
  void EraseSection(std::string_view section);
  // Erases the section and writes `entries` in order where its first copy
  // stood (at the end when there was none); no section when entries is empty.
  void ReplaceSection(std::string_view section, const std::vector<std::pair<std::string, std::string>>& entries);

  // The document with CR LF line ends.
  std::string Text() const;
  TIniFile Parsed() const { return TIniFile::FromText(Text()); }

  // Writes a temporary file beside the target, flushes it to disk and renames
  // it over the target (over a symlink's target, keeping the link). The old
  // file's permission bits are kept; a new file gets 0600. On failure the
  // temporary file is removed, the old file is left as it was and EQVError
  // is thrown.
  void SaveAtomically(const std::string& path) const;

 private:
  // A section's header line and the end of its body (the next header or the end).
  struct TRange {
    size_t header;
    size_t bodyEnd;
  };
  std::vector<TRange> Sections(std::string_view section) const;

  bool bom_ = false;
  std::vector<std::string> lines_;
};

}  // namespace qv
