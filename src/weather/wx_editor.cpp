#include "weather/wx_editor.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "app/application.h"
#include "gridmodel/ug_cell.h"
#include "gridmodel/ug_headings.h"
#include "gridmodel/ug_celltypes.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace weather {

using gridmodel::CUGCell;
using gridmodel::Colour;
using platform::OleDateTime;

namespace {

constexpr int kCheckBoxType = 2;
const char* const kDegree = "\xC2\xB0";

}  // namespace

WxRecordColors AppRecordColors() {
  const auto& stored = GetApp().wxRecordColors;
  return {stored[0] & 0xFFFFFF, stored[1] & 0xFFFFFF, stored[2] & 0xFFFFFF};
}

void SetAppRecordColors(const WxRecordColors& colors) {
  GetApp().wxRecordColors = {colors.notUsed, colors.conditioning, colors.burning};
}

const WxRecordColors& DefaultRecordColors() {
  static const WxRecordColors colors;
  return colors;
}

std::string WxGridDateText(const OleDateTime& t) { return t.Format("%m/%d/%y %H:%M"); }

// ---- the record grid ------------------------------------------------------------------------

WxCUG::WxCUG() : colors(AppRecordColors()) {}

void WxCUG::OnInitGrid() {
  int h = 14;
  if (const gridmodel::FontDesc* f = GetFont(GetDefaultFont()); f && f->size > 0) {
    h = (f->size * 4 + 2) / 3;  // points to pixels
    SetDefaultRowHeight(h + 4);
  }
  normalFont_ = AddFont("Arial", h, 200);
  gridmodel::FontDesc italic{"Arial", h - 1, 200, true};
  italicFont_ = AddFont(italic);
  SetDefaultFont(normalFont_);
  CUGCell c;
  GetColDefault(0, &c);
  defaultCellColour_ = c.GetBackColor();

  SetCurrentCellStyle(2);
  SetColCount(burnColumn ? 8 : 7);
  SetUniformRowHeight(true);
  SetVScrollMode(1);
  SetRowHighlight(false, true);
  SetMultiSelectMode(1);
  if (burnColumn) {
    colBurn = 0, colDate = 1, colTemp = 2, colRH = 3, colPrecip = 4, colSpeed = 5, colDir = 6, colCloud = 7;
  } else {
    colBurn = 7, colDate = 0, colTemp = 1, colRH = 2, colPrecip = 3, colSpeed = 4, colDir = 5, colCloud = 6;
  }
  SetCellText(-1, -1, "Record");
  SetCellText(colDate, -1, "Date");
  SetUnitHeadings(0);
  if (burnColumn) SetCellText(colBurn, -1, "Burn");

  FitColumnWidths();

  GetColDefault(colDate, &c);
  c.SetReadOnly(true);
  SetColDefault(colDate, &c);
  for (int col : {colTemp, colRH, colSpeed, colDir, colCloud, colPrecip}) {
    GetColDefault(col, &c);
    c.SetDecimals(col == colPrecip ? 3 : 0);
    SetColDefault(col, &c);
  }
  if (burnColumn) {
    GetColDefault(colBurn, &c);
    c.SetCellType(kCheckBoxType);
    SetColDefault(colBurn, &c);
  }
}

void WxCUG::FitColumnWidths() {
  const int w = GetClientWidth();
  if (w <= 0) return;
  SetSideHeadingWidth((w / 8) / 2);
  for (int col = 0; col < GetColCount(); ++col) SetColWidth(col, col == colBurn ? (w / 8) / 2 : w / 8);
  gridmodel::FitColumnsToHeadings(*this);
}

void WxCUG::SetUnitHeadings(int units) {
  const bool english = units == 0;
  SetCellText(colTemp, -1, std::string("Temperature (") + kDegree + (english ? "F)" : "C)"));
  SetCellText(colRH, -1, "RH (%)");
  SetCellText(colPrecip, -1, english ? "Precipitation (in)" : "Precipitation (mm)");
  SetCellText(colSpeed, -1, english ? "Wind Speed (mph)" : "Wind Speed (km/h)");
  SetCellText(colDir, -1, std::string("Wind Direction (") + kDegree + ")");
  SetCellText(colCloud, -1, "Cloud Cover (%)");
  gridmodel::FitColumnsToHeadings(*this);
  RedrawAll();
}

