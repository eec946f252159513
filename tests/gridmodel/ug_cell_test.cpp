#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gridmodel/ug_cell.h"
#include "gridmodel/ug_hints.h"
#include "gridmodel/ug_ptrlist.h"

using namespace gridmodel;

namespace {
std::string Shown(CUGCell& c) {
  const char* t = c.GetText();
  return t ? t : "<null>";
}
}  // namespace

TEST(UGCell, NewCellAnswersDefaultsAndEmptyTextUnsetsTheValue) {
  CUGCell c;
  EXPECT_EQ(c.GetText(), nullptr);
  EXPECT_EQ(c.GetNumber(), 0.0);
  EXPECT_FALSE(c.GetBool());
  EXPECT_EQ(c.GetDataType(), UGCELLDATA_STRING);
  EXPECT_EQ(c.GetBackColor(), Colour::System(SysColour::Window));
  EXPECT_EQ(c.GetAlignment(), 1);  // set by clearing
  EXPECT_EQ(c.GetCellType(), 0);
  EXPECT_EQ(c.GetParam(), 0);
  bool origin;
  int jc;
  long jr;
  EXPECT_EQ(c.GetJoinSpan(&origin, &jc, &jr), 1);
  EXPECT_EQ(c.GetPropertyFlags(), 0x8008788u);

  c.SetText("x");
  EXPECT_STREQ(c.GetText(), "x");
  c.SetText("");
  EXPECT_EQ(c.GetText(), nullptr);
  EXPECT_EQ(c.AppendText("y"), 1);
}

TEST(UGCell, NumbersShowShortestTextGroupedWithoutTheLocale) {
  struct Case {
    double number;
    int decimals;  // -1: none set
    bool localize;
    const char* shown;
  };
  const Case cases[] = {
      {12, -1, true, "12"},
      {0, -1, true, "0"},
      {1234.5, -1, true, "1,234.5"},
      {0.5, -1, false, ".5"},
      {0.5, -1, true, "0.5"},
      {0.1, -1, true, "0.1"},  // not 0.10000000000000000555
      {100, -1, true, "100"},
      {-1234567.25, -1, true, "-1,234,567.25"},
      {3.14159, 2, true, "3.14"},
      {3.14159, 0, true, "3"},
      {1234.5, 2, true, "1,234.50"},
      {1e21, -1, false, "1000000000000000000000"},
  };
  for (const Case& k : cases) {
    CUGCell c;
    c.SetNumber(k.number);
    if (k.decimals >= 0) c.SetDecimals(k.decimals);
    if (!k.localize) c.SetPropertyFlags(c.GetPropertyFlags() | UGCELL_DONOT_LOCALIZE);
    EXPECT_EQ(Shown(c), k.shown) << k.number << " decimals " << k.decimals;
    EXPECT_EQ(c.GetDataType(), UGCELLDATA_NUMBER);
  }
}

TEST(UGCell, BoolsFromValuesAndTexts) {
  struct Case {
    const char* text;
    bool expected;
  };
  const Case cases[] = {{"True", true}, {"t", true}, {"2", true}, {"0", false}, {"False", false}, {"-1", false}};
  for (const Case& k : cases) {
    CUGCell c;
    c.SetText(k.text);
    EXPECT_EQ(c.GetBool(), k.expected) << k.text;
  }
  CUGCell b;
  b.SetBool(true);
  EXPECT_TRUE(b.GetBool());
  EXPECT_EQ(b.GetDataType(), UGCELLDATA_BOOL);
}

TEST(UGCell, DataTypeConversions) {
  CUGCell n;
  n.SetText("1,234.5");
  n.SetDataType(UGCELLDATA_NUMBER);
  EXPECT_EQ(n.GetNumber(), 1234.5);
  EXPECT_EQ(n.StoredText(), "");

  CUGCell empty;
  empty.SetDataType(UGCELLDATA_NUMBER);
  EXPECT_EQ(empty.GetText(), nullptr);
  EXPECT_EQ(empty.GetDataType(), UGCELLDATA_NUMBER);

  CUGCell cur;
  cur.SetNumber(2.5);
  cur.SetDataType(UGCELLDATA_CURRENCY);
  EXPECT_EQ(Shown(cur), "2.50");
  EXPECT_EQ(cur.GetNumber(), 2.5);

  // Currency parsed from text keeps its cents.
  CUGCell money;
  money.SetText("$1,234.56");
  money.SetDataType(UGCELLDATA_CURRENCY);
  EXPECT_DOUBLE_EQ(money.GetNumber(), 1234.56);

  CUGCell date;
  date.SetText("3/15/2010");
  date.SetDataType(UGCELLDATA_TIME);
  EXPECT_TRUE(date.IsValueValid());
  int s, mi, h, d, mo, y;
  date.GetDateTime(&s, &mi, &h, &d, &mo, &y);
  EXPECT_EQ(y * 10000 + mo * 100 + d, 20100315);

  // A text that is no date keeps its text and no date value.
  CUGCell bad;
  bad.SetText("not a date");
  bad.SetDataType(UGCELLDATA_TIME);
  EXPECT_FALSE(bad.IsValueValid());
  EXPECT_STREQ(bad.GetText(), "not a date");
  bad.GetDateTime(&s, &mi, &h, &d, &mo, &y);
  EXPECT_EQ(y, -1);

  CUGCell feb;
  feb.SetDateTime(0, 0, 0, 31, 2, 2021);
  EXPECT_STREQ(feb.GetText(), "Invalid DateTime");
  EXPECT_EQ(feb.GetDataType(), UGCELLDATA_TIME);
  EXPECT_FALSE(feb.IsValueValid());
}

