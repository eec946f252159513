#pragma once
// The table grid's cells: the abstract cell, the text cell, the grid's default cells from
// which ordinary cells take what they leave unset, and the colour-swatch cell.
#include <memory>
#include <string>
#include <vector>

#include "gridmodel/painter.h"
#include "gridmodel/table_types.h"
#include "platform/image.h"

namespace gridmodel {

// The images a grid's cells name by index. The grid does not own its list.
class CGridImageList {
 public:
  // The new image's index; -1 for an empty image.
  int Add(platform::Image image);
  int GetImageCount() const { return static_cast<int>(images_.size()); }
  // Null for an index the list does not know.
  const platform::Image* Get(int index) const;

 private:
  std::vector<platform::Image> images_;
};

class CGridCtrl;
class CGridDefaultCell;

class CGridCellBase {
 public:
  virtual ~CGridCellBase() = default;

  virtual void SetText(const std::string& text) = 0;
  virtual void SetImage(int image) = 0;
  virtual void SetData(std::intptr_t data) = 0;
  virtual void SetState(unsigned state) { state_ = state; }
  virtual void SetFormat(unsigned format) = 0;
  virtual void SetTextColor(Colour c) = 0;
  virtual void SetBackColor(Colour c) = 0;
  virtual void SetFont(const FontDesc* font) = 0;
  virtual void SetMargin(unsigned margin) = 0;
  virtual void SetGrid(CGridCtrl* grid) = 0;
  virtual void SetRowCol(int, int) {}

  virtual const std::string& GetText() const = 0;
  virtual const std::string& GetDisplayText() const { return GetText(); }
  virtual int GetImage() const { return -1; }
  virtual std::intptr_t GetData() const = 0;
  virtual unsigned GetState() const { return state_; }
  virtual unsigned GetFormat() const = 0;
  virtual Colour GetTextColor() const = 0;
  virtual Colour GetBackColor() const = 0;
  virtual const FontDesc* GetFont() const = 0;
  virtual CGridCtrl* GetGrid() const = 0;
  virtual unsigned GetMargin() const = 0;
  virtual const CGridDefaultCell* GetDefaultCell() const;
  virtual bool IsDefaultFont() const = 0;
  virtual bool IsEditing() const = 0;

  bool IsFocused() const { return GetState() & kStateFocused; }
  bool IsFixed() const { return GetState() & kStateFixed; }
  bool IsFixedCol() const { return GetState() & kStateFixedCol; }
  bool IsFixedRow() const { return GetState() & kStateFixedRow; }
  bool IsSelected() const { return GetState() & kStateSelected; }
  bool IsReadOnly() const { return GetState() & kStateReadOnly; }
  bool IsModified() const { return GetState() & kStateModified; }
  bool IsHighlighted() const { return GetState() & kStateHighlighted; }

  virtual void CopyFrom(const CGridCellBase& other);
  virtual void Reset() { state_ = 0; }

  // rect has inclusive corners (right = left + width - 1).
  virtual bool Draw(Painter& p, int row, int col, Rect rect, bool eraseBackground);
  // Moves the left edge past the cell's image.
  virtual bool GetTextRect(Rect& rect) const;
  // Extent of a text in the cell's font, margins included; null measures with the grid's
  // measurer.
  virtual Size GetTextExtent(const std::string* text, Painter* p) const;
  virtual Size GetCellExtent(Painter* p) const;
  virtual bool Edit(int row, int col, Rect rect, Point point, unsigned firstChar) { return false; }
  virtual bool ValidateEdit(const std::string&) { return true; }
  virtual void EndEdit() {}
  virtual bool PrintCell(Painter& p, int row, int col, Rect rect);
  virtual void OnEndEdit() {}
  virtual void OnMouseMove() {}
  virtual void OnLButtonUp(Point) {}
  virtual void OnLButtonDown(Point) {}
  virtual void OnRButtonUp(Point) {}
  virtual void OnLButtonDblClk(Point) {}
  // Kept free for derived cells: the grid never calls them.
  virtual void OnSpareHook1() {}
  virtual void OnSpareHook2() {}

  long SendMessageToParent(int row, int col, int code) const;

