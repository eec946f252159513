#include <algorithm>
#include <cctype>

#include "gridmodel/ug_ctrl.h"
#include "platform/clipboard.h"
#include "platform/messages.h"

namespace gridmodel {

int CUGCtrl::SelectionToText(std::string* out, bool clear) {
  if (!out) return 1;
  out->clear();
  CUGMultiSelect& ms = *gi_->multiSelect;
  // A whole-row selection reports one cell per row; every column of the row is copied.
  const bool wholeRows = ms.GetSelectionMode() == UG_MULTISELECT_ROW && ms.GetBlockCount() > 0;
  std::vector<std::pair<int, long>> cells;
  int col;
  long row;
  for (int r = ms.FirstSelectedCell(&col, &row); r == 0; r = ms.NextSelectedCell(&col, &row)) {
    if (wholeRows) {
      for (int c = 0; c < gi_->numberCols; ++c) cells.emplace_back(c, row);
    } else {
      cells.emplace_back(col, row);
    }
  }
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const auto [c, r] = cells[i];
    CUGCell cell;
    GetCell(c, r, &cell);
    if (const char* t = cell.GetText()) *out += t;
    if (clear && !cell.IsReadOnly()) {
      CUGCell blank;
      SetCell(c, r, &blank);
    }
    if (i + 1 < cells.size()) *out += cells[i + 1].second == r ? '\t' : '\n';
  }
  return 0;
}

int CUGCtrl::CopyToClipboard(bool cut) {
  std::string text;
  SelectionToText(&text, cut);
  if (!platform::CurrentClipboard().SetText(text)) return 1;
  if (cut) {
    ClearSelection();
    UpdateAllParts();
  }
  return 0;
}

int CUGCtrl::CopyTextToClipboard(const std::string& text) {
  return platform::CurrentClipboard().SetText(text) ? 0 : 1;
}

int CUGCtrl::GetClipboardText(std::string* text) {
  auto t = platform::CurrentClipboard().GetText();
  if (!t) return 1;
  if (text) *text = *t;
  return 0;
}

int CUGCtrl::Paste() {
  std::string text;
  if (GetClipboardText(&text) != 0) return 1;
  return PasteText(text);
}

int CUGCtrl::PasteText(const std::string& text) {
  CUGGridInfo& g = *gi_;
  const int startCol = g.currentCol;
  const long startRow = g.currentRow;
  int col = startCol, farCol = startCol;
  long row = startRow, farRow = startRow;
  auto store = [&](const std::string& field) {
    if (col >= 0 && row >= 0 && col < g.numberCols && row < g.numberRows) {
      StoreEditedText(col, row, field);
      farCol = std::max(farCol, col);
      farRow = std::max(farRow, row);
    }
  };
  auto isSep = [](char c) { return c == '\t' || c == '\n' || c == '\r'; };
  std::size_t i = 0;
  bool fieldPending = true;  // a separator at the start or after another writes an empty field
  while (i < text.size()) {
    if (!isSep(text[i])) {
      std::size_t j = i;
      while (j < text.size() && !isSep(text[j])) ++j;
      store(text.substr(i, j - i));
      fieldPending = false;
      i = j;
      continue;
    }
    if (fieldPending) store(std::string());
    if (text[i] == '\t') {
      ++col;
      ++i;
    } else {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++i;
      col = startCol;
      ++row;
    }
    fieldPending = true;
  }
  ClearSelection();
  if (g.multiSelectFlag != 0 && startCol >= 0 && startRow >= 0) {
    g.multiSelect->BeginBlock(startCol, startRow);
    g.multiSelect->ExtendBlock(farCol, farRow);
    g.dragCol = farCol;
    g.dragRow = farRow;
  }
  RedrawRange(startCol, startRow, farCol, farRow);
  UpdateAllParts();
  return 0;
}

int CUGCtrl::FindFirst(std::string* text, int* col, long* row, long flags) {
  if (!col || *col < 0 || *col >= gi_->numberCols) return 1;
  *col = GetDataSourceCol(*col);
  return gi_->defDataSource->FindFirst(text, col, row, flags);
}

int CUGCtrl::FindNext(std::string* text, int* col, long* row, long flags) {
  if (!col || *col < 0 || *col >= gi_->numberCols) return 1;
  *col = GetDataSourceCol(*col);
  return gi_->defDataSource->FindNext(text, col, row, flags);
}

int CUGCtrl::GridColOfDataCol(int dataCol) const {
  for (int c = 0; c < gi_->numberCols; ++c)
    if (gi_->columns[c].dataCol == dataCol) return c;
  return dataCol;
}

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Replaces the matched part of a cell's text only (every match when `all`); nothing when the
// text does not match.
std::optional<std::string> ReplaceMatch(const std::string& text, const CUGCtrl::FindRequest& req, bool all) {
  const bool ignoreCase = !req.matchCase;
  const std::string hay = ignoreCase ? Upper(text) : text;
  const std::string needle = ignoreCase ? Upper(req.findText) : req.findText;
  if (needle.empty()) return std::nullopt;
  if (req.entireCell) {
    if (hay != needle) return std::nullopt;
    return req.replaceText;
  }
  std::size_t pos = hay.find(needle);
  if (pos == std::string::npos) return std::nullopt;
  std::string out;
  std::size_t from = 0;
  while (pos != std::string::npos) {
    out += text.substr(from, pos - from);
    out += req.replaceText;
    from = pos + needle.size();
    if (!all) break;
    pos = hay.find(needle, from);
  }
  out += text.substr(from);
  return out;
}
}  // namespace

