// TMyButton: the skins' picture button. Four pictures (up, over, down,
// disabled), an optional caption, a latch (AllowDown/Down) and a press event
// that repeats while the left button is held: at the press, after 500 ms,
// then every 50 ms. This class is the button's behaviour; a widget draws the
// face Paint describes and forwards the mouse.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "config_ui/uControls.h"
#include "platform/Timer.h"

namespace qv {

enum class TButtonState { Up, Down, Over, Disabled };

// What to draw for the button's current state.
struct TButtonFace {
  enum class TKind {
    Picture,     // picture at (0, 0), transparent or not
    PushButton,  // a standard push-button frame over the whole button
    SunkenEdge,  // a sunken outer edge around the button
  };
  TButtonState state = TButtonState::Up;
  TKind kind = TKind::PushButton;
  const TSkinPicture* picture = nullptr;
  bool transparent = false;
  // The caption, drawn with a clear background; underline is the byte
  // position of the accelerator character in text, or -1.
  bool showCaption = false;
  std::string text;
  int underline = -1;
  int textX = 0;
  int textY = 0;
  TFont font;
};

// Width and height of a text in a font, as the toolkit measures it.
using TTextMeasure = std::function<void(const std::string& text, const TFont& font, int& width, int& height)>;

class TMyButton : public TControl {
 public:
  static constexpr uint32_t kFirstRepeatMs = 500;
  static constexpr uint32_t kRepeatMs = 50;

  // Without timers the press event fires once per press.
  explicit TMyButton(platform::TTimerFactory timers = {});
  ~TMyButton() override;

  // Published properties.
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  const TSkinPicture& ButtonUp() const { return up_; }
  void SetButtonUp(const TSkinPicture& picture);
  const TSkinPicture& ButtonDown() const { return down_; }
  void SetButtonDown(const TSkinPicture& picture);
  const TSkinPicture& ButtonOver() const { return over_; }
  void SetButtonOver(const TSkinPicture& picture);
  const TSkinPicture& ButtonDisable() const { return disable_; }
  void SetButtonDisable(const TSkinPicture& picture);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool Down() const { return downLatch_; }
  // Ignored unless AllowDown.
  void SetDown(bool down);
  bool AllowDown() const { return allowDown_; }
  // Clearing AllowDown also clears Down.
  void SetAllowDown(bool allow);
  bool MouseInControl() const { return mouseIn_; }
  void SetMouseInControl(bool in);
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool show);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);

  // Fired at the press and then repeatedly while the left button is held.
  std::function<void(TMyButton&)> OnMousePressed;

  // Input, in the button's coordinates.
  // doubleClick: the second press of a double click, which fires
  // OnDblClick first and is no click of its own.
  void MouseDown(const TMouseEvent& e, bool doubleClick = false);
  void MouseMove(const TMouseEvent& e);
  void MouseUp(const TMouseEvent& e);
  void MouseEnter();
  void MouseLeave();
  // An accelerator key (any case): clicks the button and returns true when it
  // is the caption's marked character and the button is enabled and visible
  // on a showing parent.
  bool DialogChar(char32_t key, bool parentShowing = true);
  void Click();

  // The face for the current state. With AutoSize and an up picture the
  // button first takes that picture's size (it also does when the picture or
  // AutoSize is set).
  TButtonFace Paint(const TTextMeasure& measure);
  TButtonState State() const;
  bool Pressed() const { return pressed_; }

 protected:
  void EnabledChanged() override;
  void VisibleChanged() override;

 private:
  void ApplyAutoSize();
  void TimerTick();
  void StartTimer(uint32_t ms);
  void StopTimer();
  void CancelPress();

  platform::TTimerFactory timers_;
  std::unique_ptr<platform::ITimer> timer_;
  uint32_t interval_ = kFirstRepeatMs;

  std::string caption_;
  TFont font_;
  TSkinPicture up_, down_, over_, disable_;
  bool autoSize_ = true;
  bool downLatch_ = false;
  bool allowDown_ = false;
  bool mouseIn_ = false;
  bool showCaption_ = false;
  bool transparent_ = true;
  bool pressed_ = false;
  TClickTracker click_;
};

}  // namespace qv
