#include "landscape/ui/generate_dialog.h"

#include <wx/busyinfo.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <cctype>
#include <cmath>
#include <optional>

#include "app/application.h"
#include "landscape/geotiff.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "widgets/num_spin_ctrl.h"

namespace landscape::ui {

namespace {

constexpr int kHelpTopic = 40;
constexpr std::size_t kDescriptionLimit = 256;

const char* const kLabels[kGeneratedLayers] = {"Elevation:",    "Slope:",        "Aspect:",
                                               "Fuel Model:",   "Canopy Cover:", "Stand Height:",
                                               "Canopy Base Height:", "Canopy Bulk Density:"};
const char* const kGridTitles[kGeneratedLayers] = {
    "Select Elevation Grid File",    "Select Slope Grid File",        "Select Aspect Grid File",
    "Select Fuel Model Grid File",   "Select Canopy Cover Grid File", "Select Stand Height Grid File",
    "Select Canopy Base Height Grid File", "Select Canopy Bulk Density Grid File"};
const char* const kGeneralNames[5] = {"Rows", "Columns", "Lower Left X", "Lower Left Y", "CellSize"};

struct SpinSpec {
  double min, max, step;
  int decimals;
};
const SpinSpec kConstantSpins[kGeneratedLayers] = {{0, 30000, 10, 0}, {0, 200, 1, 0},   {0, 360, 1, 0},
                                                   {0, 99, 1, 0},     {0, 100, 1, 0},   {3, 300, 1, 0},
                                                   {0.1, 50, 0.05, 2}, {0, 0.4, 0.01, 2}};
const SpinSpec kGeneralSpins[6] = {{0, 1000000, 1, 0},       {0, 1000000, 1, 0}, {0, 1000000000, 1, 6},
                                   {0, 1000000000, 1, 6},    {0.01, 100000, 1, 2}, {-80, 80, 1, 0}};

const char* const kLandscapeFilter =
    "LCP and GeoTIFF Files (*.lcp;*.tif)|*.lcp;*.tif|Landscape Files (*.lcp)|*.lcp|GeoTIFF files (*.tif)|*.tif||";

std::unique_ptr<widgets::CNumSpinCtrl> MakeSpin(wxWindow* parent, wxTextCtrl* buddy, const SpinSpec& spec,
                                                wxSizer* sizer) {
  auto* arrows = new wxSpinButton(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  auto spin = std::make_unique<widgets::CNumSpinCtrl>();
  spin->Attach(arrows);
  spin->SetBuddy(buddy);
  spin->SetDecimalPlaces(spec.decimals);
  spin->SetRangeAndStep(spec.min, spec.max, spec.step);
  sizer->Add(arrows, 0, wxEXPAND);
  return spin;
}

std::string LowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}


// A typed number, or a message naming the field.
bool ReadNumber(wxTextCtrl* edit, const std::string& field, double& out) {
  const std::string text = edit->GetValue().utf8_string();
  const auto v = platform::ParseDouble(text);
  if (!v || !std::isfinite(*v)) {
    platform::Tell(field + ": \"" + text + "\" is not a number.");
    edit->SetFocus();
    return false;
  }
  out = *v;
  return true;
}

bool ReadWhole(wxTextCtrl* edit, const std::string& field, int& out) {
  double v = 0;
  if (!ReadNumber(edit, field, v)) return false;
  if (v != std::trunc(v) || v < 0 || v > 2147483647.0) {
    platform::Tell(field + ": \"" + edit->GetValue().utf8_string() + "\" is not a whole number of 0 or more.");
    edit->SetFocus();
    return false;
  }
  out = static_cast<int>(v);
  return true;
}

}  // namespace

CGenerateLCPDialog::CGenerateLCPDialog(wxWindow* parent, const std::string& presetSource)
    : wxDialog(parent, wxID_ANY, "Landscape File Generation", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
  EnsureGdal();
  Build();
  generalTypable_ = UpdateGeneralFields(settings);
  if (!presetSource.empty()) {
    const bool lcp = presetSource.size() >= 3 && LowerCase(presetSource.substr(presetSource.size() - 3)) == "lcp";
    if (lcp)
      LoadSourceLcp(settings, presetSource);
    else
      LoadSourceGeoTiff(settings, presetSource);
    generalTypable_ = UpdateGeneralFields(settings);
    clear_->Disable();
    sourceButton_->Disable();
    const std::string prj = platform::ReplaceExtension(presetSource, ".prj");
    if (LowerCase(platform::Extension(presetSource)).rfind(".lcp", 0) == 0 && platform::FileExists(prj)) {
      settings.projectionFile = prj;
      ReadProjectionFile(settings, prj);
    }
  }
  ShowFields();
}

CGenerateLCPDialog::~CGenerateLCPDialog() = default;

void CGenerateLCPDialog::Build() {
  auto* top = new wxBoxSizer(wxVERTICAL);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  sourceButton_ = new wxButton(this, wxID_ANY, "Source Landscape File");
  sourceField_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(300, -1), wxTE_READONLY);
  clear_ = new wxButton(this, wxID_ANY, "Clear Fields");
  auto* save = new wxButton(this, wxID_OK, "Save As...");
  auto* help = new wxButton(this, wxID_HELP, "Help");
  save->SetDefault();
  buttons->Add(sourceButton_, 0, wxRIGHT, 4);
  buttons->Add(sourceField_, 1, wxEXPAND | wxRIGHT, 8);
  for (wxButton* b : {clear_, save, help}) buttons->Add(b, 0, wxRIGHT, 4);
  top->Add(buttons, 0, wxEXPAND | wxALL, 6);

