#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timectrl.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>

#include "app/application.h"
#include "gridmodel/ug_cell.h"
#include "gridmodel/ug_headings.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run_host.h"
#include "runs/run_exec_editor_checks.h"
#include "runs/run_outputs.h"
#include "runs/ui/date_pickers.h"
#include "runs/ui/editor_dialog.h"
#include "runs/ui/embrith_gustforge_dialog.h"
#include "runs/ui/embrith_sheet.h"
#include "runs/ui/input_file_actions.h"
#include "runs/ui/page_menus.h"
#include "themes/vector_theme.h"
#include "weather/atm_file.h"
#include "weather/ui/atm_dialog.h"
#include "weather/ui/wxs_edit_dialog.h"
#include "weather/wx_editor.h"
#include "weather/wx_records.h"
#include "weather/wx_stream.h"
#include "widgets/cellgrid/ug_window.h"
#include "widgets/num_spin_ctrl.h"

namespace runs::ui {

using platform::FormatC;
using platform::OleDateTime;

namespace {

constexpr int kWindTypes[3] = {0, 4, 5};

OleDateTime CurrentHourToday() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return OleDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, 0, 0);
}

// The leading digits of a cell's text (with its sign), -1 when there are none.
int LeadingNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long v = 0;
  bool any = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && v < 100000) {
    v = v * 10 + (text[i++] - '0');
    any = true;
  }
  if (!any) return -1;
  return static_cast<int>(negative ? -v : v);
}

wxTextCtrl* FileBox(wxWindow* parent, int id) {
  return new wxTextCtrl(parent, id, "", wxDefaultPosition, wxSize(300, -1), wxTE_READONLY);
}

}  // namespace

// ==== Weather Inputs ===========================================================================

CEmbrithFbInputsPage::CEmbrithFbInputsPage(wxWindow* parent, CEmbrithRunSheet* s, CRun* r)
    : wxPanel(parent, 283), CFuelFileCommands(this, r), run(r), sheet(s) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(this, wxID_ANY, "Run Name:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  nameEdit = new wxTextCtrl(this, 1055, "", wxDefaultPosition, wxSize(300, -1));
  row->Add(nameEdit, 1);
  top->Add(row, 0, wxEXPAND | wxALL, 6);
  fmsButton = new wxButton(this, 1477, "Fuel Moisture File");
  fmsBox = FileBox(this, 1056);
  customFuels = new wxCheckBox(this, 1045, "Use Custom Fuels (*.fmd)");
  fmdButton = new wxButton(this, 1478, "Fuel Model File");
  fmdBox = FileBox(this, 1027);
  auto* files = new wxFlexGridSizer(2, 4, 6);
  files->AddGrowableCol(1);
  files->Add(fmsButton);
  files->Add(fmsBox, 1, wxEXPAND);
  files->Add(customFuels, 0, wxALIGN_CENTER_VERTICAL);
  files->AddSpacer(0);
  files->Add(fmdButton);
  files->Add(fmdBox, 1, wxEXPAND);
  top->Add(files, 0, wxEXPAND | wxALL, 6);
  auto* winds = new wxStaticBoxSizer(wxVERTICAL, this, "Winds");
  wxWindow* wb = winds->GetStaticBox();
  windRadios[0] = new wxRadioButton(wb, 1381, "Wind Direction From Weather Inputs", wxDefaultPosition, wxDefaultSize,
                                    wxRB_GROUP);
  windRadios[1] = new wxRadioButton(wb, 1334, "Generate Gridded Wind From Weather Inputs");
  gustforge = new wxButton(wb, 1341, "Gustforge Options");
  windRadios[2] = new wxRadioButton(wb, 1029, "Gridded Winds From ATM File");
  atmButton = new wxButton(wb, 1479, "Atmosphere Grid File");
  atmBox = FileBox(wb, 1410);
  winds->Add(windRadios[0], 0, wxALL, 3);
  row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(windRadios[1], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  row->Add(gustforge);
  winds->Add(row, 0, wxALL, 3);
  winds->Add(windRadios[2], 0, wxALL, 3);
  row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(atmButton, 0, wxRIGHT, 6);
  row->Add(atmBox, 1);
  winds->Add(row, 0, wxEXPAND | wxALL, 3);
  top->Add(winds, 0, wxEXPAND | wxALL, 6);
  SetSizer(top);

  LoadFromRun();

  nameEdit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { MarkChanged(); });
  customFuels->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
    useCustomFuels = customFuels->GetValue() ? 1 : 0;
    MarkChanged();
    fmdButton->Enable(useCustomFuels != 0);
  });
  for (int i = 0; i < 3; ++i)
    windRadios[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) {
      windType = kWindTypes[i];
      MarkChanged();
      SetWindControls();
    });
  gustforge->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnGustforgeOptions(); });
  for (wxButton* b : {fmsButton, fmdButton, atmButton})
    b->Bind(wxEVT_BUTTON, [this, b](wxCommandEvent&) {
      std::unique_ptr<wxMenu> menu(BuildMenu(b->GetId()));
      if (int id = ChooseMenuCommand(b, *menu, menuChooser)) RunMenuCommand(id);
    });
  Bind(wxEVT_HELP, [](wxHelpEvent&) { GetApp().ShowHelpTopic(15); });
}

void CEmbrithFbInputsPage::LoadFromRun() {
  loading_ = true;
  runName = run->name;
  fmdFile = run->inputs.customFuelsFile;
  fmsFile = run->inputs.fuelMoistureFile;
  windType = run->inputs.windType;
  useCustomFuels = run->inputs.useCustomFuelModels ? 1 : 0;
  atmFile = run->embrith.atmFile;
  nameEdit->ChangeValue(wxString::FromUTF8(runName));
  customFuels->SetValue(useCustomFuels != 0);
  fmdButton->Enable(useCustomFuels != 0);
  ShowFiles();
  SetWindControls();
  changed = false;
  loading_ = false;
}

