#include "config_ui/fltk/FlSkinWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Group.H>

#include <algorithm>
#include <functional>

#include "common/Paths.h"
#include "config_ui/fltk/FlMyControls.h"
#include "config_ui/fltk/FlPaint.h"
#include "config_ui/fltk/FlQVThumbnail2.h"
#include "config_ui/fltk/FlStdControls.h"
#include "config_ui/uMyButton.h"
#include "config_ui/uQVPreview.h"
#include "config_ui/uQVThumbnail2.h"
#include "config_ui/uStdControls.h"
#include "platform/System.h"

namespace qv::ui {

namespace {

std::string Key(const std::string& name) { return UpperAscii(name); }

}  // namespace

TFlSkinWindow::TFlSkinWindow(TfmQVCOnfigWindow& window)
    : Fl_Double_Window(std::max(window.Width(), 1), std::max(window.Height(), 1)), window_(window) {
  copy_label(window_.Caption().c_str());
  color(FlColor(window_.Color()));
  // The components of one parent: those without a window of their own
  // first, so the windowed ones lie over them; each kind in creation order.
  std::function<void(TSkinComponent&, int, int)> add = [&](TSkinComponent& parent, int ox, int oy) {
    for (const bool graphic : {true, false}) {
      for (TSkinComponent* c : parent.children) {
        if (c->Graphic() != graphic) continue;
        TControl& k = *c->control;
        const int x = ox + k.Left(), y = oy + k.Top(), w = k.Width(), h = k.Height();
        Fl_Widget* widget = nullptr;
        switch (c->cls) {
          case TSkinClass::TLabel: widget = new TFlLabel(x, y, w, h, *c->As<TLabel>()); break;
          case TSkinClass::TButton:
          case TSkinClass::TBitBtn: widget = new TFlButton(x, y, w, h, *c->As<TButton>()); break;
          case TSkinClass::TEdit: widget = new TFlEdit(x, y, w, h, *c->As<TEdit>()); break;
          case TSkinClass::TShape:
          case TSkinClass::TMyShape: widget = new TFlMyShape(x, y, w, h, *c->As<TMyShape>()); break;
          case TSkinClass::TMyBevel: widget = new TFlMyBevel(x, y, w, h, *c->As<TMyBevel>()); break;
          case TSkinClass::TMyButton: widget = new TFlMyButton(x, y, w, h, *c->As<TMyButton>()); break;
          case TSkinClass::TMyMemo: widget = new TFlMyMemo(x, y, w, h, *c->As<TMyMemo>()); break;
          case TSkinClass::TImage: widget = new TFlImage(x, y, w, h, *c->As<TImage>()); break;
          case TSkinClass::TQVPreview: widget = new TFlQVPreview(x, y, w, h, *c->As<TQVPreview>()); break;
          case TSkinClass::TQVThumbnail2: widget = new TFlQVThumbnail2(x, y, w, h, *c->As<TQVThumbnail2>()); break;
          case TSkinClass::TCheckBox: widget = new TFlCheckBox(x, y, w, h, *c->As<TCheckBox>()); break;
          case TSkinClass::TForm:
          case TSkinClass::TfmQVCOnfigWindow:
          case TSkinClass::TPanel: {
            auto* panel = new TFlPanel(x, y, w, h, *c->As<TPanel>());
            add(*c, x, y);
            panel->end();
            widget = panel;
            break;
          }
          case TSkinClass::TPageControl: {
            auto& pages = *c->As<TPageControl>();
            auto* tabs = new TFlPageControl(x, y, w, h, pages);
            Fl_Group* active = nullptr;
            for (TSkinComponent* sheet : c->children) {
              auto* s = sheet->As<TTabSheet>();
              if (!s) continue;  // only sheets are pages
              auto* group = new Fl_Group(x + s->Left(), y + s->Top(), s->Width(), s->Height());
              group->copy_label(CaptionText(s->Caption()).c_str());
              group->box(FL_FLAT_BOX);
              group->color(FlColor(s->Color()));
              group->labelfont(FlFace(pages.Font()));
              group->labelsize(FlSize(pages.Font()));
              add(*sheet, group->x(), group->y());
              group->end();
              widgets_[Key(sheet->Name())] = group;
              // The sheet the description names is in front, else the first.
              if (!active || (!pages.ActivePage().empty() && EqualsIgnoreCase(sheet->Name(), pages.ActivePage())))
                active = group;
            }
            tabs->end();
            if (active) tabs->value(active);
            widget = tabs;
            break;
          }
          case TSkinClass::TTabSheet:  // placed by its page control
          case TSkinClass::TTimer: continue;
        }
        if (k.ShowHint() && !k.Hint().empty()) widget->copy_tooltip(k.Hint().c_str());
        if (!k.Visible()) widget->hide();
        if (!k.Enabled()) widget->deactivate();
        widgets_[Key(k.Name())] = widget;
      }
    }
  };
  add(window_.Components().Root(), 0, 0);
  end();
  // Escape and the window manager's close button ask the window to close.
  callback([](Fl_Widget*, void* w) { static_cast<TfmQVCOnfigWindow*>(w)->Close(); }, &window_);
  ApplyFrame(*this, window_);
}

TFlSkinWindow::~TFlSkinWindow() { window_.onClose = nullptr; }

Fl_Widget* TFlSkinWindow::Widget(const std::string& name) const {
  auto it = widgets_.find(Key(name));
  return it == widgets_.end() ? nullptr : it->second;
}

void TFlSkinWindow::RunModal() {
  window_.onClose = [this] { hide(); };
  window_.FormShow();
  set_modal();
  show();
  while (shown() && !window_.CloseRequested()) {
    Fl::wait(0.1);
    if (platform::EndSignalReceived()) window_.Close();
  }
  hide();
  window_.onClose = nullptr;
  window_.FormClose();
}

void RunSkinWindow(TfmQVCOnfigWindow& window) {
  TFlSkinWindow view(window);
  view.RunModal();
}

}  // namespace qv::ui
