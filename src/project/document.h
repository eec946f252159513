#pragma once
// The project document: everything a project holds until it is closed (the landscape, the
// raster, vector, contour and arrow themes, the draw order of overlays, the analysis areas
// with their runs, drawn shapes and the view history). Plain model code: views register as
// observers, and the window layer installs hooks for the modeless windows it shows.
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "landscape/landscape.h"
#include "landscape/rules.h"
#include "platform/image.h"
#include "project/work_area.h"
#include "themes/color_ramp.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"

class CRun;
class CTheme;
class CThemeLegendData;
class CContourTheme;
class CWindVectorTheme;

// Owning pointer whose deleter is captured where the type is complete, so the document can
// own contour and arrow themes that it only knows by name.
template <class T>
using OwnedTheme = std::unique_ptr<T, void (*)(T*)>;
template <class T>
OwnedTheme<T> MakeOwnedTheme(T* theme) {
  return OwnedTheme<T>(theme, [](T* p) { delete p; });
}

// One item of the draw-priority list; exactly one of the three pointers is set.
struct CVectorThemeItem {
  CVectorTheme* vectorTheme = nullptr;
  CContourTheme* contourTheme = nullptr;
  CWindVectorTheme* windVectorTheme = nullptr;
  const void* Theme() const {
    if (vectorTheme) return vectorTheme;
    if (contourTheme) return contourTheme;
    return windVectorTheme;
  }
};

struct CViewHistoryItem {
  double x = 0;
  double y = 0;
  double scale = 1.0;
  CPyrvane2WorkArea* area = nullptr;
  CTheme* theme = nullptr;  // never followed
};

struct dPoint {
  double x = 0, y = 0;
};

// Placement of a window of the project (stored in the project file).
struct PanePlacement {
  int flags = 0;
  int showCmd = 1;
  int minX = 0, minY = 0, maxX = 0, maxY = 0;
  long left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const PanePlacement&) const = default;
};

// The map view's scroll position, scroll size and scale, kept with the project; the view
// applies them at its first update after the project is read.
struct MapViewState {
  int scrollX = 0, scrollY = 0;
  int scrollWidth = 1, scrollHeight = 1;
  double scale = 1.0;
  bool operator==(const MapViewState&) const = default;
};

// A pixel rectangle, edges inclusive.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The map view's hints.
constexpr int kHintRender = 0;
constexpr int kHintLandscapeOpened = 1125;

class DocumentObserver {
 public:
  virtual ~DocumentObserver() = default;
  virtual void OnUpdate(CPVN4Doc& doc, int hint) {}
  // Just before a theme of any kind (or an area) is destroyed, so that windows and other
  // holders drop their references.
  virtual void OnRemoving(CPVN4Doc& doc, const void* object) {}
  // The document is being destroyed: observers still registered must not touch it again.
  virtual void OnDocumentDestroyed(CPVN4Doc& doc) {}
};

// What the window layer attaches: each hook is set while its window exists.
struct DocumentWindows {
  std::function<void()> updateLegend;         // legend window
  std::function<void()> rebuildPointWindow;   // point-attributes window
  std::function<void()> redrawMap;            // map view
  std::function<void()> closeWindows;         // destroys the four modeless windows
  // The run's tree items, removed when its outputs go.
  std::function<void(CRun&, const void* theme)> deleteOutputItem;
  std::function<void(CRun&)> deleteRunOutputItems;
  std::function<void*(CRun&)> addIdealLandscapeTreeItem;
  std::function<void(void* item, const std::string& text)> renameTreeItem;
  // Copies the live windows' placements and the map view's state into the document (before
  // the project is written).
  std::function<void()> storeWindowState;
};

// What the renderer needs of a contour or arrow theme, which it cannot see itself: whether it
// is visible, and its drawing over the map image. Installed by the layer that owns them.
// Vector themes draw themselves.
struct OverlayPainter {
  virtual ~OverlayPainter() = default;
  // Draws the item when its theme is visible.
  virtual void Draw(const CVectorThemeItem& item, platform::Canvas& canvas, CPVN4Doc& doc,
                    double west, double north, double east, double south, PixelRect rect) = 0;
};

class CPVN4Doc {
 public:
  CPVN4Doc();
  virtual ~CPVN4Doc();
  CPVN4Doc(const CPVN4Doc&) = delete;
  CPVN4Doc& operator=(const CPVN4Doc&) = delete;

  // ---- lifecycle ----
  bool OnNewDocument();
  // Runs the project reader; the document is marked modified afterwards only when the
  // reader converted old weather files.
  using ProjectReader = std::function<bool(CPVN4Doc&, const std::string& path)>;
  bool OnOpenDocument(const std::string& path, const ProjectReader& read);
  // Closes the modeless windows; the document stops being the active one.
  void OnCloseDocument();
  void FreeContents();