void CEmbrithFbInputsPage::ShowFiles() {
  fmsBox->ChangeValue(Shortened(fmsFile, fmsBox));
  fmdBox->ChangeValue(Shortened(fmdFile, fmdBox));
  atmBox->ChangeValue(Shortened(atmFile, atmBox));
}

void CEmbrithFbInputsPage::SetWindControls() {
  for (int i = 0; i < 3; ++i)
    if (kWindTypes[i] == windType) windRadios[i]->SetValue(true);
  gustforge->Enable(windType == 4);
  atmButton->Enable(windType == 5);
  atmBox->Enable(windType == 5);
}

void CEmbrithFbInputsPage::Exchange() {
  runName = nameEdit->GetValue().utf8_string();
  useCustomFuels = customFuels->GetValue() ? 1 : 0;
}

runs::EmbrithInputsState CEmbrithFbInputsPage::State() const {
  runs::EmbrithInputsState s;
  s.fmsFile = fmsFile;
  s.fmdFile = fmdFile;
  s.atmFile = atmFile;
  s.windType = windType;
  s.areaNeedsCustomFuels = run->area && run->area->customFuels;
  return s;
}

void CEmbrithFbInputsPage::ApplyToRun() {
  run->name = runName;
  run->inputs.customFuelsFile = fmdFile;
  run->inputs.fuelMoistureFile = fmsFile;
  run->inputs.windType = windType;
  run->inputs.useCustomFuelModels = useCustomFuels != 0;
  run->embrith.atmFile = atmFile;
  if (changed) run->fireBehaviorUpToDate = run->mttUpToDate = run->tomUpToDate1 = run->tomUpToDate2 = false;
  changed = false;
}

bool CEmbrithFbInputsPage::IsReady() {
  // The page's own choice of winds, so Launch and the status line agree before it is applied.
  if (!run->CheckFmsFile(fmsFile)) return false;
  return windType != 5 || !atmFile.empty();
}

void CEmbrithFbInputsPage::MarkChanged() {
  if (loading_) return;
  changed = true;
  // Launch and the status line follow every edit, as on the other pages.
  if (sheet) sheet->PageEdited(this);
}

wxMenu* CEmbrithFbInputsPage::BuildMenu(int buttonId) {
  auto* menu = new wxMenu;
  if (AppendFuelFileItems(*menu, buttonId)) return menu;
  switch (buttonId) {
    case 1479:
      menu->Append(MenuId(kOpenAtm), "&Open Atmosphere Grid File...");
      menu->Append(MenuId(kNewAtm), "&New Atmosphere Grid File");
      menu->Append(MenuId(kEditAtm), "&Edit Atmosphere Grid File")->Enable(!atmFile.empty());
      break;
    default: break;
  }
  return menu;
}

void CEmbrithFbInputsPage::RunMenuCommand(int id) {
  switch (id) {
    case kOpenFms: OnOpenFms(); break;
    case kEditFms: OnEditFms(); break;
    case kCreateFms: OnCreateFms(); break;
    case kOpenFmd: OnOpenFmd(); break;
    case kEditFmd: OnEditFmd(); break;
    case kOpenAtm: OnOpenAtm(); break;
    case kEditAtm: OnEditAtm(); break;
    case kNewAtm: OnNewAtm(); break;
    default: break;
  }
}

void CEmbrithFbInputsPage::FuelFileTaken() {
  ShowFiles();
  MarkChanged();
}

void CEmbrithFbInputsPage::OnCreateFms() {
  CreateFms([](int model) { return model >= 0 && model <= 256; });
}

void CEmbrithFbInputsPage::OnOpenAtm() {
  Exchange();
  platform::FileDialogOptions options;
  options.filter = "Atmosphere Grid Files (*.atm)|*.atm|All Files (*.*)|*.*||";
  const auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (!chosen) return;
  wxBusyCursor wait;
  weather::CAtmFile atm;
  const int code = atm.Read(runs::AtmContextOf(*run), *chosen);
  if (code != weather::kAtmOk) {
    platform::Tell(FormatC("ATM file error: %s", atm.GetErrorText(code).c_str()));
    return;
  }
  atmFile = *chosen;
  ShowFiles();
  MarkChanged();
  OnEditAtm();
}

void CEmbrithFbInputsPage::OnEditAtm() {
  // The editor checks against the burn periods on the stream page, applied first.
  if (sheet && sheet->streamPage) sheet->streamPage->ApplyToRun();
  const weather::AtmRunContext context = runs::AtmContextOf(*run);
  weather::ui::CAtmDialog editor(this);
  editor.path = atmFile;
  editor.run = &context;
  if (run->inputs.conditioningStart.IsValid()) {
    const OleDateTime& c = run->inputs.conditioningStart;
    editor.condMonth = c.GetMonth();
    editor.condDay = c.GetDay();
    editor.condHour = c.GetHour();
    editor.condMinute = c.GetMinute();
  }
  {
    wxBusyCursor wait;
    editor.ShowModal();
  }
  if (editor.path.empty()) return;
  weather::CAtmFile atm;
  // A file the editor left invalid is not taken.
  if (atm.Read(context, editor.path) != weather::kAtmOk) return;
  atmFile = editor.path;
  ShowFiles();
  MarkChanged();
}

void CEmbrithFbInputsPage::OnNewAtm() {
  platform::Tell(
      "ATM files require that all grids are located in the same directory as the ATM file.\n"
      "Please create an ATM file where the desired wind grid files are located.");
  platform::FileDialogOptions options;
  options.filter = "Atmosphere Grid Files (*.atm)|*.atm|All Files (*.*)|*.*||";
  options.defaultExt = "atm";
  options.overwritePrompt = true;
  const auto chosen = platform::CurrentDialogs().ChooseSaveFile(options);
  if (!chosen) return;
  {
    std::ofstream out(*chosen, std::ios::binary | std::ios::trunc);
    out << "WINDS\nENGLISH\n";
    if (!out.flush()) {
      platform::Tell(FormatC("Error creating %s as output.", chosen->c_str()));
      return;
    }
  }
  atmFile = *chosen;
  ShowFiles();
  OnEditAtm();
}

