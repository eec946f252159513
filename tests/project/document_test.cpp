#include "project_test_support.h"
#include "themes/contour_theme.h"

namespace project_test {
namespace {

// Counts what the document tells its views and windows.
struct Recorder : DocumentObserver {
  std::vector<int> hints;
  std::vector<const void*> removed;
  void OnUpdate(CPVN4Doc&, int hint) override { hints.push_back(hint); }
  void OnRemoving(CPVN4Doc&, const void* object) override { removed.push_back(object); }
};

float Layered(int layer, int r, int c) { return layer == 3 ? static_cast<float>(1 + (r + c) % 3) : 10.0f * layer + r; }

class DocumentTest : public ProjectTest {
 protected:
  CPVN4Doc& Doc() {
    CPVN4Doc& doc = MakeLandscape(10, 10, 30, 30, Layered);
    doc.AddObserver(&recorder);
    doc.windows.updateLegend = [this] { ++legendUpdates; };
    return doc;
  }
  CTheme* AddGrid(CPVN4Doc& doc, float value) {
    return doc.AddGridTheme(MakeTheme(10, 10, 10, 30, 30, std::vector<float>(100, value)));
  }
  Recorder recorder;
  int legendUpdates = 0;
};

TEST_F(DocumentTest, NewDocumentHoldsNothingAndMeasuresInUnitCells) {
  CPVN4Doc doc;
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(doc.landscape.path, "No Landscape File");
  EXPECT_TRUE(doc.areas.empty() && doc.gridThemes.empty() && doc.currentArea == nullptr);
  double w = 0, h = 0;
  doc.GetCellSize(&w, &h);
  EXPECT_EQ(w, 1.0);
  EXPECT_EQ(h, 1.0);
  EXPECT_EQ(doc.GetLayerUnits(10), 0);
  EXPECT_EQ(doc.GetLayerUnits(-1), 0);

  // With a landscape, the landscape's cells even when a generic grid of another size comes first.
  CPVN4Doc& loaded = MakeLandscape(2, 2, 30, 20, Layered);
  loaded.gridThemes.insert(loaded.gridThemes.begin(), MakeTheme(10, 1, 1, 5, 5, {1}));
  loaded.GetCellSize(&w, &h);
  EXPECT_EQ(w, 30.0);
  EXPECT_EQ(h, 20.0);
}

TEST_F(DocumentTest, ChangesNotifyViewsMarkModifiedAndRebuildTheLegend) {
  CPVN4Doc& doc = Doc();
  CTheme* grid = AddGrid(doc, 4);
  EXPECT_EQ(recorder.hints, std::vector<int>{kHintRender});
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(legendUpdates, 1);
  // Every area holds the new theme's window and legend at its place in the list.
  for (const auto& a : doc.areas) {
    EXPECT_EQ(a->legends.back()->GetTheme(), grid);
    EXPECT_EQ(a->themeRects.back().theme, grid);
  }

  // Vector and contour removals leave the redraw to their command.
  recorder.hints.clear();
  doc.SetModifiedFlag(false);
  CVectorTheme v;
  doc.AddVectorDrawItem(&v);
  doc.DeleteVectorTheme(&v);
  EXPECT_TRUE(recorder.hints.empty());
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(legendUpdates, 2);
  EXPECT_TRUE(doc.drawPriority.empty());

  // Views are found by their class, in the order they registered.
  struct MapView : DocumentObserver {};
  MapView map;
  doc.AddObserver(&map);
  EXPECT_EQ(doc.FindView<MapView>(), &map);
  EXPECT_EQ(doc.FindView<Recorder>(), &recorder);
  doc.RemoveObserver(&map);
  EXPECT_EQ(doc.FindView<MapView>(), nullptr);

  doc.RemoveObserver(&recorder);
  doc.NotifyChanged();
  EXPECT_TRUE(recorder.hints.empty());
}

TEST_F(DocumentTest, DeletingAGridThemeDropsEveryReferenceToIt) {
  CPVN4Doc& doc = Doc();
  CTheme* a = AddGrid(doc, 1);
  CTheme* b = AddGrid(doc, 2);
  CTheme* c = AddGrid(doc, 3);
  ASSERT_NE(doc.CreateWorkArea(200, 200, 100, 100, "second"), nullptr);
  CTheme* fuel = doc.GetThemeByLayerType(3);

  doc.SetVisibleTheme(a);
  doc.DeleteGridTheme(b);  // not the visible one
  EXPECT_EQ(doc.visibleTheme, a);
  for (const auto& area : doc.areas) {
    ASSERT_EQ(area->legends.size(), doc.gridThemes.size());
    for (std::size_t i = 0; i < doc.gridThemes.size(); ++i)
      EXPECT_EQ(area->legends[i]->GetTheme(), doc.gridThemes[i].get());
    EXPECT_EQ(area->GetThemeRect(b).theme, nullptr);
    EXPECT_EQ(area->GetThemeRect(c).theme, c);
  }
  EXPECT_EQ(recorder.removed, std::vector<const void*>{b});

  doc.DeleteGridTheme(a);  // the visible one: the fuel-model layer takes over
  EXPECT_EQ(doc.visibleTheme, fuel);
  EXPECT_EQ(doc.GetVisibleThemeLegend()->GetTheme(), fuel);

  // Even a landscape layer: no pointer to it survives, and no fuel layer leaves none visible.
  doc.DeleteGridTheme(fuel);
  EXPECT_EQ(doc.visibleTheme, nullptr);
  EXPECT_EQ(doc.landscape.layers[3], nullptr);
  EXPECT_EQ(doc.GetThemeByLayerType(3), nullptr);
}

// A deleter that only counts, so the test can hand the document themes it cannot see.
int g_deleted = 0;
template <class T>
void CountDelete(T*) {
  ++g_deleted;
}

TEST_F(DocumentTest, OverlayRemovalsFreeTheirThemesOnceAndTheirDrawItems) {
  CPVN4Doc& doc = Doc();
  g_deleted = 0;
  int storage[4] = {};
  auto owned = std::make_unique<CVectorTheme>();
  CVectorTheme* vector = owned.get();
  auto* contour = reinterpret_cast<CContourTheme*>(&storage[1]);
  CWindVectorTheme arrows[2];
  CWindVectorTheme* wind = &arrows[0];
  doc.AddVectorTheme(std::move(owned));
  doc.AddContourTheme(OwnedTheme<CContourTheme>(contour, &CountDelete<CContourTheme>));
  doc.AddWindVectorTheme(OwnedTheme<CWindVectorTheme>(wind, &CountDelete<CWindVectorTheme>));
  doc.AddWindVectorDrawItem(wind);
  doc.AddVectorDrawItem(vector);  // a second item of the same theme
  ASSERT_EQ(doc.drawPriority.size(), 4u);
  ASSERT_NE(doc.FindWindVectorLegend(wind), nullptr);

  doc.DeleteVectorTheme(vector);
  doc.DeleteContourTheme(contour);
  doc.DeleteWindVectorTheme(wind);
  EXPECT_EQ(g_deleted, 2);
  EXPECT_TRUE(doc.drawPriority.empty());
  EXPECT_TRUE(doc.vectorThemes.empty() && doc.contourThemes.empty() && doc.windVectorThemes.empty());
  // The arrow theme's legend goes with it: left behind it would name a freed theme.
  EXPECT_EQ(doc.FindWindVectorLegend(wind), nullptr);
  // A theme the document does not hold is not freed again.
  doc.DeleteVectorTheme(vector);
  EXPECT_EQ(g_deleted, 2);

  // The run thread's removal reaches no view and no window.
  CWindVectorTheme* replaced = &arrows[1];
  doc.AddWindVectorTheme(OwnedTheme<CWindVectorTheme>(replaced, &CountDelete<CWindVectorTheme>));
  doc.AddWindVectorDrawItem(replaced);
  const auto hints = recorder.hints.size(), removed = recorder.removed.size();
  const int legends = legendUpdates;
  doc.RemoveWindVectorTheme(replaced);
  EXPECT_EQ(g_deleted, 3);
  EXPECT_TRUE(doc.drawPriority.empty() && doc.windVectorLegends.empty());
  EXPECT_EQ(recorder.hints.size(), hints);
  EXPECT_EQ(recorder.removed.size(), removed);
  EXPECT_EQ(legendUpdates, legends);
}

TEST_F(DocumentTest, AnArrowLegendBelongsToItsThemeNotToItsAddress) {
  CPVN4Doc& doc = Doc();
  alignas(CWindVectorTheme) unsigned char storage[sizeof(CWindVectorTheme)];
  auto* first = new (storage) CWindVectorTheme();
  doc.AddWindVectorLegend(first);
  ASSERT_NE(doc.FindWindVectorLegend(first), nullptr);
  // Freed behind the document's back, and a new theme made at the same address.
  first->~CWindVectorTheme();
  auto* second = new (storage) CWindVectorTheme();
  EXPECT_EQ(doc.FindWindVectorLegend(second), nullptr);
  doc.AddWindVectorLegend(second);
  EXPECT_EQ(doc.FindWindVectorLegend(second), doc.windVectorLegends.back().get());
  second->~CWindVectorTheme();
}

TEST_F(DocumentTest, ArrowLegendSplitsTheMagnitudeRange) {
  CPVN4Doc& doc = Doc();
  CWindVectorPreferences& p = GetApp().windVectorPrefs[1];
  p.numClasses = 5;
  p.units = 1;
  p.usePredefinedLegend = 0;
  p.ramp = CColorRamp({0x000010, 0x000050});
  CWindVectorTheme theme;
  theme.kind = 1;
  theme.minMagnitude = 2;
  theme.maxMagnitude = 12;
  const std::size_t at = doc.AddWindVectorLegend(&theme);
  const CWVLegendData& l = *doc.windVectorLegends[at];
  ASSERT_EQ(l.GetCount(), 5);
  for (int i = 0; i < 5; ++i) {
    // 2 .. 12 m/min are 6.56 .. 39.37 ft/min, the display units: five steps of 6.56 above it.
    EXPECT_NEAR(l.GetEntry(i).GetValue(), 6.5616 * (i + 2), 1e-4);
    EXPECT_EQ(l.GetEntry(i).GetRelativeLength(), i + 1);
  }
  EXPECT_EQ(l.GetEntry(0).GetColor(), 0x000010u);
  EXPECT_EQ(l.GetMinValue(), 2.0);
  EXPECT_EQ(l.units, 1);

  // A named predefined legend of the same kind is copied instead.
  auto pre = std::make_unique<CPredefinedWVThemeLegend>();
  pre->name = "Gusts";
  pre->kind = 1;
  GetApp().predefinedWVLegends.push_back(std::move(pre));
  p.usePredefinedLegend = 1;
  p.predefinedLegendName = "Gusts";
  const std::size_t copied = doc.AddWindVectorLegend(&theme);
  EXPECT_EQ(doc.windVectorLegends[copied]->GetCount(), 1);
  EXPECT_EQ(doc.windVectorLegends[copied]->GetMaxValue(), 12.0);
  // No classes asked for: no classes, and no division by zero.
  p.usePredefinedLegend = 0;
  p.numClasses = 0;
  EXPECT_EQ(doc.windVectorLegends[doc.AddWindVectorLegend(&theme)]->GetCount(), 0);
}

// A run whose output theme is on show, in a second area.
CRun* AddRunWithOutput(CPyrvane2WorkArea& area, CTheme*& output) {
  CRun* run = area.AddRun(std::make_unique<CRun>());
  auto theme = MakeTheme(12, 10, 10, 30, 30, std::vector<float>(100, 7.0f));
  output = theme.get();
  auto legend = area.CreateLegendData(output, nullptr);
  run->AddOutputTheme(std::move(theme), std::move(legend));
  return run;
}

TEST_F(DocumentTest, DeletingTheCurrentAreaShowsTheFuelLayerOnEveryPath) {
  for (int path : {0, 1, 2}) {  // tree Delete key, Delete command, deleting the run first
    CPVN4Doc& doc = Doc();
    CPyrvane2WorkArea* area = doc.CreateWorkArea(200, 200, 100, 100, "fire");
    CTheme* output = nullptr;
    CRun* run = AddRunWithOutput(*area, output);
    ASSERT_EQ(area->GetThemeRect(output).theme, output);
    doc.SetVisibleTheme(output);
    ASSERT_EQ(doc.GetVisibleThemeLegend()->GetTheme(), output);
    doc.viewHistory = {{1, 1, 1, doc.DefaultArea(), nullptr}, {2, 2, 1, area, output}, {3, 3, 1, area, output}};
    doc.historyPosition = 2;
    platform::ScopedRecordingMessages messages;
    if (path == 0) {
      doc.DeleteWorkArea(area);
    } else if (path == 1) {
      EXPECT_TRUE(doc.OnDeleteAnalysisArea(area, "fire"));
      EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Delete Analysis Area 'fire'?"});
    } else {
      area->DeleteRun(run);
      EXPECT_TRUE(area->runs.empty());
      EXPECT_EQ(area->GetThemeRect(output).theme, nullptr);
      EXPECT_EQ(doc.visibleTheme, doc.GetThemeByLayerType(3));
      doc.DeleteWorkArea(area);
    }
    EXPECT_EQ(doc.areas.size(), 1u);
    EXPECT_EQ(doc.currentArea, doc.DefaultArea());
    EXPECT_EQ(doc.visibleTheme, doc.GetThemeByLayerType(3));
    ASSERT_EQ(doc.viewHistory.size(), 1u);
    EXPECT_EQ(doc.historyPosition, 0);
    EXPECT_EQ(recorder.removed.back(), area);
    recorder = Recorder{};
  }
}

TEST_F(DocumentTest, ALaunchHidesTheOverlaysOfEveryOtherRun) {
  CPVN4Doc& doc = Doc();
  CPyrvane2WorkArea* fire = doc.CreateWorkArea(200, 200, 100, 100, "fire");
  CPyrvane2WorkArea* ridge = doc.CreateWorkArea(200, 200, 100, 100, "ridge");
  CTheme* output = nullptr;
  CRun* launched = AddRunWithOutput(*fire, output);
  CRun* sameArea = AddRunWithOutput(*fire, output);
  CRun* otherArea = AddRunWithOutput(*ridge, output);
  CVectorTheme paths[3], perimeters;
  CContourTheme contour;
  CWindVectorTheme arrows[2];
  launched->flowPaths = &paths[0];
  launched->windVectors = &arrows[0];
  sameArea->majorPaths = &paths[1];
  sameArea->arrivalContour = &contour;
  otherArea->mttIgnitions = &paths[2];
  otherArea->embrithPerimeters = &perimeters;
  otherArea->spreadVectors = &arrows[1];
  arrows[0].visible = arrows[1].visible = true;
  doc.ClearOtherRunsShownFlags(launched);
  EXPECT_TRUE(paths[0].visible);
  EXPECT_TRUE(arrows[0].visible);
  for (const bool shown : {paths[1].visible, contour.visible, paths[2].visible, perimeters.visible, arrows[1].visible})
    EXPECT_FALSE(shown);
  // The themes belong to this test, not to the runs.
  launched->flowPaths = sameArea->majorPaths = otherArea->mttIgnitions = otherArea->embrithPerimeters = nullptr;
  launched->windVectors = otherArea->spreadVectors = nullptr;
  sameArea->arrivalContour = nullptr;
}

TEST_F(DocumentTest, DestroyingTheProjectClosesWindowsFirstAndFreesRunOverlaysOnce) {
  g_deleted = 0;
  bool themesAliveWhenWindowsClosed = false;
  CWindVectorTheme arrows;  // outlives the project, which only counts its deletion
  {
    CPVN4Doc& doc = Doc();
    CPyrvane2WorkArea* area = doc.CreateWorkArea(200, 200, 100, 100, "fire");
    CTheme* output = nullptr;
    CRun* run = AddRunWithOutput(*area, output);
    auto paths = std::make_unique<CVectorTheme>();
    run->flowPaths = paths.get();
    run->windVectors = &arrows;
    doc.AddVectorTheme(std::move(paths));
    doc.AddWindVectorTheme(OwnedTheme<CWindVectorTheme>(run->windVectors, &CountDelete<CWindVectorTheme>));
    doc.AddWindVectorDrawItem(run->windVectors);
    doc.SetVisibleTheme(output);
    doc.windows.closeWindows = [&] { themesAliveWhenWindowsClosed = !doc.gridThemes.empty() && !doc.areas.empty(); };
    // A window still registered when the project goes (one waiting to be deleted) is told,
    // so it never reaches back into the freed document.
    struct LateWindow : DocumentObserver {
      int told = 0;
      void OnDocumentDestroyed(CPVN4Doc&) override { ++told; }
    } late;
    doc.AddObserver(&late);
    doc_.reset();
    EXPECT_EQ(late.told, 1);
  }
  EXPECT_TRUE(themesAliveWhenWindowsClosed);
  EXPECT_EQ(g_deleted, 1);
}

TEST_F(DocumentTest, DeleteCommandRefusesTheDefaultAreaAndKeepsTheChangeOnNo) {
  CPVN4Doc& doc = Doc();
  CPyrvane2WorkArea* area = doc.CreateWorkArea(200, 200, 100, 100, "fire");
  CTheme* grid = AddGrid(doc, 5);
  doc.SetVisibleTheme(grid);
  platform::ScopedRecordingMessages messages;
  messages.Script({platform::Answer::No});
  EXPECT_FALSE(doc.OnDeleteAnalysisArea(doc.DefaultArea(), "Entire Landscape (Default)"));
  EXPECT_FALSE(doc.OnDeleteAnalysisArea(area, "fire"));
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Can not delete the default Analysis Area.",
                                                        "Delete Analysis Area 'fire'?"}));
  EXPECT_EQ(doc.areas.size(), 2u);
  EXPECT_EQ(doc.currentArea, doc.DefaultArea());
  EXPECT_EQ(doc.visibleTheme, doc.GetThemeByLayerType(3));
}

