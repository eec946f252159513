#include "runs/ui/fuel_moistures_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include "platform/messages.h"
#include "platform/numbers.h"

namespace runs::ui {

CFuelMoisturesDialog::CFuelMoisturesDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Set Default Fuel Moistures") {
  struct Row {
    int id;
    const char* label;
    int* value;
    int min, max;
  } const rows[] = {{1335, "1 Hour FM:", &oneHour, 2, 65},
                    {1337, "10 Hour FM:", &tenHour, 2, 65},
                    {1050, "100 Hour FM:", &hundredHour, 2, 65},
                    {1341, "Herbaceous FM:", &herbaceous, 30, 250},
                    {1343, "Live Woody  FM:", &liveWoody, 50, 250}};
  auto* grid = new wxFlexGridSizer(2, 6, 8);
  int i = 0;
  for (const Row& r : rows) {
    grid->Add(new wxStaticText(this, wxID_ANY, r.label), 0, wxALIGN_CENTER_VERTICAL);
    spins[i] = new wxSpinCtrl(this, r.id, wxString::Format("%d", *r.value), wxDefaultPosition,
                              wxSize(90, -1), wxSP_ARROW_KEYS, r.min, r.max, *r.value);
    grid->Add(spins[i++]);
  }
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(grid, 0, wxALL, 10);
  top->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top);
}

bool CFuelMoisturesDialog::TransferDataFromWindow() {
  int* members[5] = {&oneHour, &tenHour, &hundredHour, &herbaceous, &liveWoody};
  int values[5] = {};
  for (int i = 0; i < 5; ++i) {
    // The typed text counts, not the spin's clamped value.
    const wxString typed = spins[i]->GetTextValue();
    auto parsed = platform::ParseInt(typed.utf8_string());
    if (!parsed) {
      platform::Tell("Please enter an integer.");
      spins[i]->SetFocus();
      return false;
    }
    values[i] = static_cast<int>(*parsed);
  }
  for (int i = 0; i < 5; ++i) *members[i] = values[i];
  return true;
}

}  // namespace runs::ui