void CEmbrithFbInputsPage::OnGustforgeOptions() {
  CEmbrithGustforgeDialog dialog(this, run);
  if (dialog.ShowModal() == wxID_OK && sheet) sheet->NoteChange();
}

// ==== Weather Stream and Burn Periods ==========================================================

void BpCUG::OnInitGrid() {
  SetCurrentCellStyle(2);
  SetColCount(4);
  SetUniformRowHeight(true);
  SetVScrollMode(1);
  const char* headings[4] = {"Month", "Day", "Start Hour", "End Hour"};
  for (int c = 0; c < 4; ++c) SetCellText(c, -1, headings[c]);
  SetCellText(-1, -1, "BP#");
  const int w = std::max(GetClientWidth(), 400) / 5 - 5;
  SetSideHeadingWidth(w);
  std::string starts, ends;
  for (int h = 0; h <= 23; ++h) starts += (h ? "\n" : "") + std::to_string(h);
  for (int h = 1; h <= 24; ++h) ends += (h > 1 ? "\n" : "") + std::to_string(h);
  gridmodel::CUGCell cell;
  for (int c = 0; c < 4; ++c) {
    SetColWidth(c, w);
    GetColDefault(c, &cell);
    if (c >= 2) {
      cell.SetCellType(1);
      cell.SetCellTypeParam(512);
      cell.SetLabelText(c == 2 ? starts : ends);
    }
    SetColDefault(c, &cell);
  }
  gridmodel::FitColumnsToHeadings(*this);
}

void BpCUG::OnGridKeyDown(unsigned* vkey, bool) {
  if (*vkey == gridmodel::UG_VK_TAB) weather::TabToNextCell(*this);
}

int BpCUG::OnCellTypeEvent(int, int, long, int msg, long) {
  if (msg == gridmodel::UGCT_DROPLISTSELECT) page_->MarkChanged();
  return 1;
}

int BpCUG::OnEndCellEdit(int col, long row, gridmodel::CUGEditor*, const std::string& text, bool cancelled) {
  if (!cancelled && LeadingNumber(text) != LeadingNumber(GetCellText(col, row))) {
    // Counted at once (a button may be running this commit); the pages are judged once the
    // grid holds the text.
    page_->changed = true;
    if (page_->sheet) page_->sheet->NoteChange();
    wxTheApp->CallAfter([page = wxWeakRef<CEmbrithWxBpPage>(page_)] {
      if (page) page->MarkChanged();
    });
  }
  return 1;
}

std::vector<BurnPeriod> BpCUG::Periods() {
  std::vector<BurnPeriod> out;
  for (long r = 0; r < GetRowCount(); ++r)
    out.push_back({LeadingNumber(GetCellText(0, r)), LeadingNumber(GetCellText(1, r)),
                   LeadingNumber(GetCellText(2, r)), LeadingNumber(GetCellText(3, r))});
  return out;
}

void BpCUG::SetPeriod(long row, const BurnPeriod& b) {
  SetCellText(0, row, std::to_string(b.month));
  SetCellText(1, row, std::to_string(b.day));
  SetCellText(2, row, std::to_string(b.startHour));
  SetCellText(3, row, std::to_string(b.endHour));
}

CEmbrithWxBpPage::CEmbrithWxBpPage(wxWindow* parent, CEmbrithRunSheet* s, CRun* r)
    : wxPanel(parent, 310), run(r), sheet(s), conditioningStart(CurrentHourToday()) {
  Bind(wxEVT_HELP, [](wxHelpEvent&) { GetApp().ShowHelpTopic(5); });
}

// The grid window goes before the grid it shows, which is a member of this page.
CEmbrithWxBpPage::~CEmbrithWxBpPage() { delete gridWindow_; }

void CEmbrithWxBpPage::Build() {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  wxsButton = new wxButton(this, 1476, "WXS File");
  wxsBox = FileBox(this, 1049);
  row->Add(wxsButton, 0, wxRIGHT, 6);
  row->Add(wxsBox, 1);
  top->Add(row, 0, wxEXPAND | wxALL, 6);
  row = new wxBoxSizer(wxHORIZONTAL);
  dayPicker = new wxDatePickerCtrl(this, 1038);
  timePicker = new wxTimePickerCtrl(this, 1425);
  row->Add(new wxStaticText(this, wxID_ANY, "Fuel Moisture Conditioning Start Day:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(dayPicker, 0, wxRIGHT, 8);
  row->Add(new wxStaticText(this, wxID_ANY, "Time:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(timePicker);
  top->Add(row, 0, wxALL, 6);
  auto* periods = new wxStaticBoxSizer(wxVERTICAL, this, "Burn Periods");
  wxWindow* pb = periods->GetStaticBox();
  auto* placeholder = new wxPanel(pb, 1378, wxDefaultPosition, wxSize(420, 180));
  periods->Add(placeholder, 1, wxEXPAND | wxALL, 4);
  row = new wxBoxSizer(wxHORIZONTAL);
  addButton = new wxButton(pb, 1373, "Add Burn Period");
  deleteButton = new wxButton(pb, 1374, "Delete Burn Period");
  row->Add(addButton, 0, wxRIGHT, 6);
  row->Add(deleteButton);
  periods->Add(row, 0, wxALL, 4);
  rangeText = new wxStaticText(pb, 1495, "", wxDefaultPosition, wxSize(480, -1));
  periods->Add(rangeText, 0, wxEXPAND | wxALL, 4);
  top->Add(periods, 1, wxEXPAND | wxALL, 6);
  SetSizer(top);
  Layout();
  gridWindow_ = widgets::CUGWindow::AttachToDialogItem(pb, 1378, &grid);

  wxsButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    std::unique_ptr<wxMenu> menu(BuildMenu());
    if (int id = ChooseMenuCommand(wxsButton, *menu, menuChooser)) RunMenuCommand(id);
  });
  addButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddBurnPeriod(); });
  deleteButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDeleteBurnPeriod(); });
  auto changedPicker = [this](wxDateEvent&) {
    SyncConditioningStart(true);
    MarkChanged();
  };
  dayPicker->Bind(wxEVT_DATE_CHANGED, changedPicker);
  timePicker->Bind(wxEVT_TIME_CHANGED, changedPicker);
}

