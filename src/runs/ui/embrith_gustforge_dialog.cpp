#include "runs/ui/embrith_gustforge_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "runs/run.h"
#include "widgets/num_spin_ctrl.h"

namespace runs::ui {

namespace {

// The item whose text is the value printed whole, else the first.
void SelectValue(wxChoice* combo, double value) {
  const int at = combo->FindString(platform::FormatC("%.0f", value));
  combo->SetSelection(at == wxNOT_FOUND ? 0 : at);
}

}  // namespace

CEmbrithGustforgeDialog::CEmbrithGustforgeDialog(wxWindow* parent, CRun* r)
    : CWindGridDialog(parent, 288, "Embrith Gustforge Options", r) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxFlexGridSizer(3, 4, 6);
  resolutionEdit = new wxTextCtrl(this, 1048, "", wxDefaultPosition, wxSize(80, -1));
  spin_ = WholeNumberSpin(this, 1049, resolutionEdit, 30, 10000);
  wxSpinButton* arrows = spin_->GetArrows();
  grid->Add(new wxStaticText(this, wxID_ANY, "Resolution:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(resolutionEdit);
  grid->Add(arrows);
  rowsEdit = CountBox(1347, 110);
  columnsEdit = CountBox(1348, 110);
  cellsEdit = CountBox(1349, 110);
  for (auto [label, box] : {std::pair{"Rows:", rowsEdit}, {"Columns:", columnsEdit}, {"Number of Gustforge cells:", cellsEdit}}) {
    grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(box);
    grid->AddSpacer(0);
  }
  top->Add(grid, 0, wxALL, 8);
  top->Add(LongRunNote(wxSize(400, 40)), 0, wxEXPAND | wxALL, 8);
  auto* tolerances = new wxStaticBoxSizer(wxVERTICAL, this, "Tolerances");
  wxWindow* tb = tolerances->GetStaticBox();
  auto* note = new wxStaticText(tb, wxID_ANY,
                                "Winds within both speed and direction tolerance of a previously generated wind "
                                "grid will use the previously generated wind grid.");
  note->Wrap(400);  // on lines of its own rather than cut at the box's edge
  tolerances->Add(note, 0, wxALL, 4);
  speedCombo = new wxChoice(tb, 1382);
  directionCombo = new wxChoice(tb, 1383);
  for (int i = 0; i <= 5; ++i) speedCombo->Append(std::to_string(i));
  for (int i = 0; i <= 10; ++i) directionCombo->Append(std::to_string(i));
  auto* row = new wxFlexGridSizer(2, 4, 6);
  row->Add(new wxStaticText(tb, wxID_ANY, "Wind Speed Tolerance:"), 0, wxALIGN_CENTER_VERTICAL);
  row->Add(speedCombo);
  row->Add(new wxStaticText(tb, wxID_ANY, "Wind Direction Tolerance:"), 0, wxALIGN_CENTER_VERTICAL);
  row->Add(directionCombo);
  tolerances->Add(row, 0, wxALL, 4);
  top->Add(tolerances, 0, wxEXPAND | wxALL, 8);
  AddButtons(top, 18);
  SetSizerAndFit(top);

  spin_->SetValue(run->inputs.griddedWindsResolution);
  SelectValue(speedCombo, run->inputs.diurnalAirTemperature);
  SelectValue(directionCombo, run->inputs.diurnalCloudCover);
  ComputeGrid();

  RecountOn(arrows);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
}

CEmbrithGustforgeDialog::~CEmbrithGustforgeDialog() = default;

void CEmbrithGustforgeDialog::ComputeGrid() { CountCells(30, 10000); }

bool CEmbrithGustforgeDialog::OnOK() {
  const auto typed = platform::ParseInt(resolutionEdit->GetValue().utf8_string());
  if (!typed || *typed < 30 || *typed > 10000) {
    platform::Tell("Please enter an integer between 30 and 10000.");
    resolutionEdit->SetFocus();
    return false;
  }
  CRunInputs& in = run->inputs;
  in.diurnalGriddedWinds = false;
  in.griddedWindsResolution = static_cast<int>(*typed);
  in.diurnalTimeZone = 7;
  in.diurnalAirTemperature = std::max(0, speedCombo->GetSelection());
  in.diurnalCloudCover = std::max(0, directionCombo->GetSelection());
  EndModal(wxID_OK);
  return true;
}

}  // namespace runs::ui
