#include "gridmodel/ug_ctrl.h"

#include "gridmodel/ug_celltypes.h"

#include <algorithm>

namespace gridmodel {

namespace {
UGImageLoader& DefaultBitmapLoader() {
  static UGImageLoader loader = [](const std::string& path, platform::Image& image) { return image.LoadPng(path); };
  return loader;
}
}  // namespace

void SetDefaultBitmapLoader(UGImageLoader loader) { DefaultBitmapLoader() = std::move(loader); }

CUGGridInfo::CUGGridInfo() {
  headingDefault.SetBackColor(Colour::System(SysColour::ButtonFace));
  headingDefault.SetBorderStyle(0x2000);
  headingDefault.SetAlignment(36);
  headingDefault.SetXPStyle(UGXP_HEADING_DEFAULT);
  gridDefault.SetPropertyFlags(0);
  defDataSource = &mem;
  multiSelect = std::make_unique<CUGMultiSelect>();
}

void CUGCellType::GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) {
  CUGCtrl* grid = GetGrid();
  if (!grid || !cell) return;
  const char* text = cell->GetText();
  const int font = cell->GetFont() >= 0 ? cell->GetFont() : grid->GetDefaultFont();
  // Without a window nothing can be measured: the text counts as no width.
  const int textWidth = text && grid->GetView() ? grid->GetView()->MeasureTextWidth(text, font) : 0;
  *width = textWidth + 6;
}

CUGCtrl::CUGCtrl() : bitmapLoader_(DefaultBitmapLoader()) {
  dropListType_ = std::make_unique<CUGDropListType>();
  checkBoxType_ = std::make_unique<CUGCheckBoxType>();
  arrowType_ = std::make_unique<CUGArrowType>();
  SetSheetCount(1);
  dataSources_.assign(16, nullptr);
  AddCellType(&normalType_);
  AddCellType(dropListType_.get());
  AddCellType(checkBoxType_.get());
  AddCellType(arrowType_.get());
}

CUGCtrl::~CUGCtrl() = default;

void CUGCtrl::ApplyDefaultSheet(CUGGridInfo& gi) {
  gi.mem.SetGrid(this);
  gi.multiSelect->SetGrid(this);
  gi.defEditor = builtinEdit_;
  gi.maskedEditor = builtinMasked_;
}

void CUGCtrl::SetBuiltinEditors(CUGEditor* edit, CUGEditor* masked) {
  for (auto& s : sheets_) {
    if (s->defEditor == builtinEdit_) s->defEditor = edit;
    if (s->maskedEditor == builtinMasked_) s->maskedEditor = masked;
  }
  builtinEdit_ = edit;
  builtinMasked_ = masked;
}

void CUGCtrl::InitGrid(const std::optional<FontDesc>& dialogFont) {
  if (dialogFont) {
    int normal = AddFont(*dialogFont);
    gi_->defFont = normal;
    FontDesc bold = *dialogFont;
    bold.weight += 200;
    int heading = AddFont(bold);
    gi_->headingDefault.SetFont(heading);
  }
  OnInitGrid();
  OnInitSheet(0);
  gi_->paintMode = true;
  ArrangeParts();
}

void CUGCtrl::SetClientSize(int width, int height) {
  clientWidth_ = std::max(0, width);
  clientHeight_ = std::max(0, height);
  const bool update = enableUpdate_;
  enableUpdate_ = false;
  ArrangeParts();
  enableUpdate_ = update;
}