void CEmbrithWxBpPage::OnSetActive() {
  if (!created_) {
    Build();
    created_ = true;
    LoadFromRun();
    changed = false;
  }
}

void CEmbrithWxBpPage::LoadFromRun() {
  loading_ = true;
  wxsFile = run->inputs.weatherStreamFile;
  if (run->inputs.conditioningStart.IsValid()) conditioningStart = run->inputs.conditioningStart;
  grid.SetRowCount(0);
  if (!wxsFile.empty()) {
    CWxStream stream;
    std::string message;
    OleDateTime first, last;
    if (stream.Read(wxsFile) >= 0 && stream.Validate(first, last, message)) {
      firstRecord = first;
      lastRecord = last;
    } else {
      if (message.empty()) message = "The file " + wxsFile + " holds no weather records.";
      platform::Tell(message + "\nThis needs to be fixed before the file can be used in a run.");
    }
    for (const BurnPeriod& b : run->embrith.burnPeriods) AddBurnPeriodRow(b, -1);
  }
  RenumberRows();
  wxsBox->ChangeValue(Shortened(wxsFile, wxsBox));
  if (firstRecord.IsValid() && lastRecord.IsValid() && firstRecord < lastRecord) SetConditioningRange();
  ClampConditioningStart();
  SyncConditioningStart(false);
  EnableBurnControls();
  loading_ = false;
}

void CEmbrithWxBpPage::SyncConditioningStart(bool fromControls) {
  if (fromControls) {
    const OleDateTime t = FromPickers(dayPicker, timePicker);
    if (t.IsValid()) conditioningStart = t;
  } else {
    ToPickers(conditioningStart, dayPicker, timePicker);
  }
  UpdateRangeText();
}

void CEmbrithWxBpPage::UpdateRangeText() {
  if (!rangeText) return;
  const OleDateTime& c = conditioningStart;
  const OleDateTime& l = lastRecord;
  if (!c.IsValid() || !l.IsValid()) {
    rangeText->SetLabel("Must load a Weather Stream to set Burn Periods");
    return;
  }
  rangeText->SetLabel(FormatC("Burn Periods must be between %02d/%02d/%02d:%02d00 and %02d/%02d/%02d:%02d00",
                              c.GetMonth(), c.GetDay(), c.GetYear(), c.GetHour(), l.GetMonth(), l.GetDay(),
                              l.GetYear(), l.GetHour()));
}

void CEmbrithWxBpPage::EnableBurnControls() {
  const bool on = !wxsFile.empty() && firstRecord.IsValid() && lastRecord.IsValid();
  for (wxWindow* w : std::initializer_list<wxWindow*>{addButton, deleteButton, dayPicker, timePicker}) w->Enable(on);
}

bool CEmbrithWxBpPage::SetConditioningRange() {
  if (firstRecord.IsValid() && lastRecord.IsValid() && firstRecord < lastRecord) {
    const auto wx = [](const OleDateTime& t) {
      return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(t.GetDay()),
                        static_cast<wxDateTime::Month>(t.GetMonth() - 1), t.GetYear());
    };
    dayPicker->SetRange(wx(firstRecord), wx(lastRecord));
    dayPicker->Enable(true);
    timePicker->Enable(true);
    return true;
  }
  const OleDateTime now = CurrentHourToday();
  conditioningStart = OleDateTime(1899, 12, 30, now.GetHour(), 0, 0);
  dayPicker->Enable(false);
  return false;
}

void CEmbrithWxBpPage::ClampConditioningStart() {
  const OleDateTime& f = firstRecord;
  OleDateTime& c = conditioningStart;
  if (f.IsValid() && lastRecord.IsValid() && c.IsValid() && c.GetYear() == f.GetYear() &&
      c.GetDayOfYear() == f.GetDayOfYear()) {
    if (c.GetHour() < f.GetHour())
      c = OleDateTime(c.GetYear(), c.GetMonth(), c.GetDay(), f.GetHour(), 0, 0);
    else if (c.GetHour() == f.GetHour() && c.GetMinute() < f.GetMinute())
      c = OleDateTime(c.GetYear(), c.GetMonth(), c.GetDay(), f.GetHour(), f.GetMinute(), 0);
  }
  UpdateRangeText();
}

void CEmbrithWxBpPage::AddBurnPeriodRow(const BurnPeriod& b, long position) {
  long row = grid.GetRowCount();
  if (position > 0 && position < grid.GetRowCount()) {
    grid.InsertRow(position);
    row = position;
  } else {
    grid.SetRowCount(row + 1);
  }
  grid.SetPeriod(row, b);
}

void CEmbrithWxBpPage::RenumberRows() {
  for (long r = 0; r < grid.GetRowCount(); ++r) grid.SetCellText(-1, r, std::to_string(r + 1));
  grid.RedrawAll();
}

void CEmbrithWxBpPage::OnAddBurnPeriod() {
  BurnPeriod b{1, 1, 0, 24};
  if (conditioningStart.IsValid()) b = {conditioningStart.GetMonth(), conditioningStart.GetDay(), 0, 24};
  long current = grid.GetCurrentRow();
  if (grid.GetRowCount() > 0) {
    if (current < 0 || current >= grid.GetRowCount()) current = grid.GetRowCount() - 1;
    const BurnPeriod at = grid.Periods()[static_cast<std::size_t>(current)];
    // The next day on a leap year's calendar; a row that is no date gives -1 and -1.
    OleDateTime day;
    b = {-1, -1, at.startHour, at.endHour};
    if (day.SetDateTime(2016, at.month, at.day, 12, 0, 0)) {
      const OleDateTime next = day.AddDays(1.0);
      b.month = next.GetMonth();
      b.day = next.GetDay();
    }
  }
  // Within the range the page states: from the conditioning start's hour on its day, to the
  // last record's hour on the last day.
  auto sameDay = [&b](const OleDateTime& t) { return t.IsValid() && t.GetMonth() == b.month && t.GetDay() == b.day; };
  BurnPeriod fitted = b;
  if (sameDay(conditioningStart)) fitted.startHour = std::max(fitted.startHour, conditioningStart.GetHour());
  if (sameDay(lastRecord)) fitted.endHour = std::min(fitted.endHour, lastRecord.GetHour());
  if (fitted.startHour < fitted.endHour) b = fitted;
  const long position = grid.GetRowCount() > 0 ? current + 1 : -1;
  AddBurnPeriodRow(b, position);
  grid.GotoRow(position > 0 && position < grid.GetRowCount() ? position : grid.GetRowCount() - 1);
  RenumberRows();
  MarkChanged();
}

