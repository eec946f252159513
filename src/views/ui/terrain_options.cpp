#include "views/ui/terrain_options.h"

#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/glcanvas.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>
#include <cstdlib>

#include "app/application.h"
#include "platform/messages.h"
#include "views/ui/terrain_view.h"

namespace views::ui {

std::uint32_t SwapRedBlue(std::uint32_t c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

namespace {

// A typed number in the C locale, the whole text; nullopt otherwise.
std::optional<float> ParseNumber(const wxString& text) {
  const std::string s = text.utf8_string();
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  if (!end || *end != '\0' || !std::isfinite(v)) return std::nullopt;
  return static_cast<float>(v);
}

// The standard float format: 1.0 shows as 1.
wxString FloatText(float v) { return wxString::FromCDouble(v); }

wxStaticText* Label(wxWindow* parent, const char* text) { return new wxStaticText(parent, wxID_ANY, text); }

}  // namespace

wxTextCtrl* C3DPropertyPage::NumberEdit(wxWindow* parent, widgets::CNumSpinCtrl& spin, double min, double max,
                                        double step, int places, double value, wxSizer* row) {
  auto* edit = new wxTextCtrl(parent, wxID_ANY, "", wxDefaultPosition, wxSize(80, -1));
  auto* arrows = new wxSpinButton(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  spin.Attach(arrows);
  spin.SetBuddy(edit);
  spin.SetDecimalPlaces(places);
  spin.SetRangeAndStep(min, max, step);
  spin.SetValue(value);
  row->Add(edit, 0, wxALIGN_CENTER_VERTICAL);
  row->Add(arrows, 0, wxALIGN_CENTER_VERTICAL);
  return edit;
}

C3DPropertyPage::C3DPropertyPage(wxWindow* parent, C3DDialog& view) : wxPanel(parent, wxID_ANY), view_(view) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxFlexGridSizer(2, wxSize(8, 6));

  grid->Add(Label(this, "Vertical Exaggeration:"), 0, wxALIGN_CENTER_VERTICAL);
  auto* exRow = new wxBoxSizer(wxHORIZONTAL);
  exaggeration_ = NumberEdit(this, exaggerationSpin_, 0.01, 10, 0.1, 2, view.exaggeration, exRow);
  grid->Add(exRow);
  grid->Add(Label(this, "Background Color:"), 0, wxALIGN_CENTER_VERTICAL);
  background_ = new widgets::CColorStatic(this, wxID_ANY, SwapRedBlue(view.background));
  grid->Add(background_);
  top->Add(grid, 0, wxALL, 8);

  auto* lighting = new wxStaticBoxSizer(wxVERTICAL, this, "Lighting");
  wxWindow* lb = lighting->GetStaticBox();
  auto* lgrid = new wxFlexGridSizer(2, wxSize(8, 6));
  lgrid->Add(Label(lb, "Ambient Light Color:"), 0, wxALIGN_CENTER_VERTICAL);
  ambient_ = new widgets::CColorStatic(lb, wxID_ANY, SwapRedBlue(view.ambient));
  lgrid->Add(ambient_);
  lgrid->Add(Label(lb, "Directional Light"));
  lgrid->AddSpacer(0);
  lgrid->Add(Label(lb, "Azimuth:"), 0, wxALIGN_CENTER_VERTICAL);
  auto* azRow = new wxBoxSizer(wxHORIZONTAL);
  azimuth_ = NumberEdit(lb, azimuthSpin_, 0, 360, 1, 0, view.azimuth, azRow);
  lgrid->Add(azRow);
  lgrid->Add(Label(lb, "Angle of Inclination:"), 0, wxALIGN_CENTER_VERTICAL);
  auto* inRow = new wxBoxSizer(wxHORIZONTAL);
  inclination_ = NumberEdit(lb, inclinationSpin_, 0, 90, 1, 0, view.inclination, inRow);
  lgrid->Add(inRow);
  lighting->Add(lgrid, 0, wxALL, 4);
  top->Add(lighting, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

  auto* texturing = new wxStaticBoxSizer(wxVERTICAL, this, "Texturing");
  wxWindow* tb = texturing->GetStaticBox();
  auto* tgrid = new wxFlexGridSizer(2, wxSize(8, 6));
  tgrid->Add(Label(tb, "Texture Density (%):"), 0, wxALIGN_CENTER_VERTICAL);
  density_ = new wxSpinCtrl(tb, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 10, 1000,
                            static_cast<int>(std::trunc(view.textureDensity * 100)));
  tgrid->Add(density_);
  tgrid->Add(Label(tb, "Vector Exaggeration (%):"), 0, wxALIGN_CENTER_VERTICAL);
  vectorExaggeration_ = new wxSpinCtrl(tb, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 10,
                                       1000, static_cast<int>(std::trunc(GetApp().vectorExaggeration * 100)));
  tgrid->Add(vectorExaggeration_);
  texturing->Add(tgrid, 0, wxALL, 4);
  top->Add(texturing, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 8);

  auto* info = new wxStaticBoxSizer(wxVERTICAL, this, "Info");
  wxWindow* ib = info->GetStaticBox();
  auto* igrid = new wxFlexGridSizer(2, wxSize(8, 6));
  const char* labels[4] = {"Max Vertices:", "nRows:", "nCols:", "32 Bit Indices:"};
  const wxString values[4] = {wxString::Format("%ld", static_cast<long>(view.VertexLimit())),
                              wxString::Format("%ld", static_cast<long>(view.Rows())),
                              wxString::Format("%ld", static_cast<long>(view.Columns())),
                              view.Uses32BitIndices() ? "true" : "false"};
  for (int i = 0; i < 4; ++i) {
    igrid->Add(Label(ib, labels[i]), 0, wxALIGN_CENTER_VERTICAL);
    info_[i] = new wxTextCtrl(ib, wxID_ANY, values[i], wxDefaultPosition, wxSize(100, -1), wxTE_READONLY);
    igrid->Add(info_[i]);
  }
  info->Add(igrid, 0, wxALL, 4);
  top->Add(info, 0, wxEXPAND | wxALL, 8);
  SetSizer(top);

  // The data exchange writes the values in the standard float format over the spinners' text.
  exaggeration_->ChangeValue(FloatText(view.exaggeration));
  azimuth_->ChangeValue(FloatText(view.azimuth));
  inclination_->ChangeValue(FloatText(view.inclination));

  // Only the exaggeration and the colours mark the page changed.
  exaggeration_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { SetModified(); });
  exaggerationSpin_.GetArrows()->Bind(wxEVT_SPIN, [this](wxSpinEvent& e) {
    SetModified();
    e.Skip();
  });
  background_->EnableChooser([this] { SetModified(); });
  ambient_->EnableChooser([this] { SetModified(); });
}

void C3DPropertyPage::SetModified() {
  modified_ = true;
  if (wxWindow* apply = wxWindow::FindWindowById(wxID_APPLY, wxGetTopLevelParent(this))) apply->Enable();
}

bool C3DPropertyPage::OnApply() {
  const std::pair<wxTextCtrl*, const char*> fields[] = {
      {exaggeration_, "Vertical Exaggeration"}, {azimuth_, "Azimuth"}, {inclination_, "Angle of Inclination"}};
  float values[3];
  for (int i = 0; i < 3; ++i) {
    const std::optional<float> v = ParseNumber(fields[i].first->GetValue());
    if (!v) {
      platform::Tell(std::string(fields[i].second) + ": \"" + fields[i].first->GetValue().utf8_string() +
                     "\" is not a number.");
      fields[i].first->SetFocus();
      return false;
    }
    values[i] = *v;
  }
  view_.exaggeration = values[0];
  view_.ambient = SwapRedBlue(ambient_->GetColor());
  view_.background = SwapRedBlue(background_->GetColor());
  view_.textureDensity = density_->GetValue() / 100.0;
  GetApp().vectorExaggeration = vectorExaggeration_->GetValue() / 100.0;
  // Taken as typed: the arrows keep to their range, the edits do not.
  view_.azimuth = values[1];
  view_.inclination = values[2];
  view_.RestoreDeviceResources();
  if (view_.Canvas()) view_.Canvas()->Refresh(false);
  modified_ = false;
  if (wxWindow* apply = wxWindow::FindWindowById(wxID_APPLY, wxGetTopLevelParent(this))) apply->Disable();
  return true;
}

C3DPropertySheet::C3DPropertySheet(wxWindow* parent, C3DDialog& view) {
  Create(parent, wxID_ANY, "");
  CreateButtons(wxOK | wxCANCEL | wxAPPLY | wxHELP);
  page_ = new C3DPropertyPage(GetBookCtrl(), view);
  GetBookCtrl()->AddPage(page_, "3D Options");
  if (wxWindow* apply = FindWindow(wxID_APPLY)) apply->Disable();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { page_->OnApply(); }, wxID_APPLY);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    if (page_->OnApply()) EndModal(wxID_OK);
  }, wxID_OK);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(3); }, wxID_HELP);
  LayoutDialog();
}

}  // namespace views::ui
