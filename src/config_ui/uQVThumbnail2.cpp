#include "config_ui/uQVThumbnail2.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "common/Limits.h"
#include "common/Paths.h"
#include "common/Utf8Path.h"
#include "graphics/ImageFormats/PictureLoader.h"
#include "graphics/uGraphicUtil.h"
#include "platform/Files.h"
#include "project/StillPictures.h"

namespace qv {

namespace {

// Pictures of absurd sizes would only make absurd image lists.
constexpr int kMaxThumbnailSide = 2048;

}  // namespace

TQVThumbnail2::TQVThumbnail2() {
  SetColor(clWindow);
  SetBounds(0, 0, 350, 250);
}

void TQVThumbnail2::SetPictureWidth(int width) {
  pictureWidth_ = std::clamp(width, 1, kMaxThumbnailSide);
  Layout();
  LoadThumbnails();
  Repaint();
}

void TQVThumbnail2::SetPictureHeight(int height) {
  pictureHeight_ = std::clamp(height, 1, kMaxThumbnailSide);
  Layout();
  LoadThumbnails();
  Repaint();
}

void TQVThumbnail2::SetShowCheckBox(bool show) {
  showCheckBox_ = show;
  Layout();
  Repaint();
}

void TQVThumbnail2::SetShowTitle(bool show) {
  showTitle_ = show;
  Layout();
  Repaint();
}

void TQVThumbnail2::SetMultiRows(bool multiRows) {
  multiRows_ = multiRows;
  Layout();
  Repaint();
}

void TQVThumbnail2::SetCtl3D(bool ctl3D) {
  ctl3D_ = ctl3D;
  ClampPosition();
  Repaint();
}

void TQVThumbnail2::SetBorderStyle(TBorderStyle style) {
  borderStyle_ = style;
  ClampPosition();
  Repaint();
}

void TQVThumbnail2::SetFont(const TFont& font) {
  font_ = font;
  Repaint();
}

void TQVThumbnail2::SetPictureList(const std::vector<std::string>& files, const std::vector<std::string>& titles) {
  files_.assign(files.begin(), files.begin() + std::min(files.size(), kMaxNameLines));
  givenTitles_ = titles;
  hasList_ = true;
  if (marks_.size() < files_.size()) marks_.resize(files_.size(), false);
  Layout();
  LoadThumbnails();
  Repaint();
}

bool TQVThumbnail2::Marked(int index) const {
  return index >= 0 && static_cast<size_t>(index) < marks_.size() && marks_[index];
}

void TQVThumbnail2::SetMarked(int index, bool marked) {
  if (index < 0) return;
  const size_t i = static_cast<size_t>(index);
  if (i >= marks_.size()) {
    if (i >= std::max(files_.size(), kMaxNameLines)) return;
    marks_.resize(i + 1, false);
  }
  if (marks_[i] == marked) return;
  marks_[i] = marked;
  Repaint();
}

const TBitmap32* TQVThumbnail2::Thumbnail(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= thumbnails_.size() || !thumbnails_[index]) return nullptr;
  return &*thumbnails_[index];
}

std::string TQVThumbnail2::Title(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= titles_.size()) return {};
  return titles_[index];
}

void TQVThumbnail2::LoadThumbnails() {
  if (!hasList_) return;
  thumbnails_.clear();
  titles_.clear();
  loadErrors_.clear();
  for (size_t i = 0; i < files_.size(); ++i) {
    const std::string& file = files_[i];
    std::optional<TBitmap32> thumbnail;
    std::string title = i < givenTitles_.size() && !givenTitles_[i].empty() ? givenTitles_[i] : FileNamePart(file);
    const std::string ext = UpperExtension(FileNamePart(file));
    auto stretched = [this](const TBitmap32& picture) {
      TBitmap32 b(pictureWidth_, pictureHeight_);
      DrawFitted(picture, b, keepShape_, ColorToPixel(Color()));
      return b;
    };
    std::error_code ec;
    try {
      if (!std::filesystem::is_regular_file(PathFromUtf8(file), ec)) {
        loadErrors_.push_back(file + ": not found");
      } else if (ext == ".QVP") {
        TBitmap32 preview;
        std::string projectTitle;
        if (headerReader_ && headerReader_(file, preview, projectTitle)) {
          title = projectTitle;
          if (!preview.Empty()) thumbnail = stretched(preview);
        } else {
          loadErrors_.push_back(file + (headerReader_ ? ": not readable" : ": no reader for animated pictures"));
        }
      } else if (IsStillPicture(file)) {
        // Decoded no larger than needed: a thumbnail only becomes
        // PictureWidth by PictureHeight.
        const TPicture picture =
            DecodePicture(platform::ReadWholeFile(file, kMaxPictureFileBytes), file, {pictureWidth_, pictureHeight_});
        thumbnail = stretched(picture.bitmap);
      } else {
        loadErrors_.push_back(file + ": not a picture type that has thumbnails");
      }
    } catch (const std::exception& e) {
      thumbnail.reset();
      loadErrors_.push_back(file + ": " + e.what());
    }
    thumbnails_.push_back(std::move(thumbnail));
    titles_.push_back(std::move(title));
  }
}

