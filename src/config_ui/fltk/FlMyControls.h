// The FLTK widgets of the skinned controls: each owns its control, draws
// what the control says and forwards the mouse and keys to it.
#pragma once
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>
#include <FL/Fl_Widget.H>

#include <functional>
#include <memory>

#include "config_ui/uMyButton.h"
#include "config_ui/uMyControls.h"
#include "platform/Timer.h"

namespace qv::ui {

// Keeps a widget in step with its control's size, visibility, enabled state
// and hint, and repaints what lies under a control that may be transparent.
// `follow`, when given, brings the widget's own state (caption, value,
// colours, a cached picture) in step: once when it starts following, and
// first thing on every repaint the control asks for.
void FollowControl(Fl_Widget& widget, TControl& control, bool transparent, std::function<void()> follow = {});
// Lets go of the control when the widget goes before it.
void UnfollowControl(TControl& control);

// Each widget either owns its control or shows one that a skin window owns
// (the second constructor); such a control must outlive the widget.

class TFlMyButton : public Fl_Widget {
 public:
  TFlMyButton(int x, int y, int w, int h, platform::TTimerFactory timers);
  TFlMyButton(int x, int y, int w, int h, TMyButton& control);
  ~TFlMyButton() override;
  TMyButton& Control() { return button_; }
  void draw() override;
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;

 private:
  std::unique_ptr<TMyButton> own_;
  TMyButton& button_;
};

class TFlMyShape : public Fl_Widget {
 public:
  TFlMyShape(int x, int y, int w, int h);
  TFlMyShape(int x, int y, int w, int h, TMyShape& control);
  ~TFlMyShape() override;
  TMyShape& Control() { return shape_; }
  void draw() override;
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;

 private:
  std::unique_ptr<TMyShape> own_;
  TMyShape& shape_;
};

class TFlMyBevel : public Fl_Widget {
 public:
  TFlMyBevel(int x, int y, int w, int h);
  TFlMyBevel(int x, int y, int w, int h, TMyBevel& control);
  ~TFlMyBevel() override;
  TMyBevel& Control() { return bevel_; }
  void draw() override;
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;

 private:
  std::unique_ptr<TMyBevel> own_;
  TMyBevel& bevel_;
};

class TFlMyMemo : public Fl_Text_Editor {
 public:
  TFlMyMemo(int x, int y, int w, int h);
  TFlMyMemo(int x, int y, int w, int h, TMyMemo& control);
  ~TFlMyMemo() override;
  TMyMemo& Control() { return memo_; }
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;

 private:
  void Show();
  static void Modified(int pos, int inserted, int deleted, int restyled, const char* text, void* self);

  std::unique_ptr<TMyMemo> own_;
  TMyMemo& memo_;
  Fl_Text_Buffer buffer_;
  bool showing_ = false;
};

// Frames, sizes and places a window by a skin window's six options: border,
// resizing, maximised or centred on the screen's work area.
void ApplyFrame(Fl_Window& window, const TfmQVFormParent& options);

// A skin window: framed, sized and placed by its six options.
class TFlFormParent : public Fl_Double_Window {
 public:
  TFlFormParent(int w, int h, const char* caption = nullptr);
  TfmQVFormParent& Control() { return form_; }
  // Applies the options: border, resizing, maximised or centred on the screen.
  void ApplyFrame();

 private:
  TfmQVFormParent form_;
};

}  // namespace qv::ui
