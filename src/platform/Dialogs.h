// Message boxes with an OK button.
#pragma once
#include <string>

namespace qv::platform {

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual void Information(const std::string& text) = 0;
  virtual void Error(const std::string& text) = 0;
};

}  // namespace qv::platform
