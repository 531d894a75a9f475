#include "project/uIniFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/Error.h"
#include "common/Paths.h"
#include "platform/Files.h"

namespace qv {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

enum class TLineKind { Blank, Comment, Section, Key, Junk };

struct TLine {
  TLineKind kind = TLineKind::Blank;
  std::string_view name;
  std::string_view value;
  bool hasValue = false;
};

TLine Classify(std::string_view raw) {
  TLine line;
  std::string_view t = Trim(raw);
  if (t.empty()) return line;
  if (t[0] == ';') {
    line.kind = TLineKind::Comment;
    return line;
  }
  if (t[0] == '[') {
    size_t close = t.rfind(']');
    if (close == std::string_view::npos) {
      line.kind = TLineKind::Junk;
      return line;
    }
    line.kind = TLineKind::Section;
    line.name = Trim(t.substr(1, close - 1));
    return line;
  }
  size_t eq = t.find('=');
  line.name = Trim(t.substr(0, eq));
  if (line.name.empty()) {
    line.kind = TLineKind::Junk;
    return line;
  }
  line.kind = TLineKind::Key;
  if (eq != std::string_view::npos) {
    line.hasValue = true;
    line.value = Trim(t.substr(eq + 1));
  }
  return line;
}

// Calls `each` for every line of `text` without its line end.
template <typename F>
void ForEachLine(std::string_view text, F&& each) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    each(line);
    start = end + 1;
  }
}

std::string_view WithoutBom(std::string_view text, bool* had = nullptr) {
  bool bom = text.substr(0, kBom.size()) == kBom;
  if (had) *had = bom;
  return bom ? text.substr(kBom.size()) : text;
}

bool HasLineBreakOrNul(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

bool IsStorableSection(std::string_view name) {
  return !name.empty() && Trim(name) == name && name.find(']') == std::string_view::npos && !HasLineBreakOrNul(name);
}

void CheckEntry(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsStorableSection(section)) throw EQVError("Invalid settings section name \"" + std::string(section) + "\"");
  if (!IsStorableIniKey(key)) throw EQVError("Invalid settings key name \"" + std::string(key) + "\"");
  if (HasLineBreakOrNul(value)) throw EQVError("Invalid value for settings key \"" + std::string(key) + "\"");
}

std::string SectionHeader(std::string_view section) {
  std::string line;
  line.reserve(section.size() + 2);
  line += '[';
  line += section;
  line += ']';
  return line;
}

std::string KeyLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  return line;
}

}  // namespace

bool ParseIniInteger(std::string_view text, int32_t& out) {
  std::string_view t = Trim(text);
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  bool hex = false;
  if (!t.empty() && t[0] == '$') {
    hex = true;
    t.remove_prefix(1);
  } else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    hex = true;
    t.remove_prefix(2);
  }
  if (t.empty()) return false;
  uint64_t value = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (char c : t) {
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (hex && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    value = value * (hex ? 16 : 10) + digit;
    if (value > limit) return false;
  }
  // Hex spells the 32 bits themselves: $FFFFFFFF is -1.
  uint32_t bits = static_cast<uint32_t>(value);
  if (negative) bits = 0u - bits;
  out = static_cast<int32_t>(bits);
  return true;
}

bool IsStorableIniKey(std::string_view key) {
  return !key.empty() && Trim(key) == key && key[0] != ';' && key[0] != '[' &&
         key.find('=') == std::string_view::npos && !HasLineBreakOrNul(key);
}

// TIniFile

TIniFile TIniFile::FromText(std::string_view text) {
  TIniFile ini;
  TSection* current = nullptr;
  ForEachLine(WithoutBom(text), [&](std::string_view raw) {
    TLine line = Classify(raw);
    if (line.kind == TLineKind::Section) {
      ini.index_.emplace(UpperAscii(line.name), ini.sections_.size());
      ini.sections_.push_back(TSection{std::string(line.name), {}});
      current = &ini.sections_.back();
    } else if (line.kind == TLineKind::Key && current) {
      current->entries.push_back(TEntry{std::string(line.name), std::string(line.value), line.hasValue});
    }
  });
  return ini;
}

TIniFile TIniFile::FromFile(const std::string& path) {
  try {
    return FromText(platform::ReadWholeText(path, kMaxIniFileSize));
  } catch (const platform::EFileUnreadable&) {
    return TIniFile();  // read like a missing file: every key has its default
  }
}

