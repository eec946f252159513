#include "engines/mtt_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>
#include <random>
#include <unordered_map>

#include "engines/inputs_file.h"
#include "engines/mtt_search.h"
#include "engines/mtt_shapes.h"
#include "engines/tom.h"
#include "engines/pyrvane.h"
#include "platform/atomic_file.h"
#include "platform/numbers.h"

namespace mtt = engines::mtt;

namespace {

constexpr double kNoData = -9999.0;
constexpr double kMphToMPerMin = 26.8224;
constexpr double kPi = 3.14159265358979323846;

// The grids of the fire-behaviour engine that the search reads.
constexpr int kInputsGrids[] = {engines::kOutSpreadRate, engines::kOutIntensity, engines::kOutCrownState,
                                engines::kOutMidflame,   engines::kOutMaxSpreadDir, engines::kOutEllipseA,
                                engines::kOutEllipseB,   engines::kOutEllipseC,     engines::kOutMaxSpot,
                                engines::kOutMaxSpotDir, engines::kOutMaxSpotDx};

// Ember reach of every cell from the inner engine's grids; empty when embers are off or the
// grids are missing.
mtt::SpotSettings SpotReach(CPyrvane& p, double probability, double delay) {
  mtt::SpotSettings sp;
  const float *crown = p.GetOutputLayer(engines::kOutCrownState), *dx = p.GetOutputLayer(engines::kOutMaxSpotDx),
              *sdir = p.GetOutputLayer(engines::kOutMaxSpotDir), *wind = p.GetOutputLayer(engines::kOutMidflame);
  if (!(probability > 0) || !crown || !dx || !sdir || !wind) return sp;
  const std::size_t n = static_cast<std::size_t>(p.GetNumRows()) * p.GetNumCols();
  sp.probability = probability;
  sp.delay = delay;
  sp.distance.assign(n, 0.f);
  sp.azimuth.assign(n, 0.f);
  sp.speed.assign(n, 0.f);
  for (std::size_t i = 0; i < n; ++i) {
    // Embers come from torching and crowning cells.
    if (!(crown[i] >= 2) || !(dx[i] > 0)) continue;
    sp.distance[i] = dx[i];
    sp.azimuth[i] = static_cast<float>(sdir[i] * kPi / 180.0);
    sp.speed[i] = static_cast<float>(std::max(0.f, wind[i]) * kMphToMPerMin);
  }
  return sp;
}

// The terrain of the engine's held cells as the lattice reads it: slope tangent and upslope
// azimuth (radians); flat where either is missing. False without memory or a landscape.
bool TerrainOf(CPyrvane& p, std::vector<float>& slopeTan, std::vector<float>& upslope) {
  std::vector<float> elev, slope, aspect, cover;
  double latitude = 0;
  if (!p.GetTerrain(elev, slope, aspect, cover, latitude)) return false;
  slopeTan.assign(slope.size(), 0.0f);
  upslope.assign(slope.size(), 0.0f);
  constexpr double kDeg = 3.14159265358979323846 / 180.0;
  for (std::size_t i = 0; i < slope.size(); ++i) {
    if (!(slope[i] > 0) || aspect[i] == kNoData) continue;
    slopeTan[i] = static_cast<float>(std::tan(slope[i] * kDeg));
    upslope[i] = static_cast<float>((aspect[i] + 180.0) * kDeg);
  }
  return true;
}

// The ellipse grids of a finished inner engine, read in place, with its terrain; false when
// missing.
bool GridsOf(CPyrvane& p, mtt::SpreadGrids& g, std::vector<float>& slopeTan, std::vector<float>& upslope) {
  g = {p.GetNumRows(), p.GetNumCols(), p.GetCellSize(), p.GetOutputLayer(engines::kOutEllipseB),
       p.GetOutputLayer(engines::kOutEllipseC), p.GetOutputLayer(engines::kOutMaxSpreadDir)};
  if (!g.b || !g.c || !g.dir || !TerrainOf(p, slopeTan, upslope)) return false;
  g.slopeTan = slopeTan.data();
  g.upslope = upslope.data();
  return true;
}

// The same grids as the search reads them; false when missing.
bool FieldOf(CPyrvane& p, mtt::SpreadField& field) {
  mtt::SpreadGrids g;
  std::vector<float> slopeTan, upslope;
  if (!GridsOf(p, g, slopeTan, upslope)) return false;
  const std::size_t n = static_cast<std::size_t>(g.rows) * g.cols;
  field.rows = g.rows;
  field.cols = g.cols;
  field.cell = g.cell;
  field.b.assign(g.b, g.b + n);
  field.c.assign(g.c, g.c + n);
  field.dir.assign(g.dir, g.dir + n);
  field.slopeTan.assign(slopeTan.begin(), slopeTan.end());
  field.upslope.assign(upslope.begin(), upslope.end());
  return true;
}

// Cells where the engine's landscape has data (its crown-state grid is 0 on non-burnable
// fuels and -9999 only where data is missing).
std::vector<char> KnownCells(CPyrvane& p) {
  const float* crown = p.GetOutputLayer(engines::kOutCrownState);
  const std::size_t n = static_cast<std::size_t>(p.GetNumRows()) * p.GetNumCols();
  std::vector<char> known(n, 0);
  if (crown)
    for (std::size_t i = 0; i < n; ++i) known[i] = crown[i] != static_cast<float>(kNoData);
  return known;
}

}  // namespace

