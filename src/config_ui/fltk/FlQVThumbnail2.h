// The FLTK widgets of the thumbnail grid and the preview pane.
#pragma once
#include <FL/Fl_Group.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Widget.H>

#include <memory>

#include "config_ui/uQVPreview.h"
#include "config_ui/uQVThumbnail2.h"

namespace qv::ui {

class TFlQVThumbnail2 : public Fl_Group {
 public:
  TFlQVThumbnail2(int x, int y, int w, int h);
  // Shows a grid that a skin window owns; it must outlive the widget.
  TFlQVThumbnail2(int x, int y, int w, int h, TQVThumbnail2& control);
  ~TFlQVThumbnail2() override;
  TQVThumbnail2& Control() { return grid_; }
  void draw() override;
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;

 private:
  void FollowScrollBar();
  static void Scrolled(Fl_Widget* bar, void* self);

  std::unique_ptr<TQVThumbnail2> own_;
  TQVThumbnail2& grid_;
  Fl_Scrollbar* bar_;
};

class TFlQVPreview : public Fl_Widget {
 public:
  TFlQVPreview(int x, int y, int w, int h);
  TFlQVPreview(int x, int y, int w, int h, TQVPreview& control);
  ~TFlQVPreview() override;
  TQVPreview& Control() { return preview_; }
  void draw() override;
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;

 private:
  std::unique_ptr<TQVPreview> own_;
  TQVPreview& preview_;
};

}  // namespace qv::ui
