#pragma once
// The open landscape of a project: opening an LCP file or a landscape GeoTIFF into one layer
// theme per band, re-reading the editable layers, and writing the cells of an analysis area
// back out as an LCP file or a landscape GeoTIFF. The project document holds one
// LandscapeState and owns the themes through its grid-theme list.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "landscape/header.h"
#include "themes/cell_window.h"

class CTheme;

namespace platform {
class ProgressSink;
}

namespace landscape {

struct LandscapeState {
  std::string path = "No Landscape File";
  CHeaderData header;
  int bandCount = 0;  // 5, 7, 8 or 10 (LCP); 5 or 8 (GeoTIFF)
  bool loaded = false;
  bool edited = false;
  std::string projection;           // WKT; "" or ["null"] when there is none
  std::array<CTheme*, 10> layers{};  // by layer code; owned by the grid-theme list
  bool HasProjection() const { return !projection.empty() && projection != "[\"null\"]"; }
};

struct OpenOptions {
  // The application's keep-grid-cells-in-memory option: off, LCP layers are read in place
  // from the file and only the header is read on opening.
  bool keepCellsInMemory = true;
};

using ThemeList = std::vector<std::unique_ptr<CTheme>>;

// Bytes of landscape cells this machine can hold in memory: half its memory, or what it has
// free when that is less. A landscape whose bands (all of them, at 16 bits a cell) need more
// is refused before anything is allocated. Tests may pin it; nullopt restores the machine's.
std::uint64_t LandscapeMemoryBudget();
void SetLandscapeMemoryBudget(std::optional<std::uint64_t> bytes);

// Opens the landscape (".lcp" in any case: LCP, anything else: GeoTIFF); the new layer
// themes are appended to gridThemes. 1, or -1 with a message naming the file and saying what
// is wrong (missing, a folder, empty, truncated, not a landscape, too few bands, too many
// cells for this machine); nothing is kept of a landscape that did not open.
int OpenLandscape(LandscapeState& state, const std::string& path, ThemeList& gridThemes,
                  const OpenOptions& options = {});
int LoadLcpLandscape(LandscapeState& state, const std::string& path, ThemeList& gridThemes,
                     const OpenOptions& options = {});
int LoadGeoTiffLandscape(LandscapeState& state, const std::string& path, ThemeList& gridThemes);
// Fills a header from a landscape GeoTIFF; with update, also the state's band count and
// projection. 1, or -1.
int ReadGeoTiffLandscapeHeader(LandscapeState& state, const std::string& path, CHeaderData& header,
                               bool update);
// Reads the editable layers (fuel model, cover, canopy) again from the file.
void ReloadLandscape(LandscapeState& state);

// The cells an analysis area writes: the read window gives the origin, the size window the
// number of columns and rows; west, south and north are the area's edges.
struct AreaWindow {
  CellWindow read;
  CellWindow size;
  double west = 0, south = 0, north = 0;
};

// Writers. Failures are shown; false when nothing was written (a cancelled write leaves any
// earlier file of that name as it was).
bool WriteLandscapeLcp(const LandscapeState& state, const AreaWindow& area, const std::string& dest,
                       platform::ProgressSink* progress = nullptr);
bool WriteAreaLandscapeGeoTiff(const LandscapeState& state, const AreaWindow& area, const std::string& dest,
                               platform::ProgressSink* progress = nullptr);
bool WriteLandscapeGeoTiff(const LandscapeState& state, const AreaWindow& area, const std::string& dest,
                           platform::ProgressSink* progress = nullptr);

// Ascending comparators of the fuel-model scan.
int CompareInts(const void* a, const void* b);
int CompareShorts(const void* a, const void* b);

}  // namespace landscape