struct QuickFireModel {
  std::string key;  // the settings and grids it was made from
  mtt::SearchModel model;
};

bool CPerimeterLine::GetPoint(int i, float* x, float* y) const {
  if (i < 0 || i >= GetNumPoints()) return false;
  *x = points_[static_cast<std::size_t>(i)].x;
  *y = points_[static_cast<std::size_t>(i)].y;
  return true;
}

bool CPerimeterLine::SetPoint(int i, float x, float y) {
  if (i < 0 || i >= GetNumPoints()) return false;
  points_[static_cast<std::size_t>(i)] = {x, y};
  return true;
}

void CPerimeter::SetNumLines(int n) { lines_.assign(n > 0 ? static_cast<std::size_t>(n) : 0, {}); }

CPerimeterLine* CPerimeter::GetLine(int i) {
  if (i < 0 || i >= GetNumLines()) return nullptr;
  return &lines_[static_cast<std::size_t>(i)];
}

CMinTravelTime::CMinTravelTime()
    : own_(std::make_unique<CPyrvane>()), pyrvane_(own_.get()), ideal_(std::make_unique<CPyrvane>()) {
  own_->SetUseDiskForLCP(0);
  ideal_->SetUseDiskForLCP(0);
}

CMinTravelTime::~CMinTravelTime() = default;

void CMinTravelTime::SetPyrvane(CPyrvane* pyrvane) { pyrvane_ = pyrvane ? pyrvane : own_.get(); }

int CMinTravelTime::SetLandscapeFile(const char* path) {
  return path && own_->SetLandscapeFile(path) == 1 ? 1 : 0;
}

void CMinTravelTime::SetAnalysisArea(double east, double west, double north, double south) {
  own_->SetAnalysisArea(east, west, north, south);
  hasArea_ = true;
  areaEast_ = east;
  areaWest_ = west;
  areaNorth_ = north;
  areaSouth_ = south;
}

int CMinTravelTime::Fail(int code, std::string detail) {
  lastCode_ = code;
  lastDetail_ = std::move(detail);
  return code;
}

const char* CMinTravelTime::CommandFileError(int code) {
  switch (code) {
    case kMttCannotOpenInputs: errorText_ = "Cannot open the inputs file."; break;
    case kMttBadInputs: errorText_ = "The inputs file holds an invalid setting."; break;
    case kMttNoLandscape: errorText_ = "No landscape is loaded."; break;
    case kMttFireBehavior: errorText_ = "The fire behaviour could not be computed."; break;
    case kMttIgnitionFile: errorText_ = "The ignition file cannot be read."; break;
    case kMttBarrierFile: errorText_ = "The barrier file cannot be read."; break;
    case kMttNoIgnition:
      errorText_ = "No ignition lies on a burnable cell of the analysis area.";
      break;
    case kMttCancelled: errorText_ = "The run was cancelled."; break;
    case kMttNoInputs: errorText_ = "No inputs file has been loaded."; break;
    case kTomIdealLandscape: errorText_ = "The ideal landscape cannot be used."; break;
    default: errorText_ = "Unknown minimum travel time error."; break;
  }
  if (code == lastCode_ && !lastDetail_.empty()) errorText_ += "\n" + lastDetail_;
  return errorText_.c_str();
}

