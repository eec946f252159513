#pragma once
// The map pane of a project window: paints the document's map image of the visible part of
// the current analysis area, and handles zooms, scrolling, panning, the pointer modes, the
// rubber band, the new-area tracker and the measure line.
#include <wx/weakref.h>
#include <wx/window.h>

#include <functional>

#include "app/command_rules.h"
#include "platform/image.h"
#include "project/document.h"
#include "views/navigation.h"
#include "views/ui/measure_dialog.h"

class wxMenu;

namespace views::ui {



class CMapView : public wxWindow, public DocumentObserver {
 public:
  CMapView(wxWindow* parent, CPVN4Doc& doc);
  ~CMapView() override;

  CPVN4Doc& Document() const { return doc_; }

  // ---- operations used by the document, the tree and the main window ----
  void ZoomToFullExtent();
  void RedrawMap();
  void ZoomIn();
  void ZoomOut();
  void BeginAreaTracker();
  MapPoint ClientToMap(int x, int y) const;
  // The visible theme's value under the last mouse point, in the legend's display units,
  // or the theme's no-data value.
  float GetValueAtCursor() const;
  void UpdateScale();
  CViewHistoryItem GetViewState() const;
  void SetViewState(const CViewHistoryItem& record);
  void PushViewState();
  // Moves the shown part without rendering (the cached image moves with it).
  void ScrollTo(int x, int y);

  // The document's view commands (zooms, factor, Back/Forward, pointer modes, Measure);
  // false for an id that is not one of them.
  bool DoCommand(int command);
  bool IsCommandEnabled(int command) const;
  bool IsCommandChecked(int command) const;
  // Whether an item of the map's context menus has something to carry it out: the map
  // itself, or a window registered with the main window.
  bool IsMenuCommandAvailable(int command) const;

  int PointerMode() const { return pointerMode_; }
  void SetPointerMode(int mode);
  double MapScale() const { return mapScale_; }
  const ViewGeometry& Geometry() const { return geometry_; }
  bool TrackerActive() const { return trackerActive_; }
  PixelBox TrackerBox() const { return tracker_; }
  wxPoint LastMousePoint() const { return lastMouse_; }
  wxPoint IdentifyPoint() const { return identifyPoint_; }
  const platform::Image& MapImage() const { return image_; }
  // The status bar's view of the pointer, the mode and the scale.
  app::StatusInfo Status() const;
  CMeasureDialog* MeasureWindow() const { return measure_.get(); }

  // Mouse input in client pixels, also reached from the window's events.
  void LeftDown(wxPoint p);
  void LeftUp(wxPoint p);
  void LeftDoubleClick(wxPoint p);
  void RightDown(wxPoint p);
  void RightDoubleClick(wxPoint p);
  void MouseMove(wxPoint p, bool leftDown);
  void MouseLeave();
  void Wheel(int delta, int deltaPerNotch);

  // Pops up a context menu (template id) at a client point and answers the system's command
  // id chosen, 0 for none. Tests replace it, as a pop-up menu runs its own modal loop.
  using MenuChooser = std::function<int(int menuId, wxMenu& menu, wxPoint clientPoint)>;
  void SetMenuChooser(MenuChooser chooser) { chooser_ = std::move(chooser); }

  // ---- DocumentObserver ----
  void OnUpdate(CPVN4Doc& doc, int hint) override;
  void OnDocumentDestroyed(CPVN4Doc&) override { docGone_ = true; }

 private:
  bool HasMap() const;
  Extent AreaExtent() const;
  wxSize ClientPixels() const;
  void Render();
  void Apply(const ViewGeometry& g);
  void SyncScrollbars();
  void EndPan();
  void ZoomAboutPoint(bool zoomIn, wxPoint anchor, bool push);
  void ZoomTo(PixelBox box);
  void NewAnalysisArea();
  void ShowMenu(int menuId, wxPoint at);
  void RunMenuCommand(int command);
  void ClearMeasurePoints();
  void OpenMeasure();
  void FinishBand(wxPoint p);

  void OnPaint(wxPaintEvent& e);
  void OnSize(wxSizeEvent& e);
  void OnScrollWin(wxScrollWinEvent& e);
  void OnMouse(wxMouseEvent& e);
  void OnSetCursor(wxSetCursorEvent& e);

  CPVN4Doc& doc_;
  bool docGone_ = false;  // the window can outlive its document while it waits to be deleted
  ViewGeometry geometry_;
  platform::Image image_;
  wxBitmap bitmap_;
  wxPoint imageOrigin_;  // scroll position when the image was rendered
  int pointerMode_ = app::kModeIdentify;
  bool trackerActive_ = false;
  PixelBox tracker_;
  enum class TrackerDrag { None, Move, Resize } trackerDrag_ = TrackerDrag::None;
  wxPoint trackerAnchor_;
  bool panning_ = false;
  bool banding_ = false;
  bool menuBand_ = false;  // the identify band, kept on screen while its menu is open
  wxPoint bandStart_, bandEnd_;
  double mapScale_ = -1.0;
  wxPoint lastMouse_{0, 0};
  wxPoint identifyPoint_{0, 0};
  WheelAccumulator wheel_;
  bool fullExtent_ = false;  // nothing has moved since the last full-extent zoom
  bool updating_ = false;  // our own UpdateAllViews must not render a second time
  MenuChooser chooser_;
  // Parented to the top-level window, which may destroy it first.
  wxWeakRef<CMeasureDialog> measure_;
};

// The map view of a document, or null (one per document).
CMapView* FindMapView(const CPVN4Doc* doc);

}  // namespace views::ui