const TIniFile::TSection* TIniFile::Find(std::string_view section) const {
  auto it = index_.find(UpperAscii(section));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

const TIniFile::TEntry* TIniFile::FindKey(std::string_view section, std::string_view key) const {
  const TSection* s = Find(section);
  if (!s) return nullptr;
  for (const TEntry& e : s->entries)
    if (EqualsIgnoreCase(e.key, key)) return &e;
  return nullptr;
}

bool TIniFile::SectionExists(std::string_view section) const { return Find(section) != nullptr; }

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const TEntry* e = FindKey(section, key);
  if (!e || !e->hasValue) return std::string(def);
  std::string_view v = e->value;
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  const TEntry* e = FindKey(section, key);
  if (!e || !e->hasValue) return def;
  int32_t value;
  return ParseIniInteger(ReadString(section, key, ""), value) ? value : def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const TSection* s = Find(section)) {
    keys.reserve(s->entries.size());
    for (const TEntry& e : s->entries) keys.push_back(e.key);
  }
  return keys;
}

// TIniDocument

TIniDocument TIniDocument::FromText(std::string_view text) {
  TIniDocument doc;
  ForEachLine(WithoutBom(text, &doc.bom_), [&](std::string_view line) { doc.lines_.emplace_back(line); });
  return doc;
}

TIniDocument TIniDocument::FromFile(const std::string& path) {
  try {
    return FromText(platform::ReadWholeText(path, kMaxIniFileSize));
  } catch (const platform::EFileUnreadable& e) {
    if (e.Missing()) return TIniDocument();  // no file yet: nothing set
    throw;
  }
}

std::vector<TIniDocument::TRange> TIniDocument::Sections(std::string_view section) const {
  std::vector<TRange> ranges;
  bool inside = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    TLine line = Classify(lines_[i]);
    if (line.kind != TLineKind::Section) continue;
    if (inside) ranges.back().bodyEnd = i;
    inside = EqualsIgnoreCase(line.name, section);
    if (inside) ranges.push_back(TRange{i, lines_.size()});
  }
  return ranges;
}

void TIniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckEntry(section, key, value);
  std::vector<TRange> ranges = Sections(section);
  if (ranges.empty()) {
    lines_.push_back(SectionHeader(section));
    lines_.push_back(KeyLine(key, value));
    return;
  }
  const TRange& r = ranges.front();
  size_t insertAt = r.header + 1;
  for (size_t i = r.header + 1; i < r.bodyEnd; ++i) {
    TLine line = Classify(lines_[i]);
    if (line.kind == TLineKind::Key && EqualsIgnoreCase(line.name, key)) {
      lines_[i] = KeyLine(line.name, value);
      return;
    }
    if (line.kind != TLineKind::Blank) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), KeyLine(key, value));
}

void TIniDocument::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniDocument::EraseSection(std::string_view section) { ReplaceSection(section, {}); }

void TIniDocument::ReplaceSection(std::string_view section,
                                  const std::vector<std::pair<std::string, std::string>>& entries) {
  for (const auto& [key, value] : entries) CheckEntry(section, key, value);
  if (!IsStorableSection(section)) throw EQVError("Invalid settings section name \"" + std::string(section) + "\"");

  std::vector<std::string> block;
  if (!entries.empty()) {
    block.reserve(entries.size() + 1);
    block.push_back(SectionHeader(section));
    for (const auto& [key, value] : entries) block.push_back(KeyLine(key, value));
  }
  std::vector<TRange> ranges = Sections(section);
  if (ranges.empty()) {
    lines_.insert(lines_.end(), block.begin(), block.end());
    return;
  }
  // Blank lines that closed the first copy keep separating it from what follows.
  const TRange& first = ranges.front();
  size_t trailing = 0;
  while (first.bodyEnd - trailing > first.header + 1 && Trim(lines_[first.bodyEnd - trailing - 1]).empty())
    ++trailing;
  if (!block.empty()) block.insert(block.end(), trailing, std::string());

  for (size_t i = ranges.size(); i-- > 0;)
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(ranges[i].header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(ranges[i].bodyEnd));
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(first.header), block.begin(), block.end());
}

std::string TIniDocument::Text() const {
  size_t size = bom_ ? kBom.size() : 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  if (bom_) text += kBom;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void TIniDocument::SaveAtomically(const std::string& path) const {
  std::string reason;
  if (!platform::ReplaceFileContents(path, Text(), reason))
    throw EQVError("Cannot save settings file " + path + ": " + reason);
}

}  // namespace qv