int CMinTravelTime::ReadInputs(const char* file, std::string& text) {
  inputsLoaded_ = tomLoaded_ = false;
  std::error_code ec;
  constexpr std::uintmax_t kLargestInputs = 256u << 20;
  if (!file || std::filesystem::file_size(file, ec) > kLargestInputs || ec ||
      !platform::ReadWholeFile(file, text))
    return Fail(kMttCannotOpenInputs, file ? file : "");
  if (const int rc = own_->CommandTextLoad(text); rc != 1)
    return Fail(kMttBadInputs, own_->CommandFileError(rc));
  return 1;
}

int CMinTravelTime::LoadMTTInputs(const char* file) {
  std::string text;
  if (const int rc = ReadInputs(file, text); rc != 1) return rc;
  mtt::MttInputs in;
  std::string detail;
  if (mtt::ParseMttInputs(text, in, detail) != 1) return Fail(kMttBadInputs, detail);
  in_ = std::move(in);
  inputsLoaded_ = true;
  return 1;
}

int CMinTravelTime::LoadTOMInputs(const char* file) {
  std::string text;
  if (const int rc = ReadInputs(file, text); rc != 1) return rc;
  mtt::TomInputs in;
  std::string detail;
  if (mtt::ParseTomInputs(text, in, detail) != 1) return Fail(kMttBadInputs, detail);
  tom_ = std::move(in);
  in_ = tom_.mtt;
  tomText_ = std::move(text);
  tomLoaded_ = true;
  return 1;
}

int CMinTravelTime::LaunchTOM() {
  progress_.store(0.0);
  ClearOutputs();
  int rc = 0;
  try {
    rc = RunTOM();
  } catch (const std::bad_alloc&) {
    rc = Fail(kMttFireBehavior, "There is not enough memory for the treatment run.");
  }
  if (rc != 1) ClearOutputs();
  progress_.store(1.0);
  return rc;
}

