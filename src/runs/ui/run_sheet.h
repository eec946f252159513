#pragma once
// The run sheet: the Inputs, Fire Behavior Options, Minimum Travel Time and Treatment
// Optimization Model pages of a run, a three-part status line saying what is missing, how
// many outputs are selected and whether existing outputs are current, and the Launch button.
#include <wx/dialog.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "runs/run.h"
#include "runs/run_exec.h"
#include "runs/run_exec_status.h"
#include "runs/ui/input_file_actions.h"
#include "runs/ui/launch_sheet.h"
#include "runs/ui/page_menus.h"

namespace weather::ui {
class CWXSEditDialog;
}

class wxBookCtrlEvent;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxComboBox;
class wxDatePickerCtrl;
class wxMenu;
class wxNotebook;
class wxRadioButton;
class wxSpinButton;
class wxSpinCtrl;
class wxSpinCtrlDouble;
class wxStaticText;
class wxStatusBar;
class wxTextCtrl;
class wxTimePickerCtrl;
class CPyrvane2WorkArea;
class CVectorTheme;

namespace runs::ui {

class CRunSheet;

class CRunInputsPage : public wxPanel, public CFuelFileCommands {
 public:
  // Menu commands of the page's other file buttons.
  enum { kOpenWxs = 33008, kEditWxs = 33009, kCreateWxs = 33032, kOpenDirection = 33026, kOpenSpeed = 33027 };
  CRunInputsPage(wxWindow* parent, CRunSheet* sheet, CRun* run);

  void LoadFromRun();
  // The first typed value the page cannot take, if any.
  std::optional<FieldProblem> CheckFields() const;
  // Controls into the members; false for a value the page cannot take, whose reason is
  // shown when `report` (and the control given the focus).
  bool Exchange(bool report = true);
  void ApplyToRun();
  bool IsReady();
  void MarkChanged();
  void SetWindControls();
  void SetMoistureControls();
  bool SetupConditioningPickers();
  void ClampConditioningStart();
  void ClampConditioningEnd();
  void ExchangeConditioningPeriod(bool fromControls);
  // The page's values as the status line reads them.
  runs::InputsState State() const;

  // ---- file actions ----
  void OnCreateFmsFromLandscape();
  // A weather stream for conditioning; an invalid one is taken only when the user says so.
  void OnOpenWxs();
  void OnEditWxs();
  void OnCreateWxs();
  // Takes the file and period of an editor closed with OK on a valid saved stream.
  void TakeEditedStream(weather::ui::CWXSEditDialog& editor, bool clamp);
  void OnOpenDirectionGrid();
  void OnOpenSpeedGrid();
  // The gridded-wind options; OK marks the page changed.
  void OnGustforgeOptions();
  bool CheckGridExtent(const std::string& path);
  // The command a file button runs for a menu item (what a click on the item does).
  void RunMenuCommand(int id);
  // The menu a file button drops, with its items' current states (toolkit ids: command - 13000).
  wxMenu* BuildMenu(int buttonId);

  // ---- members ----
  CRun* run;
  CRunSheet* sheet;
  bool changed = false;
  std::string runName;
  platform::OleDateTime conditioningStart, conditioningEnd;
  int windSpeed = 0, azimuth = 0;
  double foliarMoisture = 0;
  int useCustomFuels = 0;
  std::string directionFile, speedFile, wxsFile;
  int windType = 0;
  int fixedFuelMoistures = 1, useWeatherStream = 0;
  platform::OleDateTime firstRecord, lastRecord;