 protected:
  // The colour and font a cell draws with, its own or its default cell's.
  FontDesc EffectiveFont() const;
  // The cell's image when the grid's image list knows it, else null.
  const platform::Image* Image() const;
  unsigned state_ = 0;
};

class CGridCell : public CGridCellBase {
 public:
  void SetText(const std::string& text) override { text_ = text; }
  void SetImage(int image) override { image_ = image; }
  void SetData(std::intptr_t data) override { data_ = data; }
  void SetFormat(unsigned format) override { format_ = format; }
  void SetTextColor(Colour c) override { textColour_ = c; }
  void SetBackColor(Colour c) override { backColour_ = c; }
  void SetFont(const FontDesc* font) override;
  void SetMargin(unsigned margin) override { margin_ = margin; }
  void SetGrid(CGridCtrl* grid) override { grid_ = grid; }

  const std::string& GetText() const override { return text_; }
  int GetImage() const override { return image_; }
  std::intptr_t GetData() const override { return data_; }
  unsigned GetFormat() const override;
  Colour GetTextColor() const override { return textColour_; }
  Colour GetBackColor() const override { return backColour_; }
  const FontDesc* GetFont() const override;
  CGridCtrl* GetGrid() const override { return grid_; }
  unsigned GetMargin() const override;
  bool IsDefaultFont() const override { return !font_; }
  bool IsEditing() const override { return editing_; }

  void Reset() override;
  bool Edit(int row, int col, Rect rect, Point point, unsigned firstChar) override;
  void EndEdit() override;
  void OnEndEdit() override { editing_ = false; }

 protected:
  std::string text_;
  std::intptr_t data_ = 0;
  int image_ = -1;
  unsigned format_ = 0xFFFFFFFFu;
  Colour textColour_ = kDefaultColour;
  Colour backColour_ = kDefaultColour;
  std::unique_ptr<FontDesc> font_;
  unsigned margin_ = 0xFFFFFFFFu;
  bool editing_ = false;
  CGridCtrl* grid_ = nullptr;
};

// One of the four per-grid defaults; always read-only, never holds item data.
class CGridDefaultCell : public CGridCell {
 public:
  CGridDefaultCell();
  void SetData(std::intptr_t) override {}
  void SetState(unsigned) override {}
  unsigned GetState() const override { return state_ | kStateReadOnly; }
  // Copies the font and re-measures the default sizes and margin; null is ignored.
  void SetFont(const FontDesc* font) override;
  const FontDesc* GetFont() const override { return font_.get(); }
  unsigned GetFormat() const override { return format_; }
  unsigned GetMargin() const override { return margin_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  void SetWidth(int w) { width_ = w; }
  void SetHeight(int h) { height_ = h; }
  int GetExtraValue() const { return extra_; }
  void SetExtraValue(int v) { extra_ = v; }
  // Re-measures with the grid's measurer (called when the grid is set).
  void Measure();

 private:
  int width_ = 30, height_ = 10, extra_ = 0;
};

// A colour swatch; its text is kept but never drawn. Editing opens the colour dialog.
class CGridCellColor : public CGridCell {
 public:
  Colour GetColor() const { return colour_; }
  Colour SetColor(Colour c) {
    Colour old = colour_;
    colour_ = c;
    return old;
  }
  bool Draw(Painter& p, int row, int col, Rect rect, bool eraseBackground) override;
  bool Edit(int row, int col, Rect rect, Point point, unsigned firstChar) override;
  void OnRButtonUp(Point) override {}

 private:
  Colour colour_ = Colour::Rgb(0, 0, 0);
};

// List styles of the drop-down cell: the text may be typed, or only chosen from the list.
constexpr unsigned kComboDropDown = 2, kComboDropDownList = 3;

// A cell edited with a drop-down list of options.
class CGridCellCombo : public CGridCell {
 public:
  void SetOptions(const std::vector<std::string>& options) { options_ = options; }
  const std::vector<std::string>& GetOptions() const { return options_; }
  void SetStyle(unsigned style) { style_ = style; }
  unsigned GetStyle() const { return style_; }
  bool Draw(Painter& p, int row, int col, Rect rect, bool eraseBackground) override;
  bool Edit(int row, int col, Rect rect, Point point, unsigned firstChar) override;

 private:
  std::vector<std::string> options_;
  unsigned style_ = kComboDropDown;
};

// Makes the cells of a grid; SetCellClass and SetDefaultCellClass take one.
using CellFactory = std::unique_ptr<CGridCellBase> (*)();
template <typename T>
std::unique_ptr<CGridCellBase> MakeCell() {
  return std::make_unique<T>();
}

// The font the default cells start from (the desktop's message font in the window).
FontDesc DefaultMessageFont();
void SetDefaultMessageFont(const FontDesc& font);

}  // namespace gridmodel