TEST(UGCell, CopyReplacesFlagsMergeKeepsWhatOnlyTheTargetSets) {
  CUGCell withBack;
  withBack.SetBackColor(Colour::Rgb(1, 2, 3));
  CUGCell src;
  src.SetPropertyFlags(0);
  src.SetText("a");

  CUGCell copied = withBack;
  src.CopyInfoTo(&copied);
  EXPECT_EQ(copied.GetBackColor(), Colour::System(SysColour::Window));
  EXPECT_STREQ(copied.GetText(), "a");

  CUGCell merged = withBack;
  src.MergeInto(&merged);
  EXPECT_EQ(merged.GetBackColor(), Colour::Rgb(1, 2, 3));
  EXPECT_STREQ(merged.GetText(), "a");

  CUGCell bm;
  bm.SetBitmap(3);
  bm.SetBitmap(-1);
  EXPECT_FALSE(bm.HasProperty(UGCELL_BITMAP_SET));
  bm.SetFormatter(nullptr);
  EXPECT_FALSE(bm.HasProperty(UGCELL_FORMAT_SET));
}

TEST(UGCell, CopiesOwnTheirBlocksAndInitialState) {
  auto a = std::make_unique<CUGCell>();
  a->SetText("first");
  unsigned char* block = a->AllocateExtraBlock(4);
  ASSERT_NE(block, nullptr);
  block[0] = 7;
  a->StoreInitialState();
  a->SetText("changed");

  CUGCell b;
  a->CopyInfoTo(&b);
  a.reset();  // the copy must not lean on anything the original owned
  ASSERT_EQ(b.GetExtraBlockSize(), 4);
  EXPECT_EQ(b.GetExtraBlock()[0], 7);
  b.RestoreInitialState();
  EXPECT_STREQ(b.GetText(), "first");

  CUGCell c = b;
  c.GetExtraBlock()[0] = 9;
  EXPECT_EQ(b.GetExtraBlock()[0], 7);
  c.ReleaseOwned();
  EXPECT_EQ(c.GetExtraBlock(), nullptr);
  EXPECT_TRUE(b.HasInitialState());
}

TEST(UGPtrList, SlotsGrowByTenAndFreedIndicesAreReused) {
  CUGPtrList list;
  int objects[12];
  EXPECT_EQ(list.Add(&objects[0]), 0);
  EXPECT_EQ(list.GetCapacity(), 10);
  for (int i = 1; i < 10; ++i) list.Add(&objects[i]);
  EXPECT_EQ(list.Add(&objects[10]), 10);
  EXPECT_EQ(list.GetCapacity(), 20);

  EXPECT_EQ(list.RemoveAt(3), 0);
  EXPECT_EQ(list.At(3), nullptr);
  EXPECT_EQ(list.RemoveAt(3), 0);  // already free: no change
  EXPECT_EQ(list.GetUsedCount(), 10);
  EXPECT_EQ(list.SetParamAt(3, 5), 2);
  EXPECT_EQ(list.SetParamAt(30, 5), 1);
  EXPECT_EQ(list.RemoveAt(-1), 1);
  EXPECT_EQ(list.IndexOf(nullptr), -1);
  EXPECT_EQ(list.Add(&objects[11]), 3);
  EXPECT_EQ(list.IndexOf(&objects[11]), 3);
}

TEST(UGRedrawHints, BoundsRejectQuicklyAndRangesDecide) {
  UGRedrawHints h;
  EXPECT_FALSE(h.ContainsCell(0, 0));
  h.AddCell(5, 5);
  h.AddRange(0, 10, 3, 12);
  EXPECT_FALSE(h.ContainsCell(4, 11));  // inside the bounds, in no range
  EXPECT_TRUE(h.ContainsCell(2, 11));
  EXPECT_FALSE(h.ContainsCell(9, 9));

  h.ExtendFirstRange(2, 0, 8, 4);
  EXPECT_EQ(h.Ranges()[0], (UGRedrawHints::Range{2, 0, 8, 5}));
  int sc, ec;
  long sr, er;
  ASSERT_TRUE(h.GetBounds(&sc, &sr, &ec, &er));
  EXPECT_EQ(sc, 0);
  EXPECT_EQ(sr, 0);
  EXPECT_EQ(ec, 8);
  EXPECT_EQ(er, 12);

  h.NoteCellDrawn(1, 1);
  EXPECT_TRUE(h.WasCellDrawn(1, 1));
  h.ClearAll();
  EXPECT_FALSE(h.ContainsCell(5, 5));
  EXPECT_FALSE(h.WasCellDrawn(1, 1));
  EXPECT_FALSE(h.GetBounds(&sc, &sr, &ec, &er));
}