void CEmbrithWxBpPage::OnDeleteBurnPeriod() {
  const long current = grid.GetCurrentRow();
  if (current >= 0 && current < grid.GetRowCount()) grid.DeleteRow(current);
  RenumberRows();
  MarkChanged();
}

void CEmbrithWxBpPage::ApplyToRun() {
  if (!created_) return;
  SyncConditioningStart(true);
  run->inputs.weatherStreamFile = wxsFile;
  run->inputs.conditioningEnd = lastRecord.IsValid() ? OleDateTime(lastRecord.GetYear(), lastRecord.GetMonth(),
                                                                   lastRecord.GetDay(), lastRecord.GetHour(),
                                                                   lastRecord.GetMinute(), lastRecord.GetSecond())
                                                     : OleDateTime::Invalid();
  run->inputs.conditioningStart = conditioningStart;
  run->inputs.useWeatherStream = true;
  run->embrith.burnPeriods = grid.Periods();
  if (changed) run->fireBehaviorUpToDate = run->mttUpToDate = run->tomUpToDate1 = run->tomUpToDate2 = false;
  changed = false;
  UpdateRangeText();
}

std::optional<std::string> CEmbrithWxBpPage::BurnPeriodsProblem() {
  if (!created_) return std::nullopt;
  return runs::BurnPeriodProblem(grid.Periods());
}

bool CEmbrithWxBpPage::IsReady() const {
  if (!created_) return !run->embrith.burnPeriods.empty() && run->inputs.conditioningStart.IsValid() &&
                        run->inputs.conditioningEnd.IsValid();
  // The page's own period, so Launch follows an opened stream before it is applied.
  return const_cast<BpCUG&>(grid).GetRowCount() > 0 && conditioningStart.IsValid() && lastRecord.IsValid();
}

void CEmbrithWxBpPage::MarkChanged() {
  if (loading_) return;
  changed = true;
  if (sheet) sheet->PageEdited(this);
}

wxMenu* CEmbrithWxBpPage::BuildMenu() {
  auto* menu = new wxMenu;
  menu->Append(MenuId(kOpenWxs), "&Open WXS File...");
  menu->Append(MenuId(kCreateWxs), "&Create WXS File...");
  menu->AppendSeparator();
  menu->Append(MenuId(kEditWxs), "&Edit WXS File")->Enable(!wxsFile.empty());
  return menu;
}

void CEmbrithWxBpPage::RunMenuCommand(int id) {
  switch (id) {
    case kOpenWxs: OnOpenWxs(); break;
    case kEditWxs: OnEditWxs(); break;
    case kCreateWxs: OnCreateWxs(); break;
    default: break;
  }
}

void CEmbrithWxBpPage::OnOpenWxs() {
  const auto chosen = OpenWxsFile();
  if (!chosen) {
    EnableBurnControls();
    UpdateRangeText();
    return;
  }
  wxsFile = chosen->path;
  wxsBox->ChangeValue(Shortened(wxsFile, wxsBox));
  firstRecord = chosen->valid ? chosen->first : OleDateTime(1899, 12, 30, 0, 0, 0);
  lastRecord = chosen->valid ? chosen->last : OleDateTime(1899, 12, 30, 0, 0, 0);
  conditioningStart = firstRecord;
  SetConditioningRange();
  ClampConditioningStart();
  MarkChanged();
  EnableBurnControls();
  SyncConditioningStart(false);
  OnEditWxs();
}

void CEmbrithWxBpPage::TakeEditedStream(weather::ui::CWXSEditDialog& editor) {
  OleDateTime first, last;
  std::string message;
  if (!ReadEditedStream(editor, first, last, message)) {
    if (!message.empty()) platform::Tell(message + "\nThis needs to be fixed before the file can be used in a run.");
    return;
  }
  wxsFile = editor.model.path;
  wxsBox->ChangeValue(Shortened(wxsFile, wxsBox));
  firstRecord = first;
  lastRecord = last;
  SetConditioningRange();
  if (editor.model.condStart.IsValid()) conditioningStart = editor.model.condStart;
  SyncConditioningStart(false);
  grid.SetRowCount(0);
  for (const weather::WxBurnPeriod& p : editor.GetBurnPeriods())
    AddBurnPeriodRow({p.month, p.day, p.startHour, p.endHour}, -1);
  RenumberRows();
  MarkChanged();
}

void CEmbrithWxBpPage::OnEditWxs() {
  SyncConditioningStart(true);
  weather::ui::CWXSEditDialog editor(this, true);
  editor.model.path = wxsFile;
  editor.model.condStart = conditioningStart;
  std::vector<weather::WxBurnPeriod> periods;
  for (const BurnPeriod& b : grid.Periods()) periods.push_back({b.month, b.day, b.startHour, b.endHour});
  editor.SetBurnPeriods(periods);
  if (editor.ShowModal() == wxID_OK && !editor.model.path.empty()) TakeEditedStream(editor);
  EnableBurnControls();
  UpdateRangeText();
}

void CEmbrithWxBpPage::OnCreateWxs() {
  weather::ui::CRecordDateDlg ask(this);
  if (ask.ShowModal() != wxID_OK) return;
  weather::ui::CWXSEditDialog editor(this, true);
  editor.model.stream = std::make_unique<CWxStream>();
  std::string message;
  weather::AppendBlankRecords(*editor.model.stream, ask.start, ask.count, message);
  if (editor.ShowModal() == wxID_OK && !editor.model.path.empty()) TakeEditedStream(editor);
  EnableBurnControls();
  UpdateRangeText();
}