TEST_F(DocumentTest, ClosingOrDestroyingTheActiveProjectClearsIt) {
  int closed = 0;
  {
    CPVN4Doc doc;
    doc.windows.closeWindows = [&] { ++closed; };
    SetActiveDocument(&doc);
    doc.OnCloseDocument();
    EXPECT_EQ(GetActiveDocument(), nullptr);
    EXPECT_EQ(closed, 1);
    SetActiveDocument(&doc);
  }
  EXPECT_EQ(GetActiveDocument(), nullptr);
  CPVN4Doc other;
  {
    CPVN4Doc doc;
    SetActiveDocument(&other);
  }
  EXPECT_EQ(GetActiveDocument(), &other);  // another project's closing leaves it alone
  SetActiveDocument(nullptr);
}

TEST_F(DocumentTest, OpeningMarksModifiedOnlyAfterWeatherConversion) {
  for (bool converted : {false, true}) {
    CPVN4Doc doc;
    EXPECT_TRUE(doc.OnOpenDocument("p.pvn", [&](CPVN4Doc& d, const std::string&) {
      d.weatherConverted = converted;
      d.SetModifiedFlag(true);
      return true;
    }));
    EXPECT_EQ(doc.IsModified(), converted);
  }
  CPVN4Doc failed;
  EXPECT_FALSE(failed.OnOpenDocument("p.pvn", [](CPVN4Doc&, const std::string&) { return false; }));
}