  auto* projection = new wxBoxSizer(wxHORIZONTAL);
  projection->Add(new wxStaticText(this, wxID_ANY, "Projection File: "), 0, wxALIGN_CENTER_VERTICAL);
  projectionField_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(400, -1), wxTE_READONLY);
  projectionButton_ = new wxButton(this, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  projection->Add(projectionField_, 1, wxEXPAND | wxRIGHT, 4);
  projection->Add(projectionButton_);
  top->Add(projection, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);

  auto* general = new wxStaticBoxSizer(wxHORIZONTAL, this, "General");
  auto edit = [&](const char* label, int width) {
    general->Add(new wxStaticText(general->GetStaticBox(), wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    auto* e = new wxTextCtrl(general->GetStaticBox(), wxID_ANY, "", wxDefaultPosition, wxSize(width, -1));
    general->Add(e, 0);
    return e;
  };
  latitude_ = edit("Latitude:", 50);
  generalSpins_[5] = MakeSpin(general->GetStaticBox(), latitude_, kGeneralSpins[5], general);
  general->Add(new wxStaticText(general->GetStaticBox(), wxID_ANY, "Grid Distance Units:"), 0,
               wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
  gridUnits_ = new wxChoice(general->GetStaticBox(), wxID_ANY);
  for (const std::string& u : GridUnitChoices()) gridUnits_->Append(u);
  general->Add(gridUnits_);
  const char* const labels[5] = {"Rows:", "Columns:", "Lower Left X:", "Lower Left Y:", "CellSize:"};
  for (int i = 0; i < 5; ++i) {
    general_[i] = edit(labels[i], i < 2 ? 70 : 100);
    generalSpins_[i] = MakeSpin(general->GetStaticBox(), general_[i], kGeneralSpins[i], general);
  }
  top->Add(general, 0, wxEXPAND | wxALL, 6);

  auto addRows = [&](wxStaticBoxSizer* box, int first, int last) {
    wxWindow* p = box->GetStaticBox();
    auto* grid = new wxFlexGridSizer(8, 4, 4);
    grid->AddGrowableCol(1);
    for (const char* head : {"", "Source", "", "Use\nLCP", "Source Units", "Constants", "", ""})
      grid->Add(new wxStaticText(p, wxID_ANY, head));
    for (int k = first; k <= last; ++k) {
      Row& r = rows_[k];
      grid->Add(new wxStaticText(p, wxID_ANY, kLabels[k]), 0, wxALIGN_CENTER_VERTICAL);
      r.source = new wxTextCtrl(p, wxID_ANY, "", wxDefaultPosition, wxSize(260, -1), wxTE_READONLY);
      grid->Add(r.source, 1, wxEXPAND);
      r.browse = new wxButton(p, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
      grid->Add(r.browse);
      r.useSource = new wxCheckBox(p, wxID_ANY, "");
      grid->Add(r.useSource, 0, wxALIGN_CENTER);
      r.units = new wxChoice(p, wxID_ANY);
      for (const std::string& u : UnitChoices(k)) r.units->Append(u);
      grid->Add(r.units);
      r.constantBox = new wxCheckBox(p, wxID_ANY, "Constant:");
      grid->Add(r.constantBox, 0, wxALIGN_CENTER_VERTICAL);
      r.constantEdit = new wxTextCtrl(p, wxID_ANY, "", wxDefaultPosition, wxSize(70, -1));
      grid->Add(r.constantEdit);
      auto* spinBox = new wxBoxSizer(wxHORIZONTAL);
      r.spin = MakeSpin(p, r.constantEdit, kConstantSpins[k], spinBox);
      grid->Add(spinBox);
      r.browse->Bind(wxEVT_BUTTON, [this, k](wxCommandEvent&) { OnBrowseLayerGrid(k); });
      r.useSource->Bind(wxEVT_CHECKBOX, [this, k](wxCommandEvent&) { OnUseSourceBox(k); });
      r.constantBox->Bind(wxEVT_CHECKBOX, [this, k](wxCommandEvent&) { OnConstantBox(k); });
      r.units->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { ReadFields(); });
      r.spin->GetArrows()->Bind(wxEVT_SPIN, [this, k](wxSpinEvent& e) {
        e.Skip();
        CallAfter([this, k] { OnConstantChanged(k); });
      });
      // Typing into the elevation, slope or aspect constant renews nothing until the next action.
      if (k >= kFuelModel)
        r.constantEdit->Bind(wxEVT_TEXT, [this, k](wxCommandEvent&) {
          if (!showing_) OnConstantChanged(k);
        });
    }
    box->Add(grid, 1, wxEXPAND | wxALL, 4);
  };
  auto* required = new wxStaticBoxSizer(wxVERTICAL, this, "Required Themes");
  addRows(required, 0, 4);
  top->Add(required, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  crown_ = new wxCheckBox(this, wxID_ANY, "Include Crown Fuels");
  top->Add(crown_, 0, wxALL, 6);
  auto* canopy = new wxStaticBoxSizer(wxVERTICAL, this, "Crown Fuels");
  addRows(canopy, 5, 7);
  top->Add(canopy, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  top->Add(new wxStaticText(this, wxID_ANY, "Description"), 0, wxLEFT | wxTOP, 6);
  description_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(-1, 60), wxTE_MULTILINE);
  top->Add(description_, 0, wxEXPAND | wxALL, 6);
  SetSizerAndFit(top);

  sourceButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSourceLandscapeFile(); });
  clear_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnClearFields(); });
  save->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); });
  // Save As is the only button: Escape, the close box and the window manager's close leave
  // without saving rather than run it.
  SetEscapeId(wxID_NONE);
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
    if (e.GetKeyCode() == WXK_ESCAPE && IsModal()) EndModal(wxID_CANCEL);
    else e.Skip();
  });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) {
    if (IsModal()) EndModal(wxID_CANCEL);
    else Hide();
  });
  help->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnHelpButton(); });
  projectionButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnProjectionFile(); });
  crown_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnCrownFuels(); });
  gridUnits_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { ReadFields(); });
}

