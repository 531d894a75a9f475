// Message boxes, the Yes/No question and the file-open dialog.
#pragma once
#include <optional>
#include <string>

namespace qv::platform {

// What the file-open dialog offers. The filter is written as the system
// writes it: "Music Files|*.mp3;*.wma;*.mid;*.wav" (description, patterns,
// and more such pairs after further "|").
struct TOpenFileOptions {
  std::string title;
  std::string filter;
  bool existingOnly = true;
  bool hideReadOnly = true;
  bool resizable = true;
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual void Information(const std::string& text) = 0;
  virtual void Error(const std::string& text) = 0;
  // Asks with Yes and No buttons; true only for Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // The chosen file's full path, or nothing when the user cancels.
  virtual std::optional<std::string> OpenFile(const TOpenFileOptions& options) = 0;
};

}  // namespace qv::platform
