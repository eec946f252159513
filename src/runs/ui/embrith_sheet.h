#pragma once
// The fire-growth run sheet: Weather Inputs, Weather Stream and Burn Periods, Model Settings
// and Outputs pages, a three-part status line saying what is missing, how many outputs are
// selected and whether existing outputs are current, and "Launch Embrith".
#include <wx/dialog.h>
#include <wx/panel.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gridmodel/ug_ctrl.h"
#include "platform/date_time.h"
#include "runs/run.h"
#include "runs/run_embrith.h"
#include "runs/run_exec.h"
#include "runs/ui/input_file_actions.h"
#include "runs/ui/run_sheet.h"

class wxButton;
class wxCheckBox;
class wxChoice;
class wxComboBox;
class wxDatePickerCtrl;
class wxMenu;
class wxNotebook;
class wxBookCtrlEvent;
class wxRadioButton;
class wxSpinButton;
class wxStaticText;
class wxStatusBar;
class wxTextCtrl;
class wxTimePickerCtrl;
class CVectorTheme;

namespace widgets {
class CUGWindow;
class CNumSpinCtrl;
}  // namespace widgets

namespace runs::ui {

class CEmbrithRunSheet;


class CEmbrithFbInputsPage : public wxPanel, public CFuelFileCommands {
 public:
  enum { kOpenAtm = 33015, kEditAtm = 33016, kNewAtm = 33017 };
  CEmbrithFbInputsPage(wxWindow* parent, CEmbrithRunSheet* sheet, CRun* run);

  void LoadFromRun();
  void Exchange();
  void ApplyToRun();
  bool IsReady();
  void MarkChanged();
  void SetWindControls();
  runs::EmbrithInputsState State() const;

  void OnCreateFms();
  void OnOpenAtm();
  void OnEditAtm();
  void OnNewAtm();
  void OnGustforgeOptions();
  void RunMenuCommand(int id);
  wxMenu* BuildMenu(int buttonId);

  CRun* run;
  CEmbrithRunSheet* sheet;
  bool changed = false;
  std::string runName;
  int useCustomFuels = 0;
  std::string atmFile;
  int windType = 0;

  wxTextCtrl* nameEdit = nullptr;
  wxTextCtrl* fmsBox = nullptr;
  wxTextCtrl* fmdBox = nullptr;
  wxTextCtrl* atmBox = nullptr;
  wxCheckBox* customFuels = nullptr;
  wxRadioButton* windRadios[3] = {};  // wind types 0, 4, 5
  wxButton* gustforge = nullptr;
  wxButton* fmsButton = nullptr;
  wxButton* fmdButton = nullptr;
  wxButton* atmButton = nullptr;
  std::function<int(int buttonId)> menuChooser;

 private:
  void ShowFiles();
  void PullControls() override { Exchange(); }
  void FuelFileTaken() override;
  bool loading_ = false;
};

// The burn-period grid: month, day, start hour and end hour, one row per period.
class BpCUG : public gridmodel::CUGCtrl {
 public:
  explicit BpCUG(class CEmbrithWxBpPage* page) : page_(page) {}
  void OnInitGrid() override;
  void OnCellDoubleClick(int, long, gridmodel::UGRect*, gridmodel::UGPoint*, bool) override { BeginEdit(); }
  void OnGridKeyDown(unsigned* vkey, bool processed) override;
  void OnGridChar(unsigned* ch, bool) override {
    if (*ch >= 32) BeginEditWithKey(static_cast<int>(*ch));
  }
  int OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long param) override;
  int OnEndCellEdit(int col, long row, gridmodel::CUGEditor* editor, const std::string& text, bool cancelled) override;
  gridmodel::Colour OnGetSectionBackColor(int) override {
    return gridmodel::Colour::System(gridmodel::SysColour::ButtonFace);
  }
  // The periods the cells hold (leading digits of each text; -1 where there are none).
  std::vector<BurnPeriod> Periods();
  void SetPeriod(long row, const BurnPeriod& b);

 private:
  CEmbrithWxBpPage* page_;
};

class CEmbrithWxBpPage : public wxPanel {
 public:
  enum { kOpenWxs = 33008, kEditWxs = 33009, kCreateWxs = 33032 };
  CEmbrithWxBpPage(wxWindow* parent, CEmbrithRunSheet* sheet, CRun* run);
  ~CEmbrithWxBpPage() override;

  bool IsCreated() const { return created_; }
  void OnSetActive();
  void LoadFromRun();
  void ApplyToRun();
  bool IsReady() const;
  // The first burn period the page cannot take, with its reason.
  std::optional<std::string> BurnPeriodsProblem();
  void MarkChanged();
  void SyncConditioningStart(bool fromControls);
  void UpdateRangeText();
  void EnableBurnControls();
  bool SetConditioningRange();
  void ClampConditioningStart();
  void AddBurnPeriodRow(const BurnPeriod& b, long position);
  void RenumberRows();
  void OnAddBurnPeriod();
  void OnDeleteBurnPeriod();
  void OnOpenWxs();
  void OnEditWxs();
  void OnCreateWxs();
  void RunMenuCommand(int id);
  wxMenu* BuildMenu();

  CRun* run;
  CEmbrithRunSheet* sheet;
  bool changed = false;
  BpCUG grid{this};
  platform::OleDateTime conditioningStart;
  std::string wxsFile;
  platform::OleDateTime firstRecord = platform::OleDateTime::Invalid(), lastRecord = platform::OleDateTime::Invalid();

