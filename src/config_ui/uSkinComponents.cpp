#include "config_ui/uSkinComponents.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "common/ByteReader.h"
#include "common/Error.h"
#include "common/Paths.h"
#include "config_ui/uMyButton.h"
#include "config_ui/uQVPreview.h"
#include "config_ui/uQVThumbnail2.h"
#include "config_ui/uStdControls.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PictureLoader.h"

namespace qv {

namespace {

struct TClassName {
  TSkinClass cls;
  const char* name;
};
constexpr TClassName kClasses[] = {
    {TSkinClass::TForm, "TForm"},
    {TSkinClass::TEdit, "TEdit"},
    {TSkinClass::TfmQVCOnfigWindow, "TfmQVCOnfigWindow"},
    {TSkinClass::TLabel, "TLabel"},
    {TSkinClass::TMyShape, "TMyShape"},
    {TSkinClass::TButton, "TButton"},
    {TSkinClass::TMyButton, "TMyButton"},
    {TSkinClass::TPanel, "TPanel"},
    {TSkinClass::TShape, "TShape"},
    {TSkinClass::TMyBevel, "TMyBevel"},
    {TSkinClass::TBitBtn, "TBitBtn"},
    {TSkinClass::TPageControl, "TPageControl"},
    {TSkinClass::TImage, "TImage"},
    {TSkinClass::TQVPreview, "TQVPreview"},
    {TSkinClass::TQVThumbnail2, "TQVThumbnail2"},
    {TSkinClass::TMyMemo, "TMyMemo"},
    {TSkinClass::TCheckBox, "TCheckBox"},
    {TSkinClass::TTabSheet, "TTabSheet"},
    {TSkinClass::TTimer, "TTimer"},
};

// One property being applied, for its value checks and their messages.
class TProp {
 public:
  // `pixels` counts what the window's pictures take so far.
  TProp(const TSkinComponent& c, const TFormProperty& p, int64_t& pixels) : c_(c), p_(p), pixels_(pixels) {}
  const TFormValue& v() const { return p_.value; }

  [[noreturn]] void Fail(const std::string& what) const {
    const std::string owner = c_.Name().empty() ? SkinClassName(c_.cls) : c_.Name();
    throw EQVError("line " + std::to_string(p_.line) + ": " + p_.name + " of " + owner + " " + what);
  }
  bool Is(TFormValue::TKind kind) const { return v().kind == kind; }

  int Int(int lo, int hi) const {
    if (!Is(TFormValue::TKind::Integer)) Fail("takes a whole number");
    if (v().integer < lo || v().integer > hi)
      Fail("is " + std::to_string(v().integer) + ", outside " + std::to_string(lo) + " to " + std::to_string(hi));
    return static_cast<int>(v().integer);
  }
  bool Bool() const {
    if (Is(TFormValue::TKind::Identifier)) {
      if (EqualsIgnoreCase(v().text, "True")) return true;
      if (EqualsIgnoreCase(v().text, "False")) return false;
    }
    Fail("takes True or False");
  }
  const std::string& Str() const {
    if (!Is(TFormValue::TKind::String)) Fail("takes a text in quotes");
    return v().text;
  }
  TColor Color() const {
    if (Is(TFormValue::TKind::Integer)) {
      if (v().integer < INT32_MIN || v().integer > UINT32_MAX) Fail("is not a colour");
      return static_cast<TColor>(static_cast<uint32_t>(v().integer));
    }
    TColor color = 0;
    if (Is(TFormValue::TKind::Identifier) && ColorFromName(v().text, color)) return color;
    Fail("takes a colour name or $00BBGGRR");
  }
  // An identifier among `names`; its position.
  template <size_t N>
  int Enum(const char* const (&names)[N]) const {
    if (Is(TFormValue::TKind::Identifier))
      for (size_t i = 0; i < N; ++i)
        if (EqualsIgnoreCase(v().text, names[i])) return static_cast<int>(i);
    std::string all;
    for (size_t i = 0; i < N; ++i) all += (i ? ", " : "") + std::string(names[i]);
    Fail("takes one of " + all);
  }
  TSkinPicture Picture(bool withClassName) const {
    if (!Is(TFormValue::TKind::Binary)) Fail("takes picture data in braces");
    TSkinPicture picture;
    try {
      picture = PictureFromData(v().bytes, withClassName);
    } catch (const EQVError& e) {
      Fail(std::string("cannot be read: ") + e.what());
    }
    pixels_ += int64_t{picture.bitmap.Width()} * picture.bitmap.Height();
    if (pixels_ > kMaxSkinWindowPixels)
      Fail("makes the window's pictures larger than " + std::to_string(kMaxSkinWindowPixels) + " pixels in all");
    return picture;
  }
  std::vector<std::string> Strings() const {
    if (!Is(TFormValue::TKind::List)) Fail("takes a list of texts in parentheses");
    std::vector<std::string> out;
    for (const TFormValue& item : v().list) {
      if (item.kind != TFormValue::TKind::String) Fail("takes a list of texts in parentheses");
      out.push_back(item.text);
    }
    return out;
  }

