// The Treatment Optimization Model page as a user works it: readiness from the ideal landscape
// and the ignition file, files refused by name, typed numbers refused and kept, the output
// boxes that go together, the ideal-landscape themes that follow Apply, and "Launch TOM".
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

#include "landscape/reader.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "support/shape_files.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "views/ui/project_tree.h"
#include "widgets/screenshot.h"
#include "widgets/up_dialog.h"

using runs::ui::CPathweaverPage;
using runs::ui::CRunSheet;
using runs::ui::CTravelTimePage;
using runs::ui::CTreatPage;
using runs_gui::Use;

namespace {

constexpr const char* kFms = "0 6 7 8 60 90\n";

std::string SampleLcp() { return std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"; }

// A copy of the sample landscape whose burnable cells carry fuel model 8 (slow timber litter):
// the treated landscape.
std::string WriteIdealLandscape(const runs_gui::Project& p, const std::string& name) {
  auto land = landscape::LandscapeReader::Open(SampleLcp());
  EXPECT_TRUE(land);
  const CHeaderData& h = land->Header();
  std::string bytes = runs_gui::Project::Read(SampleLcp());
  const std::size_t bands = static_cast<std::size_t>(h.BandCount());
  const std::size_t fuel = static_cast<std::size_t>(h.BandIndex(landscape::kFuelModel));
  const std::size_t cells = static_cast<std::size_t>(h.rows) * static_cast<std::size_t>(h.columns);
  EXPECT_EQ(bytes.size(), static_cast<std::size_t>(landscape::kLcpHeaderSize) + cells * bands * 2);
  for (std::size_t c = 0; c < cells; ++c) {
    char* at = bytes.data() + landscape::kLcpHeaderSize + (c * bands + fuel) * 2;
    std::int16_t v = 0;
    std::memcpy(&v, at, 2);
    if ((v >= 1 && v <= 13) || v >= 101) v = 8;
    std::memcpy(at, &v, 2);
  }
  return p.Write(name, bytes);
}

// The sample landscape moved 100 km east.
std::string MovedLandscape(const runs_gui::Project& p, const std::string& name) {
  const std::string path = p.Write(name, runs_gui::Project::Read(SampleLcp()));
  auto land = landscape::LandscapeReader::Open(SampleLcp());
  CHeaderData h = land->Header();
  for (double* x : {&h.west, &h.east, &h.westEdge, &h.eastEdge}) *x += 100000;
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  EXPECT_TRUE(f);
  EXPECT_EQ(h.WriteHeader(f), 0);
  std::fclose(f);
  return path;
}

void UseMenu(CTravelTimePage* page, wxWindow* button, int item) {
  page->menuChooser = [item](int) { return item; };
  Use(button);
  page->menuChooser = nullptr;
}

CRunSheet* TreatSheet(runs_gui::Project& p) {
  p.run->inputs.fuelMoistureFile = p.Write("a.fms", kFms);
  p.run->outputs.crownFireMethod = 0;
  auto* sheet = new CRunSheet(nullptr, p.run);
  sheet->Show();
  sheet->SelectPage(3);
  sheet->timing.poll = std::chrono::milliseconds(10);
  sheet->timing.settle = std::chrono::milliseconds(0);
  return sheet;
}

}  // namespace

TEST(TreatPageWindow, ReadinessFilesTypedNumbersAndOutputBoxes) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  CRunSheet* sheet = TreatSheet(p);
  CTreatPage* page = sheet->treatPage;
  ASSERT_TRUE(page->IsCreated());
  EXPECT_EQ(sheet->book->GetPageText(3), "Treatment Optimization Model");
  EXPECT_EQ(sheet->launchButton->GetLabel(), "Launch TOM");
  EXPECT_TRUE(sheet->launchButton->IsShown());
  EXPECT_FALSE(sheet->launchButton->IsEnabled());
  EXPECT_EQ(page->fraction->GetValue(), "0.10");
  EXPECT_EQ(page->resolution->GetValue(), "30");

  // A file that is no landscape, or a landscape away from the analysis area, is refused,
  // naming it.
  const std::string junk = p.Write("junk.lcp", "not a landscape");
  const std::string moved = MovedLandscape(p, "moved.lcp");
  const std::pair<std::string, std::string> refused[] = {
      {junk, "Error: the ideal landscape " + junk + " cannot be read"},
      {moved, "Error: the ideal landscape " + moved + " does not cover the Analysis Area."}};
  for (const auto& [file, refusal] : refused) {
    dialogs.AnswerOpenFile(file);
    UseMenu(page, page->idealButton, CTreatPage::kOpenIdealLandscape);
    ASSERT_EQ(messages.Texts().size(), 1u) << file;
    EXPECT_EQ(messages.Texts()[0].rfind(refusal, 0), 0u) << messages.Texts()[0];
    EXPECT_EQ(page->idealLandscapeFile, "");
    messages.Clear();
  }

