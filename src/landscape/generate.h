#pragma once
// Landscape generation: a new LCP file or landscape GeoTIFF built from eight layers, each taken
// from a grid file (ESRI ASCII or GeoTIFF), a constant, or the same layer of a source
// landscape; and the form behind the generation dialog, which fixes the grid geometry from the
// first grid or the source landscape and refuses grids that do not fit it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "landscape/header.h"

namespace platform {
class ProgressSink;
}

namespace landscape {

inline constexpr int kGeneratedLayers = 8;

struct GenerationLayer {
  std::string gridPath;  // full path; empty = none
  bool constant = false;
  double constantValue = 0;
  bool useSource = false;  // take the layer from the source landscape
  int unit = 0;            // position in the layer's unit list
};

enum class SourceKind { kLcp, kGeoTiff };

struct GenerationSettings {
  GenerationSettings();
  std::array<GenerationLayer, kGeneratedLayers> layers;
  bool crownFuels = false;
  int gridUnits = 0;  // 0 metres, 1 feet, 2 kilometres
  // The shown geometry, and the corner later grids are checked against.
  int columns = 0, rows = 0;
  double x = -1, y = -1, cellSize = 0;
  double referenceX = -1, referenceY = -1;
  bool geometryFixed = false;
  double latitude = 45;
  std::string description;
  std::string projectionFile;  // an ESRI .prj
  std::string gridProjection;  // of the first GeoTIFF grid that fixed the geometry
  std::string sourcePath;
  SourceKind sourceKind = SourceKind::kLcp;
  CHeaderData sourceHeader;
};

// Unit lists of the layers (positions 0-3) and the grid units list.
const std::vector<std::string>& UnitChoices(int layer);
const std::vector<std::string>& GridUnitChoices();
// The factor a canopy layer's values are multiplied by (1 for layers 0-4).
double UnitFactor(int layer, int unit);
// The unit code written for a layer: what the stored values are in.
int GeneratedUnitCode(int layer, int unit, bool crownFuels);

// One cell as stored. v is the theme's value or the constant; factor from UnitFactor.
std::int16_t GeneratedLcpCell(int layer, double v, double factor);
std::int16_t GeneratedGeoTiffCell(int layer, double v, double factor, int unitCode);

// The header of the new landscape (geometry, flags, units, constant-layer statistics).
CHeaderData GeneratedHeader(const GenerationSettings& s);
// The summary asked before writing.
std::string GenerationSummary(const GenerationSettings& s, const CHeaderData& h, const std::string& dest);

// Builds the landscape at dest (".lcp" in any case: LCP, else GeoTIFF). Every failure is
// said, naming the file or layer; nothing is written then, and a file of that name is kept.
// True when the file was written.
bool GenerateLandscape(const GenerationSettings& s, const std::string& dest,
                       platform::ProgressSink* progress = nullptr);

// ---- the form ----
// Checks a grid against the fixed geometry, or fixes the geometry from it. Refusals are said.
bool CheckAsciiGridHeader(GenerationSettings& s, const std::string& path);
bool CheckGeoTiffGrid(GenerationSettings& s, const std::string& path);
// A chosen grid for a layer: checked by its extension; when it fits it becomes the layer's
// grid and the layer stops using the source.
bool ChooseGrid(GenerationSettings& s, int layer, const std::string& path);
// The latitude of the grid's centre from ESRI or WKT projection text; unchanged on failure.
void LatitudeFromProjection(GenerationSettings& s, const std::string& projection);
void ReadProjectionFile(GenerationSettings& s, const std::string& prjPath);
// A chosen projection file: refused with "Unable to create projection." or "Unrecognized
// projection."; otherwise it becomes the projection file and gives the latitude.
bool ChooseProjectionFile(GenerationSettings& s, const std::string& prjPath);
// Columns, rows, corner and cell size of a grid, without checks.
void ReadGridGeometry(GenerationSettings& s, const std::string& path);
// Whether every layer to be written is constant (the General fields can then be typed).
bool AllLayersConstant(const GenerationSettings& s);
// Refills the General fields from the source landscape or the first grid, unless every
// layer is constant. Returns whether they can be typed.
bool UpdateGeneralFields(GenerationSettings& s);
// A chosen source landscape (".lcp" in any case: LCP, else GeoTIFF), and the two loaders.
bool ChooseSourceLandscape(GenerationSettings& s, const std::string& path);
bool LoadSourceLcp(GenerationSettings& s, const std::string& path);
bool LoadSourceGeoTiff(GenerationSettings& s, const std::string& path);
// "Clear Fields": back to the values at construction, keeping the cell size, the projection
// file, the grid projection and the source header.
void ClearFields(GenerationSettings& s);
// The text of a layer's source field (the grid path unshortened).
std::string LayerSourceText(const GenerationSettings& s, int layer);
// Which controls of a layer's row are enabled.
struct LayerEnables {
  bool useSource, constantEdit, browse, constantBox, units;
};
LayerEnables LayerEnabled(const GenerationSettings& s, int layer);

}  // namespace landscape
