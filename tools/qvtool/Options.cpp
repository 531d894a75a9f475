#include "Options.h"

#include <charconv>
#include <utility>

namespace qvtool {

TOptionReader::TOptionReader(std::string usage) : usage_(std::move(usage)) {}

TOptionReader& TOptionReader::Value(const std::string& name, std::string& out) {
  return Value(name, [&out](const std::string& v) { out = v; });
}

TOptionReader& TOptionReader::Values(const std::string& name, std::vector<std::string>& out) {
  return Value(name, [&out](const std::string& v) { out.push_back(v); });
}

TOptionReader& TOptionReader::Value(const std::string& name, std::function<void(const std::string&)> take) {
  options_.push_back({name, std::move(take), nullptr});
  return *this;
}

TOptionReader& TOptionReader::Switch(const std::string& name, bool& out) {
  options_.push_back({name, {}, &out});
  return *this;
}

TOptionReader& TOptionReader::Plain(std::vector<std::string>& out, size_t least, size_t most) {
  plain_ = &out;
  least_ = least;
  most_ = most;
  return *this;
}

const TOptionReader::TOption* TOptionReader::Find(const std::string& name) const {
  for (const TOption& option : options_)
    if (option.name == name) return &option;
  return nullptr;
}

void TOptionReader::Read(const Args& args) const {
  for (const std::string& a : args)
    if (a == "--") break;
    else if (a == "--help" || a == "-h") throw HelpAsked{usage_};
  size_t plainCount = 0;
  bool onlyPlain = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!onlyPlain && a == "--") {
      onlyPlain = true;
      continue;
    }
    if (!onlyPlain && a.size() > 2 && a.starts_with("--")) {
      const TOption* option = Find(a);
      if (!option) throw UsageError{"unknown option " + a + "\n" + usage_};
      if (option->flag) {
        *option->flag = true;
      } else {
        if (i + 1 >= args.size()) throw UsageError{a + " needs a value"};
        option->take(args[++i]);
      }
      continue;
    }
    if (!plain_) throw UsageError{"unexpected argument \"" + a + "\"\n" + usage_};
    if (++plainCount > most_) throw UsageError{"unexpected argument \"" + a + "\"\n" + usage_};
    plain_->push_back(a);
  }
  if (plain_ && plainCount < least_) throw UsageError{usage_};
}

long long ParseNumber(const std::string& text, long long low, long long high, const std::string& what) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || at != end || value < low || value > high)
    throw UsageError{what + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not \"" + text + "\""};
  return value;
}

uint32_t ParseDuration(const std::string& text, uint32_t lowSeconds, uint32_t highSeconds, const std::string& what) {
  const std::string unit = text.empty() ? std::string() : text.substr(text.size() - 1);
  const uint32_t scale = unit == "s" ? 1 : unit == "m" ? 60 : unit == "h" ? 3600 : 0;
  long long count = -1;
  if (scale != 0) {
    const char* end = text.data() + text.size() - 1;
    const auto [at, ec] = std::from_chars(text.data(), end, count);
    if (text.size() < 2 || ec != std::errc() || at != end) count = -1;
  }
  if (count < 0 || count * scale < lowSeconds || count * scale > highSeconds)
    throw UsageError{what + " takes a time from " + std::to_string(lowSeconds) + "s to " +
                     std::to_string(highSeconds / 3600) + "h written with its unit, such as 90s, 10m or 1h, not \"" +
                     text + "\""};
  return static_cast<uint32_t>(count * scale * 1000);
}

void ParseSize(const std::string& text, int low, int high, const std::string& what, int& width, int& height) {
  const size_t x = text.find('x');
  if (x == std::string::npos)
    throw UsageError{what + " takes WIDTHxHEIGHT, such as 1024x768, not \"" + text + "\""};
  width = static_cast<int>(ParseNumber(text.substr(0, x), low, high, what + "'s width"));
  height = static_cast<int>(ParseNumber(text.substr(x + 1), low, high, what + "'s height"));
}

}  // namespace qvtool
