#include "views/ui/map_view.h"

#include "views/ui/legend_window.h"

#include <wx/dcbuffer.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/utils.h>
#include <wx/wupdlock.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "app/ui/main_frame.h"
#include "platform/messages.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "views/ui/measure_dialog.h"
#include "views/ui/terrain_view.h"
#include "views/view_commands.h"

namespace views::ui {

namespace {

std::map<const CPVN4Doc*, CMapView*>& Registry() {
  static std::map<const CPVN4Doc*, CMapView*> views;
  return views;
}

constexpr int kHintNoRender = 7;
constexpr int kFuelModelLayer = 3;
constexpr int kTrackerMinimum = 10;
const wxColour kOrange(250, 125, 0);
const wxColour kLight(250, 250, 250);

// The toolkit's menu ids stop at 0x7fff, below some of the system's command ids.
constexpr int kMenuIdOffset = 30000;

const char* const kNoPointAttributesText = "Point attributes cannot be shown yet.";

// Context menus of the map, by their template ids; item ids are commands - kMenuIdOffset.
std::unique_ptr<wxMenu> MakeMenu(int id) {
  auto menu = std::make_unique<wxMenu>();
  switch (id) {
    case 132:
      menu->Append(-kMenuIdOffset + cmd::kNewAnalysisArea, "New &Analysis Area");
      menu->Append(-kMenuIdOffset + cmd::kZoomTo, "&Zoom To");
      break;
    case 133:
      menu->Append(-kMenuIdOffset + cmd::kCreateNewAnalysisArea, "Create &New Analysis Area");
      menu->Append(-kMenuIdOffset + cmd::kCancelAnalysisArea, "&Cancel");
      break;
    case 144:
      menu->Append(-kMenuIdOffset + cmd::kPointAttributes, "Point &Attributes");
      menu->AppendSeparator();
      menu->Append(-kMenuIdOffset + cmd::kViewLegend, "View &Legend");
      menu->Append(-kMenuIdOffset + 32835, "&Save As....");
      menu->Append(-kMenuIdOffset + 32850, "&Contour");
      menu->Append(-kMenuIdOffset + cmd::kFullView, "&Full View");
      menu->Append(-kMenuIdOffset + C3DDialog::kCommand, "&3D Window");
      menu->Append(-kMenuIdOffset + 32938, "S&tatistics");
      break;
    case 247:
      menu->Append(-kMenuIdOffset + cmd::kShapeSaveToFile, "&Save to File");
      menu->Append(-kMenuIdOffset + cmd::kShapeClear, "&Clear");
      menu->Append(-kMenuIdOffset + cmd::kShapeDeleteCurrent, "&Delete Current");
      menu->Append(-kMenuIdOffset + cmd::kShapeDeleteLast, "Delete &Last");
      break;
    default:
      break;
  }
  return menu;
}

PixelBox BoxOf(wxPoint a, wxPoint b) { return PixelBox{a.x, a.y, b.x, b.y}.Normalized(); }

}  // namespace

CMapView* FindMapView(const CPVN4Doc* doc) {
  auto it = Registry().find(doc);
  return it == Registry().end() ? nullptr : it->second;
}

CMapView::CMapView(wxWindow* parent, CPVN4Doc& doc)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
               wxHSCROLL | wxVSCROLL | wxALWAYS_SHOW_SB | wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      doc_(doc) {
  // The cached image covers the view: never erase behind it.
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Registry()[&doc_] = this;
  doc_.AddObserver(this);
  doc_.windows.redrawMap = [this] { RedrawMap(); };
  chooser_ = [this](int, wxMenu& menu, wxPoint at) {
    const int chosen = GetPopupMenuSelectionFromUser(menu, at);
    return chosen == wxID_NONE ? 0 : chosen + kMenuIdOffset;
  };
  Bind(wxEVT_PAINT, &CMapView::OnPaint, this);
  Bind(wxEVT_SIZE, &CMapView::OnSize, this);
  Bind(wxEVT_SET_CURSOR, &CMapView::OnSetCursor, this);
  for (auto type : {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
                    wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
                    wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
    Bind(type, &CMapView::OnScrollWin, this);
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN,
                    wxEVT_RIGHT_DCLICK, wxEVT_MOTION, wxEVT_LEAVE_WINDOW, wxEVT_MOUSEWHEEL})
    Bind(type, &CMapView::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
    banding_ = false;
    trackerDrag_ = TrackerDrag::None;
  });
  SyncScrollbars();
}