OleDateTime WxCUG::RowDate(long row) {
  OleDateTime t;
  if (!t.ParseDateTime(GetCellText(colDate, row))) return OleDateTime::Invalid();
  return t;
}

double WxCUG::RowNumber(int col, long row) {
  CUGCell c;
  GetStoredCell(col, row, &c);
  // A stored number exactly; a typed text (checked when it was typed) as its number.
  return c.GetNumber();
}

void WxCUG::RowValues(long row, WxRecord& r) {
  r.temperature = WxIntPart(RowNumber(colTemp, row));
  r.humidity = WxIntPart(RowNumber(colRH, row));
  r.precipitation = RowNumber(colPrecip, row);
  r.windSpeed = WxIntPart(RowNumber(colSpeed, row));
  r.windDirection = WxIntPart(RowNumber(colDir, row));
  r.cloudCover = WxIntPart(RowNumber(colCloud, row));
}

bool WxCUG::BurnTicked(long row) {
  if (!burnColumn) return false;
  CUGCell c;
  GetStoredCell(colBurn, row, &c);
  return c.GetBool();
}

void WxCUG::SetBurn(long row, bool on) {
  if (!burnColumn) return;
  CUGCell c;
  GetStoredCell(colBurn, row, &c);
  c.SetBool(on);
  SetCell(colBurn, row, &c);
}

std::vector<int> WxCUG::SelectedRows() {
  std::vector<int> rows;
  for (long r = 0; r < GetRowCount(); ++r)
    for (int col = 0; col < GetColCount(); ++col)
      if (IsCellSelected(col, r)) {
        rows.push_back(static_cast<int>(r));
        break;
      }
  return rows;
}

void WxCUG::SetRowLook(long row, int font, uint32_t back, bool allReadOnly, bool clearBurn) {
  for (int col = 0; col < GetColCount(); ++col) {
    CUGCell c;
    GetStoredCell(col, row, &c);
    c.SetFont(font);
    if (col == colBurn && !allReadOnly) c.SetBackColor(defaultCellColour_);
    else c.SetBackColor(Colour::FromRef(back));
    c.SetReadOnly(allReadOnly || col == colDate);
    if (col == colBurn && clearBurn) c.SetBool(false);
    SetCell(col, row, &c);
  }
  if (row >= GetTopRow() && row <= GetBottomRow()) RedrawRow(row);
}

void WxCUG::SetRowUnused(long row) { SetRowLook(row, italicFont_, colors.notUsed, true, true); }
void WxCUG::SetRowConditioning(long row) { SetRowLook(row, normalFont_, colors.conditioning, false, false); }
void WxCUG::SetRowBurning(long row) { SetRowLook(row, normalFont_, colors.burning, false, false); }

void WxCUG::ColorRows(const OleDateTime& start, const OleDateTime* end) {
  const bool painting = IsPaintingEnabled();
  EnablePainting(false);
  for (long r = 0; r < GetRowCount(); ++r) {
    const OleDateTime t = RowDate(r);
    if (t.IsValid() && start.IsValid() && t < start) SetRowUnused(r);
    else if (end) {
      if (t > *end || t == *end) SetRowUnused(r);
      else SetRowConditioning(r);
    } else if (BurnTicked(r)) {
      SetRowBurning(r);
    } else {
      SetRowConditioning(r);
    }
  }
  EnablePainting(painting);
  RedrawAll();
}

void WxCUG::OnRowResized(long row, int* height) {
  normalFont_ = AddFont("Arial", *height - 4, 200);
  gridmodel::FontDesc italic{"Arial", *height - 5, 200, true};
  italicFont_ = AddFont(italic);
  SetDefaultFont(normalFont_);
  RedrawAll();
}

