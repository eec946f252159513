// The legend creator's class table without its window: classes built, counted, edited and
// written back, and every refusal told with its message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "app/preference_records.h"
#include "app/preferences_file.h"
#include "platform/messages.h"
#include "project/work_area.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "views/legend_creator.h"

namespace views {
namespace {

// A 4 x 5 theme of the given cells (row by row from the north) and an area over all of it.
struct Fixture {
  explicit Fixture(const std::vector<float>& cells, int layerType = 10) : area(nullptr) {
    theme.CreateFromFloats("Test", 0, 0, 1, 1, 4, 5, kNoData, cells.data(), 0, layerType);
    area.north = 4;
    area.south = 0;
    area.west = 0;
    area.east = 5;
    area.AddThemeRect(&theme);
    legend.SetTheme(&theme);
    legend.AddEntry(CLegendEntry(kNoData, 0xFFFFFF));
    legend.AddEntry(CLegendEntry(10, 0x0000FF));
    legend.AddEntry(CLegendEntry(20, 0x00FF00));
    legend.SetMinValue(0);
    legend.SetMaxValue(100);
  }
  std::vector<std::string> Values(const CLegendCreator& c) const {
    std::vector<std::string> v;
    for (int r = 1; r < c.Table().GetRowCount(); ++r) v.push_back(c.ValueText(r));
    return v;
  }
  CTheme theme;
  CPyrvane2WorkArea area;
  gridmodel::CGridCtrl table;
  CThemeLegendData legend;
};

std::vector<float> Cells(std::initializer_list<float> some) {
  std::vector<float> cells(20, kNoData);
  std::copy(some.begin(), some.end(), cells.begin());
  return cells;
}

TEST(LegendCreator, ContinuousClassesAndTheirCounts) {
  platform::ScopedRecordingMessages messages;
  Fixture f(Cells({5, 10, 10, 15, 20, 150}));
  CLegendCreator c(f.theme, f.legend, &f.area, f.table);
  c.Init();
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"No Data", "10", "20"}));
  EXPECT_EQ(c.Table().GetItemText(0, 2), "Frequency (Exact Matches)");
  // 14 no-data cells; 5, 10, 10 in the class up to 10 (two exact); 15, 20 and 150 (above the
  // last class) in the last.
  EXPECT_EQ(c.Table().GetItemText(1, 2), "14 (14)");
  EXPECT_EQ(c.Table().GetItemText(2, 2), "3 (2)");
  EXPECT_EQ(c.Table().GetItemText(3, 2), "3 (1)");
  EXPECT_EQ(c.LowText(), "5");
  EXPECT_EQ(c.HighText(), "150");

  for (int bad : {1, 101}) EXPECT_FALSE(c.ApplyClasses(bad));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, "Error: Need anywhere from 2 to 100 classes!"));
  EXPECT_EQ(f.Values(c).size(), 3u);
  ASSERT_TRUE(c.ApplyClasses(5));
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"No Data", "25", "50", "75", "100"}));
  // The ramp runs from the old first class's colour to the old last class's.
  EXPECT_EQ(c.RowColour(1), 0xFFFFFFu);
  EXPECT_EQ(c.RowColour(2), 0x0000FFu);
  EXPECT_EQ(c.RowColour(5), 0x00FF00u);
  f.legend.SetMaxValue(0);
  ASSERT_TRUE(c.ApplyClasses(3));
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"No Data", "1", "2"}));  // a step of 1

  // Decimals follow at once; OK writes the classes back, ascending.
  c.ChangeUnitsOrDecimals(0, 2);
  EXPECT_EQ(c.ValueText(2), "1.00");
  ASSERT_TRUE(c.Commit());
  ASSERT_EQ(f.legend.GetCount(), 3);
  EXPECT_EQ(f.legend.GetDecimals(), 2);
  EXPECT_FLOAT_EQ(f.legend.GetEntry(2).GetValue(), 2.0f);
  EXPECT_FALSE(f.legend.IsUniqueValues());
}