CMapView::~CMapView() {
  if (measure_) measure_->Destroy();
  if (FindMapView(&doc_) == this) Registry().erase(&doc_);
  if (docGone_) return;
  doc_.RemoveObserver(this);
  doc_.windows.redrawMap = nullptr;
}

bool CMapView::HasMap() const { return doc_.currentArea && doc_.GetVisibleTheme(); }

Extent CMapView::AreaExtent() const {
  Extent e;
  if (const CPyrvane2WorkArea* a = doc_.currentArea) {
    e.north = a->north;
    e.east = a->east;
    e.south = a->south;
    e.west = a->west;
  }
  return e;
}

wxSize CMapView::ClientPixels() const {
  const wxSize s = GetClientSize();
  return {std::max(s.x, 0), std::max(s.y, 0)};
}

// ---- rendering and geometry ----

void CMapView::Render() {
  if (!HasMap()) return;
  wxBusyCursor wait;
  const wxSize c = ClientPixels();
  const Extent v = VisibleExtent(AreaExtent(), geometry_, c.x, c.y);
  image_ = platform::Image();
  bitmap_ = wxBitmap();
  doc_.windowColor = [] {
    const wxColour w = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    return static_cast<COLORREF>(w.Red() | (w.Green() << 8) | (w.Blue() << 16));
  }();
  doc_.DrawMapImage(image_, v.west, v.north, v.east, v.south, PixelRect{0, 0, c.x, c.y});
  if (!image_.IsEmpty()) {
    const std::vector<std::uint8_t> rgba = image_.ToRgbaBytes();
    const int w = image_.Width(), h = image_.Height();
    wxImage img(w, h, false);
    unsigned char* out = img.GetData();
    for (std::size_t i = 0, n = static_cast<std::size_t>(w) * h; i < n; ++i) {
      out[3 * i] = rgba[4 * i];
      out[3 * i + 1] = rgba[4 * i + 1];
      out[3 * i + 2] = rgba[4 * i + 2];
    }
    bitmap_ = wxBitmap(img);
    imageOrigin_ = {geometry_.scrollX, geometry_.scrollY};
  }
  UpdateScale();
  Refresh();
}

void CMapView::RedrawMap() { OnUpdate(doc_, kHintRender); }

void CMapView::OnUpdate(CPVN4Doc&, int hint) {
  if (updating_ || hint == kHintNoRender) return;
  if (hint == kHintLandscapeOpened)
    ZoomToFullExtent();
  else
    Render();
}

void CMapView::SyncScrollbars() {
  const wxSize c = ClientPixels();
  SetScrollbar(wxHORIZONTAL, geometry_.scrollX, std::max(c.x, 1), geometry_.totalWidth);
  SetScrollbar(wxVERTICAL, geometry_.scrollY, std::max(c.y, 1), geometry_.totalHeight);
}

void CMapView::Apply(const ViewGeometry& g) {
  fullExtent_ = false;
  geometry_ = g;
  const wxSize c = ClientPixels();
  geometry_.scrollX = std::clamp(geometry_.scrollX, 0, std::max(0, geometry_.totalWidth - c.x));
  geometry_.scrollY = std::clamp(geometry_.scrollY, 0, std::max(0, geometry_.totalHeight - c.y));
  SyncScrollbars();
}

void CMapView::ScrollTo(int x, int y) {
  ViewGeometry g = geometry_;
  g.scrollX = x;
  g.scrollY = y;
  Apply(g);
  Refresh();
}

MapPoint CMapView::ClientToMap(int x, int y) const {
  return views::ClientToMap(AreaExtent(), geometry_, x, y);
}

void CMapView::UpdateScale() {
  const wxSize c = ClientPixels();
  mapScale_ = MapScaleDenominator(c.x, GetDPI().x > 0 ? GetDPI().x : 96, geometry_.scale);
}

