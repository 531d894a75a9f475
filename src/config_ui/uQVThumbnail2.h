// TQVThumbnail2: the skins' thumbnail browser. A grid of picture cells, each
// a framed thumbnail with an optional check box (the user's favourites) and
// title; cells wrap into rows (MultiRows) or stand in one row. This class is
// the grid's behaviour: layout, loading, hit tests, selection and what each
// cell draws; a widget shows Render's picture and forwards the input.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config_ui/uControls.h"
#include "config_ui/uPaint.h"
#include "graphics/Bitmap32.h"

namespace qv {

class TQVThumbnail2 : public TControl {
 public:
  // Reads an animated-picture project's preview picture and title; false
  // when the file cannot be read. Without one such files get an empty cell.
  using TProjectHeaderReader = std::function<bool(const std::string& file, TBitmap32& preview, std::string& title)>;
  enum class TBorderStyle { bsNone, bsSingle };
  enum class TScrollBar { NoScrollBar, Vertical, Horizontal };
  enum class TKey { Left, Right, Up, Down, PageUp, PageDown, Home, End };
  static constexpr int kScrollBarSize = 16;

  TQVThumbnail2();

  // Published properties.
  int PictureWidth() const { return pictureWidth_; }
  void SetPictureWidth(int width);
  int PictureHeight() const { return pictureHeight_; }
  void SetPictureHeight(int height);
  bool ShowCheckBox() const { return showCheckBox_; }
  void SetShowCheckBox(bool show);
  bool ShowTitle() const { return showTitle_; }
  void SetShowTitle(bool show);
  bool MultiRows() const { return multiRows_; }
  void SetMultiRows(bool multiRows);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool ctl3D);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  // Fired with the picture index of every selected cell, kept within the list.
  std::function<void(TQVThumbnail2&, int index)> OnSelectItem;

  void SetProjectHeaderReader(TProjectHeaderReader reader) { headerReader_ = std::move(reader); }
  // Thumbnails keep their pictures' shape (fitted in the cell on the grid's
  // colour) instead of filling the cell; set before the list.
  void SetKeepShape(bool keepShape) { keepShape_ = keepShape; }

  // Stores the list, lays the cells out, loads the thumbnails and repaints.
  // Every picture keeps its cell: one that gives no thumbnail (missing, of
  // another type, unreadable) shows an empty frame with its file name. A
  // still picture's title is its entry of `titles` when there is one (the
  // name it was packed from), else its file name.
  void SetPictureList(const std::vector<std::string>& files, const std::vector<std::string>& titles = {});
  bool HasPictureList() const { return hasList_; }
  int PictureCount() const { return static_cast<int>(files_.size()); }
  // Check marks by picture index; the table grows with the list.
  bool Marked(int index) const;
  void SetMarked(int index, bool marked);
  // The thumbnail of a picture (nullptr for an empty cell) and its title.
  const TBitmap32* Thumbnail(int index) const;
  std::string Title(int index) const;
  // "file: reason" for each picture that gave no thumbnail at the last load.
  const std::vector<std::string>& LoadErrors() const { return loadErrors_; }

  // The grid.
  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  int DefaultColWidth() const { return colWidth_; }
  int DefaultRowHeight() const { return rowHeight_; }
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  int LeftCol() const { return leftCol_; }
  // While MultiRows the grid never scrolls sideways: the left column stays 0.
  void SetLeftCol(int col);
  int Col() const { return col_; }
  int Row() const { return row_; }
  // Makes the cell current (clamped to the grid), scrolls it into view and
  // fires OnSelectItem with its index lowered to the last picture and raised
  // to 0. Selecting is always allowed, also on an empty cell.
  void SelectCell(int col, int row);
  int CellIndex(int col, int row) const { return row * colCount_ + col; }
  bool CellHoldsPicture(int col, int row) const;

  // Geometry, in the control's coordinates: the sunken border (2 pixels with
  // Ctl3D, 1 without, none for bsNone), the scroll bar beside or under the
  // cells when they do not all fit, and the client area of the cells.
  int BorderWidth() const;
  TScrollBar ScrollBar() const;
  TRect ScrollBarRect() const;
  TRect ClientRect() const;
  // Rows or columns wholly in view (at least 1), and the furthest scroll.
  int VisibleRowCount() const;
  int VisibleColCount() const;
  int MaxTopRow() const;
  int MaxLeftCol() const;
  // In client coordinates: a cell's rectangle, and the cell at a point.
  TRect CellRect(int col, int row) const;
  bool MouseToCell(int x, int y, int& col, int& row) const;
  // The check box square of a cell (its hit area, both ends included).
  bool InCheckBox(int col, int row, int x, int y) const;

  // Input, in client coordinates. The pointer over a check box (with
  // ShowCheckBox) is the hand; a left press there toggles the mark of a cell
  // that holds a picture, then the press selects the cell under it.
  TCursor MouseMove(int x, int y);
  void MouseDown(const TMouseEvent& e);
  // Scrolls by rows (MultiRows) or columns; positive is down or right.
  void MouseWheel(int steps);
  void KeyDown(TKey key);

  // What one cell draws in its rectangle.
  TPaintList PaintCell(int col, int row, const TRect& rect, bool selected) const;
  // The whole control without the scroll bar (its place is left in Color);
  // the texts to draw on top come back in control coordinates, to be clipped
  // to ClientRect.
  TBitmap32 Render(TPaintList* texts = nullptr) const;

 protected:
  void Resized() override { Layout(); }

 private:
  void Layout();
  void LoadThumbnails();
  void ClampPosition();
  void ScrollIntoView(int col, int row);

  int pictureWidth_ = 80;
  int pictureHeight_ = 60;
  bool showCheckBox_ = false;
  bool showTitle_ = false;
  bool multiRows_ = true;
  bool ctl3D_ = true;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  TFont font_;

  TProjectHeaderReader headerReader_;
  bool hasList_ = false;
  std::vector<std::string> files_;
  std::vector<std::string> givenTitles_;
  bool keepShape_ = false;
  std::vector<std::optional<TBitmap32>> thumbnails_;
  std::vector<std::string> titles_;
  std::vector<bool> marks_;
  std::vector<std::string> loadErrors_;

  int colCount_ = 5;
  int rowCount_ = 5;
  int colWidth_ = 100;
  int rowHeight_ = 80;
  int topRow_ = 0;
  int leftCol_ = 0;
  int col_ = 0;
  int row_ = 0;
};

}  // namespace qv
