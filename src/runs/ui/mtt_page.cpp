#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/application.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "runs/run_burnprob.h"
#include "runs/run_host.h"
#include "runs/ui/page_menus.h"
#include "runs/ui/run_sheet.h"
#include "themes/vector_theme.h"

namespace runs::ui {

namespace {

constexpr PageOutput<CRunMTTSettings> kBoxes[15] = {
    {1042, "Rate of Spread Grid", &CRunMTTSettings::rateOfSpread},
    {1043, "Influence Grid", &CRunMTTSettings::nodeInfluence},
    {1044, "Arrival Time Grid", &CRunMTTSettings::arrivalTime},
    {1047, "Fireline Intensity", &CRunMTTSettings::firelineIntensity},
    {1045, "Ignition Grid", &CRunMTTSettings::ignitionGrid},
    {1048, "Flow Paths", &CRunMTTSettings::flowPaths},
    {1049, "Major Paths", &CRunMTTSettings::majorPaths},
    {1046, "Arrival Time Contour", &CRunMTTSettings::arrivalContour},
    {1409, "Ember Locations", &CRunMTTSettings::emberLocations},
    {1053, "Ember List", &CRunMTTSettings::emberList},
    {1051, "Burn Probabilities", &CRunMTTSettings::burnProbabilities},
    {1356, "Perimeters", &CRunMTTSettings::perimeters},
    {1041, "FLP - 6 Bin English", &CRunMTTSettings::flpEnglish},
    {1052, "FLP - 20 Bin Metric", &CRunMTTSettings::flpMetric},
    {1050, "Fire Size List", &CRunMTTSettings::fireSizeList},
};
constexpr int kRateBox = 0, kIntensityBox = 3;

const PageNumber<CPathweaverPage> kNumbers[] = {
    {&CPathweaverPage::randomCount, 1239, 1240, "Number of Random Ignitions", 1, 1000000, 1, 0},
    {&CPathweaverPage::resolution, 1232, 1233, "Resolution of calculations(distance)", 1, 10000, 1, 0, true},
    {&CPathweaverPage::simulationTime, 1234, 1235,
     "Maximum Simulation Time (minutes, 0 = Unlimited, per Ignition)", 0, 10000, 1, 0},
    {&CPathweaverPage::pathInterval, 1236, 1237, "Interval for Minimum Travel Paths (distance)", 1, 10000, 1, 0},
    {&CPathweaverPage::spotProbability, 1241, 1245, "Spot Probability", 0, 1, 0.001, 3},
    {&CPathweaverPage::spotDelay, 1254, 1255, "Spotting Delay (mins)", 0, 120, 1, 0},
    {&CPathweaverPage::lateralDepth, 1250, 1251, "Lateral Search Depth", 0, 10, 1, 0},
    {&CPathweaverPage::verticalDepth, 1252, 1253, "Vertical Search Depth", 0, 10, 1, 0},
};

}  // namespace

CPathweaverPage::CPathweaverPage(wxWindow* parent, CRunSheet* s, CRun* r)
    : CTravelTimePage(parent, 243, s, r, "Launch MTT") {
  Bind(wxEVT_HELP, [](wxHelpEvent&) { GetApp().ShowHelpTopic(44); });
}

void CPathweaverPage::Build() {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* columns = new wxBoxSizer(wxHORIZONTAL);
  auto* left = new wxBoxSizer(wxVERTICAL);

  auto* ign = new wxStaticBoxSizer(wxVERTICAL, this, "Ignitions");
  wxWindow* ib = ign->GetStaticBox();
  sourceRadios[0] = new wxRadioButton(ib, 1029, "From File", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  ignitionButton = new wxButton(ib, 1480, "Ignition File");
  ignitionBox = new wxTextCtrl(ib, 1243, "", wxDefaultPosition, wxSize(260, -1), wxTE_READONLY);
  sourceRadios[1] = new wxRadioButton(ib, 1238, "Random");
  // The number boxes, each with its arrows beside it.
  auto numberBox = [&](wxWindow* parent, std::size_t i) { return AddNumberBox(parent, kNumbers[i], numberSpins[i]); };
  wxSizer* randomBox = numberBox(ib, 0);
  sourceRadios[2] = new wxRadioButton(ib, 1030, "From Fire List File");
  fireListButton = new wxButton(ib, 1485, "Fire List File");
  fireListBox = new wxTextCtrl(ib, 1248, "", wxDefaultPosition, wxSize(260, -1), wxTE_READONLY);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(sourceRadios[0], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  row->Add(ignitionButton);
  ign->Add(row, 0, wxALL, 2);
  ign->Add(ignitionBox, 0, wxEXPAND | wxALL, 2);
  row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(sourceRadios[1], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  row->Add(new wxStaticText(ib, 1489, "Number of Random Ignitions:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(randomBox);
  ign->Add(row, 0, wxALL, 2);
  row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(sourceRadios[2], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  row->Add(fireListButton);
  ign->Add(row, 0, wxALL, 2);
  ign->Add(fireListBox, 0, wxEXPAND | wxALL, 2);
  left->Add(ign, 0, wxEXPAND | wxALL, 4);

  auto* in = new wxStaticBoxSizer(wxVERTICAL, this, "Inputs");
  wxWindow* nb = in->GetStaticBox();
  auto* grid = new wxFlexGridSizer(2, 4, 6);
  for (std::size_t i = 1; i < std::size(kNumbers); ++i) {
    grid->Add(new wxStaticText(nb, wxID_ANY, std::string(kNumbers[i].label) + ":"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(numberBox(nb, i));
  }
  in->Add(grid, 0, wxALL, 4);
  left->Add(in, 0, wxEXPAND | wxALL, 4);

  auto* bar = new wxStaticBoxSizer(wxVERTICAL, this, "Barriers");
  wxWindow* bb = bar->GetStaticBox();
  barrierButton = new wxButton(bb, 1486, "Barriers File");
  barrierBox = new wxTextCtrl(bb, 1246, "", wxDefaultPosition, wxSize(260, -1), wxTE_READONLY);
  fillBarriers = new wxCheckBox(bb, 1337, "Fill Barriers");
  bar->Add(barrierButton, 0, wxALL, 2);
  bar->Add(barrierBox, 0, wxEXPAND | wxALL, 2);
  bar->Add(fillBarriers, 0, wxALL, 2);
  left->Add(bar, 0, wxEXPAND | wxALL, 4);
  columns->Add(left, 1, wxEXPAND);

  auto* outs = new wxStaticBoxSizer(wxVERTICAL, this, "Outputs");
  wxWindow* ob = outs->GetStaticBox();
  for (int i = 0; i < 15; ++i) {
    outputs[i] = new wxCheckBox(ob, kBoxes[i].id, kBoxes[i].label);
    outs->Add(outputs[i], 0, wxALL, 2);
  }
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* all = new wxButton(ob, 1262, "Select All");
  auto* none = new wxButton(ob, 1061, "Remove All");
  buttons->Add(all, 0, wxRIGHT, 6);
  buttons->Add(none);
  outs->Add(buttons, 0, wxALL, 4);
  columns->Add(outs, 0, wxEXPAND | wxALL, 4);
  top->Add(columns, 1, wxEXPAND);
  SetSizer(top);
  Layout();

  BindOutputBoxes(outputs, 15, kRateBox, kIntensityBox);
  fillBarriers->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { MarkChanged(); });
  for (int k = 0; k < 3; ++k)
    sourceRadios[k]->Bind(wxEVT_RADIOBUTTON, [this, k](wxCommandEvent&) {
      ignitionSource = k == 0 ? 0 : k + 1;
      // Fires of unlimited time would burn the whole area: random fires and fire lists
      // start from an hour.
      if (k != 0 && platform::ParseInt(simulationTime->GetValue().utf8_string()) == std::optional<long long>(0))
        simulationTime->ChangeValue("60");
      SetIgnitionControls();
      MarkChanged();
    });
  all->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSelectAll(); });
  none->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRemoveAll(); });
  for (wxButton* b : {ignitionButton, barrierButton, fireListButton})
    b->Bind(wxEVT_BUTTON, [this, b](wxCommandEvent&) {
      std::unique_ptr<wxMenu> menu(BuildMenu(b->GetId()));
      if (int id = ChooseMenuCommand(b, *menu, menuChooser)) RunMenuCommand(id);
    });
}

void CPathweaverPage::LoadFromRun() {
  loading_ = true;
  CRunMTTSettings& m = run->mtt;
  ignitionSource = m.ignitionSource == 0 || m.ignitionSource == 2 ? m.ignitionSource : 3;
  ignitionFile = m.ignitionFile;
  barrierFile = m.barrierFile;
  fireListFile = m.fireListFile;
  sourceRadios[ignitionSource == 0 ? 0 : ignitionSource - 1]->SetValue(true);
  TakeCellWidth(m.resolution);
  auto show = [](wxTextCtrl* edit, long value) { edit->ChangeValue(wxString::Format("%ld", value)); };
  show(randomCount, std::max(1, m.numberOfRandomFires));
  show(resolution, static_cast<long>(m.resolution));
  show(pathInterval, static_cast<long>(m.travelPathInterval));
  show(simulationTime, static_cast<long>(m.simulationTime));
  show(spotDelay, m.spotDelay);
  show(lateralDepth, m.lateralSearchDepth);
  show(verticalDepth, m.verticalSearchDepth);
  spotProbability->ChangeValue(wxString::FromUTF8(platform::FormatC("%.3f", m.spotProbability)));
  fillBarriers->SetValue(m.fillBarriers != 0);
  for (int i = 0; i < 15; ++i) outputs[i]->SetValue(m.*(kBoxes[i].flag) != 0);
  ShowFiles();
  SetIgnitionControls();
  loading_ = false;
}

void CPathweaverPage::ShowFiles() {
  ignitionBox->ChangeValue(Shortened(ignitionFile, ignitionBox));
  barrierBox->ChangeValue(Shortened(barrierFile, barrierBox));
  fireListBox->ChangeValue(Shortened(fireListFile, fireListBox));
}

void CPathweaverPage::SetIgnitionControls() {
  const bool fromFile = ignitionSource == 0, random = ignitionSource == 2;
  ignitionButton->Enable(fromFile);
  ignitionBox->Enable(fromFile);
  randomCount->Enable(random);
  numberSpins[0]->Enable(random);
  if (wxWindow* label = FindWindow(1489)) label->Enable(random);
  fireListButton->Enable(!fromFile && !random);
  fireListBox->Enable(!fromFile && !random);
  for (int i = 0; i < 15; ++i) outputs[i]->Enable((i < kShapefileOutputs) == fromFile);
}

void CPathweaverPage::ApplyToRun() {
  // Only values the page can take reach the run (the sheet has said why it refused others).
  if (!run || !IsCreated() || CheckFields()) return;
  auto whole = [](const wxTextCtrl* edit) { return static_cast<int>(*platform::ParseInt(edit->GetValue().utf8_string())); };
  CRunMTTSettings& m = run->mtt;
  m.marker = 1;
  for (int i = 0; i < 15; ++i) m.*(kBoxes[i].flag) = outputs[i]->GetValue() ? 1 : 0;
  m.fillBarriers = fillBarriers->GetValue() ? 1 : 0;
  m.ignitionSource = ignitionSource;
  m.ignitionFile = ignitionFile;
  m.barrierFile = barrierFile;
  m.fireListFile = fireListFile;
  m.travelPathInterval = whole(pathInterval);
  m.simulationTime = whole(simulationTime);
  if (randomCount->IsEnabled()) m.numberOfRandomFires = whole(randomCount);
  m.resolution = whole(resolution);
  m.spotDelay = whole(spotDelay);
  m.lateralSearchDepth = whole(lateralDepth);
  m.verticalSearchDepth = whole(verticalDepth);
  m.spotProbability = *platform::ParseDouble(spotProbability->GetValue().utf8_string());
  SelectEngineGrids(m.firelineIntensity != 0);
  if (changed) run->mttUpToDate = false;
  changed = false;
}

CRunMTTSettings CPathweaverPage::Selection() const {
  CRunMTTSettings m = run->mtt;
  if (!IsCreated()) return m;
  for (int i = 0; i < 15; ++i) m.*(kBoxes[i].flag) = outputs[i]->GetValue() ? 1 : 0;
  m.ignitionSource = ignitionSource;
  return m;
}

bool CPathweaverPage::IsReady() const {
  if (!IsCreated()) return run->mtt.IsReady();
  if (ignitionSource != 0) {
    if (ignitionSource != 2 && (ignitionSource != 3 || fireListFile.empty())) return false;
    for (int i = kShapefileOutputs; i < 15; ++i)
      if (outputs[i]->GetValue()) return true;
    return false;
  }
  if (ignitionFile.empty() || !run->mttIgnitions) return false;
  for (int i = 0; i < kShapefileOutputs; ++i)
    if (outputs[i]->IsEnabled() && outputs[i]->GetValue()) return true;
  return false;
}

void CPathweaverPage::OnSelectAll() {
  for (int i = 0; i < 15; ++i)
    if ((i < kShapefileOutputs) == (ignitionSource == 0)) outputs[i]->SetValue(true);
  MarkChanged();
}

void CPathweaverPage::OnRemoveAll() {
  for (int i = 0; i < 15; ++i)
    if ((i < kShapefileOutputs) == (ignitionSource == 0)) outputs[i]->SetValue(false);
  MarkChanged();
}

wxMenu* CPathweaverPage::BuildMenu(int buttonId) {
  auto* menu = new wxMenu;
  switch (buttonId) {
    case 1480: AppendIgnitionItems(*menu, *run, !ignitionFile.empty()); break;
    case 1486: AppendBarrierItems(*menu, !barrierFile.empty()); break;
    case 1485:
      menu->Append(MenuId(kOpenFireList), "&Open Fire List File...");
      menu->Append(MenuId(kClearFireList), "&Clear Fire List File...")->Enable(!fireListFile.empty());
      break;
    default: break;
  }
  return menu;
}

void CPathweaverPage::RunMenuCommand(int id) {
  switch (id) {
    case kOpenIgnitions: OnIgnitionFile(); break;
    case kLoadCurrentShape: OnLoadCurrentShape(); break;
    case kClearIgnitions: ClearShapefile(false); break;
    case kOpenBarriers: OnBarrierFile(); break;
    case kClearBarriers: ClearShapefile(true); break;
    case kOpenFireList: OnFireListFile(); break;
    case kClearFireList: OnClearFireListFile(); break;
    default: break;
  }
}

void CPathweaverPage::OpenShapefile(bool barriers) {
  if (auto chosen = ChooseShapefile()) TakeShapefile(barriers, *chosen, true);
}

void CPathweaverPage::TakeShapefile(bool barriers, const std::string& path, bool mustOverlap) {
  CVectorTheme*& slot = barriers ? run->mttBarriers : run->mttIgnitions;
  std::string& file = barriers ? barrierFile : ignitionFile;
  file = path;
  if (!TakeRunShapefile(*run, slot, path, mustOverlap,
                        barriers ? "Minimum Travel Time Barriers" : "Minimum Travel Time Ignitions",
                        NoOverlapText(barriers)))
    file.clear();
  ShowFiles();
  if (run->document) run->document->UpdateAllViews();
  MarkChanged();
}

void CPathweaverPage::OnLoadCurrentShape() {
  // Drawn shapes are taken as they are, without the overlap test of an opened file.
  if (std::string file = DrawnShapesFile(run->document); !file.empty()) TakeShapefile(false, file, false);
}

void CPathweaverPage::OnIgnitionFile() { OpenShapefile(false); }

void CPathweaverPage::OnBarrierFile() { OpenShapefile(true); }

void CPathweaverPage::ClearShapefile(bool barriers) {
  ClearRunShapefile(*run, barriers ? run->mttBarriers : run->mttIgnitions, barriers ? barrierFile : ignitionFile,
                    barriers, [this] { ShowFiles(); }, [this] { MarkChanged(); });
}

void CPathweaverPage::OnFireListFile() {
  platform::FileDialogOptions options;
  options.filter = "Fire List Files (*.txt, *.csv)|*.txt;*.csv|All Files (*.*)|*.*||";
  auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (!chosen) return;
  double east = 0, west = 0, north = 0, south = 0;
  if (run->host) run->host->AreaExtent(east, west, north, south);
  std::vector<runs::FirePoint> points;
  if (!runs::ReadFireList(*chosen, east, west, north, south, points)) {
    platform::Tell(platform::FormatC("Error opening %s", chosen->c_str()));
    return;
  }
  if (!platform::AskYesNo(platform::FormatC("Found %ld fires in %s\n\nUse this fire list file?",
                                            static_cast<long>(points.size()), chosen->c_str())))
    return;
  fireListFile = *chosen;
  ShowFiles();
  if (run->document) run->document->UpdateAllViews();
  MarkChanged();
}

void CPathweaverPage::OnClearFireListFile() {
  fireListFile.clear();
  ShowFiles();
  MarkChanged();
}

}  // namespace runs::ui
