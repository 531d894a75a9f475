// The settings dialog on FLTK: built from the dialog's control list, kept in
// step with TfmSettingWindow's values, run modally.
#pragma once
#include <FL/Fl_Double_Window.H>

#include <map>
#include <string>

#include "config_ui/FSettingWindow.h"

class Fl_Hold_Browser;

namespace qv::ui {

class TFlSettingWindow : public Fl_Double_Window {
 public:
  explicit TFlSettingWindow(TfmSettingWindow& dialog);

  // FormShow, then shows the dialog centred on the screen and waits until it
  // is closed; true when it ended with OK. A signal to end cancels it.
  bool RunModal();

  // The widget of a control by its name (nullptr for none).
  Fl_Widget* Widget(const std::string& name) const;
  // Control values into the widgets, and back.
  void ShowValues();
  void TakeValues();

  // What the buttons and the link do, also for tests.
  void Press(const std::string& name);

 private:
  static void Clicked(Fl_Widget* widget, void* self);
  int handle(int event) override;

  TfmSettingWindow& dialog_;
  std::map<std::string, Fl_Widget*> widgets_;
  Fl_Hold_Browser* list_ = nullptr;
  bool ok_ = false;
};

}  // namespace qv::ui
