#include "runs/ui/gustforge_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timectrl.h>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/gustforge_options.h"
#include "runs/run.h"
#include "runs/ui/date_pickers.h"
#include "widgets/num_spin_ctrl.h"

namespace runs::ui {

namespace {

std::unique_ptr<widgets::CNumSpinCtrl> Spin(wxWindow* parent, int id, wxTextCtrl* buddy, double lo, double hi,
                                            wxSizer* row) {
  auto spin = WholeNumberSpin(parent, id, buddy, lo, hi);
  row->Add(buddy, 0, wxALIGN_CENTER_VERTICAL);
  row->Add(spin->GetArrows(), 0, wxEXPAND | wxRIGHT, 8);
  return spin;
}

}  // namespace

CGustforgeDialog::CGustforgeDialog(wxWindow* parent, CRun* r) : CWindGridDialog(parent, 271, "Gustforge Options", r) {
  const CRunInputs& in = run->inputs;
  resolution = in.griddedWindsResolution;
  airTemperature = static_cast<int>(in.diurnalAirTemperature);
  cloudCover = static_cast<int>(in.diurnalCloudCover);
  longitude = in.diurnalLongitude;

  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxBoxSizer(wxHORIZONTAL);
  resolutionEdit = new wxTextCtrl(this, 1048, "", wxDefaultPosition, wxSize(70, -1));
  grid->Add(new wxStaticText(this, wxID_ANY, "Resolution:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  resolutionSpin = Spin(this, 1049, resolutionEdit, 30, 10000, grid);
  rowsEdit = CountBox(1347, 60);
  columnsEdit = CountBox(1348, 60);
  grid->Add(new wxStaticText(this, wxID_ANY, "Rows:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  grid->Add(rowsEdit, 0, wxRIGHT, 8);
  grid->Add(new wxStaticText(this, wxID_ANY, "Columns:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  grid->Add(columnsEdit);
  top->Add(grid, 0, wxALL, 8);
  auto* count = new wxBoxSizer(wxHORIZONTAL);
  cellsEdit = CountBox(1349, 130);
  count->Add(new wxStaticText(this, wxID_ANY, "Number of Gustforge cells:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  count->Add(cellsEdit);
  top->Add(count, 0, wxLEFT | wxRIGHT, 8);
  note = LongRunNote(wxSize(380, 40));
  top->Add(note, 0, wxEXPAND | wxALL, 8);

  auto* diurnal = new wxStaticBoxSizer(wxVERTICAL, this, "Diurnal Settings");
  wxWindow* box = diurnal->GetStaticBox();
  auto* head = new wxBoxSizer(wxHORIZONTAL);
  diurnalCheck = new wxCheckBox(box, 1338, "Use Diurnal Simulation");
  conditioningEndButton = new wxButton(box, 1346, "Use Conditoning Period End");
  head->Add(diurnalCheck, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 20);
  head->Add(conditioningEndButton);
  diurnal->Add(head, 0, wxALL, 4);
  auto* values = new wxFlexGridSizer(2, 4, 8);
  auto labelled = [&](const char* label, wxSizer* row) {
    values->Add(new wxStaticText(box, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT);
    values->Add(row);
  };
  auto* airRow = new wxBoxSizer(wxHORIZONTAL);
  airEdit = new wxTextCtrl(box, 1339, "", wxDefaultPosition, wxSize(70, -1));
  airSpin = Spin(box, 1340, airEdit, -100, 200, airRow);
  labelled("Air Temp (F):", airRow);
  auto* cloudRow = new wxBoxSizer(wxHORIZONTAL);
  cloudEdit = new wxTextCtrl(box, 1341, "", wxDefaultPosition, wxSize(70, -1));
  cloudSpin = Spin(box, 1342, cloudEdit, 0, 100, cloudRow);
  labelled("Cloud Cover (% 0 - 100):", cloudRow);
  auto* lonRow = new wxBoxSizer(wxHORIZONTAL);
  longitudeEdit = new wxTextCtrl(box, 1343, "", wxDefaultPosition, wxSize(100, -1));
  longitudeSpin = Spin(box, 1344, longitudeEdit, -180, 180, lonRow);
  longitudeSpin->SetFormatString("%.4f");  // four decimals, trailing zeros kept
  labelled("Longitude (-180.0 - 180.0):", lonRow);
  auto* zoneRow = new wxBoxSizer(wxHORIZONTAL);
  timeZoneCombo = new wxComboBox(box, 1345, "", wxDefaultPosition, wxDefaultSize, 0, nullptr, wxCB_DROPDOWN);
  for (const char* z : kTimeZoneNames) timeZoneCombo->Append(z);
  zoneRow->Add(timeZoneCombo);
  labelled("Time Zone:", zoneRow);
  diurnal->Add(values, 0, wxALL, 4);
  auto* when = new wxStaticBoxSizer(wxHORIZONTAL, box, "Calculation Date/Time");
  datePicker = new wxDatePickerCtrl(when->GetStaticBox(), 1038, wxDefaultDateTime, wxDefaultPosition, wxDefaultSize,
                                    wxDP_DROPDOWN);
  timePicker = new wxTimePickerCtrl(when->GetStaticBox(), 1039);
  when->Add(new wxStaticText(when->GetStaticBox(), wxID_ANY, "Day:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  when->Add(datePicker, 0, wxRIGHT, 12);
  when->Add(new wxStaticText(when->GetStaticBox(), wxID_ANY, "Time:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  when->Add(timePicker);
  diurnal->Add(when, 0, wxEXPAND | wxALL, 4);
  top->Add(diurnal, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

  AddButtons(top, 54);
  SetSizerAndFit(top);

  // Opening: the run's values, the time zone's entry, the counts, and the longitude of the
  // area's centre when the run still holds the default one.
  diurnalCheck->SetValue(in.diurnalGriddedWinds);
  ToPickers(in.diurnalDateTime.IsValid() ? in.diurnalDateTime : platform::OleDateTime::Now(), datePicker, timePicker);
  for (unsigned i = 0; i < timeZoneCombo->GetCount(); ++i)
    if (TimeZoneOfText(timeZoneCombo->GetString(i).utf8_string()) == in.diurnalTimeZone) timeZoneCombo->SetSelection(i);
  const CPyrvane2WorkArea* area = run->area;
  if (area && run->document && longitude == -114.0) {
    double lon = 0;
    if (LongitudeOf(run->document->landscape.projection, (area->west + area->east) / 2,
                    (area->south + area->north) / 2, lon))
      longitude = lon;
  }
  ShowValues();
  UpdateGridCounts();
  EnableDiurnalControls();

  RecountOn(resolutionSpin->GetArrows());
  diurnalCheck->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { EnableDiurnalControls(); });
  conditioningEndButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnUseConditioningEnd(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
}

CGustforgeDialog::~CGustforgeDialog() = default;

void CGustforgeDialog::ShowValues() {
  resolutionSpin->SetValue(resolution);
  airSpin->SetValue(airTemperature);
  cloudSpin->SetValue(cloudCover);
  longitudeSpin->SetValue(longitude);
}

void CGustforgeDialog::UpdateGridCounts() { CountCells(1, 1000000); }

void CGustforgeDialog::EnableDiurnalControls() {
  const bool on = diurnalCheck->GetValue();
  for (wxWindow* w : std::initializer_list<wxWindow*>{airEdit, cloudEdit, longitudeEdit, timeZoneCombo, datePicker,
                                                      timePicker, airSpin->GetArrows(), cloudSpin->GetArrows(),
                                                      longitudeSpin->GetArrows()})
    w->Enable(on);
  conditioningEndButton->Enable(on && !run->inputs.noConditioning);
}

bool CGustforgeDialog::ReadControls(bool checkResolution) {
  struct Field {
    wxTextCtrl* edit;
    int* member;
    int lo, hi;
  } const fields[] = {{resolutionEdit, &resolution, 30, 10000},
                      {airEdit, &airTemperature, INT32_MIN, INT32_MAX},
                      {cloudEdit, &cloudCover, INT32_MIN, INT32_MAX}};
  int values[3];
  for (int i = 0; i < 3; ++i) {
    const Field& f = fields[i];
    const auto v = platform::ParseInt(f.edit->GetValue().utf8_string());
    const bool ranged = i == 0 && checkResolution;
    if (!v || *v < f.lo || *v > f.hi) {
      platform::Tell(ranged ? "Please enter an integer between 30 and 10000." : "Please enter an integer.");
      f.edit->SetFocus();
      return false;
    }
    values[i] = static_cast<int>(*v);
  }
  const auto lon = platform::ParseDouble(longitudeEdit->GetValue().utf8_string());
  if (!lon) {
    platform::Tell("Please enter a number.");
    longitudeEdit->SetFocus();
    return false;
  }
  for (int i = 0; i < 3; ++i) *fields[i].member = values[i];
  longitude = *lon;
  return true;
}

void CGustforgeDialog::OnUseConditioningEnd() {
  if (!ReadControls(false)) return;
  platform::OleDateTime when;
  if (!GustforgeConditioningEnd(run->inputs, when, airTemperature, cloudCover)) {
    platform::Tell("Set Conditioning period first!");
    return;
  }
  ToPickers(when, datePicker, timePicker);
  ShowValues();
}

void CGustforgeDialog::OnOK() {
  if (!ReadControls(true)) return;
  CRunInputs& in = run->inputs;
  in.diurnalGriddedWinds = diurnalCheck->GetValue();
  in.griddedWindsResolution = resolution;
  in.diurnalAirTemperature = airTemperature;
  in.diurnalCloudCover = cloudCover;
  in.diurnalLongitude = longitude;
  in.diurnalDateTime = FromPickers(datePicker, timePicker, true);
  in.diurnalTimeZone = TimeZoneOfText(timeZoneCombo->GetValue().utf8_string());
  EndModal(wxID_OK);
}

}  // namespace runs::ui
