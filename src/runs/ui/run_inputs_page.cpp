#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
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

#include <gdal_priv.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>

#include "app/application.h"
#include "engines/pyrvane.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run_exec_editor_checks.h"
#include "runs/ui/date_pickers.h"
#include "runs/ui/editor_dialog.h"
#include "runs/ui/gustforge_dialog.h"
#include "runs/ui/input_file_actions.h"
#include "runs/ui/fuel_moistures_dialog.h"
#include "runs/ui/page_menus.h"
#include "runs/ui/run_sheet.h"
#include "weather/ui/wxs_edit_dialog.h"
#include "weather/wx_records.h"
#include "weather/wx_stream.h"

namespace runs::ui {

namespace {

using platform::OleDateTime;

constexpr int kWindTypeOfRadio[5] = {0, 1, 3, 4, 2};  // radio order on the page

platform::OleDateTime CurrentHourOn(int year, int month, int day) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return OleDateTime(year, month, day, local.tm_hour, 0, 0);
}

wxDateTime ToWx(const OleDateTime& t) {
  if (!t.IsValid()) return wxDefaultDateTime;
  return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(t.GetDay()),
                    static_cast<wxDateTime::Month>(t.GetMonth() - 1), t.GetYear());
}

}  // namespace

CRunInputsPage::CRunInputsPage(wxWindow* parent, CRunSheet* s, CRun* r)
    : wxPanel(parent, 107), CFuelFileCommands(this, r), run(r), sheet(s) {
  // Both at the current hour until loaded.
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  conditioningStart = conditioningEnd =
      OleDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, 0, 0);
  Build();
  loading_ = true;
  LoadFromRun();
  if (!wxsFile.empty()) {
    CWxStream stream;
    std::string message;
    OleDateTime first, last;
    if (stream.Read(wxsFile) > 0 && stream.Validate(first, last, message)) {
      firstRecord = first;
      lastRecord = last;
    }
  }
  customFuels->SetValue(useCustomFuels != 0);
  fmdButton->Enable(useCustomFuels != 0);
  SetWindControls();
  SetMoistureControls();
  RefreshControls();
  // Only loading writes the number boxes: later refreshes leave what the user typed, which
  // is taken or refused when the page is applied.
  speedEdit->ChangeValue(wxString::Format("%d", windSpeed));
  azimuthEdit->ChangeValue(wxString::Format("%d", azimuth));
  foliarEdit->ChangeValue(wxString::FromUTF8(platform::FormatC("%g", foliarMoisture)));
  ClampConditioningStart();
  ClampConditioningEnd();
  ExchangeConditioningPeriod(false);
  loading_ = false;
  changed = false;
}

