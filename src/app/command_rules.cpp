#include "app/command_rules.h"

#include <algorithm>
#include <cmath>

#include "platform/numbers.h"
#include "platform/paths.h"

namespace app {

namespace {
constexpr int kMenuIdOffset = 30000;
constexpr int kLargestMenuId = 0x7fff;
constexpr int kToolkitFirstId = 4999, kToolkitLastId = 5999;
}  // namespace

int MenuIdFor(int command) {
  return command >= kLargestMenuId ? command - kMenuIdOffset : command;
}

int CommandForMenuId(int menuId) {
  bool moved = (menuId >= kLargestMenuId - kMenuIdOffset && menuId < kToolkitFirstId) ||
               (menuId > kToolkitLastId && menuId < kLargestMenuId);
  return moved ? menuId + kMenuIdOffset : menuId;
}

bool IsCommandEnabled(int id, const CommandState& s) {
  if (!s.handled.count(id)) return false;
  switch (id) {
    // Nothing prints.
    case cmd::kPrint:
      return false;
    case cmd::kSave:
    case cmd::kSaveAs:
      return s.hasProject;
    case cmd::kShaderReliefShading:
    case cmd::kShaderApply:
      return s.hasProject && s.hasAspectLayer;
    case cmd::kStepBack:
      return s.hasProject && s.canStepBack;
    case cmd::kStepForward:
      return s.hasProject && s.canStepForward;
    case cmd::kZoomInStep:
    case cmd::kZoomOutStep:
    case cmd::kZoomInMode:
    case cmd::kZoomOutMode:
    case cmd::kPanMode:
    case cmd::kIdentifyMode:
    case cmd::kCreatePointsMode:
    case cmd::kCreateLinesMode:
    case cmd::kCreatePolygonsMode:
    case cmd::kMeasureMode:
    case cmd::kCritiqueHtml:
    case cmd::kCritiquePdf:
    case cmd::kNewEmbrithRun:
    case cmd::kImportRun:
    case cmd::kNewRun:  // the project's rules also ask for a current analysis area
    case cmd::kSaveAndArchive:
      return s.hasProject && s.hasLandscape;
    default:
      // Frame and application commands work without a project.
      return true;
  }
}

bool IsCommandChecked(int id, const CommandState& s) {
  switch (id) {
    case cmd::kViewToolbar: return s.toolbarShown;
    case cmd::kViewStatusBar: return s.statusBarShown;
    case cmd::kViewShaderBar: return s.shaderBarShown;
    case cmd::kZoomInMode: return s.hasProject && s.pointerMode == kModeZoomIn;
    case cmd::kZoomOutMode: return s.hasProject && s.pointerMode == kModeZoomOut;
    case cmd::kPanMode: return s.hasProject && s.pointerMode == kModePan;
    case cmd::kIdentifyMode: return s.hasProject && s.pointerMode == kModeIdentify;
    case cmd::kCreatePointsMode: return s.hasProject && s.pointerMode == kModeCreatePoints;
    case cmd::kCreateLinesMode: return s.hasProject && s.pointerMode == kModeCreateLines;
    case cmd::kCreatePolygonsMode: return s.hasProject && s.pointerMode == kModeCreatePolygons;
    case cmd::kMeasureMode:
      return s.hasProject &&
             (s.pointerMode == kModeMeasureLines || s.pointerMode == kModeMeasurePolygons);
    default: return false;
  }
}

std::string MapModePaneText(int mode) {
  switch (mode) {
    case kModeZoomIn: return "Map Mode: Zoom In";
    case kModeZoomOut: return "Map Mode: Zoom Out";
    case kModePan: return "Map Mode: Pan";
    case kModeCreatePoints: return "Map Mode: Create Points";
    case kModeCreateLines: return "Map Mode: Create Lines";
    case kModeCreatePolygons: return "Map Mode: Create Polygons";
    case kModeMeasureLines: return "Map Mode: Measure Lines";
    case kModeMeasurePolygons: return "Map Mode: Measure Polygons";
    default: return "Map Mode: Identify";
  }
}

std::string ValuePaneText(double value, double noData, bool hasLegend, int decimalPlaces,
                          const std::string& unitsName) {
  if (!hasLegend || std::isnan(value) || value == noData) return "NA";
  // A legend read from a damaged file must not give a malformed format; and a cell holds a
  // float, so digits past its seven significant ones would only show noise.
  int places = std::clamp(decimalPlaces, 0, 15);
  const double magnitude = std::fabs(value);
  const int whole = magnitude >= 1 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 1;
  places = std::min(places, std::max(0, 7 - whole));
  return platform::FormatC("%.*f (%s)", places, value, unitsName.c_str());
}

std::string CoordinatesPaneText(double easting, double northing) {
  return platform::FormatC("%.0f, %.0f", easting, northing);
}

std::string ScalePaneText(double scaleDenominator) {
  if (scaleDenominator > 0) return platform::FormatC("Scale: 1 : %.0f", scaleDenominator);
  return "Undefined";
}

StatusTexts StatusPaneTexts(const StatusInfo& info) {
  StatusTexts t;
  if (!info.hasProject) return t;
  if (info.hasMapView) t.mode = MapModePaneText(info.pointerMode);
  t.area = info.areaName;
  if (!info.hasVisibleTheme) return t;
  t.theme = info.themeName;
  t.value = ValuePaneText(info.value, info.noData, info.hasLegend, info.decimalPlaces,
                          info.unitsName);
  t.coordinates = CoordinatesPaneText(info.easting, info.northing);
  t.scale = ScalePaneText(info.scaleDenominator);
  return t;
}

std::string GetFileNameFromPath(const std::string& path) { return platform::FileName(path); }

std::string ChildFrameCaption(const std::string& projectTitle, bool landscapeLoaded,
                              const std::string& landscapePath, int windowNumber) {
  std::string caption = projectTitle;
  if (landscapeLoaded && !landscapePath.empty()) {
    std::size_t dot = caption.rfind('.');
    if (dot != std::string::npos && dot > 0) caption.resize(dot);
    caption += " - " + GetFileNameFromPath(landscapePath);
  }
  if (windowNumber > 0) caption += ":" + std::to_string(windowNumber);
  return caption;
}

namespace {
constexpr int kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3, kMinimize = 6,
              kShowMinNoActive = 7;
}  // namespace

FramePlacement FromStoredPlacement(const WindowPlacement& stored) {
  FramePlacement p;
  switch (stored.showCmd) {
    case kShowMaximized: p.show = ShowState::Maximized; break;
    case kShowMinimized:
    case kMinimize:
    case kShowMinNoActive: p.show = ShowState::Minimized; break;
    default: p.show = ShowState::Normal; break;
  }
  // Coordinates beyond the int range come only from a damaged file: they count as unset.
  auto coord = [](long v) { return v < -1000000 || v > 1000000 ? -1 : static_cast<int>(v); };
  p.normal = {coord(stored.left), coord(stored.top), coord(stored.right), coord(stored.bottom)};
  return p;
}

WindowPlacement ToStoredPlacement(const FramePlacement& placement) {
  WindowPlacement w;
  w.showCmd = placement.show == ShowState::Maximized   ? kShowMaximized
              : placement.show == ShowState::Minimized ? kShowMinimized
                                                       : kShowNormal;
  w.left = placement.normal.left;
  w.top = placement.normal.top;
  w.right = placement.normal.right;
  w.bottom = placement.normal.bottom;
  return w;
}

FramePlacement RestoredPlacement(FramePlacement stored, const FramePlacement& current,
                                  const Rect& workArea, bool frameMaximized, bool frameMinimized) {
  Rect& r = stored.normal;
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  if (!r.Intersects(workArea)) stored = current;
  if (stored.show == ShowState::Minimized && !frameMinimized) stored.show = ShowState::Normal;
  if (stored.show != ShowState::Maximized && frameMaximized) stored.show = ShowState::Maximized;
  return stored;
}

}  // namespace app