void TQVThumbnail2::Layout() {
  if (!hasList_) return;
  colWidth_ = pictureWidth_ + 20;
  rowHeight_ = pictureHeight_ + 20 + (showTitle_ ? 30 : 0);
  const int n = PictureCount();
  if (multiRows_) {
    colCount_ = std::max(1, Width() / colWidth_);
    rowCount_ = std::max(1, n / colCount_ + (n % colCount_ ? 1 : 0));
  } else {
    rowCount_ = 1;
    colCount_ = std::max(1, n);
  }
  ClampPosition();
}

void TQVThumbnail2::ClampPosition() {
  col_ = std::clamp(col_, 0, colCount_ - 1);
  row_ = std::clamp(row_, 0, rowCount_ - 1);
  topRow_ = std::clamp(topRow_, 0, MaxTopRow());
  leftCol_ = multiRows_ ? 0 : std::clamp(leftCol_, 0, MaxLeftCol());
}

void TQVThumbnail2::SetTopRow(int row) {
  const int clamped = std::clamp(row, 0, MaxTopRow());
  if (clamped == topRow_ && (!multiRows_ || leftCol_ == 0)) return;
  topRow_ = clamped;
  if (multiRows_) leftCol_ = 0;
  Repaint();
}

void TQVThumbnail2::SetLeftCol(int col) {
  const int clamped = multiRows_ ? 0 : std::clamp(col, 0, MaxLeftCol());
  if (clamped == leftCol_) return;
  leftCol_ = clamped;
  Repaint();
}

bool TQVThumbnail2::CellHoldsPicture(int col, int row) const {
  return hasList_ && col >= 0 && row >= 0 && col < colCount_ && row < rowCount_ &&
         CellIndex(col, row) < PictureCount();
}

void TQVThumbnail2::ScrollIntoView(int col, int row) {
  if (row < topRow_) topRow_ = row;
  else if (row >= topRow_ + VisibleRowCount()) topRow_ = row - VisibleRowCount() + 1;
  if (!multiRows_) {
    if (col < leftCol_) leftCol_ = col;
    else if (col >= leftCol_ + VisibleColCount()) leftCol_ = col - VisibleColCount() + 1;
  }
  ClampPosition();
}

void TQVThumbnail2::SelectCell(int col, int row) {
  col_ = std::clamp(col, 0, colCount_ - 1);
  row_ = std::clamp(row, 0, rowCount_ - 1);
  ScrollIntoView(col_, row_);
  Repaint();
  int index = CellIndex(col_, row_);
  if (index > PictureCount() - 1) index = PictureCount() - 1;
  if (index < 0) index = 0;
  if (OnSelectItem) OnSelectItem(*this, index);
}

int TQVThumbnail2::BorderWidth() const {
  if (borderStyle_ == TBorderStyle::bsNone) return 0;
  return ctl3D_ ? 2 : 1;
}

TQVThumbnail2::TScrollBar TQVThumbnail2::ScrollBar() const {
  if (!hasList_) return TScrollBar::NoScrollBar;
  const int b = BorderWidth();
  if (multiRows_)
    return static_cast<int64_t>(rowCount_) * rowHeight_ > Height() - 2 * b ? TScrollBar::Vertical : TScrollBar::NoScrollBar;
  return static_cast<int64_t>(colCount_) * colWidth_ > Width() - 2 * b ? TScrollBar::Horizontal : TScrollBar::NoScrollBar;
}