float CMapView::GetValueAtCursor() const {
  const CTheme* theme = doc_.GetVisibleTheme();
  if (!theme) return kNoData;
  const Extent a = AreaExtent();
  const MapPoint p = ClientToMap(lastMouse_.x, lastMouse_.y);
  if (!(a.west <= p.x && p.x <= a.east && a.south <= p.y && p.y <= a.north)) return theme->noData;
  const float v = theme->GetValueAt(p.x, p.y);
  const CThemeLegendData* legend = doc_.GetVisibleThemeLegend();
  if (!legend || v == theme->noData) return v;
  return theme->ConvertToDisplayUnits(v, *legend);
}

app::StatusInfo CMapView::Status() const {
  app::StatusInfo s;
  s.hasProject = true;
  s.hasMapView = true;
  s.pointerMode = pointerMode_;
  if (doc_.currentArea) s.areaName = doc_.currentArea->name;
  const CTheme* theme = doc_.GetVisibleTheme();
  s.hasVisibleTheme = theme != nullptr;
  if (!theme) return s;
  s.themeName = theme->name;
  s.value = GetValueAtCursor();
  s.noData = theme->noData;
  if (const CThemeLegendData* legend = doc_.GetVisibleThemeLegend()) {
    s.hasLegend = true;
    // Classes (crown fire activity, treatments, ignitions) are whole numbers.
    const int t = theme->layerType;
    s.decimalPlaces = (t == 15 || t == 40 || t == 41 || t == 42) ? 0 : legend->GetDecimals();
    s.unitsName = legend->GetUnitsName();
  }
  const MapPoint p = ClientToMap(lastMouse_.x, lastMouse_.y);
  s.easting = p.x;
  s.northing = p.y;
  s.scaleDenominator = mapScale_;
  return s;
}

// ---- zooms and history ----

CViewHistoryItem CMapView::GetViewState() const {
  CViewHistoryItem item;
  item.x = geometry_.scrollX;
  item.y = geometry_.scrollY;
  item.scale = geometry_.scale;
  item.area = doc_.currentArea;
  item.theme = doc_.GetVisibleTheme();
  return item;
}

void CMapView::PushViewState() {
  ViewHistory(doc_.viewHistory, doc_.historyPosition).Push(GetViewState());
}

void CMapView::SetViewState(const CViewHistoryItem& record) {
  if (record.area && record.area != doc_.currentArea) doc_.currentArea = record.area;
  if (!doc_.currentArea) return;
  Apply(RestoreGeometry(AreaExtent(), record.scale, record.x, record.y));
  Render();
  updating_ = true;
  doc_.UpdateAllViews(kHintRender);
  updating_ = false;
}

void CMapView::ZoomToFullExtent() {
  if (!HasMap()) return;
  const wxSize c = ClientPixels();
  Apply(FitFullExtent(AreaExtent(), c.x, c.y));
  UpdateScale();
  Render();
  PushViewState();
  fullExtent_ = true;
}

void CMapView::ZoomAboutPoint(bool zoomIn, wxPoint anchor, bool push) {
  if (!HasMap()) return;
  // Scale and position change together: no repaint in between.
  wxWindowUpdateLocker freeze(this);
  const wxSize c = ClientPixels();
  Apply(ZoomAbout(AreaExtent(), geometry_, doc_.zoomFactor, zoomIn, anchor.x, anchor.y, c.x, c.y));
  UpdateScale();
  Render();
  if (push) PushViewState();
}

void CMapView::ZoomIn() {
  const wxSize c = ClientPixels();
  ZoomAboutPoint(true, {c.x / 2, c.y / 2}, true);
}

void CMapView::ZoomOut() {
  const wxSize c = ClientPixels();
  ZoomAboutPoint(false, {c.x / 2, c.y / 2}, true);
}

void CMapView::ZoomTo(PixelBox box) {
  if (!HasMap()) return;
  const wxSize c = ClientPixels();
  const auto g = ZoomToBox(AreaExtent(), geometry_, box, c.x, c.y);
  if (!g) {
    platform::Tell("Rectangle too small to zoom to!");
    return;
  }
  wxWindowUpdateLocker freeze(this);
  Apply(*g);
  UpdateScale();
  Render();
  PushViewState();
}