int CUGCtrl::ArrangeParts() {
  CUGGridInfo& g = *gi_;
  const int keepV = g.vScrollWidth, keepH = g.hScrollHeight, keepTab = g.tabWidth;
  const int W = clientWidth_, H = clientHeight_;
  int A = W - g.sideHdgWidth;
  int B = H - g.topHdgHeight;
  long long colSum = 0;
  for (int c = 0; c < g.numberCols && colSum <= A; ++c) colSum += g.columns[c].width;
  long long rowSum = 0;
  for (long r = 0; r < g.numberRows && rowSum <= B; ++r) rowSum += GetRowHeight(r);
  if (g.tabWidth > 0 || colSum > A) B -= g.hScrollHeight;
  if (rowSum > B) A -= g.vScrollWidth;
  if (colSum <= A && g.tabWidth <= 0) g.hScrollHeight = 0;
  if (rowSum <= B) g.vScrollWidth = 0;
  if (colSum <= A && g.tabWidth > 0) {
    g.tabWidth = W + 6;
  } else if (g.tabWidth > 0) {
    A -= g.vScrollWidth;
    if (g.tabWidth >= A) g.tabWidth = std::max(0, A);
  }
  UGRect& vs = g.rects[5];
  UGRect& hs = g.rects[6];
  UGRect& tabs = g.rects[4];
  UGRect& th = g.rects[1];
  UGRect& sh = g.rects[2];
  UGRect& cb = g.rects[3];
  UGRect& ca = g.rects[0];
  vs = {W - g.vScrollWidth, 0, W, H - g.hScrollHeight};
  hs = {g.tabWidth, H - g.hScrollHeight, W - g.vScrollWidth, H};
  tabs = {0, H - g.hScrollHeight, g.tabWidth, H};
  th = {g.sideHdgWidth, 0, W - g.vScrollWidth, g.topHdgHeight};
  sh = {0, g.topHdgHeight, g.sideHdgWidth, H - g.hScrollHeight};
  cb = {0, 0, g.sideHdgWidth, g.topHdgHeight};
  ca = {g.sideHdgWidth, g.topHdgHeight, th.right, sh.bottom};
  g.gridWidth = std::max(0, ca.Width());
  g.gridHeight = std::max(0, ca.Height());
  OnAdjustLayout(&ca, &th, &sh, &cb, &vs, &hs, &tabs);
  if (g.paintMode) tabs_.SetClientSize(tabs.Width(), tabs.Height());
  if (g.paintMode && tabsOnlyLayout_) {
    if (view_) view_->TabsArranged();
  } else if (g.paintMode) {
    if (view_) view_->PartsArranged();
    AdjustTopRow();
    AdjustLeftCol();
    UpdateAllParts();
  }
  UpdateBottomRightInView();
  g.vScrollWidth = keepV;
  g.hScrollHeight = keepH;
  g.tabWidth = keepTab;
  g.lastTopRow = g.topRow;
  g.lastLeftCol = g.leftCol;
  return 0;
}

int CUGCtrl::ArrangeTabsOnly() {
  tabsOnlyLayout_ = true;
  ArrangeParts();
  tabsOnlyLayout_ = false;
  return 0;
}

int CUGCtrl::SetCurrentTab(long id) {
  if (tabs_.SetCurrentTab(id) != 0) return 1;
  OnSheetTabClicked(static_cast<int>(id));
  return 0;
}

int CUGCtrl::EnableHints(bool on) {
  gi_->enableHints = on;
  return 0;
}

int CUGCtrl::SetSheetCount(int count) {
  if (count < 1 || count > 1024) return 1;
  const int current = sheetNumber_;
  // The tab width outlives the sheet it came from.
  const int tabWidth = gi_ ? gi_->tabWidth : 0;
  const int oldCount = static_cast<int>(sheets_.size());
  if (count < oldCount) sheets_.resize(count);
  for (int i = oldCount; i < count; ++i) {
    sheets_.push_back(std::make_unique<CUGGridInfo>());
    CUGGridInfo* s = sheets_.back().get();
    ApplyDefaultSheet(*s);
    gi_ = s;
    OnInitSheet(i);
    s->paintMode = true;
  }
  if (current < count) {
    gi_ = sheets_[current].get();
  } else {
    gi_ = sheets_[count - 1].get();
    gi_->tabWidth = tabWidth;
    sheetNumber_ = count - 1;
    gi_->lastTopRow = -1;
    gi_->lastLeftCol = -1;
    ArrangeParts();
  }
  return 0;
}

int CUGCtrl::SetSheetNumber(int index, bool update) {
  if (index < 0 || index >= GetSheetCount()) return 1;
  const bool keep = enableUpdate_;
  if (!update) enableUpdate_ = false;
  if (view_) view_->FocusCellArea();
  const int tab = gi_->tabWidth;
  gi_ = sheets_[index].get();
  gi_->tabWidth = tab;
  sheetNumber_ = index;
  gi_->lastTopRow = -1;
  gi_->lastLeftCol = -1;
  ArrangeParts();
  enableUpdate_ = keep;
  return 0;
}

void CUGCtrl::UpdateAllParts() {
  if (enableUpdate_ && view_) view_->RefreshAllParts();
}

int CUGCtrl::RedrawAll() {
  UpdateAllParts();
  return 0;
}

int CUGCtrl::RedrawCell(int col, long row) {
  if (col < 0 || row < 0) {
    if (view_) view_->RefreshHeading(col < 0);
    return 0;
  }
  return RedrawRange(col, row, col, row);
}

int CUGCtrl::RedrawRow(long row) { return RedrawRange(0, row, std::max(0, gi_->numberCols - 1), row); }
int CUGCtrl::RedrawCol(int col) { return RedrawRange(col, 0, col, std::max(0L, gi_->numberRows - 1)); }

int CUGCtrl::RedrawRange(int startCol, long startRow, int endCol, long endRow) {
  cellHints_.AddRange(startCol, startRow, endCol, endRow);
  if (view_) view_->RefreshCellArea();
  return 0;
}

int CUGCtrl::EnablePainting(bool on) {
  gi_->paintMode = on;
  if (on) ArrangeParts();
  return 0;
}

