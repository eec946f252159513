// The masked editor's and the currency edit's text states, as tables of keystrokes and pastes.
#include <gtest/gtest.h>

#include "gridmodel/ug_currencyedit.h"
#include "gridmodel/ug_maskedit.h"

using namespace gridmodel;

namespace {
// Typing into an empty editor: each key either goes in or is refused.
std::string Type(const std::string& mask, const std::string& keys, std::string start = "") {
  CUGMaskEdit m;
  m.SetMask(mask);
  m.SetText(m.ApplyMask(start));
  for (char k : keys) {
    if (k == '<') m.Backspace();
    else m.Char(k);
  }
  return m.Text();
}
}  // namespace

TEST(MaskedEdit, KeystrokesAgainstTheMask) {
  struct Case {
    const char* mask;
    const char* keys;
    const char* shown;
  } cases[] = {
      {"90", "123", "12"},         // the third key lies past the mask
      {"90", " 5", " 5"},          // a space fits '9'
      {"90", "a1", "1"},           // a letter fits neither position
      {"0000", "12:30", "1230"},   // the colon fits no digit position
      {"(000)", "12", "(12"},      // a leading literal is typed before the first key
      {"00-00", "1234", "12-34"},  // a literal inside the mask is filled in on the way
      {"00-00", "12-3", "12-3"},   // typing the literal itself is taken as it
      {"\\00", "05", "05"},        // an escaped mask character is a literal
      {"LL0", "ab1", "ab1"},
      {"LL0", "1ab", "ab"},
      {"#9", "-5", "-5"},
      {"A", "_", ""},
      {"&&", "_!", "_!"},
      {"00", "12<3", "13"},        // backspace frees a position
      {"", "any text", "any text"},  // no mask: anything goes
  };
  for (const Case& c : cases) EXPECT_EQ(Type(c.mask, c.keys), c.shown) << c.mask << " / " << c.keys;
}

TEST(MaskedEdit, TextTakenOnFocusAndPastesAreReshaped) {
  CUGMaskEdit m;
  m.SetMask("0000");
  EXPECT_EQ(m.ApplyMask("12:30"), "1230");
  EXPECT_EQ(m.Limit(), 4);
  m.SetMask("00-00");
  EXPECT_EQ(m.ApplyMask("1234"), "12-34");
  EXPECT_EQ(m.ApplyMask("1"), "1");  // literals after the last character are not added
  // A paste goes through the mask like typing.
  m.SetText("");
  m.Paste("9x8y7z6w5");
  EXPECT_EQ(m.Text(), "98-76");
  m.SetText("12-34");
  m.SetSel(0, 2);
  m.Paste("ab56");
  EXPECT_EQ(m.Text(), "56-34");
  // A new mask reshapes the text the editor holds.
  m.SetMask("0000");
  EXPECT_EQ(m.Text(), "5634");
  m.SetMask("");
  EXPECT_FALSE(m.Active());
  EXPECT_EQ(m.Limit(), 0);
}

TEST(CurrencyEdit, SymbolInTheLiteralsAndFormatsRefusedWithoutOne) {
  CUTCurrencyEdit e;
  e.SetValue(-1234.5);
  EXPECT_EQ(e.GetFullText(), "($1,234.50)");
  EXPECT_EQ(e.GetCanonicalText(), "-1234.50");
  e.SetValue(1234.5);
  EXPECT_EQ(e.GetFullText(), "$1,234.50");
  EXPECT_TRUE(e.SetNegativeFormat("1.1 $-"));
  EXPECT_TRUE(e.SetCurrencySymbol("kr"));
  e.SetValue(-3);
  EXPECT_EQ(e.GetFullText(), "3.00 kr-");
  EXPECT_TRUE(e.SetNegativeFormat("($1.1)"));
  EXPECT_TRUE(e.SetCurrencySymbol("EUR"));
  e.SetValue(-5);
  EXPECT_EQ(e.GetFullText(), "(EUR5.00)");
  EXPECT_FALSE(e.SetPositiveFormat("1.1"));
  EXPECT_FALSE(e.SetNegativeFormat("-1.1"));
  EXPECT_FALSE(e.SetCurrencySymbol(""));
  // Keys typed into it go through the numeric state: digits in, the sign in the literals.
  CUTCurrencyEdit t;
  t.SetValue(0);
  t.SetSel(1, 5);
  for (char k : std::string("12.5")) t.Char(k);
  EXPECT_EQ(t.GetFullText(), "$12.50");
  t.Char('-');
  EXPECT_EQ(t.GetFullText(), "($12.50)");
  EXPECT_EQ(t.GetCanonicalText(), "-12.50");
}

#include "gridmodel/ug_xpthemes.h"

TEST(VisualStyles, SwitchAnswersOffAndTheTablesStandReady) {
  EXPECT_FALSE(UGXPThemes::ThemesAvailable());
  UGXPThemes::UseThemes(true);
  EXPECT_FALSE(UGXPThemes::ThemesAvailable());  // no visual-styles library draws here
  EXPECT_FALSE(UGXPThemes::PaintElementBackground(0x10, 1));
  UGXPThemes::UseThemes(false);
  EXPECT_EQ(UGXPThemes::StateFromFlags(true, true), 6);
  EXPECT_EQ(UGXPThemes::StateFromFlags(true, false), 4);
  EXPECT_EQ(UGXPThemes::StateFromFlags(false, true), 2);
  EXPECT_EQ(UGXPThemes::StateFromFlags(false, false), 1);
  UGXPThemes::ReleaseThemes();
  UGXPThemes::OverrideEntry(0x8000, 0x10, "MINE", 7, 9);
  const UGXPThemeEntry* cell = UGXPThemes::LookupEntry(0x10, 2);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->className, "TAB");
  EXPECT_EQ(cell->state, 3);
  EXPECT_EQ(UGXPThemes::LookupEntry(0x20, 4), nullptr);  // a heading has no selected state
  EXPECT_EQ(UGXPThemes::LookupEntry(0x8000, 0x10)->className, "MINE");
  UGXPThemes::SelectStyleSet(1);
  EXPECT_EQ(UGXPThemes::LookupEntry(0x10, 1)->className, "LISTVIEW");
  EXPECT_EQ(UGXPThemes::LookupEntry(0x100, 4)->state, 3);
  UGXPThemes::SelectStyleSet(0);
}
