#include "landscape/ui/landscape_commands.h"

#include <algorithm>
#include <cctype>

#include "landscape/landscape.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"

namespace landscape::ui {

const char* const kOpenLandscapeFilter =
    "LCP and GeoTIFF Files (*.lcp;*.tif)|*.lcp;*.tif|Landscape Files (*.lcp)|*.lcp|GeoTIFF files "
    "(*.tif)|*.tif|All Files (*.*)|*.*||";
const char* const kDestinationFilter =
    "LCP and GeoTIFF Files (*.lcp;*.tif)|*.lcp;*.tif|Landscape Files (*.lcp)|*.lcp|GeoTIFF files "
    "(*.tif)|*.tif||";

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The last extension with its dot, in lower case; "" without one.
std::string Extension(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lower(path.substr(dot));
}

AreaWindow AreaWindowOf(const CPyrvane2WorkArea* a) {
  AreaWindow w;
  if (a) {
    w.read = a->GetLandscapeRect().Window();
    w.size = w.read;
    w.west = a->west;
    w.south = a->south;
    w.north = a->north;
  }
  return w;
}

enum class GeoTiffSource { Layers, File };

void WriteTo(CPVN4Doc& doc, GeoTiffSource tif, platform::ProgressSink* progress,
             const CPyrvane2WorkArea* area) {
  platform::FileDialogOptions o;
  o.title = "Select Destination file";
  o.filter = kDestinationFilter;
  o.defaultExt = "lcp";
  o.overwritePrompt = true;
  const auto chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!chosen) return;
  const std::string path = platform::WithDefaultExtension(*chosen, "lcp");
  if (Lower(path) == Lower(doc.landscape.path)) {
    platform::Tell(platform::FormatC("Error! %s is already in use", doc.landscape.path.c_str()));
    return;
  }
  const AreaWindow window = AreaWindowOf(area);
  const std::string ext = Extension(path);
  if (ext == ".lcp")
    WriteLandscapeLcp(doc.landscape, window, path, progress);
  else if (ext == ".tif" && tif == GeoTiffSource::File)
    WriteAreaLandscapeGeoTiff(doc.landscape, window, path, progress);
  else if (ext == ".tif")
    WriteLandscapeGeoTiff(doc.landscape, window, path, progress);
  else  // nothing written: the user learns why
    platform::Tell("Cannot write " + path + ": a landscape is written as a .lcp or a .tif file.");
}

}  // namespace

int BrowseAndOpenLandscape(CPVN4Doc& doc) {
  if (doc.IsLandscapeLoaded()) return -1;
  platform::FileDialogOptions o;
  o.filter = kOpenLandscapeFilter;
  const auto path = platform::CurrentDialogs().ChooseOpenFile(o);
  if (!path) return -1;
  // The document makes the default area, shows the fuel model and updates its views.
  if (doc.OpenLandscape(*path) != 1) return -1;
  return 0;
}

void OnOpenLandscape(CPVN4Doc& doc) {
  if (!doc.IsLandscapeLoaded()) BrowseAndOpenLandscape(doc);
}

void OnSaveLandscape(CPVN4Doc& doc, platform::ProgressSink* progress) {
  WriteTo(doc, GeoTiffSource::Layers, progress, doc.currentArea);
}

bool SaveLandscapeAfterRule(CPVN4Doc& doc, platform::ProgressSink* progress) {
  const CPyrvane2WorkArea* whole = doc.DefaultArea();
  const CPyrvane2WorkArea* area = doc.currentArea ? doc.currentArea : whole;
  auto cells = [](const CPyrvane2WorkArea* a) {
    const CellWindow w = a->GetLandscapeRect().Window();
    return platform::FormatC("%d x %d cells", w.lastColumn - w.firstColumn + 1, w.lastRow - w.firstRow + 1);
  };
  if (area && whole && area != whole) {
    const std::string question = "Save the whole landscape (" + cells(whole) + ")?\nNo saves only the analysis area \"" +
                                 area->name + "\" (" + cells(area) + ").";
    switch (platform::AskYesNoCancel(question)) {
      case platform::Answer::Yes: area = whole; break;
      case platform::Answer::No: break;
      default: return false;
    }
  }
  WriteTo(doc, GeoTiffSource::Layers, progress, area);
  return true;
}

void OnCreateLandscape(CPVN4Doc& doc, platform::ProgressSink* progress) {
  WriteTo(doc, GeoTiffSource::File, progress, doc.currentArea);
}

void OnReloadLandscape(CPVN4Doc& doc) {
  if (!doc.landscape.edited) return;
  ReloadLandscape(doc.landscape);
  doc.UpdateAllViews(kHintRender);
}

}  // namespace landscape::ui
