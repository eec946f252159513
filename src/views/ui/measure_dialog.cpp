#include "views/ui/measure_dialog.h"

#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "views/measure.h"
#include "views/ui/map_view.h"

namespace views::ui {

namespace {
wxArrayString Names(const std::vector<std::string>& names) {
  wxArrayString out;
  for (const auto& n : names) out.Add(wxString::FromUTF8(n));
  return out;
}
}  // namespace

CMeasureDialog::CMeasureDialog(wxWindow* parent, CMapView& view)
    : wxDialog(parent, wxID_ANY, "Measure", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE),
      view_(view) {
  auto* values = new wxFlexGridSizer(3, 5, 5);
  lengthLabel_ = new wxStaticText(this, wxID_ANY, "Length:");
  lengthValue_ = new wxTextCtrl(this, wxID_ANY, "0.0", wxDefaultPosition, wxSize(100, -1), wxTE_READONLY);
  lengthUnits_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, Names(LengthUnitNames()));
  areaLabel_ = new wxStaticText(this, wxID_ANY, "Area:");
  areaValue_ = new wxTextCtrl(this, wxID_ANY, "0.0", wxDefaultPosition, wxSize(100, -1), wxTE_READONLY);
  areaUnits_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, Names(AreaUnitNames()));
  for (wxWindow* w : {static_cast<wxWindow*>(lengthLabel_), static_cast<wxWindow*>(lengthValue_),
                      static_cast<wxWindow*>(lengthUnits_), static_cast<wxWindow*>(areaLabel_),
                      static_cast<wxWindow*>(areaValue_), static_cast<wxWindow*>(areaUnits_)})
    values->Add(w, 0, wxALIGN_CENTER_VERTICAL);

  auto* modeBox = new wxStaticBoxSizer(wxVERTICAL, this, "Mode");
  line_ = new wxRadioButton(modeBox->GetStaticBox(), wxID_ANY, "Line", wxDefaultPosition,
                            wxDefaultSize, wxRB_GROUP);
  polygon_ = new wxRadioButton(modeBox->GetStaticBox(), wxID_ANY, "Polygon");
  modeBox->Add(line_);
  modeBox->Add(polygon_);

  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(values, 0, wxALL, 7);
  top->Add(modeBox, 0, wxALL, 7);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* clear = new wxButton(this, wxID_ANY, "Clear");
  buttons->Add(clear);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, wxID_CANCEL, "Close"));
  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(top);
  all->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 7);
  SetSizerAndFit(all);

  line_->SetValue(true);
  lengthUnits_->SetSelection(0);
  areaUnits_->SetSelection(0);
  ShowAreaControls(false);

  line_->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ChooseMode(kLine); });
  polygon_->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ChooseMode(kPolygon); });
  lengthUnits_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { Recalculate(); });
  areaUnits_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { Recalculate(); });
  clear->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Clear(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CloseMeasure(); }, wxID_CANCEL);
  // The close box hides too: the window lives as long as its project.
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { CloseMeasure(); });
}

void CMeasureDialog::ShowAreaControls(bool show) {
  areaUnits_->Enable(show);
  areaLabel_->Show(show);
  areaValue_->Show(show);
  areaUnits_->Show(show);
  lengthLabel_->SetLabel(show ? "Perimeter:" : "Length:");
  // The polygon mode's rows need room: the window grows to hold them.
  GetSizer()->SetSizeHints(this);
  Fit();
}

void CMeasureDialog::Recalculate() {
  const CPVN4Doc& doc = view_.Document();
  const MeasureTexts t =
      Measure(doc.measurePoints, view_.PointerMode() == app::kModeMeasurePolygons,
              doc.landscape.header.gridUnits, lengthUnits_->GetSelection(), areaUnits_->GetSelection());
  lengthValue_->ChangeValue(t.length);
  areaValue_->ChangeValue(t.area);
}

void CMeasureDialog::ChooseMode(int mode) {
  mode_ = mode == kPolygon ? kPolygon : kLine;
  line_->SetValue(mode_ == kLine);
  polygon_->SetValue(mode_ == kPolygon);
  view_.SetPointerMode(mode_ == kPolygon ? app::kModeMeasurePolygons : app::kModeMeasureLines);
  view_.Document().measurePoints.clear();
  view_.Refresh();
  ShowAreaControls(mode_ == kPolygon);
  Recalculate();
}

void CMeasureDialog::Clear() {
  view_.Document().measurePoints.clear();
  view_.Refresh();
  Recalculate();
}

void CMeasureDialog::CloseMeasure() {
  view_.SetPointerMode(app::kModeIdentify);
  view_.Document().measurePoints.clear();
  view_.Refresh();
  Hide();
}

wxString CMeasureDialog::LengthText() const { return lengthValue_->GetValue(); }
wxString CMeasureDialog::AreaText() const { return areaValue_->GetValue(); }
wxString CMeasureDialog::LengthLabel() const { return lengthLabel_->GetLabel(); }
bool CMeasureDialog::AreaShown() const { return areaValue_->IsShown(); }

}  // namespace views::ui
