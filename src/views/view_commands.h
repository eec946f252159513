#pragma once
// Command ids of the project's map and landscape commands, and their enable and check
// rules as plain functions of the project and the map's pointer mode.
#include "app/command_rules.h"

class CPVN4Doc;

namespace views {

namespace cmd {
// The toolbar's map tools, as the main window knows them.
constexpr int kZoomIn = app::cmd::kZoomInStep;
constexpr int kViewLegend = 32793;
constexpr int kZoomOut = app::cmd::kZoomOutStep;
constexpr int kViewBack = app::cmd::kStepBack;
constexpr int kViewForward = app::cmd::kStepForward;
constexpr int kZoomInMode = app::cmd::kZoomInMode;
constexpr int kZoomOutMode = app::cmd::kZoomOutMode;
constexpr int kPanMode = app::cmd::kPanMode;
constexpr int kIdentifyMode = app::cmd::kIdentifyMode;
constexpr int kMeasure = app::cmd::kMeasureMode;
constexpr int kCreatePoints = app::cmd::kCreatePointsMode;
constexpr int kCreateLines = app::cmd::kCreateLinesMode;
constexpr int kCreatePolygons = app::cmd::kCreatePolygonsMode;
// Options > Shape, and the map's shape menu (247)
constexpr int kShapeSaveToFile = 32928;
constexpr int kShapeClear = 32929;
constexpr int kShapeDeleteCurrent = 32930;
constexpr int kShapeDeleteLast = 32931;
constexpr int kFullView = 32780;
constexpr int kZoomFactor10 = 32781;  // .. kZoomFactor50 = 32785
constexpr int kZoomFactor50 = 32785;
// Analysis Area > New Analysis Area: starts the map's area tracker.
constexpr int kBeginNewAnalysisArea = 32774;
// Analysis Area > Delete Analysis Area, and Delete on an area's tree item.
constexpr int kDeleteAnalysisArea = 32801;
// Map context menus
constexpr int kNewAnalysisArea = 32777;
constexpr int kCreateNewAnalysisArea = 32786;
constexpr int kCancelAnalysisArea = 32788;
constexpr int kZoomTo = 32851;
constexpr int kPointAttributes = 32836;
// View > 3D Window and the map's 3D Window.
constexpr int k3DWindow = 32899;
// Landscape
constexpr int kOpenLandscape = 32817;
constexpr int kEditLandscape = 32967;
constexpr int kReloadLandscape = 32968;
constexpr int kSaveLandscape = 32970;
constexpr int kLandscapeProperties = 32896;
constexpr int kCreateLandscape = 32954;
}  // namespace cmd

// The zoom factor of a Zoom Factor item (1.1 .. 1.5), 0 for another id.
double ZoomFactorOf(int command);

// Enabled state of a command of this set; true for ids it does not know.
bool IsViewCommandEnabled(int command, const CPVN4Doc& doc);
// Check mark of a command of this set; false for ids it does not know.
bool IsViewCommandChecked(int command, const CPVN4Doc& doc, int pointerMode);
// The pointer mode a mode command selects, -1 for another id (the shape modes go through
// the document's choice of shape kind).
int PointerModeOf(int command);

// A rubber band counts when it is more than 20 pixels both ways.
constexpr int kRubberBandMinimum = 20;
inline bool IsRubberBandLarge(int width, int height) {
  return width > kRubberBandMinimum && height > kRubberBandMinimum;
}

}  // namespace views
