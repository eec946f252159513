#include "gridmodel/table_cell.h"

#include <algorithm>

#include "gridmodel/table_grid.h"
#include "platform/dialogs.h"

namespace gridmodel {

namespace {
FontDesc& MessageFont() {
  static FontDesc font{"Sans", 9};
  return font;
}
}  // namespace

FontDesc DefaultMessageFont() { return MessageFont(); }
void SetDefaultMessageFont(const FontDesc& font) { MessageFont() = font; }

// ---- CGridImageList

int CGridImageList::Add(platform::Image image) {
  if (image.IsEmpty()) return -1;
  images_.push_back(std::move(image));
  return static_cast<int>(images_.size()) - 1;
}

const platform::Image* CGridImageList::Get(int index) const {
  if (index < 0 || index >= static_cast<int>(images_.size())) return nullptr;
  return &images_[static_cast<std::size_t>(index)];
}

// ---- CGridCellBase

const platform::Image* CGridCellBase::Image() const {
  const CGridCtrl* grid = GetGrid();
  if (!grid || !grid->GetImageList() || GetImage() < 0) return nullptr;
  return grid->GetImageList()->Get(GetImage());
}

bool CGridCellBase::GetTextRect(Rect& rect) const {
  if (const platform::Image* image = Image()) rect.left += image->Width() + static_cast<int>(GetMargin()) + 1;
  return true;
}

const CGridDefaultCell* CGridCellBase::GetDefaultCell() const {
  const CGridCtrl* grid = GetGrid();
  if (!grid) return nullptr;
  return grid->GetDefaultCell(IsFixedRow(), IsFixedCol());
}

void CGridCellBase::CopyFrom(const CGridCellBase& other) {
  SetGrid(other.GetGrid());
  SetText(other.GetText());
  SetImage(other.GetImage());
  SetData(other.GetData());
  SetState(other.GetState());
  SetFormat(other.GetFormat());
  SetTextColor(other.GetTextColor());
  SetBackColor(other.GetBackColor());
  SetFont(other.IsDefaultFont() ? nullptr : other.GetFont());
  SetMargin(other.GetMargin());
}

FontDesc CGridCellBase::EffectiveFont() const {
  const FontDesc* f = GetFont();
  return f ? *f : DefaultMessageFont();
}

long CGridCellBase::SendMessageToParent(int row, int col, int code) const {
  CGridCtrl* grid = GetGrid();
  return grid ? grid->SendMessageToParent(row, col, code) : 0;
}

bool CGridCellBase::Draw(Painter& p, int row, int col, Rect rect, bool eraseBackground) {
  CGridCtrl* grid = GetGrid();
  if (!grid || rect.right < rect.left || rect.bottom < rect.top) return false;
  if (rect.right - rect.left + 1 <= 0 || rect.bottom - rect.top + 1 <= 0) return false;
  const SystemColours& sys = grid->Colours();
  const CGridDefaultCell* def = GetDefaultCell();
  Colour text = GetTextColor() == kDefaultColour && def ? def->GetTextColor() : GetTextColor();
  Colour back = def ? def->GetBackColor() : sys.window;
  if (GetBackColor() != kDefaultColour) {
    back = GetBackColor();
    eraseBackground = true;
  }
  auto widened = [](Rect r) { return Rect{r.left, r.top, r.right + 1, r.bottom + 1}; };
  // Inclusive rectangles: the drawing area of text and frames is [left, right).
  if (IsFocused() || IsHighlighted()) {
    if (IsSelected()) {
      back = sys.highlight;
      text = sys.highlightText;
      eraseBackground = true;
    }
    if (eraseBackground) p.FillRect(widened(rect), back);
    Rect frame = grid->GetGridLines() != 0 ? rect : widened(rect);
    if (grid->GetFrameFocusCell()) p.FrameRect(frame, text);
    rect = Rect{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  } else if (IsSelected()) {
    p.FillRect(widened(rect), sys.highlight);
    text = sys.highlightText;
  } else if (eraseBackground) {
    p.FillRect(widened(rect), back);
  }
  if (IsFixed() && grid->GetGridLines() != 0) {
    CCellID focus = grid->GetFocusCell();
    if (grid->GetTrackFocusCell() && grid->IsValid(focus) && (focus.row == row || focus.col == col)) {
      // Pressed in: the heading of the focus cell's row or column.
      Rect r = widened(rect);
      p.Line(r.left, r.top, r.right - 1, r.top, sys.shadow);
      p.Line(r.left, r.top, r.left, r.bottom - 1, sys.shadow);
      p.Line(r.left, r.bottom - 1, r.right, r.bottom - 1, sys.buttonHighlight);
      p.Line(r.right - 1, r.top, r.right - 1, r.bottom - 1, sys.buttonHighlight);
    } else {
      p.Line(rect.right, rect.top, rect.left, rect.top, sys.buttonHighlight);
      p.Line(rect.left, rect.top, rect.left, rect.bottom, sys.buttonHighlight);
      p.Line(rect.right, rect.top, rect.right, rect.bottom, sys.darkShadow);
      p.Line(rect.right, rect.bottom, rect.left, rect.bottom, sys.darkShadow);
    }
    rect = Rect{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  }
  FontDesc font = EffectiveFont();
  if (!p.IsPrinting()) p.SetFont(font);
  int margin = static_cast<int>(GetMargin());
  rect.left += margin;
  rect.right -= margin;
  if (const platform::Image* image = Image()) {
    if (image->Width() + rect.left < rect.right + 2 * margin && image->Height() + rect.top < rect.bottom + 2 * margin)
      p.DrawImage(*image, Rect{rect.left, rect.top, rect.left + image->Width(), rect.top + image->Height()});
  }
  const bool vertical = IsVerticalFont(font);
  if (row == 0 && col == grid->GetSortColumn()) {
    int s = p.TextExtent("M").cy - 4;
    int h = rect.bottom - rect.top;
    if (s >= h) s = h - 4;
    if (s > 0 && rect.left + s < rect.right + 2 * margin) {
      // A turned heading keeps its width for the text: the arrow sits centred.
      int left = vertical ? (rect.left + rect.right - s) / 2 : rect.right - s;
      int top = rect.bottom - s - 2;
      auto arrow = [&](int dx, Colour c) {
        int l = left + dx, t = top + dx, mid = l + s / 2;
        if (grid->GetSortAscending()) {
          p.Line(mid, t, l, t + s, c);
          p.Line(l, t + s, l + s, t + s, c);
          p.Line(l + s, t + s, mid, t, c);
        } else {
          p.Line(l, t, l + s, t, c);
          p.Line(l + s, t, mid, t + s, c);
          p.Line(mid, t + s, l, t, c);
        }
      };
      arrow(1, sys.buttonHighlight);
      arrow(0, sys.shadow);
      if (!vertical) rect.right -= s;
    }
  }
  GetTextRect(rect);
  p.DrawText(GetDisplayText(), rect, GetFormat() | kNoPrefix, text);
  return true;
}

Size CGridCellBase::GetTextExtent(const std::string* text, Painter* p) const {
  const CGridDefaultCell* def = GetDefaultCell();
  CGridCtrl* grid = GetGrid();
  if (!text || text->empty() || (!p && !grid)) {
    return def ? Size{def->GetWidth(), def->GetHeight()} : Size{};
  }
  Painter& painter = p ? *p : grid->Measurer();
  FontDesc saved = painter.Font();
  FontDesc font = EffectiveFont();
  painter.SetFont(font);
  unsigned format = GetFormat();
  Size size = (format & kWordBreak) && !(format & kSingleLine) ? painter.MeasureText(*text, format)
                                                                 : painter.TextExtent(*text);
  painter.SetFont(saved);
  int margin = static_cast<int>(GetMargin());
  size.cx += 4 * margin;
  size.cy += 2 * margin;
  if (IsVerticalFont(font)) {
    std::swap(size.cx, size.cy);
    size.cy += 4 * margin;
  }
  return size;
}

Size CGridCellBase::GetCellExtent(Painter* p) const {
  const std::string& text = GetText();
  Size size = GetTextExtent(&text, p);
  if (const platform::Image* image = Image()) {
    size.cx += image->Width() + 1;
    size.cy = std::max(size.cy, image->Height() + 1);
  }
  return size;
}

bool CGridCellBase::PrintCell(Painter& p, int row, int col, Rect rect) {
  CGridCtrl* grid = GetGrid();
  if (!grid || rect.right < rect.left || rect.bottom < rect.top) return false;
  const CGridDefaultCell* def = GetDefaultCell();
  Colour defBack = def ? def->GetBackColor() : kDefaultColour;
  const Colour black = Colour::Rgb(0, 0, 0);
  Colour defText = def ? def->GetTextColor() : black;
  Colour back = kDefaultColour, text = black;
  if (grid->GetShadedPrint()) {
    if (IsFixed()) back = GetBackColor() != kDefaultColour ? GetBackColor() : defBack;
    else if (GetBackColor() != kDefaultColour && GetBackColor() != defBack) back = GetBackColor();
    if (GetBackColor() != kDefaultColour) text = GetTextColor() == kDefaultColour ? defText : GetTextColor();
    else if (IsFixed()) text = defText;
    else if (GetTextColor() != kDefaultColour && GetTextColor() != defText) text = GetTextColor();
    if (p.DeviceColours() == 2 && back == kDefaultColour) {
      Colour rgb = p.Resolve(text);
      text = Colour::Rgb(static_cast<std::uint8_t>(rgb.r() * 0.3), static_cast<std::uint8_t>(rgb.g() * 0.59),
                         static_cast<std::uint8_t>(rgb.b() * 0.11));
    }
    if (back != kDefaultColour) p.FillRect(Rect{rect.left, rect.top, rect.right + 1, rect.bottom + 1}, back);
  }
  FontDesc saved = p.Font();
  if (!IsDefaultFont()) {
    FontDesc f = *GetFont();
    f.size = saved.size;  // the printer font's size keeps the page's scale
    p.SetFont(f);
  }
  if (IsFixed() && grid->GetGridLines() != 0) {
    const SystemColours& sys = grid->Colours();
    p.Line(rect.right, rect.top, rect.left, rect.top, sys.buttonHighlight);
    p.Line(rect.left, rect.top, rect.left, rect.bottom, sys.buttonHighlight);
    p.Line(rect.right, rect.top, rect.right, rect.bottom, sys.darkShadow);
    p.Line(rect.right, rect.bottom, rect.left, rect.bottom, sys.darkShadow);
    rect = Rect{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  }
  int margin = static_cast<int>(GetMargin());
  rect.left += margin;
  rect.right -= margin;
  if (const platform::Image* image = Image()) {
    p.DrawImage(*image, Rect{rect.left, rect.top, rect.left + image->Width(), rect.top + image->Height()});
    rect.left += image->Width() + margin;
  }
  p.DrawText(GetDisplayText(), rect, GetFormat() | kNoPrefix, text.IsDefault() ? black : text);
  p.SetFont(saved);
  return true;
}

// ---- CGridCell

void CGridCell::SetFont(const FontDesc* font) {
  if (font) font_ = std::make_unique<FontDesc>(*font);
  else font_.reset();
}

unsigned CGridCell::GetFormat() const {
  if (format_ != 0xFFFFFFFFu) return format_;
  const CGridDefaultCell* def = GetDefaultCell();
  return def ? def->GetFormat() : 0;
}

const FontDesc* CGridCell::GetFont() const {
  if (font_) return font_.get();
  const CGridDefaultCell* def = GetDefaultCell();
  return def ? def->GetFont() : nullptr;
}

unsigned CGridCell::GetMargin() const {
  if (margin_ != 0xFFFFFFFFu) return margin_;
  const CGridDefaultCell* def = GetDefaultCell();
  return def ? def->GetMargin() : 0;
}

void CGridCell::Reset() {
  CGridCellBase::Reset();
  text_.clear();
  image_ = -1;
  format_ = 0xFFFFFFFFu;
  grid_ = nullptr;
  editing_ = false;
  textColour_ = backColour_ = kDefaultColour;
  margin_ = 0xFFFFFFFFu;
  font_.reset();
}

bool CGridCell::Edit(int row, int col, Rect rect, Point, unsigned firstChar) {
  if (!grid_ || !grid_->Host()) return false;
  if (editing_) {
    // Already open: the key goes on to the editor.
    grid_->Host()->OpenEditor(row, col, rect, 0, text_, firstChar);
    return true;
  }
  unsigned format = GetFormat();
  unsigned align = (format & kAlignRight) ? kAlignRight : (format & kAlignCenter) ? kAlignCenter : kAlignLeft;
  editing_ = true;
  if (!grid_->Host()->OpenEditor(row, col, rect, align, text_, firstChar)) editing_ = false;
  return true;
}

void CGridCell::EndEdit() {
  if (editing_ && grid_ && grid_->Host()) grid_->Host()->CloseEditor();
}

// ---- CGridDefaultCell

CGridDefaultCell::CGridDefaultCell() {
  format_ = kAlignLeft | kAlignVCenter | kSingleLine | kNoPrefix | kEndEllipsis;
  margin_ = 3;
  width_ = 40;
  height_ = 16;
  font_ = std::make_unique<FontDesc>(DefaultMessageFont());
}

void CGridDefaultCell::SetFont(const FontDesc* font) {
  if (!font) return;
  font_ = std::make_unique<FontDesc>(*font);
  Measure();
}

void CGridDefaultCell::Measure() {
  if (!grid_) {
    margin_ = 3;
    width_ = 40;
    height_ = 16;
    return;
  }
  Painter& p = grid_->Measurer();
  FontDesc saved = p.Font();
  p.SetFont(*font_);
  margin_ = static_cast<unsigned>(p.TextExtent(" ").cx);
  Size s = p.TextExtent(" XXXXXXXXXXXX ");
  width_ = s.cx;
  height_ = s.cy * 3 / 2;
  p.SetFont(saved);
}

// ---- CGridCellColor

bool CGridCellColor::Draw(Painter& p, int row, int col, Rect rect, bool) {
  CGridCtrl* grid = GetGrid();
  if (!grid || rect.right - rect.left + 1 < 1 || rect.bottom - rect.top + 1 < 1) return false;
  p.FillRect(Rect{rect.left, rect.top, rect.right + 1, rect.bottom + 1}, colour_);
  if (IsFocused() || IsSelected()) {
    p.FrameRect(rect, grid->Colours().highlightText);
    p.FrameRect(Rect{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, grid->Colours().highlight);
  }
  return true;
}

bool CGridCellColor::Edit(int row, int col, Rect, Point, unsigned) {
  std::optional<std::uint32_t> chosen = platform::CurrentDialogs().ChooseColour(colour_.Ref());
  if (chosen) {
    colour_ = Colour::FromRef(*chosen);
    if (grid_) grid_->InvalidateCellRect(row, col);
  }
  return true;
}

// ---- CGridCellCombo

bool CGridCellCombo::Draw(Painter& p, int row, int col, Rect rect, bool eraseBackground) {
  CGridCtrl* grid = GetGrid();
  if (!grid) return false;
  const int bar = grid->Host() ? grid->Host()->ScrollBarThickness() : 16;
  const int width = rect.right - rect.left + 1, height = rect.bottom - rect.top + 1;
  if (grid->IsCellEditable(row, col) && !IsEditing() && width > bar && height > bar) {
    // The drop-down button at the cell's right, a scroll bar wide and high.
    const SystemColours& sys = grid->Colours();
    Rect button{rect.right - bar + 1, rect.top, rect.right + 1, rect.top + bar};
    p.FillRect(button, sys.face);
    p.Line(button.left, button.top, button.right - 1, button.top, sys.buttonHighlight);
    p.Line(button.left, button.top, button.left, button.bottom - 1, sys.buttonHighlight);
    p.Line(button.left, button.bottom - 1, button.right, button.bottom - 1, sys.darkShadow);
    p.Line(button.right - 1, button.top, button.right - 1, button.bottom - 1, sys.darkShadow);
    const int half = std::max(1, bar / 4), cx = (button.left + button.right) / 2, top = button.top + bar / 2 - half / 2;
    for (int i = 0; i < half; ++i) p.Line(cx - half + i + 1, top + i, cx + half - i, top + i, sys.windowText);
    rect.right = button.left;
  }
  if (!IsEditing()) return CGridCellBase::Draw(p, row, col, rect, eraseBackground);
  // Under the open list the text is not drawn.
  std::string text = std::move(text_);
  text_.clear();
  bool drawn = CGridCellBase::Draw(p, row, col, rect, eraseBackground);
  text_ = std::move(text);
  return drawn;
}

bool CGridCellCombo::Edit(int row, int col, Rect rect, Point, unsigned firstChar) {
  if (!grid_ || !grid_->Host()) return false;
  if (editing_) return true;
  editing_ = true;
  if (!grid_->Host()->OpenListEditor(row, col, rect, style_, options_, text_, firstChar)) editing_ = false;
  return true;
}

}  // namespace gridmodel
