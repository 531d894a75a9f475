#include "config_ui/fltk/FlSettingWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Repeat_Button.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Tabs.H>
#include <FL/fl_draw.H>

#include <iterator>

#include "config_ui/fltk/FlPaint.h"
#include "platform/System.h"

namespace qv::ui {

namespace {

using K = TSettingControl::TKind;
using P = TSettingControl::TParent;

constexpr int kFontSize = 11;  // Tahoma of height -11
constexpr const char* kPages[] = {"TabSheet1", "TabSheet2", "TabSheet3"};

// A blue, underlined text with the hand cursor: the "Reset" link.
class TFlLink : public Fl_Button {
 public:
  TFlLink(int x, int y, int w, int h) : Fl_Button(x, y, w, h) { box(FL_NO_BOX); }
  void draw() override {
    fl_font(FL_HELVETICA, kFontSize);
    fl_color(FL_BLUE);
    const int base = y() + fl_height() - fl_descent();
    fl_draw(label(), x(), base);
    fl_line(x(), base + 1, x() + static_cast<int>(fl_width(label())), base + 1);
  }
  int handle(int event) override {
    if (event == FL_ENTER || event == FL_LEAVE) {
      if (window()) window()->cursor(event == FL_ENTER ? FL_CURSOR_HAND : FL_CURSOR_DEFAULT);
      return 1;
    }
    return Fl_Button::handle(event);
  }
};

// Menu entries are shown as written: "/", "&", "_" and "\" are not markup.
std::string MenuText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '/' || c == '\\' || c == '_') out += '\\';
    if (c == '&') out += '&';
    out += c;
  }
  return out;
}

}  // namespace

TFlSettingWindow::TFlSettingWindow(TfmSettingWindow& dialog)
    : Fl_Double_Window(TfmSettingWindow::kClientWidth, TfmSettingWindow::kClientHeight, TfmSettingWindow::kCaption),
      dialog_(dialog) {
  Fl_Tabs* tabs = nullptr;
  Fl_Group* pages[3] = {nullptr, nullptr, nullptr};
  size_t pageCount = 0;
  Fl_Group* groupBox = nullptr;
  auto parentOf = [&](P parent) -> Fl_Group* {
    switch (parent) {
      case P::DisplayPage: return pages[0];
      case P::MusicPage: return pages[1];
      case P::ScreensPage: return pages[2];
      case P::GroupBox1: return groupBox;
      case P::Form: break;
    }
    return this;
  };
  for (const TSettingControl& c : TfmSettingWindow::Controls()) {
    Fl_Group* parent = parentOf(c.parent);
    const int x = (parent == this ? 0 : parent->x()) + c.left, y = (parent == this ? 0 : parent->y()) + c.top;
    Fl_Widget* w = nullptr;
    Fl_Group::current(nullptr);
    switch (c.kind) {
      case K::Button: {
        auto* b = new Fl_Button(x, y, c.width, c.height);
        b->callback(&TFlSettingWindow::Clicked, this);
        w = b;
        break;
      }
      case K::PageControl: w = tabs = new Fl_Tabs(x, y, c.width, c.height); break;
      case K::TabSheet: {
        auto* page = new Fl_Group(x, y, c.width, c.height);
        page->box(FL_FLAT_BOX);
        if (pageCount < std::size(pages)) pages[pageCount++] = page;
        tabs->add(page);
        w = page;
        break;
      }
      case K::CheckBox: w = new Fl_Check_Button(x, y, c.width, c.height); break;
      case K::ComboBox: {
        auto* choice = new Fl_Choice(x, y, c.width, c.height);
        for (const std::string& item : c.items) choice->add(MenuText(item).c_str());
        choice->textsize(kFontSize);
        w = choice;
        break;
      }
      case K::Edit: {
        auto* input = new Fl_Input(x, y, c.width, c.height);
        input->maximum_size(3);
        input->textsize(kFontSize);
        w = input;
        break;
      }
      case K::UpDown: {
        auto* group = new Fl_Group(x, y, c.width, c.height);
        auto* up = new Fl_Repeat_Button(x, y, c.width, c.height / 2, "@-18>");
        auto* down = new Fl_Repeat_Button(x, y + c.height / 2, c.width, c.height - c.height / 2, "@-12>");
        up->labelsize(7);
        down->labelsize(7);
        up->callback(&TFlSettingWindow::Clicked, this);
        down->callback(&TFlSettingWindow::Clicked, this);
        widgets_[std::string(c.name) + ".Up"] = up;
        widgets_[std::string(c.name) + ".Down"] = down;
        group->end();
        w = group;
        break;
      }
      case K::TrackBar: {
        auto* slider = new Fl_Slider(x, y, c.width, c.height);
        slider->type(FL_HOR_NICE_SLIDER);
        slider->bounds(dialog.tbSpeed.Min, dialog.tbSpeed.Max);
        slider->step(1);
        w = slider;
        break;
      }
      case K::ListView: {
        auto* group = new Fl_Group(x, y, c.width, c.height);
        auto* header = new Fl_Box(x, y, c.width, 19, nullptr);
        header->box(FL_THIN_UP_BOX);
        header->copy_label(c.items.empty() ? "" : c.items[0].c_str());
        header->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
        header->labelsize(kFontSize);
        list_ = new Fl_Hold_Browser(x, y + 19, c.width, c.height - 19);
        list_->format_char(0);  // captions are shown as they are written
        list_->textsize(kFontSize);
        group->end();
        group->resizable(list_);
        w = group;
        break;
      }
      case K::GroupBox: {
        groupBox = new Fl_Group(x, y, c.width, c.height);
        groupBox->box(FL_ENGRAVED_FRAME);
        groupBox->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
        groupBox->end();
        w = groupBox;
        break;
      }
      case K::Label:
        if (std::string(c.name) == "Label3") {
          auto* link = new TFlLink(x, y, c.width, c.height);
          link->callback(&TFlSettingWindow::Clicked, this);
          w = link;
        } else {
          auto* label = new Fl_Box(x, y, c.width, c.height);
          label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
          w = label;
        }
        break;
    }
    if (!w) continue;
    // An edit's caption is its first text, not a label.
    if (!c.caption.empty() && c.kind != K::Edit) w->copy_label(c.caption.c_str());
    w->labelsize(kFontSize);
    if (c.kind != K::TabSheet) parent->add(w);
    widgets_[c.name] = w;
  }
  Fl_Group::current(nullptr);
  tabs->value(pages[0]);
  tabs->callback(&TFlSettingWindow::Clicked, this);
  set_modal();
  ShowValues();
}