void WxCUG::OnCellDoubleClick(int, long, gridmodel::UGRect*, gridmodel::UGPoint*, bool) { BeginEdit(); }

void WxCUG::OnGridChar(unsigned* ch, bool) {
  if (*ch >= 32) BeginEditWithKey(static_cast<int>(*ch));
}

void TabToNextCell(gridmodel::CUGCtrl& g) {
  if (g.GetRowCount() == 0) return;
  int col = g.GetCurrentCol();
  long row = g.GetCurrentRow();
  if (g.IsShiftDown()) {
    if (--col < 0) col = g.GetColCount() - 1, --row;
  } else if (++col >= g.GetColCount()) {
    col = 0, ++row;
  }
  if (row < 0) row = g.GetRowCount() - 1;
  if (row >= g.GetRowCount()) row = 0;
  // Shift only gives the direction: the move itself is a plain one, not a Shift+arrow that
  // would stretch the selection and leave the current cell where it was.
  const bool shift = g.IsShiftDown(), ctrl = g.IsCtrlDown();
  g.SetKeyState(false, false);
  g.GotoCell(col, row);
  g.SetKeyState(shift, ctrl);
}

void WxCUG::OnGridKeyDown(unsigned* vkey, bool) {
  if (*vkey == gridmodel::UG_VK_TAB) TabToNextCell(*this);
}

int WxCUG::OnCellTypeEvent(int cellTypeId, int col, long row, int, long) {
  if (cellTypeId != kCheckBoxType || !burnColumn || col != colBurn) return 1;
  const std::vector<int> rows = SelectedRows();
  const bool on = BurnTicked(row);
  for (int r : rows) {
    SetBurn(r, on);
    if (on) SetRowBurning(r);
    else SetRowConditioning(r);
  }
  ColorRows(conditioningStart ? conditioningStart() : OleDateTime::Invalid(), nullptr);
  if (changed) changed();
  return 1;
}

int WxCUG::OnEndCellEdit(int col, long row, gridmodel::CUGEditor*, const std::string& text, bool cancelled) {
  if (cancelled || col == colDate || col == colBurn) return 1;
  const std::string t = WxTrim(text);
  const auto v = platform::ParseDouble(t);
  const bool whole = col != colPrecip;
  if (!v || !std::isfinite(*v) || (whole && (*v != std::trunc(*v) || std::fabs(*v) > 2147483647.0))) {
    platform::Tell(platform::FormatC("Record %ld, %s: \"%s\" is not %s", row + 1, GetCellText(col, -1).c_str(),
                                     t.c_str(), whole ? "a whole number" : "a number"));
    return 0;
  }
  if (changed && text != GetCellText(col, row)) changed();
  return 1;
}

Colour WxCUG::OnGetSectionBackColor(int) { return Colour::System(gridmodel::SysColour::ButtonFace); }

// ---- the editor -----------------------------------------------------------------------------

WxEditorModel::WxEditorModel(bool burn) : burnMode(burn) {
  grid.burnColumn = burn;
  grid.conditioningStart = [this] { return condStart; };
  grid.changed = [this] { modified = true; };
}

std::string WxEditorModel::Title() const {
  return path.empty() ? std::string("Create New WXS File") : "Edit WXS File: " + path;
}

void WxEditorModel::Load() {
  if (!stream) stream = std::make_unique<CWxStream>();
  if (!path.empty()) stream->Read(path);
  if (stream->elevationRead) elevation = stream->elevation;
  units = stream->units;
  grid.SetUnitHeadings(units);
  StreamToGrid();
  modified = false;
}

std::string WxEditorModel::RowHeading(long row) { return grid.GetCellText(-1, row); }

