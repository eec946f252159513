#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/application.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/services.h"
#include "runs/run_exec_status.h"
#include "runs/ui/page_menus.h"
#include "runs/ui/run_sheet.h"

namespace runs::ui {

namespace {

struct OutputBox {
  int id;
  const char* label;
  bool CRunOutputs::*flag;
};

// The 13 outputs, then the five conditioning outputs.
constexpr OutputBox kBoxes[18] = {
    {1064, "Fireline Intensity", &CRunOutputs::firelineIntensity},
    {1065, "Rate of Spread", &CRunOutputs::rateOfSpread},
    {1042, "Flame Length", &CRunOutputs::flameLength},
    {1043, "Heat / Unit Area", &CRunOutputs::heatPerUnitArea},
    {1045, "Midflame Wind Speed", &CRunOutputs::midflameWindSpeed},
    {1044, "Crown Fire Activity", &CRunOutputs::crownFireActivity},
    {1056, "Crown Fraction Burned", &CRunOutputs::crownFractionBurned},
    {1260, "Spread Vectors", &CRunOutputs::spreadVectors},
    {1055, "Max Spot Vectors", &CRunOutputs::maxSpotVectors},
    {1052, "Max Spot (Combined)", &CRunOutputs::maxSpotting},
    {1053, "Max Spot Direction", &CRunOutputs::maxSpottingDirection},
    {1054, "Max Spot Distance", &CRunOutputs::maxSpottingDistance},
    {1046, "Horizontal Movement Rate", &CRunOutputs::horizontalMovementRate},
    {1047, "Solar Radiation", &CRunOutputs::solarRadiation},
    {1048, "1hr Fuel Moisture", &CRunOutputs::fuelMoisture1},
    {1049, "10hr Fuel Moisture", &CRunOutputs::fuelMoisture10},
    {1050, "100hr Fuel Moisture", &CRunOutputs::fuelMoisture100},
    {1051, "1000hr Fuel Moisture", &CRunOutputs::fuelMoisture1000},
};
constexpr int kFirstMoistureBox = 13;

}  // namespace

CRunOutputsPage::CRunOutputsPage(wxWindow* parent, CRunSheet* s, CRun* r)
    : wxPanel(parent, 138), run(r), sheet(s) {
  machineProcessors = processors = platform::ProcessorCount();
  Bind(wxEVT_HELP, [](wxHelpEvent&) { GetApp().ShowHelpTopic(51); });
}

void CRunOutputsPage::Build() {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* cpu = new wxStaticBoxSizer(wxHORIZONTAL, this, "Processor Usage");
  processorsEdit = new wxTextCtrl(cpu->GetStaticBox(), 1214, "1", wxDefaultPosition, wxSize(60, -1));
  cpu->Add(new wxStaticText(cpu->GetStaticBox(), wxID_ANY, "Number of Processors:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  cpu->Add(processorsEdit);
  wxSpinButton* processorsSpin = NumberSpin(cpu->GetStaticBox(), wxID_ANY, processorsEdit, 1, std::max(1, machineProcessors));
  cpu->Add(processorsSpin, 0, wxEXPAND);
  top->Add(cpu, 0, wxEXPAND | wxALL, 4);

  auto* outs = new wxStaticBoxSizer(wxVERTICAL, this, "Outputs");
  auto* grid = new wxGridSizer(3, 4, 12);
  for (int i = 0; i < kFirstMoistureBox; ++i) {
    boxes[i] = new wxCheckBox(outs->GetStaticBox(), kBoxes[i].id, kBoxes[i].label);
    grid->Add(boxes[i]);
  }
  outs->Add(grid, 0, wxALL, 4);
  top->Add(outs, 0, wxEXPAND | wxALL, 4);
  auto* moist = new wxStaticBoxSizer(wxHORIZONTAL, this, "Non-Fixed Fuel Moisture Outputs");
  for (int i = kFirstMoistureBox; i < 18; ++i) {
    boxes[i] = new wxCheckBox(moist->GetStaticBox(), kBoxes[i].id, kBoxes[i].label);
    moist->Add(boxes[i], 0, wxRIGHT, 8);
  }
  top->Add(moist, 0, wxEXPAND | wxALL, 4);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* all = new wxButton(this, 1060, "Select All");
  auto* none = new wxButton(this, 1061, "Remove All");
  buttons->Add(all, 0, wxRIGHT, 6);
  buttons->Add(none);
  top->Add(buttons, 0, wxALL, 4);
  auto* options = new wxStaticBoxSizer(wxVERTICAL, this, "Options");
  relativeRadio = new wxRadioButton(options->GetStaticBox(), 1029, "Relative Spread Direction From Maximum",
                                    wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  northRadio = new wxRadioButton(options->GetStaticBox(), 1030, "Spread Direction From North (Azimuth)");
  degreesEdit = new wxTextCtrl(options->GetStaticBox(), 1025, "0", wxDefaultPosition, wxSize(60, -1));
  options->Add(relativeRadio, 0, wxALL, 2);
  options->Add(northRadio, 0, wxALL, 2);
  auto* deg = new wxBoxSizer(wxHORIZONTAL);
  deg->Add(new wxStaticText(options->GetStaticBox(), wxID_ANY, "Degrees: "), 0, wxALIGN_CENTER_VERTICAL);
  deg->Add(degreesEdit);
  wxSpinButton* degreesSpin = NumberSpin(options->GetStaticBox(), wxID_ANY, degreesEdit, 0, 359);
  deg->Add(degreesSpin, 0, wxEXPAND);
  options->Add(deg, 0, wxALL, 2);
  top->Add(options, 0, wxEXPAND | wxALL, 4);
  SetSizer(top);
  Layout();

  for (wxCheckBox* b : boxes)
    b->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
      Exchange(false);
      MarkChanged();
    });
  all->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSelectAll(); });
  none->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRemoveAll(); });
  auto mode = [this](int m) {
    return [this, m](wxCommandEvent&) {
      directionMode = m;
      MarkChanged();
    };
  };
  // The arrows are usable exactly when their boxes are.
  for (auto [spin, edit] : {std::pair{processorsSpin, processorsEdit}, std::pair{degreesSpin, degreesEdit}})
    spin->Bind(wxEVT_UPDATE_UI, [edit](wxUpdateUIEvent& e) { e.Enable(edit->IsEnabled()); });
  relativeRadio->Bind(wxEVT_RADIOBUTTON, mode(0));
  northRadio->Bind(wxEVT_RADIOBUTTON, mode(-1));
  // A number being typed decides at once whether Launch can be pressed.
  auto typed = [this] {
    if (!sheet) return;
    sheet->EnableLaunch(sheet->CanLaunch(this));
    sheet->UpdateStatusBar();
  };
  degreesEdit->Bind(wxEVT_TEXT, [this, typed](wxCommandEvent&) {
    if (loading_) return;
    changed = true;
    if (sheet && sheet->applyButton) sheet->applyButton->Enable(true);
    typed();
  });
  degreesEdit->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
    e.Skip();
    OnDegreesKillFocus();
  });
  processorsEdit->Bind(wxEVT_TEXT, [this, typed](wxCommandEvent&) {
    if (loading_) return;
    // The processor count never makes outputs stale.
    if (sheet && sheet->applyButton) sheet->applyButton->Enable(true);
    typed();
  });
  processorsEdit->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
    e.Skip();
    OnProcessorsKillFocus();
  });
}

