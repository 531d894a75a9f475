// A small JSON writer for the tool's one-line reports.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qvtool {

std::string JsonString(std::string_view text);

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);
  JsonWriter& Value(std::string_view text);
  JsonWriter& Value(const char* text) { return Value(std::string_view(text)); }
  JsonWriter& Value(int64_t number);
  JsonWriter& Value(int number) { return Value(static_cast<int64_t>(number)); }
  JsonWriter& Value(uint64_t number);
  JsonWriter& Value(bool flag);
  JsonWriter& Value(double number);
  const std::string& str() const { return out_; }

 private:
  void Separate();
  std::string out_;
  bool needComma_ = false;
};

}  // namespace qvtool