// ---- commands ----

void CMapView::SetPointerMode(int mode) {
  pointerMode_ = mode;
  Refresh();
}

void CMapView::ClearMeasurePoints() { doc_.measurePoints.clear(); }

void CMapView::OpenMeasure() {
  if (!doc_.currentArea) return;
  if (measure_) {
    SetPointerMode(measure_->Mode() == CMeasureDialog::kPolygon ? app::kModeMeasurePolygons
                                                               : app::kModeMeasureLines);
    measure_->Recalculate();
  } else {
    measure_ = new CMeasureDialog(wxGetTopLevelParent(this), *this);
    SetPointerMode(app::kModeMeasureLines);
    measure_->Recalculate();
  }
  measure_->Show();
  measure_->Refresh();
}

bool CMapView::IsCommandEnabled(int command) const { return IsViewCommandEnabled(command, doc_); }

bool CMapView::IsCommandChecked(int command) const {
  return IsViewCommandChecked(command, doc_, pointerMode_);
}

bool CMapView::DoCommand(int command) {
  if (const double f = ZoomFactorOf(command); f > 0) {
    doc_.zoomFactor = f;
    return true;
  }
  if (const int mode = PointerModeOf(command); mode >= 0) {
    SetPointerMode(mode);
    ClearMeasurePoints();
    Refresh();
    return true;
  }
  switch (command) {
    case cmd::kCreatePoints:
    case cmd::kCreateLines:
    case cmd::kCreatePolygons: {
      const int kind = command == cmd::kCreatePoints ? app::kModeCreatePoints
                       : command == cmd::kCreateLines ? app::kModeCreateLines
                                                      : app::kModeCreatePolygons;
      if (doc_.ChooseShapeKind(kind)) {
        SetPointerMode(kind);
        if (measure_) measure_->Recalculate();
        Refresh();
      }
      return true;
    }
    case cmd::kShapeSaveToFile: doc_.OnShapeSaveToFile(); Refresh(); return true;
    case cmd::kShapeClear: doc_.OnShapeClear(); Refresh(); return true;
    case cmd::kShapeDeleteCurrent: doc_.OnShapeDeleteCurrent(); Refresh(); return true;
    case cmd::kShapeDeleteLast: doc_.OnShapeDeleteLast(); Refresh(); return true;
    case cmd::kFullView: ZoomToFullExtent(); return true;
    case cmd::kZoomIn: ZoomIn(); return true;
    case cmd::kZoomOut: ZoomOut(); return true;
    case cmd::kViewBack:
    case cmd::kViewForward: {
      ViewHistory h(doc_.viewHistory, doc_.historyPosition);
      const CViewHistoryItem* record = command == cmd::kViewBack ? h.StepBack() : h.StepForward();
      if (record) SetViewState(*record);
      return true;
    }
    case cmd::kMeasure: OpenMeasure(); return true;
    case cmd::kNewAnalysisArea:
    case cmd::kCreateNewAnalysisArea: NewAnalysisArea(); return true;
    case cmd::kCancelAnalysisArea:
      trackerActive_ = false;
      Refresh();
      return true;
    case cmd::kZoomTo: ZoomTo(tracker_); return true;
    default: return false;
  }
}

void CMapView::BeginAreaTracker() {
  if (trackerActive_) return;
  trackerActive_ = true;
  // Client pixels near the top-left corner of what is shown.
  tracker_ = PixelBox{3, 3, 30, 30};
  Refresh();
}

void CMapView::NewAnalysisArea() {
  const PixelBox box = tracker_.Normalized();
  if (box.Width() < 2 || box.Height() < 2) {
    platform::Tell("Rectangle too small to create analysis area!");
    return;
  }
  if (!doc_.currentArea) return;
  const Extent e = BoxToMap(AreaExtent(), geometry_, box);
  doc_.CreateWorkArea(e.north, e.east, e.south, e.west, "New Analysis Area");
  doc_.SetVisibleTheme(doc_.GetThemeByLayerType(kFuelModelLayer));
  trackerActive_ = false;
  doc_.UpdateAllViews(kHintRender);
  ZoomToFullExtent();
}