// ==== Model Settings ===========================================================================

namespace {

struct ModelField {
  int edit, spin;
  const char* label;
  const char* name;  // as the status line names it
};

constexpr ModelField kFields[CEmbrithPage::kFieldCount] = {
    {1368, 1369, "Perimeter Resolution (m):", "Perimeter Resolution"},
    {1234, 1235, "Distance Resolution (m):", "Distance Resolution"},
    {1236, 1237, "Time Step (min):", "Time Step"},
    {1244, 1245, "Minimum Spot Distance (m):", "Minimum Spot Distance"},
    {1248, 1249, "Background Spotting Grid Resolution:", "Background Spotting Grid Resolution"},
    {1238, 1239, "Ember Spot Probability:", "Ember Spot Probability"},
    {1240, 1241, "Spot Delay (min):", "Spot Delay"},
    {1071, 1074, "Foliar Moisture Content (%):", "Foliar Moisture Content"},
};

}  // namespace

CEmbrithPage::CEmbrithPage(wxWindow* parent, CEmbrithRunSheet* s, CRun* r) : wxPanel(parent, 282), run(r), sheet(s) {
  Bind(wxEVT_HELP, [](wxHelpEvent&) { GetApp().ShowHelpTopic(17); });
}

CEmbrithPage::~CEmbrithPage() = default;

void CEmbrithPage::FieldRange(int field, double& lo, double& hi) const {
  const double x = cellWidth;
  const int tenth = static_cast<int>(0.1 * x), ten = static_cast<int>(10 * x);
  switch (field) {
    case kPerimeterRes:
    case kDistanceRes: lo = tenth, hi = 10000; break;
    case kTimeStep: lo = 5, hi = 120; break;
    case kMinSpotDistance: lo = 0, hi = ten; break;
    case kSpotGridRes: lo = tenth, hi = ten; break;
    case kSpotProbability: lo = 0, hi = 1; break;
    case kSpotDelay: lo = 0, hi = 120; break;
    default: lo = 20, hi = 200; break;
  }
}

void CEmbrithPage::Build() {
  if (run->document && run->document->IsLandscapeLoaded()) {
    double h = 0;
    run->document->GetCellSize(&cellWidth, &h);
    if (!(cellWidth > 0)) cellWidth = 1.0;
  }
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  auto* left = new wxBoxSizer(wxVERTICAL);
  auto* files = new wxFlexGridSizer(2, 4, 6);
  files->AddGrowableCol(1);
  ignitionButton = new wxButton(this, 1480, "Ignitions File");
  ignitionBox = FileBox(this, 1243);
  barrierButton = new wxButton(this, 1481, "Barriers File");
  barrierBox = FileBox(this, 1246);
  rosButton = new wxButton(this, 1482, "ROS Adjust File");
  rosBox = FileBox(this, 1252);
  for (auto [b, box] : {std::pair{ignitionButton, ignitionBox}, {barrierButton, barrierBox}, {rosButton, rosBox}}) {
    files->Add(b);
    files->Add(box, 1, wxEXPAND);
  }
  left->Add(files, 0, wxEXPAND | wxALL, 6);
  fillBarriers = new wxCheckBox(this, 1337, "Fill Barriers");
  acceleration = new wxCheckBox(this, 1364, "Use Acceleration");
  left->Add(fillBarriers, 0, wxALL, 4);
  left->Add(acceleration, 0, wxALL, 4);
  auto* grid = new wxFlexGridSizer(3, 4, 6);
  for (int f = 0; f < kFoliarMoisture; ++f) {
    edits[f] = new wxTextCtrl(this, kFields[f].edit, "", wxDefaultPosition, wxSize(90, -1));
    double lo = 0, hi = 0;
    FieldRange(f, lo, hi);
    if (f == kSpotProbability) {
      spins[f] = new wxSpinButton(this, kFields[f].spin, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
      probability_ = std::make_unique<widgets::CNumSpinCtrl>();
      probability_->Attach(spins[f]);
      probability_->SetBuddy(edits[f]);
      probability_->SetDecimalPlaces(3);
      probability_->SetStepNotifiesBuddy(true);
      probability_->SetFormatString("%.3f");  // trailing zeros kept: "0.000", not "0"
      probability_->SetRangeAndStep(0, 1, 0.001);
    } else {
      spins[f] = NumberSpin(this, kFields[f].spin, edits[f], static_cast<int>(lo), static_cast<int>(hi));
    }
    grid->Add(new wxStaticText(this, wxID_ANY, kFields[f].label), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(edits[f]);
    grid->Add(spins[f]);
  }
  left->Add(grid, 0, wxALL, 6);
  top->Add(left, 1, wxEXPAND);
  auto* canopy = new wxStaticBoxSizer(wxVERTICAL, this, "Canopy Characteristics");
  wxWindow* cb = canopy->GetStaticBox();
  edits[kFoliarMoisture] = new wxTextCtrl(cb, kFields[kFoliarMoisture].edit, "", wxDefaultPosition, wxSize(90, -1));
  spins[kFoliarMoisture] = NumberSpin(cb, kFields[kFoliarMoisture].spin, edits[kFoliarMoisture], 20, 200);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(cb, wxID_ANY, kFields[kFoliarMoisture].label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(edits[kFoliarMoisture]);
  row->Add(spins[kFoliarMoisture]);
  canopy->Add(row, 0, wxALL, 4);
  canopy->Add(new wxStaticText(cb, wxID_ANY, "Crown Fire Calculation Method:"), 0, wxALL, 4);
  crownCombo = new wxChoice(cb, 1380);
  crownCombo->Append("Hallett(2004)");
  crownCombo->Append("Marlow/Brenner(2001)");
  canopy->Add(crownCombo, 0, wxALL, 4);
  top->Add(canopy, 0, wxALL, 6);
  SetSizer(top);
  Layout();

  for (wxTextCtrl* e : edits) e->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { MarkChanged(); });
  for (wxCheckBox* c : {fillBarriers, acceleration}) c->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { MarkChanged(); });
  crownCombo->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { MarkChanged(); });
  for (wxButton* b : {ignitionButton, barrierButton, rosButton})
    b->Bind(wxEVT_BUTTON, [this, b](wxCommandEvent&) {
      std::unique_ptr<wxMenu> menu(BuildMenu(b->GetId()));
      if (int id = ChooseMenuCommand(b, *menu, menuChooser)) RunMenuCommand(id);
    });
}

