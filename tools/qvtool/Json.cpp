#include "Json.h"

#include <cstdio>

namespace qvtool {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

void JsonWriter::Separate() {
  if (needComma_) out_ += ',';
  needComma_ = true;
}

JsonWriter& JsonWriter::BeginObject() {
  Separate();
  out_ += '{';
  needComma_ = false;
  return *this;
}
JsonWriter& JsonWriter::EndObject() {
  out_ += '}';
  needComma_ = true;
  return *this;
}
JsonWriter& JsonWriter::BeginArray() {
  Separate();
  out_ += '[';
  needComma_ = false;
  return *this;
}
JsonWriter& JsonWriter::EndArray() {
  out_ += ']';
  needComma_ = true;
  return *this;
}
JsonWriter& JsonWriter::Key(std::string_view key) {
  Separate();
  out_ += JsonString(key) + ':';
  needComma_ = false;
  return *this;
}
JsonWriter& JsonWriter::Value(std::string_view text) {
  Separate();
  out_ += JsonString(text);
  return *this;
}
JsonWriter& JsonWriter::Value(int64_t number) {
  Separate();
  out_ += std::to_string(number);
  return *this;
}
JsonWriter& JsonWriter::Value(uint64_t number) {
  Separate();
  out_ += std::to_string(number);
  return *this;
}
JsonWriter& JsonWriter::Value(bool flag) {
  Separate();
  out_ += flag ? "true" : "false";
  return *this;
}
JsonWriter& JsonWriter::Value(double number) {
  Separate();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", number);
  out_ += buf;
  return *this;
}

}  // namespace qvtool