bool CMapView::IsMenuCommandAvailable(int command) const {
  switch (command) {
    case cmd::kFullView:
    case cmd::kNewAnalysisArea:
    case cmd::kCreateNewAnalysisArea:
    case cmd::kCancelAnalysisArea:
    case cmd::kZoomTo: return true;
    case cmd::kShapeSaveToFile:
    case cmd::kShapeClear:
    case cmd::kShapeDeleteCurrent:
    case cmd::kShapeDeleteLast: return IsCommandEnabled(command);
    case cmd::kViewLegend:
      if (!CLegendDialog::IsViewLegendEnabled(doc_)) return false;
      break;
    case C3DDialog::kCommand:
      if (!C3DDialog::Is3DWindowEnabled(doc_)) return false;
      break;
    case cmd::kPointAttributes:
      if (!doc_.currentArea) return false;
      break;
    case 32835:
      if (!doc_.GetVisibleTheme() || !doc_.currentArea) return false;
      break;
    case 32938:
      if (!doc_.GetVisibleThemeLegend()) return false;
      break;
    default: break;
  }
  // The rest belong to windows that register with the main window once they exist.
  const auto* frame = dynamic_cast<const app::ui::MainFrame*>(wxGetTopLevelParent(const_cast<CMapView*>(this)));
  return frame && frame->HasHandler(command);
}

void CMapView::ShowMenu(int menuId, wxPoint at) {
  std::unique_ptr<wxMenu> menu = MakeMenu(menuId);
  for (wxMenuItem* item : menu->GetMenuItems())
    if (!item->IsSeparator()) item->Enable(IsMenuCommandAvailable(item->GetId() + kMenuIdOffset));
  const int chosen = chooser_ ? chooser_(menuId, *menu, at) : 0;
  // Only an item the menu offered enabled is carried out.
  const wxMenuItem* item = chosen ? menu->FindItem(chosen - kMenuIdOffset) : nullptr;
  if (item && item->IsEnabled()) RunMenuCommand(chosen);
  Refresh();
}

void CMapView::RunMenuCommand(int command) {
  if (DoCommand(command)) return;
  // The other items belong to the project window and the main window.
  wxCommandEvent e(wxEVT_MENU, command);
  e.SetEventObject(this);
  if (wxWindow* top = wxGetTopLevelParent(this)) top->GetEventHandler()->ProcessEvent(e);
}

// ---- mouse ----

void CMapView::LeftDown(wxPoint p) {
  lastMouse_ = p;
  if (trackerActive_) {
    const PixelBox t = tracker_.Normalized();
    const bool nearCorner = std::abs(p.x - t.right) <= 4 && std::abs(p.y - t.bottom) <= 4;
    const bool inside = p.x >= t.left && p.x <= t.right && p.y >= t.top && p.y <= t.bottom;
    if (nearCorner || inside) {
      tracker_ = t;
      trackerDrag_ = nearCorner ? TrackerDrag::Resize : TrackerDrag::Move;
      trackerAnchor_ = p;
      if (!HasCapture()) CaptureMouse();
    }
    return;
  }
  if (!doc_.GetVisibleTheme()) return;
  switch (pointerMode_) {
    case app::kModeZoomIn:
    case app::kModeIdentify:
      banding_ = true;
      bandStart_ = bandEnd_ = p;
      if (!HasCapture()) CaptureMouse();
      break;
    case app::kModeZoomOut: ZoomAboutPoint(false, p, false); break;
    case app::kModePan: panning_ = true; break;
    case app::kModeCreatePoints:
    case app::kModeCreateLines:
    case app::kModeCreatePolygons: {
      const MapPoint m = ClientToMap(p.x, p.y);
      doc_.shapeInProgress.push_back({m.x, m.y});
      doc_.shapesSaved = false;
      if (pointerMode_ == app::kModeCreatePoints) doc_.FinishShape();
      Refresh();
      break;
    }
    case app::kModeMeasureLines:
    case app::kModeMeasurePolygons: {
      const MapPoint m = ClientToMap(p.x, p.y);
      doc_.measurePoints.push_back({m.x, m.y});
      if (measure_) measure_->Recalculate();
      Refresh();
      break;
    }
    default: break;
  }
}