void CRunOutputsPage::OnSetActive() {
  if (!created_) {
    Build();
    created_ = true;
    LoadFromRun();
    processors = std::min(processors, machineProcessors);
    RefreshControls();
    SetMoistureOutputControls();
    processorsEdit->Enable(machineProcessors > 1);
    changed = false;
  } else {
    LoadFromRun();
    RefreshControls();
    SetMoistureOutputControls();
  }
  if (sheet) {
    sheet->SetLaunchText("Launch Basic FB");
    sheet->ShowLaunch(true);
    sheet->EnableLaunch(sheet->CanLaunch(this));
  }
}

void CRunOutputsPage::LoadFromRun() {
  selection = run->outputs;
  degrees = run->outputs.spreadDirectionFromNorth;
  directionMode = run->outputs.spreadDirectionFixed ? -1 : 0;
  processors = run->outputs.numberOfProcessors;
}

void CRunOutputsPage::RefreshBoxes() {
  loading_ = true;
  for (int i = 0; i < 18; ++i) boxes[i]->SetValue(selection.*(kBoxes[i].flag));
  loading_ = false;
}

void CRunOutputsPage::RefreshControls() {
  RefreshBoxes();
  loading_ = true;
  degreesEdit->ChangeValue(wxString::Format("%d", degrees));
  processorsEdit->ChangeValue(wxString::Format("%d", processors));
  (directionMode ? northRadio : relativeRadio)->SetValue(true);
  loading_ = false;
}

