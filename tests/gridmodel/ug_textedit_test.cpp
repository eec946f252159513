#include <gtest/gtest.h>

#include <string>

#include "gridmodel/ug_currencyedit.h"
#include "gridmodel/ug_textedit.h"

using namespace gridmodel;

namespace {
// The settings the weather grids give their numeric editor.
void GridSettings(CUTNumericEdit& e) {
  e.SetDecimalSeparator('.');
  e.SetGroupSize(0);
  e.SetMaxIntegerDigits(-1);
  e.SetLeadingZero(false);
  e.SetDecimalPlaces(2);
}

// Types a script: letters are characters, '<' is Backspace, '{' Home, '}' End,
// '[' Left, ']' Right, '!' Delete, '^' Insert toggle.
void Type(CUTEdit& e, const std::string& keys) {
  for (char c : keys) {
    switch (c) {
      case '<': e.Backspace(); break;
      case '{': e.Key(UTEditKey::Home); break;
      case '}': e.Key(UTEditKey::End); break;
      case '[': e.Key(UTEditKey::Left); break;
      case ']': e.Key(UTEditKey::Right); break;
      case '!': e.Key(UTEditKey::Delete); break;
      case '^': e.Key(UTEditKey::Insert); break;
      default: e.Char(c);
    }
  }
}
}  // namespace

TEST(FormattedEdit, MaskLiteralsAndCaretStayOutOfThem) {
  CUTEdit e;
  ASSERT_TRUE(e.SetMask("$#.-"));
  Type(e, "12");
  EXPECT_EQ(e.GetFullText(), "$12.-");
  Type(e, "{");
  EXPECT_EQ(e.SelStart(), 1);
  Type(e, "<");  // nothing before the input to delete
  EXPECT_EQ(e.GetFullText(), "$12.-");
  Type(e, "}");
  EXPECT_EQ(e.SelStart(), 3);
  e.SetSel(4, 4);  // caret in the suffix
  Type(e, "x");
  EXPECT_EQ(e.Beeps(), 1);
  EXPECT_EQ(e.SelStart(), 3);
  EXPECT_EQ(e.GetFullText(), "$12.-");

  ASSERT_TRUE(e.SetMask("a##b#c"));
  EXPECT_EQ(e.GetFullText(), "a#bc");
  Type(e, "7");
  EXPECT_FALSE(e.SetMask("##"));
  EXPECT_FALSE(e.SetMask("no hash"));
  EXPECT_EQ(e.GetMask(), "a##b#c");
  EXPECT_EQ(e.GetFullText(), "a#bc");  // the previous mask again, input emptied
}

TEST(FormattedEdit, OverwriteSelectionPasteAndOutsideText) {
  CUTEdit e;
  e.SetMask("$#");
  Type(e, "abc^");
  Type(e, "d");  // overwrite cannot lengthen the input
  EXPECT_EQ(e.GetFullText(), "$abc");
  EXPECT_EQ(e.Beeps(), 1);
  Type(e, "^{x");
  EXPECT_EQ(e.GetFullText(), "$xabc");
  e.SetSel(0, 3);  // "$xa": typing keeps the literal
  Type(e, "z");
  EXPECT_EQ(e.GetFullText(), "$zbc");
  e.SetSel(2, 2);
  e.Paste("q");
  EXPECT_EQ(e.GetFullText(), "$zqbc");
  e.SetSel(0, 5);
  e.Paste("$77");
  EXPECT_EQ(e.GetFullText(), "$77");
  e.SetWindowText("hello");
  EXPECT_EQ(e.GetFullText(), "$hello");
}

TEST(FormattedEdit, TextLimitRefusesInsteadOfCutting) {
  CUTEdit e;
  e.SetLimitText(3);
  Type(e, "abcd");
  EXPECT_EQ(e.GetFullText(), "abc");
  EXPECT_EQ(e.Beeps(), 1);
}

TEST(NumericEdit, TextSetFromOutside) {
  struct Case {
    bool gridSettings;
    int maxInt;
    const char* text;
    const char* shown;
    const char* canonical;
  };
  const Case cases[] = {
      {true, -1, "12.5", "12.50", "12.50"},
      {true, -1, "0.5", ".50", "0.50"},
      {true, -1, "", ".00", "0.00"},
      {true, -1, "-3", "-3.00", "-3.00"},
      {true, -1, "12.345", "12.35", "12.35"},  // rounded, not cut
      {true, -1, "9.999", "10.00", "10.00"},
      {true, -1, "1,2.3.4", "123.40", "123.40"},
      {true, -1, "007", "7.00", "7.00"},
      {false, -1, "1234567.891", "1,234,567.89", "1234567.89"},
      {false, -1, ".5", "0.50", "0.50"},
  };
  for (const Case& c : cases) {
    CUTNumericEdit e;
    if (c.gridSettings) GridSettings(e);
    e.SetMaxIntegerDigits(c.maxInt);
    e.SetWindowText(c.text);
    EXPECT_EQ(e.GetFullText(), c.shown) << c.text;
    EXPECT_EQ(e.GetCanonicalText(), c.canonical) << c.text;
  }
}

TEST(NumericEdit, CanonicalTextAndValueIgnoreTheSignPattern) {
  CUTNumericEdit e;
  GridSettings(e);
  e.SetNegativeFormat("(1.1)");
  e.SetWindowText("-12.5");
  EXPECT_EQ(e.GetFullText(), "(12.50)");
  EXPECT_EQ(e.GetCanonicalText(), "-12.50");
  EXPECT_DOUBLE_EQ(e.GetValue(), -12.5);
  // The next cell's positive text does not inherit the sign.
  e.SetWindowText("4");
  EXPECT_EQ(e.GetFullText(), "4.00");
  EXPECT_DOUBLE_EQ(e.GetValue(), 4);
}