  // ---- controls ----
  wxTextCtrl* nameEdit = nullptr;
  wxTextCtrl* fmsBox = nullptr;
  wxTextCtrl* fmdBox = nullptr;
  wxTextCtrl* directionBox = nullptr;
  wxTextCtrl* speedBox = nullptr;
  wxTextCtrl* wxsBox = nullptr;
  wxCheckBox* customFuels = nullptr;
  wxRadioButton* windRadios[5] = {};  // by wind type
  wxTextCtrl* speedEdit = nullptr;
  wxSpinButton* speedSpin = nullptr;
  wxTextCtrl* azimuthEdit = nullptr;
  wxSpinButton* azimuthSpin = nullptr;
  wxStaticText* azimuthLabel = nullptr;
  wxChoice* unitsCombo = nullptr;
  wxButton* gustforge = nullptr;
  wxButton* fmsButton = nullptr;
  wxButton* fmdButton = nullptr;
  wxButton* wxsButton = nullptr;
  wxButton* directionButton = nullptr;
  wxButton* speedButton = nullptr;
  wxTextCtrl* foliarEdit = nullptr;
  wxSpinButton* foliarSpin = nullptr;
  wxChoice* crownCombo = nullptr;
  wxRadioButton* fixedRadio = nullptr;
  wxRadioButton* streamRadio = nullptr;
  wxDatePickerCtrl* startDay = nullptr;
  wxTimePickerCtrl* startTime = nullptr;
  wxDatePickerCtrl* endDay = nullptr;
  wxTimePickerCtrl* endTime = nullptr;
  // Answers the next menu drop without showing it (tests); 0 dismisses it.
  std::function<int(int buttonId)> menuChooser;

 private:
  void Build();
  void RefreshControls();
  void ShowFiles();
  void DropMenu(wxButton* button);
  void OpenWindGrid(std::string& file);
  void PullControls() override { Exchange(false); }
  void FuelFileTaken() override;
  void FuelFileChoiceEnded() override { RefreshControls(); }
  bool loading_ = false;
};

class CRunOutputsPage : public wxPanel {
 public:
  CRunOutputsPage(wxWindow* parent, CRunSheet* sheet, CRun* run);

  // Built on the first activation; until then the sheet judges the run's own settings.
  bool IsCreated() const { return created_; }
  void OnSetActive();
  void LoadFromRun();
  std::optional<FieldProblem> CheckFields() const;
  // As the Inputs page's.
  bool Exchange(bool report = true);
  void ApplyToRun();
  bool IsReady() const;
  void MarkChanged();
  void SetMoistureOutputControls();
  void OnSelectAll();
  void OnRemoveAll();
  // Refused values show their message and restore the last value; false then.
  bool OnDegreesKillFocus();
  bool OnProcessorsKillFocus();

  CRun* run;
  CRunSheet* sheet;
  bool changed = false;
  CRunOutputs selection;  // the page's check boxes
  int degrees = 0;
  int directionMode = 0;  // 0 relative to maximum spread, -1 from north
  int processors = 1;
  int machineProcessors = 1;

  wxCheckBox* boxes[18] = {};
  wxTextCtrl* degreesEdit = nullptr;
  wxTextCtrl* processorsEdit = nullptr;
  wxRadioButton* relativeRadio = nullptr;
  wxRadioButton* northRadio = nullptr;

 private:
  void Build();
  void RefreshControls();
  void RefreshBoxes();
  bool created_ = false;
  bool loading_ = false;
};

// A number box of a page: its ids, the name a refusal gives, and what it takes.
template <class Page>
struct PageNumber {
  wxTextCtrl* Page::*edit;
  int editId, spinId;
  const char* label;
  double lo, hi, step;
  int digits;               // 0: whole numbers
  bool resolution = false;  // takes nothing finer than the landscape's cells
};

// An output check box of a page and the run setting it edits.
template <class Settings>
struct PageOutput {
  int id;
  const char* label;
  int Settings::*flag;
};

// What the Minimum Travel Time and treatment pages share: they are built when first shown,
// their number boxes are checked by name when the page is applied (never clamped), and every
// edit marks the page changed and judges the sheet's Launch again.
class CTravelTimePage : public wxPanel {
 public:
  // The ignition button's commands, alike on both pages.
  enum {
    kOpenIgnitions = kOpenIgnitionsCommand, kLoadCurrentShape = kLoadCurrentShapeCommand,
    kClearIgnitions = kClearIgnitionsCommand
  };
  CTravelTimePage(wxWindow* parent, int id, CRunSheet* sheet, CRun* run, const char* launchText);

  bool IsCreated() const { return created_; }
  void OnSetActive();
  // The first typed number the page cannot take, if any (a disabled box keeps its last value).
  std::optional<FieldProblem> CheckFields() const;
  // As the Inputs page's: false for a value the page cannot take, said when `report`.
  bool Exchange(bool report = true);
  void MarkChanged();