void CMapView::FinishBand(wxPoint p) {
  banding_ = false;
  bandEnd_ = p;
  const PixelBox box = BoxOf(bandStart_, bandEnd_);
  const bool large = IsRubberBandLarge(box.Width(), box.Height());
  if (pointerMode_ == app::kModeZoomIn) {
    if (large)
      ZoomTo(box);
    else
      ZoomAboutPoint(true, p, false);
  } else if (pointerMode_ == app::kModeIdentify && large) {
    tracker_ = box;
    // The band stays drawn while its menu is open: the user sees what the menu acts on.
    menuBand_ = true;
    Refresh();
    Update();
    ShowMenu(132, {box.right, box.bottom});
    menuBand_ = false;
  }
  Refresh();
}

void CMapView::LeftUp(wxPoint p) {
  if (HasCapture()) ReleaseMouse();
  if (trackerDrag_ != TrackerDrag::None) {
    trackerDrag_ = TrackerDrag::None;
    Refresh();
    return;
  }
  if (banding_) {
    FinishBand(p);
    return;
  }
  if (panning_) EndPan();
}

void CMapView::EndPan() {
  panning_ = false;
  Render();
  PushViewState();
}

void CMapView::MouseMove(wxPoint p, bool leftDown) {
  if (trackerDrag_ != TrackerDrag::None && leftDown) {
    const int dx = p.x - trackerAnchor_.x, dy = p.y - trackerAnchor_.y;
    if (trackerDrag_ == TrackerDrag::Move) {
      tracker_.left += dx;
      tracker_.right += dx;
      tracker_.top += dy;
      tracker_.bottom += dy;
    } else {
      tracker_.right = std::max(tracker_.left + kTrackerMinimum, tracker_.right + dx);
      tracker_.bottom = std::max(tracker_.top + kTrackerMinimum, tracker_.bottom + dy);
    }
    trackerAnchor_ = p;
    Refresh();
  } else if (banding_) {
    bandEnd_ = p;
    Refresh();
  } else if (panning_) {
    // Only the cached image moves until the pan ends.
    ScrollTo(geometry_.scrollX + lastMouse_.x - p.x, geometry_.scrollY + lastMouse_.y - p.y);
  }
  lastMouse_ = p;
}

void CMapView::MouseLeave() {
  if (panning_) EndPan();
}

void CMapView::LeftDoubleClick(wxPoint p) {
  lastMouse_ = p;
  switch (pointerMode_) {
    case app::kModeIdentify:
      if (trackerActive_) {
        const PixelBox t = tracker_.Normalized();
        ShowMenu(133, {t.right, t.bottom});
      } else {
        identifyPoint_ = p;
        if (IsMenuCommandAvailable(cmd::kPointAttributes))
          RunMenuCommand(cmd::kPointAttributes);
        else if (auto* frame = dynamic_cast<wxFrame*>(wxGetTopLevelParent(this)); frame && frame->GetStatusBar())
          frame->SetStatusText(kNoPointAttributesText, 0);
      }
      break;
    case app::kModeCreateLines:
    case app::kModeCreatePolygons:
      if (doc_.shapeInProgress.size() > 1) {
        doc_.FinishShape();
        Refresh();
      }
      break;
    default: break;
  }
}

void CMapView::RightDown(wxPoint p) {
  lastMouse_ = p;
  if (trackerActive_) {
    LeftDoubleClick(p);
    return;
  }
  switch (pointerMode_) {
    case app::kModeIdentify:
      identifyPoint_ = p;
      ShowMenu(144, p);
      break;
    case app::kModeCreatePoints:
    case app::kModeCreateLines:
      if (doc_.shapeInProgress.size() > 1) LeftDoubleClick(p);
      break;
    case app::kModeCreatePolygons:
      if (doc_.shapeInProgress.size() > 2) {
        doc_.FinishShape();  // closes the ring
        Refresh();
      }
      break;
    default: break;
  }
}