Colour CUGCtrl::OnGetSectionBackColor(int section) {
  return Colour::System(section == UG_GRID ? SysColour::Window : SysColour::ButtonFace);
}

int CUGCtrl::OnGetHintText(int col, long row, int section, std::string* text) {
  if (text) *text = "Col:" + std::to_string(col) + " Row:" + std::to_string(row);
  return 1;
}

// ---- registries ----

namespace {
// The text a cell shows without copying it, unless it is a number that must be formatted.
const std::string* ShownText(const CUGCell& c, std::string* scratch) {
  if (!c.HasValue()) return nullptr;
  if (c.GetDataType() != UGCELLDATA_NUMBER) return &c.StoredText();
  CUGCell copy(c);
  *scratch = copy.GetText();
  return scratch;
}
}  // namespace

int CUGCtrl::AddCellType(CUGCellType* type) {
  if (!type) return -1;
  int id = cellTypeList_.Add(type);
  if (id < 0) return -1;
  type->SetGrid(this);
  type->SetId(id);
  return id;
}

int CUGCtrl::RemoveCellType(int id) {
  // The built-in types belong to the grid; program types belong to their users.
  if (id <= 3 || !cellTypeList_.At(id)) return 1;
  cellTypeList_.RemoveAt(id);
  return 0;
}

CUGCellType* CUGCtrl::GetCellType(int id) {
  if (id > 0)
    if (auto* t = static_cast<CUGCellType*>(cellTypeList_.At(id))) return t;
  return &normalType_;
}

void CUGCtrl::SystemColoursChanged() {
  for (int i = 0; i < cellTypeList_.GetCapacity(); ++i)
    if (auto* t = static_cast<CUGCellType*>(cellTypeList_.At(i))) t->OnSystemColorChange();
  gi_->headingDefault.SetBackColor(Colour::System(SysColour::ButtonFace));
}

int CUGCtrl::GetCellTypeId(const CUGCellType* type) const { return cellTypeList_.IndexOf(type); }

int CUGCtrl::AddFont(const char* face, int height, int weight) {
  FontDesc f;
  f.face = face ? face : "";
  f.size = height;
  f.weight = weight;
  return AddFont(f);
}

int CUGCtrl::AddFont(const FontDesc& font) {
  FontDesc f = font;
  if (f.face.size() >= 32) f.face.clear();
  for (int i = 0; i < fontList_.GetCapacity(); ++i) {
    auto* e = static_cast<FontEntry*>(fontList_.At(i));
    if (e && e->font == f) {
      ++e->users;
      return i;
    }
  }
  auto entry = std::make_unique<FontEntry>();
  entry->font = f;
  int index = fontList_.Add(entry.get());
  if (index < 0) return -1;
  fontStore_.push_back(std::move(entry));
  return index;
}

int CUGCtrl::RemoveFont(int index) {
  auto* e = static_cast<FontEntry*>(fontList_.At(index));
  if (!e) return 1;
  if (e->users > 0) {
    --e->users;
    return 0;
  }
  int r = fontList_.RemoveAt(index);
  std::erase_if(fontStore_, [e](const std::unique_ptr<FontEntry>& p) { return p.get() == e; });
  for (auto& s : sheets_)
    if (s->defFont == index) s->defFont = -1;
  return r;
}

int CUGCtrl::ClearFonts() {
  fontList_.RemoveAll();
  fontStore_.clear();
  for (auto& s : sheets_) s->defFont = -1;
  return 0;
}

const FontDesc* CUGCtrl::GetFont(int index) const {
  auto* e = static_cast<const FontEntry*>(fontList_.At(index));
  return e ? &e->font : nullptr;
}

int CUGCtrl::SetDefaultFont(int index) {
  if (!GetFont(index)) return 1;
  gi_->defFont = index;
  return 0;
}

int CUGCtrl::AddBitmap(platform::Image image) {
  if (image.IsEmpty()) return -1;
  auto stored = std::make_unique<platform::Image>(std::move(image));
  int index = bitmapList_.Add(stored.get());
  if (index < 0) return -1;
  bitmapStore_.push_back(std::move(stored));
  return index;
}

int CUGCtrl::AddBitmapFile(const std::string& path, std::string* error) {
  platform::Image image;
  if (!bitmapLoader_ || !bitmapLoader_(path, image) || image.IsEmpty()) {
    if (error) *error = "The file \"" + path + "\" cannot be read as an image.";
    return -1;
  }
  return AddBitmap(std::move(image));
}

int CUGCtrl::RemoveBitmap(int index) {
  auto* image = static_cast<platform::Image*>(bitmapList_.At(index));
  if (!image) return 1;
  int r = bitmapList_.RemoveAt(index);
  std::erase_if(bitmapStore_, [image](const std::unique_ptr<platform::Image>& p) { return p.get() == image; });
  return r;
}