Fl_Widget* TFlSettingWindow::Widget(const std::string& name) const {
  auto it = widgets_.find(name);
  return it == widgets_.end() ? nullptr : it->second;
}

void TFlSettingWindow::ShowValues() {
  auto check = [this](const char* name, const TfmSettingWindow::TCheckBox& box) {
    static_cast<Fl_Check_Button*>(Widget(name))->value(box.Checked ? 1 : 0);
  };
  check("cbMusic", dialog_.cbMusic);
  check("cbSound", dialog_.cbSound);
  check("cbDirectX", dialog_.cbDirectX);
  check("cbCustomMusic", dialog_.cbCustomMusic);
  check("cbShuffleMusic", dialog_.cbShuffleMusic);
  check("cbTransition", dialog_.cbTransition);
  check("cbPanZoom", dialog_.cbPanZoom);
  auto choose = [this](const char* name, const TfmSettingWindow::TComboBox& box) {
    static_cast<Fl_Choice*>(Widget(name))->value(box.ItemIndex);
  };
  choose("cbImageQuality", dialog_.cbImageQuality);
  choose("cbImageSize", dialog_.cbImageSize);
  choose("cbShowImageMode", dialog_.cbShowImageMode);
  choose("cbMonitors", dialog_.cbMonitors);
  static_cast<Fl_Input*>(Widget("txtDuration"))->value(dialog_.txtDuration.c_str());
  static_cast<Fl_Input*>(Widget("txtPanZoomPercent"))->value(dialog_.txtPanZoomPercent.c_str());
  static_cast<Fl_Slider*>(Widget("tbSpeed"))->value(dialog_.tbSpeed.Position);
  list_->clear();
  for (const std::string& row : dialog_.lstMusic.Items) list_->add(row.c_str());
  if (dialog_.lstMusic.Selected >= 0) list_->value(dialog_.lstMusic.Selected + 1);
  if (dialog_.Button1Enabled) Widget("Button1")->activate();
  else Widget("Button1")->deactivate();
  auto* tabs = static_cast<Fl_Tabs*>(Widget("PageControl1"));
  tabs->value(static_cast<Fl_Group*>(Widget(kPages[dialog_.ActivePage >= 0 && dialog_.ActivePage < 3 ? dialog_.ActivePage : 0])));
  redraw();
}