  // ---- views and notification ----
  void AddObserver(DocumentObserver* observer);
  void RemoveObserver(DocumentObserver* observer);
  void UpdateAllViews(int hint = kHintRender);
  // The first registered view of a class (the project tree, the map), or null.
  template <class View>
  View* FindView() const {
    for (DocumentObserver* o : observers_)
      if (auto* v = dynamic_cast<View*>(o)) return v;
    return nullptr;
  }
  // Renames an item of the project tree (a run's, when the run is renamed).
  void SetTreeItemText(void* item, const std::string& text) {
    if (windows.renameTreeItem) windows.renameTreeItem(item, text);
  }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }
  bool IsModified() const { return modified_; }
  void UpdateLegend();
  // Views updated, document modified, legend rebuilt: the end of every change.
  void NotifyChanged();
  void RefreshMap();
  void RefreshLegendAndPointWindows();
  // Hides the overlays of every run but this one, so that after a launch only the launched
  // run's overlays are drawn.
  void ClearOtherRunsShownFlags(const CRun* run);

  // ---- landscape ----
  // Opens a landscape into layer themes, creates the default area over it and shows the
  // fuel-model layer. -1, with the reason shown, when it cannot be opened (no area is made).
  int OpenLandscape(const std::string& path);
  // The project reader's step: the landscape alone, its areas come from the file. False, with
  // the reason shown, when it cannot be opened; the reader then stops, so a project never
  // gets areas without a landscape.
  bool OpenProjectLandscape(const std::string& path);
  bool IsLandscapeLoaded() const { return landscape.loaded; }
  bool HasProjection() const { return landscape.HasProjection(); }
  void GetCellSize(double* cellWidth, double* cellHeight) const;
  std::int16_t GetLayerUnits(int layer) const;

  // ---- landscape-edit rules ----
  // The cells the rule sets (and sets them), or -1 when it cannot be evaluated: the reason
  // (a missing layer or theme, a value that is not a number) is shown and nothing changes.
  // Setting any cell marks the landscape edited, which enables Reload Landscape.
  std::int64_t ApplyLandscapeRule(CLcpRule& rule);
  // The number of cells Apply would set, or -1 as above.
  std::int64_t CountLandscapeRuleCells(CLcpRule& rule);
  static LcpRuleList CopyLandscapeRules(const LcpRuleList& rules) { return landscape::CopyLandscapeRules(rules); }
  static void ClearLandscapeRules(LcpRuleList& rules) { landscape::ClearLandscapeRules(rules); }

  // ---- themes ----
  CTheme* GetVisibleTheme() const { return visibleTheme; }
  CTheme* GetDisplayedTheme() const { return visibleTheme; }
  CTheme* SetVisibleTheme(CTheme* theme);
  CTheme* GetThemeByLayerType(int layerType) const;
  CThemeLegendData* GetVisibleThemeLegend() const;
  // The first fuel-model layer becomes visible (none when there is none).
  void ShowFuelModelLayer();
  // Appends a grid theme; every area gets its cell window and a legend from its cells.
  CTheme* AddGridTheme(std::unique_ptr<CTheme> theme);
  void DeleteGridTheme(CTheme* theme);

  // ---- overlays ----
  void AddVectorTheme(std::unique_ptr<CVectorTheme> theme);
  void AddContourTheme(OwnedTheme<CContourTheme> theme);
  void AddWindVectorTheme(OwnedTheme<CWindVectorTheme> theme);
  void AddVectorDrawItem(CVectorTheme* theme);
  void AddContourDrawItem(CContourTheme* theme);
  // Appends the theme's draw item and makes its legend from the preferences of its kind.
  void AddWindVectorDrawItem(CWindVectorTheme* theme);
  void RemoveWindVectorDrawItem(CWindVectorTheme* theme);
  std::size_t AddWindVectorLegend(CWindVectorTheme* theme);
  // Found by the theme's serial, which no later theme reuses.
  CWVLegendData* FindWindVectorLegend(const CWindVectorTheme* theme) const;
  // 0 when the head item shows this theme, 1 for another theme, -1 for none.
  int GetTopOfDrawOrderFlag(const void* theme) const;
  void DeleteVectorTheme(CVectorTheme* theme);
  void DeleteContourTheme(CContourTheme* theme);
  void DeleteWindVectorTheme(CWindVectorTheme* theme);
  // As DeleteWindVectorTheme but touches no window. True when the document held the theme
  // and freed it; a run's arrows stay with the run.
  bool RemoveWindVectorTheme(CWindVectorTheme* theme);

  // ---- analysis areas ----
  // Null, with the refusal shown, when the aligned rectangle is less than one cell.
  CPyrvane2WorkArea* CreateWorkArea(double north, double east, double south, double west,
                                    const std::string& name);
  // Removal by the project tree (never the default area).
  void DeleteWorkArea(CPyrvane2WorkArea* area);
  bool CanCreateAnalysisArea() const { return IsLandscapeLoaded(); }
  // The Delete command on an area; false when nothing was deleted.
  bool OnDeleteAnalysisArea(CPyrvane2WorkArea* area, const std::string& itemText);
  CPyrvane2WorkArea* DefaultArea() const { return areas.empty() ? nullptr : areas.front().get(); }

  // ---- drawn shapes (points, lines or polygons drawn on the map, all of one kind) ----
  // Kind 4 points, 5 lines, 6 polygons (the pointer modes that draw them). True when the kind
  // was taken (no shapes of another kind exist); otherwise the refusal is shown. Measure
  // points go either way only when it was taken.
  bool ChooseShapeKind(int kind);
  // Finishes the shape being drawn. A polygon needs three distinct points; it is closed back
  // to its first point. Returns 1 (a refused polygon stays being drawn).
  int FinishShape();
  // Writes the finished shapes (after finishing the one being drawn) as a shapefile with
  // "ENTITY" and "VALUE" and a ".prj" of the landscape's projection. 1, or 0 with the reason
  // in error (nothing kept of a failed write).
  int WriteShapeFile(const std::string& path, std::string* error = nullptr);
  // Asks for a shapefile (before overwriting one) and writes the shapes there: 1 written, 0
  // failed (said), -1 no file chosen.
  int SaveShapesToChosenFile();
  // The Shape menu: asks for a file and writes it; failures are shown.
  void OnShapeSaveToFile();
  void OnShapeClear();
  void OnShapeDeleteCurrent();
  void OnShapeDeleteLast();
  bool HasFinishedShapes() const { return !shapes.empty(); }
  bool HasShapePoints() const { return !shapes.empty() || !shapeInProgress.empty(); }

  // ---- map image ----
  void DrawMapImage(platform::Image& image, double west, double north, double east,
                    double south, const PixelRect& rect);
  COLORREF ShadeColor(COLORREF color, int aspect) const;
  // The amount added to each channel for an aspect (0: unchanged), and its application.
  int ShadeAmount(int aspect) const;
  static COLORREF ApplyShade(COLORREF color, int amount);
  static void SetImagePixel(platform::Image& image, int x, int y, COLORREF color);

  // ---- fields ----
  bool loading = false;
  DocumentWindows windows;
  OverlayPainter* overlayPainter = nullptr;  // not owned
  double zoomFactor = 1.1;
  std::vector<std::unique_ptr<CPyrvane2WorkArea>> areas;
  std::vector<std::unique_ptr<CTheme>> gridThemes;
  std::vector<OwnedTheme<CWindVectorTheme>> windVectorThemes;
  std::vector<std::unique_ptr<CWVLegendData>> windVectorLegends;
  std::vector<std::unique_ptr<CVectorTheme>> vectorThemes;
  std::vector<OwnedTheme<CContourTheme>> contourThemes;
  std::vector<CVectorThemeItem> drawPriority;  // front is the top overlay, drawn last
  CPyrvane2WorkArea* currentArea = nullptr;
  landscape::LandscapeState landscape;
  int reliefShading = 0;
  int shadingAzimuth = 315;
  float shadingStrength = 0.5f;
  PanePlacement treePlacement, legendPlacement, pointPlacement, framePlacement;
  bool legendWindowVisible = false;
  bool pointWindowVisible = false;
  double pointWindowX = 0, pointWindowY = 0;  // the map point the point window shows
  MapViewState mapView;
  std::vector<std::vector<dPoint>> shapes;
  std::vector<dPoint> shapeInProgress;
  std::vector<dPoint> measurePoints;
  std::string shapesFile;
  bool shapesSaved = true;
  CTheme* visibleTheme = nullptr;
  int currentShapeKind = 0;
  // Not kept in the project file; a clause goes with the theme it is bound to.
  LcpRuleList landscapeRules;
  std::list<CViewHistoryItem> viewHistory;
  int historyPosition = -1;  // index into viewHistory, -1 for none
  bool weatherConverted = false;
  // The map's background outside the area (the system's window colour).
  COLORREF windowColor = 0xFFFFFF;
  std::string title;
  std::string pathName;

 private:
  bool LoadLandscapeLayers(const std::string& path);
  bool DropWindVectorTheme(CWindVectorTheme* theme, bool tellViews);
  void DropHistoryOf(const CPyrvane2WorkArea* area);
  void Removing(const void* object);
  std::int64_t EvaluateLandscapeRule(CLcpRule& rule, bool apply);
  template <class T>
  void EraseDrawItems(T* CVectorThemeItem::*slot, T* theme);
  template <class T, class List>
  void DeleteOverlay(T* CVectorThemeItem::*slot, List& list, T* theme);

  std::vector<DocumentObserver*> observers_;
  bool modified_ = false;
};

// The project whose window is active; cleared when that project closes.
CPVN4Doc* GetActiveDocument();
void SetActiveDocument(CPVN4Doc* doc);
