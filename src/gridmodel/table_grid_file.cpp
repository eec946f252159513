// Delimited text files of the grid's texts, and the print layout values.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "gridmodel/table_grid.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"

namespace gridmodel {

std::string CGridCtrl::FormatDelimited(const std::vector<std::string>& fields, char separator) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) line += separator;
    const std::string& f = fields[i];
    // Quoted only when a reader would otherwise split or lose something.
    bool quote = f.find_first_of(std::string{separator, '"', '\n', '\r'}) != std::string::npos;
    if (!quote) {
      line += f;
      continue;
    }
    line += '"';
    for (char ch : f) {
      if (ch == '"') line += '"';
      line += ch;
    }
    line += '"';
  }
  return line;
}

bool CGridCtrl::ParseDelimited(const std::string& text, char separator, std::vector<std::vector<std::string>>& rows,
                               std::string& error) {
  rows.clear();
  std::vector<std::string> row;
  std::string field;
  std::size_t i = 0, n = text.size();
  int line = 1;
  bool any = false;  // something seen on the current line
  while (i < n) {
    char ch = text[i];
    if (ch == '"' && field.empty()) {
      // A quoted field: doubled quotes stand for one; separators and line ends are text.
      int startLine = line;
      ++i;
      bool closed = false;
      while (i < n) {
        char q = text[i++];
        if (q == '"') {
          if (i < n && text[i] == '"') {
            field += '"';
            ++i;
          } else {
            closed = true;
            break;
          }
        } else {
          if (q == '\n') ++line;
          field += q;
        }
      }
      if (!closed) {
        error = "a quoted field opened on line " + std::to_string(startLine) + " is never closed";
        return false;
      }
      if (i < n && text[i] != separator && text[i] != '\n' && text[i] != '\r') {
        error = "unexpected text after a closing quote on line " + std::to_string(line);
        return false;
      }
      any = true;
      continue;
    }
    if (ch == separator) {
      row.push_back(std::move(field));
      field.clear();
      any = true;
      ++i;
    } else if (ch == '\n' || ch == '\r') {
      if (ch == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      ++i;
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      any = false;
      ++line;
    } else {
      field += ch;
      any = true;
      ++i;
    }
  }
  if (any || !field.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return true;
}

bool CGridCtrl::Save(const std::string& path, char separator) {
  platform::AtomicFile file(path);
  auto fail = [&](const std::string& reason) {
    platform::Tell("Unable to save grid list to \"" + path + "\": " + reason + ".");
    return false;
  };
  if (!file.Open()) return fail(std::strerror(file.Error() ? file.Error() : EIO));
  std::vector<std::string> fields(static_cast<std::size_t>(colCount_));
  std::string out;
  for (int r = 0; r < rowCount_; ++r) {
    for (int c = 0; c < colCount_; ++c) fields[static_cast<std::size_t>(c)] = GetItemText(r, c);
    out += FormatDelimited(fields, separator);
    out += '\n';
    if (out.size() > (1u << 20)) {
      if (!file.Write(out)) return fail(std::strerror(file.Error() ? file.Error() : EIO));
      out.clear();
    }
  }
  if (!file.Write(out) || !file.Commit()) return fail(std::strerror(file.Error() ? file.Error() : EIO));
  return true;
}

bool CGridCtrl::Load(const std::string& path, char separator) {
  if (ownerData_) return false;
  std::string text;
  if (!platform::ReadWholeFile(path, text)) {
    platform::Tell("Unable to load grid data from \"" + path + "\": " + std::strerror(errno ? errno : EIO) + ".");
    return false;
  }
  std::vector<std::vector<std::string>> rows;
  std::string error;
  if (!ParseDelimited(text, separator, rows, error)) {
    platform::Tell("Unable to load grid data from \"" + path + "\": " + error + ".");
    return false;
  }
  text.clear();
  // Everything parsed: only now is the grid replaced. Drawing and scroll bars wait for
  // the end, so the load stays linear in the rows.
  bool wasDrawing = allowDraw_;
  allowDraw_ = false;
  DeleteAllItems();
  const unsigned format = kAlignCenter | kAlignVCenter | kSingleLine;
  std::size_t cols = rows.empty() ? 0 : rows[0].size();
  SetColumnCount(static_cast<int>(cols));
  SetRowCount(static_cast<int>(rows.size()));
  int headingHeight = -1;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int row = static_cast<int>(r);
    for (std::size_t c = 0; c < cols; ++c) {
      CGridCellBase* cell = GetCell(row, static_cast<int>(c));
      if (!cell) continue;
      cell->SetFormat(format);
      if (c < rows[r].size()) {
        cell->SetText(rows[r][c]);
        cell->SetState(cell->GetState() | kStateModified);
      }
    }
    if (row == 0) continue;
    // A non-empty heading sets the row's height to one line of the heading's font.
    const std::string& heading = rows[r].empty() ? std::string() : rows[r][0];
    if (heading.empty()) {
      rowHeights_[r] = defaultFixedRowCell_.GetHeight();
    } else {
      if (headingHeight < 0) {
        CGridCellBase* cell = GetCell(row, 0);
        headingHeight = cell ? cell->GetTextExtent(&heading, nullptr).cy : 0;
      }
      rowHeights_[r] = heading.find('\n') == std::string::npos ? headingHeight
                       : GetCell(row, 0)->GetTextExtent(&heading, nullptr).cy;
    }
  }
  modified_ = true;
  allowDraw_ = wasDrawing;
  AutoSizeColumns(autoSizeStyle_);
  ResetScrollBars();
  Refresh();
  return true;
}

void CGridCtrl::SetPrintMargins(int header, int footer, int left, int right, int top, int bottom, int gap) {
  if (header >= 0) headerHeight_ = header;
  if (footer >= 0) footerHeight_ = footer;
  if (left >= 0) leftMargin_ = left;
  if (right >= 0) rightMargin_ = right;
  if (top >= 0) topMargin_ = top;
  if (bottom >= 0) bottomMargin_ = bottom;
  if (gap >= 0) gap_ = gap;
}

void CGridCtrl::GetPrintMargins(int& header, int& footer, int& left, int& right, int& top, int& bottom, int& gap) const {
  header = headerHeight_;
  footer = footerHeight_;
  left = leftMargin_;
  right = rightMargin_;
  top = topMargin_;
  bottom = bottomMargin_;
  gap = gap_;
}

}  // namespace gridmodel