TEST(LegendCreator, UniqueValuesOnePerDistinctCellValue) {
  platform::ScopedRecordingMessages messages;
  Fixture f(Cells({3, 1, 2, 3}));
  CLegendCreator c(f.theme, f.legend, &f.area, f.table);
  c.Init();
  EXPECT_TRUE(c.CanUseUniqueValues());
  // "No Data" takes the layer type's no-data colour from the preferences.
  GetApp().themePrefs[10].noDataColor = 0x00AA00;
  ASSERT_TRUE(c.ApplyUniqueValues());
  GetApp().themePrefs[10].noDataColor = 0xFFFFFF;
  EXPECT_EQ(c.RowColour(1), 0x00AA00u);
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"No Data", "1", "2", "3"}));
  EXPECT_EQ(c.Classes(), 3);
  EXPECT_TRUE(c.UniqueValues());
  EXPECT_EQ(c.Table().GetItemText(4, 2), "2 (2)");

  EXPECT_TRUE(messages.Texts().empty());
}

TEST(LegendCreator, RowsInsertDeleteSortCompactAndTheAscendingCheck) {
  platform::ScopedRecordingMessages messages;
  Fixture f(Cells({10, 20}));
  CLegendCreator c(f.theme, f.legend, &f.area, f.table);
  c.Init();
  gridmodel::CGridCtrl& t = c.Table();

  // Nothing selected, then the "No Data" row selected: both refused.
  t.SetSelectedRange(-1, -1, -1, -1);
  EXPECT_FALSE(c.DeleteClass());
  t.SetSelectedRange(1, 0, 2, 0);
  EXPECT_FALSE(c.DeleteClass());
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"No rows selected.", "Can not delete \"No Data\" class."}));

  // Inserting with row 1 selected appends; typed values out of order are refused on OK.
  t.SetSelectedRange(1, 0, 1, 0);
  c.InsertClass();
  ASSERT_EQ(t.GetRowCount(), 5);
  t.SetItemText(4, 0, "15");
  messages.Clear();
  EXPECT_FALSE(c.Commit());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error: Class values must be in ascending order."});
  EXPECT_EQ(f.legend.GetCount(), 3);  // the legend is untouched

  // Sort puts "No Data" first and the rows in numeric order, colours travelling along.
  c.SetRowColour(4, 0x123456);
  c.SortClasses();
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"No Data", "10", "15", "20"}));
  EXPECT_EQ(c.RowColour(3), 0x123456u);
  EXPECT_EQ(t.GetItemText(3, 2), "0 (0)");

  // Compact: the empty class goes only on Yes.
  messages.Clear();
  messages.SetDefaultAnswer(platform::Answer::No);
  EXPECT_FALSE(c.Compact());
  EXPECT_EQ(t.GetRowCount(), 5);
  messages.SetDefaultAnswer(platform::Answer::Yes);
  EXPECT_TRUE(c.Compact());
  EXPECT_EQ(messages.Texts().back(), "1 entries will be removed by compaction. Compact legend?");
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"No Data", "10", "20"}));
  messages.Clear();
  EXPECT_FALSE(c.Compact());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"No Entries would be removed by compaction"});

  // Deleting a selected class keeps the rest and recounts.
  t.SetSelectedRange(2, 0, 2, 2);
  EXPECT_TRUE(c.DeleteClass());
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"No Data", "20"}));
  EXPECT_EQ(t.GetItemText(2, 2), "2 (1)");
  ASSERT_TRUE(c.Commit());
  EXPECT_EQ(f.legend.GetCount(), 2);
}