int CUGCtrl::ClearBitmaps() {
  bitmapList_.RemoveAll();
  bitmapStore_.clear();
  return 0;
}

const platform::Image* CUGCtrl::GetBitmap(int index) const {
  return static_cast<const platform::Image*>(bitmapList_.At(index));
}

int CUGCtrl::AddDataSource(CUGDataSource* ds) {
  if (!ds) return -1;
  int index = -1;
  for (int i = 1; i <= 63; ++i) {
    if (i >= static_cast<int>(dataSources_.size())) dataSources_.resize(dataSources_.size() + 16, nullptr);
    if (!dataSources_[i]) {
      index = i;
      break;
    }
  }
  if (index < 0) return -1;
  ds->SetGrid(this);
  dataSources_[index] = ds;
  dataSourceMax_ = std::max(dataSourceMax_, index);
  ds->SetID(index);
  return index;
}

CUGDataSource* CUGCtrl::GetDataSource(int index) {
  if (index < 0 || index > dataSourceMax_) return nullptr;
  if (index == 0) return &gi_->mem;
  return dataSources_[index];
}

int CUGCtrl::RemoveDataSource(int index) {
  if (index < 1 || index > dataSourceMax_ || !dataSources_[index]) return 1;
  CUGDataSource* ds = dataSources_[index];
  dataSources_[index] = nullptr;
  while (dataSourceMax_ > 0 && !dataSources_[dataSourceMax_]) --dataSourceMax_;
  // Nothing may go on pointing at a source the grid no longer knows.
  for (auto& s : sheets_) {
    if (s->defDataSource == ds) {
      s->defDataSource = &s->mem;
      s->defDataSourceIndex = 0;
    }
    for (auto& c : s->columns)
      if (c.dataSource == ds) c.dataSource = s->defDataSource;
  }
  return 0;
}

int CUGCtrl::SetDefaultDataSource(int index) {
  CUGDataSource* ds = GetDataSource(index);
  if (!ds) return 1;
  gi_->defDataSource = ds;
  gi_->defDataSourceIndex = index;
  for (auto& c : gi_->columns) c.dataSource = ds;
  return 0;
}

int CUGCtrl::SetColDataSource(int col, int index) {
  if (col < 0 || col >= gi_->numberCols) return 1;
  CUGDataSource* ds = GetDataSource(index);
  if (!ds) return 1;
  gi_->columns[col].dataSource = ds;
  return 0;
}

int CUGCtrl::SetColDataSource(int col, CUGDataSource* ds) {
  if (col < 0 || col >= gi_->numberCols || !ds) return 1;
  gi_->columns[col].dataSource = ds;
  return 0;
}

int CUGCtrl::SizeToDataSource(int index) {
  CUGDataSource* ds = GetDataSource(index);
  if (!ds) return 1;
  int cols = ds->GetColCount();
  if (cols <= 0) return 2;
  SetColCount(cols, false);
  long rows = ds->GetRowCount();
  if (rows >= 0) SetRowCount(rows, false);
  ArrangeParts();
  return 0;
}

int CUGCtrl::SortBy(int col, int flags) { return SortBy(&col, 1, flags); }

int CUGCtrl::SortBy(int* cols, int count, int flags) {
  if (!cols || count <= 0) return 1;
  for (int i = 0; i < count; ++i)
    if (cols[i] >= 0) cols[i] = GetDataSourceCol(cols[i]);
  return gi_->defDataSource->SortBy(cols, count, flags);
}

int CUGCtrl::CompareCellsDefault(const CUGCell* a, const CUGCell* b, int flags) {
  if (!a) return b ? 1 : 0;
  if (!b) return -1;
  if (flags & UG_SORT_DESCENDING) std::swap(a, b);
  // Cells without a value go last, and numbers compare as numbers only against numbers, so
  // that the order is the same whichever cell comes first.
  if (!a->HasValue()) return 1;
  if (!b->HasValue()) return -1;
  auto numeric = [](short t) { return t == UGCELLDATA_NUMBER || t == UGCELLDATA_BOOL || t == UGCELLDATA_CURRENCY; };
  if (numeric(a->GetDataType()) && numeric(b->GetDataType())) {
    const double x = a->GetNumber(), y = b->GetNumber();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  std::string shownA, shownB;
  const std::string* ta = ShownText(*a, &shownA);
  const std::string* tb = ShownText(*b, &shownB);
  if (!ta || ta->empty()) return 1;
  if (!tb || tb->empty()) return -1;
  // std::string compares bytes as unsigned characters.
  int c = ta->compare(*tb);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace gridmodel

namespace gridmodel {
int CUGCtrl::OnCompareCells(const CUGCell* a, const CUGCell* b, int flags) { return CompareCellsDefault(a, b, flags); }
}  // namespace gridmodel
