#include "app/preference_pages.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

#include "app/application.h"
#include "app/unit_tables.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/temp_files.h"
#include "themes/line_style.h"

namespace app {

namespace {

ListChoice LineStyleChoice(int style) {
  ListChoice c;
  for (int i = 0; i < kLineStyleCount; ++i) c.items.push_back(GetLineStyleName(i));
  c.selected = style >= 0 && style < kLineStyleCount ? style : -1;
  return c;
}

// The units of a layer type or wind-vector kind, as names, with the index selected.
ListChoice UnitsChoice(const std::vector<int>& codes, int index) {
  ListChoice c;
  for (int code : codes) c.items.push_back(GetUnitName(code));
  c.selected = index >= 0 && index < static_cast<int>(codes.size()) ? index : -1;
  return c;
}

// Names sorted as the list shows them; the record's name selected when present, else the
// first. Empty when there is none, and then the legend cannot be used.
template <class Legends, class Matches>
void FillLegendChoice(const Legends& legends, Matches matches, const std::string& wanted, int& useFlag,
                      bool& radioEnabled, ListChoice& out) {
  for (const auto& l : legends)
    if (matches(*l)) out.items.push_back(l->name);
  std::stable_sort(out.items.begin(), out.items.end());
  out.selected = -1;
  if (!wanted.empty())
    for (int i = 0; i < static_cast<int>(out.items.size()); ++i)
      if (out.items[static_cast<std::size_t>(i)] == wanted) out.selected = i;
  radioEnabled = !out.items.empty();
  if (out.items.empty())
    useFlag = 0;
  else if (out.selected < 0)
    out.selected = 0;
}

std::optional<PageProblem> NeedSelection(const std::string& field, const ListChoice& c) {
  if (c.selected >= 0 && c.selected < static_cast<int>(c.items.size())) return std::nullopt;
  return PageProblem{field, "choose one of the list's values."};
}

std::string SelectedText(const ListChoice& c) {
  return c.selected >= 0 && c.selected < static_cast<int>(c.items.size())
             ? c.items[static_cast<std::size_t>(c.selected)]
             : std::string();
}

// The ramp a page's choice stores: a copy of the chosen application ramp, or the record's
// own one unchanged.
void StoreRamp(const RampChoice& r, CColorRamp& ramp) {
  const bool own = r.ownListed && r.selected == static_cast<int>(r.ramps.size()) - 1;
  if (own || r.selected < 0 || r.selected >= static_cast<int>(r.ramps.size())) return;
  ramp = CColorRamp(r.ramps[static_cast<std::size_t>(r.selected)]->Colors());
}

}  // namespace

RampChoice MakeRampChoice(const PreferenceLists& lists, const CColorRamp& own) {
  RampChoice r;
  for (const auto& ramp : lists.colorRamps) {
    if (r.selected < 0 && ramp->Colors() == own.Colors()) r.selected = static_cast<int>(r.ramps.size());
    r.ramps.push_back(ramp.get());
  }
  if (r.selected < 0) {
    r.ramps.push_back(&own);
    r.ownListed = true;
    r.selected = static_cast<int>(r.ramps.size()) - 1;
  }
  return r;
}

ListChoice NumberChoice(int first, int last, int value) {
  ListChoice c;
  for (int i = first; i <= last; ++i) c.items.push_back(std::to_string(i));
  c.selected = value >= first && value <= last ? value - first : -1;
  return c;
}

std::optional<PageProblem> ParseRangedInt(const std::string& field, const std::string& text, int low,
                                          int high, int& out) {
  const std::string range = "enter a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  std::size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  long long v = 0;
  const char* first = text.data() + b;
  const char* last = text.data() + e;
  if (first != last && *first == '+') ++first;
  auto [ptr, ec] = std::from_chars(first, last, v);
  if (b == e || ec != std::errc() || ptr != last)
    return PageProblem{field, "\"" + text + "\" is not a whole number; " + range + "."};
  if (v < low || v > high) return PageProblem{field, text.substr(b, e - b) + " is out of range; " + range + "."};
  out = static_cast<int>(v);
  return std::nullopt;
}

// ---- theme page ----

ThemePageFields LoadThemePage(const CThemePreference& pref, const PreferenceLists& lists) {
  ThemePageFields f;
  f.usePredefinedLegend = pref.usePredefinedLegend ? 1 : 0;
  FillLegendChoice(
      lists.predefinedLegends, [&](const CPredefinedThemeLegend& l) { return l.layerType == pref.layerType; },
      pref.predefinedLegendName, f.usePredefinedLegend, f.legendRadioEnabled, f.legends);
  f.ramps = MakeRampChoice(lists, pref.ramp);
  f.noDataColor = pref.noDataColor;
  f.units = UnitsChoice(GetLayerTypeUnits(pref.layerType), pref.units);
  f.decimals = NumberChoice(0, 9, pref.decimals);
  f.classes = std::to_string(pref.numClasses);
  f.contourColor = pref.contourColor;
  f.contourStyle = LineStyleChoice(pref.contourStyle);
  f.contourWidth = NumberChoice(1, 10, pref.contourWidth);
  return f;
}

std::optional<PageProblem> ApplyThemePage(const ThemePageFields& f, CThemePreference& pref) {
  int classes = 0;
  if (auto p = NeedSelection("Units", f.units)) return p;
  if (auto p = NeedSelection("Decimals", f.decimals)) return p;
  if (auto p = ParseRangedInt("Number of Classes", f.classes, kMinClasses, kMaxClasses, classes)) return p;
  if (auto p = NeedSelection("Contour Style", f.contourStyle)) return p;
  if (auto p = NeedSelection("Contour Width", f.contourWidth)) return p;
  pref.usePredefinedLegend = f.legends.items.empty() ? 0 : f.usePredefinedLegend;
  pref.predefinedLegendName = SelectedText(f.legends);
  StoreRamp(f.ramps, pref.ramp);
  pref.noDataColor = f.noDataColor;
  pref.units = f.units.selected;
  pref.decimals = f.decimals.selected;
  pref.numClasses = classes;
  pref.contourColor = f.contourColor;
  pref.contourStyle = f.contourStyle.selected;
  pref.contourWidth = f.contourWidth.selected + 1;
  return std::nullopt;
}

// ---- vector page ----

VectorPageFields LoadVectorPage(const CVectorPreferences& pref) {
  VectorPageFields f;
  f.pointShape.items = {"Circle", "Triangle", "Square"};
  f.pointShape.selected = pref.pointShape >= 0 && pref.pointShape <= 2 ? pref.pointShape : -1;
  f.pointColor = pref.pointColor;
  f.pointWidth = NumberChoice(1, 10, pref.pointWidth);
  f.lineStyle = LineStyleChoice(pref.lineStyle);
  f.lineColor = pref.lineColor;
  f.lineWidth = NumberChoice(1, 10, pref.lineWidth);
  f.polygonStyle = LineStyleChoice(pref.polygonStyle);
  f.polygonColor = pref.polygonColor;
  f.polygonWidth = NumberChoice(1, 10, pref.polygonWidth);
  return f;
}

std::optional<PageProblem> ApplyVectorPage(const VectorPageFields& f, CVectorPreferences& pref) {
  const std::pair<const char*, const ListChoice*> lists[] = {
      {"Point Shape", &f.pointShape}, {"Point Width", &f.pointWidth},     {"Line Style", &f.lineStyle},
      {"Line Width", &f.lineWidth},   {"Polygon Style", &f.polygonStyle}, {"Polygon Width", &f.polygonWidth}};
  for (const auto& [name, list] : lists)
    if (auto p = NeedSelection(name, *list)) return p;
  pref.pointShape = f.pointShape.selected;
  pref.pointColor = f.pointColor;
  pref.pointWidth = f.pointWidth.selected + 1;
  pref.lineStyle = f.lineStyle.selected;
  pref.lineColor = f.lineColor;
  pref.lineWidth = f.lineWidth.selected + 1;
  pref.polygonStyle = f.polygonStyle.selected;
  pref.polygonColor = f.polygonColor;
  pref.polygonWidth = f.polygonWidth.selected + 1;
  return std::nullopt;
}

// ---- wind-vector pages ----

WindVectorPageFields LoadWindVectorPage(const CWindVectorPreferences& pref, const PreferenceLists& lists) {
  WindVectorPageFields f;
  f.usePredefinedLegend = pref.usePredefinedLegend ? 1 : 0;
  FillLegendChoice(
      lists.predefinedWVLegends, [&](const CPredefinedWVThemeLegend& l) { return l.kind == pref.kind; },
      pref.predefinedLegendName, f.usePredefinedLegend, f.legendRadioEnabled, f.legends);
  f.ramps = MakeRampChoice(lists, pref.ramp);
  f.units = UnitsChoice(GetWindVectorUnits(pref.kind), pref.units);
  f.classes = std::to_string(pref.numClasses);
  f.lineWidth = NumberChoice(1, 10, pref.lineWidth);
  f.autoDensity = pref.autoDensity == 1;
  f.skip = std::to_string(pref.skip);
  f.targetSize = std::to_string(pref.targetSize);
  f.outputSpeed = pref.outputSpeed != 0;
  f.fontSize = NumberChoice(4, 12, pref.fontSize);
  f.decimals = NumberChoice(0, 9, pref.decimals);
  return f;
}

std::optional<PageProblem> ApplyWindVectorPage(const WindVectorPageFields& f, CWindVectorPreferences& pref) {
  int classes = 0, skip = 0, target = 0;
  if (auto p = NeedSelection("Units", f.units)) return p;
  if (auto p = ParseRangedInt("Number of Classes", f.classes, kMinClasses, kMaxClasses, classes)) return p;
  if (auto p = NeedSelection("Line Width", f.lineWidth)) return p;
  // Both are checked whatever the density mode: either is stored.
  if (auto p = ParseRangedInt("Rows/Cols to Skip", f.skip, kMinSkip, kMaxSkip, skip)) return p;
  if (auto p = ParseRangedInt("Target Size (Pixels)", f.targetSize, kMinTargetSize, kMaxTargetSize, target))
    return p;
  if (auto p = NeedSelection("Font Point Size", f.fontSize)) return p;
  if (auto p = NeedSelection("Decimal Places", f.decimals)) return p;
  pref.usePredefinedLegend = f.legends.items.empty() ? 0 : f.usePredefinedLegend;
  pref.predefinedLegendName = SelectedText(f.legends);
  StoreRamp(f.ramps, pref.ramp);
  pref.decimals = f.decimals.selected;
  pref.numClasses = classes;
  pref.lineWidth = f.lineWidth.selected + 1;
  pref.autoDensity = f.autoDensity ? 1 : 0;
  pref.skip = skip;
  pref.targetSize = target;
  pref.fontSize = f.fontSize.selected + 4;
  pref.outputSpeed = f.outputSpeed ? 1 : 0;
  pref.units = f.units.selected;
  return std::nullopt;
}

// ---- application page ----

std::string GlVersionText(int major, int minor) {
  if (major == 0) return "OpenGL not installed";
  return "OpenGL " + std::to_string(major) + "." + std::to_string(minor) + " installed";
}

ApplicationPageFields LoadApplicationPage(const CPVN4App& app) {
  ApplicationPageFields f;
  f.storageFolder = app.workingFolder;
  f.keepCellsInMemory = app.keepGridCellsInMemory;
  f.backgroundColor = app.backgroundColor;
  f.useBackgroundImage = app.useBackgroundImage != 0;
  f.backgroundImagePath = app.backgroundImagePath;
  f.versionText = GlVersionText(app.directXMajor, app.directXMinor);
  return f;
}

bool CanWriteInFolder(const std::string& folder, std::string* reason) {
  // A fresh, exclusively created name: whatever already lies in the folder stays untouched.
  platform::TempFile probe;
  int error = 0;
  if (!platform::CreateTempBeside(platform::Join(folder, "PyrvaneWriteTest.txt"), "", probe, &error)) {
    if (reason) *reason = std::strerror(error ? error : EIO);
    return false;
  }
  platform::DiscardTemp(probe);
  return true;
}

bool BrowseStorageFolder(ApplicationPageFields& f) {
  BrowseInitialFolder = f.storageFolder;
  const std::optional<std::string> picked =
      platform::CurrentDialogs().ChooseFolder("Select a Directory to Save Outputs", BrowseInitialFolder);
  if (!picked || picked->empty()) return false;
  std::error_code ec;
  const std::filesystem::space_info space = std::filesystem::space(*picked, ec);
  const std::string question =
      ec ? "The selected folder does not report its free space (" + ec.message() + "). Set as storage directory?"
         : platform::FormatC("The selected folder reports %.1f MB available. Set as storage directory?",
                             static_cast<double>(space.available) / 1048576.0);
  if (!platform::AskYesNo(question)) return false;
  std::string reason;
  if (!CanWriteInFolder(*picked, &reason)) {
    platform::Tell("Error: Could not create a file for writing on the selected location.\n" + *picked + ": " +
                   reason);
    return false;
  }
  f.storageFolder = *picked;
  return true;
}

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool LoadImage(const CPVN4App& app, const std::string& path, platform::Image& image) {
  if (app.imageLoader && app.imageLoader(path, image)) return true;
  platform::Tell("Error: Could not load the background image " + path + ".");
  return false;
}

}  // namespace

bool ChooseBackgroundImage(ApplicationPageFields& f, const std::string& path, const CPVN4App& app) {
  if (SameIgnoringCase(path, f.backgroundImagePath)) return false;
  platform::Image probe;
  if (!LoadImage(app, path, probe)) return false;
  f.backgroundImagePath = path;
  return true;
}

void ApplyApplicationPage(const ApplicationPageFields& f, CPVN4App& app) {
  if (f.storageFolder != app.workingFolder) app.SetWorkingFolder(f.storageFolder);
  app.keepGridCellsInMemory = f.keepCellsInMemory;
  app.backgroundColor = f.backgroundColor;
  const bool newPath = f.backgroundImagePath != app.backgroundImagePath;
  app.useBackgroundImage = f.useBackgroundImage ? 1 : 0;
  app.backgroundImagePath = f.backgroundImagePath;
  if (!f.useBackgroundImage || app.backgroundImagePath.empty()) {
    app.backgroundImage = platform::Image();
    return;
  }
  if (!newPath && !app.backgroundImage.IsEmpty()) return;
  platform::Image image;
  if (LoadImage(app, app.backgroundImagePath, image)) app.backgroundImage = std::move(image);
  else app.backgroundImage = platform::Image();
}

}  // namespace app