  // Treatments need the ignition file as well; opportunities only the ideal landscape.
  Use(page->FindWindow(1254));  // Treatment Grid
  Use(page->FindWindow(1259));  // Treatment Opportunities Grid
  const std::string ideal = WriteIdealLandscape(p, "ideal.lcp");
  dialogs.AnswerOpenFile(ideal);
  UseMenu(page, page->idealButton, CTreatPage::kOpenIdealLandscape);
  EXPECT_EQ(page->idealLandscapeFile, ideal);
  EXPECT_FALSE(sheet->launchButton->IsEnabled());
  Use(page->FindWindow(1254));
  EXPECT_TRUE(sheet->launchButton->IsEnabled());
  Use(page->FindWindow(1254));

  // Ignitions away from the area are refused; the sample point is taken.
  dialogs.AnswerOpenFile(testsupport::WriteShapes(p.dir.string(), "far", {"POINT (100 100)"}));
  UseMenu(page, page->ignitionButton, CTreatPage::kOpenIgnitions);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error: Ignition file does not overlap Analysis Area"});
  EXPECT_EQ(page->ignitionFile, "");
  EXPECT_EQ(p.run->tomIgnitions, nullptr);
  messages.Clear();
  const std::string ignitions = testsupport::WriteShapes(p.dir.string(), "ign", {"POINT (614400 4509600)"});
  dialogs.AnswerOpenFile(ignitions);
  UseMenu(page, page->ignitionButton, CTreatPage::kOpenIgnitions);
  ASSERT_NE(p.run->tomIgnitions, nullptr);
  EXPECT_EQ(p.run->tomIgnitions->name, "Treatment Ignitions");
  EXPECT_TRUE(sheet->launchButton->IsEnabled());

  // Select All ticks all nine; clearing the rate clears the intensity made from it, and
  // ticking the intensity brings the rate back.
  Use(page->FindWindow(1262));
  for (wxCheckBox* box : page->outputs) EXPECT_TRUE(box->GetValue()) << box->GetLabel();
  Use(page->FindWindow(1042));
  EXPECT_FALSE(page->outputs[5]->GetValue());
  Use(page->FindWindow(1047));
  EXPECT_TRUE(page->outputs[2]->GetValue());

  // Typed numbers outside their ranges are refused by name and kept as typed, never clamped.
  struct Typed {
    wxTextCtrl* edit;
    const char* bad;
    const char* good;
    const char* refusal;
  } typed[] = {
      {page->fraction, "1.5", "0.25",
       "Treatment Fraction (portion of landscape that can be treated): Please enter a number between 0.01 and 1."},
      {page->iterations, "6", "3", "Iterations / Treatment Level (1 - 5): Please enter an integer between 1 and 5."},
      {page->resolution, "10", "120",
       "Resolution of calculations(distance): Please enter an integer between 30 and 10000."},
      {page->dimension, "wide", "240", "Maximum Treatment Dimension (m): Please enter an integer."},
  };
  for (const Typed& t : typed) {
    t.edit->SetValue(t.bad);
    EXPECT_EQ(sheet->StatusText(0), t.refusal);
    EXPECT_FALSE(sheet->launchButton->IsEnabled()) << t.bad;
    sheet->OnApplyNow();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{t.refusal});
    EXPECT_EQ(t.edit->GetValue(), t.bad);
    messages.Clear();
    t.edit->SetValue(t.good);
  }
  sheet->OnApplyNow();
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
  const CRunTOMSettings& tom = p.run->tom;
  EXPECT_DOUBLE_EQ(tom.treatmentFraction, 0.25);
  EXPECT_EQ(tom.iterations, 3);
  EXPECT_DOUBLE_EQ(tom.resolution, 120);
  EXPECT_DOUBLE_EQ(tom.maxTreatmentDimension, 240);
  EXPECT_EQ(tom.ignitionFile, ignitions);
  EXPECT_EQ(tom.treatments, 1);
  // The optimisation's fire behaviour needs the ellipses, and its intensity the basic grids.
  EXPECT_TRUE(p.run->outputs.ellipticalB && p.run->outputs.maxSpotting);
  EXPECT_TRUE(p.run->outputs.firelineIntensity && p.run->outputs.rateOfSpread);
  // Three fire-behaviour grids and the nine treatment outputs ticked, Treatments itself included.
  EXPECT_EQ(sheet->StatusText(1), "12 outputs selected");
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(TreatPageWindow, ClearIgnitionsAndClearBarriersDropTheFileAndItsTheme) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  CRunSheet* sheet = TreatSheet(p);
  sheet->SelectPage(2);
  CPathweaverPage* mtt = sheet->mttPage;
  CTreatPage* treat = sheet->treatPage;
  ASSERT_TRUE(mtt->IsCreated() && treat->IsCreated());
  const std::string shapes = testsupport::WriteShapes(p.dir.string(), "ign", {"POINT (614400 4509600)"});
  const struct {
    const char* name;
    CTravelTimePage* page;
    wxButton* button;
    int open, clear;
    std::string& file;
    wxTextCtrl* box;
    CVectorTheme*& slot;
  } cases[] = {
      {"MTT ignitions", mtt, mtt->ignitionButton, CPathweaverPage::kOpenIgnitions, CPathweaverPage::kClearIgnitions,
       mtt->ignitionFile, mtt->ignitionBox, p.run->mttIgnitions},
      {"MTT barriers", mtt, mtt->barrierButton, CPathweaverPage::kOpenBarriers, CPathweaverPage::kClearBarriers,
       mtt->barrierFile, mtt->barrierBox, p.run->mttBarriers},
      {"TOM ignitions", treat, treat->ignitionButton, CTreatPage::kOpenIgnitions, CTreatPage::kClearIgnitions,
       treat->ignitionFile, treat->ignitionBox, p.run->tomIgnitions},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    dialogs.AnswerOpenFile(shapes);
    UseMenu(k.page, k.button, k.open);
    ASSERT_NE(k.slot, nullptr);
    EXPECT_EQ(k.file, shapes);
    k.page->changed = false;
    UseMenu(k.page, k.button, k.clear);
    EXPECT_EQ(k.file, "");
    EXPECT_EQ(k.box->GetValue(), "");
    EXPECT_EQ(k.slot, nullptr);
    EXPECT_TRUE(k.page->changed);
  }
  // Barriers named without a theme behind them: the run changes all the same.
  mtt->barrierFile = shapes;
  mtt->changed = false;
  UseMenu(mtt, mtt->barrierButton, CPathweaverPage::kClearBarriers);
  EXPECT_EQ(mtt->barrierFile, "");
  EXPECT_TRUE(mtt->changed);
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
  sheet->Destroy();
}

