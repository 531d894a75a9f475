#include "platform/fltk/FltkDialogs.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>

namespace qv::platform {

namespace {

// The texts carry Windows line ends.
std::string Lines(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace

void TFltkDialogs::Information(const std::string& text) {
  fl_message_title(" ");
  fl_message("%s", Lines(text).c_str());
}

void TFltkDialogs::Error(const std::string& text) {
  fl_message_title(" ");
  fl_alert("%s", Lines(text).c_str());
}

}  // namespace qv::platform