TEST(NumericEdit, TooManyIntegerDigitsAreRefusedNotDropped) {
  CUTNumericEdit e;
  GridSettings(e);
  e.SetMaxIntegerDigits(3);
  e.SetWindowText("12");
  e.SetWindowText("12345");
  EXPECT_EQ(e.GetFullText(), "12.00");
  EXPECT_EQ(e.Beeps(), 1);
  e.SetSel(0, 5);
  e.Paste("98765");
  EXPECT_EQ(e.GetFullText(), "12.00");
}

TEST(NumericEdit, Keystrokes) {
  struct Case {
    const char* start;
    int caret;  // -1: end of the text
    const char* keys;
    const char* shown;
    int caretAfter;
    int beeps;
  };
  const Case cases[] = {
      {"12.5", 1, "-", "-12.50", 2, 0},      // sign toggles, caret by the same digit
      {"-12.5", 2, "-", "12.50", 1, 0},
      {"12.5", 0, ".", "12.50", 3, 0},       // jumps after the separator
      {"12.5", 4, "9", "12.59", 5, 0},       // a full fraction is overwritten
      {"12.5", 5, "9", "12.50", 5, 1},       // nothing left to overwrite
      {"12.5", 0, "0", "12.50", 0, 1},       // no zero in front of a number
      {".5", 0, "7", "7.50", 1, 0},
      {"12.5", 2, "3", "123.50", 3, 0},
      {"12.5", 1, "x", "12.50", 1, 1},
      {"12.5", 2, "<", "1.50", 1, 0},
      {"12.5", 3, "<", "1.50", 1, 0},        // Backspace passes over the separator
      {"12.5", 0, "!", "2.50", 0, 0},
      {"", 0, "45.6", "45.60", 4, 0},
      {"12.5", 0, "{]]]9", "12.90", 4, 0},
  };
  for (const Case& c : cases) {
    CUTNumericEdit e;
    GridSettings(e);
    e.SetWindowText(c.start);
    int len = int(e.GetFullText().size());
    int at = c.caret < 0 ? len : c.caret;
    e.SetSel(at, at);
    Type(e, c.keys);
    EXPECT_EQ(e.GetFullText(), c.shown) << c.start << " " << c.keys;
    EXPECT_EQ(e.SelStart(), c.caretAfter) << c.start << " " << c.keys;
    EXPECT_EQ(e.Beeps(), c.beeps) << c.start << " " << c.keys;
  }
}

TEST(NumericEdit, FullIntegerPartOverwritesAndSettersRefuseBadValues) {
  CUTNumericEdit e;
  GridSettings(e);
  e.SetMaxIntegerDigits(3);
  e.SetWindowText("123.45");
  e.SetSel(3, 3);
  Type(e, "9");
  EXPECT_EQ(e.GetFullText(), "123.95");
  EXPECT_FALSE(e.SetDecimalPlaces(-1));
  EXPECT_FALSE(e.SetDecimalSeparator('7'));
  EXPECT_FALSE(e.SetGroupSeparator('.'));
  EXPECT_FALSE(e.SetNegativeFormat("minus"));
  EXPECT_TRUE(e.SetValue(0.129));
  EXPECT_EQ(e.GetFullText(), ".13");
  EXPECT_TRUE(e.SetValue(-2));
  EXPECT_EQ(e.GetFullText(), "-2.00");
  EXPECT_FALSE(e.SetValue(1.0 / 0.0));
}

TEST(UTEditLocale, SettingsFollowTheUsersLocaleUntilTheOwnerChangesThem) {
  gridmodel::SetUserLocaleSource([] {
    gridmodel::UTLocale l;
    l.decimal = ",";
    l.thousand = ".";
    l.grouping = "3;0";
    l.negNumber = 0;
    l.monDecimal = ",";
    l.monThousand = ".";
    l.monGrouping = "3;2;0";
    l.currency = "kr";
    l.currDigits = 2;
    l.negCurrency = 10;
    return l;
  });
  gridmodel::CUTNumericEdit n;
  n.InitControl("");
  EXPECT_TRUE(n.IsInitialised());
  EXPECT_FALSE(n.SetDecimalSeparator('.'));  // the locale's thousands separator
  n.SetWindowText("-1234,5");
  EXPECT_EQ(n.GetFullText(), "(1.234,50)");
  // A setting the owner changed before the window existed stays the owner's.
  gridmodel::CUTNumericEdit owned;
  owned.SetDecimalPlaces(3);
  owned.InitControl("1,5");
  EXPECT_EQ(owned.GetFullText(), "1,500");
  gridmodel::CUTCurrencyEdit money;
  money.InitControl("");
  money.SetValue(-3);
  EXPECT_EQ(money.GetFullText(), "3,00 kr-");
  // Data exchange: loading shows the value, saving reads it back, whole numbers cut to zero.
  double d = 7.25;
  gridmodel::ExchangeNumericDouble(false, n, d);
  EXPECT_EQ(n.GetFullText(), "7,25");
  n.SetWindowText("-3,75");
  int i = 0;
  gridmodel::ExchangeNumericInt(true, n, i);
  EXPECT_EQ(i, -3);
  long money100 = 0;
  money.SetValue(1234.5);
  gridmodel::ExchangeCurrencyLong(true, money, money100);
  EXPECT_EQ(money100, 1234);
  // The negative colour shows only while the value is negative.
  n.SetNegativeColor(0x0000FF);
  EXPECT_EQ(n.ShownTextColor(), 0x0000FFu);
  n.SetWindowText("2");
  EXPECT_EQ(n.ShownTextColor(), gridmodel::CUTEdit::kUnsetColour);
  gridmodel::SetUserLocaleSource(nullptr);
}