  CRun* run;
  CRunSheet* sheet;
  bool changed = false;
  int minResolution = 1;  // the landscape's cell width
  // Answers the next menu drop without showing it (tests); 0 dismisses it.
  std::function<int(int buttonId)> menuChooser;

 protected:
  virtual void Build() = 0;
  virtual void LoadFromRun() = 0;
  // A number box with its arrows in `parent`, checked by CheckFields; returns the row of both.
  // A resolution box takes nothing finer than the landscape's cells.
  wxSizer* AddNumberBox(wxWindow* parent, wxTextCtrl*& edit, wxSpinButton*& spin, int editId, int spinId,
                        const char* label, double lo, double hi, double step, int digits, bool resolution = false);
  template <class Page>
  wxSizer* AddNumberBox(wxWindow* parent, const PageNumber<Page>& f, wxSpinButton*& spin) {
    return AddNumberBox(parent, static_cast<Page*>(this)->*f.edit, spin, f.editId, f.spinId, f.label, f.lo, f.hi,
                        f.step, f.digits, f.resolution);
  }
  // Every output box marks the page changed; the intensity is made from the travel-time rate,
  // so clearing the rate clears it and ticking it ticks the rate.
  void BindOutputBoxes(wxCheckBox* const* boxes, int count, int rateBox, int intensityBox);
  // Raises a run's resolution to the landscape's cell width (a finer one only multiplies the
  // cells) and keeps that width as the resolution boxes' lowest value.
  void TakeCellWidth(double& resolution);
  // The fire-behaviour grids the travel-time engine needs: the ellipses and spotting, and the
  // basic intensity and rate when its own intensity is wanted.
  void SelectEngineGrids(bool intensity);
  bool loading_ = false;

 private:
  struct CheckedNumber {
    const wxTextCtrl* edit;
    const char* label;
    double lo, hi;
    int digits;
    bool resolution;
  };
  std::vector<CheckedNumber> numbers_;
  const char* launchText_;
  bool created_ = false;
};

// The Minimum Travel Time page: ignitions, barriers, calculation settings and MTT outputs.
class CPathweaverPage : public CTravelTimePage {
 public:
  enum {
    kOpenBarriers = kOpenBarriersCommand, kClearBarriers = kClearBarriersCommand, kOpenFireList = 33028,
    kClearFireList = 33029
  };
  static constexpr int kShapefileOutputs = 10;
  CPathweaverPage(wxWindow* parent, CRunSheet* sheet, CRun* run);

  // Copies the page into the run; nothing while a typed number is refused.
  void ApplyToRun();
  bool IsReady() const;
  // The run's settings with the page's ignition source and output ticks.
  CRunMTTSettings Selection() const;
  void SetIgnitionControls();
  void OnSelectAll();
  void OnRemoveAll();
  void OnIgnitionFile();
  // The shapes drawn on the map become the ignition file (written first when they have no
  // file or changed since it was written).
  void OnLoadCurrentShape();
  void OnBarrierFile();
  void OnFireListFile();
  void OnClearFireListFile();
  void RunMenuCommand(int id);
  wxMenu* BuildMenu(int buttonId);

  int ignitionSource = 0;
  std::string ignitionFile, barrierFile, fireListFile;

  wxRadioButton* sourceRadios[3] = {};  // from file, random, fire list
  wxButton* ignitionButton = nullptr;
  wxButton* fireListButton = nullptr;
  wxButton* barrierButton = nullptr;
  wxTextCtrl* ignitionBox = nullptr;
  wxTextCtrl* fireListBox = nullptr;
  wxTextCtrl* barrierBox = nullptr;
  // Number boxes: typed text is checked when the page is applied, never clamped.
  wxTextCtrl* randomCount = nullptr;
  wxTextCtrl* resolution = nullptr;
  wxTextCtrl* simulationTime = nullptr;
  wxTextCtrl* pathInterval = nullptr;
  wxTextCtrl* spotProbability = nullptr;
  wxTextCtrl* spotDelay = nullptr;
  wxTextCtrl* lateralDepth = nullptr;
  wxTextCtrl* verticalDepth = nullptr;
  wxSpinButton* numberSpins[8] = {};  // beside the boxes, random count first
  wxCheckBox* fillBarriers = nullptr;
  wxCheckBox* outputs[15] = {};  // the ten ignition-file outputs, then the five random ones