void TFlSettingWindow::TakeValues() {
  auto check = [this](const char* name, TfmSettingWindow::TCheckBox& box) {
    box.Checked = static_cast<Fl_Check_Button*>(Widget(name))->value() != 0;
  };
  check("cbMusic", dialog_.cbMusic);
  check("cbSound", dialog_.cbSound);
  check("cbDirectX", dialog_.cbDirectX);
  check("cbCustomMusic", dialog_.cbCustomMusic);
  check("cbShuffleMusic", dialog_.cbShuffleMusic);
  check("cbTransition", dialog_.cbTransition);
  check("cbPanZoom", dialog_.cbPanZoom);
  auto choose = [this](const char* name, TfmSettingWindow::TComboBox& box) {
    box.ItemIndex = static_cast<Fl_Choice*>(Widget(name))->value();
  };
  choose("cbImageQuality", dialog_.cbImageQuality);
  choose("cbImageSize", dialog_.cbImageSize);
  choose("cbShowImageMode", dialog_.cbShowImageMode);
  choose("cbMonitors", dialog_.cbMonitors);
  dialog_.txtDuration = static_cast<Fl_Input*>(Widget("txtDuration"))->value();
  dialog_.txtPanZoomPercent = static_cast<Fl_Input*>(Widget("txtPanZoomPercent"))->value();
  dialog_.tbSpeed.Position = static_cast<int>(static_cast<Fl_Slider*>(Widget("tbSpeed"))->value() + 0.5);
  dialog_.lstMusic.Selected = list_->value() - 1;
  auto* tabs = static_cast<Fl_Tabs*>(Widget("PageControl1"));
  dialog_.ActivePage = 0;
  for (int page = 0; page < 3; ++page)
    if (tabs->value() == Widget(kPages[page])) dialog_.ActivePage = page;
}

void TFlSettingWindow::Press(const std::string& name) {
  TakeValues();
  if (name == "Button1") {
    if (!dialog_.Button1Enabled || !dialog_.Button1Click()) return;
    ok_ = true;
    hide();
    return;
  }
  if (name == "Button2") {
    ok_ = false;
    hide();
    return;
  }
  if (name == "Button3") dialog_.Button3Click();
  else if (name == "Button4") dialog_.Button4Click();
  else if (name == "Label3") dialog_.Label3Click();
  else if (name == "UpDown1.Up") dialog_.UpDownClick(1);
  else if (name == "UpDown1.Down") dialog_.UpDownClick(-1);
  else if (name == "UpDown2.Up") dialog_.PercentUpDownClick(1);
  else if (name == "UpDown2.Down") dialog_.PercentUpDownClick(-1);
  ShowValues();
}

void TFlSettingWindow::Clicked(Fl_Widget* widget, void* data) {
  auto* self = static_cast<TFlSettingWindow*>(data);
  for (const auto& [name, w] : self->widgets_)
    if (w == widget) return self->Press(name);
}

int TFlSettingWindow::handle(int event) {
  // Escape cancels, as the Cancel button does.
  if (event == FL_SHORTCUT && Fl::event_key() == FL_Escape) {
    Press("Button2");
    return 1;
  }
  return Fl_Double_Window::handle(event);
}

bool TFlSettingWindow::RunModal() {
  dialog_.FormShow();
  ShowValues();
  ok_ = false;
  int sx = 0, sy = 0, sw = 0, sh = 0;
  Fl::screen_work_area(sx, sy, sw, sh);
  position(sx + (sw - w()) / 2, sy + (sh - h()) / 2);
  show();
  // A signal to end closes the dialog as Cancel does.
  while (shown()) {
    Fl::wait(0.1);
    if (platform::EndSignalReceived()) Press("Button2");
  }
  return ok_;
}

}  // namespace qv::ui
