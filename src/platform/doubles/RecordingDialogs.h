// Dialogs that never block: they record what they were asked and give the
// answers a test scripted, in order (No and Cancel once the script runs out).
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace qv::platform {

class TRecordingDialogs final : public IDialogs {
 public:
  void Information(const std::string& text) override { shown.push_back("information: " + text); }
  void Error(const std::string& text) override { shown.push_back("error: " + text); }
  bool Confirm(const std::string& text) override {
    shown.push_back("confirm: " + text);
    if (confirmAnswers.empty()) return false;
    const bool yes = confirmAnswers.front();
    confirmAnswers.pop_front();
    return yes;
  }
  std::optional<std::string> OpenFile(const TOpenFileOptions& options) override {
    shown.push_back("open file: " + options.filter);
    openFileOptions.push_back(options);
    if (openFileAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = openFileAnswers.front();
    openFileAnswers.pop_front();
    return answer;
  }

  std::vector<std::string> shown;
  std::vector<TOpenFileOptions> openFileOptions;
  std::deque<bool> confirmAnswers;
  std::deque<std::optional<std::string>> openFileAnswers;
};

}  // namespace qv::platform
