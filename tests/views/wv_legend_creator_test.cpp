// The wind-vector legend creator's table without its window: classes built and edited, units
// and decimals, ramps over selected rows, predefined legends, and the arrows' colours and
// lengths after OK.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/preference_records.h"
#include "platform/messages.h"
#include "themes/wind_vector_theme.h"
#include "views/wv_legend_creator.h"

namespace views {
namespace {

constexpr COLORREF kBlue = MakeColorRef(0, 0, 255), kGreen = MakeColorRef(0, 255, 0),
                   kRed = MakeColorRef(255, 0, 0);

// A grid of wind arrows from 0 to 20 mph and its legend of three classes 0, 10, 20.
struct Fixture {
  explicit Fixture(int kind = 0, bool gridded = true) {
    theme.name = "Winds";
    theme.kind = kind;
    theme.spot = kind == 2;
    theme.gridded = gridded;
    theme.minMagnitude = 0;
    theme.maxMagnitude = 20;
    legend.kind = kind;
    legend.SetMaxValue(20);
    legend.skip = 3;
    legend.AddEntry(CWVLegendEntry(0, kBlue, 1));
    legend.AddEntry(CWVLegendEntry(10, kGreen, 2));
    legend.AddEntry(CWVLegendEntry(20, kRed, 3));
  }
  std::vector<std::string> Values(const CWVLegendCreator& c) const {
    std::vector<std::string> v;
    for (int r = 1; r < c.Table().GetRowCount(); ++r) v.push_back(c.ValueText(r));
    return v;
  }
  CWindVectorTheme theme;
  CWVLegendData legend;
  gridmodel::CGridCtrl table;
};

TEST(WVLegendCreator, ClassesDecimalsAndUnits) {
  platform::ScopedRecordingMessages messages;
  Fixture f;
  CWVLegendCreator c(f.theme, f.legend, f.table);
  c.Init();
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"0", "10", "20"}));
  EXPECT_EQ(c.Table().GetItemText(0, 2), "Relative Length");
  EXPECT_EQ(c.LowText(), "0");
  EXPECT_EQ(c.HighText(), "20");
  EXPECT_TRUE(c.DensityEditable());
  EXPECT_EQ(c.skip, 3);

  for (int bad : {1, 101}) EXPECT_FALSE(c.ApplyClasses(bad));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, "Error: Need anywhere from 2 to 100 classes!"));
  EXPECT_EQ(f.Values(c).size(), 3u);

  // Two classes over 0 .. 20: the first row keeps its colour, the second takes the old
  // second row's (the start of the ramp).
  ASSERT_TRUE(c.ApplyClasses(2));
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"0 ", "20 "}));
  EXPECT_EQ(c.RowColour(1), kBlue);
  EXPECT_EQ(c.RowColour(2), kGreen);
  EXPECT_EQ(c.RowLength(1), 1);
  EXPECT_EQ(c.RowLength(2), 2);
  ASSERT_TRUE(c.ApplyClasses(5));
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"0 ", "5 ", "10 ", "15 ", "20 "}));
  EXPECT_EQ(c.RowLength(5), 5);

  c.ChangeDecimals(2);
  EXPECT_EQ(c.ValueText(2), "5.00 ");
  EXPECT_EQ(c.ValueText(1), "0.00 ");
  // mph to km/h: the values and the data range follow; new classes are made in km/h too.
  c.ChangeUnits(1);
  EXPECT_EQ(c.ValueText(3), "16.09 ");
  EXPECT_EQ(c.HighText(), "32.19");
  ASSERT_TRUE(c.ApplyClasses(2));
  EXPECT_EQ(c.ValueText(2), "32.19 ");
}

TEST(WVLegendCreator, OkChecksTheOrderAndTheArrowsTakeTheNewColoursAndLengths) {
  platform::ScopedRecordingMessages messages;
  Fixture f;
  CWVLegendCreator c(f.theme, f.legend, f.table);
  c.Init();
  c.Table().SetItemText(3, 0, "5");
  EXPECT_FALSE(c.Commit());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error: Class values must be in ascending order."});
  EXPECT_EQ(f.legend.GetEntry(2).GetValue(), 20);
  c.Table().SetItemText(3, 0, "10");  // equal values pass
  c.Table().SetItemText(3, 2, "-4");  // a negative length becomes 0
  c.lineWidth = 3;
  c.units = 2;
  ASSERT_TRUE(c.Commit());
  ASSERT_EQ(f.legend.GetCount(), 3);
  EXPECT_EQ(f.legend.GetEntry(2).GetRelativeLength(), 0);
  EXPECT_EQ(f.legend.lineWidth, 3);
  // 15 mph is 6.7 m/sec: the class from 0.
  EXPECT_EQ(f.legend.GetColor(15), kBlue);
  EXPECT_EQ(f.legend.GetRelativeLength(15), 1);
  EXPECT_EQ(f.legend.GetColor(30), kRed);
}

