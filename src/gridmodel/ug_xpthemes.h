#pragma once
// The switch and tables of the cell grid's visual styles. The desktop offers no visual-styles
// library here, so the switch answers "off" and every part draws the classic way; the
// element tables are kept so that a drawing layer can honour them.
#include <map>
#include <memory>
#include <string>

namespace gridmodel {

struct UGXPThemeEntry {
  std::string className;
  int part = 0, state = 0;
};

class UGXPThemes {
 public:
  enum : int { kNormal = 1, kHot = 2, kSelected = 4, kBoth = 6, kDisabled = 8, kPressed = 0x10 };
  static void UseThemes(bool on) { Switch() = on; }
  static bool IsThemesSwitchOn() { return Switch(); }
  // True only when the switch is on and a visual-styles library draws; none does here.
  static bool ThemesAvailable() { return false; }
  static int StateFromFlags(bool first, bool second) {
    return first && second ? kBoth : first ? kSelected : second ? kHot : kNormal;
  }
  // 1: the alternative set; anything else the default set.
  static void SelectStyleSet(int set);
  static const UGXPThemeEntry* LookupEntry(int element, int state);
  static void OverrideEntry(int element, int state, const std::string& className, int part, int stateId);
  static void ReleaseThemes();
  // Drawing requests answer false: the caller draws the classic way.
  static bool PaintElementBackground(int element, int state) { return ThemesAvailable() && LookupEntry(element, state); }

 private:
  static bool& Switch();
  static int& StyleSet();
  static std::map<int, std::unique_ptr<UGXPThemeEntry>>& Map();
  static void Build();
};

}  // namespace gridmodel