void WxEditorModel::StreamToGrid() {
  const long n = static_cast<long>(stream->records.size());
  const bool painting = grid.IsPaintingEnabled();
  grid.EnablePainting(false);
  grid.SetRowCount(n, false);
  int dayOfYear = n ? (stream->records[0].date.IsValid() ? stream->records[0].date.GetDayOfYear() : -1) : 0;
  for (long i = 0; i < n; ++i) {
    const WxRecord& r = stream->records[static_cast<std::size_t>(i)];
    const int doy = r.date.IsValid() ? r.date.GetDayOfYear() : -1;
    if (doy != dayOfYear) {
      grid.SetCellText(-1, i, platform::FormatC("%ld *", i + 1));
      dayOfYear = doy;
    } else {
      grid.SetCellText(-1, i, std::to_string(i + 1));
    }
    grid.SetCellText(grid.colDate, i, WxGridDateText(r.date));
    grid.SetCellNumber(grid.colTemp, i, r.temperature);
    grid.SetCellNumber(grid.colRH, i, r.humidity);
    grid.SetCellNumber(grid.colPrecip, i, r.precipitation);
    grid.SetCellNumber(grid.colSpeed, i, r.windSpeed);
    grid.SetCellNumber(grid.colDir, i, r.windDirection);
    grid.SetCellNumber(grid.colCloud, i, r.cloudCover);
    if (i == 0) earliest = latest = r.date;
    else if (r.date.IsValid()) {
      if (!earliest.IsValid() || r.date < earliest) earliest = r.date;
      if (!latest.IsValid() || r.date > latest) latest = r.date;
    }
  }
  if (burnMode) {
    for (long i = 0; i < n; ++i) {
      grid.SetBurn(i, false);
      const OleDateTime& t = stream->records[static_cast<std::size_t>(i)].date;
      const int m = t.GetMonth(), d = t.GetDay(), h = t.GetHour();
      for (const WxBurnPeriod& p : burnPeriods) {
        if (p.month == m && p.day == d && p.startHour <= h && h < p.endHour) {
          grid.SetBurn(i, true);
          grid.SetRowBurning(i);
        } else if (p.month < m || (p.month == m && p.day < d) || (p.month == m && p.day == d && p.endHour <= h)) {
          grid.SetBurn(i, false);
        }
      }
    }
  }
  grid.EnablePainting(painting);
  if (n > 0) {
    if (!condStart.IsValid()) condStart = earliest;
    if (!condEnd.IsValid()) condEnd = latest;
    ColorRows();
  }
  grid.RedrawAll();
  modified = true;
}

void WxEditorModel::ColorRows() { grid.ColorRows(condStart, burnMode ? nullptr : &condEnd); }

void WxEditorModel::GridToStream() {
  const long rows = grid.GetRowCount();
  const long n = static_cast<long>(stream->records.size());
  if (rows != n) platform::Tell("Number of grid rows and wxStream memory rows do not match");
  bool told = false;
  for (long i = 0; i < std::min(rows, n); ++i) {
    WxRecord& r = stream->records[static_cast<std::size_t>(i)];
    if (grid.RowDate(i) != r.date) {
      // One message for the first row that differs: the rest differ for the same reason.
      if (!told)
        platform::Tell(platform::FormatC("Time between grid and stream do not match\nGrid Time: %s, WxStream Time: %s",
                                         grid.GetCellText(grid.colDate, i).c_str(), r.date.Format().c_str()));
      told = true;
      continue;
    }
    grid.RowValues(i, r);
  }
  burnPeriods = GetBurnPeriods();
}

std::vector<WxBurnPeriod> WxEditorModel::GetBurnPeriods() {
  if (!burnMode) return {};
  std::vector<OleDateTime> ticked;
  for (long r = 0; r < grid.GetRowCount(); ++r)
    if (grid.BurnTicked(r)) ticked.push_back(grid.RowDate(r));
  return MergeBurnHours(ticked);
}

namespace {

CWxStream StreamOfGrid(WxCUG& g, int units, int elevation) {
  CWxStream s;
  s.units = units;
  s.elevation = elevation;
  for (long i = 0; i < g.GetRowCount(); ++i) {
    WxRecord r;
    r.date = g.RowDate(i);
    g.RowValues(i, r);
    s.records.push_back(r);
  }
  return s;
}

}  // namespace