TRect TQVThumbnail2::ClientRect() const {
  const int b = BorderWidth();
  TRect r{b, b, std::max(b, Width() - b), std::max(b, Height() - b)};
  switch (ScrollBar()) {
    case TScrollBar::Vertical: r.Right = std::max(r.Left, r.Right - kScrollBarSize); break;
    case TScrollBar::Horizontal: r.Bottom = std::max(r.Top, r.Bottom - kScrollBarSize); break;
    case TScrollBar::NoScrollBar: break;
  }
  return r;
}

TRect TQVThumbnail2::ScrollBarRect() const {
  const TRect c = ClientRect();
  switch (ScrollBar()) {
    case TScrollBar::Vertical: return {c.Right, c.Top, c.Right + kScrollBarSize, c.Bottom};
    case TScrollBar::Horizontal: return {c.Left, c.Bottom, c.Right, c.Bottom + kScrollBarSize};
    case TScrollBar::NoScrollBar: break;
  }
  return {};
}

int TQVThumbnail2::VisibleRowCount() const { return std::max(1, ClientRect().Height() / rowHeight_); }
int TQVThumbnail2::VisibleColCount() const { return std::max(1, ClientRect().Width() / colWidth_); }
int TQVThumbnail2::MaxTopRow() const { return std::max(0, rowCount_ - VisibleRowCount()); }
int TQVThumbnail2::MaxLeftCol() const { return std::max(0, colCount_ - VisibleColCount()); }

TRect TQVThumbnail2::CellRect(int col, int row) const {
  const int x = (col - leftCol_) * colWidth_, y = (row - topRow_) * rowHeight_;
  return {x, y, x + colWidth_, y + rowHeight_};
}

bool TQVThumbnail2::MouseToCell(int x, int y, int& col, int& row) const {
  const TRect c = ClientRect();
  if (x < 0 || y < 0 || x >= c.Width() || y >= c.Height()) return false;
  col = leftCol_ + x / colWidth_;
  row = topRow_ + y / rowHeight_;
  return col < colCount_ && row < rowCount_;
}

bool TQVThumbnail2::InCheckBox(int col, int row, int x, int y) const {
  const TRect r = CellRect(col, row);
  return x >= r.Left + 13 && x <= r.Left + 24 && y >= r.Top + pictureHeight_ + 6 && y <= r.Top + pictureHeight_ + 17;
}

TCursor TQVThumbnail2::MouseMove(int x, int y) {
  if (showCheckBox_) {
    int col = 0, row = 0;
    const bool hand = MouseToCell(x, y, col, row) && InCheckBox(col, row, x, y);
    SetCursor(hand ? TCursor::HandPoint : TCursor::Arrow);
  }
  return Cursor();
}

void TQVThumbnail2::MouseDown(const TMouseEvent& e) {
  if (!Enabled()) return;
  int col = 0, row = 0;
  const bool onCell = MouseToCell(e.x, e.y, col, row);
  if (e.button == TMouseButton::Left && showCheckBox_) {
    // The cursor is looked at where the press is, so a press after a scroll
    // without a move still finds the right cell.
    if (MouseMove(e.x, e.y) == TCursor::HandPoint && CellHoldsPicture(col, row)) {
      const int index = CellIndex(col, row);
      SetMarked(index, !Marked(index));
    }
  }
  if (e.button == TMouseButton::Left && onCell) SelectCell(col, row);
  if (OnMouseDown) OnMouseDown(*this, e);
}

void TQVThumbnail2::MouseWheel(int steps) {
  if (!hasList_) return;
  if (multiRows_) SetTopRow(topRow_ + steps);
  else SetLeftCol(leftCol_ + steps);
}

void TQVThumbnail2::KeyDown(TKey key) {
  if (!hasList_) return;
  int col = col_, row = row_;
  const int page = multiRows_ ? VisibleRowCount() : VisibleColCount();
  switch (key) {
    case TKey::Left: --col; break;
    case TKey::Right: ++col; break;
    case TKey::Up: --row; break;
    case TKey::Down: ++row; break;
    case TKey::PageUp: (multiRows_ ? row : col) -= page; break;
    case TKey::PageDown: (multiRows_ ? row : col) += page; break;
    case TKey::Home: col = 0; break;
    case TKey::End: col = colCount_ - 1; break;
  }
  col = std::clamp(col, 0, colCount_ - 1);
  row = std::clamp(row, 0, rowCount_ - 1);
  if (col != col_ || row != row_) SelectCell(col, row);
}