void CEmbrithPage::OnSetActive() {
  if (!created_) {
    Build();
    created_ = true;
    LoadFromRun();
    changed = false;
  }
}

void CEmbrithPage::LoadFromRun() {
  loading_ = true;
  const CRunEmbrithSettings& e = run->embrith;
  const double values[kFieldCount] = {e.perimeterResolution, e.distanceResolution, e.timeStep,
                                      e.minimumSpotDistance, e.spotGridResolution, e.spotProbability,
                                      static_cast<double>(e.spotIgnitionDelay), run->inputs.foliarMoistureContent};
  for (int f = 0; f < kFieldCount; ++f) {
    if (f == kSpotProbability) {
      probability_->SetValue(values[f]);
    } else {
      edits[f]->ChangeValue(wxString::Format("%ld", static_cast<long>(values[f])));
      spins[f]->SetValue(static_cast<int>(values[f]));
    }
  }
  fillBarriers->SetValue(e.fillBarriers != 0);
  acceleration->SetValue(e.accelerationOn != 0);
  const int method = run->outputs.crownFireMethod;
  crownCombo->SetSelection(method == 0 || method == 1 ? method : wxNOT_FOUND);
  ignitionFile = e.ignitionFile;
  barrierFile = e.barrierFile;
  rosAdjustFile = e.rosAdjustFile;
  ShowFiles();
  loading_ = false;
}

void CEmbrithPage::ShowFiles() {
  ignitionBox->ChangeValue(Shortened(ignitionFile, ignitionBox));
  barrierBox->ChangeValue(Shortened(barrierFile, barrierBox));
  rosBox->ChangeValue(wxString::FromUTF8(rosAdjustFile));
}

std::optional<FieldProblem> CEmbrithPage::CheckFields() const {
  if (!created_) return std::nullopt;
  for (int f = 0; f < kFieldCount; ++f) {
    double lo = 0, hi = 0;
    FieldRange(f, lo, hi);
    // A resolution or step of 0 would never advance.
    if (f == kPerimeterRes || f == kDistanceRes || f == kSpotGridRes) lo = std::max(lo, 1.0);
    std::optional<std::string> m = f == kSpotProbability || f == kFoliarMoisture
                                       ? NumberProblem(edits[f], lo, hi)
                                       : IntegerProblem(edits[f], static_cast<int>(lo), static_cast<int>(hi));
    if (m) return FieldProblem{edits[f], kFields[f].name, *m};
  }
  return std::nullopt;
}

void CEmbrithPage::ApplyToRun() {
  if (!created_ || CheckFields()) return;
  CRunEmbrithSettings& e = run->embrith;
  double v[kFieldCount] = {};
  for (int f = 0; f < kFieldCount; ++f) v[f] = platform::ParseDouble(edits[f]->GetValue().utf8_string()).value_or(0);
  e.perimeterResolution = v[kPerimeterRes];
  e.distanceResolution = v[kDistanceRes];
  e.timeStep = v[kTimeStep];
  e.minimumSpotDistance = v[kMinSpotDistance];
  e.spotGridResolution = v[kSpotGridRes];
  e.spotProbability = v[kSpotProbability];
  e.spotIgnitionDelay = static_cast<int>(v[kSpotDelay]);
  run->inputs.foliarMoistureContent = v[kFoliarMoisture];
  e.fillBarriers = fillBarriers->GetValue() ? 1 : 0;
  e.accelerationOn = acceleration->GetValue() ? 1 : 0;
  run->outputs.crownFireMethod = crownCombo->GetSelection();
  e.ignitionFile = ignitionFile;
  e.barrierFile = barrierFile;
  e.rosAdjustFile = rosAdjustFile;
  changed = false;
}

bool CEmbrithPage::IsReady() const {
  if (!created_) return run->embrith.IsReady();
  return crownCombo->GetSelection() != wxNOT_FOUND && run->embrithIgnitions && !ignitionFile.empty();
}

void CEmbrithPage::MarkChanged() {
  if (loading_) return;
  changed = true;
  if (sheet) sheet->PageEdited(this);
}

wxMenu* CEmbrithPage::BuildMenu(int buttonId) {
  auto* menu = new wxMenu;
  switch (buttonId) {
    case 1480: AppendIgnitionItems(*menu, *run, !ignitionFile.empty()); break;
    case 1481: AppendBarrierItems(*menu, !barrierFile.empty()); break;
    case 1482:
      menu->Append(MenuId(kOpenRosAdjust), "&Open ROS Adjust File...");
      menu->Append(MenuId(kEditRosAdjust), "&Edit ROS Adjust File")->Enable(!rosAdjustFile.empty());
      menu->Append(MenuId(kClearRosAdjust), "&Clear ROS Adjust File")->Enable(!rosAdjustFile.empty());
      break;
    default: break;
  }
  return menu;
}

void CEmbrithPage::RunMenuCommand(int id) {
  switch (id) {
    case kOpenIgnitions: OnOpenIgnitions(); break;
    case kLoadCurrentShape: OnLoadCurrentShape(); break;
    case kClearIgnitions: ClearShapefile(false); break;
    case kOpenBarriers: OnOpenBarriers(); break;
    case kClearBarriers: ClearShapefile(true); break;
    case kOpenRosAdjust: OnOpenRosAdjust(); break;
    case kEditRosAdjust: OnEditRosAdjust(); break;
    case kClearRosAdjust: OnClearRosAdjust(); break;
    default: break;
  }
}