std::optional<FieldProblem> CRunOutputsPage::CheckFields() const {
  if (!created_) return std::nullopt;
  const auto deg = platform::ParseInt(degreesEdit->GetValue().utf8_string());
  if (!deg) return FieldProblem{degreesEdit, "Degrees", "Please enter an integer."};
  if (*deg < 0 || *deg > 359)
    return FieldProblem{degreesEdit, "Degrees", "Error: Valid degree range is from 0 through 359."};
  const auto cpus = platform::ParseInt(processorsEdit->GetValue().utf8_string());
  if (!cpus) return FieldProblem{processorsEdit, "Processors", "Please enter an integer."};
  if (*cpus < 1 || *cpus > machineProcessors)
    return FieldProblem{processorsEdit, "Processors",
                        platform::FormatC("Error: Number of processors must be from 1 through %d", machineProcessors)};
  return std::nullopt;
}

bool CRunOutputsPage::Exchange(bool report) {
  if (!created_) return true;
  for (int i = 0; i < 18; ++i) selection.*(kBoxes[i].flag) = boxes[i]->GetValue();
  if (auto problem = CheckFields()) {
    if (report) TellProblem(*problem);
    return false;
  }
  degrees = static_cast<int>(*platform::ParseInt(degreesEdit->GetValue().utf8_string()));
  processors = static_cast<int>(*platform::ParseInt(processorsEdit->GetValue().utf8_string()));
  return true;
}

void CRunOutputsPage::ApplyToRun() {
  CRunOutputs& o = run->outputs;
  for (const OutputBox& b : kBoxes) o.*(b.flag) = selection.*(b.flag);
  if (selection.spreadVectors) o.maxSpreadDirection = o.ellipticalA = o.ellipticalB = o.ellipticalC = true;
  o.spreadDirectionFromNorth = degrees;
  o.spreadDirectionFixed = directionMode != 0;
  o.numberOfProcessors = processors;
  if (changed) run->fireBehaviorUpToDate = false;
  changed = false;
}

bool CRunOutputsPage::IsReady() const {
  return runs::OutputsReady(selection, !run->inputs.noConditioning, run->outputs.crownFireMethod);
}

void CRunOutputsPage::MarkChanged() {
  if (sheet) sheet->PageEdited(this);
  changed = true;
}

void CRunOutputsPage::SetMoistureOutputControls() {
  const bool conditions = !run->inputs.noConditioning;
  for (int i = kFirstMoistureBox; i < 18; ++i) {
    boxes[i]->Enable(conditions);
    if (!conditions) {
      boxes[i]->SetValue(false);
      selection.*(kBoxes[i].flag) = false;
    }
  }
}

void CRunOutputsPage::OnSelectAll() {
  Exchange(false);
  const bool conditions = !run->inputs.noConditioning;
  for (int i = 0; i < 18; ++i) selection.*(kBoxes[i].flag) = i < kFirstMoistureBox || conditions;
  RefreshBoxes();
  MarkChanged();
}

void CRunOutputsPage::OnRemoveAll() {
  Exchange(false);
  for (const OutputBox& b : kBoxes) selection.*(b.flag) = false;
  RefreshBoxes();
  MarkChanged();
}

bool CRunOutputsPage::OnDegreesKillFocus() {
  const auto value = platform::ParseInt(degreesEdit->GetValue().utf8_string());
  bool ok = true;
  if (!value || *value < 0 || *value > 359) {
    platform::Tell(value ? "Error: Valid degree range is from 0 through 359." : "Degrees: Please enter an integer.");
    degreesEdit->ChangeValue(wxString::Format("%d", degrees));
    degreesEdit->CallAfter([e = degreesEdit] { e->SetFocus(); });
    ok = false;
  }
  changed = true;
  if (sheet && sheet->applyButton) sheet->applyButton->Enable(true);
  return ok;
}

bool CRunOutputsPage::OnProcessorsKillFocus() {
  const auto value = platform::ParseInt(processorsEdit->GetValue().utf8_string());
  bool ok = true;
  if (!value || *value <= 0 || *value > machineProcessors) {
    platform::Tell(value ? platform::FormatC("Error: Number of processors must be from 1 through %d", machineProcessors)
                         : std::string("Processors: Please enter an integer."));
    processorsEdit->ChangeValue(wxString::Format("%d", processors));
    processorsEdit->CallAfter([e = processorsEdit] { e->SetFocus(); });
    ok = false;
  }
  if (sheet && sheet->applyButton) sheet->applyButton->Enable(true);
  return ok;
}

}  // namespace runs::ui