TEST(LegendCreator, RampsRecolourTheClassesAndSelectedRows) {
  platform::ScopedRecordingMessages messages;
  Fixture f(Cells({10, 20}));
  CLegendCreator c(f.theme, f.legend, &f.area, f.table);
  c.Init();
  ASSERT_TRUE(c.ApplyClasses(4));
  EXPECT_FALSE(c.ApplyRamp(nullptr));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Select a color ramp."});
  const CColorRamp ramp({0x000000, 0x0000FF});
  ASSERT_TRUE(c.ApplyRamp(&ramp));
  EXPECT_EQ(c.RowColour(1), 0xFFFFFFu);  // "No Data" keeps its colour
  EXPECT_EQ(c.RowColour(2), 0x000000u);
  EXPECT_EQ(c.RowColour(4), 0x0000FFu);
  // Auto Ramp over the selected colour cells: from the first to the last selected.
  gridmodel::CGridCtrl& t = c.Table();
  COLORREF start = 0, end = 0;
  t.SetSelectedRange(2, 1, 2, 1);
  EXPECT_FALSE(c.SelectedColourEnds(start, end));
  t.SetSelectedRange(2, 0, 4, 1);
  ASSERT_TRUE(c.SelectedColourEnds(start, end));
  c.RampColours(0x0000FF, 0x000000);
  EXPECT_EQ(c.RowColour(2), 0x0000FFu);
  EXPECT_EQ(c.RowColour(3), 0x00007Fu);
  EXPECT_EQ(c.RowColour(4), 0x000000u);
}

TEST(LegendCreator, APredefinedLegendSavedKeptInThePreferencesAndAppliedGivesTheSameColours) {
  platform::ScopedRecordingMessages messages;
  Fixture a(Cells({5, 10, 20}));
  CLegendCreator ca(a.theme, a.legend, &a.area, a.table);
  ca.Init();
  ASSERT_TRUE(ca.ApplyClasses(5));
  ca.ChangeUnitsOrDecimals(0, 1);
  std::unique_ptr<CPredefinedThemeLegend> saved = ca.MakePredefined("Quarters");
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->layerType, 10);
  ASSERT_TRUE(ca.Commit());

  // Through the preferences file and back.
  CPVN4App& app = GetApp();
  app.predefinedLegends.clear();
  app.predefinedLegends.push_back(std::move(saved));
  const std::string path = ::testing::TempDir() + "predefined_round_trip.cfg";
  ASSERT_TRUE(app.WritePreferencesFile(path));
  app.predefinedLegends.clear();
  ASSERT_TRUE(app.ReadPreferencesFile(path));
  ASSERT_EQ(app.predefinedLegends.size(), 1u);
  const CPredefinedThemeLegend& read = *app.predefinedLegends[0];
  EXPECT_EQ(read.name, "Quarters");

  // Another theme of the same layer type with other classes takes it and colours alike.
  Fixture b(Cells({1, 2, 3, 99}));
  b.legend.RemoveAllEntries();
  b.legend.AddEntry(CLegendEntry(kNoData, 0x111111));
  b.legend.AddEntry(CLegendEntry(50, 0x222222));
  CLegendCreator cb(b.theme, b.legend, &b.area, b.table);
  cb.Init();
  EXPECT_FALSE(cb.ApplyPredefined(nullptr));
  ASSERT_TRUE(cb.ApplyPredefined(&read));
  EXPECT_EQ(b.Values(cb), (std::vector<std::string>{"No Data", "25.0 ", "50.0 ", "75.0 ", "100.0 "}));
  EXPECT_EQ(cb.Decimals(), 1);
  ASSERT_TRUE(cb.Commit());
  ASSERT_EQ(b.legend.GetCount(), a.legend.GetCount());
  for (double v : {-9999.0, 0.0, 25.0, 30.0, 80.0, 500.0}) EXPECT_EQ(b.legend.GetColor(v), a.legend.GetColor(v)) << v;
  app.predefinedLegends.clear();
  // Values out of order are not saved.
  ca.Table().SetItemText(2, 0, "90");
  EXPECT_FALSE(ca.MakePredefined("Bad"));
}

}  // namespace
}  // namespace views