 private:
  const TSkinComponent& c_;
  const TFormProperty& p_;
  int64_t& pixels_;
};

constexpr const char* kAlignNames[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"};
constexpr const char* kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr const char* kLayoutNames[] = {"tlTop", "tlCenter", "tlBottom"};
constexpr const char* kBevelCutNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
constexpr const char* kShapeNames[] = {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"};
constexpr const char* kBevelShapeNames[] = {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"};
constexpr const char* kBevelStyleNames[] = {"bsLowered", "bsRaised"};
// Hatched brushes and broken pens are drawn solid.
constexpr const char* kBrushStyleNames[] = {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};
constexpr const char* kPenStyleNames[] = {"psSolid", "psClear", "psDash", "psDot", "psDashDot", "psDashDotDot", "psInsideFrame"};
constexpr const char* kScrollNames[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
constexpr const char* kGridBorderNames[] = {"bsNone", "bsSingle"};
constexpr const char* kCheckStateNames[] = {"cbUnchecked", "cbChecked", "cbGrayed"};
constexpr const char* kModalNames[] = {"mrNone", "mrOk", "mrCancel", "mrAbort", "mrRetry", "mrIgnore", "mrYes", "mrNo", "mrAll", "mrNoToAll", "mrYesToAll", "mrClose"};

TCursor CursorOf(const TProp& p) {
  struct TCursorName {
    const char* name;
    int value;
    TCursor cursor;
  };
  static constexpr TCursorName kCursors[] = {
      {"crDefault", 0, TCursor::Default},     {"crNone", -1, TCursor::Default},      {"crArrow", -2, TCursor::Arrow},
      {"crCross", -3, TCursor::Cross},        {"crIBeam", -4, TCursor::IBeam},       {"crSizeNESW", -6, TCursor::SizeAll},
      {"crSizeNS", -7, TCursor::SizeAll},     {"crSizeNWSE", -8, TCursor::SizeAll},  {"crSizeWE", -9, TCursor::SizeAll},
      {"crUpArrow", -10, TCursor::Arrow},     {"crHourGlass", -11, TCursor::Wait},   {"crDrag", -12, TCursor::Arrow},
      {"crNoDrop", -13, TCursor::Default},    {"crHSplit", -14, TCursor::SizeAll},   {"crVSplit", -15, TCursor::SizeAll},
      {"crMultiDrag", -16, TCursor::Arrow},   {"crSQLWait", -17, TCursor::Wait},     {"crNo", -18, TCursor::Default},
      {"crAppStart", -19, TCursor::Wait},     {"crHelp", -20, TCursor::Arrow},       {"crHandPoint", -21, TCursor::HandPoint},
      {"crSizeAll", -22, TCursor::SizeAll},   {"crSize", -22, TCursor::SizeAll},
  };
  if (p.Is(TFormValue::TKind::Integer)) {
    for (const TCursorName& c : kCursors)
      if (c.value == p.v().integer) return c.cursor;
    return TCursor::Default;  // a cursor of the program's own
  }
  if (p.Is(TFormValue::TKind::Identifier))
    for (const TCursorName& c : kCursors)
      if (EqualsIgnoreCase(p.v().text, c.name)) return c.cursor;
  p.Fail("takes a cursor such as crHandPoint");
}

// Font.Name, Font.Height ...: the part after "Font.".
bool ApplyFont(TFont& font, std::string_view part, const TProp& p) {
  if (EqualsIgnoreCase(part, "Name")) {
    font.Name = p.Str();
  } else if (EqualsIgnoreCase(part, "Height")) {
    font.Height = p.Int(-1000, 1000);
  } else if (EqualsIgnoreCase(part, "Size")) {
    // Points at 96 pixels an inch, as a negative (pixel) height.
    font.Height = -(p.Int(-1000, 1000) * 96 + 36) / 72;
  } else if (EqualsIgnoreCase(part, "Color")) {
    font.Color = p.Color();
  } else if (EqualsIgnoreCase(part, "Style")) {
    if (!p.Is(TFormValue::TKind::Set)) p.Fail("takes a set such as [fsBold]");
    font.Bold = font.Italic = font.Underline = font.StrikeOut = false;
    for (const std::string& m : p.v().set) {
      if (EqualsIgnoreCase(m, "fsBold")) font.Bold = true;
      else if (EqualsIgnoreCase(m, "fsItalic")) font.Italic = true;
      else if (EqualsIgnoreCase(m, "fsUnderline")) font.Underline = true;
      else if (EqualsIgnoreCase(m, "fsStrikeOut")) font.StrikeOut = true;
      else p.Fail("has the unknown style " + m);
    }
  }
  // Charset, Pitch, Quality, Orientation: nothing to do here.
  return true;
}

TBrush BrushWith(TBrush brush, std::string_view part, const TProp& p) {
  if (EqualsIgnoreCase(part, "Color")) brush.Color = p.Color();
  else if (EqualsIgnoreCase(part, "Style")) brush.Style = p.Enum(kBrushStyleNames) == 1 ? TBrushStyle::bsClear : TBrushStyle::bsSolid;
  return brush;
}

TPen PenWith(TPen pen, std::string_view part, const TProp& p) {
  if (EqualsIgnoreCase(part, "Color")) pen.Color = p.Color();
  else if (EqualsIgnoreCase(part, "Width")) pen.Width = p.Int(0, 100);
  else if (EqualsIgnoreCase(part, "Style")) pen.Style = p.Enum(kPenStyleNames) == 1 ? TPenStyle::psClear : TPenStyle::psSolid;
  return pen;
}

// The font a class has, read and written through one pair of calls.
struct TFontAccess {
  std::function<TFont()> get;
  std::function<void(const TFont&)> set;
  explicit operator bool() const { return static_cast<bool>(get); }
};

template <typename T>
TFontAccess FontOf(TControl* control) {
  auto* t = dynamic_cast<T*>(control);
  if (!t) return {};
  return {[t] { return t->Font(); }, [t](const TFont& f) { t->SetFont(f); }};
}

TFontAccess FontAccessOf(TSkinComponent& c, TFont& formFont) {
  switch (c.cls) {
    case TSkinClass::TLabel: return FontOf<TLabel>(c.control);
    case TSkinClass::TButton:
    case TSkinClass::TBitBtn: return FontOf<TButton>(c.control);
    case TSkinClass::TEdit: return FontOf<TEdit>(c.control);
    case TSkinClass::TPanel: return FontOf<TPanel>(c.control);
    case TSkinClass::TPageControl: return FontOf<TPageControl>(c.control);
    case TSkinClass::TCheckBox: return FontOf<TCheckBox>(c.control);
    case TSkinClass::TMyButton: return FontOf<TMyButton>(c.control);
    case TSkinClass::TMyMemo: return FontOf<TMyMemo>(c.control);
    case TSkinClass::TQVThumbnail2: return FontOf<TQVThumbnail2>(c.control);
    default: break;
  }
  if (!c.parent) return {[&formFont] { return formFont; }, [&formFont](const TFont& f) { formFont = f; }};
  return {};
}

// The font a child starts from: its nearest container's.
TFont InheritedFont(TSkinComponent* parent, TFont& formFont) {
  for (TSkinComponent* p = parent; p; p = p->parent)
    if (TFontAccess font = FontAccessOf(*p, formFont)) return font.get();
  return formFont;
}

std::unique_ptr<TControl> Create(TSkinClass cls, const platform::TTimerFactory& timers) {
  switch (cls) {
    case TSkinClass::TEdit: return std::make_unique<TEdit>();
    case TSkinClass::TLabel: return std::make_unique<TLabel>();
    case TSkinClass::TMyShape:
    case TSkinClass::TShape: return std::make_unique<TMyShape>();
    case TSkinClass::TButton: return std::make_unique<TButton>();
    case TSkinClass::TMyButton: return std::make_unique<TMyButton>(timers);
    case TSkinClass::TMyBevel: return std::make_unique<TMyBevel>();
    case TSkinClass::TBitBtn: return std::make_unique<TBitBtn>();
    case TSkinClass::TPageControl: return std::make_unique<TPageControl>();
    case TSkinClass::TImage: return std::make_unique<TImage>();
    case TSkinClass::TQVPreview: return std::make_unique<TQVPreview>();
    case TSkinClass::TQVThumbnail2: return std::make_unique<TQVThumbnail2>();
    case TSkinClass::TMyMemo: return std::make_unique<TMyMemo>();
    case TSkinClass::TCheckBox: return std::make_unique<TCheckBox>();
    case TSkinClass::TTabSheet: return std::make_unique<TTabSheet>();
    case TSkinClass::TTimer: return std::make_unique<TTimer>();
    // A window inside a window is shown as a panel without bevels.
    case TSkinClass::TForm:
    case TSkinClass::TfmQVCOnfigWindow:
    case TSkinClass::TPanel: {
      auto panel = std::make_unique<TPanel>();
      if (cls != TSkinClass::TPanel) panel->SetBevelOuter(TBevelCut::bvNone);
      return panel;
    }
  }
  return nullptr;
}

// Colours that follow the parent's unless the description names one.
bool TakesParentColor(TSkinClass cls) {
  return cls == TSkinClass::TLabel || cls == TSkinClass::TCheckBox || cls == TSkinClass::TPanel ||
         cls == TSkinClass::TTabSheet || cls == TSkinClass::TPageControl || cls == TSkinClass::TForm ||
         cls == TSkinClass::TfmQVCOnfigWindow;
}

class TApplier {
 public:
  TApplier(TSkinComponent& c, TFont& formFont, int64_t& pixels) : c_(c), formFont_(formFont), pixels_(pixels) {}

  void Apply(const TFormProperty& property) {
    const TProp p(c_, property, pixels_);
    const std::string& name = property.name;
    const size_t dot = name.find('.');
    const std::string_view head = std::string_view(name).substr(0, dot);
    const std::string_view part = dot == std::string::npos ? std::string_view() : std::string_view(name).substr(dot + 1);
    if (dot != std::string::npos) return Dotted(head, part, p);
    if (Common(name, p)) return;
    Own(name, p);
  }

 private:
  bool Named(std::string_view a, const char* b) const { return EqualsIgnoreCase(a, b); }
  TControl& control() { return *c_.control; }

  void Bounds(int left, int top, int width, int height) { control().SetBounds(left, top, width, height); }

  bool Common(const std::string& name, const TProp& p) {
    TControl& c = control();
    const bool root = !c_.parent;
    if (Named(name, "Left")) {
      if (!root) Bounds(p.Int(-kMaxControlOffset, kMaxControlOffset), c.Top(), c.Width(), c.Height());
      else p.Int(INT32_MIN, INT32_MAX);
    } else if (Named(name, "Top")) {
      if (!root) Bounds(c.Left(), p.Int(-kMaxControlOffset, kMaxControlOffset), c.Width(), c.Height());
      else p.Int(INT32_MIN, INT32_MAX);
    } else if (Named(name, "Width") || (root && Named(name, "ClientWidth"))) {
      Bounds(c.Left(), c.Top(), p.Int(0, kMaxControlSide), c.Height());
    } else if (Named(name, "Height") || (root && Named(name, "ClientHeight"))) {
      Bounds(c.Left(), c.Top(), c.Width(), p.Int(0, kMaxControlSide));
    } else if (Named(name, "Tag")) {
      c.SetTag(p.Int(INT32_MIN, INT32_MAX));
    } else if (Named(name, "Visible")) {
      c.SetVisible(p.Bool());
    } else if (Named(name, "Enabled")) {
      c.SetEnabled(p.Bool());
    } else if (Named(name, "Hint")) {
      c.SetHint(p.Str());
    } else if (Named(name, "ShowHint")) {
      c.SetShowHint(p.Bool());
    } else if (Named(name, "Cursor")) {
      c.SetCursor(CursorOf(p));
    } else if (Named(name, "Color")) {
      c.SetColor(p.Color());
    } else if (Named(name, "Align")) {
      c_.align = static_cast<TAlign>(p.Enum(kAlignNames));
    } else {
      return false;
    }
    return true;
  }

  void Dotted(std::string_view head, std::string_view part, const TProp& p) {
    if (Named(head, "Font")) {
      if (TFontAccess font = FontAccessOf(c_, formFont_)) {
        TFont f = font.get();
        ApplyFont(f, part, p);
        font.set(f);
      }
      return;
    }
    if (auto* shape = c_.As<TMyShape>()) {
      if (Named(head, "Brush")) return shape->SetBrush(BrushWith(shape->Brush(), part, p));
      if (Named(head, "Pen")) return shape->SetPen(PenWith(shape->Pen(), part, p));
    }
    const bool data = Named(part, "Data");
    if (auto* image = c_.As<TImage>(); image && data && Named(head, "Picture")) return image->SetPicture(p.Picture(true));
    if (auto* bit = c_.As<TBitBtn>(); bit && data && Named(head, "Glyph")) return bit->SetGlyph(p.Picture(false));
    if (auto* memo = c_.As<TMyMemo>(); memo && Named(head, "Lines") && Named(part, "Strings"))
      return memo->SetLines(p.Strings());
    if (auto* button = c_.As<TMyButton>(); button && data) {
      if (Named(head, "ButtonUp")) return button->SetButtonUp(p.Picture(true));
      if (Named(head, "ButtonDown")) return button->SetButtonDown(p.Picture(true));
      if (Named(head, "ButtonOver")) return button->SetButtonOver(p.Picture(true));
      if (Named(head, "ButtonDisable")) return button->SetButtonDisable(p.Picture(true));
    }
    // Constraints, Margins, Padding and the like: not needed here.
  }

  void Own(const std::string& name, const TProp& p) {
    if (!c_.parent) return Window(name, p);
    switch (c_.cls) {
      case TSkinClass::TLabel: return Label(*c_.As<TLabel>(), name, p);
      case TSkinClass::TButton:
      case TSkinClass::TBitBtn: return Button(*c_.As<TButton>(), name, p);
      case TSkinClass::TEdit: {
        auto& e = *c_.As<TEdit>();
        if (Named(name, "Text")) e.SetText(p.Str());
        else if (Named(name, "ReadOnly")) e.SetReadOnly(p.Bool());
        else if (Named(name, "MaxLength")) e.SetMaxLength(p.Int(0, INT32_MAX));
        return;
      }
      case TSkinClass::TForm:
      case TSkinClass::TfmQVCOnfigWindow:
      case TSkinClass::TPanel: return Panel(*c_.As<TPanel>(), name, p);
      case TSkinClass::TShape:
      case TSkinClass::TMyShape:
        if (Named(name, "Shape")) c_.As<TMyShape>()->SetShape(static_cast<TShapeType>(p.Enum(kShapeNames)));
        return;
      case TSkinClass::TMyBevel: {
        auto& b = *c_.As<TMyBevel>();
        if (Named(name, "Shape")) b.SetShape(static_cast<TBevelShape>(p.Enum(kBevelShapeNames)));
        else if (Named(name, "Style")) b.SetStyle(static_cast<TBevelStyle>(p.Enum(kBevelStyleNames)));
        return;
      }
      case TSkinClass::TImage: {
        auto& i = *c_.As<TImage>();
        if (Named(name, "Stretch")) i.SetStretch(p.Bool());
        else if (Named(name, "Center")) i.SetCenter(p.Bool());
        else if (Named(name, "Proportional")) i.SetProportional(p.Bool());
        else if (Named(name, "Transparent")) i.SetTransparent(p.Bool());
        else if (Named(name, "AutoSize")) i.SetAutoSize(p.Bool());
        return;
      }
      case TSkinClass::TQVPreview: return;  // its picture comes from the project
      case TSkinClass::TQVThumbnail2: return Grid(*c_.As<TQVThumbnail2>(), name, p);
      case TSkinClass::TMyMemo: {
        auto& m = *c_.As<TMyMemo>();
        if (Named(name, "Text")) m.SetText(p.Str());
        else if (Named(name, "ReadOnly")) m.SetReadOnly(p.Bool());
        else if (Named(name, "WordWrap")) m.SetWordWrap(p.Bool());
        else if (Named(name, "ScrollBars")) m.SetScrollBars(static_cast<TScrollStyle>(p.Enum(kScrollNames)));
        else if (Named(name, "Alignment")) m.SetAlignment(static_cast<TAlignment>(p.Enum(kAlignmentNames)));
        return;
      }
      case TSkinClass::TMyButton: return PictureButton(*c_.As<TMyButton>(), name, p);
      case TSkinClass::TPageControl:
        if (Named(name, "ActivePage")) {
          if (!p.Is(TFormValue::TKind::Identifier)) p.Fail("takes the name of a tab sheet");
          c_.As<TPageControl>()->SetActivePage(p.v().text);
        }
        return;
      case TSkinClass::TTabSheet: {
        auto& t = *c_.As<TTabSheet>();
        if (Named(name, "Caption")) t.SetCaption(p.Str());
        else if (Named(name, "TabVisible")) t.SetTabVisible(p.Bool());
        return;
      }
      case TSkinClass::TCheckBox: {
        auto& b = *c_.As<TCheckBox>();
        if (Named(name, "Caption")) b.SetCaption(p.Str());
        else if (Named(name, "Checked")) b.SetChecked(p.Bool());
        else if (Named(name, "State")) b.SetChecked(p.Enum(kCheckStateNames) != 0);
        else if (Named(name, "Alignment")) b.SetAlignment(static_cast<TAlignment>(p.Enum(kAlignmentNames)));
        return;
      }
      case TSkinClass::TTimer:
        if (Named(name, "Interval")) c_.As<TTimer>()->SetInterval(p.Int(0, INT32_MAX));
        return;
    }
  }

  void Window(const std::string& name, const TProp& p) {
    auto& w = static_cast<TfmQVFormParent&>(control());
    if (Named(name, "Caption")) w.SetCaption(p.Str());
    else if (Named(name, "Sizeable")) w.SetSizeable(p.Bool());
    else if (Named(name, "NoFrame")) w.SetNoFrame(p.Bool());
    else if (Named(name, "MaximizeButton")) w.SetMaximizeButton(p.Bool());
    else if (Named(name, "MinimizeButton")) w.SetMinimizeButton(p.Bool());
    else if (Named(name, "ShowButtons")) w.SetShowButtons(p.Bool());
    else if (Named(name, "MaximizeOnShow")) w.SetMaximizeOnShow(p.Bool());
  }

  void Label(TLabel& l, const std::string& name, const TProp& p) {
    if (Named(name, "Caption")) l.SetCaption(p.Str());
    else if (Named(name, "Transparent")) l.SetTransparent(p.Bool());
    else if (Named(name, "Alignment")) l.SetAlignment(static_cast<TAlignment>(p.Enum(kAlignmentNames)));
    else if (Named(name, "Layout")) l.SetLayout(static_cast<TTextLayout>(p.Enum(kLayoutNames)));
    else if (Named(name, "WordWrap")) l.SetWordWrap(p.Bool());
    else if (Named(name, "AutoSize")) l.SetAutoSize(p.Bool());
  }

  void Button(TButton& b, const std::string& name, const TProp& p) {
    if (Named(name, "Caption")) {
      b.SetCaption(p.Str());
    } else if (Named(name, "ModalResult")) {
      b.SetModalResult(p.Is(TFormValue::TKind::Integer) ? p.Int(INT32_MIN, INT32_MAX) : p.Enum(kModalNames));
    } else if (Named(name, "Default")) {
      b.SetDefault(p.Bool());
    } else if (Named(name, "Cancel")) {
      b.SetCancel(p.Bool());
    } else if (Named(name, "Kind")) {
      auto* bit = dynamic_cast<TBitBtn*>(&b);
      if (bit && !(p.Is(TFormValue::TKind::Identifier) && bit->SetKind(p.v().text)))
        p.Fail("takes a kind such as bkOK");
    }
  }

  void Panel(TPanel& panel, const std::string& name, const TProp& p) {
    if (Named(name, "Caption")) panel.SetCaption(p.Str());
    else if (Named(name, "BevelInner")) panel.SetBevelInner(static_cast<TBevelCut>(p.Enum(kBevelCutNames)));
    else if (Named(name, "BevelOuter")) panel.SetBevelOuter(static_cast<TBevelCut>(p.Enum(kBevelCutNames)));
    else if (Named(name, "BevelWidth")) panel.SetBevelWidth(p.Int(0, 100));
    else if (Named(name, "BorderWidth")) panel.SetBorderWidth(p.Int(0, 1000));
    else if (Named(name, "Alignment")) panel.SetAlignment(static_cast<TAlignment>(p.Enum(kAlignmentNames)));
  }

  void Grid(TQVThumbnail2& g, const std::string& name, const TProp& p) {
    if (Named(name, "PictureWidth")) g.SetPictureWidth(p.Int(1, kMaxSkinThumbnailSide));
    else if (Named(name, "PictureHeight")) g.SetPictureHeight(p.Int(1, kMaxSkinThumbnailSide));
    else if (Named(name, "ShowCheckBox")) g.SetShowCheckBox(p.Bool());
    else if (Named(name, "ShowTitle")) g.SetShowTitle(p.Bool());
    else if (Named(name, "MultiRows")) g.SetMultiRows(p.Bool());
    else if (Named(name, "Ctl3D")) g.SetCtl3D(p.Bool());
    else if (Named(name, "BorderStyle"))
      g.SetBorderStyle(p.Enum(kGridBorderNames) ? TQVThumbnail2::TBorderStyle::bsSingle : TQVThumbnail2::TBorderStyle::bsNone);
  }

  void PictureButton(TMyButton& b, const std::string& name, const TProp& p) {
    if (Named(name, "Caption")) b.SetCaption(p.Str());
    else if (Named(name, "AutoSize")) b.SetAutoSize(p.Bool());
    else if (Named(name, "Down")) b.SetDown(p.Bool());
    else if (Named(name, "AllowDown")) b.SetAllowDown(p.Bool());
    else if (Named(name, "MouseInControl")) b.SetMouseInControl(p.Bool());
    else if (Named(name, "ShowCaption")) b.SetShowCaption(p.Bool());
    else if (Named(name, "Transparent")) b.SetTransparent(p.Bool());
  }

  TSkinComponent& c_;
  TFont& formFont_;
  int64_t& pixels_;
};

TRect ClientArea(const TSkinComponent& c) {
  if (auto* panel = c.As<TPanel>()) return panel->ClientRect();
  return {0, 0, c.control->Width(), c.control->Height()};
}

}  // namespace

bool SkinClassFromName(std::string_view name, TSkinClass& cls) {
  for (const TClassName& c : kClasses)
    if (EqualsIgnoreCase(name, c.name)) {
      cls = c.cls;
      return true;
    }
  return false;
}

const char* SkinClassName(TSkinClass cls) {
  for (const TClassName& c : kClasses)
    if (c.cls == cls) return c.name;
  return "?";
}

bool TSkinComponent::Graphic() const {
  switch (cls) {
    case TSkinClass::TLabel:
    case TSkinClass::TMyShape:
    case TSkinClass::TShape:
    case TSkinClass::TMyBevel:
    case TSkinClass::TImage:
    case TSkinClass::TQVPreview:
    case TSkinClass::TMyButton: return true;
    default: return false;
  }
}

bool TSkinComponent::Container() const {
  switch (cls) {
    case TSkinClass::TForm:
    case TSkinClass::TfmQVCOnfigWindow:
    case TSkinClass::TPanel:
    case TSkinClass::TPageControl:
    case TSkinClass::TTabSheet: return true;
    default: return false;
  }
}

TSkinPicture PictureFromData(const std::vector<uint8_t>& data, bool withClassName) {
  TSkinPicture picture;
  if (data.empty()) return picture;
  TByteReader r(std::span<const uint8_t>(data.data(), data.size()));
  picture.kind = TGraphicKind::Bitmap;
  if (withClassName) {
    const uint8_t length = r.U8();
    const std::string name = r.Text(length);
    if (!r.Ok()) throw EQVError("the picture data ends inside its class name");
    if (name == "TJPEGImage") picture.kind = TGraphicKind::Jpeg;
    else if (name != "TBitmap") throw EQVError("a picture of class " + name + " cannot be shown (only TBitmap and TJPEGImage)");
  }
  const uint32_t size = r.U32();
  if (!r.Ok()) throw EQVError("the picture data ends before its size");
  if (size > r.Remaining())
    throw EQVError("the picture's size " + std::to_string(size) + " runs past its " + std::to_string(r.Remaining()) +
                   " bytes of data");
  picture.bitmap = DecodePicture(data.data() + r.Position(), size, "the picture").bitmap;
  if (picture.bitmap.Width() > kMaxControlSide || picture.bitmap.Height() > kMaxControlSide)
    throw EQVError("the picture is " + std::to_string(picture.bitmap.Width()) + " x " +
                   std::to_string(picture.bitmap.Height()) + " pixels, more than " + std::to_string(kMaxControlSide) +
                   " a side");
  return picture;
}

std::vector<uint8_t> PictureData(const TSkinPicture& picture, bool withClassName) {
  std::vector<uint8_t> out;
  if (picture.Empty()) return out;
  const bool jpeg = picture.kind == TGraphicKind::Jpeg;
  const std::vector<uint8_t> file = jpeg ? EncodeJPEG(picture.bitmap, 90) : EncodeBMP24(picture.bitmap);
  if (withClassName) {
    const std::string name = jpeg ? "TJPEGImage" : "TBitmap";
    out.push_back(static_cast<uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
  }
  AppendLE32(out, static_cast<uint32_t>(file.size()));
  out.insert(out.end(), file.begin(), file.end());
  return out;
}

TSkinTree::TSkinTree(TfmQVFormParent& window, platform::TTimerFactory timers)
    : window_(window), timers_(std::move(timers)) {
  auto root = std::make_unique<TSkinComponent>();
  root->cls = TSkinClass::TfmQVCOnfigWindow;
  root->control = &window_;
  components_.push_back(std::move(root));
}

void TSkinTree::Load(const TFormObject& description) {
  TSkinClass rootClass;
  if (!SkinClassFromName(description.className, rootClass) ||
      (rootClass != TSkinClass::TfmQVCOnfigWindow && rootClass != TSkinClass::TForm))
    throw EQVError("line " + std::to_string(description.line) + ": a window of class " + description.className +
                   " cannot be built (only TfmQVCOnfigWindow and TForm)");
  TSkinComponent& root = Root();
  root.line = description.line;
  if (!description.name.empty()) window_.SetName(description.name);
  // Objects nest no deeper than the reader allows, so the walk is bounded.
  std::function<void(const TFormObject&, TSkinComponent&)> fill = [&](const TFormObject& o, TSkinComponent& c) {
    TApplier applier(c, formFont_, pictureBudget_);
    for (const TFormProperty& p : o.properties) applier.Apply(p);
    for (const TFormObject& child : o.children) {
      if (!c.Container()) {
        throw EQVError("line " + std::to_string(child.line) + ": " + (c.Name().empty() ? SkinClassName(c.cls) : c.Name()) +
                       " cannot hold other controls");
      }
      TSkinClass cls;
      if (!SkinClassFromName(child.className, cls))
        throw EQVError("line " + std::to_string(child.line) + ": unknown class " + child.className +
                       (child.name.empty() ? "" : " (of " + child.name + ")"));
      if (cls == TSkinClass::TTabSheet && c.cls != TSkinClass::TPageControl)
        throw EQVError("line " + std::to_string(child.line) + ": the tab sheet " + child.name + " is not in a page control");
      auto component = std::make_unique<TSkinComponent>();
      component->cls = cls;
      component->owned = Create(cls, timers_);
      component->control = component->owned.get();
      component->parent = &c;
      component->line = child.line;
      component->control->SetName(child.name);
      if (TFontAccess font = FontAccessOf(*component, formFont_)) font.set(InheritedFont(&c, formFont_));
      if (TakesParentColor(cls)) component->control->SetColor(c.control->Color());
      TSkinComponent& added = *component;
      c.children.push_back(&added);
      components_.push_back(std::move(component));
      fill(child, added);
    }
  };
  fill(description, root);
}

TSkinComponent* TSkinTree::Find(std::string_view name) const {
  for (const auto& c : components_)
    if (EqualsIgnoreCase(c->Name(), name)) return c.get();
  return nullptr;
}

void TSkinTree::Arrange() {
  for (const auto& holder : components_) {
    TSkinComponent& c = *holder;
    if (auto* image = c.As<TImage>(); image && image->AutoSize() && !image->Picture().Empty())
      image->SetBounds(image->Left(), image->Top(), image->Picture().bitmap.Width(), image->Picture().bitmap.Height());
  }
  for (const auto& holder : components_) {
    TSkinComponent& c = *holder;
    if (auto* pages = c.As<TPageControl>()) {
      const TRect r = pages->SheetRect();
      for (TSkinComponent* child : c.children)
        if (child->cls == TSkinClass::TTabSheet) child->control->SetBounds(r.Left, r.Top, r.Width(), r.Height());
      continue;
    }
    TRect r = ClientArea(c);
    for (TAlign kind : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
      for (TSkinComponent* child : c.children) {
        if (child->align != kind) continue;
        TControl& k = *child->control;
        const int w = std::min(k.Width(), std::max(r.Width(), 0)), h = std::min(k.Height(), std::max(r.Height(), 0));
        switch (kind) {
          case TAlign::alTop: k.SetBounds(r.Left, r.Top, r.Width(), h); r.Top += h; break;
          case TAlign::alBottom: k.SetBounds(r.Left, r.Bottom - h, r.Width(), h); r.Bottom -= h; break;
          case TAlign::alLeft: k.SetBounds(r.Left, r.Top, w, r.Height()); r.Left += w; break;
          case TAlign::alRight: k.SetBounds(r.Right - w, r.Top, w, r.Height()); r.Right -= w; break;
          default: k.SetBounds(r.Left, r.Top, r.Width(), r.Height()); break;
        }
      }
    }
  }
}

}  // namespace qv