TEST(WVLegendCreator, RowsAreInsertedDeletedAndSorted) {
  platform::ScopedRecordingMessages messages;
  Fixture f;
  CWVLegendCreator c(f.theme, f.legend, f.table);
  c.Init();
  gridmodel::CGridCtrl& t = c.Table();
  EXPECT_FALSE(c.DeleteClass());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"No rows selected."});
  // Insert with row 1 selected appends; with row 3 selected it goes before it.
  t.SetSelectedRange(1, 0, 1, 0);
  c.InsertClass();
  EXPECT_EQ(t.GetRowCount(), 5);
  EXPECT_EQ(c.ValueText(4), "");
  t.SetItemText(4, 0, "7");
  t.SetSelectedRange(3, 0, 3, 0);
  c.InsertClass();
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"0", "10", "", "20", "7"}));
  t.SetSelectedRange(3, 0, 3, 1);
  ASSERT_TRUE(c.DeleteClass());
  EXPECT_TRUE(t.IsCellSelected(2, 0));
  c.SortClasses();
  EXPECT_EQ(f.Values(c), (std::vector<std::string>{"0", "7", "10", "20"}));
}

TEST(WVLegendCreator, RampsOverTheSelectedRows) {
  Fixture f;
  f.legend.AddEntry(CWVLegendEntry(30, 0, 9));
  CWVLegendCreator c(f.theme, f.legend, f.table);
  c.Init();
  gridmodel::CGridCtrl& t = c.Table();
  COLORREF start = 0, end = 0;
  t.SetSelectedRange(2, 1, 2, 1);
  EXPECT_FALSE(c.SelectedColourEnds(start, end));  // one cell is no ramp
  // Rows 1 to 4, colour and length columns both selected.
  t.SetSelectedRange(1, 1, 4, 2);
  ASSERT_TRUE(c.SelectedColourEnds(start, end));
  EXPECT_EQ(start, kBlue);
  EXPECT_EQ(end, 0u);
  c.RampColours(MakeColorRef(0, 0, 0), MakeColorRef(255, 0, 0));
  EXPECT_EQ(c.RowColour(1), MakeColorRef(0, 0, 0));
  EXPECT_EQ(c.RowColour(2), MakeColorRef(85, 0, 0));
  EXPECT_EQ(c.RowColour(4), MakeColorRef(255, 0, 0));
  int from = 0, to = 0, count = 0;
  ASSERT_TRUE(c.SelectedLengthEnds(from, to, count));
  EXPECT_EQ(from, 1);
  EXPECT_EQ(to, 9);
  EXPECT_EQ(count, 4);
  c.RampLengths(10, 1, 4);
  EXPECT_EQ((std::vector<int>{c.RowLength(1), c.RowLength(2), c.RowLength(3), c.RowLength(4)}),
            (std::vector<int>{10, 7, 4, 1}));
  // A range ending early leaves the rows after it as they were.
  c.RampLengths(2, 4, 3);
  EXPECT_EQ((std::vector<int>{c.RowLength(1), c.RowLength(2), c.RowLength(3), c.RowLength(4)}),
            (std::vector<int>{2, 3, 4, 1}));

  platform::ScopedRecordingMessages messages;
  EXPECT_FALSE(c.ApplyRamp(nullptr));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Select a color ramp."});
  const CColorRamp green({kGreen});
  ASSERT_TRUE(c.ApplyRamp(&green));
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(c.RowColour(r), kGreen);
}

TEST(WVLegendCreator, APredefinedLegendSavedAndAppliedGivesTheSameArrows) {
  platform::ScopedRecordingMessages messages;
  Fixture a;
  CWVLegendCreator ca(a.theme, a.legend, a.table);
  ca.Init();
  ca.ChangeDecimals(1);
  ca.showValues = 1;
  std::unique_ptr<CPredefinedWVThemeLegend> saved = ca.MakePredefined("Breezes");
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->kind, 0);
  EXPECT_EQ(saved->name, "Breezes");

  // Another theme of the same kind, other classes: the predefined legend replaces them.
  Fixture b;
  b.theme.maxMagnitude = 60;
  b.legend.RemoveAllEntries();
  b.legend.AddEntry(CWVLegendEntry(0, 0, 5));
  CWVLegendCreator cb(b.theme, b.legend, b.table);
  cb.Init();
  EXPECT_FALSE(cb.ApplyPredefined(nullptr));
  ASSERT_TRUE(cb.ApplyPredefined(saved.get()));
  EXPECT_EQ(b.Values(cb), (std::vector<std::string>{"0.0 ", "10.0 ", "20.0 "}));
  EXPECT_EQ(cb.showValues, 1);
  ASSERT_TRUE(cb.Commit());
  for (double m : {0.0, 5.0, 10.0, 12.0, 20.0, 55.0}) {
    EXPECT_EQ(b.legend.GetColor(m), a.legend.GetColor(m)) << m;
    EXPECT_EQ(b.legend.GetRelativeLength(m), a.legend.GetRelativeLength(m)) << m;
  }
  // Values out of order are not saved.
  ca.Table().SetItemText(1, 0, "50");
  EXPECT_FALSE(ca.MakePredefined("Bad"));
}

TEST(WVLegendCreator, PointAndSpotThemesDrawEveryArrowSoNothingIsSkipped) {
  for (const auto& [kind, gridded] : {std::pair{0, false}, std::pair{2, true}}) {
    Fixture f(kind, gridded);
    CWVLegendCreator c(f.theme, f.legend, f.table);
    c.Init();
    EXPECT_FALSE(c.DensityEditable());
    EXPECT_EQ(c.Kind(), kind);
    ASSERT_TRUE(c.Commit());
    EXPECT_EQ(f.legend.skip, 0);
  }
}

}  // namespace
}  // namespace views
