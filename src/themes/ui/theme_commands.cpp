#include "themes/ui/theme_commands.h"

#include <wx/utils.h>

#include <algorithm>

#include "app/ui/main_frame.h"
#include "app/ui/progress_dialog.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "app/layer_types.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/ui/embrith_perimeters_dialog.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"
#include "themes/ui/overlay_dialogs.h"
#include "themes/ui/raster_theme_commands.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "views/ui/wv_legend_creator_dialog.h"

namespace themes::ui {

namespace {

std::string Projection(const CPVN4Doc& doc) { return doc.HasProjection() ? doc.landscape.projection : std::string(); }

// Moves the first draw item holding the theme to the head (drawn last, on top).
void BringToTop(CPVN4Doc& doc, const void* theme) {
  auto it = std::find_if(doc.drawPriority.begin(), doc.drawPriority.end(),
                         [theme](const CVectorThemeItem& i) { return i.Theme() == theme; });
  if (it != doc.drawPriority.end()) std::rotate(doc.drawPriority.begin(), it, it + 1);
  doc.RefreshMap();
  doc.SetModifiedFlag(true);
}

std::optional<std::string> AskShapefile(wxWindow*) {
  platform::FileDialogOptions o;
  o.filter = "Shape Files (*.shp)|*.shp||";
  o.defaultExt = "shp";
  o.overwritePrompt = true;
  return platform::CurrentDialogs().ChooseSaveFile(o);
}

// A shapefile chosen to open; another extension is refused.
std::optional<std::string> AskShapefileToOpen() {
  platform::FileDialogOptions o;
  o.filter = "Arcview Shape Files (*.shp)|*.shp||";
  std::optional<std::string> path = platform::CurrentDialogs().ChooseOpenFile(o);
  if (path && !platform::HasExtension(*path, ".shp")) {
    platform::Tell("Unrecognized file type");
    return std::nullopt;
  }
  return path;
}

// A run whose output this is lets go of it first, so no run keeps a deleted theme.
void ForgetInRuns(CPVN4Doc& doc, const void* theme) {
  for (const auto& area : doc.areas)
    for (const auto& run : area->runs)
      if (run) run->ForgetOverlay(theme);
}

void DeleteVector(CPVN4Doc& doc, CVectorTheme* theme) {
  ForgetInRuns(doc, theme);
  doc.DeleteVectorTheme(theme);
}

void DeleteContour(CPVN4Doc& doc, CContourTheme* theme) {
  ForgetInRuns(doc, theme);
  doc.DeleteContourTheme(theme);
}

}  // namespace

void CreateRasterTheme(wxWindow* parent, CPVN4Doc& doc, const CVectorTheme& theme) {
  constexpr int kPolygonShapes = 5;
  if (theme.shapeType != kPolygonShapes || theme.hasPerimeterAttributes) {
    platform::Tell(
        "Can not create raster theme.\nVector theme must be a polygon theme and can not be Pyrvane/Embrith burn "
        "perimeters");
    return;
  }
  if (!doc.IsLandscapeLoaded() || !doc.currentArea) return;
  CCreateRasterThemeDlg dialog(parent, theme);
  if (dialog.ShowModal() != wxID_OK) return;
  const CHeaderData& h = doc.landscape.header;
  CTheme working;
  {
    wxBusyCursor wait;
    int rows = 0, columns = 0;
    const std::vector<float> cells =
        theme.RasterizePolygons(dialog.fieldName, h.cellWidth, h.south, h.north, h.west, h.east, rows, columns);
    if (rows <= 0 || columns <= 0 ||
        working.CreateFromFloats(dialog.themeName, h.south, h.west, h.cellWidth, h.cellWidth, rows, columns, -9999,
                                 cells.data(), 0, kGenericGridLayerType) != 1) {
      platform::Tell("Can not create raster theme " + dialog.themeName + ": the grid could not be made.");
      return;
    }
    // An unreadable attribute table or polygons off the landscape leave nothing burnt.
    if (std::none_of(cells.begin(), cells.end(), [](float v) { return v != -9999; })) {
      platform::Tell("Can not create raster theme " + dialog.themeName + ": no polygon of " + theme.name +
                     " covers a cell of the landscape, or its attribute table could not be read.");
      return;
    }
  }
  platform::FileDialogOptions o;
  o.filter = "ASCII Grid files (*.asc)|*.asc||";
  o.defaultExt = "asc";
  o.overwritePrompt = true;
  const std::optional<std::string> chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!chosen) return;
  wxBusyCursor wait;
  const std::string path = platform::WithDefaultExtension(*chosen, o.defaultExt);
  // The grid joins the project as the file it was saved to, like any added grid.
  if (doc.currentArea->ExportAsciiGrid(&working, path)) AddGridThemeFromFile(doc, path);
}

