// The platform's standard controls as skins use them: label, push button,
// button with a glyph, edit box, panel, picture, page control with its
// sheets, check box and timer. Plain objects like the skinned controls; a
// toolkit widget shows each and forwards its input.
#pragma once
#include <string>

#include "config_ui/uControls.h"
#include "config_ui/uMyControls.h"

namespace qv {

enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// What a button does to its modal window besides its click.
inline constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                     mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrClose = 11;

class TLabel : public TGraphicControl {
 public:
  TLabel() { SetBounds(0, 0, 65, 13); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; Repaint(); }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_ = font; Repaint(); }
  // False: the label's Color fills its rectangle behind the text.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; Repaint(); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { alignment_ = v; Repaint(); }
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v) { layout_ = v; Repaint(); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v) { wordWrap_ = v; Repaint(); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v) { autoSize_ = v; }

 private:
  std::string caption_;
  TFont font_;
  bool transparent_ = false;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TTextLayout layout_ = TTextLayout::tlTop;
  bool wordWrap_ = false;
  bool autoSize_ = true;
};

class TButton : public TControl {
 public:
  TButton() { SetBounds(0, 0, 75, 25); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; Repaint(); }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_ = font; Repaint(); }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  bool Default() const { return default_; }
  void SetDefault(bool v) { default_ = v; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  void Click() {
    if (OnClick) OnClick(*this);
  }

 private:
  std::string caption_;
  TFont font_;
  int modalResult_ = mrNone;
  bool default_ = false;
  bool cancel_ = false;
};

// A push button with a small picture beside its caption. The kinds other
// than bkCustom bring a caption and a modal result of their own.
class TBitBtn : public TButton {
 public:
  const TSkinPicture& Glyph() const { return glyph_; }
  void SetGlyph(const TSkinPicture& glyph) { glyph_ = glyph; Repaint(); }
  // "bkCustom", "bkOK", "bkCancel", "bkClose" ... (any case); false for
  // a kind that is none of them.
  bool SetKind(const std::string& kind);

 private:
  TSkinPicture glyph_;
};

class TEdit : public TControl {
 public:
  TEdit() {
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
  }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text) { text_ = text; Repaint(); }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_ = font; Repaint(); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; Repaint(); }
  int MaxLength() const { return maxLength_; }  // 0: no limit
  void SetMaxLength(int v) { maxLength_ = v; }

 private:
  std::string text_;
  TFont font_;
  bool readOnly_ = false;
  int maxLength_ = 0;
};

class TPanel : public TGraphicControl {
 public:
  TPanel() { SetBounds(0, 0, 185, 41); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; Repaint(); }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_ = font; Repaint(); }
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut v) { bevelInner_ = v; Repaint(); }
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut v) { bevelOuter_ = v; Repaint(); }
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int v) { bevelWidth_ = v; Repaint(); }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v) { borderWidth_ = v; Repaint(); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { alignment_ = v; Repaint(); }
  // Where aligned children go: inside the bevels and the border.
  TRect ClientRect() const;

 private:
  std::string caption_;
  TFont font_;
  TBevelCut bevelInner_ = TBevelCut::bvNone;
  TBevelCut bevelOuter_ = TBevelCut::bvRaised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  TAlignment alignment_ = TAlignment::taCenter;
};

class TImage : public TGraphicControl {
 public:
  TImage() { SetBounds(0, 0, 105, 105); }
  const TSkinPicture& Picture() const { return picture_; }
  void SetPicture(const TSkinPicture& picture) { picture_ = picture; Repaint(); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v) { stretch_ = v; Repaint(); }
  bool Center() const { return center_; }
  void SetCenter(bool v) { center_ = v; Repaint(); }
  bool Proportional() const { return proportional_; }
  void SetProportional(bool v) { proportional_ = v; Repaint(); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; Repaint(); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v) { autoSize_ = v; }
  // Where the picture goes in the control: stretched over it, or scaled to
  // fit keeping its proportions (Proportional never enlarges an unstretched
  // picture), centred when Center, else at the top left.
  TRect PictureRect() const;

 private:
  TSkinPicture picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
  bool autoSize_ = false;
};

class TTabSheet : public TControl {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; Repaint(); }
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v) { tabVisible_ = v; }

 private:
  std::string caption_;
  bool tabVisible_ = true;
};

class TPageControl : public TControl {
 public:
  static constexpr int kTabHeight = 24;
  TPageControl() { SetBounds(0, 0, 289, 193); }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_ = font; Repaint(); }
  // The name of the sheet in front; empty: the first.
  const std::string& ActivePage() const { return activePage_; }
  void SetActivePage(const std::string& name) { activePage_ = name; Repaint(); }
  // Where the sheets lie inside the control, under the tabs.
  TRect SheetRect() const { return {4, kTabHeight, Width() - 4, Height() - 4}; }

 private:
  TFont font_;
  std::string activePage_;
};

class TCheckBox : public TControl {
 public:
  TCheckBox() { SetBounds(0, 0, 97, 17); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; Repaint(); }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_ = font; Repaint(); }
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { checked_ = v; Repaint(); }
  // The side of the box the caption is on.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { alignment_ = v; Repaint(); }

 private:
  std::string caption_;
  TFont font_;
  bool checked_ = false;
  TAlignment alignment_ = TAlignment::taRightJustify;
};

// A timer without its event does nothing; it keeps its name and interval.
class TTimer : public TControl {
 public:
  TTimer() { SetVisible(false); }
  int Interval() const { return interval_; }
  void SetInterval(int ms) { interval_ = ms; }

 private:
  int interval_ = 1000;
};

}  // namespace qv
