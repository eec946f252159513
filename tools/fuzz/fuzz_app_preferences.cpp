// Preferences reader on hostile text: no crash, no unbounded allocation, and whatever it
// accepts writes back to a text that reads back to itself.
// fuzz-seconds: 30
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/preferences_file.h"

namespace {

// The records as start-up numbers them.
StoredPreferences Numbered() {
  StoredPreferences p;
  for (int i = 0; i < kLayerTypeCount; ++i) p.themePrefs[static_cast<std::size_t>(i)].layerType = i;
  for (int k = 0; k < 3; ++k) p.windVectorPrefs[static_cast<std::size_t>(k)].kind = k;
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  StoredPreferences prefs = Numbered();
  PreferenceLists lists;
  std::string error;
  if (!ParsePreferences(text, prefs, lists, error)) return 0;

  std::string written = FormatPreferences(prefs, lists);
  StoredPreferences again = Numbered();
  PreferenceLists againLists;
  if (!ParsePreferences(written, again, againLists, error)) std::abort();
  if (FormatPreferences(again, againLists) != written) std::abort();
  return 0;
}
