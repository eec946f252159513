#include "runs/ui/embrith_gustforge_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/application.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/work_area.h"
#include "runs/gustforge_options.h"
#include "runs/run.h"
#include "widgets/num_spin_ctrl.h"

namespace runs::ui {

namespace {

wxTextCtrl* Count(wxWindow* parent, int id) {
  return new wxTextCtrl(parent, id, "", wxDefaultPosition, wxSize(110, -1), wxTE_READONLY | wxTE_RIGHT);
}

// The item whose text is the value printed whole, else the first.
void SelectValue(wxChoice* combo, double value) {
  const int at = combo->FindString(platform::FormatC("%.0f", value));
  combo->SetSelection(at == wxNOT_FOUND ? 0 : at);
}

}  // namespace

CEmbrithGustforgeDialog::CEmbrithGustforgeDialog(wxWindow* parent, CRun* r)
    : wxDialog(parent, 288, "Embrith Gustforge Options"), run(r) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxFlexGridSizer(3, 4, 6);
  resolutionEdit = new wxTextCtrl(this, 1048, "", wxDefaultPosition, wxSize(80, -1));
  auto* arrows = new wxSpinButton(this, 1049, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  spin_ = std::make_unique<widgets::CNumSpinCtrl>();
  spin_->Attach(arrows);
  spin_->SetBuddy(resolutionEdit);
  spin_->SetDecimalPlaces(0);
  spin_->SetRangeAndStep(30, 10000, 1);
  grid->Add(new wxStaticText(this, wxID_ANY, "Resolution:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(resolutionEdit);
  grid->Add(arrows);
  rowsEdit = Count(this, 1347);
  columnsEdit = Count(this, 1348);
  cellsEdit = Count(this, 1349);
  for (auto [label, box] : {std::pair{"Rows:", rowsEdit}, {"Columns:", columnsEdit}, {"Number of Gustforge cells:", cellsEdit}}) {
    grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(box);
    grid->AddSpacer(0);
  }
  top->Add(grid, 0, wxALL, 8);
  top->Add(new wxTextCtrl(this, 1354, "Warning! Running Gustforge with greater than 1,000,000 cells\r\nrequires a very long time...",
                          wxDefaultPosition, wxSize(400, 40), wxTE_READONLY | wxTE_MULTILINE | wxBORDER_NONE),
           0, wxEXPAND | wxALL, 8);
  auto* tolerances = new wxStaticBoxSizer(wxVERTICAL, this, "Tolerances");
  wxWindow* tb = tolerances->GetStaticBox();
  tolerances->Add(new wxStaticText(tb, wxID_ANY,
                                   "Winds within both speed and direction tolerance of a previously generated wind "
                                   "grid will use the previously generated wind grid.",
                                   wxDefaultPosition, wxSize(400, -1)),
                  0, wxALL, 4);
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
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 8);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxRIGHT, 8);
  buttons->Add(new wxButton(this, 1363, "Help"));
  top->Add(buttons, 0, wxALIGN_CENTER | wxALL, 8);
  SetSizerAndFit(top);

  spin_->SetValue(run->inputs.griddedWindsResolution);
  SelectValue(speedCombo, run->inputs.diurnalAirTemperature);
  SelectValue(directionCombo, run->inputs.diurnalCloudCover);
  ComputeGrid();

  resolutionEdit->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
    ComputeGrid();
    e.Skip();
  });
  for (auto type : {wxEVT_SPIN_UP, wxEVT_SPIN_DOWN})
    arrows->Bind(type, [this](wxSpinEvent& e) {
      CallAfter([this] { ComputeGrid(); });
      e.Skip();
    });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(18); }, 1363);
}

CEmbrithGustforgeDialog::~CEmbrithGustforgeDialog() = default;

void CEmbrithGustforgeDialog::ComputeGrid() {
  const auto typed = platform::ParseInt(resolutionEdit->GetValue().utf8_string());
  const CPyrvane2WorkArea* area = run->area;
  // A resolution that cannot be used leaves the counts at 0 rather than dividing by it.
  WindGridCounts g;
  if (typed && *typed >= 30 && *typed <= 10000 && area)
    g = GustforgeGridCounts(area->north, area->east, area->south, area->west, static_cast<int>(*typed));
  rows = g.rows;
  columns = g.columns;
  cells = g.cells;
  rowsEdit->SetValue(std::to_string(rows));
  columnsEdit->SetValue(std::to_string(columns));
  cellsEdit->SetValue(std::to_string(cells));
}

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