void CMapView::RightDoubleClick(wxPoint p) {
  lastMouse_ = p;
  if (pointerMode_ == app::kModeCreatePoints || pointerMode_ == app::kModeCreateLines ||
      pointerMode_ == app::kModeCreatePolygons)
    ShowMenu(247, p);
}

void CMapView::Wheel(int delta, int perNotch) {
  if (!HasMap()) return;
  const int notches = wheel_.Add(delta, perNotch);
  if (notches == 0) return;
  // Three lines of a tenth of the client each per notch, away from the user scrolls up.
  const int line = std::max(1, ClientPixels().y / 10);
  ScrollTo(geometry_.scrollX, geometry_.scrollY - notches * 3 * line);
  Render();
  PushViewState();
}

// ---- window events ----

void CMapView::OnMouse(wxMouseEvent& e) {
  const wxPoint p = e.GetPosition();
  const wxEventType t = e.GetEventType();
  if (t == wxEVT_LEFT_DOWN) {
    SetFocus();
    LeftDown(p);
  } else if (t == wxEVT_LEFT_UP) {
    LeftUp(p);
  } else if (t == wxEVT_LEFT_DCLICK) {
    LeftDoubleClick(p);
  } else if (t == wxEVT_RIGHT_DOWN) {
    RightDown(p);
  } else if (t == wxEVT_RIGHT_DCLICK) {
    RightDoubleClick(p);
  } else if (t == wxEVT_MOTION) {
    MouseMove(p, e.LeftIsDown());
  } else if (t == wxEVT_LEAVE_WINDOW) {
    if (!banding_ && trackerDrag_ == TrackerDrag::None) MouseLeave();
  } else if (t == wxEVT_MOUSEWHEEL) {
    if (e.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL) Wheel(e.GetWheelRotation(), e.GetWheelDelta());
  }
}

void CMapView::OnScrollWin(wxScrollWinEvent& e) {
  const bool horizontal = e.GetOrientation() == wxHORIZONTAL;
  const wxSize c = ClientPixels();
  const int page = horizontal ? std::max(c.x, 1) : std::max(c.y, 1);
  const int line = std::max(1, page / 10);
  const int total = horizontal ? geometry_.totalWidth : geometry_.totalHeight;
  int pos = horizontal ? geometry_.scrollX : geometry_.scrollY;
  const wxEventType t = e.GetEventType();
  // Dragging the thumb moves nothing; the map follows when the thumb is released.
  if (t == wxEVT_SCROLLWIN_THUMBTRACK) return;
  if (t == wxEVT_SCROLLWIN_THUMBRELEASE) pos = e.GetPosition();
  else if (t == wxEVT_SCROLLWIN_LINEUP) pos -= line;
  else if (t == wxEVT_SCROLLWIN_LINEDOWN) pos += line;
  else if (t == wxEVT_SCROLLWIN_PAGEUP) pos -= page;
  else if (t == wxEVT_SCROLLWIN_PAGEDOWN) pos += page;
  else if (t == wxEVT_SCROLLWIN_TOP) pos = 0;
  else if (t == wxEVT_SCROLLWIN_BOTTOM) pos = total;
  if (horizontal)
    ScrollTo(pos, geometry_.scrollY);
  else
    ScrollTo(geometry_.scrollX, pos);
  Render();
  PushViewState();
}

void CMapView::OnSize(wxSizeEvent& e) {
  e.Skip();
  // A view showing the whole area keeps doing so when the window (or its scroll bars,
  // which the toolkit shows a moment after they are set) changes the client size.
  if (fullExtent_ && HasMap()) {
    const wxSize c = ClientPixels();
    Apply(FitFullExtent(AreaExtent(), c.x, c.y));
    fullExtent_ = true;
    if (!doc_.viewHistory.empty() && ViewHistory(doc_.viewHistory, doc_.historyPosition).Current())
      *std::next(doc_.viewHistory.begin(), doc_.historyPosition) = GetViewState();
    UpdateScale();
  } else {
    Apply(geometry_);
  }
  Render();
}