bool WxEditorModel::ValidateGrid(std::string& message) {
  OleDateTime first, last;
  return StreamOfGrid(grid, units, elevation).Validate(first, last, message);
}

bool WxEditorModel::GridText(std::string& text, std::string& message) {
  const CWxStream s = StreamOfGrid(grid, units, elevation);
  for (std::size_t i = 0; i < s.records.size(); ++i)
    if (!s.records[i].date.IsValid()) {
      message = platform::FormatC("Record %d: \"%s\" is not a valid date and time; the file was not saved.",
                                  static_cast<int>(i + 1), grid.GetCellText(grid.colDate, static_cast<long>(i)).c_str());
      return false;
    }
  text = WxsEditorText(s);
  return true;
}

bool WxEditorModel::SaveTo(const std::string& target, std::string& message) {
  std::string text;
  if (!GridText(text, message)) return false;
  if (!platform::WriteFileAtomically(target, text)) {
    message = platform::FormatC("Error opening %s as output", target.c_str());
    return false;
  }
  modified = false;
  return true;
}

bool WxEditorModel::Open(const std::string& file, std::string& message) {
  auto s = std::make_unique<CWxStream>();
  if (s->Read(file) < 0) {
    message = platform::FormatC("Error opening %s", file.c_str());
    return false;
  }
  OleDateTime first, last;
  if (!s->Validate(first, last, message)) return false;
  stream = std::move(s);
  path = file;
  condStart = condEnd = OleDateTime::Invalid();
  burnPeriods.clear();
  StreamToGrid();
  elevation = stream->elevation;
  units = stream->units;
  grid.SetUnitHeadings(units);
  modified = false;
  return true;
}

void WxEditorModel::SetUnits(int u) {
  modified = true;
  units = u;
  grid.SetUnitHeadings(u);
  stream->units = u;
}

void WxEditorModel::SetColors(const WxRecordColors& c) {
  grid.colors = c;
  ColorRows();
}

bool WxEditorModel::HasCurrentRow() const {
  return grid.GetCurrentRow() >= 0 && grid.GetCurrentRow() < grid.GetRowCount();
}

template <class Op>
std::string WxEditorModel::RecordOp(Op op) {
  GridToStream();
  std::string message;
  if (op(message)) StreamToGrid();
  return message;
}

std::string WxEditorModel::AppendBlank(bool day, const OleDateTime* start, int count) {
  return RecordOp([&](std::string& m) {
    if (stream->records.empty()) return start ? AppendBlankRecords(*stream, *start, count, m) : false;
    return AppendBlankAfterLast(*stream, day, m);
  });
}

std::string WxEditorModel::AppendRecordBlank(const OleDateTime* start, int count) {
  return AppendBlank(false, start, count);
}

std::string WxEditorModel::AppendRecordCopyLast() {
  return RecordOp([&](std::string& m) { return AppendCopyLast(*stream, m); });
}

std::string WxEditorModel::AppendDayBlank(const OleDateTime* start, int count) { return AppendBlank(true, start, count); }

std::string WxEditorModel::AppendDayCopyLast() {
  return RecordOp([&](std::string& m) { return AppendCopyLastDay(*stream, m); });
}

std::string WxEditorModel::InsertRecord() {
  if (!HasCurrentRow()) return AppendDayBlank();
  const int row = static_cast<int>(grid.GetCurrentRow());
  return RecordOp([&](std::string& m) { return InsertRecordBefore(*stream, row, m); });
}

std::string WxEditorModel::DeleteRecord() {
  std::vector<int> rows;
  if (HasCurrentRow()) rows.push_back(static_cast<int>(grid.GetCurrentRow()));
  for (long r = 0; r < grid.GetRowCount(); ++r)
    if (grid.IsCellSelected(0, r)) rows.push_back(static_cast<int>(r));
  if (rows.empty()) return {};
  const std::string m = RecordOp([&](std::string&) {
    DeleteRecords(*stream, rows, condStart, condEnd);
    return true;
  });
  grid.ClearSelection();
  return m;
}

}  // namespace weather
