#include "graphics/TextFormats/TextEncoding.h"

namespace qv {

namespace {

// Windows-1252 for the bytes 0x80 to 0x9F; the rest of the upper half is
// Latin-1, where the byte is the code point.
constexpr char32_t kCp1252[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                  0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// How many continuation bytes follow a lead byte; -1 for a byte that leads
// nothing (a continuation byte, an overlong lead C0 or C1, F5 and above).
int ContinuationCount(unsigned char c) {
  if (c < 0x80) return 0;
  if (c >= 0xC2 && c <= 0xDF) return 1;
  if ((c & 0xF0) == 0xE0) return 2;
  if (c >= 0xF0 && c <= 0xF4) return 3;
  return -1;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const int n = ContinuationCount(static_cast<unsigned char>(s[i]));
    if (n < 0 || s.size() - i < static_cast<size_t>(n) + 1) return false;
    for (int k = 1; k <= n; ++k)
      if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return false;
    i += static_cast<size_t>(n) + 1;
  }
  return true;
}

char32_t FirstCodePoint(std::string_view s) {
  if (s.empty()) return 0;
  const auto lead = static_cast<unsigned char>(s[0]);
  const int n = ContinuationCount(lead);
  if (n < 0 || s.size() < static_cast<size_t>(n) + 1) return 0xFFFD;
  if (n == 0) return lead;
  char32_t c = lead & (0x7F >> (n + 1));
  for (int k = 1; k <= n; ++k) {
    const auto next = static_cast<unsigned char>(s[static_cast<size_t>(k)]);
    if (!IsContinuation(next)) return 0xFFFD;
    c = c << 6 | (next & 0x3F);
  }
  return c;
}

char32_t Windows1252CodePoint(uint8_t byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252[byte - 0x80] : char32_t{byte};
}

std::string Utf8FromWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) AppendUtf8(out, Windows1252CodePoint(static_cast<uint8_t>(ch)));
  return out;
}

}  // namespace qv
