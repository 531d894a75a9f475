// The text encodings files and input come in: UTF-8, which the engine uses
// throughout, and Windows-1252, in which older Windows tools wrote text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// Appends a code point as UTF-8; one that has no encoding (past U+10FFFF, a
// surrogate) becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// True when the text reads as UTF-8: every sequence a lead byte (not C0, C1
// or F5 to FF) with all its continuation bytes.
bool IsValidUtf8(std::string_view text);

// The first code point of UTF-8 text: 0 for no text, U+FFFD when the first
// sequence is malformed or cut short.
char32_t FirstCodePoint(std::string_view text);

// The code point a Windows-1252 byte stands for; U+FFFD for the five bytes
// the code page leaves unassigned.
char32_t Windows1252CodePoint(uint8_t byte);

// Windows-1252 text as UTF-8.
std::string Utf8FromWindows1252(std::string_view text);

}  // namespace qv
