// TQVPreview: the skins' picture preview. It shows one project picture
// scaled to the control's size at the time of loading; resizing the control
// stretches that bitmap until the next load.
#pragma once
#include <functional>
#include <string>

#include "config_ui/uMyControls.h"
#include "graphics/Bitmap32.h"

namespace qv {

// Clicked as any picture control is (a skin may give it an action).
class TQVPreview : public TGraphicControl {
 public:
  // Loads an animated-picture project fully and gives its picture; false when
  // the file cannot be read. Without one such files show an empty bitmap.
  using TProjectPictureReader = std::function<bool(const std::string& file, TBitmap32& picture)>;

  TQVPreview();

  void SetProjectPictureReader(TProjectPictureReader reader) { projectReader_ = std::move(reader); }

  // Pictures keep their shape in the control, fitted inside it with the
  // control's colour around them, as the saver shows them when it keeps
  // proportions; otherwise they are stretched over it.
  void SetKeepShape(bool keepShape) { keepShape_ = keepShape; }
  bool KeepShape() const { return keepShape_; }

  // Stores the name and shows the picture: still pictures (StillPictures.h)
  // and animated-picture projects (".QVP") scaled bilinearly to the control's
  // size; any other file, or one that cannot be read, leaves a bitmap of that
  // size in the control's colour. Returns false with LastError set when a
  // picture could not be read.
  bool LoadPicture(const std::string& file);
  // Shows the stored picture again; nothing while no name is stored.
  bool Reload();

  const std::string& FileName() const { return fileName_; }
  // The bitmap shown; the widget stretches it over the control.
  const TBitmap32& Picture() const { return picture_; }
  bool Stretch() const { return stretch_; }
  const std::string& LastError() const { return lastError_; }

 private:
  TProjectPictureReader projectReader_;
  std::string fileName_;
  TBitmap32 picture_;
  bool stretch_ = false;
  bool keepShape_ = false;
  std::string lastError_;
};

}  // namespace qv