bool CUGCtrl::FindReplace(const FindRequest& req) {
  CUGGridInfo& g = *gi_;
  long flags = 0;
  if (!req.entireCell) flags |= UG_FIND_PARTIAL;
  if (!req.matchCase) flags |= UG_FIND_CASEINSENSITIVE;
  if (req.up) flags |= UG_FIND_UP;
  if (findAllCols_) flags |= UG_FIND_ALLCOLUMNS;

  auto replaceIn = [&](int col, long row, bool all) {
    std::string shown = GetCellText(col, row);
    if (auto replaced = ReplaceMatch(shown, req, all)) {
      if (StoreEditedText(col, row, *replaced) == 0) RedrawCell(col, row);
    }
  };
  if (req.action == FindRequest::Action::Replace && g.currentCol >= 0 && g.currentRow >= 0)
    replaceIn(g.currentCol, g.currentRow, false);

  auto search = [&](int fromCol, long fromRow, int* col, long* row) {
    std::string text = req.findText;
    int dc = GetDataSourceCol(fromCol);
    long r = fromRow;
    if (g.defDataSource->FindNext(&text, &dc, &r, flags) != 0) return false;
    *col = GridColOfDataCol(dc);
    *row = r;
    return true;
  };
  int col;
  long row;
  if (!search(std::max(0, g.currentCol), g.currentRow, &col, &row)) {
    platform::Tell("Item not found", "Not Found");
    return false;
  }
  GotoCell(col, row);
  if (req.action != FindRequest::Action::ReplaceAll) return true;
  const int firstCol = col;
  const long firstRow = row;
  const long long limit = static_cast<long long>(g.numberRows) * std::max(1, g.numberCols) + 1;
  for (long long n = 0; n < limit; ++n) {
    replaceIn(col, row, true);
    if (!search(col, row, &col, &row) || (col == firstCol && row == firstRow)) break;
    GotoCell(col, row);
  }
  return true;
}

int CUGCtrl::ClearPopupMenu() {
  popupMenu_.clear();
  return 0;
}

int CUGCtrl::AddPopupMenuItem(unsigned id, std::string_view text) {
  if (text.empty() || id == static_cast<unsigned>(-1))
    popupMenu_.push_back({0, std::string()});
  else
    popupMenu_.push_back({id, std::string(text)});
  return 0;
}

int CUGCtrl::RemovePopupMenuItem(unsigned id) {
  auto it = std::find_if(popupMenu_.begin(), popupMenu_.end(), [id](const UGPopupItem& i) { return i.id == id; });
  if (it == popupMenu_.end()) return 1;
  popupMenu_.erase(it);
  return 0;
}

int CUGCtrl::StartPopupMenu(int col, long row, UGPoint* screenPoint, int section) {
  if (!gi_->enablePopupMenu) return 1;
  if (section != UG_TAB && gi_->enableJoins) {
    int sc, ec;
    long sr, er;
    if (JoinRangeOf(col, row, &sc, &sr, &ec, &er)) {
      col = sc;
      row = sr;
    }
  }
  if (!OnPopupMenuStart(col, row, section)) return 2;
  menuCol_ = col;
  menuRow_ = row;
  menuSection_ = section;
  const UGPoint p = screenPoint ? *screenPoint : UGPoint{};
  return view_ && view_->TrackPopupMenu(p.x, p.y) ? 0 : 3;
}

void CUGCtrl::PopupMenuCommand(unsigned id) {
  if (id >= 1000) OnPopupMenuCommand(menuCol_, menuRow_, menuSection_, id);
}

int CUGCtrl::DropAt(int x, int y, const std::string* text) {
  int col = -1;
  long row = -1;
  if (GetCellFromPointJoined(x, y, &col, &row) != 0) {
    col = -1;
    row = -1;
  }
  const int accepted = OnDropOnCell(text, col, row);
  if (accepted && text && col >= 0 && row >= 0) {
    GotoCell(col, row);
    PasteText(*text);
  }
  return accepted;
}

int CUGCtrl::DragScroll(int x, int y) {
  const CUGGridInfo& g = *gi_;
  if (x < 10)
    SetLeftCol(g.leftCol - 1);
  else if (x > g.gridWidth - 10)
    SetLeftCol(g.leftCol + 1);
  else if (y < 10)
    SetTopRow(g.topRow - 1);
  else if (y > g.gridHeight - 10)
    SetTopRow(g.topRow + 1);
  return 0;
}

}  // namespace gridmodel