int CMinTravelTime::RunTOM() {
  if (!tomLoaded_) return Fail(kMttNoInputs);
  // A treatment run works on its own engine, never on a lent one.
  pyrvane_ = own_.get();
  double lw = 0, le = 0, ln = 0, ls = 0, lcell = 0;
  if (!own_->GetLandscapeExtent(&lw, &le, &ln, &ls, &lcell) || !(lcell > 0)) return Fail(kMttNoLandscape);
  // The grid starts at the area's south-west corner, where the run's outputs are placed; a
  // resolution finer than the landscape's cells would only repeat them.
  double west = lw, east = le, north = ln, south = ls;
  if (hasArea_) {
    west = areaWest_;
    east = areaEast_;
    north = areaNorth_;
    south = areaSouth_;
  }
  if (!(std::min(east, le) > std::max(west, lw) && std::min(north, ln) > std::max(south, ls)))
    return Fail(kMttNoLandscape, "The analysis area does not overlap the landscape.");
  const double cell = std::max(in_.resolution, lcell);
  const double cols = std::ceil((east - west) / cell - 1e-9), rows = std::ceil((north - south) / cell - 1e-9);
  // An area far beyond the landscape would only add cells without data.
  const double landCells = std::ceil((le - lw) / lcell) * std::ceil((ln - ls) / lcell);
  if (!(rows * cols <= 4 * landCells + 1))
    return Fail(kMttNoLandscape, "The analysis area reaches far beyond the landscape.");
  rows_ = static_cast<int>(rows);
  cols_ = static_cast<int>(cols);
  cell_ = cell;
  west_ = west;
  north_ = south + rows_ * cell;
  const std::size_t n = static_cast<std::size_t>(rows_) * cols_;
  // The ideal landscape first, so that output files an inputs file may ask for end up as
  // the landscape's own.
  const std::string& idealPath = tom_.idealLandscape;
  if (ideal_->SetLandscapeFile(idealPath.c_str()) != 1)
    return Fail(kTomIdealLandscape, "TREAT_IDEAL_LANDSCAPE: " + idealPath + " cannot be read as a landscape.");
  if (const int rc = ideal_->CommandTextLoad(tomText_); rc != 1)
    return Fail(kMttBadInputs, ideal_->CommandFileError(rc));
  ideal_->SetHeldGrid(west_, north_, cell_, rows_, cols_);
  if (const int fb = RunFireBehavior(*ideal_); fb != 1) return fb;
  own_->SetHeldGrid(west_, north_, cell_, rows_, cols_);
  if (const int fb = RunFireBehavior(*own_); fb != 1) return fb;

  mtt::SpreadField now, ideal;
  if (!FieldOf(*own_, now) || !FieldOf(*ideal_, ideal))
    return Fail(kMttFireBehavior, "The fire-behaviour grids are missing.");
  const std::vector<char> landKnown = KnownCells(*own_), idealKnown = KnownCells(*ideal_);
  if (std::find(idealKnown.begin(), idealKnown.end(), 1) == idealKnown.end())
    return Fail(kTomIdealLandscape, "TREAT_IDEAL_LANDSCAPE: " + idealPath + " does not cover the analysis area.");
  // Treatment and opportunity flags, no data where the landscape has none.
  auto flags = [&](const std::vector<char>& on, auto& out, auto onValue) {
    out.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) out[i] = landKnown[i] ? (on[i] ? onValue(i) : 0) : kNoData;
  };

  if (tom_.opportunitiesOnly == 1) {
    const std::vector<char> opportunity = engines::tom::Opportunities(now, ideal, idealKnown);
    flags(opportunity, opportunity_, [](std::size_t) { return 1.f; });
    return 1;
  }

  std::vector<mtt::Shape> shapes;
  std::string error;
  if (!mtt::ReadShapes(tom_.ignitionFile, shapes, error)) return Fail(kMttIgnitionFile, "TREAT_IGNITION: " + error);
  std::vector<char> mask;
  mtt::MarkShapes(shapes, {rows_, cols_, west_, north_, cell_}, true, mask);
  engines::tom::Settings ts;
  for (std::size_t i = 0; i < mask.size(); ++i)
    if (mask[i] && now.b[i] > 0) ts.search.ignitions.push_back(static_cast<int>(i));
  if (ts.search.ignitions.empty()) return Fail(kMttNoIgnition);

  const std::size_t area = static_cast<std::size_t>(std::count(landKnown.begin(), landKnown.end(), 1));
  ts.iterations = tom_.iterations;
  ts.unitCells = std::max(1, static_cast<int>(std::floor(tom_.dimension / cell_ + 1e-9)));
  ts.budgetCells = static_cast<std::size_t>(std::floor(tom_.fraction * static_cast<double>(area) + 1e-9));
  ts.search.maxTime = in_.simTime;
  ts.search.lateral = in_.lateral;
  ts.search.vertical = in_.vertical;
  ts.search.cancel = &cancel_;
  seedUsed_ = seed_ >= 0 ? seed_ : static_cast<int>(std::random_device{}() & 0x7fffffff);
  ts.search.spots = SpotReach(*own_, in_.spotProbability, in_.spotDelay);
  ts.search.spots.seed = static_cast<std::uint64_t>(seedUsed_);
  ts.progress = &progress_;

  const engines::tom::Result result = engines::tom::Optimise(now, ideal, idealKnown, ts);
  if (result.cancelled || cancel_.load()) return Fail(kMttCancelled);

  // Treated cells burn with the ideal fuels' intensity.
  const float *fliNow = own_->GetOutputLayer(engines::kOutIntensity),
              *fliIdeal = ideal_->GetOutputLayer(engines::kOutIntensity);
  std::vector<float> fli;
  if (fliNow && fliIdeal) {
    fli.assign(fliNow, fliNow + n);
    for (std::size_t i = 0; i < n; ++i)
      if (result.treatment[i] > 0) fli[i] = fliIdeal[i];
  }
  KeepFire(result.treated, fli.empty() ? nullptr : fli.data(), result.fire, ts.search.ignitions, true);
  flags(result.opportunity, opportunity_, [](std::size_t) { return 1.f; });
  std::vector<char> treated(n, 0);
  for (std::size_t i = 0; i < n; ++i) treated[i] = result.treatment[i] > 0;
  flags(treated, treatment_, [&](std::size_t i) { return static_cast<double>(result.treatment[i]); });
  return 1;
}

void CMinTravelTime::CancelMTT() {
  cancel_.store(true);
  // Only the own engine may be stopped: a lent one is shared by other fires.
  if (pyrvane_ == own_.get()) own_->CancelPyrvane();
  ideal_->CancelPyrvane();
}

float* CMinTravelTime::GetPyrvaneOutputLayer(int index) { return pyrvane_->GetOutputLayer(index); }