TEST_F(DocumentTest, LandscapeThatCannotBeOpenedGivesNoArea) {
  platform::ScopedRecordingMessages messages;
  CPVN4Doc doc;
  EXPECT_EQ(doc.OpenLandscape(Path("missing.lcp")), -1);
  EXPECT_TRUE(doc.areas.empty());
  EXPECT_FALSE(doc.IsLandscapeLoaded());
  EXPECT_FALSE(messages.Texts().empty());

  // Inside a project the failure stops the open with a message that names the file.
  messages.Clear();
  EXPECT_FALSE(doc.OpenProjectLandscape(Path("missing.lcp")));
  ASSERT_FALSE(messages.Texts().empty());
  EXPECT_NE(messages.Texts().back().find("missing.lcp\nThe project cannot be opened."), std::string::npos);
  EXPECT_TRUE(doc.areas.empty());

  // The sample opens with its default area over the whole landscape and the fuel layer shown.
  Recorder views;
  doc.AddObserver(&views);
  ASSERT_EQ(doc.OpenLandscape(SamplePath("sample.lcp")), 1);
  ASSERT_EQ(doc.areas.size(), 1u);
  const CPyrvane2WorkArea& a = *doc.DefaultArea();
  EXPECT_EQ(a.name, "Entire Landscape (Default)");
  EXPECT_DOUBLE_EQ(a.north, doc.landscape.header.north);
  EXPECT_DOUBLE_EQ(a.east, doc.landscape.header.east);
  EXPECT_EQ(doc.visibleTheme, doc.GetThemeByLayerType(3));
  EXPECT_EQ(a.legends.size(), doc.gridThemes.size());
  EXPECT_GT(a.fuelModelCount, 0);
  EXPECT_EQ(views.hints, std::vector<int>{kHintLandscapeOpened});
  doc.RemoveObserver(&views);
}

}  // namespace
}  // namespace project_test

