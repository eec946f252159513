#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/application.h"
#include "landscape/reader.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "runs/run_host.h"
#include "runs/ui/page_menus.h"
#include "runs/ui/run_sheet.h"

namespace runs::ui {

namespace {

constexpr PageOutput<CRunTOMSettings> kBoxes[CTreatPage::kOutputCount] = {
    {1259, "Treatment Opportunities Grid", &CRunTOMSettings::treatmentOpportunities},
    {1254, "Treatment Grid ", &CRunTOMSettings::treatments},
    {1042, "Rate of Spread Grid", &CRunTOMSettings::rateOfSpread},
    {1043, "Influence Grid", &CRunTOMSettings::nodeInfluence},
    {1044, "Arrival Time Grid", &CRunTOMSettings::arrivalTime},
    {1047, "Fireline Intensity", &CRunTOMSettings::firelineIntensity},
    {1048, "Flow Paths", &CRunTOMSettings::flowPaths},
    {1049, "Major Paths", &CRunTOMSettings::majorPaths},
    {1046, "Arrival Time Contour", &CRunTOMSettings::arrivalContour},
};
constexpr int kOpportunitiesBox = 0, kTreatmentsBox = 1, kRateBox = 2, kIntensityBox = 5;

const PageNumber<CTreatPage> kNumbers[] = {
    {&CTreatPage::resolution, 1232, 1233, "Resolution of calculations(distance)", 1, 10000, 1, 0, true},
    {&CTreatPage::dimension, 1249, 1250, "Maximum Treatment Dimension (m)", 1, 10000, 1, 0},
    {&CTreatPage::iterations, 1247, 1248, "Iterations / Treatment Level (1 - 5)", 1, 5, 1, 0},
    {&CTreatPage::fraction, 1253, 1252, "Treatment Fraction (portion of landscape that can be treated)", 0.01, 1,
     0.01, 2},
};

}  // namespace

CTreatPage::CTreatPage(wxWindow* parent, CRunSheet* s, CRun* r) : CTravelTimePage(parent, 244, s, r, "Launch TOM") {
  Bind(wxEVT_HELP, [](wxHelpEvent&) { GetApp().ShowHelpTopic(52); });
}

void CTreatPage::Build() {
  auto* top = new wxBoxSizer(wxHORIZONTAL);

  auto* in = new wxStaticBoxSizer(wxVERTICAL, this, "Inputs");
  wxWindow* ib = in->GetStaticBox();
  ignitionButton = new wxButton(ib, 1480, "Ignition File");
  ignitionBox = new wxTextCtrl(ib, 1243, "", wxDefaultPosition, wxSize(280, -1), wxTE_READONLY);
  idealButton = new wxButton(ib, 1488, "Ideal Landscape");
  idealBox = new wxTextCtrl(ib, 1245, "", wxDefaultPosition, wxSize(280, -1), wxTE_READONLY);
  auto numberRow = [&](std::size_t i) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(ib, wxID_ANY, std::string(kNumbers[i].label) + ":"), 1, wxALIGN_CENTER_VERTICAL | wxRIGHT,
             6);
    row->Add(AddNumberBox(ib, kNumbers[i], numberSpins[i]));
    in->Add(row, 0, wxEXPAND | wxALL, 2);
  };
  in->Add(ignitionButton, 0, wxALL, 2);
  in->Add(ignitionBox, 0, wxEXPAND | wxALL, 2);
  numberRow(0);
  in->Add(idealButton, 0, wxTOP | wxLEFT | wxRIGHT, 2);
  in->Add(idealBox, 0, wxEXPAND | wxALL, 2);
  for (std::size_t i = 1; i < std::size(kNumbers); ++i) numberRow(i);
  top->Add(in, 1, wxEXPAND | wxALL, 4);

  auto* outs = new wxStaticBoxSizer(wxVERTICAL, this, "Outputs");
  wxWindow* ob = outs->GetStaticBox();
  for (int i = 0; i < 2; ++i) {
    outputs[i] = new wxCheckBox(ob, kBoxes[i].id, kBoxes[i].label);
    outs->Add(outputs[i], 0, wxALL, 2);
  }
  auto* optional = new wxStaticBoxSizer(wxVERTICAL, ob, "Optional Treatment Outputs");
  wxWindow* pb = optional->GetStaticBox();
  for (int i = 2; i < kOutputCount; ++i) {
    outputs[i] = new wxCheckBox(pb, kBoxes[i].id, kBoxes[i].label);
    optional->Add(outputs[i], 0, wxALL, 2);
  }
  outs->Add(optional, 0, wxEXPAND | wxALL, 2);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* all = new wxButton(ob, 1262, "Select All");
  auto* none = new wxButton(ob, 1061, "Remove All");
  buttons->Add(all, 0, wxRIGHT, 6);
  buttons->Add(none);
  outs->Add(buttons, 0, wxALL, 4);
  top->Add(outs, 0, wxEXPAND | wxALL, 4);
  SetSizer(top);
  Layout();

  BindOutputBoxes(outputs, kOutputCount, kRateBox, kIntensityBox);
  all->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSelectAll(); });
  none->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRemoveAll(); });
  for (wxButton* b : {ignitionButton, idealButton})
    b->Bind(wxEVT_BUTTON, [this, b](wxCommandEvent&) {
      std::unique_ptr<wxMenu> menu(BuildMenu(b->GetId()));
      if (int id = ChooseMenuCommand(b, *menu, menuChooser)) RunMenuCommand(id);
    });
}