void CMinTravelTime::ClearOutputs() {
  arrival_.clear();
  ros_.clear();
  influence_.clear();
  treatment_.clear();
  opportunity_.clear();
  fli_.clear();
  ignition_.clear();
  major_.clear();
  flow_.clear();
  spots_.SetNumSpots(0);
  perimeter_.SetNumLines(0);
  hasPerimeter_ = false;
  quickRan_ = quickGridsMade_ = false;
}

void CMinTravelTime::ResetMTT() {
  ClearOutputs();
  progress_.store(0.0);
  cancel_.store(false);
  hasIgnitionPoint_ = false;
}

void CMinTravelTime::SetBarriers(const char* path) { in_.barrierFile = path ? path : ""; }

bool CMinTravelTime::Barriers(std::vector<char>& mask) {
  mask.clear();
  if (in_.barrierFile.empty()) return true;
  std::vector<mtt::Shape> shapes;
  std::string error;
  if (!mtt::ReadShapes(in_.barrierFile, shapes, error)) {
    Fail(kMttBarrierFile, error);
    return false;
  }
  const CPyrvane& p = *pyrvane_;
  mtt::MarkShapes(shapes, {p.GetNumRows(), p.GetNumCols(), p.GetWest(), p.GetNorth(), p.GetCellSize()},
                  in_.fillBarriers == 1, mask);
  return true;
}

int CMinTravelTime::LaunchMTT() {
  progress_.store(0.0);
  ClearOutputs();
  int rc = [&] {
    if (!inputsLoaded_) return Fail(kMttNoInputs);
    CPyrvane& p = *pyrvane_;
    if (p.GetNumRows() <= 0 || p.GetNumCols() <= 0) return Fail(kMttNoLandscape);
    p.ResampleLandscape(in_.resolution);
    if (const int fb = RunFireBehavior(p); fb != 1) return fb;

    std::vector<mtt::Shape> shapes;
    std::string error;
    if (!mtt::ReadShapes(in_.ignitionFile, shapes, error)) return Fail(kMttIgnitionFile, error);
    std::vector<char> mask;
    mtt::MarkShapes(shapes, {p.GetNumRows(), p.GetNumCols(), p.GetWest(), p.GetNorth(), p.GetCellSize()},
                    true, mask);
    std::vector<int> ignitions;
    for (std::size_t i = 0; i < mask.size(); ++i)
      if (mask[i]) ignitions.push_back(static_cast<int>(i));
    std::vector<char> barriers;
    if (!Barriers(barriers)) return lastCode_;
    return Search(ignitions, barriers, true);
  }();
  progress_.store(1.0);
  return rc;
}

int CMinTravelTime::RunFireBehavior(CPyrvane& p) {
  for (int index : kInputsGrids) p.SelectOutputLayer(index, 1);
  const int fb = p.LaunchPyrvane(0);
  if (cancel_.load()) return Fail(kMttCancelled);
  if (fb != 1) return Fail(kMttFireBehavior, p.CommandFileError(fb));
  return 1;
}

int CMinTravelTime::SetIgnitionPoint(double x, double y) {
  ignitionX_ = x;
  ignitionY_ = y;
  hasIgnitionPoint_ = true;
  if (in_.barrierFile.empty() || in_.fillBarriers != 1) return 1;
  const CPyrvane& p = *pyrvane_;
  const double cx = (x - p.GetWest()) / p.GetCellSize(), cy = (p.GetNorth() - y) / p.GetCellSize();
  if (!(cx >= 0 && cy >= 0 && cx < p.GetNumCols() && cy < p.GetNumRows())) return 1;
  const std::vector<char>* mask = CachedBarriers();
  if (!mask || mask->empty()) return 1;
  return (*mask)[static_cast<std::size_t>(cy) * p.GetNumCols() + static_cast<std::size_t>(cx)] ? 0 : 1;
}

const std::vector<char>* CMinTravelTime::CachedBarriers() {
  const CPyrvane& p = *pyrvane_;
  const std::string key = in_.barrierFile + '\n' + std::to_string(in_.fillBarriers) + ' ' +
                          std::to_string(p.GetNumRows()) + ' ' + std::to_string(p.GetNumCols()) + ' ' +
                          platform::FormatC("%.17g %.17g %.17g", p.GetWest(), p.GetNorth(), p.GetCellSize());
  if (key != barrierKey_) {
    barrierKey_ = key;
    barrierOk_ = Barriers(barrierMask_);
  }
  return barrierOk_ ? &barrierMask_ : nullptr;
}