  wxDatePickerCtrl* dayPicker = nullptr;
  wxTimePickerCtrl* timePicker = nullptr;
  wxTextCtrl* wxsBox = nullptr;
  wxButton* wxsButton = nullptr;
  wxButton* addButton = nullptr;
  wxButton* deleteButton = nullptr;
  wxStaticText* rangeText = nullptr;
  std::function<int(int buttonId)> menuChooser;

 private:
  void Build();
  void TakeEditedStream(class weather::ui::CWXSEditDialog& editor);
  widgets::CUGWindow* gridWindow_ = nullptr;
  bool created_ = false;
  bool loading_ = false;
};

class CEmbrithPage : public wxPanel {
 public:
  enum {
    kOpenIgnitions = kOpenIgnitionsCommand, kLoadCurrentShape = kLoadCurrentShapeCommand,
    kClearIgnitions = kClearIgnitionsCommand, kOpenBarriers = kOpenBarriersCommand,
    kClearBarriers = kClearBarriersCommand, kOpenRosAdjust = 33023, kEditRosAdjust = 33024, kClearRosAdjust = 33025
  };
  // The numbers of the page, in the order of their boxes.
  enum Field { kPerimeterRes, kDistanceRes, kTimeStep, kMinSpotDistance, kSpotGridRes, kSpotProbability,
               kSpotDelay, kFoliarMoisture, kFieldCount };
  CEmbrithPage(wxWindow* parent, CEmbrithRunSheet* sheet, CRun* run);
  ~CEmbrithPage() override;

  bool IsCreated() const { return created_; }
  void OnSetActive();
  void LoadFromRun();
  std::optional<FieldProblem> CheckFields() const;
  void ApplyToRun();
  bool IsReady() const;
  void MarkChanged();
  void OnOpenIgnitions();
  // The shapes drawn on the map (saved first when they are not) as the ignitions.
  void OnLoadCurrentShape();
  void OnOpenBarriers();
  void OnOpenRosAdjust();
  void OnEditRosAdjust();
  void OnClearRosAdjust();
  void RunMenuCommand(int id);
  wxMenu* BuildMenu(int buttonId);
  // The range a field takes: its spin's, with resolutions above 0.
  void FieldRange(int field, double& lo, double& hi) const;

  CRun* run;
  CEmbrithRunSheet* sheet;
  bool changed = false;
  std::string ignitionFile, barrierFile, rosAdjustFile;
  double cellWidth = 1.0;

  wxTextCtrl* edits[kFieldCount] = {};
  wxSpinButton* spins[kFieldCount] = {};
  wxCheckBox* fillBarriers = nullptr;
  wxCheckBox* acceleration = nullptr;
  wxChoice* crownCombo = nullptr;
  wxButton* ignitionButton = nullptr;
  wxButton* barrierButton = nullptr;
  wxButton* rosButton = nullptr;
  wxTextCtrl* ignitionBox = nullptr;
  wxTextCtrl* barrierBox = nullptr;
  wxTextCtrl* rosBox = nullptr;
  std::function<int(int buttonId)> menuChooser;

 private:
  void Build();
  void ShowFiles();
  void OpenShapefile(bool barriers);
  void ClearShapefile(bool barriers);
  std::unique_ptr<widgets::CNumSpinCtrl> probability_;
  bool created_ = false;
  bool loading_ = false;
};

class CEmbrithOutputsPage : public wxPanel {
 public:
  CEmbrithOutputsPage(wxWindow* parent, CEmbrithRunSheet* sheet, CRun* run);

  bool IsCreated() const { return created_; }
  void OnSetActive();
  void ApplyToRun();
  bool IsReady() const;
  void MarkChanged();
  void OnSelectAll();
  void OnRemoveAll();
  // The page's boxes as the run's flags.
  CRunEmbrithSettings Selection() const;

  CRun* run;
  CEmbrithRunSheet* sheet;
  bool changed = false;
  wxCheckBox* boxes[14] = {};

 private:
  void Build();
  bool created_ = false;
};

class CEmbrithRunSheet : public CLaunchSheet {
 public:
  // " Embrith Run : <name>" over the run's four pages.
  CEmbrithRunSheet(wxWindow* parent, CRun* run);

  void UpdateStatusBar() override;
  bool CanLaunch();
  bool CanLaunchFrom(wxWindow*) override { return CanLaunch(); }
  void ShowLaunch(bool show);
  void OnOK() override;
  void OnApplyNow() override;
  void OnLaunch() override;
  void SelectPage(int index);
  // A value the pages cannot take: the first, with its page's reason.
  std::optional<FieldProblem> FirstProblem();

  CEmbrithFbInputsPage* inputsPage = nullptr;
  CEmbrithWxBpPage* streamPage = nullptr;
  CEmbrithPage* modelPage = nullptr;
  CEmbrithOutputsPage* outputsPage = nullptr;

 private:
  void ApplyPages();
  void OnPageChanging(wxBookCtrlEvent& event);
  void OnPageChanged(wxBookCtrlEvent& event);
};

// Opens a fire-growth run's sheet modally.
int EditEmbrithRunProperties(wxWindow* parent, CRun& run);

// A fire-growth launch behind the progress dialog ("Embrith Progress..."): the run's engine
// lives from just before the dialog to just after it, and its outputs become themes here, on
// the UI thread. True when the run produced its outputs.
bool LaunchEmbrithRun(wxWindow* parent, CRun& run, const runs::RunTiming& timing = {});

}  // namespace runs::ui
