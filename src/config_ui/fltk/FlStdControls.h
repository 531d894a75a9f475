// The FLTK widgets of the standard controls a skin window holds: each shows
// a control that the window owns (and that outlives the widget), draws what
// it says and hands the user's input back to it.
#pragma once
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Tabs.H>
#include <FL/Fl_Widget.H>

#include <memory>
#include <vector>

#include "config_ui/uStdControls.h"

namespace qv::ui {

// The pointer over a control shows the control's cursor.
void ShowCursorOf(Fl_Widget& widget, const TControl& control, bool inside);

class TFlLabel : public Fl_Widget {
 public:
  TFlLabel(int x, int y, int w, int h, TLabel& label);
  ~TFlLabel() override;
  void draw() override;
  int handle(int event) override;

 private:
  TLabel& label_;
};

// TButton and TBitBtn: a push button; the glyph goes beside the caption.
class TFlButton : public Fl_Button {
 public:
  TFlButton(int x, int y, int w, int h, TButton& button);
  ~TFlButton() override;

 private:
  void Show();
  TButton& button_;
  std::vector<unsigned char> glyphPixels_;
  std::unique_ptr<Fl_RGB_Image> glyph_;
};

class TFlEdit : public Fl_Input {
 public:
  TFlEdit(int x, int y, int w, int h, TEdit& edit);
  ~TFlEdit() override;

 private:
  void Show();
  TEdit& edit_;
};

// A panel holds other widgets: its own colour, bevels and caption under them.
class TFlPanel : public Fl_Group {
 public:
  TFlPanel(int x, int y, int w, int h, TPanel& panel);
  ~TFlPanel() override;
  void draw() override;
  int handle(int event) override;

 private:
  TPanel& panel_;
};

class TFlImage : public Fl_Widget {
 public:
  TFlImage(int x, int y, int w, int h, TImage& image);
  ~TFlImage() override;
  void draw() override;
  int handle(int event) override;

 private:
  TImage& image_;
  // The picture as drawn (scaled, transparent colour keyed) for `shownRect_`;
  // made again when the image repaints for a change.
  TBitmap32 shown_;
  TRect shownRect_;
};

class TFlCheckBox : public Fl_Check_Button {
 public:
  TFlCheckBox(int x, int y, int w, int h, TCheckBox& box);
  ~TFlCheckBox() override;

 private:
  void Show();
  TCheckBox& box_;
};

// The page control's tabs; each sheet is an Fl_Group made by the caller.
class TFlPageControl : public Fl_Tabs {
 public:
  TFlPageControl(int x, int y, int w, int h, TPageControl& pages);
  ~TFlPageControl() override;

 private:
  TPageControl& pages_;
};

// Mouse input of a control without a window of its own: presses, moves and
// releases (a release over it after a press is its click), and its cursor.
int ForwardMouse(int event, Fl_Widget& widget, TGraphicControl& control);

}  // namespace qv::ui