 private:
  void Build() override;
  void LoadFromRun() override;
  void ShowFiles();
  // Opens a shapefile as the run's ignition or barrier theme; one with no vertex in the
  // analysis area is refused and leaves the file empty.
  void OpenShapefile(bool barriers);
  void ClearShapefile(bool barriers);
  // The file becomes the run's ignition or barrier theme; when `mustOverlap`, only if a vertex
  // lies in the analysis area.
  void TakeShapefile(bool barriers, const std::string& path, bool mustOverlap);
};

// The Treatment Optimization Model page: treatment ignitions, the ideal landscape, the
// optimisation's settings and its outputs.
class CTreatPage : public CTravelTimePage {
 public:
  enum { kOpenIdealLandscape = 33030, kClearIdealLandscape = 33031 };
  static constexpr int kOutputCount = 9;
  CTreatPage(wxWindow* parent, CRunSheet* sheet, CRun* run);

  // Copies the page into the run (a new ideal landscape replaces its themes); nothing while a
  // typed number is refused.
  void ApplyToRun();
  bool IsReady() const;
  // The run's settings with the page's output ticks.
  CRunTOMSettings Selection() const;
  void OnSelectAll();
  void OnRemoveAll();
  void OnIgnitionFile();
  void OnLoadCurrentShape();
  void OnClearIgnitionFile();
  // The chosen file becomes the page's ideal landscape when CheckIdealLandscape takes it.
  void OnIdealLandscape();
  void OnClearIdealLandscape();
  // A readable landscape with fuel and canopy layers that covers the analysis area; otherwise
  // said, naming the file.
  bool CheckIdealLandscape(const std::string& path);
  void RunMenuCommand(int id);
  wxMenu* BuildMenu(int buttonId);

  std::string ignitionFile, idealLandscapeFile;

  wxButton* ignitionButton = nullptr;
  wxButton* idealButton = nullptr;
  wxTextCtrl* ignitionBox = nullptr;
  wxTextCtrl* idealBox = nullptr;
  // Number boxes: typed text is checked when the page is applied, never clamped.
  wxTextCtrl* resolution = nullptr;
  wxTextCtrl* dimension = nullptr;
  wxTextCtrl* iterations = nullptr;
  wxTextCtrl* fraction = nullptr;
  wxSpinButton* numberSpins[4] = {};
  // Opportunities, treatments, then the seven optional outputs.
  wxCheckBox* outputs[kOutputCount] = {};

 private:
  void Build() override;
  void LoadFromRun() override;
  void ShowFiles();
  // The file becomes the run's treatment ignition theme; when `mustOverlap`, only if a vertex
  // lies in the analysis area.
  void TakeIgnitions(const std::string& path, bool mustOverlap);
};

class CRunSheet : public CLaunchSheet {
 public:
  // "Run : <name>" over the run's pages.
  CRunSheet(wxWindow* parent, CRun* run);

  void UpdateStatusBar() override;
  // Whether Launch can start from the page; says nothing of values it cannot take.
  bool CanLaunch(wxWindow* page);
  bool CanLaunchFrom(wxWindow* page) override { return CanLaunch(page); }
  // Pulls both pages' controls, saying what is wrong with the first bad value.
  bool ExchangePages();
  bool CheckFuelModels();
  void ShowLaunch(bool show);
  void SetLaunchText(const std::string& text);
  void FitLaunch();
  void GrowToFit();
  void OnOK() override;
  void OnApplyNow() override;
  void OnLaunch() override;
  wxWindow* ActivePage() const;
  void SelectPage(int index);

  CRunInputsPage* inputsPage = nullptr;
  CRunOutputsPage* outputsPage = nullptr;
  CPathweaverPage* mttPage = nullptr;
  CTreatPage* treatPage = nullptr;

 private:
  void OnPageChanging(wxBookCtrlEvent& event);
  void OnPageChanged(wxBookCtrlEvent& event);
  void OnPageChangedTo(int index);
  void RenameTreeItem();
  int revertTo_ = -1;  // the page a refused change stays on
};

// Opens the run's sheet modally ("Run : <name>").
int EditRunProperties(wxWindow* parent, CRun& run);

}  // namespace runs::ui