void CTreatPage::LoadFromRun() {
  loading_ = true;
  CRunTOMSettings& t = run->tom;
  ignitionFile = t.ignitionFile;
  idealLandscapeFile = t.idealLandscapeFile;
  TakeCellWidth(t.resolution);
  auto show = [](wxTextCtrl* edit, long value) { edit->ChangeValue(wxString::Format("%ld", value)); };
  show(resolution, static_cast<long>(t.resolution));
  show(dimension, static_cast<long>(t.maxTreatmentDimension));
  show(iterations, t.iterations);
  fraction->ChangeValue(wxString::FromUTF8(platform::FormatC("%.2f", t.treatmentFraction)));
  for (int i = 0; i < kOutputCount; ++i) outputs[i]->SetValue(t.*(kBoxes[i].flag) != 0);
  ShowFiles();
  loading_ = false;
}

void CTreatPage::ShowFiles() {
  ignitionBox->ChangeValue(Shortened(ignitionFile, ignitionBox));
  idealBox->ChangeValue(Shortened(idealLandscapeFile, idealBox));
}

CRunTOMSettings CTreatPage::Selection() const {
  CRunTOMSettings t = run->tom;
  if (!IsCreated()) return t;
  for (int i = 0; i < kOutputCount; ++i) t.*(kBoxes[i].flag) = outputs[i]->GetValue() ? 1 : 0;
  return t;
}

void CTreatPage::ApplyToRun() {
  // Only values the page can take reach the run (the sheet has said why it refused others).
  if (!run || !IsCreated() || CheckFields()) return;
  auto whole = [](const wxTextCtrl* edit) { return static_cast<int>(*platform::ParseInt(edit->GetValue().utf8_string())); };
  CRunTOMSettings& t = run->tom;
  for (int i = 0; i < kOutputCount; ++i) t.*(kBoxes[i].flag) = outputs[i]->GetValue() ? 1 : 0;
  t.ignitionFile = ignitionFile;
  t.resolution = whole(resolution);
  t.maxTreatmentDimension = whole(dimension);
  t.treatmentFraction = *platform::ParseDouble(fraction->GetValue().utf8_string());
  t.iterations = whole(iterations);
  SelectEngineGrids(t.firelineIntensity != 0);

  // A new ideal landscape replaces its themes; a cleared one takes them away.
  if (!idealLandscapeFile.empty() && idealLandscapeFile != t.idealLandscapeFile) {
    t.idealLandscapeFile = idealLandscapeFile;
    run->RemoveIdealLandscapeThemes();
    run->RemoveTOMOutputThemes();
    run->CreateIdealLandscapeThemes();
    if (run->document) run->document->UpdateAllViews();
  } else if (idealLandscapeFile.empty() && !t.idealLandscapeFile.empty()) {
    if (run->host) {
      for (CTheme* theme : run->idealLandscapeThemes) run->host->DeleteOutputItem(*run, theme);
      for (CTheme* theme : run->tomOutputThemes) run->host->DeleteOutputItem(*run, theme);
    }
    t.idealLandscapeFile.clear();
    run->RemoveIdealLandscapeThemes();
    run->RemoveTOMOutputThemes();
    if (run->document) run->document->UpdateAllViews();
  }
  if (changed) run->tomUpToDate2 = false;
  changed = false;
}

