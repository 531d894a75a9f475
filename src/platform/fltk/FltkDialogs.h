// Message boxes through FLTK.
#pragma once
#include "platform/Dialogs.h"

namespace qv::platform {

class TFltkDialogs final : public IDialogs {
 public:
  void Information(const std::string& text) override;
  void Error(const std::string& text) override;
};

}  // namespace qv::platform