std::string CMinTravelTime::QuickKey() const {
  CPyrvane& p = *pyrvane_;
  return platform::FormatC("%p %p %p %d %d %.17g %.17g %.17g %d %d %d %.17g %d ", static_cast<void*>(&p),
                           static_cast<void*>(p.GetOutputLayer(engines::kOutEllipseB)),
                           static_cast<void*>(p.GetOutputLayer(engines::kOutMaxSpreadDir)), p.GetNumRows(),
                           p.GetNumCols(), p.GetWest(), p.GetNorth(), p.GetCellSize(), in_.lateral, in_.vertical,
                           in_.fillBarriers, in_.spotProbability, in_.spotDelay) +
         in_.barrierFile;
}

std::shared_ptr<const QuickFireModel> CMinTravelTime::GetQuickFireModel() {
  const std::string key = QuickKey();
  if (quickModel_ && quickModel_->key == key) return quickModel_;
  quickModel_.reset();
  CPyrvane& p = *pyrvane_;
  mtt::SpreadGrids grids;
  std::vector<float> slopeTan, upslope;
  if (!GridsOf(p, grids, slopeTan, upslope)) return nullptr;
  const std::vector<char>* barriers = CachedBarriers();
  if (!barriers) return nullptr;
  auto model = std::make_shared<QuickFireModel>();
  model->key = key;
  model->model = mtt::BuildModel(grids, in_.lateral, in_.vertical, *barriers,
                                 SpotReach(p, in_.spotProbability, in_.spotDelay), processors_);
  quickModel_ = std::move(model);
  return quickModel_;
}

std::size_t CMinTravelTime::QuickFireModelBytesPerNode() {
  return sizeof(mtt::SearchModel::Slowness) + sizeof(double) + 3 * sizeof(float);
}
std::size_t CMinTravelTime::QuickFireBytesPerNode() { return mtt::SearchWorkspace::kBytesPerNode; }

const std::vector<int>& CMinTravelTime::GetQuickBurned() const {
  static const std::vector<int> kNone;
  return quickRan_ ? quick_->Order() : kNone;
}

double CMinTravelTime::GetQuickArrival(int node) const { return quickRan_ ? quick_->Arrival(node) : kNoData; }
double CMinTravelTime::GetQuickRate(int node) const { return quickRan_ ? quick_->Rate(node) : kNoData; }


CMinTravelTime& CMinTravelTime::QuickGrids() {
  if (!quickRan_ || quickGridsMade_) return *this;
  quickGridsMade_ = true;
  const std::size_t n = static_cast<std::size_t>(rows_) * cols_;
  arrival_.assign(n, kNoData);
  ros_.assign(n, kNoData);
  for (int v : quick_->Order()) {
    arrival_[v] = quick_->Arrival(v);
    ros_[v] = quick_->Rate(v);
  }
  return *this;
}

int CMinTravelTime::LaunchMTTQuick() {
  progress_.store(0.0);
  ClearOutputs();
  int rc = [&] {
    CPyrvane& p = *pyrvane_;
    if (!p.GetOutputLayer(engines::kOutEllipseB) || !p.GetOutputLayer(engines::kOutEllipseC) ||
        !p.GetOutputLayer(engines::kOutMaxSpreadDir))
      return Fail(kMttFireBehavior, "The fire-behaviour grids have not been computed.");
    if (!hasIgnitionPoint_) return Fail(kMttNoIgnition);
    const double cx = (ignitionX_ - p.GetWest()) / p.GetCellSize();
    const double cy = (p.GetNorth() - ignitionY_) / p.GetCellSize();
    if (!(cx >= 0 && cy >= 0 && cx < p.GetNumCols() && cy < p.GetNumRows())) return Fail(kMttNoIgnition);
    const std::shared_ptr<const QuickFireModel> shared = GetQuickFireModel();
    if (!shared) return lastCode_ == kMttBarrierFile ? lastCode_ : Fail(kMttFireBehavior);
    const mtt::SearchModel& m = shared->model;
    const int node = static_cast<int>(cy) * p.GetNumCols() + static_cast<int>(cx);
    if (!m.Burnable(static_cast<std::size_t>(node))) return Fail(kMttNoIgnition);
    rows_ = m.rows;
    cols_ = m.cols;
    cell_ = m.cell;
    west_ = p.GetWest();
    north_ = p.GetNorth();
    seedUsed_ = seed_ >= 0 ? seed_ : static_cast<int>(std::random_device{}() & 0x7fffffff);
    if (!quick_) quick_ = std::make_unique<mtt::SearchWorkspace>();
    if (!quick_->Run(m, {node}, in_.simTime, static_cast<std::uint64_t>(seedUsed_), &cancel_))
      return Fail(kMttCancelled);
    quickRan_ = true;
    return 1;
  }();
  progress_.store(1.0);
  return rc;
}