void CMapView::OnSetCursor(wxSetCursorEvent& e) {
  if (trackerActive_) {
    const PixelBox t = tracker_.Normalized();
    const wxPoint p(e.GetX(), e.GetY());
    if (std::abs(p.x - t.right) <= 4 && std::abs(p.y - t.bottom) <= 4) {
      e.SetCursor(wxCursor(wxCURSOR_SIZENWSE));
      return;
    }
    if (p.x >= t.left && p.x <= t.right && p.y >= t.top && p.y <= t.bottom) {
      e.SetCursor(wxCursor(wxCURSOR_SIZING));
      return;
    }
  }
  switch (pointerMode_) {
    case app::kModeZoomIn:
    case app::kModeZoomOut: e.SetCursor(wxCursor(wxCURSOR_MAGNIFIER)); break;
    case app::kModePan: e.SetCursor(wxCursor(wxCURSOR_HAND)); break;
    case app::kModeCreatePoints:
    case app::kModeCreateLines:
    case app::kModeCreatePolygons: e.SetCursor(wxCursor(wxCURSOR_PENCIL)); break;
    case app::kModeMeasureLines:
    case app::kModeMeasurePolygons: e.SetCursor(wxCursor(wxCURSOR_CROSS)); break;
    default: e.Skip(); break;
  }
}

void CMapView::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
  dc.Clear();
  const Extent area = AreaExtent();
  auto toClient = [&](const dPoint& m) {
    int x = 0, y = 0;
    MapToClient(area, geometry_, m.x, m.y, x, y);
    return wxPoint(x, y);
  };
  if (doc_.GetVisibleTheme() && bitmap_.IsOk()) {
    dc.DrawBitmap(bitmap_, imageOrigin_.x - geometry_.scrollX, imageOrigin_.y - geometry_.scrollY);

    auto polyline = [&](const std::vector<dPoint>& pts, bool close, bool circles) {
      std::vector<wxPoint> px;
      for (const dPoint& m : pts) px.push_back(toClient(m));
      if (close && !px.empty()) px.push_back(px.front());
      dc.SetBrush(wxBrush(kLight));
      if (px.size() == 1 && !circles) {
        dc.SetPen(wxPen(kOrange, 1));
        dc.DrawEllipse(px[0].x - 4, px[0].y - 4, 9, 9);
        return;
      }
      dc.SetPen(wxPen(kOrange, 3));
      if (px.size() >= 2) dc.DrawLines(static_cast<int>(px.size()), px.data());
      if (circles)
        for (const wxPoint& q : px) dc.DrawEllipse(q.x - 4, q.y - 4, 9, 9);
      dc.SetPen(wxPen(kLight, 1));
      if (px.size() >= 2) dc.DrawLines(static_cast<int>(px.size()), px.data());
    };
    for (const auto& shape : doc_.shapes) polyline(shape, false, false);
    if (!doc_.shapeInProgress.empty()) polyline(doc_.shapeInProgress, false, false);
    if (!doc_.measurePoints.empty() &&
        (pointerMode_ == app::kModeMeasureLines || pointerMode_ == app::kModeMeasurePolygons))
      polyline(doc_.measurePoints, pointerMode_ == app::kModeMeasurePolygons, true);
  }
  if (banding_ || menuBand_) {
    dc.SetPen(wxPen(*wxBLACK, 1, wxPENSTYLE_DOT));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    const PixelBox b = banding_ ? BoxOf(bandStart_, bandEnd_) : tracker_.Normalized();
    dc.DrawRectangle(b.left, b.top, b.Width() + 1, b.Height() + 1);
  }
  if (trackerActive_) {
    const PixelBox t = tracker_.Normalized();
    dc.SetPen(wxPen(*wxBLACK, 1, wxPENSTYLE_DOT));
    dc.SetBrush(wxBrush(*wxBLACK, wxBRUSHSTYLE_BDIAGONAL_HATCH));
    dc.DrawRectangle(t.left, t.top, t.Width() + 1, t.Height() + 1);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(t.right - 3, t.bottom - 3, 7, 7);
  }
}

}  // namespace views::ui