void OnContour(wxWindow* parent, CPVN4Doc& doc) {
  CTheme* theme = doc.GetVisibleTheme();
  if (!theme) {
    platform::Tell("There is no theme on the map to contour.");
    return;
  }
  const CThemeLegendData* legend = doc.GetVisibleThemeLegend();
  double lo = 0, hi = 0;
  theme->GetMinMax(lo, hi);
  if (!(static_cast<float>(hi) - static_cast<float>(lo) > 0)) {
    platform::Tell("Can not contour theme. Only 1 data value found.");
    return;
  }
  const double shownLo = legend ? theme->ConvertToDisplayUnits(static_cast<float>(lo), *legend) : lo;
  const double shownHi = legend ? theme->ConvertToDisplayUnits(static_cast<float>(hi), *legend) : hi;
  CContourDialog dialog(parent, theme, legend, std::min(shownLo, shownHi), std::max(shownLo, shownHi));
  if (dialog.ShowModal() != wxID_OK) return;
  wxBusyCursor wait;
  auto contour = MakeOwnedTheme(new CContourTheme);
  std::string error;
  bool done = false;
  {
    app::ui::ProgressWindowSink progress(parent, "Contouring...");
    done = contour->Create(theme, dialog.interval, legend, &progress, &error) &&
           contour->Simplify(dialog.minPointDistance, &progress);
  }
  if (!error.empty()) platform::Tell(error);
  if (!done) return;  // cancelled: nothing of it is kept
  doc.AddContourTheme(std::move(contour));
  doc.NotifyChanged();
}

void OnNewVectorTheme(wxWindow*, CPVN4Doc& doc) {
  if (!doc.IsLandscapeLoaded()) return;
  const std::optional<std::string> path = AskShapefileToOpen();
  if (!path) return;
  wxBusyCursor wait;
  auto theme = std::make_unique<CVectorTheme>();
  // The reader has said what is wrong with a file it cannot read; no empty theme is added.
  if (theme->LoadShapefile(*path, Projection(doc)) != 1) return;
  doc.AddVectorTheme(std::move(theme));
  doc.NotifyChanged();
}

void OnNewWindVectorTheme(wxWindow*, CPVN4Doc& doc) {
  if (!doc.IsLandscapeLoaded()) return;
  const std::optional<std::string> path = AskShapefileToOpen();
  if (!path) return;
  wxBusyCursor wait;
  auto theme = MakeOwnedTheme(new CWindVectorTheme);
  theme->kind = 0;
  const landscape::LandscapeState& l = doc.landscape;
  const CHeaderData& h = l.header;
  if (!theme->LoadShapefile(*path, h.west, h.east, h.north, h.south)) {
    // The reader has named the attribute problems; a shapefile that does not open is said here.
    if (!theme->Error().empty()) platform::Tell(theme->Error());
    return;
  }
  CWindVectorTheme* t = theme.get();
  doc.AddWindVectorTheme(std::move(theme));
  doc.AddWindVectorDrawItem(t);
  doc.NotifyChanged();
}

void OnArrangeVectorThemes(wxWindow* parent, CPVN4Doc& doc) {
  CDrawPriorityDialog dialog(parent, doc.drawPriority);
  if (dialog.ShowModal() != wxID_OK) return;
  doc.RefreshMap();
  doc.SetModifiedFlag(true);
}