bool CGenerateLCPDialog::ReadFields() {
  GenerationSettings s = settings;
  if (!ReadNumber(latitude_, "Latitude", s.latitude)) return false;
  for (int k = 0; k < kGeneratedLayers; ++k) {
    Row& r = rows_[k];
    s.layers[k].constant = r.constantBox->GetValue();
    s.layers[k].useSource = r.useSource->GetValue();
    if (r.units->GetSelection() != wxNOT_FOUND) s.layers[k].unit = r.units->GetSelection();
    if (!ReadNumber(r.constantEdit, std::string(kLabels[k]).substr(0, std::string(kLabels[k]).size() - 1) + " constant",
                    s.layers[k].constantValue))
      return false;
  }
  s.crownFuels = crown_->GetValue();
  if (gridUnits_->GetSelection() != wxNOT_FOUND) s.gridUnits = gridUnits_->GetSelection();
  if (generalTypable_) {
    if (!ReadWhole(general_[0], kGeneralNames[0], s.rows) || !ReadWhole(general_[1], kGeneralNames[1], s.columns) ||
        !ReadNumber(general_[2], kGeneralNames[2], s.x) || !ReadNumber(general_[3], kGeneralNames[3], s.y) ||
        !ReadNumber(general_[4], kGeneralNames[4], s.cellSize))
      return false;
  }
  const std::string description = description_->GetValue().utf8_string();
  if (description.size() > kDescriptionLimit) {
    platform::Tell(platform::FormatC("Description: at most %zu characters, not %zu.", kDescriptionLimit,
                                     description.size()));
    return false;
  }
  s.description = description;
  settings = s;
  return true;
}

