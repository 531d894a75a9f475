#include "config_ui/uStdControls.h"

#include "common/Paths.h"

namespace qv {

bool TBitBtn::SetKind(const std::string& kind) {
  struct TKind {
    const char* name;
    const char* caption;
    int result;
  };
  static constexpr TKind kKinds[] = {
      {"bkCustom", nullptr, mrNone}, {"bkOK", "OK", mrOk},          {"bkCancel", "Cancel", mrCancel},
      {"bkHelp", "&Help", mrNone},   {"bkYes", "&Yes", mrYes},       {"bkNo", "&No", mrNo},
      {"bkClose", "&Close", mrClose}, {"bkAbort", "Abort", mrAbort}, {"bkRetry", "&Retry", mrRetry},
      {"bkIgnore", "&Ignore", mrIgnore}, {"bkAll", "&All", mrAll},
  };
  for (const TKind& k : kKinds) {
    if (!EqualsIgnoreCase(kind, k.name)) continue;
    if (!k.caption) return true;
    // A caption the description gave stays.
    if (Caption().empty()) SetCaption(k.caption);
    SetModalResult(k.result);
    SetDefault(k.result == mrOk || k.result == mrYes);
    SetCancel(k.result == mrCancel || k.result == mrNo);
    return true;
  }
  return false;
}

TRect TPanel::ClientRect() const {
  int inset = borderWidth_;
  if (bevelOuter_ != TBevelCut::bvNone) inset += bevelWidth_;
  if (bevelInner_ != TBevelCut::bvNone) inset += bevelWidth_;
  return {inset, inset, Width() - inset, Height() - inset};
}

TRect TImage::PictureRect() const {
  if (picture_.Empty()) return {};
  const int cw = Width(), ch = Height();
  int w = picture_.bitmap.Width(), h = picture_.bitmap.Height();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      const double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<int>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<int>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<int>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r{0, 0, w, h};
  if (center_) {
    const int dx = (cw - w) / 2, dy = (ch - h) / 2;
    r = {dx, dy, dx + w, dy + h};
  }
  return r;
}

}  // namespace qv
