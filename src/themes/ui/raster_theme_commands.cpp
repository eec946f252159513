#include "themes/ui/raster_theme_commands.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/utils.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>

#include "app/layer_types.h"
#include "app/ui/main_frame.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/ui/wx_image.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/theme.h"
#include "themes/ui/theme_stats_sheet.h"
#include "views/ui/map_view.h"

namespace themes::ui {

namespace {

std::string LowerExtension(const std::string& path) {
  std::string ext = platform::Extension(path);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// Picture formats the toolkit can write; icons and TIFF are left out (".tif" is the GeoTIFF).
bool OffersPictureFormat(wxImageHandler* handler) {
  const wxString ext = handler->GetExtension().Lower();
  if (ext == "ico" || ext == "cur" || ext == "ani" || ext == "tif" || ext == "tiff") return false;
  wxLogNull quiet;
  wxImage probe(1, 1);
  wxMemoryOutputStream out;
  return handler->SaveFile(&probe, out, false);
}

}  // namespace

std::vector<CTheme*> AuxiliaryGridThemes(const CPVN4Doc& doc) {
  std::vector<CTheme*> out;
  for (const auto& t : doc.gridThemes)
    if (t->layerType == kGenericGridLayerType) out.push_back(t.get());
  return out;
}

bool AddGridThemeFromFile(CPVN4Doc& doc, const std::string& path) {
  if (!std::ifstream(path, std::ios::binary)) {
    platform::Tell(platform::FormatC("Error opening %s", path.c_str()));
    return false;
  }
  auto theme = std::make_unique<CTheme>();
  if (LowerExtension(path) == "asc") {
    // The ASCII reader names what is wrong with a file it refuses.
    if (theme->LoadGridFile(kGenericGridLayerType, path) != 1) return false;
  } else {
    const int read = theme->LoadGdalRaster(kGenericGridLayerType, path);
    if (read == -1) {
      platform::Tell(platform::FormatC("Error reading %s: the raster has no map coordinates.", path.c_str()));
      return false;
    }
    if (read != 1) {
      platform::Tell(platform::FormatC("Error reading %s: it is not a raster that can be read.", path.c_str()));
      return false;
    }
  }
  if (theme->rows <= 0 || theme->columns <= 0) {
    platform::Tell(platform::FormatC("Error reading %s: the grid holds no cells.", path.c_str()));
    return false;
  }
  theme->layerType = kGenericGridLayerType;
  const bool firstArea = doc.areas.empty();
  CTheme* added = doc.AddGridTheme(std::move(theme));
  if (firstArea &&
      doc.CreateWorkArea(added->north, added->east, added->south, added->west, "Entire Landscape (Default)")) {
    doc.visibleTheme = added;  // shown straight from its store
    doc.NotifyChanged();
  }
  doc.RefreshLegendAndPointWindows();
  return true;
}

void OnNewGridTheme(wxWindow*, CPVN4Doc& doc) {
  if (!doc.IsLandscapeLoaded()) return;
  platform::FileDialogOptions o;
  o.filter = "Ascii Grid Files (*.asc)|*.asc|GeoTiff Files (*.tif)|*.tif;*.tiff|All Files (*.*)|*.*||";
  const std::optional<std::string> path = platform::CurrentDialogs().ChooseOpenFile(o);
  if (!path) return;
  wxBusyCursor wait;
  AddGridThemeFromFile(doc, *path);
}

std::string GridThemeSaveFilter() {
  static const bool handlers = [] {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxInitAllImageHandlers();
    return true;
  }();
  (void)handlers;
  std::string filter =
      "Ascii Grid and GeoTIFF Files (*.asc;*.tif)|*.tif;*.asc|Ascii Grid Files (*.asc)|*.asc|GeoTIFF Files "
      "(*.tif)|*.tif|";
  for (wxList::compatibility_iterator node = wxImage::GetHandlers().GetFirst(); node; node = node->GetNext()) {
    auto* handler = static_cast<wxImageHandler*>(node->GetData());
    if (!OffersPictureFormat(handler)) continue;
    std::string patterns = "*." + handler->GetExtension().Lower().utf8_string();
    for (const wxString& alt : handler->GetAltExtensions())
      if (alt.Lower() != handler->GetExtension().Lower()) patterns += ";*." + alt.Lower().utf8_string();
    filter += handler->GetName().utf8_string() + " (" + patterns + ")|" + patterns + "|";
  }
  return filter + "|";
}

bool SaveVisibleThemeAs(CPVN4Doc& doc, const std::string& path) {
  CTheme* theme = doc.GetVisibleTheme();
  if (!theme || !doc.currentArea) return false;
  const std::string ext = LowerExtension(path);
  if (ext == "asc") return doc.currentArea->ExportAsciiGrid(theme, path);
  if (ext == "tif")
    return theme->SaveGeoTiff(doc.HasProjection() ? doc.landscape.projection : std::string(), path,
                              doc.GetVisibleThemeLegend());
  const views::ui::CMapView* map = views::ui::FindMapView(&doc);
  const bool saved = map && !map->MapImage().IsEmpty() &&
                     (ext == "png" ? map->MapImage().SavePng(path) : platform::ui::SaveImageFile(map->MapImage(), path));
  if (!saved) platform::Tell("Save image failed.");
  return saved;
}

void OnGridThemeSaveAs(wxWindow*, CPVN4Doc& doc) {
  if (!doc.GetVisibleTheme() || !doc.currentArea) return;
  platform::FileDialogOptions o;
  o.filter = GridThemeSaveFilter();
  o.defaultExt = "tif";
  o.overwritePrompt = true;
  const std::optional<std::string> chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!chosen) return;
  wxBusyCursor wait;
  SaveVisibleThemeAs(doc, platform::WithDefaultExtension(*chosen, o.defaultExt));
}

bool DeleteGridThemeAsked(CPVN4Doc& doc, CTheme* theme, const std::string& label) {
  if (!theme) return false;
  if (!platform::AskYesNo(platform::FormatC("Delete Theme '%s'?", label.c_str()))) return false;
  wxBusyCursor wait;
  // The document's removal notice takes the theme's items out of the tree and the windows.
  doc.DeleteGridTheme(theme);
  doc.RefreshLegendAndPointWindows();
  doc.SetModifiedFlag(true);
  return true;
}

bool DeleteAllGridThemesAsked(CPVN4Doc& doc) {
  const std::vector<CTheme*> all = AuxiliaryGridThemes(doc);
  if (all.empty()) return false;
  if (!platform::AskYesNo("Delete all grid themes?")) return false;
  wxBusyCursor wait;
  for (CTheme* t : all) doc.DeleteGridTheme(t);
  doc.UpdateAllViews();
  doc.RefreshLegendAndPointWindows();
  doc.SetModifiedFlag(true);
  return true;
}

void OnThemeStatistics(wxWindow*, CPVN4Doc& doc) {
  CTheme* theme = doc.GetVisibleTheme();
  CThemeLegendData* legend = doc.GetVisibleThemeLegend();
  if (!theme || !legend || !doc.currentArea) return;
  const CellWindow window = doc.currentArea->GetThemeRect(theme).Window();
  CpropSheetThemeStats sheet(*theme, *legend, window, doc.landscape.header.gridUnits, doc.landscape.projection,
                             theme->name + " Statistics", nullptr);
  sheet.ShowModal();
}

bool RulesRasterThemeCommand(int command) {
  return command == kCmdNewGridTheme || command == kCmdGridThemeSaveAs || command == kCmdLayerSaveAs ||
         command == kCmdThemeStatistics;
}

bool IsRasterThemeCommandEnabled(int command, const CPVN4Doc* doc) {
  if (!doc) return false;
  switch (command) {
    case kCmdNewGridTheme: return doc->IsLandscapeLoaded();
    case kCmdGridThemeSaveAs:
    case kCmdLayerSaveAs: return doc->GetVisibleTheme() && doc->currentArea;
    case kCmdThemeStatistics: return doc->GetVisibleThemeLegend() != nullptr;
    default: return true;
  }
}

void BindRasterThemeCommands(app::ui::MainFrame& frame, std::function<CPVN4Doc*()> active) {
  app::ui::MainFrame* f = &frame;
  auto bind = [&](int command, void (*handler)(wxWindow*, CPVN4Doc&)) {
    frame.BindCommand(command, [f, active, handler] {
      if (CPVN4Doc* doc = active()) handler(f, *doc);
    });
  };
  bind(kCmdNewGridTheme, OnNewGridTheme);
  bind(kCmdGridThemeSaveAs, OnGridThemeSaveAs);
  bind(kCmdLayerSaveAs, OnGridThemeSaveAs);
  bind(kCmdThemeStatistics, OnThemeStatistics);
}

}  // namespace themes::ui
