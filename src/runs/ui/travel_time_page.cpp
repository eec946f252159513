#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>

#include "platform/messages.h"
#include "project/document.h"
#include "runs/ui/page_menus.h"
#include "runs/ui/run_sheet.h"

namespace runs::ui {

CTravelTimePage::CTravelTimePage(wxWindow* parent, int id, CRunSheet* s, CRun* r, const char* launchText)
    : wxPanel(parent, id), run(r), sheet(s), launchText_(launchText) {}

void CTravelTimePage::OnSetActive() {
  if (!created_) {
    Build();
    created_ = true;
    LoadFromRun();
    changed = false;
  }
  if (sheet) {
    sheet->SetLaunchText(launchText_);
    sheet->ShowLaunch(true);
    sheet->EnableLaunch(sheet->CanLaunch(this));
  }
}

wxSizer* CTravelTimePage::AddNumberBox(wxWindow* parent, wxTextCtrl*& edit, wxSpinButton*& spin, int editId,
                                       int spinId, const char* label, double lo, double hi, double step, int digits,
                                       bool resolution) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  edit = new wxTextCtrl(parent, editId, "", wxDefaultPosition, wxSize(90, -1));
  spin = NumberSpin(parent, spinId, edit, lo, hi, step, digits);
  row->Add(edit, 0, wxALIGN_CENTER_VERTICAL);
  row->Add(spin, 0, wxALIGN_CENTER_VERTICAL);
  // Typed text is taken or refused when the page is applied; until then the status line says
  // what is wrong with it.
  edit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { MarkChanged(); });
  numbers_.push_back({edit, label, lo, hi, digits, resolution});
  return row;
}

void CTravelTimePage::BindOutputBoxes(wxCheckBox* const* boxes, int count, int rateBox, int intensityBox) {
  for (int i = 0; i < count; ++i)
    boxes[i]->Bind(wxEVT_CHECKBOX, [this, boxes, i, rateBox, intensityBox](wxCommandEvent&) {
      if (i == rateBox && !boxes[rateBox]->GetValue()) boxes[intensityBox]->SetValue(false);
      if (i == intensityBox && boxes[intensityBox]->GetValue()) boxes[rateBox]->SetValue(true);
      MarkChanged();
    });
}

void CTravelTimePage::TakeCellWidth(double& resolution) {
  double cellWidth = 0, cellHeight = 0;
  if (run->document) run->document->GetCellSize(&cellWidth, &cellHeight);
  if (!(cellWidth > 0)) return;
  minResolution = std::clamp(static_cast<int>(std::ceil(cellWidth)), 1, 10000);
  if (resolution < minResolution) resolution = minResolution;
}

std::optional<FieldProblem> CTravelTimePage::CheckFields() const {
  if (!created_) return std::nullopt;
  for (const CheckedNumber& f : numbers_) {
    // A box the page's choices leave disabled keeps the value last taken.
    if (!f.edit->IsEnabled()) continue;
    const double lo = f.resolution ? minResolution : f.lo;
    auto problem = f.digits ? NumberProblem(f.edit, lo, f.hi)
                            : IntegerProblem(f.edit, static_cast<int>(lo), static_cast<int>(f.hi));
    if (problem) return FieldProblem{const_cast<wxTextCtrl*>(f.edit), f.label, *problem};
  }
  return std::nullopt;
}

bool CTravelTimePage::Exchange(bool report) {
  if (!created_) return true;
  auto problem = CheckFields();
  if (problem && report) TellProblem(*problem);
  return !problem;
}

void CTravelTimePage::MarkChanged() {
  if (loading_) return;
  changed = true;
  if (sheet) sheet->PageEdited(this);
}

void CTravelTimePage::SelectEngineGrids(bool intensity) {
  CRunOutputs& o = run->outputs;
  o.maxSpreadDirection = o.ellipticalA = o.ellipticalB = o.ellipticalC = o.maxSpotting = true;
  if (intensity) o.firelineIntensity = o.rateOfSpread = true;
}

}  // namespace runs::ui
