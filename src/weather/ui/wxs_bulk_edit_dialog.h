#pragma once
// "Edit Wxs Values": one assignment (a constant, or the variable combined with a number) applied
// to the selected or all records that pass every condition of a list.
#include <wx/dialog.h>

#include <functional>
#include <string>
#include <vector>

#include "gridmodel/ug_celltypes.h"
#include "weather/wx_records.h"

class wxChoice;
class wxRadioButton;
class wxTextCtrl;

namespace widgets {
class CUGWindow;
}

namespace weather::ui {

// The condition list with a "Test" and a "Delete" button per condition.
class ConditionCUG : public gridmodel::CUGCtrl {
 public:
  std::vector<WxsCondition> conditions;
  const CWxStream* stream = nullptr;
  void OnInitGrid() override;
  int OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long param) override;
  void Refill();

 private:
  gridmodel::CUGButtonType button_;
  int buttonId_ = -1;
};

class CWxsBulkEditDlg : public wxDialog {
 public:
  enum {
    kTarget = 1443, kConstant = 1395, kOperator = 1397, kValue = 1398, kCondVariable = 1444,
    kCondOperator = 1445, kCondValue = 1396, kAddCondition = 1446, kApplySelection = 1442,
    kApplyAll = 1441, kConstantRadio = 1030, kExpressionRadio = 1394, kStatement = 1449, kGrid = 1447
  };
  explicit CWxsBulkEditDlg(wxWindow* parent);
  ~CWxsBulkEditDlg() override;

  // The editor's selected rows (ascending), its stream, and what refills its grid.
  void SetInput(std::vector<int> rows, CWxStream* stream, std::function<void()> refill);

  void OnAddCondition();
  void Apply(bool all);
  void SetExpressionMode(bool expression);
  std::string Statement() const;
  WxsAssignment Assignment() const;

  ConditionCUG grid;
  wxChoice* target = nullptr;
  wxChoice* op = nullptr;
  wxChoice* condVariable = nullptr;
  wxChoice* condOperator = nullptr;
  wxTextCtrl* constant = nullptr;
  wxTextCtrl* value = nullptr;
  wxTextCtrl* condValue = nullptr;
  wxTextCtrl* statement = nullptr;

 private:
  void Rebuild();
  static int ItemData(wxChoice* c);
  std::vector<int> rows_;
  CWxStream* stream_ = nullptr;
  std::function<void()> refill_;
  bool expression_ = false;
  widgets::CUGWindow* gridWindow_ = nullptr;
};

}  // namespace weather::ui
