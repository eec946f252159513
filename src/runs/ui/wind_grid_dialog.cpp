#include "runs/ui/wind_grid_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

#include "app/application.h"
#include "platform/numbers.h"
#include "project/work_area.h"
#include "runs/gustforge_options.h"
#include "runs/run.h"
#include "widgets/num_spin_ctrl.h"

namespace runs::ui {

std::unique_ptr<widgets::CNumSpinCtrl> WholeNumberSpin(wxWindow* parent, int id, wxTextCtrl* buddy, double lo,
                                                       double hi) {
  auto* arrows = new wxSpinButton(parent, id, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  auto spin = std::make_unique<widgets::CNumSpinCtrl>();
  spin->Attach(arrows);
  spin->SetBuddy(buddy);
  spin->SetDecimalPlaces(0);
  spin->SetRangeAndStep(lo, hi, 1);
  return spin;
}

CWindGridDialog::CWindGridDialog(wxWindow* parent, int id, const std::string& title, CRun* r)
    : wxDialog(parent, id, wxString::FromUTF8(title)), run(r) {}

void CWindGridDialog::CountCells(int lo, int hi) {
  const auto typed = platform::ParseInt(resolutionEdit->GetValue().utf8_string());
  const CPyrvane2WorkArea* area = run->area;
  WindGridCounts g;
  if (typed && *typed >= lo && *typed <= hi && area)
    g = GustforgeGridCounts(area->north, area->east, area->south, area->west, static_cast<int>(*typed));
  rows = g.rows;
  columns = g.columns;
  cells = g.cells;
  rowsEdit->SetValue(std::to_string(rows));
  columnsEdit->SetValue(std::to_string(columns));
  cellsEdit->SetValue(std::to_string(cells));
}

void CWindGridDialog::RecountOn(wxSpinButton* arrows) {
  resolutionEdit->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
    Recount();
    e.Skip();
  });
  // The spin's own handler moves the value first; count once it has.
  for (auto type : {wxEVT_SPIN_UP, wxEVT_SPIN_DOWN})
    arrows->Bind(type, [this](wxSpinEvent& e) {
      CallAfter([this] { Recount(); });
      e.Skip();
    });
}

wxTextCtrl* CWindGridDialog::CountBox(int id, int width) {
  return new wxTextCtrl(this, id, "", wxDefaultPosition, wxSize(width, -1), wxTE_READONLY | wxTE_RIGHT);
}

wxTextCtrl* CWindGridDialog::LongRunNote(wxSize size) {
  return new wxTextCtrl(this, 1354, "Warning! Running Gustforge with greater than 1,000,000 cells\r\nrequires a very long time...",
                        wxDefaultPosition, size, wxTE_READONLY | wxTE_MULTILINE | wxBORDER_NONE);
}

void CWindGridDialog::AddButtons(wxSizer* top, int helpTopic) {
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 8);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxRIGHT, 8);
  buttons->Add(new wxButton(this, 1363, "Help"));
  top->Add(buttons, 0, wxALIGN_CENTER | wxALL, 8);
  Bind(wxEVT_BUTTON, [helpTopic](wxCommandEvent&) { GetApp().ShowHelpTopic(helpTopic); }, 1363);
}

}  // namespace runs::ui
