#include "runs/ui/embrith_perimeters_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <string>

#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_embrith.h"
#include "themes/line_style.h"
#include "themes/vector_theme.h"
#include "widgets/color_static.h"

namespace runs::ui {

CEmbrithPerimetersPropertiesDlg::CEmbrithPerimetersPropertiesDlg(wxWindow* parent, CVectorTheme* t)
    : wxDialog(parent, 309, "Embrith Perimeters"), theme(t) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* display = new wxStaticBoxSizer(wxVERTICAL, this, "Display Properties");
  wxWindow* db = display->GetStaticBox();
  auto* grid = new wxFlexGridSizer(2, 4, 6);
  swatch = new widgets::CColorStatic(db, 1086, t ? t->lineColor : 0);
  swatch->EnableChooser({});
  styleCombo = new wxChoice(db, 1084);
  for (int i = 0; i < kLineStyleCount; ++i) styleCombo->Append(GetLineStyleName(i));
  widthCombo = new wxChoice(db, 1085);
  for (int i = 1; i <= 10; ++i) widthCombo->Append(std::to_string(i));
  grid->Add(new wxStaticText(db, wxID_ANY, "Color:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(swatch);
  grid->Add(new wxStaticText(db, wxID_ANY, "Line Style:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(styleCombo);
  grid->Add(new wxStaticText(db, wxID_ANY, "Line Width:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(widthCombo);
  display->Add(grid, 0, wxALL, 4);
  visibleCheck = new wxCheckBox(db, 1040, "Visible");
  display->Add(visibleCheck, 0, wxALL, 4);
  top->Add(display, 0, wxEXPAND | wxALL, 6);

  auto* which = new wxStaticBoxSizer(wxVERTICAL, this, "Visible Perimeters");
  wxWindow* wb = which->GetStaticBox();
  modes[0] = new wxRadioButton(wb, 1029, "All Perimeters", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  modes[1] = new wxRadioButton(wb, 1030, "By Embrith Timestep Multiple");
  interval = new wxSpinCtrl(wb, 1419, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 1, 100, 1);
  modes[2] = new wxRadioButton(wb, 1418, "By Burn Period");
  modes[3] = new wxRadioButton(wb, 1421, "Final Perimeter Only");
  which->Add(modes[0], 0, wxALL, 3);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(modes[1], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  row->Add(interval);
  which->Add(row, 0, wxALL, 3);
  which->Add(modes[2], 0, wxALL, 3);
  which->Add(modes[3], 0, wxALL, 3);
  top->Add(which, 0, wxEXPAND | wxALL, 6);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
  top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 6);
  SetSizerAndFit(top);

  if (theme) {
    visibleCheck->SetValue(theme->visible);
    widthCombo->SetSelection(widthCombo->FindString(std::to_string(theme->lineWidth)));
    styleCombo->SetSelection(styleCombo->FindString(GetLineStyleName(theme->lineStyle)));
    interval->SetValue(theme->perimeterInterval);
    const int mode = theme->perimeterDisplayMode;
    if (mode >= 0 && mode <= 3) modes[mode]->SetValue(true);
  }
  EnableInterval();
  for (wxRadioButton* r : modes) r->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { EnableInterval(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  CentreOnParent();
}

void CEmbrithPerimetersPropertiesDlg::EnableInterval() { interval->Enable(modes[1]->GetValue()); }

void CEmbrithPerimetersPropertiesDlg::OnOK() {
  if (theme) {
    theme->visible = visibleCheck->GetValue();
    // No width chosen stores the empty text's value.
    theme->lineWidth = widthCombo->GetSelection() == wxNOT_FOUND ? 0 : widthCombo->GetSelection() + 1;
    theme->lineStyle = GetLineStyleIndex(styleCombo->GetStringSelection().utf8_string());
    theme->lineColor = swatch->GetColor();
    theme->perimeterInterval = interval->GetValue();
    theme->perimeterDisplayMode = modes[3]->GetValue() ? 3 : modes[1]->GetValue() ? 1 : modes[2]->GetValue() ? 2 : 0;
  }
  EndModal(wxID_OK);
}

bool EditPerimeterTheme(wxWindow* parent, CPVN4Doc& doc, CVectorTheme& theme) {
  if (!theme.hasPerimeterAttributes) return false;
  CEmbrithPerimetersPropertiesDlg dialog(parent, &theme);
  if (dialog.ShowModal() != wxID_OK) return true;
  for (const auto& area : doc.areas)
    for (const auto& run : area->runs)
      if (run->embrithPerimeters == &theme) runs::FilterRunPerimeters(*run);
  doc.UpdateAllViews();
  doc.SetModifiedFlag();
  return true;
}

}  // namespace runs::ui
