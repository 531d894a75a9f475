// One reader for every command's arguments: "--name VALUE" options, given
// once or repeated, "--name" switches, and the plain arguments among them.
// "--help" or "-h" anywhere asks for the command's usage instead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Commands.h"

namespace qvtool {

class TOptionReader {
 public:
  // `usage` is what --help prints and what a wrong call is told.
  explicit TOptionReader(std::string usage);

  // "--name VALUE": the last one given counts.
  TOptionReader& Value(const std::string& name, std::string& out);
  // "--name VALUE", repeatable: every one in order.
  TOptionReader& Values(const std::string& name, std::vector<std::string>& out);
  // "--name VALUE" handed to `take` as it is met; `take` throws UsageError
  // when the value is wrong.
  TOptionReader& Value(const std::string& name, std::function<void(const std::string&)> take);
  // "--name": true when given.
  TOptionReader& Switch(const std::string& name, bool& out);
  // The plain arguments, from `least` to `most` of them. Without this call a
  // plain argument is an error.
  TOptionReader& Plain(std::vector<std::string>& out, size_t least = 0, size_t most = SIZE_MAX);

  // Reads the arguments. Throws HelpAsked when --help or -h is among them,
  // UsageError for an unknown option, a missing value or a wrong number of
  // plain arguments. After "--" every argument is plain.
  void Read(const Args& args) const;

  const std::string& Usage() const { return usage_; }

 private:
  struct TOption {
    std::string name;
    std::function<void(const std::string&)> take;  // empty for a switch
    bool* flag = nullptr;
  };
  const TOption* Find(const std::string& name) const;

  std::string usage_;
  std::vector<TOption> options_;
  std::vector<std::string>* plain_ = nullptr;
  size_t least_ = 0, most_ = 0;
};

// A whole number from `low` to `high`, or UsageError naming `what`.
long long ParseNumber(const std::string& text, long long low, long long high, const std::string& what);
// A time such as "90s", "10m" or "2h" (a whole number and its unit), from
// `lowSeconds` to `highSeconds`, in milliseconds; or UsageError naming `what`.
uint32_t ParseDuration(const std::string& text, uint32_t lowSeconds, uint32_t highSeconds, const std::string& what);
// "WIDTHxHEIGHT" with each side from `low` to `high`, or UsageError naming `what`.
void ParseSize(const std::string& text, int low, int high, const std::string& what, int& width, int& height);

}  // namespace qvtool
