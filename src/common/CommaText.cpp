#include "common/CommaText.h"

namespace qv {

namespace {

bool IsBlank(char c) { return c >= 1 && c <= ' '; }

}  // namespace

std::vector<std::string> CommaTextItems(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> items;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  while (i < text.size()) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < text.size()) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      const size_t start = i;
      while (i < text.size() && !IsBlank(text[i]) && text[i] != ',') ++i;
      item.assign(text.substr(start, i - start));
    }
    items.push_back(std::move(item));
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && text[i] == ',') {
      do {
        ++i;
      } while (i < text.size() && IsBlank(text[i]));
    }
  }
  return items;
}

std::string ToCommaText(const std::vector<std::string>& items) {
  std::string out;
  for (size_t n = 0; n < items.size(); ++n) {
    if (n) out += ',';
    const std::string& item = items[n];
    bool quote = item.empty() && items.size() == 1;
    for (char c : item) quote = quote || static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',';
    if (!quote) {
      out += item;
      continue;
    }
    out += '"';
    for (char c : item) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

}  // namespace qv
