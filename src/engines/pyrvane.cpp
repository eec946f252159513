#include "engines/pyrvane.h"

#include <gdal_priv.h>
#include <omp.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>

#include "engines/conditioning.h"
#include "engines/custom_fuels.h"
#include "engines/fire_behavior.h"
#include "engines/gridded_winds.h"
#include "engines/output_writer.h"
#include "engines/parallel_rows.h"
#include "engines/spotting.h"
#include "landscape/units.h"
#include "platform/atomic_file.h"

using namespace engines;

namespace {

constexpr float kNoData = -9999.0f;
constexpr double kPi = 3.14159265358979323846;

const char* const kOutputFileNames[kOutputCount] = {
    "flame_length", "spread_rate", "intensity", "heat_area", "crown_state", "solar_radiation",
    "moisture_1h", "moisture_10h", "midflame", "horizontal_rate", "max_spread_dir", "ellipse_a",
    "ellipse_b", "ellipse_c", "maxspot", "moisture_100h", "moisture_1000h", "crown_fraction_burned",
    "torching_index", "crowning_index", "maxspot_dir", "maxspot_dx", "wind_direction", "wind_speed",
    "reaction_intensity"};

// Landscape values in the engine's units, by the header's unit codes.
double ToMetres(int code, double v) {  // elevation
  return code == 1 ? v * 0.3048 : v;
}
// Codes 1 and 2 are plain metric and English units, 3 and 4 the same scaled to whole numbers.
double Coded(int code, double v, double englishToMetric, double scale3, double scale4) {
  switch (code) {
    case 1: return v;
    case 2: return v * englishToMetric;
    case 4: return v * englishToMetric / scale4;
    default: return v / scale3;
  }
}
double HeightMetres(int code, double v) { return Coded(code, v, 0.3048, 10.0, 10.0); }
double DensityKgM3(int code, double v) { return Coded(code, v, 16.018463, 100.0, 1000.0); }
double CoverPercent(int code, double v) { return code == 0 ? landscape::CoverClassToPercent(v) : v; }
double SlopeDegrees(int code, double v) { return code == 1 ? std::atan(v / 100.0) * 180.0 / kPi : v; }
// Aspect in the other stored forms (counter-clockwise from east, 15-degree classes) becomes
// azimuth; the flat class (25) faces north, and a value with no meaning leaves no data.
double AzimuthOf(int code, int v) {
  if (code == 0 && v == 25) return 0;
  return landscape::AspectToAzimuth(code, v);
}

// 20-ft wind in mph from the units of the inputs file.
double Wind20Mph(double speed, int units) {
  switch (units) {
    case 1: return speed / 1.609344 / 1.15;
    case 2: return speed * 3600.0 / 1609.344 / 1.15;
    case 3: return speed / 88.0;
    default: return speed;
  }
}

bool Burnable(int fm) { return fm > 0 && fm <= 256 && !(fm >= 90 && fm <= 99); }

// Samples a one-band raster at map coordinates; false when it cannot be read.
bool SampleRaster(const std::string& path, int rows, int cols, double west, double north, double cell,
                  std::vector<float>& out) {
  GDALAllRegister();
  std::unique_ptr<GDALDataset> ds(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (!ds || ds->GetRasterCount() < 1) return false;
  double gt[6];
  if (ds->GetGeoTransform(gt) != CE_None || gt[1] == 0 || gt[5] == 0 || gt[2] != 0 || gt[4] != 0) return false;
  const int w = ds->GetRasterXSize(), h = ds->GetRasterYSize();
  GDALRasterBand* b = ds->GetRasterBand(1);
  int hasNd = 0;
  const double nd = b->GetNoDataValue(&hasNd);
  out.assign(static_cast<size_t>(rows) * cols, kNoData);
  // One source row at a time, so that a large wind raster costs only a row of memory.
  std::vector<float> src(static_cast<size_t>(w));
  int loaded = -1;
  for (int r = 0; r < rows; ++r) {
    const double y = north - (r + 0.5) * cell;
    const int sr = static_cast<int>(std::floor((y - gt[3]) / gt[5]));
    if (sr < 0 || sr >= h) continue;
    if (sr != loaded) {
      if (b->RasterIO(GF_Read, 0, sr, w, 1, src.data(), w, 1, GDT_Float32, 0, 0) != CE_None) return false;
      loaded = sr;
    }
    for (int c = 0; c < cols; ++c) {
      const double x = west + (c + 0.5) * cell;
      const int sc = static_cast<int>(std::floor((x - gt[0]) / gt[1]));
      if (sc < 0 || sc >= w) continue;
      const float v = src[sc];
      if ((hasNd && v == nd) || !std::isfinite(v)) continue;
      out[static_cast<size_t>(r) * cols + c] = v;
    }
  }
  return true;
}

}  // namespace

CPyrvane::CPyrvane() = default;
CPyrvane::~CPyrvane() = default;

int CPyrvane::SetLandscapeFile(const char* path) {
  std::string why;
  auto src = OpenLandscape(path ? path : "", &why);
  if (!src) return 0;
  SetLandscape(std::move(src));
  return 1;
}

void CPyrvane::SetLandscape(std::unique_ptr<LandscapeSource> source) {
  land_ = std::move(source);
  layerValues_ = {};
  layerValuesDone_ = {};
  const CHeaderData& h = land_->Header();
  rows_ = h.rows;
  cols_ = h.columns;
  west_ = h.west;
  north_ = h.north;
  cell_ = h.cellWidth;
}

void CPyrvane::SetAnalysisArea(double east, double west, double north, double south) {
  if (!land_ || cell_ <= 0) return;
  const CHeaderData& h = land_->Header();
  double e = std::min(east, h.east), w = std::max(west, h.west);
  double n = std::min(north, h.north), s = std::max(south, h.south);
  if (!(e > w && n > s)) {
    rows_ = cols_ = 0;
    return;
  }
  // Cells of the held grid (same origin as the landscape) that the area touches.
  long c0 = static_cast<long>(std::floor((w - h.west) / cell_ + 1e-9));
  long c1 = static_cast<long>(std::ceil((e - h.west) / cell_ - 1e-9));
  long r0 = static_cast<long>(std::floor((h.north - n) / cell_ + 1e-9));
  long r1 = static_cast<long>(std::ceil((h.north - s) / cell_ - 1e-9));
  west_ = h.west + c0 * cell_;
  north_ = h.north - r0 * cell_;
  cols_ = static_cast<int>(std::max(0L, c1 - c0));
  rows_ = static_cast<int>(std::max(0L, r1 - r0));
}

void CPyrvane::ResampleLandscape(double resolution) {
  if (!land_ || !(resolution > 0)) return;
  double east = GetEast(), south = GetSouth();
  cell_ = resolution;
  cols_ = static_cast<int>(std::ceil((east - west_) / cell_ - 1e-9));
  rows_ = static_cast<int>(std::ceil((north_ - south) / cell_ - 1e-9));
}

bool CPyrvane::GetLandscapeExtent(double* west, double* east, double* north, double* south, double* cell) const {
  if (!land_) return false;
  const CHeaderData& h = land_->Header();
  *west = h.west;
  *east = h.east;
  *north = h.north;
  *south = h.south;
  *cell = h.cellWidth;
  return true;
}

void CPyrvane::SetHeldGrid(double west, double north, double cell, int rows, int cols) {
  if (!land_ || !(cell > 0) || rows <= 0 || cols <= 0) {
    rows_ = cols_ = 0;
    return;
  }
  west_ = west;
  north_ = north;
  cell_ = cell;
  rows_ = rows;
  cols_ = cols;
}

void CPyrvane::ResetBurn() {
  for (auto& g : grids_) g.clear();
}

std::vector<std::int16_t> CPyrvane::HeldLayer(int layer) const {
  std::vector<std::int16_t> out;
  if (!land_ || !land_->HasLayer(layer) || rows_ <= 0 || cols_ <= 0) return out;
  const CHeaderData& h = land_->Header();
  const double cs = h.cellWidth;
  out.assign(static_cast<size_t>(rows_) * cols_, static_cast<std::int16_t>(-9999));
  // Source columns and rows of the held cells' centres.
  std::vector<int> srcCol(cols_), srcRow(rows_);
  for (int c = 0; c < cols_; ++c) srcCol[c] = static_cast<int>(std::floor((west_ + (c + 0.5) * cell_ - h.west) / cs));
  for (int r = 0; r < rows_; ++r) srcRow[r] = static_cast<int>(std::floor((h.north - (north_ - (r + 0.5) * cell_)) / cs));
  // Same cells as the file: one window read.
  if (cell_ == cs && srcCol[0] >= 0 && srcRow[0] >= 0 && srcCol[0] + cols_ <= h.columns &&
      srcRow[0] + rows_ <= h.rows && srcCol[cols_ - 1] == srcCol[0] + cols_ - 1 &&
      srcRow[rows_ - 1] == srcRow[0] + rows_ - 1) {
    if (!land_->ReadWindow(layer, srcRow[0], srcCol[0], rows_, cols_, out.data())) return {};
    return out;
  }
  std::vector<std::int16_t> row(h.columns);
  int loaded = -1;
  for (int r = 0; r < rows_; ++r) {
    int sr = srcRow[r];
    if (sr < 0 || sr >= h.rows) continue;
    if (sr != loaded && !land_->ReadWindow(layer, sr, 0, 1, h.columns, row.data())) return {};
    loaded = sr;
    for (int c = 0; c < cols_; ++c) {
      int sc = srcCol[c];
      if (sc >= 0 && sc < h.columns) out[static_cast<size_t>(r) * cols_ + c] = row[sc];
    }
  }
  return out;
}

void CPyrvane::GetWindCorners(double* west, double* south) const {
  if (west) *west = windWest_;
  if (south) *south = windSouth_;
}

float CPyrvane::GetLayerValueByCell(int layer, int col, int row) const {
  if (!land_ || !land_->HasLayer(layer) || col < 0 || row < 0 || col >= cols_ || row >= rows_) return kNoData;
  return GetLayerValue(layer, west_ + (col + 0.5) * cell_, north_ - (row + 0.5) * cell_);
}

float CPyrvane::GetLayerValue(int layer, double x, double y) const {
  if (!land_ || !land_->HasLayer(layer)) return kNoData;
  const CHeaderData& h = land_->Header();
  int c = static_cast<int>(std::floor((x - h.west) / h.cellWidth));
  int r = static_cast<int>(std::floor((h.north - y) / h.cellWidth));
  std::int16_t v;
  if (!land_->ReadWindow(layer, r, c, 1, 1, &v)) return kNoData;
  return v;
}

int CPyrvane::GetUnits(int layer) const {
  if (!land_ || layer < 0 || layer > 9) return 0;
  return land_->Header().unitCodes[layer];
}

const std::vector<int>& CPyrvane::LayerValues(int layer) const {
  std::lock_guard<std::mutex> hold(layerValuesLock_);
  auto& v = layerValues_[layer];
  if (layerValuesDone_[layer]) return v;
  layerValuesDone_[layer] = true;
  const CHeaderData& h = land_->Header();
  const auto& stats = h.layerStats[layer];
  if (stats.count >= 0) {
    for (int i = 1; i <= std::min(stats.count, 99); ++i) v.push_back(stats.values[i]);
    return v;
  }
  // No list in the header (landscape GeoTIFFs): list the layer's own values, up to 99.
  std::vector<char> seen(65536, 0);
  std::vector<std::int16_t> row(h.columns);
  for (int r = 0; r < h.rows; ++r) {
    if (!land_->ReadWindow(layer, r, 0, 1, h.columns, row.data())) break;
    for (auto x : row) {
      if (x == -9999 || seen[static_cast<std::uint16_t>(x)]) continue;
      seen[static_cast<std::uint16_t>(x)] = 1;
      v.push_back(x);
    }
    if (v.size() > 99) {
      v.clear();
      break;
    }
  }
  std::sort(v.begin(), v.end());
  return v;
}

int CPyrvane::GetLayerHeaderValCount(int layer) const {
  if (!land_ || layer < 0 || layer > 9 || !land_->HasLayer(layer)) return 0;
  return static_cast<int>(LayerValues(layer).size());
}

int CPyrvane::GetLayerHeaderVal(int layer, int i) const {
  if (i < 1 || i > GetLayerHeaderValCount(layer)) return 0;
  return LayerValues(layer)[i - 1];
}

int CPyrvane::CommandFileLoad(const char* path) {
  std::string text;
  std::error_code ec;
  // Inputs files hold at most some years of hourly weather: a few megabytes.
  constexpr std::uintmax_t kLargestInputs = 256u << 20;
  if (!path || std::filesystem::file_size(path, ec) > kLargestInputs || ec || !platform::ReadWholeFile(path, text))
    return Fail(kErrOpenInputs, path ? path : "");
  return CommandTextLoad(text);
}

int CPyrvane::CommandTextLoad(const std::string& text) {
  PyrvaneInputs in;
  std::string detail;
  inputsLoaded_ = false;
  int rc = ParsePyrvaneInputs(text, in, detail);
  if (rc != kEngineOk) return Fail(rc, detail);
  inputs_ = std::move(in);
  inputsLoaded_ = true;
  return kEngineOk;
}

const char* CPyrvane::CommandFileError(int code) {
  errorText_ = EngineCodeText(code);
  if (code == lastCode_ && !lastDetail_.empty()) errorText_ += "\n" + lastDetail_;
  return errorText_.c_str();
}

int CPyrvane::Fail(int code, std::string detail) {
  lastCode_ = code;
  lastDetail_ = std::move(detail);
  return code;
}

void CPyrvane::ResetPyrvaneProgress() {
  runState_ = 0;
  overall_ = 0;
  for (auto& p : phase_) p = 0;
  cancel_ = false;
}

void CPyrvane::SetOverall(int state, double f) {
  // Loading 5 %, winds 10 %, conditioning 35 %, fire behaviour 50 %; kept below 1 until the end.
  static const double start[5] = {0, 0, 0.05, 0.15, 0.50};
  static const double span[5] = {0, 0.05, 0.10, 0.35, 0.50};
  runState_ = state;
  overall_ = std::min(0.999, start[state] + span[state] * std::clamp(f, 0.0, 1.0));
}

void CPyrvane::SelectOutputLayer(int index, int on) {
  if (index >= 0 && index < kOutputCount) selected_[index] = on != 0;
}

float* CPyrvane::GetOutputLayer(int index) {
  if (index < 0 || index >= kOutputCount || grids_[index].empty()) return nullptr;
  return grids_[index].data();
}

int CPyrvane::LaunchPyrvane(int) {
  int rc = Run();
  if (rc != kEngineOk)
    for (auto& g : grids_) g.clear();
  runState_ = 0;
  overall_ = 1.0;
  return rc;
}

namespace engines {

// What one launch works on, cell by cell, in engine units.
struct RunData {
  size_t n = 0;
  int threads = 1;
  std::map<int, Moistures> moist;  // by fuel model; 0 is the default record
  const FuelMoistureRecord* defaultRecord = nullptr;
  std::vector<int> present;        // burnable models found in the cells
  std::vector<char> known = std::vector<char>(257, 0);
  std::vector<FuelModel> models = std::vector<FuelModel>(257);
  std::vector<Moistures> modelMoist = std::vector<Moistures>(257);
  std::vector<double> modelAdjust = std::vector<double>(257, 1.0);
  // The range of stored slope and aspect values (no data left out); lowest above highest when
  // every cell lacks them.
  int slopeLow = 32767, slopeHigh = -32768, aspectLow = 32767, aspectHigh = -32768;
  // The landscape bands as stored, read in place where the held grid is the landscape's own
  // (owned copies otherwise); their values in engine units come from per-value tables.
  std::vector<std::int16_t> owned[8];
  const std::int16_t *elev = nullptr, *slope = nullptr, *aspect = nullptr, *fuel = nullptr, *cover = nullptr,
                     *height = nullptr, *baseHeight = nullptr, *density = nullptr;
  bool canopy = false;
  std::vector<double> slopeTanOf, upslopeOf;  // by stored value + 32768
  std::vector<Bearing> upslopeBearingOf;
  // Canopy values in engine units by stored value + 32768: stand height (m, ft), the wind
  // adjustment factor's logarithm of it, base height (m), bulk density (kg/m3), crown fill.
  std::vector<double> standHeightMOf, standHeightFtOf, wafLogOf, baseHeightMOf, densityOf, fillOf;
  std::vector<float> coverOf;
  // Float grids for conditioning and spotting only.
  FloatGrid elevM, slopeDeg, aspectDeg, coverPct;
  bool gridded = false;
  std::vector<float> windSpeed, windDir;  // 20-ft mph, degrees from
  std::vector<float> windGridSpeed, windGridDir;  // generated winds, on the wind grid
  bool conditioned = false;
  ConditioningResult own;
  const ConditioningResult* cond = &own;  // the launch's own conditioning, or moistures handed in