void CRunInputsPage::Build() {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto row = [&](std::initializer_list<std::pair<wxWindow*, int>> items) {
    auto* r = new wxBoxSizer(wxHORIZONTAL);
    for (auto [w, prop] : items) r->Add(w, prop, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    top->Add(r, 0, wxEXPAND | wxALL, 3);
  };
  auto box = [&](int id) {
    return new wxTextCtrl(this, id, "", wxDefaultPosition, wxSize(260, -1), wxTE_READONLY);
  };
  nameEdit = new wxTextCtrl(this, 1055, "");
  row({{new wxStaticText(this, wxID_ANY, "Run Name:"), 0}, {nameEdit, 1}});
  fmsButton = new wxButton(this, 1477, "Fuel Moisture File");
  fmsBox = box(1056);
  row({{fmsButton, 0}, {fmsBox, 1}});
  customFuels = new wxCheckBox(this, 1045, "Use Custom Fuels (*.fmd)");
  fmdButton = new wxButton(this, 1478, "Fuel Model File");
  fmdBox = box(1027);
  row({{customFuels, 0}, {fmdButton, 0}, {fmdBox, 1}});

  auto* winds = new wxStaticBoxSizer(wxVERTICAL, this, "Winds");
  const char* radioText[5] = {"Wind Direction", "Wind Blowing Uphill", "Wind Blowing Downhill",
                              "Generate Gridded Wind", "Gridded Wind Files"};
  const int radioId[5] = {1058, 1057, 1333, 1334, 1029};
  auto* radios = new wxBoxSizer(wxHORIZONTAL);
  for (int i = 0; i < 5; ++i) {
    auto* rb = new wxRadioButton(winds->GetStaticBox(), radioId[i], radioText[i], wxDefaultPosition,
                                 wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
    windRadios[kWindTypeOfRadio[i]] = rb;
    radios->Add(rb, 0, wxRIGHT, 8);
    const int type = kWindTypeOfRadio[i];
    rb->Bind(wxEVT_RADIOBUTTON, [this, type](wxCommandEvent&) {
      windType = type;
      SetWindControls();
      MarkChanged();
    });
  }
  winds->Add(radios, 0, wxALL, 3);
  auto* speeds = new wxBoxSizer(wxHORIZONTAL);
  wxWindow* windBox = winds->GetStaticBox();
  speedEdit = new wxTextCtrl(windBox, 1031, "0", wxDefaultPosition, wxSize(60, -1));
  speedSpin = NumberSpin(windBox, 1059, speedEdit, 0, 180);
  azimuthEdit = new wxTextCtrl(windBox, 1033, "0", wxDefaultPosition, wxSize(60, -1));
  azimuthSpin = NumberSpin(windBox, 1034, azimuthEdit, 0, 359);
  azimuthLabel = new wxStaticText(windBox, 1358, "Azimuth (Degrees):");
  unitsCombo = new wxChoice(windBox, 1505);
  for (int u = 0; u < 4; ++u) unitsCombo->Append(wxString::FromUTF8(GetWindSpeedUnitsName(u)));
  speeds->Add(new wxStaticText(windBox, wxID_ANY, "Wind Speed:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  speeds->Add(speedEdit, 0, wxALIGN_CENTER_VERTICAL);
  speeds->Add(speedSpin, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
  speeds->Add(azimuthLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  speeds->Add(azimuthEdit, 0, wxALIGN_CENTER_VERTICAL);
  speeds->Add(azimuthSpin, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
  speeds->Add(new wxStaticText(windBox, wxID_ANY, "Wind Speed Units:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  speeds->Add(unitsCombo, 0, wxALIGN_CENTER_VERTICAL);
  winds->Add(speeds, 0, wxALL, 3);
  auto* grids = new wxBoxSizer(wxHORIZONTAL);
  gustforge = new wxButton(winds->GetStaticBox(), 1341, "Gustforge Options");
  directionButton = new wxButton(winds->GetStaticBox(), 1483, "Direction File");
  directionBox = new wxTextCtrl(winds->GetStaticBox(), 1060, "", wxDefaultPosition, wxSize(150, -1), wxTE_READONLY);
  speedButton = new wxButton(winds->GetStaticBox(), 1484, "Speed File");
  speedBox = new wxTextCtrl(winds->GetStaticBox(), 1047, "", wxDefaultPosition, wxSize(150, -1), wxTE_READONLY);
  for (wxWindow* w : std::initializer_list<wxWindow*>{gustforge, directionButton, directionBox, speedButton, speedBox})
    grids->Add(w, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, 4);
  winds->Add(grids, 0, wxALL, 3);
  top->Add(winds, 0, wxEXPAND | wxALL, 3);

  auto* canopy = new wxStaticBoxSizer(wxHORIZONTAL, this, "Canopy Characteristics");
  foliarEdit = new wxTextCtrl(canopy->GetStaticBox(), 1071, "100", wxDefaultPosition, wxSize(70, -1));
  foliarSpin = NumberSpin(canopy->GetStaticBox(), 1074, foliarEdit, 20, 200);
  crownCombo = new wxChoice(canopy->GetStaticBox(), 1380);
  crownCombo->Append("Hallett(2004)");
  crownCombo->Append("Marlow/Brenner(2001)");
  canopy->Add(new wxStaticText(canopy->GetStaticBox(), wxID_ANY, "Foliar Moisture Content (%):"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  canopy->Add(foliarEdit, 0, wxALIGN_CENTER_VERTICAL);
  canopy->Add(foliarSpin, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  canopy->Add(new wxStaticText(canopy->GetStaticBox(), wxID_ANY, "Crown Fire Calculation Method:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  canopy->Add(crownCombo, 0);
  top->Add(canopy, 0, wxEXPAND | wxALL, 3);

  auto* moisture = new wxStaticBoxSizer(wxVERTICAL, this, "Fuel Moisture Settings");
  fixedRadio = new wxRadioButton(moisture->GetStaticBox(), 1035, "Use Fixed Fuel Moistures from Fuel Moisture File",
                                 wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  streamRadio = new wxRadioButton(moisture->GetStaticBox(), 1048, "Use Weather Stream");
  wxsButton = new wxButton(moisture->GetStaticBox(), 1476, "WXS File");
  wxsBox = new wxTextCtrl(moisture->GetStaticBox(), 1049, "", wxDefaultPosition, wxSize(200, -1), wxTE_READONLY);
  moisture->Add(fixedRadio, 0, wxALL, 2);
  auto* stream = new wxBoxSizer(wxHORIZONTAL);
  stream->Add(streamRadio, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  stream->Add(wxsButton, 0, wxRIGHT, 4);
  stream->Add(wxsBox, 1);
  moisture->Add(stream, 0, wxEXPAND | wxALL, 2);
  auto* period = new wxFlexGridSizer(3, 4, 4);
  startDay = new wxDatePickerCtrl(moisture->GetStaticBox(), 1038, wxDefaultDateTime, wxDefaultPosition, wxDefaultSize, wxDP_DROPDOWN);
  endDay = new wxDatePickerCtrl(moisture->GetStaticBox(), 1040, wxDefaultDateTime, wxDefaultPosition, wxDefaultSize, wxDP_DROPDOWN);
  startTime = new wxTimePickerCtrl(moisture->GetStaticBox(), 1039);
  endTime = new wxTimePickerCtrl(moisture->GetStaticBox(), 1041);
  period->Add(new wxStaticText(moisture->GetStaticBox(), wxID_ANY, ""));
  period->Add(new wxStaticText(moisture->GetStaticBox(), wxID_ANY, "Day"));
  period->Add(new wxStaticText(moisture->GetStaticBox(), wxID_ANY, "Time"));
  period->Add(new wxStaticText(moisture->GetStaticBox(), wxID_ANY, "Start"));
  period->Add(startDay);
  period->Add(startTime);
  period->Add(new wxStaticText(moisture->GetStaticBox(), wxID_ANY, "End"));
  period->Add(endDay);
  period->Add(endTime);
  moisture->Add(new wxStaticText(moisture->GetStaticBox(), wxID_ANY, "Fuel Moisture Conditioning Period"), 0, wxALL, 2);
  moisture->Add(period, 0, wxALL, 2);
  top->Add(moisture, 0, wxEXPAND | wxALL, 3);
  SetSizer(top);

  // Every edit marks the page changed.
  auto changedOn = [this](wxEvent&) {
    if (!loading_) MarkChanged();
  };
  nameEdit->Bind(wxEVT_TEXT, changedOn);
  foliarEdit->Bind(wxEVT_TEXT, changedOn);
  speedEdit->Bind(wxEVT_TEXT, changedOn);
  azimuthEdit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
    if (loading_) return;
    // The travel-time and treatment copies follow the azimuth of a constant wind.
    const auto az = platform::ParseInt(azimuthEdit->GetValue().utf8_string());
    if (az && *az >= 0 && *az <= 359 && run->inputs.windType == 0)
      run->mtt.windAzimuthCopy = run->tom.windAzimuthCopy = static_cast<double>(*az);
    MarkChanged();
  });
  crownCombo->Bind(wxEVT_CHOICE, changedOn);
  unitsCombo->Bind(wxEVT_CHOICE, changedOn);
  for (wxWindow* p : std::initializer_list<wxWindow*>{startDay, endDay})
    p->Bind(wxEVT_DATE_CHANGED, changedOn);
  for (wxWindow* p : std::initializer_list<wxWindow*>{startTime, endTime})
    p->Bind(wxEVT_TIME_CHANGED, changedOn);
  customFuels->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
    useCustomFuels = customFuels->GetValue() ? 1 : 0;
    fmdButton->Enable(useCustomFuels != 0);
    MarkChanged();
  });
  fixedRadio->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
    fixedFuelMoistures = 1;
    useWeatherStream = 0;
    SetMoistureControls();
    MarkChanged();
  });
  streamRadio->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
    if (fixedFuelMoistures != 1) return;
    fixedFuelMoistures = 0;
    useWeatherStream = 1;
    SetMoistureControls();
    MarkChanged();
  });
  for (wxButton* b : {fmsButton, fmdButton, wxsButton, directionButton, speedButton})
    b->Bind(wxEVT_BUTTON, [this, b](wxCommandEvent&) { DropMenu(b); });
  gustforge->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnGustforgeOptions(); });
  Bind(wxEVT_HELP, [](wxHelpEvent&) { GetApp().ShowHelpTopic(50); });
}

void CRunInputsPage::OnGustforgeOptions() {
  CGustforgeDialog dialog(nullptr, run);
  if (dialog.ShowModal() == wxID_OK) MarkChanged();
}

wxMenu* CRunInputsPage::BuildMenu(int buttonId) {
  auto* menu = new wxMenu;
  if (AppendFuelFileItems(*menu, buttonId)) return menu;
  switch (buttonId) {
    case 1476:
      menu->Append(MenuId(kOpenWxs), "&Open WXS File...");
      menu->Append(MenuId(kEditWxs), "&Edit WXS File")->Enable(!wxsFile.empty());
      menu->Append(MenuId(kCreateWxs), "&Create WXS File...");
      break;
    case 1483: menu->Append(MenuId(kOpenDirection), "&Open Wind Direction File..."); break;
    case 1484: menu->Append(MenuId(kOpenSpeed), "&Open Wind Speed File..."); break;
    default: break;
  }
  return menu;
}

void CRunInputsPage::DropMenu(wxButton* button) {
  std::unique_ptr<wxMenu> menu(BuildMenu(button->GetId()));
  if (int id = ChooseMenuCommand(button, *menu, menuChooser)) RunMenuCommand(id);
}

void CRunInputsPage::RunMenuCommand(int id) {
  switch (id) {
    case kOpenFms: OnOpenFms(); break;
    case kEditFms: OnEditFms(); break;
    case kCreateFms: OnCreateFmsFromLandscape(); break;
    case kOpenFmd: OnOpenFmd(); break;
    case kEditFmd: OnEditFmd(); break;
    case kOpenWxs: OnOpenWxs(); break;
    case kEditWxs: OnEditWxs(); break;
    case kCreateWxs: OnCreateWxs(); break;
    case kOpenDirection: OnOpenDirectionGrid(); break;
    case kOpenSpeed: OnOpenSpeedGrid(); break;
    default: break;
  }
}

void CRunInputsPage::LoadFromRun() {
  const CRunInputs& in = run->inputs;
  runName = run->name;
  fmdFile = in.customFuelsFile;
  fmsFile = in.fuelMoistureFile;
  speedFile = in.griddedWindSpeedFile;
  directionFile = in.griddedWindDirectionFile;
  foliarMoisture = in.foliarMoistureContent;
  conditioningEnd = in.conditioningEnd;
  conditioningStart = in.conditioningStart;
  azimuth = in.windDirection;
  windSpeed = in.windSpeed;
  wxsFile = in.weatherStreamFile;
  windType = in.windType;
  useCustomFuels = in.useCustomFuelModels ? 1 : 0;
  fixedFuelMoistures = in.noConditioning ? 1 : 0;
  useWeatherStream = in.useWeatherStream ? 1 : 0;
  if (run->area && (!run->area->surfaceFuelsValid || !run->area->groundFuelsValid)) {
    run->inputs.noConditioning = true;
    run->inputs.useWeatherStream = false;
    fixedFuelMoistures = 1;
    useWeatherStream = 0;
  }
  const int method = run->outputs.crownFireMethod;
  crownCombo->SetSelection(method == 0 || method == 1 ? method : wxNOT_FOUND);
  const int units = in.windSpeedUnits;
  unitsCombo->SetSelection(units >= 0 && units < 4 ? units : wxNOT_FOUND);
  ExchangeConditioningPeriod(false);
}

void CRunInputsPage::RefreshControls() {
  const bool was = loading_;
  loading_ = true;
  nameEdit->ChangeValue(wxString::FromUTF8(runName));
  customFuels->SetValue(useCustomFuels != 0);
  ShowFiles();
  loading_ = was;
}

void CRunInputsPage::ShowFiles() {
  fmsBox->ChangeValue(Shortened(fmsFile, fmsBox));
  fmdBox->ChangeValue(Shortened(fmdFile, fmdBox));
  directionBox->ChangeValue(Shortened(directionFile, directionBox));
  speedBox->ChangeValue(Shortened(speedFile, speedBox));
  wxsBox->ChangeValue(Shortened(wxsFile, wxsBox));
}

std::optional<FieldProblem> CRunInputsPage::CheckFields() const {
  // A box the current winds leave disabled keeps the value last taken.
  if (speedEdit->IsEnabled())
    if (auto m = IntegerProblem(speedEdit, 0, 180)) return FieldProblem{speedEdit, "Wind Speed", *m};
  if (azimuthEdit->IsEnabled())
    if (auto m = IntegerProblem(azimuthEdit, 0, 359)) return FieldProblem{azimuthEdit, "Azimuth", *m};
  if (unitsCombo->GetSelection() == wxNOT_FOUND)
    return FieldProblem{unitsCombo, "Wind Speed Units", "Please choose the wind speed units."};
  const auto foliar = platform::ParseDouble(foliarEdit->GetValue().utf8_string());
  if (!foliar) return FieldProblem{foliarEdit, "Foliar Moisture Content", "Please enter a number."};
  if (*foliar < 20 || *foliar > 200)
    return FieldProblem{foliarEdit, "Foliar Moisture Content", "Please enter a number between 20 and 200."};
  return std::nullopt;
}

bool CRunInputsPage::Exchange(bool report) {
  runName = nameEdit->GetValue().utf8_string();
  if (auto problem = CheckFields()) {
    if (report) TellProblem(*problem);
    return false;
  }
  if (speedEdit->IsEnabled()) windSpeed = static_cast<int>(*platform::ParseInt(speedEdit->GetValue().utf8_string()));
  if (azimuthEdit->IsEnabled()) azimuth = static_cast<int>(*platform::ParseInt(azimuthEdit->GetValue().utf8_string()));
  foliarMoisture = *platform::ParseDouble(foliarEdit->GetValue().utf8_string());
  useCustomFuels = customFuels->GetValue() ? 1 : 0;
  return true;
}

void CRunInputsPage::ApplyToRun() {
  ExchangeConditioningPeriod(true);
  CRunInputs& in = run->inputs;
  run->name = runName;
  in.customFuelsFile = fmdFile;
  in.fuelMoistureFile = fmsFile;
  in.griddedWindSpeedFile = speedFile;
  in.griddedWindDirectionFile = directionFile;
  in.weatherStreamFile = wxsFile;
  in.conditioningEnd = conditioningEnd;
  in.conditioningStart = conditioningStart;
  in.windDirection = azimuth;
  in.windSpeed = windSpeed;
  in.windType = windType;
  // The page is applied only once its units are chosen.
  if (unitsCombo->GetSelection() != wxNOT_FOUND) in.windSpeedUnits = unitsCombo->GetSelection();
  in.noConditioning = fixedFuelMoistures != 0;
  in.useWeatherStream = useWeatherStream != 0;
  in.useCustomFuelModels = useCustomFuels != 0;
  in.foliarMoistureContent = foliarMoisture;
  run->outputs.crownFireMethod = crownCombo->GetSelection();
  if (changed) {
    run->fireBehaviorUpToDate = run->mttUpToDate = false;
    run->tomUpToDate1 = run->tomUpToDate2 = false;
  }
  changed = false;
}

runs::InputsState CRunInputsPage::State() const {
  runs::InputsState s;
  s.fmsFile = fmsFile;
  s.fmdFile = fmdFile;
  s.directionFile = directionFile;
  s.speedFile = speedFile;
  s.wxsFile = wxsFile;
  s.areaNeedsCustomFuels = run->area && run->area->customFuels;
  s.useCustomFuels = customFuels->GetValue();
  s.crownFireMethod = crownCombo->GetSelection();
  s.windType = windType;
  s.fixedFuelMoistures = fixedFuelMoistures != 0;
  s.useWeatherStream = useWeatherStream != 0;
  s.conditioningStart = FromPickers(startDay, startTime);
  s.conditioningEnd = FromPickers(endDay, endTime);
  return s;
}

bool CRunInputsPage::IsReady() { return runs::InputsReady(*run, State()); }

void CRunInputsPage::MarkChanged() {
  changed = true;
  if (sheet) {
    sheet->NoteChange();
    sheet->UpdateStatusBar();
  }
}

void CRunInputsPage::SetWindControls() {
  const int t = windType;
  for (int i = 0; i < 5; ++i) windRadios[i]->SetValue(i == t);
  const bool azimuthOn = t == 0 || t == 1 || t == 3 || t == 4;
  azimuthEdit->Enable(azimuthOn);
  azimuthSpin->Enable(azimuthOn);
  speedEdit->Enable(t != 2);
  speedSpin->Enable(t != 2);
  directionButton->Enable(t == 2);
  speedButton->Enable(t == 2);
  gustforge->Enable(t == 4);
  azimuthLabel->SetLabel(t == 1 || t == 3 ? "Default Wind Azimuth (Degrees):" : "Azimuth (Degrees):");
  Layout();
}

void CRunInputsPage::SetMoistureControls() {
  fixedRadio->SetValue(fixedFuelMoistures != 0);
  if (fixedFuelMoistures) {
    streamRadio->SetValue(false);
    wxsButton->Enable(false);
  }
  const bool conditionable = !run->area || (run->area->surfaceFuelsValid && run->area->groundFuelsValid);
  streamRadio->Enable(conditionable);
  if (fixedFuelMoistures) {
    for (wxWindow* p : std::initializer_list<wxWindow*>{startDay, startTime, endDay, endTime}) p->Enable(false);
  } else if (useWeatherStream) {
    streamRadio->SetValue(true);
    wxsButton->Enable(true);
    SetupConditioningPickers();
  }
}

bool CRunInputsPage::SetupConditioningPickers() {
  wxWindow* pickers[4] = {startDay, startTime, endDay, endTime};
  if (firstRecord.IsValid() && lastRecord.IsValid() && firstRecord.Linear() < lastRecord.Linear()) {
    startDay->SetRange(ToWx(firstRecord), ToWx(lastRecord));
    endDay->SetRange(ToWx(firstRecord), ToWx(lastRecord));
    if (!conditioningStart.IsValid()) conditioningStart = firstRecord;
    ToPickers(lastRecord, endDay, endTime);
    for (wxWindow* p : pickers) p->Enable(!fixedFuelMoistures);
    return true;
  }
  conditioningStart = conditioningEnd = CurrentHourOn(1899, 12, 30);
  ExchangeConditioningPeriod(false);
  for (wxWindow* p : pickers) p->Enable(false);
  return false;
}

void CRunInputsPage::ClampConditioningStart() {
  if (fixedFuelMoistures || !useWeatherStream || !firstRecord.IsValid() || !lastRecord.IsValid()) return;
  const OleDateTime& t = conditioningStart;
  if (!t.IsValid() || t.GetDayOfYear() != firstRecord.GetDayOfYear()) return;
  const int y = t.GetYear(), mo = t.GetMonth(), d = t.GetDay(), h = t.GetHour(), mi = t.GetMinute();
  const int fh = firstRecord.GetHour(), fmi = firstRecord.GetMinute();
  if (h < fh)
    conditioningStart = OleDateTime(y, mo, d, fh, 0, 0);
  else if (h == fh && mi < fmi)
    conditioningStart = OleDateTime(y, mo, d, fh, fmi, 0);
  else
    return;
  ExchangeConditioningPeriod(false);
}

void CRunInputsPage::ClampConditioningEnd() {
  if (fixedFuelMoistures || !useWeatherStream || !firstRecord.IsValid() || !lastRecord.IsValid()) return;
  const OleDateTime& t = conditioningEnd;
  if (!t.IsValid() || t.GetDayOfYear() != lastRecord.GetDayOfYear()) return;
  const int y = t.GetYear(), mo = t.GetMonth(), d = t.GetDay(), h = t.GetHour(), mi = t.GetMinute();
  const int lh = lastRecord.GetHour(), lmi = lastRecord.GetMinute();
  if (h > lh)
    conditioningEnd = OleDateTime(y, mo, d, lh, 0, 0);
  else if (h == lh && mi > lmi)
    conditioningEnd = OleDateTime(y, mo, d, lh, lmi, 0);
  else
    return;
  ExchangeConditioningPeriod(false);
}

void CRunInputsPage::ExchangeConditioningPeriod(bool fromControls) {
  if (fromControls) {
    conditioningStart = FromPickers(startDay, startTime);
    conditioningEnd = FromPickers(endDay, endTime);
    return;
  }
  const bool was = loading_;
  loading_ = true;
  ToPickers(conditioningStart, startDay, startTime);
  ToPickers(conditioningEnd, endDay, endTime);
  loading_ = was;
}

// ---- file actions ----

void CRunInputsPage::FuelFileTaken() {
  MarkChanged();
  RefreshControls();
}

void CRunInputsPage::OnCreateFmsFromLandscape() {
  CreateFms([](int model) { return (model >= 0 && model <= 89) || (model >= 100 && model <= 256); });
}

void CRunInputsPage::OnOpenWxs() {
  Exchange(false);
  const auto chosen = OpenWxsFile();
  if (!chosen) return;
  const OleDateTime first = chosen->first, last = chosen->last;
  wxsFile = chosen->path;
  firstRecord = first;
  lastRecord = last;
  conditioningStart = first;
  conditioningEnd = last;
  SetupConditioningPickers();
  ClampConditioningStart();
  ClampConditioningEnd();
  MarkChanged();
  ExchangeConditioningPeriod(false);
  OnEditWxs();
  RefreshControls();
}

void CRunInputsPage::TakeEditedStream(weather::ui::CWXSEditDialog& editor, bool clamp) {
  OleDateTime first, last;
  std::string message;
  if (!ReadEditedStream(editor, first, last, message)) return;
  wxsFile = editor.model.path;
  firstRecord = first;
  lastRecord = last;
  SetupConditioningPickers();
  conditioningStart = editor.model.condStart;
  conditioningEnd = editor.model.condEnd;
  ExchangeConditioningPeriod(false);
  if (clamp) {
    ClampConditioningStart();
    ClampConditioningEnd();
  }
  MarkChanged();
}

void CRunInputsPage::OnEditWxs() {
  weather::ui::CWXSEditDialog editor(this);
  editor.model.path = wxsFile;
  ExchangeConditioningPeriod(true);
  auto rebuilt = [](const OleDateTime& t) {
    return t.IsValid() ? OleDateTime(t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond())
                       : OleDateTime::Invalid();
  };
  editor.model.condStart = rebuilt(conditioningStart);
  editor.model.condEnd = rebuilt(conditioningEnd);
  if (editor.ShowModal() == wxID_OK) TakeEditedStream(editor, true);
  RefreshControls();
}

void CRunInputsPage::OnCreateWxs() {
  weather::ui::CRecordDateDlg ask(nullptr);
  if (ask.ShowModal() != wxID_OK) return;
  weather::ui::CWXSEditDialog editor(this);
  editor.model.stream = std::make_unique<CWxStream>();
  std::string message;
  weather::AppendBlankRecords(*editor.model.stream, ask.start, ask.count, message);
  if (editor.ShowModal() == wxID_OK && !editor.model.path.empty() && editor.model.streamValid) {
    OleDateTime first, last;
    if (ReadEditedStream(editor, first, last, message)) {
      TakeEditedStream(editor, false);
      RefreshControls();
    } else {
      platform::Tell(message + "\nThis needs to be fixed before the file can be used in a run.");
    }
  }
}

void CRunInputsPage::OnOpenDirectionGrid() { OpenWindGrid(directionFile); }

void CRunInputsPage::OnOpenSpeedGrid() { OpenWindGrid(speedFile); }

void CRunInputsPage::OpenWindGrid(std::string& file) {
  Exchange(false);
  platform::FileDialogOptions options;
  options.filter = "Ascii Grid Files (*.asc)|*.asc|GeoTiff Files (*.tif)|*.tif;*.tiff|All Files (*.*)|*.*||";
  auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (chosen && CheckGridExtent(*chosen)) {
    file = *chosen;
    MarkChanged();
    SetWindControls();
  }
  RefreshControls();
}

bool CRunInputsPage::CheckGridExtent(const std::string& path) {
  GDALAllRegister();
  std::unique_ptr<GDALDataset> data(static_cast<GDALDataset*>(GDALOpen(path.c_str(), GA_ReadOnly)));
  if (!data) {
    platform::Tell(platform::FormatC("Error opening %s", path.c_str()));
    return false;
  }
  double gt[6] = {};
  if (data->GetGeoTransform(gt) != CE_None) return true;  // no georeference: not tested
  const double west = gt[0], north = gt[3];
  const double east = west + data->GetRasterXSize() * std::fabs(gt[1]);
  const double south = north - data->GetRasterYSize() * std::fabs(gt[5]);
  data.reset();
  double ae = 0, aw = 0, an = 0, as = 0;
  if (run->host) run->host->AreaExtent(ae, aw, an, as);
  if (east >= ae && west <= aw && south <= as && north >= an) return true;
  platform::Tell(platform::FormatC(
      "Error: Grid extent less than analysis area extent\nAnalysis North: %.2lf, Grid North %2f\n"
      "Analysis South %.2f, Grid South %2f\nAnalysis East %.2f, Grid East %2f\nAnalysis West %.2f Grid West %2f\n",
      an, north, as, south, ae, east, aw, west));
  return false;
}

}  // namespace runs::ui
