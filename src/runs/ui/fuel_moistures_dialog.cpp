#include "runs/ui/fuel_moistures_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "widgets/num_spin_ctrl.h"

namespace runs::ui {

CFuelMoisturesDialog::CFuelMoisturesDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Set Default Fuel Moistures") {
  struct Row {
    int editId, spinId;
    const char* label;
    int* value;
    int min, max;
  } const rows[] = {{1335, 1336, "1 Hour FM:", &oneHour, 2, 65},
                    {1337, 1338, "10 Hour FM:", &tenHour, 2, 65},
                    {1050, 1340, "100 Hour FM:", &hundredHour, 2, 65},
                    {1341, 1342, "Herbaceous FM:", &herbaceous, 30, 250},
                    {1343, 1344, "Live Woody  FM:", &liveWoody, 50, 250}};
  auto* grid = new wxFlexGridSizer(3, 6, 4);
  int i = 0;
  for (const Row& r : rows) {
    grid->Add(new wxStaticText(this, wxID_ANY, r.label), 0, wxALIGN_CENTER_VERTICAL);
    edits[i] = new wxTextCtrl(this, r.editId, "", wxDefaultPosition, wxSize(70, -1), 0,
                              wxTextValidator(wxFILTER_DIGITS));
    auto* arrows = new wxSpinButton(this, r.spinId, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
    spins[i] = std::make_unique<widgets::CNumSpinCtrl>();
    spins[i]->Attach(arrows);
    spins[i]->SetBuddy(edits[i]);
    spins[i]->SetDecimalPlaces(0);
    spins[i]->SetRangeAndStep(r.min, r.max, 1);
    spins[i]->SetValue(*r.value);
    grid->Add(edits[i]);
    grid->Add(arrows, 0, wxEXPAND);
    ++i;
  }
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(grid, 0, wxALL, 10);
  top->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top);
}

CFuelMoisturesDialog::~CFuelMoisturesDialog() = default;

bool CFuelMoisturesDialog::TransferDataFromWindow() {
  int* members[5] = {&oneHour, &tenHour, &hundredHour, &herbaceous, &liveWoody};
  int values[5] = {};
  for (int i = 0; i < 5; ++i) {
    auto parsed = platform::ParseInt(edits[i]->GetValue().utf8_string());
    if (!parsed || *parsed < INT32_MIN || *parsed > INT32_MAX) {
      platform::Tell("Please enter an integer.");
      edits[i]->SetFocus();
      return false;
    }
    values[i] = static_cast<int>(*parsed);
  }
  for (int i = 0; i < 5; ++i) *members[i] = values[i];
  return true;
}

}  // namespace runs::ui
