#pragma once
// The weather stream editor's model: its record grid (a cell grid with one row per hourly
// record, coloured by the conditioning period and burn hours) and the stream behind it, with
// the copying between them, the check, the save and the record operations. The editor's
// windows show this and forward the user's commands to it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gridmodel/ug_ctrl.h"
#include "platform/date_time.h"
#include "weather/wx_records.h"
#include "weather/wx_stream.h"

namespace weather {

// The program-wide record colours (0x00BBGGRR) the editor and its graph share.
struct WxRecordColors {
  uint32_t notUsed = 0xA4A0A0, conditioning = 0xA0FFD2, burning = 0x5780FF;
};
// Kept in the preferences, as the graph's settings are.
WxRecordColors AppRecordColors();
void SetAppRecordColors(const WxRecordColors& colors);
const WxRecordColors& DefaultRecordColors();

// Tab in the record editors' grids: the next cell (Shift: the previous), wrapping to the next
// or previous row and from the last row to the first.
void TabToNextCell(gridmodel::CUGCtrl& grid);

// The date text of the record grid.
std::string WxGridDateText(const platform::OleDateTime& t);

class WxCUG : public gridmodel::CUGCtrl {
 public:
  WxCUG();

  WxRecordColors colors;
  bool burnColumn = false;  // set before the grid is initialised
  // Column indices; the Burn column is past the last column without one.
  int colBurn = 7, colDate = 0, colTemp = 1, colRH = 2, colPrecip = 3, colSpeed = 4, colDir = 5, colCloud = 6;
  // Asked for the conditioning start when a Burn box recolours the rows.
  std::function<platform::OleDateTime()> conditioningStart;
  // Told of every value the user changes: a typed value the grid keeps, a Burn box ticked.
  std::function<void()> changed;

  void SetUnitHeadings(int units);
  // Column widths from the client width: an eighth each, half that for the Burn column and
  // the record numbers.
  void FitColumnWidths();
  // Colours every row: not used before the start (and, with an end, at or after it).
  void ColorRows(const platform::OleDateTime& start, const platform::OleDateTime* end);
  void SetRowUnused(long row);
  void SetRowConditioning(long row);
  void SetRowBurning(long row);
  // The row's date text read as a date (invalid when it is none).
  platform::OleDateTime RowDate(long row);
  // The row's number in a value column: its stored number, else its text as a number, else 0.
  double RowNumber(int col, long row);
  // The row's values into a record (integer parts for the whole-number fields).
  void RowValues(long row, WxRecord& r);
  bool BurnTicked(long row);
  void SetBurn(long row, bool on);
  // Rows with at least one selected cell, ascending.
  std::vector<int> SelectedRows();
  int NormalFont() const { return normalFont_; }
  int ItalicFont() const { return italicFont_; }

  // CUGCtrl notifications.
  void OnInitGrid() override;
  void OnRowResized(long row, int* height) override;
  void OnCellDoubleClick(int col, long row, gridmodel::UGRect* rect, gridmodel::UGPoint* point,
                         bool processed) override;
  void OnGridChar(unsigned* ch, bool processed) override;
  void OnGridKeyDown(unsigned* vkey, bool processed) override;
  int OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long param) override;
  int OnEndCellEdit(int col, long row, gridmodel::CUGEditor* editor, const std::string& text,
                    bool cancelled) override;
  gridmodel::Colour OnGetSectionBackColor(int section) override;

 private:
  void SetRowLook(long row, int font, uint32_t back, bool allReadOnly, bool clearBurn);
  int normalFont_ = -1, italicFont_ = -1;
  gridmodel::Colour defaultCellColour_;
};

class WxEditorModel {
 public:
  explicit WxEditorModel(bool burnMode = false);

  WxCUG grid;
  std::unique_ptr<CWxStream> stream;  // owned; a new one when none is handed in
  std::string path;
  platform::OleDateTime condStart = platform::OleDateTime::Invalid();
  platform::OleDateTime condEnd = platform::OleDateTime::Invalid();
  std::vector<WxBurnPeriod> burnPeriods;
  bool burnMode = false;
  bool streamValid = false;
  bool modified = false;
  int units = 0;
  int elevation = 0;

  // After the grid is initialised: reads the file at `path` (if any) into the stream, takes
  // its elevation and units, fills the grid and clears `modified`.
  void Load();
  // "Create New WXS File" or "Edit WXS File: " and the path.
  std::string Title() const;

  void StreamToGrid();
  // Copies the grid's values into the stream; a mismatch of rows or dates is told.
  void GridToStream();
  std::vector<WxBurnPeriod> GetBurnPeriods();
  bool ValidateGrid(std::string& message);
  // The editor's WXS text of the grid; refused, naming the record, when a row's date cannot be
  // read.
  bool GridText(std::string& text, std::string& message);
  // Saves the grid atomically to `target`; false with the message when refused or not written
  // (the previous file kept).
  bool SaveTo(const std::string& target, std::string& message);
  // Opens another stream: read and checked; false with the check's message (nothing changed).
  bool Open(const std::string& file, std::string& message);
  void SetUnits(int u);
  void SetColors(const WxRecordColors& c);
  // Recolours the rows from the conditioning period (no end in burn-period mode).
  void ColorRows();

  // Records menu. Each copies the grid into the stream, acts, and refills the grid when the
  // stream changed; a refusal's message is returned (empty when nothing was said).
  bool HasCurrentRow() const;
  std::string AppendRecordBlank(const platform::OleDateTime* start = nullptr, int count = 1);
  std::string AppendRecordCopyLast();
  std::string AppendDayBlank(const platform::OleDateTime* start = nullptr, int count = 24);
  std::string AppendDayCopyLast();
  std::string InsertRecord();
  std::string DeleteRecord();

  // Row headings: the record number, "%d *" for the first record of each later day.
  std::string RowHeading(long row);
  platform::OleDateTime earliest, latest;  // record times of the last fill

 private:
  template <class Op>
  std::string RecordOp(Op op);
  std::string AppendBlank(bool day, const platform::OleDateTime* start, int count);
};

}  // namespace weather
