// Message boxes, the Yes/No question and the file-open dialog through FLTK.
#pragma once
#include <string>

#include "platform/Dialogs.h"

namespace qv::platform {

class TFltkDialogs final : public IDialogs {
 public:
  void Information(const std::string& text) override;
  void Error(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  std::optional<std::string> OpenFile(const TOpenFileOptions& options) override;
  // The boxes' title: the application's, a single blank until it is set.
  void SetTitle(const std::string& title) { title_ = title; }

 private:
  std::string title_ = " ";
};

// FLTK's fatal errors, its lost display connection among them ("X I/O
// error": FLTK installs its own handler when it opens the display), end the
// process through EndAtOnce, so the last-resort tidy-ups run.
void CatchFltkFatal(const char* program);

// Opens FLTK's display connection unless it is open: measuring fonts and
// drawing off the screen need it before any window shows.
void OpenFltkDisplay();

// A filter as the system writes it ("Music Files|*.mp3;*.wav") in FLTK's
// form ("Music Files\t*.{mp3,wav,MP3,WAV}"). FLTK matches letter case on
// Linux, so each extension is also offered upper-cased.
std::string FltkFilter(const std::string& filter);

}  // namespace qv::platform