TPaintList TQVThumbnail2::PaintCell(int col, int row, const TRect& rect, bool selected) const {
  TPaintList list;
  TPainter p(list);
  const int L = rect.Left, T = rect.Top, R = rect.Right, B = rect.Bottom;
  const int PW = pictureWidth_, PH = pictureHeight_;
  const TColor color = Color();
  p.Rectangle(rect, color, color);
  if (!CellHoldsPicture(col, row)) return list;
  const int index = CellIndex(col, row);

  const TColor selectedPen = MixColors(clHighlight, color, 100);
  if (selected) p.Rectangle({L + 11, T + 11, L + PW + 20, T + PH + 20}, selectedPen, MixColors(clBlack, color, 10), 2);
  else p.Rectangle({L + 10, T + 10, L + PW + 20, T + PH + 20}, MixColors(clBlack, color, 20), MixColors(clBlack, color, 5), 1);

  if (const TBitmap32* thumbnail = Thumbnail(index)) p.Picture(L + (R - L + 10 - PW) / 2, T + 15, *thumbnail);

  if (showCheckBox_) {
    const TColor pen = selected ? selectedPen : MixColors(clBlack, color, 30);
    const TColor brush = MixColors(clBlack, color, 0);
    const int x = L + 13, y = T + PH + 6;
    p.Rectangle({x, y, x + 11, y + 11}, pen, brush, 1);
    if (Marked(index)) {
      p.Line(x + 1, y + 4, x + 5, y + 8, pen, 2);
      p.Line(x + 3, y + 8, x + 9, y + 2, pen, 2);
      p.Pixel(x + 3, y + 8, brush);
      p.Pixel(x + 5, y + 8, brush);
    }
    p.Frame({x + 1, y + 1, x + 10, y + 10}, brush, 1);
  }

  if (showTitle_) {
    const TRect box{L + 10, T + PH + 24, R, B};
    const unsigned align = TPaintOp::Center | TPaintOp::WordWrap;
    if (selected) {
      p.Fill(box, clHighlight);
      p.Text(box, Title(index), font_, clHighlightText, align);
    } else {
      p.Text(box, Title(index), font_, font_.Color, align);
    }
  }
  return list;
}

TBitmap32 TQVThumbnail2::Render(TPaintList* texts) const {
  TBitmap32 image;
  if (Width() <= 0 || Height() <= 0) return image;
  image.SetSize(Width(), Height());
  image.Clear(ColorToPixel(Color()));

  TPaintList border;
  TPainter p(border);
  const int w = Width(), h = Height();
  if (BorderWidth() == 2) {
    // A sunken edge: shadow outside and dark shadow inside on the top and
    // left, highlight outside and light inside on the bottom and right.
    p.Fill({0, 0, w, 1}, clBtnShadow);
    p.Fill({0, 0, 1, h}, clBtnShadow);
    p.Fill({0, h - 1, w, h}, clBtnHighlight);
    p.Fill({w - 1, 0, w, h}, clBtnHighlight);
    p.Fill({1, 1, w - 1, 2}, cl3DDkShadow);
    p.Fill({1, 1, 2, h - 1}, cl3DDkShadow);
    p.Fill({1, h - 2, w - 1, h - 1}, cl3DLight);
    p.Fill({w - 2, 1, w - 1, h - 1}, cl3DLight);
  } else if (BorderWidth() == 1) {
    p.Frame({0, 0, w, h}, clWindowFrame);
  }
  PaintTo(border, image);

  const TRect client = ClientRect();
  if (!hasList_ || client.IsEmpty()) return image;
  TBitmap32 cells(client.Width(), client.Height());
  cells.Clear(ColorToPixel(Color()));
  for (int row = topRow_; row < rowCount_; ++row) {
    if (CellRect(0, row).Top >= client.Height()) break;
    for (int col = leftCol_; col < colCount_; ++col) {
      const TRect r = CellRect(col, row);
      if (r.Left >= client.Width()) break;
      const TPaintList cell = PaintCell(col, row, r, col == col_ && row == row_);
      PaintTo(cell, cells);
      if (texts)
        for (const TPaintOp& op : cell)
          if (op.kind == TPaintOp::TKind::Text) {
            TPaintOp moved = op;
            moved.rect = {op.rect.Left + client.Left, op.rect.Top + client.Top, op.rect.Right + client.Left,
                          op.rect.Bottom + client.Top};
            texts->push_back(std::move(moved));
          }
    }
  }
  cells.DrawTo(image, client.Left, client.Top);
  return image;
}

}  // namespace qv