void CGenerateLCPDialog::ShowFields() {
  showing_ = true;
  const GenerationSettings& s = settings;
  sourceField_->ChangeValue(wxString::FromUTF8(s.sourcePath));
  projectionField_->ChangeValue(wxString::FromUTF8(s.projectionFile));
  projectionButton_->Enable(s.geometryFixed);
  generalSpins_[5]->SetValue(s.latitude);
  gridUnits_->SetSelection(s.gridUnits);
  generalSpins_[0]->SetValue(s.rows);
  generalSpins_[1]->SetValue(s.columns);
  generalSpins_[2]->SetValue(s.x);
  generalSpins_[3]->SetValue(s.y);
  generalSpins_[4]->SetValue(s.cellSize);
  for (int i = 0; i < 5; ++i) {
    general_[i]->Enable(generalTypable_);
    generalSpins_[i]->GetArrows()->Enable(generalTypable_);
  }
  crown_->SetValue(s.crownFuels);
  for (int k = 0; k < kGeneratedLayers; ++k) {
    Row& r = rows_[k];
    const GenerationLayer& l = s.layers[k];
    r.source->ChangeValue(wxString::FromUTF8(LayerSourceText(s, k)));
    r.useSource->SetValue(l.useSource);
    r.constantBox->SetValue(l.constant);
    r.units->SetSelection(l.unit < static_cast<int>(r.units->GetCount()) ? l.unit : wxNOT_FOUND);
    r.spin->SetValue(l.constantValue);
    const LayerEnables e = LayerEnabled(s, k);
    r.useSource->Enable(e.useSource);
    r.constantEdit->Enable(e.constantEdit);
    r.spin->GetArrows()->Enable(e.constantEdit);
    r.browse->Enable(e.browse);
    r.constantBox->Enable(e.constantBox);
    r.units->Enable(e.units);
  }
  description_->ChangeValue(wxString::FromUTF8(s.description));
  showing_ = false;
}

void CGenerateLCPDialog::RenewGeneral() {
  generalTypable_ = UpdateGeneralFields(settings);
  ShowFields();
}

void CGenerateLCPDialog::OnBrowseLayerGrid(int k) {
  if (!ReadFields()) return;
  const auto path = platform::ChooseFile(false, kGridTitles[k],
                        "ASCII Grid and GeoTIFF Files (*.asc;*.tif)|*.asc;*.tif|ASCII Grid Files (*.asc)|*.asc|"
                        "GeoTIFF Files (*.tif)|*.tif|All Files (*.*)|*.*||", "");
  if (!path) return;
  ChooseGrid(settings, k, *path);
  ShowFields();
}

void CGenerateLCPDialog::OnSourceLandscapeFile() {
  if (!ReadFields()) return;
  const auto path = platform::ChooseFile(false, "Select Landscape File to Load", kLandscapeFilter, "");
  if (!path) return;
  if (ChooseSourceLandscape(settings, *path)) RenewGeneral();
  else ShowFields();
}

void CGenerateLCPDialog::OnProjectionFile() {
  if (!ReadFields()) return;
  const auto path = platform::ChooseFile(false, "Select a Projection File", "ESRI Projection Files (*.prj)|*.prj||", "");
  if (!path) return;
  ChooseProjectionFile(settings, *path);
  ShowFields();
}

void CGenerateLCPDialog::OnClearFields() {
  ClearFields(settings);
  RenewGeneral();
}

void CGenerateLCPDialog::OnConstantBox(int k) {
  if (!ReadFields()) {
    ShowFields();
    return;
  }
  if (settings.layers[k].constant) settings.layers[k].useSource = false;
  RenewGeneral();
}

void CGenerateLCPDialog::OnUseSourceBox(int k) {
  if (!ReadFields()) {
    ShowFields();
    return;
  }
  settings.layers[k].constant = false;
  RenewGeneral();
}

void CGenerateLCPDialog::OnCrownFuels() {
  if (!ReadFields()) {
    ShowFields();
    return;
  }
  RenewGeneral();
}

void CGenerateLCPDialog::OnConstantChanged(int k) {
  // A half-typed number is read at the next action.
  const auto v = platform::ParseDouble(rows_[k].constantEdit->GetValue().utf8_string());
  if (!v) return;
  settings.layers[k].constantValue = *v;
  rows_[k].source->ChangeValue(wxString::FromUTF8(LayerSourceText(settings, k)));
}

void CGenerateLCPDialog::OnOK() {
  if (!ReadFields()) return;
  const auto chosen = platform::ChooseFile(true, "Select Destination Landscape File Name", kLandscapeFilter, "lcp");
  if (!chosen) return;
  const std::string dest = platform::WithDefaultExtension(*chosen, "lcp");
  if (!settings.sourcePath.empty() && LowerCase(dest) == LowerCase(settings.sourcePath)) {
    platform::Tell("Error! Destination LCP file same as source LCP file, can not overwrite source LCP.");
    return;
  }
  wxBusyCursor wait;
  GenerateLandscape(settings, dest);
}

void CGenerateLCPDialog::OnHelpButton() { GetApp().ShowHelpTopic(kHelpTopic); }

}  // namespace landscape::ui