void CEmbrithPage::OpenShapefile(bool barriers) {
  auto chosen = ChooseShapefile();
  if (!chosen) return;
  std::string& file = barriers ? barrierFile : ignitionFile;
  file = *chosen;
  if (!TakeRunShapefile(*run, barriers ? run->embrithBarriers : run->embrithIgnitions, file, true,
                        barriers ? "Embrith Barriers" : "Embrith Ignitions",
                        NoOverlapText(barriers)))
    file.clear();
  ShowFiles();
  if (run->document) run->document->UpdateAllViews();
  MarkChanged();
}

void CEmbrithPage::OnOpenIgnitions() { OpenShapefile(false); }

void CEmbrithPage::OnLoadCurrentShape() {
  CPVN4Doc* doc = run->document;
  if (!run->host) return;
  const std::string path = DrawnShapesFile(doc);
  if (path.empty()) return;
  auto theme = std::make_unique<CVectorTheme>();
  if (!theme->LoadShapefile(path, doc->landscape.projection)) return;
  DropRunVectorTheme(*run, run->embrithIgnitions);
  ignitionFile = path;
  theme->name = "Embrith Ignitions";
  run->embrithIgnitions = run->host->AdoptVectorTheme(std::move(theme));
  ShowFiles();
  doc->UpdateAllViews();
  MarkChanged();
}

void CEmbrithPage::OnOpenBarriers() { OpenShapefile(true); }

void CEmbrithPage::ClearShapefile(bool barriers) {
  ClearRunShapefile(*run, barriers ? run->embrithBarriers : run->embrithIgnitions,
                    barriers ? barrierFile : ignitionFile, barriers, [this] { ShowFiles(); },
                    [this] { MarkChanged(); });
}

void CEmbrithPage::OnOpenRosAdjust() {
  platform::FileDialogOptions options;
  options.filter = "Rate Of Spread Adjustment Files (*.adj)|*.adj|All Files (*.*)|*.*||";
  const auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (!chosen) return;
  rosAdjustFile = *chosen;
  ShowFiles();
  OnEditRosAdjust();
  MarkChanged();
}

void CEmbrithPage::OnEditRosAdjust() {
  CEditorDialog editor(this);
  editor.kind = runs::kEditAdj;
  editor.path = rosAdjustFile;
  editor.ShowModal();
  if (!editor.path.empty() && editor.verdict) {
    rosAdjustFile = editor.path;
    ShowFiles();
    MarkChanged();
  }
}

void CEmbrithPage::OnClearRosAdjust() {
  rosAdjustFile.clear();
  ShowFiles();
  MarkChanged();
}

// ==== Outputs ==================================================================================

CEmbrithOutputsPage::CEmbrithOutputsPage(wxWindow* parent, CEmbrithRunSheet* s, CRun* r)
    : wxPanel(parent, 289), run(r), sheet(s) {
  Bind(wxEVT_HELP, [](wxHelpEvent&) { GetApp().ShowHelpTopic(16); });
}

void CEmbrithOutputsPage::Build() {
  auto* top = new wxStaticBoxSizer(wxVERTICAL, this, "Outputs");
  wxWindow* ob = top->GetStaticBox();
  auto* grid = new wxFlexGridSizer(2, 4, 12);
  for (int i = 0; i < 14; ++i) {
    boxes[i] = new wxCheckBox(ob, runs::kEmbrithOutputs[i].id, runs::kEmbrithOutputs[i].label);
    boxes[i]->SetValue(run->embrith.*(runs::kEmbrithOutputs[i].flag) != 0);
    grid->Add(boxes[i]);
  }
  top->Add(grid, 0, wxALL, 6);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* all = new wxButton(ob, 1262, "Select All");
  auto* none = new wxButton(ob, 1061, "Remove All");
  buttons->Add(all, 0, wxRIGHT, 6);
  buttons->Add(none);
  top->Add(buttons, 0, wxALL, 6);
  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->Add(top, 0, wxEXPAND | wxALL, 6);
  SetSizer(outer);
  Layout();
  constexpr int kSpreadVectors = 12, kWindVectors = 13;
  for (int i = 0; i < 14; ++i)
    boxes[i]->Bind(wxEVT_CHECKBOX, [this, i](wxCommandEvent&) {
      // The arrows are drawn from their companions: ticking them ticks those too.
      if (i == kSpreadVectors && boxes[i]->GetValue()) boxes[7]->SetValue(true), boxes[1]->SetValue(true);
      if (i == kWindVectors && boxes[i]->GetValue()) boxes[0]->SetValue(true);
      MarkChanged();
    });
  all->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSelectAll(); });
  none->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRemoveAll(); });
}

void CEmbrithOutputsPage::OnSetActive() {
  if (!created_) {
    Build();
    created_ = true;
  }
}

CRunEmbrithSettings CEmbrithOutputsPage::Selection() const {
  CRunEmbrithSettings s = run->embrith;
  if (created_)
    for (int i = 0; i < 14; ++i) s.*(runs::kEmbrithOutputs[i].flag) = boxes[i]->GetValue() ? 1 : 0;
  return s;
}

void CEmbrithOutputsPage::ApplyToRun() {
  if (!created_) return;
  for (int i = 0; i < 14; ++i) run->embrith.*(runs::kEmbrithOutputs[i].flag) = boxes[i]->GetValue() ? 1 : 0;
  changed = false;
}

bool CEmbrithOutputsPage::IsReady() const {
  return runs::EmbrithOutputsReady(Selection(), run->embrithIgnitions != nullptr);
}

void CEmbrithOutputsPage::MarkChanged() {
  changed = true;
  if (sheet) sheet->PageEdited(this);
}

void CEmbrithOutputsPage::OnSelectAll() {
  for (wxCheckBox* b : boxes) b->SetValue(true);
  MarkChanged();
}

void CEmbrithOutputsPage::OnRemoveAll() {
  for (wxCheckBox* b : boxes) b->SetValue(false);
  MarkChanged();
}

}  // namespace runs::ui
