// The components a skin window is built of: the 19 classes a description may
// use, each created as its control with the properties the description
// gives, in a tree under the window. Properties a class does not know are
// accepted and ignored; an unknown class or a value of the wrong kind is an
// error that names the line.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Limits.h"
#include "config_ui/uControls.h"
#include "config_ui/uFormText.h"
#include "config_ui/uMyControls.h"
#include "platform/Timer.h"

namespace qv {

enum class TSkinClass {
  TForm, TEdit, TfmQVCOnfigWindow, TLabel, TMyShape, TButton, TMyButton, TPanel, TShape, TMyBevel,
  TBitBtn, TPageControl, TImage, TQVPreview, TQVThumbnail2, TMyMemo, TCheckBox, TTabSheet, TTimer,
};

// The class of a name, in any case; false for a name outside the set.
bool SkinClassFromName(std::string_view name, TSkinClass& cls);
const char* SkinClassName(TSkinClass cls);

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

struct TSkinComponent {
  TSkinClass cls = TSkinClass::TForm;
  TControl* control = nullptr;  // the window itself for the root
  std::unique_ptr<TControl> owned;
  TSkinComponent* parent = nullptr;
  std::vector<TSkinComponent*> children;  // in creation order
  TAlign align = TAlign::alNone;
  int line = 0;

  const std::string& Name() const { return control->Name(); }
  template <typename T>
  T* As() const {
    return dynamic_cast<T*>(control);
  }
  // Labels, pictures, shapes, bevels and picture buttons have no window of
  // their own: they lie under their parent's windowed controls.
  bool Graphic() const;
  // Panels, page controls, tab sheets and windows hold other controls.
  bool Container() const;
};

// Loads a skin's picture data: the graphic's length-prefixed class name
// ("TBitmap" or "TJPEGImage"), a 4-byte size and the graphic's bytes. A
// bitmap property (a button's glyph) has no class name. Empty data is no
// picture. Throws EQVError for anything else, and for a picture more than
// kMaxControlSide pixels a side.
TSkinPicture PictureFromData(const std::vector<uint8_t>& data, bool withClassName);
// The reverse, for skins our tools write: a bitmap as a BMP file, anything
// else as a JPEG file, with the class name when asked.
std::vector<uint8_t> PictureData(const TSkinPicture& picture, bool withClassName);

class TSkinTree {
 public:
  // The description builds into `window`: its own properties go to the
  // window, its children become components the tree owns. Picture buttons
  // get their repeat timers from `timers`.
  TSkinTree(TfmQVFormParent& window, platform::TTimerFactory timers);

  // Takes the root object's properties and creates its children, in text
  // order. Throws EQVError "line N: ..."; the window is then not to be shown.
  void Load(const TFormObject& description);

  // Every component in creation order, the window first.
  const std::vector<std::unique_ptr<TSkinComponent>>& Components() const { return components_; }
  TSkinComponent& Root() { return *components_.front(); }
  // The first component of that name, in any case; nullptr for none.
  TSkinComponent* Find(std::string_view name) const;
  // The window's font, which controls take unless they name their own.
  const TFont& FormFont() const { return formFont_; }

  // Puts tab sheets in their page controls, sizes pictures that size
  // themselves, and lays out aligned controls (top, bottom, left, right,
  // then client, each in creation order) parents first.
  void Arrange();

 private:
  TfmQVFormParent& window_;
  platform::TTimerFactory timers_;
  TFont formFont_;
  int64_t pictureBudget_ = 0;  // pixels the window's pictures take
  std::vector<std::unique_ptr<TSkinComponent>> components_;
};

}  // namespace qv
