#include "views/ui/project_panes.h"

#include "app/ui/main_frame.h"
#include "landscape/ui/convert_dialog.h"
#include "project/document.h"
#include "views/navigation.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "views/view_commands.h"

namespace views::ui {

namespace {
constexpr int kAspectLayer = 2;
}

CPVN4View* CreateTreePane(wxWindow* parent, CPVN4Doc& doc) {
  auto* tree = new CPVN4View(parent, doc);
  tree->OnInitialUpdate();
  return tree;
}

CMapView* CreateMapPane(wxWindow* parent, CPVN4Doc& doc) {
  auto* map = new CMapView(parent, doc);
  // A project read from a file (or with a landscape already) opens at its full extent.
  map->ZoomToFullExtent();
  return map;
}

void BindMapTools(app::ui::MainFrame& frame, std::function<CPVN4Doc*()> active) {
  namespace c = app::cmd;
  for (int command : {c::kZoomInStep, c::kZoomOutStep, c::kZoomInMode, c::kZoomOutMode, c::kPanMode,
                      c::kStepBack, c::kStepForward, c::kIdentifyMode, c::kMeasureMode,
                      c::kCreatePointsMode, c::kCreateLinesMode, c::kCreatePolygonsMode,
                      cmd::kShapeSaveToFile, cmd::kShapeClear, cmd::kShapeDeleteCurrent,
                      cmd::kShapeDeleteLast}) {
    frame.BindCommand(command, [active, command] {
      if (CMapView* map = FindMapView(active ? active() : nullptr)) map->DoCommand(command);
    });
  }
  frame.BindCommand(c::kConvertLcpToGeoTiff, [&frame] {
    landscape::ui::CConvertLCPtoGeoTiffDlg dialog(&frame);
    dialog.ShowModal();
  });
}

void FillCommandState(app::CommandState& state, const CPVN4Doc* doc) {
  state.hasProject = doc != nullptr;
  state.hasLandscape = doc && doc->IsLandscapeLoaded();
  state.hasAspectLayer = doc && doc->GetThemeByLayerType(kAspectLayer) != nullptr;
  state.canStepBack = doc && CanStepBack(doc->viewHistory, doc->historyPosition);
  state.canStepForward = doc && CanStepForward(doc->viewHistory, doc->historyPosition);
  const CMapView* map = FindMapView(doc);
  state.pointerMode = map ? map->PointerMode() : app::kModeIdentify;
}

app::StatusInfo MapStatus(const CPVN4Doc* doc) {
  if (const CMapView* map = FindMapView(doc)) return map->Status();
  app::StatusInfo info;
  info.hasProject = doc != nullptr;
  return info;
}

}  // namespace views::ui