namespace project_test {
namespace {

TEST_F(DocumentTest, LandscapeRulesCountApplyAndLoseTheClausesOfDeletedThemes) {
  platform::ScopedRecordingMessages messages;
  CPVN4Doc& doc = Doc();
  CTheme* grid = AddGrid(doc, 4);
  auto owned = std::make_unique<CVectorTheme>();
  CVectorTheme* vector = owned.get();
  doc.AddVectorTheme(std::move(owned));

  auto rule = std::make_unique<CLcpRule>();
  rule->targetLayer = 4;
  rule->constantValue = "40";
  rule->fuelModels = {1};
  for (const void* theme : {static_cast<const void*>(grid), static_cast<const void*>(vector), static_cast<const void*>(nullptr)}) {
    auto c = std::make_unique<CLcpRuleClause>();
    c->isRaster = theme != vector;
    c->rasterTheme = theme == grid ? grid : theme ? nullptr : doc.GetThemeByLayerType(3);
    c->rasterTitle = c->rasterTheme ? c->rasterTheme->name : "";
    c->vectorTheme = theme == vector ? vector : nullptr;
    c->vectorTitle = "Units";
    c->minimum = "1";
    rule->clauses.push_back(std::move(c));
  }
  CLcpRule* r = rule.get();
  doc.landscapeRules.push_back(std::move(rule));
  doc.DeleteGridTheme(grid);
  doc.DeleteVectorTheme(vector);
  ASSERT_EQ(r->clauses.size(), 1u);
  EXPECT_EQ(r->description, "Set Canopy Cover = 40 IF Fuel Model = (1) AND layer 3 >= 1");

  // Fuel model 1 lies where (row + column) % 3 == 0: 34 of the 100 cells.
  ASSERT_TRUE(doc.GetThemeByLayerType(4)->LoadMemoryGrid());
  EXPECT_EQ(doc.CountLandscapeRuleCells(*r), 34);
  EXPECT_FALSE(doc.landscape.edited);
  EXPECT_EQ(doc.ApplyLandscapeRule(*r), 34);
  EXPECT_TRUE(doc.landscape.edited);
  EXPECT_EQ(doc.GetThemeByLayerType(4)->GetCellValue(3, 0), 40.0f);
  EXPECT_TRUE(messages.Texts().empty());

  // A layer the landscape lacks refuses the rule, naming the layer.
  r->targetLayer = 6;
  r->GetDescription();
  EXPECT_EQ(doc.ApplyLandscapeRule(*r), -1);
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("Canopy Base Height"), std::string::npos);
}

}  // namespace
}  // namespace project_test