int CMinTravelTime::Search(const std::vector<int>& ignitions, const std::vector<char>& barriers, bool paths) {
  const CPyrvane& p = *pyrvane_;
  rows_ = p.GetNumRows();
  cols_ = p.GetNumCols();
  cell_ = p.GetCellSize();
  west_ = p.GetWest();
  north_ = p.GetNorth();
  mtt::SpreadField field;
  if (!FieldOf(*pyrvane_, field)) return Fail(kMttFireBehavior, "The fire-behaviour grids are missing.");

  mtt::SearchSettings s;
  s.maxTime = in_.simTime;
  s.lateral = in_.lateral;
  s.vertical = in_.vertical;
  s.removed = barriers;
  s.cancel = &cancel_;
  s.progress = &progress_;
  for (int v : ignitions)
    if (field.b[v] > 0 && (barriers.empty() || !barriers[v])) s.ignitions.push_back(v);
  if (s.ignitions.empty()) return Fail(kMttNoIgnition);

  seedUsed_ = seed_ >= 0 ? seed_ : static_cast<int>(std::random_device{}() & 0x7fffffff);
  s.spots = SpotReach(*pyrvane_, in_.spotProbability, in_.spotDelay);
  s.spots.seed = static_cast<std::uint64_t>(seedUsed_);

  mtt::SearchResult r = mtt::RunSearch(field, s);
  if (r.cancelled) return Fail(kMttCancelled);
  KeepFire(field, pyrvane_->GetOutputLayer(engines::kOutIntensity), r, s.ignitions, paths);
  return 1;
}

void CMinTravelTime::KeepFire(const mtt::SpreadField& field, const float* fli, const mtt::SearchResult& r,
                              const std::vector<int>& ignitions, bool paths) {
  const std::size_t n = static_cast<std::size_t>(rows_) * cols_;
  arrival_.assign(n, kNoData);
  ros_.assign(n, kNoData);
  fli_.assign(n, static_cast<float>(kNoData));
  ignition_.assign(n, 0.f);
  for (int v : ignitions) ignition_[v] = 1.f;
  std::vector<double> influence = mtt::Influence(r);
  influence_.assign(n, kNoData);
  for (int v : r.order) {
    arrival_[v] = r.arrival[v];
    ros_[v] = r.rate[v];
    influence_[v] = influence[v];
    // The head-fire intensity scaled by the travel rate over the head rate.
    const double head = field.b[v] + field.c[v];
    if (fli && fli[v] >= 0 && head > 0) fli_[v] = static_cast<float>(fli[v] * r.rate[v] / head);
  }

  auto centre = [&](int v) {
    return std::pair<float, float>(static_cast<float>(west_ + (v % cols_ + 0.5) * cell_),
                                   static_cast<float>(north_ - (v / cols_ + 0.5) * cell_));
  };
  spots_.SetNumSpots(static_cast<int>(r.spots.size()));
  for (std::size_t i = 0; i < r.spots.size(); ++i) {
    const auto& e = r.spots[i];
    auto [lx, ly] = centre(e.from);
    auto [tx, ty] = centre(e.to);
    spots_.SetSpot(static_cast<int>(i), lx, ly, tx, ty, e.launch, e.land);
  }

  if (paths) {
    // Paths are traced back from their far end until they meet the fire's origin or a path
    // already drawn, and kept from the origin outwards.
    const int k = std::max(1, static_cast<int>(std::lround(in_.pathInterval / cell_)));
    std::vector<char> drawn(n, 0);
    auto trace = [&](int v, std::vector<Path>& out) {
      Path path;
      while (v >= 0) {
        path.push_back(centre(v));
        if (drawn[v]) break;
        drawn[v] = 1;
        v = r.parent[v];
      }
      std::reverse(path.begin(), path.end());
      out.push_back(std::move(path));
    };
    // Major paths: the branches that carry the fire to at least an interval's square of nodes.
    const double major = static_cast<double>(k) * k;
    std::vector<char> feeds(n, 0);
    for (int v : r.order)
      if (influence[v] >= major && r.parent[v] >= 0) feeds[r.parent[v]] = 1;
    for (int v : r.order)
      if (influence[v] >= major && !feeds[v]) trace(v, major_);
    // Flow paths: from every burned node of a lattice at the interval's spacing.
    std::fill(drawn.begin(), drawn.end(), 0);
    for (int row = k / 2; row < rows_; row += k)
      for (int col = k / 2; col < cols_; col += k) {
        const int v = row * cols_ + col;
        if (r.arrival[v] >= 0 && !drawn[v]) trace(v, flow_);
      }
  }
}