bool ThemeTreeCommand(wxWindow* parent, int command, CPVN4Doc& doc, const OverlaySelection& item) {
  switch (command) {
    case kCmdContour:
    case kCmdLayerContour: OnContour(parent, doc); return true;
    case kCmdNewVectorTheme: OnNewVectorTheme(parent, doc); return true;
    case kCmdArrangeVectorThemes: OnArrangeVectorThemes(parent, doc); return true;
    case kCmdNewWindVectorTheme: OnNewWindVectorTheme(parent, doc); return true;
    default: break;
  }
  if (item.windVector) {
    CWindVectorTheme& t = *item.windVector;
    switch (command) {
      case kCmdWindVectorSaveAs:
        if (auto path = AskShapefile(parent)) {
          std::string error;
          wxBusyCursor wait;
          if (!t.SaveShapefile(*path, Projection(doc), doc.FindWindVectorLegend(&t), &error))
            platform::Tell(error.empty() ? "Error: Could not write " + *path : error);
        }
        return true;
      case kCmdWindVectorBringToTop: BringToTop(doc, &t); return true;
      case kCmdWindVectorProperties: views::ui::EditWindVectorLegend(parent, doc, t); return true;
      case kCmdDeleteWindVectorTheme:
        if (t.gridded) {
          platform::Tell(platform::FormatC("Theme '%s' belongs to a Run and must be deleted via Run properties.",
                                           t.name.c_str()));
          return true;
        }
        if (!platform::AskYesNo(platform::FormatC("Delete Theme '%s'?", item.text.c_str()))) return true;
        doc.DeleteWindVectorTheme(&t);
        doc.NotifyChanged();
        return true;
      default: break;
    }
  }
  if (command == kCmdDeleteAllWindVectorThemes) {
    if (doc.windVectorThemes.empty() || !platform::AskYesNo("Delete all wind vector themes?")) return true;
    wxBusyCursor wait;
    std::vector<CWindVectorTheme*> all;
    for (const auto& t : doc.windVectorThemes) all.push_back(t.get());
    for (CWindVectorTheme* t : all) doc.DeleteWindVectorTheme(t);
    doc.NotifyChanged();
    return true;
  }
  if (item.vector) {
    CVectorTheme& t = *item.vector;
    switch (command) {
      case kCmdVectorSaveAs:
        if (auto path = AskShapefile(parent)) t.SaveShapefile(*path, Projection(doc));
        return true;
      case kCmdVectorBringToTop: BringToTop(doc, &t); return true;
      case kCmdCreateRasterTheme: CreateRasterTheme(parent, doc, t); return true;
      case kCmdVectorProperties: {
        // A fire-growth run's perimeters choose which of them show.
        if (runs::ui::EditPerimeterTheme(parent, doc, t)) return true;
        auto dialog = MakeVectorPropertiesDialog(parent, t);
        if (dialog && dialog->ShowModal() == wxID_OK) doc.NotifyChanged();
        return true;
      }
      case kCmdDeleteVectorTheme:
        if (!platform::AskYesNo(platform::FormatC("Delete Vector Theme '%s'?", item.text.c_str())))
          return true;
        DeleteVector(doc, &t);
        doc.NotifyChanged();
        return true;
      default: break;
    }
  }
  if (item.contour) {
    CContourTheme& t = *item.contour;
    switch (command) {
      case kCmdContourSaveAs:
        if (auto path = AskShapefile(parent)) t.SaveShapefile(*path, Projection(doc));
        return true;
      case kCmdContourBringToTop: BringToTop(doc, &t); return true;
      case kCmdContourProperties: {
        CContourPropertiesDialog dialog(parent, t);
        if (dialog.ShowModal() == wxID_OK) doc.NotifyChanged();
        return true;
      }
      case kCmdDeleteContour:
        if (!platform::AskYesNo(platform::FormatC("Delete Contour: '%s'?", item.text.c_str())))
          return true;
        DeleteContour(doc, &t);
        doc.NotifyChanged();
        return true;
      default: break;
    }
  }
  if (command == kCmdDeleteAllVectorThemes || command == kCmdDeleteAllContours) {
    const bool vectors = command == kCmdDeleteAllVectorThemes;
    if (vectors ? doc.vectorThemes.empty() : doc.contourThemes.empty()) return true;
    if (!platform::AskYesNo(vectors ? "Delete all vector themes?" : "Delete all contours?"))
      return true;
    wxBusyCursor wait;
    if (vectors) {
      std::vector<CVectorTheme*> all;
      for (const auto& t : doc.vectorThemes) all.push_back(t.get());
      for (CVectorTheme* t : all) DeleteVector(doc, t);
    } else {
      std::vector<CContourTheme*> all;
      for (const auto& t : doc.contourThemes) all.push_back(t.get());
      for (CContourTheme* t : all) DeleteContour(doc, t);
    }
    doc.NotifyChanged();
    return true;
  }
  return false;
}

bool RulesThemeCommand(int command) {
  return command == kCmdNewVectorTheme || command == kCmdContour || command == kCmdArrangeVectorThemes;
}

bool IsThemeCommandEnabled(int command, const CPVN4Doc* doc) {
  if (!doc) return false;
  switch (command) {
    case kCmdNewVectorTheme: return doc->IsLandscapeLoaded();
    case kCmdContour: return doc->GetVisibleTheme() && doc->currentArea;
    case kCmdArrangeVectorThemes: return !doc->drawPriority.empty();
    default: return true;
  }
}

void BindThemeCommands(app::ui::MainFrame& frame, std::function<CPVN4Doc*()> active) {
  app::ui::MainFrame* f = &frame;
  auto bind = [&](int command, void (*handler)(wxWindow*, CPVN4Doc&)) {
    frame.BindCommand(command, [f, active, handler] {
      if (CPVN4Doc* doc = active()) handler(f, *doc);
    });
  };
  bind(kCmdNewVectorTheme, OnNewVectorTheme);
  bind(kCmdContour, OnContour);
  bind(kCmdMapContour, OnContour);
  bind(kCmdLayerContour, OnContour);
  bind(kCmdArrangeVectorThemes, OnArrangeVectorThemes);
}

}  // namespace themes::ui
