#pragma once
// "Edit Weather Stream": creating, opening, editing, checking and saving one hourly weather
// stream, with its record grid, the conditioning period or burn hours, the Records menu, the
// graph and the bulk edit. The record logic is the model's (weather/wx_editor.h).
#include <wx/dialog.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "weather/wx_editor.h"

class wxButton;
class wxSizer;
class wxWindow;
class wxChoice;
class wxDatePickerCtrl;
class wxStaticText;
class wxTextCtrl;
class wxTimePickerCtrl;
class wxSpinButton;

namespace widgets {
class CUGWindow;
class CColorStatic;
}  // namespace widgets

namespace weather::ui {

// The editors' Open (1146), Save As (1142), Check (1144) and Help (1147) buttons, in a row.
void AddEditorFileButtons(wxWindow* parent, wxSizer* bar);

// "Select Start Date and Number of Records".
class CRecordDateDlg : public wxDialog {
 public:
  explicit CRecordDateDlg(wxWindow* parent, bool wholeDay = false);
  // Checks the count (1..24); false, with the message, keeps the dialog open.
  bool Accept();

  platform::OleDateTime start = platform::OleDateTime::Invalid();
  int count = 1;
  wxDatePickerCtrl* datePicker = nullptr;
  wxTimePickerCtrl* timePicker = nullptr;
  wxTextCtrl* countEdit = nullptr;

 private:
  wxSpinButton* spin_ = nullptr;
};

class CWXSEditDialog : public wxDialog {
 public:
  enum {
    kOpen = 1146, kSaveAs = 1142, kValidate = 1144, kHelp = 1147, kGraph = 1439, kBulkEdit = 1448,
    kStartDate = 1423, kStartTime = 1424, kEndDate = 1425, kEndTime = 1426, kEndDateLabel = 1427,
    kEndTimeLabel = 1428, kNotUsedColor = 1429, kConditioningColor = 1430, kBurningLabel = 1431,
    kBurningColor = 1432, kUnits = 1360, kElevation = 1359, kElevationLabel = 1507, kGrid = 1015,
    kRecords = 1473
  };
  // Records menu commands.
  enum { kAppendRecordBlank = 33003, kAppendRecordCopyLast = 33004, kAppendDayBlank = 33005,
         kAppendDayCopyLast = 33006, kInsertRecord = 33007, kDeleteRecord = 33033 };

  // The opener sets the path or the stream, the mode and the period before showing it.
  explicit CWXSEditDialog(wxWindow* parent, bool burnPeriodMode = false);
  ~CWXSEditDialog() override;

  int ShowModal() override;
  // The set-up ShowModal does (for tests that drive the window without its loop).
  void Prepare();

  // ---- set by the opener, read back after OK ----
  std::string& path() { return model.path; }
  WxEditorModel model;

  void SetBurnPeriods(const std::vector<WxBurnPeriod>& periods) { model.burnPeriods = periods; }
  std::vector<WxBurnPeriod> GetBurnPeriods() { return model.GetBurnPeriods(); }

  // ---- commands ----
  void OnOpen();
  bool OnSaveAs();
  bool OnSave();
  void OnValidate();
  void OnOK();
  void OnCancel();
  void OnGraph();
  void OnBulkEdit();
  void RunRecordsCommand(int command);
  // The Records menu's item states, taken when the menu is dropped.
  bool RecordsItemEnabled(int command) const;
  // Picks the Records command in place of the user (tests); 0 for none.
  std::function<int()> recordsChooser;

  // After every change of the stream: the grid refilled and the pickers set up.
  void AfterStreamChange();
  widgets::CUGWindow* GridWindow() const { return gridWindow_; }
  wxChoice* unitsChoice = nullptr;
  wxTextCtrl* elevationEdit = nullptr;
  wxDatePickerCtrl* startDate = nullptr;
  wxTimePickerCtrl* startTime = nullptr;
  wxDatePickerCtrl* endDate = nullptr;
  wxTimePickerCtrl* endTime = nullptr;

 private:
  void Build();
  bool ReadElevation();
  void UpdateElevationLabel();
  // Units, elevation, pickers, title after a stream is loaded; nothing counts as changed.
  void ShowLoadedStream();
  void ToPickers();
  void OnStartChanged();
  void OnEndChanged();
  void OnColor(int id);
  bool WriteTo(const std::string& target, const char* failFormat);

  widgets::CUGWindow* gridWindow_ = nullptr;
  wxStaticText* elevationLabel_ = nullptr;
  widgets::CColorStatic* colors_[3] = {};
  bool prepared_ = false;
  bool filling_ = false;
};

}  // namespace weather::ui