bool CTreatPage::IsReady() const {
  if (!IsCreated()) return run->tom.IsReady();
  if (outputs[kTreatmentsBox]->GetValue()) return !idealLandscapeFile.empty() && !ignitionFile.empty();
  return outputs[kOpportunitiesBox]->GetValue() && !idealLandscapeFile.empty();
}

void CTreatPage::OnSelectAll() {
  for (wxCheckBox* box : outputs) box->SetValue(true);
  MarkChanged();
}

void CTreatPage::OnRemoveAll() {
  for (wxCheckBox* box : outputs) box->SetValue(false);
  MarkChanged();
}

wxMenu* CTreatPage::BuildMenu(int buttonId) {
  auto* menu = new wxMenu;
  if (buttonId == 1480) {
    AppendIgnitionItems(*menu, *run, !ignitionFile.empty());
  } else if (buttonId == 1488) {
    menu->Append(MenuId(kOpenIdealLandscape), "&Open Ideal Landscape...");
    menu->Append(MenuId(kClearIdealLandscape), "&Clear Ideal Landscape")->Enable(!idealLandscapeFile.empty());
  }
  return menu;
}

void CTreatPage::RunMenuCommand(int id) {
  switch (id) {
    case kOpenIgnitions: OnIgnitionFile(); break;
    case kLoadCurrentShape: OnLoadCurrentShape(); break;
    case kClearIgnitions: OnClearIgnitionFile(); break;
    case kOpenIdealLandscape: OnIdealLandscape(); break;
    case kClearIdealLandscape: OnClearIdealLandscape(); break;
    default: break;
  }
}

void CTreatPage::TakeIgnitions(const std::string& path, bool mustOverlap) {
  ignitionFile = path;
  if (!TakeRunShapefile(*run, run->tomIgnitions, path, mustOverlap, "Treatment Ignitions",
                        NoOverlapText(false)))
    ignitionFile.clear();
  ShowFiles();
  if (run->document) run->document->UpdateAllViews();
  MarkChanged();
}

void CTreatPage::OnIgnitionFile() {
  if (auto chosen = ChooseShapefile()) TakeIgnitions(*chosen, true);
}

void CTreatPage::OnLoadCurrentShape() {
  // Drawn shapes are taken as they are, without the overlap test of an opened file.
  if (std::string file = DrawnShapesFile(run->document); !file.empty()) TakeIgnitions(file, false);
}

void CTreatPage::OnClearIgnitionFile() {
  ClearRunShapefile(*run, run->tomIgnitions, ignitionFile, false, [this] { ShowFiles(); }, [this] { MarkChanged(); });
}

bool CTreatPage::CheckIdealLandscape(const std::string& path) {
  std::string why;
  auto land = landscape::LandscapeReader::Open(path, &why);
  if (!land) {
    platform::Tell("Error: the ideal landscape " + path + " cannot be read: " + why);
    return false;
  }
  if (!land->HasLayer(landscape::kFuelModel) || !land->HasLayer(landscape::kCanopyCover)) {
    platform::Tell("Error: the ideal landscape " + path + " has no fuel model or canopy cover layer.");
    return false;
  }
  // The treated fuels must lie under every cell of the analysis area.
  double east = 0, west = 0, north = 0, south = 0;
  if (run->host) run->host->AreaExtent(east, west, north, south);
  const CHeaderData& h = land->Header();
  const double slack = std::max(h.cellWidth, h.cellHeight) * 0.5;
  if (run->host && !(h.west <= west + slack && h.east >= east - slack && h.south <= south + slack &&
                     h.north >= north - slack)) {
    platform::Tell("Error: the ideal landscape " + path + " does not cover the Analysis Area.");
    return false;
  }
  return true;
}

void CTreatPage::OnIdealLandscape() {
  platform::FileDialogOptions options;
  options.filter =
      "LCP and GeoTIFF Files (*.lcp;*.tif)|*.lcp;*.tif|Landscape Files (*.lcp)|*.lcp|GeoTIFF files (*.tif)|*.tif||";
  auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (!chosen || !CheckIdealLandscape(*chosen)) return;
  idealLandscapeFile = *chosen;
  ShowFiles();
  MarkChanged();
}

void CTreatPage::OnClearIdealLandscape() {
  idealLandscapeFile.clear();
  ShowFiles();
  MarkChanged();
}

}  // namespace runs::ui