TEST(TreatPageWindow, TheIdealLandscapeThemesFollowApply) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  runs_gui::TreeWindow window(p.doc);
  CRunSheet* sheet = TreatSheet(p);
  CTreatPage* page = sheet->treatPage;
  const std::string ideal = WriteIdealLandscape(p, "ideal.lcp");
  dialogs.AnswerOpenFile(ideal);
  UseMenu(page, page->idealButton, CTreatPage::kOpenIdealLandscape);
  // The file is read only when the page is applied.
  EXPECT_EQ(p.run->idealLandscapeThemes[0], nullptr);
  sheet->OnApplyNow();
  std::vector<std::string> names;
  for (CTheme* t : p.run->idealLandscapeThemes) names.push_back(t ? t->name : "");
  EXPECT_EQ(names, (std::vector<std::string>{"Fuel Model", "Canopy Cover", "Stand Height", "Canopy Base Height",
                                             "Canopy Bulk Density"}));
  ASSERT_NE(p.run->idealLandscapeTreeItem, nullptr);
  EXPECT_EQ(window.tree->GetChildrenCount(wxTreeItemId(p.run->idealLandscapeTreeItem), false), 5u);

  // The same file again leaves the themes as they are; another replaces them.
  CTheme* fuel = p.run->idealLandscapeThemes[0];
  dialogs.AnswerOpenFile(ideal);
  UseMenu(page, page->idealButton, CTreatPage::kOpenIdealLandscape);
  sheet->OnApplyNow();
  EXPECT_EQ(p.run->idealLandscapeThemes[0], fuel);
  const std::string other = WriteIdealLandscape(p, "other.lcp");
  dialogs.AnswerOpenFile(other);
  UseMenu(page, page->idealButton, CTreatPage::kOpenIdealLandscape);
  sheet->OnApplyNow();
  EXPECT_EQ(p.run->tom.idealLandscapeFile, other);
  ASSERT_NE(p.run->idealLandscapeThemes[0], nullptr);
  EXPECT_EQ(p.run->idealLandscapeLegends.size(), 5u);
  EXPECT_EQ(window.tree->GetChildrenCount(wxTreeItemId(p.run->idealLandscapeTreeItem), false), 5u);

  // Clearing it takes the themes and their folder away.
  UseMenu(page, page->idealButton, CTreatPage::kClearIdealLandscape);
  sheet->OnApplyNow();
  EXPECT_EQ(p.run->tom.idealLandscapeFile, "");
  EXPECT_TRUE(std::all_of(p.run->idealLandscapeThemes, p.run->idealLandscapeThemes + 5, [](CTheme* t) { return !t; }));
  EXPECT_TRUE(p.run->idealLandscapeLegends.empty());
  EXPECT_EQ(p.run->idealLandscapeTreeItem, nullptr);
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(TreatPageWindow, LaunchTOMRunsTheOptimisationFromThePage) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  runs_gui::TreeWindow window(p.doc);
  p.run->inputs.griddedWindsResolution = 90;
  CRunSheet* sheet = TreatSheet(p);
  CTreatPage* page = sheet->treatPage;
  dialogs.AnswerOpenFile(WriteIdealLandscape(p, "ideal.lcp"));
  UseMenu(page, page->idealButton, CTreatPage::kOpenIdealLandscape);
  dialogs.AnswerOpenFile(testsupport::WriteShapes(p.dir.string(), "ign", {"POINT (614400 4509600)"}));
  UseMenu(page, page->ignitionButton, CTreatPage::kOpenIgnitions);
  Use(page->FindWindow(1262));  // Select All
  page->resolution->SetValue("120");
  ASSERT_TRUE(sheet->launchButton->IsEnabled());

  const std::vector<std::string> seen = runs_gui::LaunchAndWatch(sheet);
  // The gridded winds need be no finer than the optimisation's grid.
  EXPECT_EQ(p.run->inputs.griddedWindsResolution, 120);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().rfind("Execution complete. Run time: ", 0), 0u) << seen.back();
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();

  // The TOM rasters sit on the analysis area's corner, every treated cell an opportunity.
  const CPyrvane2WorkArea* area = p.doc.currentArea;
  std::set<std::string> names;
  for (const auto& t : p.run->outputThemes) {
    names.insert(t->name);
    if (t->layerType < 35) continue;
    EXPECT_DOUBLE_EQ(t->west, area->west) << t->name;
    EXPECT_DOUBLE_EQ(t->south, area->south) << t->name;
    EXPECT_DOUBLE_EQ(t->cellWidth, 120) << t->name;
  }
  for (const char* want : {"TOM Treat Opportunities", "TOM Treatments", "TOM ROS", "TOM Node Influence",
                           "TOM Arrival Time", "TOM Fireline Intensity"})
    EXPECT_TRUE(names.count(want)) << want;
  const CTheme* treatments = p.run->FindOutputTheme(40);
  const CTheme* opportunities = p.run->FindOutputTheme(41);
  ASSERT_TRUE(treatments && opportunities);
  int treated = 0;
  for (int r = 0; r < treatments->rows; ++r)
    for (int c = 0; c < treatments->columns; ++c) {
      const double x = treatments->west + (c + 0.5) * 120, y = treatments->north - (r + 0.5) * 120;
      if (!(treatments->GetValueAt(x, y) > 0)) continue;
      ++treated;
      EXPECT_FLOAT_EQ(opportunities->GetValueAt(x, y), 1) << x << " " << y;
    }
  EXPECT_GT(treated, 0);
  ASSERT_NE(p.run->majorPaths, nullptr);
  EXPECT_EQ(p.run->majorPaths->name, "TOM Major Paths");
  ASSERT_NE(p.run->flowPaths, nullptr);
  EXPECT_EQ(p.run->flowPaths->name, "TOM Flow Paths");
  ASSERT_NE(p.run->arrivalContour, nullptr);
  EXPECT_EQ(p.run->arrivalContour->name, "TOM Arrival Contour");
  ASSERT_FALSE(p.run->runLogs.empty());
  EXPECT_EQ(p.run->runLogs.back().text.rfind("#Run Log for TOM run: New Run\r\n", 0), 0u);

  // The outputs are listed under the run in the project tree.
  views::ui::CPVN4View* tree = window.tree;
  ASSERT_NE(p.run->treeItem, nullptr);
  std::set<std::string> listed;
  wxTreeItemIdValue cookie;
  const wxTreeItemId runItem(p.run->treeItem);
  for (wxTreeItemId c = tree->GetFirstChild(runItem, cookie); c.IsOk(); c = tree->GetNextChild(runItem, cookie))
    listed.insert(tree->GetItemText(c).utf8_string());
  for (const char* want : {"TOM Treatments", "TOM Treat Opportunities", "TOM Major Paths", "Run Log"})
    EXPECT_TRUE(listed.count(want)) << want << " in " << ::testing::PrintToString(listed);

  // Nothing is stale now: a second launch says so.
  EXPECT_TRUE(p.run->tomUpToDate1 && p.run->tomUpToDate2 && p.run->fireBehaviorUpToDate);
  sheet->OnLaunch();
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"All outputs up to date."});
  EXPECT_TRUE(sheet->IsEnabled());
  sheet->Destroy();
  widgets::FlushEvents(2);
}
