// A skin window on FLTK: a widget for every component of a
// TfmQVCOnfigWindow, placed as its description says (controls without a
// window of their own under the others of the same parent), run modally.
#pragma once
#include <FL/Fl_Double_Window.H>

#include <map>
#include <string>

#include "config_ui/FQVConfigWindow.h"

namespace qv::ui {

class TFlSkinWindow : public Fl_Double_Window {
 public:
  explicit TFlSkinWindow(TfmQVCOnfigWindow& window);
  ~TFlSkinWindow() override;

  // FormShow, then shows the window framed and placed by its options and
  // waits until it closes: the close action, a button with a modal result,
  // Escape, the window manager's close, or a signal to end. Then FormClose.
  void RunModal();

  // The widget of a component by its name, in any case (nullptr for none).
  Fl_Widget* Widget(const std::string& name) const;

 private:
  TfmQVCOnfigWindow& window_;
  std::map<std::string, Fl_Widget*> widgets_;
};

// TConfigServices::runWindow on FLTK.
void RunSkinWindow(TfmQVCOnfigWindow& window);

}  // namespace qv::ui
