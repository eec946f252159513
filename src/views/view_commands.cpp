#include "views/view_commands.h"

#include "project/document.h"
#include "views/navigation.h"

namespace views {

double ZoomFactorOf(int command) {
  if (command < cmd::kZoomFactor10 || command > cmd::kZoomFactor50) return 0;
  static const double factors[] = {1.1, 1.2, 1.3, 1.4, 1.5};
  return factors[command - cmd::kZoomFactor10];
}

int PointerModeOf(int command) {
  switch (command) {
    case cmd::kZoomInMode: return 0;
    case cmd::kZoomOutMode: return 1;
    case cmd::kPanMode: return 2;
    case cmd::kIdentifyMode: return 3;
    default: return -1;
  }
}

bool IsViewCommandEnabled(int command, const CPVN4Doc& doc) {
  switch (command) {
    case cmd::kFullView:
    case cmd::kZoomIn:
    case cmd::kZoomOut: return doc.GetVisibleTheme() != nullptr;
    case cmd::kViewBack: return CanStepBack(doc.viewHistory, doc.historyPosition);
    case cmd::kViewForward: return CanStepForward(doc.viewHistory, doc.historyPosition);
    case cmd::kMeasure:
    case cmd::kBeginNewAnalysisArea: return doc.IsLandscapeLoaded();
    case cmd::kOpenLandscape: return !doc.IsLandscapeLoaded();
    case cmd::kEditLandscape:
    case cmd::kSaveLandscape:
    case cmd::kLandscapeProperties: return doc.IsLandscapeLoaded();
    case cmd::kReloadLandscape: return doc.landscape.edited;
    case cmd::kCreatePoints:
    case cmd::kCreateLines:
    case cmd::kCreatePolygons: return doc.IsLandscapeLoaded();
    case cmd::kShapeSaveToFile:
    case cmd::kShapeDeleteLast: return doc.HasFinishedShapes();
    case cmd::kShapeClear: return doc.HasShapePoints();
    case cmd::kShapeDeleteCurrent: return !doc.shapeInProgress.empty();
    default: return true;
  }
}

bool IsViewCommandChecked(int command, const CPVN4Doc& doc, int mode) {
  if (const double f = ZoomFactorOf(command); f > 0) return doc.zoomFactor == f;
  if (command == cmd::kMeasure) return mode == 7 || mode == 8;
  if (command == cmd::kCreatePoints) return mode == 4;
  if (command == cmd::kCreateLines) return mode == 5;
  if (command == cmd::kCreatePolygons) return mode == 6;
  const int m = PointerModeOf(command);
  return m >= 0 && m == mode;
}

}  // namespace views