void CMinTravelTime::OutlineQuickFire() {
  const std::vector<int>& order = quick_->Order();
  if (order.empty()) return;
  // The outline of the burned cells, each ring with the burned side on its left.
  auto in = [&](int row, int col) {
    return row >= 0 && col >= 0 && row < rows_ && col < cols_ && quick_->Arrival(row * cols_ + col) >= 0;
  };
  const long long W = cols_ + 1;
  std::unordered_multimap<long long, long long> next;  // corner -> corner
  for (int v : order) {
    const int row = v / cols_, col = v % cols_;
    const long long nw = row * W + col, ne = nw + 1, sw = nw + W, se = sw + 1;
    if (!in(row - 1, col)) next.emplace(ne, nw);
    if (!in(row, col - 1)) next.emplace(nw, sw);
    if (!in(row + 1, col)) next.emplace(sw, se);
    if (!in(row, col + 1)) next.emplace(se, ne);
  }
  std::vector<std::vector<long long>> rings;
  while (!next.empty()) {
    auto it = next.begin();
    const long long start = it->first;
    std::vector<long long> ring{start};
    long long at = it->second;
    next.erase(it);
    while (at != start) {
      ring.push_back(at);
      auto step = next.find(at);
      if (step == next.end()) break;
      at = step->second;
      next.erase(step);
    }
    ring.push_back(start);
    rings.push_back(std::move(ring));
  }
  perimeter_.SetNumLines(static_cast<int>(rings.size()));
  for (std::size_t i = 0; i < rings.size(); ++i) {
    CPerimeterLine* line = perimeter_.GetLine(static_cast<int>(i));
    line->SetNumPoints(static_cast<int>(rings[i].size()));
    for (std::size_t j = 0; j < rings[i].size(); ++j)
      line->SetPoint(static_cast<int>(j), static_cast<float>(west_ + (rings[i][j] % W) * cell_),
                     static_cast<float>(north_ - (rings[i][j] / W) * cell_));
  }
  hasPerimeter_ = true;
}

CPerimeter* CMinTravelTime::GetFirePerimeter(int) {
  // A quick fire is outlined only when its outline is asked for.
  if (quickRan_ && !hasPerimeter_) OutlineQuickFire();
  return hasPerimeter_ ? &perimeter_ : nullptr;
}

long CMinTravelTime::PathSize(const std::vector<Path>& paths, long i) {
  return i >= 0 && i < static_cast<long>(paths.size()) ? static_cast<long>(paths[i].size()) : 0;
}

std::pair<float, float> CMinTravelTime::PathPoint(const std::vector<Path>& paths, long path, long i) {
  if (i < 0 || i >= PathSize(paths, path)) return {0.f, 0.f};
  return paths[path][i];
}

bool CMinTravelTime::WriteEmberCSV(const char* path) {
  if (!path) return false;
  std::string text = "Launch_X, Launch_Y, Land_X, Land_Y, Launch_Time, Land_Time\r\n";
  char line[256];
  for (int i = 0; i < spots_.GetNumSpots(); ++i) {
    const CMTTSpot* s = spots_.GetSpot(i);
    std::snprintf(line, sizeof line, "%f, %f, %f, %f, %f, %f\r\n", s->GetLaunchX(), s->GetLaunchY(),
                  s->GetLandX(), s->GetLandY(), s->GetLaunchTime(), s->GetLandTime());
    text += line;
  }
  return platform::WriteFileAtomically(path, text);
}