  bool MoistureOf(int fm, Moistures& out) const {
    auto it = moist.find(fm);
    if (it == moist.end()) it = moist.find(0);
    if (it == moist.end()) return false;
    out = it->second;
    return true;
  }
};

}  // namespace engines

int CPyrvane::Run() {
  for (auto& g : grids_) g.clear();
  flatNoAspect_ = noSlope_ = noElevation_ = 0;
  windRows_ = windCols_ = windRes_ = 0;
  SetOverall(1, 0);
  if (!land_) return Fail(kErrNoLandscape);
  if (!inputsLoaded_) return Fail(kErrNoInputsLoaded);
  if (inputs_.hasArea) SetAnalysisArea(inputs_.areaEast, inputs_.areaWest, inputs_.areaNorth, inputs_.areaSouth);
  if (rows_ <= 0 || cols_ <= 0 || cell_ <= 0) return Fail(kErrArea);
  RunData d;
  d.n = static_cast<size_t>(rows_) * cols_;
  d.threads = inputs_.processors > 0 ? inputs_.processors : omp_get_num_procs();
  int rc = LoadCells(d);
  if (rc == kEngineOk) rc = LoadFuels(d);
  if (rc == kEngineOk) {
    SetOverall(1, 1);
    rc = LoadWinds(d);
  }
  if (rc == kEngineOk) rc = cancel_ ? Fail(kErrCancelled) : Condition(d);
  if (rc == kEngineOk) rc = cancel_ ? Fail(kErrCancelled) : ComputeCells(d);
  if (rc == kEngineOk) rc = WriteFiles();
  return rc;
}

bool CPyrvane::GetTerrain(std::vector<float>& elevationM, std::vector<float>& slopeDeg, std::vector<float>& aspectDeg,
                          std::vector<float>& coverPct, double& latitudeDeg) {
  if (!land_ || rows_ <= 0 || cols_ <= 0) return false;
  RunData d;
  d.n = static_cast<size_t>(rows_) * cols_;
  d.threads = inputs_.processors > 0 ? inputs_.processors : omp_get_num_procs();
  try {
    if (LoadCells(d) != kEngineOk || !LoadFloatGrids(d)) return false;
    elevationM.assign(d.elevM.data(), d.elevM.data() + d.n);
    slopeDeg.assign(d.slopeDeg.data(), d.slopeDeg.data() + d.n);
    aspectDeg.assign(d.aspectDeg.data(), d.aspectDeg.data() + d.n);
    coverPct.assign(d.coverPct.data(), d.coverPct.data() + d.n);
  } catch (const std::bad_alloc&) {
    return false;
  }
  latitudeDeg = land_->Header().latitude;
  return true;
}

int CPyrvane::LoadCells(RunData& d) {
  const size_t n = d.n;
  const auto& uc = land_->Header().unitCodes;
  const CHeaderData& h = land_->Header();
  const bool own = cell_ == h.cellWidth && west_ == h.west && north_ == h.north && rows_ == h.rows && cols_ == h.columns;
  const std::int16_t* band[8] = {};
  std::vector<int> copies;  // bands read into a grid of the area's own
  for (int k = 0; k < 8; ++k) {
    band[k] = own && land_->HasLayer(k) ? land_->Layer(k) : nullptr;
    if (!band[k]) copies.push_back(k);
  }
  ForEachRow(static_cast<int>(copies.size()), d.threads, [&](int j) {
    const int k = copies[static_cast<size_t>(j)];
    d.owned[k] = HeldLayer(k);
    if (d.owned[k].size() == n) band[k] = d.owned[k].data();
  });
  d.elev = band[0];
  d.slope = band[1];
  d.aspect = band[2];
  d.fuel = band[3];
  d.cover = band[4];
  d.height = band[5];
  d.baseHeight = band[6];
  d.density = band[7];
  if (!d.fuel || !d.slope || !d.aspect || !d.elev) return Fail(kErrNoLandscape);
  d.canopy = d.height && d.baseHeight && d.density;
  if (!d.cover) {
    d.owned[4].assign(n, 0);
    d.cover = d.owned[4].data();
  }
  // Every stored value converted once: slope as its tangent, aspect as the upslope azimuth (the
  // other stored forms, counter-clockwise from east or 15-degree classes, become azimuth; the
  // flat class 25 faces north), cover in percent. No data stays no data.
  d.slopeTanOf.assign(65536, kNoData);
  d.upslopeOf.assign(65536, kNoData);
  d.upslopeBearingOf.assign(65536, Bearing());
  d.coverOf.assign(65536, 0.0f);
  for (int v = -32768; v <= 32767; ++v) {
    const size_t k = static_cast<size_t>(v + 32768);
    if (v == -9999) continue;
    d.slopeTanOf[k] = std::tan(static_cast<float>(SlopeDegrees(uc[1], v)) * kPi / 180.0);
    const double az = AzimuthOf(uc[2], v);
    if (az != kNoData) {
      d.upslopeOf[k] = std::fmod(static_cast<float>(az) + 180.0, 360.0);
      d.upslopeBearingOf[k] = Bearing(d.upslopeOf[k]);
    }
    d.coverOf[k] = v > 0 ? static_cast<float>(CoverPercent(uc[4], v)) : 0.0f;
  }
  if (d.canopy) {
    for (auto* t : {&d.standHeightMOf, &d.standHeightFtOf, &d.wafLogOf, &d.baseHeightMOf, &d.densityOf, &d.fillOf})
      t->assign(65536, 0.0);
    for (int v = -32768; v <= 32767; ++v) {
      const size_t k = static_cast<size_t>(v + 32768);
      d.standHeightMOf[k] = std::max(0.0, HeightMetres(uc[5], v));
      d.standHeightFtOf[k] = d.standHeightMOf[k] * kFtPerM;
      if (d.standHeightFtOf[k] > 0) d.wafLogOf[k] = WafLogTerm(d.standHeightFtOf[k]);
      d.baseHeightMOf[k] = std::max(0.0, HeightMetres(uc[6], v));
      d.densityOf[k] = std::max(0.0, DensityKgM3(uc[7], v));
      d.fillOf[k] = CrownFill(d.coverOf[k]);
    }
  }
  return kEngineOk;
}

// The float grids that conditioning and spotting read.
bool CPyrvane::LoadFloatGrids(RunData& d) {
  const size_t n = d.n;
  const auto& uc = land_->Header().unitCodes;
  try {
    for (FloatGrid* g : {&d.elevM, &d.slopeDeg, &d.aspectDeg, &d.coverPct}) g->Allocate(n);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const size_t cols = static_cast<size_t>(cols_);
  ForEachRow(rows_, d.threads, [&](int r) {
    for (size_t i = static_cast<size_t>(r) * cols, end = i + cols; i < end; ++i) {
      d.elevM[i] = d.elev[i] == -9999 ? kNoData : static_cast<float>(ToMetres(uc[0], d.elev[i]));
      d.slopeDeg[i] = d.slope[i] == -9999 ? kNoData : static_cast<float>(SlopeDegrees(uc[1], d.slope[i]));
      const double az = d.aspect[i] == -9999 ? kNoData : AzimuthOf(uc[2], d.aspect[i]);
      d.aspectDeg[i] = az == kNoData ? kNoData : static_cast<float>(az);
      // A cell with a slope and no aspect is flat ground, as the fire loop burns it.
      if (d.aspectDeg[i] == kNoData && d.slopeDeg[i] != kNoData) d.slopeDeg[i] = d.aspectDeg[i] = 0.0f;
      d.coverPct[i] = d.coverOf[d.cover[i] + 32768];
    }
  });
  return true;
}

int CPyrvane::LoadFuels(RunData& d) {
  const PyrvaneInputs& in = inputs_;
  std::map<int, FuelModel> fuels;
  for (const auto& m : StandardFuelModels()) fuels[m.number] = FuelModel::FromStandard(m);
  if (!in.customFuelsFile.empty()) {
    std::map<int, FuelModel> custom;
    std::string why;
    if (!ReadCustomFuels(in.customFuelsFile, custom, why)) return Fail(kErrCustomFuels, in.customFuelsFile + ": " + why);
    for (auto& [k, v] : custom) fuels[k] = v;
  }
  std::map<int, double> adjust;
  if (!in.rosAdjustFile.empty()) {
    std::string why;
    if (!ReadSpreadAdjustments(in.rosAdjustFile, adjust, why)) return Fail(kErrAdjustFile, in.rosAdjustFile + ": " + why);
  }
  if (!in.hasMoistures || in.moistures.empty()) return Fail(kErrNoMoistures);
  for (const auto& r : in.moistures) {
    if (r.model == 0 && !d.defaultRecord) d.defaultRecord = &r;
    if (!d.moist.count(r.model))
      d.moist[r.model] = {r.percent[0] / 100.0, r.percent[1] / 100.0, r.percent[2] / 100.0, r.percent[3] / 100.0,
                          r.percent[4] / 100.0};
  }
  // The burnable models the cells hold and their range of slopes and aspects, blocks of rows
  // side by side.
  std::array<std::atomic<bool>, 257> seen{};
  const int blocks = std::max(1, std::min(rows_, 64));
  std::vector<std::array<int, 4>> ranges(static_cast<size_t>(blocks));
  ForEachRow(blocks, d.threads, [&](int b) {
    std::array<bool, 257> here{};
    int sLow = 32767, sHigh = -32768, aLow = 32767, aHigh = -32768;
    for (size_t i = d.n * b / blocks, end = d.n * (b + 1) / blocks; i < end; ++i) {
      if (const int v = d.fuel[i]; v > 0 && v <= 256) here[v] = true;
      if (const int s = d.slope[i]; s != -9999) sLow = std::min(sLow, s), sHigh = std::max(sHigh, s);
      if (const int a = d.aspect[i]; a != -9999) aLow = std::min(aLow, a), aHigh = std::max(aHigh, a);
    }
    for (int v = 1; v <= 256; ++v)
      if (here[v]) seen[v].store(true, std::memory_order_relaxed);
    ranges[static_cast<size_t>(b)] = {sLow, sHigh, aLow, aHigh};
  });
  for (const auto& r : ranges) {
    d.slopeLow = std::min(d.slopeLow, r[0]);
    d.slopeHigh = std::max(d.slopeHigh, r[1]);
    d.aspectLow = std::min(d.aspectLow, r[2]);
    d.aspectHigh = std::max(d.aspectHigh, r[3]);
  }
  for (int v = 1; v <= 256; ++v)
    if (seen[v] && Burnable(v)) d.present.push_back(v);
  for (int fm : d.present) {
    auto it = fuels.find(fm);
    if (it == fuels.end()) return Fail(kErrUnknownFuel, "Fuel model " + std::to_string(fm));
    if (!d.MoistureOf(fm, d.modelMoist[fm])) return Fail(kErrModelMoisture, "Fuel model " + std::to_string(fm));
    d.models[fm] = it->second;
    d.known[fm] = 1;
    if (auto a = adjust.find(fm); a != adjust.end()) d.modelAdjust[fm] = a->second;
  }
  return kEngineOk;
}

int CPyrvane::LoadWinds(RunData& d) {
  const PyrvaneInputs& in = inputs_;
  if (in.generateWinds) return GenerateWinds(d);
  d.gridded = !in.griddedSpeedFile.empty() || !in.griddedDirectionFile.empty();
  if (!d.gridded) return kEngineOk;
  SetOverall(2, 0);
  if (in.griddedSpeedFile.empty() || in.griddedDirectionFile.empty() ||
      !SampleRaster(in.griddedSpeedFile, rows_, cols_, west_, north_, cell_, d.windSpeed) ||
      !SampleRaster(in.griddedDirectionFile, rows_, cols_, west_, north_, cell_, d.windDir))
    return Fail(kErrGriddedWindFile, in.griddedSpeedFile + "\n" + in.griddedDirectionFile);
  // Cells the wind files do not cover take the constant wind.
  const float constant = static_cast<float>(Wind20Mph(in.windSpeed, in.windSpeedUnits));
  for (size_t i = 0; i < d.n; ++i) {
    d.windSpeed[i] = d.windSpeed[i] == kNoData ? constant : static_cast<float>(Wind20Mph(d.windSpeed[i], in.windSpeedUnits));
    if (d.windDir[i] == kNoData) d.windDir[i] = static_cast<float>(std::max(in.windDirection, 0.0));
  }
  windRows_ = rows_;
  windCols_ = cols_;
  windRes_ = static_cast<int>(std::lround(cell_));
  windWest_ = west_;
  windSouth_ = GetSouth();
  phase_[0] = 1.0;
  SetOverall(2, 1);
  return kEngineOk;
}

int CPyrvane::GenerateWinds(RunData& d) {
  SetOverall(2, 0);
  if (d.elevM.empty() && !LoadFloatGrids(d)) return Fail(kErrMemory);
  const auto& uc = land_->Header().unitCodes;
  // Vegetation that roughens the wind: the stand where there is canopy, else the fuel bed.
  FloatGrid veg;
  veg.Allocate(d.n);
  for (size_t i = 0; i < d.n; ++i) {
    const int fm = d.fuel[i];
    double h = Burnable(fm) && d.known[fm] ? d.models[fm].depth * 0.3048 : 0.0;
    if (d.canopy && d.coverPct[i] > 0 && d.height[i] > 0) h = std::max(h, HeightMetres(uc[5], d.height[i]));
    veg[i] = static_cast<float>(h);
  }
  HeldCells held{rows_, cols_, west_, north_, cell_, d.elevM.data(), veg.data(),
                 static_cast<double>(land_->Header().latitude)};
  GeneratedWinds w;
  std::string why;
  const int rc = GenerateGriddedWinds(held, inputs_, Wind20Mph(inputs_.windSpeed, inputs_.windSpeedUnits), d.threads,
                                      cancel_, phase_[0], w, why);
  if (rc != kEngineOk) return Fail(rc, why);
  d.gridded = true;
  d.windSpeed = std::move(w.cellSpeed);
  d.windDir = std::move(w.cellDirection);
  d.windGridSpeed = std::move(w.speedMph);
  d.windGridDir = std::move(w.directionFrom);
  windRows_ = w.rows;
  windCols_ = w.cols;
  windRes_ = w.resolution;
  windWest_ = w.west;
  windSouth_ = w.south;
  phase_[0] = 1.0;
  SetOverall(2, 1);
  return kEngineOk;
}

int CPyrvane::Condition(RunData& d) {
  const PyrvaneInputs& in = inputs_;
  if (given_) {
    for (const auto* g : {&given_->m1, &given_->m10, &given_->m100, &given_->m1000, &given_->solar})
      if (g->size() != d.n) return Fail(kErrWeather, "The fuel moistures handed in do not cover the grid.");
    d.conditioned = true;
    d.cond = given_;
    return kEngineOk;
  }
  d.conditioned = in.conditioning;
  if (!d.conditioned) return kEngineOk;
  SetOverall(3, 0);
  double stationElev = 0;
  auto weather = ConditioningWeather(in, &stationElev);
  if (weather.empty()) return Fail(kErrWeather);
  if (d.elevM.empty() && !LoadFloatGrids(d)) return Fail(kErrMemory);
  const FuelMoistureRecord& r = d.defaultRecord ? *d.defaultRecord : in.moistures.front();
  const double initial[4] = {r.percent[0] / 100.0, r.percent[1] / 100.0, r.percent[2] / 100.0, r.percent[2] / 100.0};
  ConditioningCells cells{static_cast<int>(d.n), d.elevM.data(), d.slopeDeg.data(), d.aspectDeg.data(),
                          d.coverPct.data(), static_cast<double>(land_->Header().latitude)};
  if (!ConditionFuels(cells, weather, stationElev, initial, d.threads, cancel_, phase_[1], d.own))
    return Fail(kErrCancelled);
  SetOverall(3, 1);
  return kEngineOk;
}

namespace {

// The fire of cells with no canopy over them under a constant wind depends only on the cell's
// fuel model, stored slope and stored aspect: each combination the cells hold is worked out by
// the first cell that meets it and read by the others. Every cell that would compute a
// combination computes the same bits, so which one stores it changes nothing.
class OpenCellFires {
 public:
  // Entries for the models present over the slope and aspect ranges; none (every cell
  // computes) when there would be more entries than cells.
  OpenCellFires(const RunData& d, const std::vector<FuelBedState>& beds) : beds_(beds) {
    if (d.slopeLow > d.slopeHigh || d.aspectLow > d.aspectHigh || d.present.empty()) return;
    slopeLow_ = d.slopeLow;
    aspectLow_ = d.aspectLow;
    slopes_ = static_cast<size_t>(d.slopeHigh - d.slopeLow + 1);
    aspects_ = static_cast<size_t>(d.aspectHigh - d.aspectLow + 1);
    const size_t entries = d.present.size() * slopes_ * aspects_;
    if (entries > d.n) return;
    block_.assign(257, 0);
    for (size_t k = 0; k < d.present.size(); ++k) block_[static_cast<size_t>(d.present[k])] = k * slopes_ * aspects_;
    // On large pages, cleared (every entry empty): cells reach it all over.
    entries_.reset(static_cast<Entry*>(platform::AllocateLargeBlock(entries * sizeof(Entry))));
    if (entries_) std::memset(static_cast<void*>(entries_.get()), 0, entries * sizeof(Entry));
  }
  bool Active() const { return entries_ != nullptr; }

  // Where a cell's entry sits, or null when it has none: cells ask in no order the table keeps,
  // so the entry of a cell some way ahead is fetched while this one computes.
  const void* EntryOf(int fm, int slope, int aspect) const {
    const size_t s = static_cast<size_t>(slope - slopeLow_), a = static_cast<size_t>(aspect - aspectLow_);
    if (fm <= 0 || fm > 256 || s >= slopes_ || a >= aspects_) return nullptr;
    return &entries_[block_[static_cast<size_t>(fm)] + s * aspects_ + a];
  }

  // The cell's fire from its model, stored slope and aspect; compute() works it out when no
  // cell has yet.
  template <typename Compute>
  FireResult Fire(int fm, int slope, int aspect, Compute&& compute) {
    Entry& e = entries_[block_[static_cast<size_t>(fm)] + static_cast<size_t>(slope - slopeLow_) * aspects_ +
                        static_cast<size_t>(aspect - aspectLow_)];
    std::atomic_ref<int> state(e.state);
    if (state.load(std::memory_order_acquire) == kReady) return Expand(fm, e);
    const FireResult f = compute();
    int empty = kEmpty;
    if (state.compare_exchange_strong(empty, kWriting, std::memory_order_relaxed)) {
      e.ros = f.rosMMin;
      e.direction = f.direction;
      e.flame = f.flameM;
      state.store(kReady, std::memory_order_release);
    }
    return f;
  }

 private:
  enum { kEmpty = 0, kWriting = 1, kReady = 2 };
  struct Entry {
    double ros, direction, flame;
    alignas(std::atomic_ref<int>::required_alignment) int state;  // kEmpty, kWriting, kReady
  };
  struct Free {
    void operator()(Entry* p) const { platform::FreeLargeBlock(p); }
  };
  // What the cell's own computation gives without a crown and without the fire's shape.
  FireResult Expand(int fm, const Entry& e) const {
    FireResult f = none_;
    const FuelBedState& bed = beds_[static_cast<size_t>(fm)];
    if (!bed.burnable) return f;
    f.rosMMin = f.surfaceRosMMin = e.ros;
    f.hpaKJm2 = bed.heatPerArea * kKJm2PerBtuFt2;
    f.fliKWm = f.surfaceFliKWm = f.hpaKJm2 * e.ros / 60.0;
    f.reactionKWm2 = bed.reactionIntensity * kKJm2PerBtuFt2 / 60.0;
    f.direction = e.direction;
    f.flameM = e.flame;
    f.crownClass = kCrownSurface;
    return f;
  }
  const std::vector<FuelBedState>& beds_;
  // A result with nothing in it, copied: building one field by field clears it first, which
  // costs as much as the rest of a shared cell.
  const FireResult none_{};
  std::vector<size_t> block_;  // first entry of each model
  int slopeLow_ = 0, aspectLow_ = 0;
  size_t slopes_ = 0, aspects_ = 0;
  std::unique_ptr<Entry[], Free> entries_;
};

}  // namespace

int CPyrvane::ComputeCells(RunData& d) {
  const PyrvaneInputs& in = inputs_;
  SetOverall(4, 0);
  std::array<bool, kOutputCount> want{};
  for (int k = 0; k < kOutputCount; ++k) want[k] = selected_[k] || in.outputs[k];
  if (in.spreadVectors)
    for (int k : {kOutMaxSpreadDir, kOutEllipseA, kOutEllipseB, kOutEllipseC}) want[k] = true;
  if (in.maxSpotVectors) want[kOutMaxSpot] = true;
  want[kOutWindDir] = want[kOutWindSpeed] = false;
  try {
    for (int k = 0; k < kOutputCount; ++k)
      if (want[k]) grids_[k].Allocate(d.n);  // every cell is written by the loop below
    if (d.gridded) {
      // Generated winds are handed out on their own grid, files' winds on the held grid.
      const auto& sp = d.windGridSpeed.empty() ? d.windSpeed : d.windGridSpeed;
      const auto& dir = d.windGridDir.empty() ? d.windDir : d.windGridDir;
      grids_[kOutWindSpeed].Allocate(sp.size());
      grids_[kOutWindDir].Allocate(dir.size());
      std::copy(sp.begin(), sp.end(), grids_[kOutWindSpeed].data());
      std::copy(dir.begin(), dir.end(), grids_[kOutWindDir].data());
    }
  } catch (const std::bad_alloc&) {
    return Fail(kErrMemory);
  }
  const bool spotting = want[kOutMaxSpot] || want[kOutMaxSpotDir] || want[kOutMaxSpotDx];
  if (spotting && d.elevM.empty() && !LoadFloatGrids(d)) return Fail(kErrMemory);

  // Fuel beds of each model under its own moistures, when they do not vary by cell.
  const FuelModel fm10 = FuelModel::FromStandard(*FindStandardFuelModel(10));
  std::vector<FuelBedState> beds(257), beds10(257);
  if (!d.conditioned)
    for (int fm : d.present) {
      beds[fm] = ComputeFuelBed(d.models[fm], d.modelMoist[fm]);
      beds10[fm] = ComputeFuelBed(fm10, d.modelMoist[fm]);
    }
  // Moistures shared by sites: each model's beds once per site it grows on, not per cell.
  const ConditioningResult& cond = *d.cond;
  const bool bySite = d.conditioned && cond.site.size() == d.n && cond.sites > 0;
  const size_t models = d.present.size();
  std::vector<std::int32_t> slotOf;  // by site x model, -1 where no cell has the pair
  std::vector<FuelBedState> siteBeds, siteBeds10;
  std::vector<int> modelIndex(257, -1);
  if (bySite) {
    for (size_t k = 0; k < models; ++k) modelIndex[static_cast<size_t>(d.present[k])] = static_cast<int>(k);
    std::vector<size_t> firstCell;
    try {
      slotOf.assign(cond.sites * models, -1);
      for (size_t i = 0; i < d.n; ++i) {
        const int fm = d.fuel[i];
        if (cond.site[i] < 0 || fm < 1 || fm > 256 || modelIndex[static_cast<size_t>(fm)] < 0) continue;
        std::int32_t& slot = slotOf[static_cast<size_t>(cond.site[i]) * models + modelIndex[static_cast<size_t>(fm)]];
        if (slot >= 0) continue;
        slot = static_cast<std::int32_t>(firstCell.size());
        firstCell.push_back(i);
      }
      siteBeds.resize(firstCell.size());
      siteBeds10.resize(firstCell.size());
    } catch (const std::bad_alloc&) {
      return Fail(kErrMemory);
    }
    ForEachRow(static_cast<int>(firstCell.size()), d.threads, [&](int k) {
      const size_t i = firstCell[static_cast<size_t>(k)];
      const int fm = d.fuel[i];
      Moistures m = d.modelMoist[fm];
      m.m1 = cond.m1[i];
      m.m10 = cond.m10[i];
      m.m100 = cond.m100[i];
      siteBeds[static_cast<size_t>(k)] = ComputeFuelBed(d.models[fm], m);
      siteBeds10[static_cast<size_t>(k)] = ComputeFuelBed(fm10, m);
    });
  }

  const double wind20Const = Wind20Mph(in.windSpeed, in.windSpeedUnits);
  // Under a constant wind every open cell of a model, and every cell's crown, sees one wind.
  std::vector<double> openWaf(257, 0.0);
  for (int fm : d.present) {
    openWaf[fm] = UnshelteredWaf(d.models[fm].depth);
    if (d.conditioned || d.gridded) continue;
    CacheWindFactor(beds[fm], wind20Const * 88.0 * openWaf[fm]);
    CacheWindFactor(beds10[fm], 0.4 * (wind20Const * 88.0));
  }
  // The fire's shape only where an output asks for it.
  const bool shape = in.fixedSpreadDirection || want[kOutEllipseA] || want[kOutEllipseB] || want[kOutEllipseC];
  const bool uphill = in.windDirection == -1, downhill = in.windDirection == -2;
  const double windToConst = std::fmod(in.windDirection + 180.0, 360.0);
  const Bearing windToConstBearing(windToConst);
  std::atomic<long> rowsDone{0};
  const int rows = rows_, cols = cols_;
  const bool windVaries = d.gridded || uphill || downhill;
  std::optional<OpenCellFires> openFires;
  if (!d.conditioned && !windVaries && !shape) openFires.emplace(d, beds);
  OpenCellFires* open = openFires && openFires->Active() ? &*openFires : nullptr;
  // Each output's cells, or null when it is not made.
  std::array<float*, kOutputCount> out{};
  for (int k = 0; k < kOutputCount; ++k)
    if (want[k] && !grids_[k].empty()) out[k] = grids_[k].data();
  const bool moistureOut = out[kOutSolar] || out[kOutMoisture1] || out[kOutMoisture10] || out[kOutMoisture100] ||
                           out[kOutMoisture1000];
  auto put = [&out](int k, size_t i, double v) {
    if (out[k]) out[k][i] = static_cast<float>(v);
  };

  std::atomic<long> flatNoAspectAll{0}, noSlopeAll{0}, noElevationAll{0};
  const Bearing north(0.0);
  ForEachRow(rows, d.threads, [&](int r) {
    if (cancel_.load(std::memory_order_relaxed)) return;
    for (int k = 0; k < kOutputCount; ++k)
      if (out[k]) std::fill_n(out[k] + static_cast<size_t>(r) * cols, cols, kNoData);
    long flatNoAspect = 0, noSlope = 0, noElevation = 0;
    // Conditioned cells have beds of their own; the others share their model's. Kept out of the
    // cell loop: a bed is large, and clearing one per cell costs more than a cell's fire.
    FuelBedState cellBed, cellBed10;
    for (int c = 0; c < cols; ++c) {
      const size_t i = static_cast<size_t>(r) * cols + c;
      constexpr int kAhead = 16;
      if (open && c + kAhead < cols)
        if (const void* ahead = open->EntryOf(d.fuel[i + kAhead], d.slope[i + kAhead], d.aspect[i + kAhead]))
          __builtin_prefetch(ahead);
      const int fm = d.fuel[i];
      const int aspectKey = d.aspect[i] + 32768;
      double slopeTan = d.slopeTanOf[d.slope[i] + 32768], upslope = d.upslopeOf[aspectKey];
      const bool known = Burnable(fm) && d.known[fm];
      if (fm == -9999 || slopeTan == kNoData) {  // all stay -9999
        noSlope += fm != -9999 && known && d.models[fm].Burnable();
        continue;
      }
      // Flat ground burns whatever its aspect says (landscapes code it -1); a slope without an
      // aspect has no upslope to burn towards, so it burns as flat ground and is counted.
      const bool noAspect = upslope == kNoData;
      if (noAspect) {
        flatNoAspect += slopeTan != 0 && known && d.models[fm].Burnable();
        slopeTan = upslope = 0;
      }
      // Conditioning needs the elevation too: a cell without it has no moistures to burn with.
      if (d.conditioned && d.cond->m1[i] == kNoData) {
        noElevation += known && d.models[fm].Burnable();
        continue;
      }
      Moistures m;
      if (moistureOut || d.conditioned) {
        const bool haveM = known ? (m = d.modelMoist[fm], true) : d.MoistureOf(fm, m);
        if (d.conditioned) {
          m.m1 = d.cond->m1[i];
          m.m10 = d.cond->m10[i];
          m.m100 = d.cond->m100[i];
          put(kOutSolar, i, d.cond->solar[i]);
        }
        if (haveM || d.conditioned) {
          put(kOutMoisture1, i, m.m1);
          put(kOutMoisture10, i, m.m10);
          put(kOutMoisture100, i, m.m100);
          put(kOutMoisture1000, i, d.conditioned ? d.cond->m1000[i] : m.m100);
        }
      }

      const double wind20 = d.gridded ? d.windSpeed[i] : wind20Const;
      double windFrom = d.gridded ? d.windDir[i] : in.windDirection;
      if (!d.gridded && (uphill || downhill)) {
        // Blowing up the slope comes from below it; flat cells take the default direction.
        if (slopeTan <= 0) windFrom = in.defaultUpDownDirection;
        else windFrom = uphill ? upslope + 180.0 : upslope;
      }
      const double windTo = windVaries ? std::fmod(windFrom + 180.0, 360.0) : windToConst;

      if (!known || !d.models[fm].Burnable()) {
        for (int k : {kOutCrownState, kOutCrownFraction, kOutMaxSpot, kOutMaxSpotDir, kOutMaxSpotDx}) put(k, i, 0);
        continue;
      }
      const FuelBedState* bed = &beds[fm];
      const FuelBedState* bed10 = &beds10[fm];
      if (bySite) {
        const size_t slot = static_cast<size_t>(
            slotOf[static_cast<size_t>(cond.site[i]) * models + modelIndex[static_cast<size_t>(fm)]]);
        bed = &siteBeds[slot];
        bed10 = &siteBeds10[slot];
      } else if (d.conditioned) {
        cellBed = ComputeFuelBed(d.models[fm], m);
        cellBed10 = ComputeFuelBed(fm10, m);
        bed = &cellBed;
        bed10 = &cellBed10;
      }
      double shM = 0, cbhM = 0, cbd = 0, waf = openWaf[fm];
      bool sheltered = false;
      if (d.canopy) {
        const size_t h = static_cast<size_t>(d.height[i] + 32768);
        shM = d.standHeightMOf[h];
        cbhM = d.baseHeightMOf[static_cast<size_t>(d.baseHeight[i] + 32768)];
        cbd = d.densityOf[static_cast<size_t>(d.density[i] + 32768)];
        const double fill = d.fillOf[static_cast<size_t>(d.cover[i] + 32768)], shFt = d.standHeightFtOf[h];
        sheltered = fill >= 0.05 && shFt > 0;
        if (sheltered) waf = ShelteredWafOf(fill, shFt, d.wafLogOf[h]);
      }
      const CrownInput crown{cbhM, cbd, shM, in.foliarMoisture, in.crownMethod, want[kOutTorchingIndex],
                             want[kOutCrowningIndex]};
      auto compute = [&] {
        return ComputeFire(*bed, *bed10, wind20 * 88.0, waf, windVaries ? Bearing(windTo) : windToConstBearing,
                           slopeTan, noAspect ? north : d.upslopeBearingOf[aspectKey], crown, d.modelAdjust[fm],
                           shape);
      };
      // No crown can burn where the canopy lacks density or height. The shared fires know only
      // the stored aspects.
      const FireResult f = open && !sheltered && !(cbd > 0 && shM > 0) && d.aspect[i] != -9999
                               ? open->Fire(fm, d.slope[i], d.aspect[i], compute)
                               : compute();

      double ros = f.rosMMin, dir = f.direction;
      if (in.fixedSpreadDirection) {
        ros = RateAlong(f, in.spreadDirection);
        dir = in.spreadDirection;
      }
      const double fli = f.hpaKJm2 * ros / 60.0;
      const bool crowning = f.crownClass == kCrownPassive || f.crownClass == kCrownActive;
      if (out[kOutFlameLength])
        out[kOutFlameLength][i] = static_cast<float>(!in.fixedSpreadDirection ? f.flameM
                                                     : crowning              ? CrownFlameLength(fli)
                                                                             : SurfaceFlameLength(fli));
      put(kOutSpreadRate, i, ros);
      put(kOutIntensity, i, fli);
      put(kOutHeatArea, i, f.hpaKJm2);
      put(kOutReactionIntensity, i, f.reactionKWm2);
      put(kOutCrownState, i, f.crownClass);
      put(kOutCrownFraction, i, f.cfb);
      put(kOutMidflame, i, wind20 * waf);
      // Slope along the spread direction shortens the horizontal projection of the run.
      if (out[kOutHorizRate]) {
        const double along = slopeTan * std::cos((dir - upslope) * kPi / 180.0);
        put(kOutHorizRate, i, ros / std::sqrt(1.0 + along * along));
      }
      put(kOutMaxSpreadDir, i, f.direction * kPi / 180.0);
      put(kOutEllipseA, i, f.ellA);
      put(kOutEllipseB, i, f.ellB);
      put(kOutEllipseC, i, f.ellC);
      put(kOutTorchingIndex, i, f.torchingIndexMph);
      put(kOutCrowningIndex, i, f.crowningIndexMph);
      if (spotting) {
        // Firebrands of the surface fire come from its own intensity, not the burning canopy's;
        // they land on the ground downwind of the cell.
        const SpotSite site{d.elevM.data(), rows, cols, cell_, r, c, windTo};
        const double spot = MaxSpotDistanceM(f.surfaceFliKWm, crowning, shM, d.models[fm].depth, wind20, &site);
        put(kOutMaxSpot, i, PackMaxSpot(spot, windTo));
        put(kOutMaxSpotDir, i, spot > 0 ? windTo : 0.0);
        put(kOutMaxSpotDx, i, spot);
      }
    }
    if (flatNoAspect) flatNoAspectAll += flatNoAspect;
    if (noSlope) noSlopeAll += noSlope;
    if (noElevation) noElevationAll += noElevation;
    const long done = ++rowsDone;
    phase_[2].store(static_cast<double>(done) / rows, std::memory_order_relaxed);
    if ((done & 15) == 0) SetOverall(4, static_cast<double>(done) / rows);
  });
  if (cancel_) return Fail(kErrCancelled);
  flatNoAspect_ = flatNoAspectAll;
  noSlope_ = noSlopeAll;
  noElevation_ = noElevationAll;
  phase_[2] = 1.0;
  return kEngineOk;
}

std::string CPyrvane::GetCellNotes() const {
  std::string notes;
  auto line = [&notes](long count, const char* what) {
    if (count > 0) notes += "#" + std::to_string(count) + " " + what + "\r\n";
  };
  line(flatNoAspect_, "burnable cells with a slope but no aspect burned as flat ground");
  line(noSlope_, "burnable cells have no fire behaviour: their slope is missing");
  line(noElevation_, "burnable cells have no fire behaviour: their elevation is missing, which fuel conditioning needs");
  return notes;
}

int CPyrvane::WriteFiles() {
  const PyrvaneInputs& in = inputs_;
  if (in.memoryOutputs || in.tempStoragePath.empty()) return kEngineOk;
  for (int k = 0; k < kOutputCount; ++k) {
    if (grids_[k].empty()) continue;
    std::string path = in.tempStoragePath + "/pyrvane_" + kOutputFileNames[k] + ".tif";
    std::string why;
    const bool wind = (k == kOutWindDir || k == kOutWindSpeed) && windRows_ > 0;
    if (!WriteGridGeoTiff(path, grids_[k].data(), wind ? windRows_ : rows_, wind ? windCols_ : cols_,
                          wind ? windWest_ : west_, wind ? windSouth_ + windRows_ * windRes_ : north_,
                          wind ? windRes_ : cell_, kOutputFileNames[k], &why, land_->Projection()))
      return Fail(kErrOutputWrite, why);
  }
  return kEngineOk;
}
