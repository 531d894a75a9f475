// Message boxes that never block: they record their texts.
#pragma once
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace qv::platform {

class TRecordingDialogs final : public IDialogs {
 public:
  void Information(const std::string& text) override { shown.push_back("information: " + text); }
  void Error(const std::string& text) override { shown.push_back("error: " + text); }
  std::vector<std::string> shown;
};

}  // namespace qv::platform
