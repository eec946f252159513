#include "engines/embrith_engine.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>

#include "engines/conditioning.h"
#include "engines/inputs_file.h"
#include "engines/mtt_shapes.h"
#include "engines/pyrvane.h"
#include "landscape/units.h"
#include "platform/atomic_file.h"
#include "platform/numbers.h"
#include "themes/shapefile_writer.h"

namespace growth = engines::growth;
using platform::FormatC;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNoData = -9999.0;

// The inner engine's grids a growth step reads.
enum Layer { kA, kB, kC, kDir, kFlame, kRos, kFli, kHpa, kCrown, kSpotDx, kSpotDir, kReaction, kLayers };
constexpr int kSource[kLayers] = {engines::kOutEllipseA,  engines::kOutEllipseB,   engines::kOutEllipseC,
                                  engines::kOutMaxSpreadDir, engines::kOutFlameLength, engines::kOutSpreadRate,
                                  engines::kOutIntensity, engines::kOutHeatArea,   engines::kOutCrownState,
                                  engines::kOutMaxSpotDx, engines::kOutMaxSpotDir, engines::kOutReactionIntensity};
// The inputs-file keys of the grids; the reaction intensity has none and is selected directly.
constexpr const char* kKeys[kLayers] = {"ELLIPSEDIM_A", "ELLIPSEDIM_B", "ELLIPSEDIM_C", "MAXSPREADDIR",
                                        "FLAMELENGTH",  "SPREADRATE",   "INTENSITY",    "HEATAREA",
                                        "CROWNSTATE",   "MAXSPOT_DX",   "MAXSPOT_DIR",  "REACTION_INTENSITY"};
constexpr double kKJMinPerKW = 60.0;  // kW/m2 to kJ/min/m2, the unit of the reaction intensity theme

struct WindChange {
  double minutes = 0, speed = 0, direction = 0;
  int units = 0;
};

// Month, day and hhmm of a moment given as minutes of a 365-day year (wrapping).
void DateOf(double minutesOfYear, int& month, int& day, int& hhmm) {
  double m = std::fmod(minutesOfYear, 525600.0);
  if (m < 0) m += 525600.0;
  int dayOfYear = static_cast<int>(m / 1440.0);  // DaysBeforeMonth + day, day from 1
  const int minuteOfDay = static_cast<int>(std::lround(m - dayOfYear * 1440.0));
  month = 12;
  while (month > 1 && engines::DaysBeforeMonth(month) >= dayOfYear) --month;
  day = dayOfYear - engines::DaysBeforeMonth(month);
  if (day < 1) day = 1;
  hhmm = minuteOfDay / 60 * 100 + minuteOfDay % 60;
}

std::string FolderOf(const std::string& file) {
  std::string f = file;
  std::replace(f.begin(), f.end(), '\\', '/');
  const std::size_t at = f.rfind('/');
  return at == std::string::npos ? std::string() : f.substr(0, at);
}

}  // namespace

// The fire behaviour of one weather: the inner engine's grids, copied.
struct CEmbrith::Behavior {
  std::vector<float> g[kLayers];
  double speed = -1, direction = -1;
  int units = -1;
  double moistureHour = -1;  // the conditioned hour whose fuel moistures it burns in, -1 held moistures
  const engines::AtmEntryFiles* atm = nullptr;
};

CEmbrith::CEmbrith() : pyrvane_(std::make_unique<CPyrvane>()) { pyrvane_->SetUseDiskForLCP(0); }
CEmbrith::~CEmbrith() = default;

int CEmbrith::SetLandscapeFile(const char* path) { return path && pyrvane_->SetLandscapeFile(path) == 1 ? 1 : 0; }

void CEmbrith::SetLandscape(std::unique_ptr<engines::LandscapeSource> source) {
  pyrvane_->SetLandscape(std::move(source));
}

void CEmbrith::CancelEmbrith() {
  cancel_.store(true);
  pyrvane_->CancelPyrvane();
}

int CEmbrith::Fail(int code, std::string detail) {
  lastCode_ = code;
  lastDetail_ = std::move(detail);
  return code;
}

const char* CEmbrith::CommandFileError(int code) {
  switch (code) {
    case 0: errorText_ = "A fire growth output could not be written."; break;
    case kEmbrithNotAvailable: errorText_ = "The fire growth engine is not available."; break;
    case kEmbrithCannotOpenInputs: errorText_ = "Cannot open the inputs file."; break;
    case kEmbrithBadInputs: errorText_ = "The fire growth inputs file holds an invalid setting."; break;
    case kEmbrithNoLandscape: errorText_ = "No landscape is loaded."; break;
    case kEmbrithFireBehavior: errorText_ = "The fire behaviour could not be computed."; break;
    case kEmbrithIgnitionFile: errorText_ = "The ignition file cannot be read."; break;
    case kEmbrithBarrierFile: errorText_ = "The barrier file cannot be read."; break;
    case kEmbrithNoIgnition: errorText_ = "No ignition lies on a burnable cell of the landscape."; break;
    case kEmbrithCancelled: errorText_ = "The run was cancelled."; break;
    case kEmbrithNoInputs: errorText_ = "No inputs file has been loaded."; break;
    case kEmbrithAtmFile: errorText_ = "The ATM file cannot be read."; break;
    case kEmbrithMemory: errorText_ = "Not enough memory for the run."; break;
    default: errorText_ = "Unknown fire growth error."; break;
  }
  if (code == lastCode_ && !lastDetail_.empty()) errorText_ += "\n" + lastDetail_;
  return errorText_.c_str();
}

void CEmbrith::GetSimTimes(int* elapsed, int* month, int* day, int* time, int* minute) const {
  const int hhmm = simTime_.load();
  if (elapsed) *elapsed = simElapsed_.load();
  if (month) *month = simMonth_.load();
  if (day) *day = simDay_.load();
  if (time) *time = hhmm;
  if (minute) *minute = hhmm % 100;
}

int CEmbrith::LoadEmbrithInputs(const char* file) {
  loaded_ = false;
  std::string text;
  std::error_code ec;
  constexpr std::uintmax_t kLargestInputs = 256u << 20;
  if (!file || std::filesystem::file_size(file, ec) > kLargestInputs || ec || !platform::ReadWholeFile(file, text))
    return Fail(kEmbrithCannotOpenInputs, file ? file : "");
  return LoadEmbrithText(text, FolderOf(file));
}

int CEmbrith::LoadEmbrithText(const std::string& text, const std::string& folder) {
  loaded_ = false;
  engines::EmbrithInputs in;
  std::string detail;
  if (engines::ParseEmbrithInputs(text, in, detail) != 1) return Fail(kEmbrithBadInputs, detail);
  // The keys shared with the fire-behaviour engine are checked by its own parser.
  const std::size_t eol = text.find('\n');
  const std::string body = eol == std::string::npos ? std::string() : text.substr(eol + 1);
  engines::PyrvaneInputs common;
  if (engines::ParsePyrvaneInputs("Pyrvane-Inputs-File-Version-1\n" + body, common, detail) != engines::kEngineOk)
    return Fail(kEmbrithBadInputs, detail);
  engines::AtmWinds atm;
  if (!in.atmFile.empty()) {
    std::string atmText;
    std::error_code ec;
    if (std::filesystem::file_size(in.atmFile, ec) > (64u << 20) || ec || !platform::ReadWholeFile(in.atmFile, atmText))
      return Fail(kEmbrithAtmFile, in.atmFile);
    if (engines::ParseAtmText(atmText, FolderOf(in.atmFile), in.refMonth, in.refMinutes, atm, detail) != 1)
      return Fail(kEmbrithAtmFile, in.atmFile + ": " + detail);
  }
  if (common.hasArea) pyrvane_->SetAnalysisArea(common.areaEast, common.areaWest, common.areaNorth, common.areaSouth);
  in_ = std::move(in);
  atm_ = std::move(atm);
  text_ = body;
  folder_ = folder;
  loaded_ = true;
  return 1;
}

double CEmbrith::GetBurnedArea(double elapsed) const {
  // Fires run counter-clockwise and enclaves clockwise, so the signed areas add up to the
  // burned ground.
  double area = 0;
  for (const EmbrithPerimeter& p : perimeters_)
    if (std::fabs(p.elapsed - elapsed) < 1e-6) area += growth::SignedArea(p.ring);
  return area;
}

int CEmbrith::WriteSpotDataFile(const char* path) {
  std::string text = "Launch_X, Launch_Y, Land_X, Land_Y, Launch_Time, Land_Time\r\n";
  for (int i = 0; i < spots_.GetNumSpots(); ++i) {
    const CEmbrithSpot* s = spots_.GetSpot(i);
    text += FormatC("%.2f, %.2f, %.2f, %.2f, %.2f, %.2f\r\n", s->GetLaunchX(), s->GetLaunchY(), s->GetLandX(),
                    s->GetLandY(), s->GetLaunchTime(), s->GetLandTime());
  }
  if (!path || !platform::WriteFileAtomically(path, text)) {
    Fail(0, std::string("Cannot write the spot data file ") + (path ? path : "") + ".");
    return 0;
  }
  return 1;
}

int CEmbrith::WritePerimetersShapeFile(const char* path) {
  if (!path) return Fail(0, "No perimeter file name."), 0;
  ShapefileWriter w(path, SHPT_POLYGON);
  bool ok = w.Open() && w.AddField("Month", FTInteger, 4, 0) && w.AddField("Day", FTInteger, 4, 0) &&
            w.AddField("Hour", FTInteger, 6, 0) && w.AddField("Elapsed_Mi", FTDouble, 16, 4) &&
            w.AddField("Fire_Type", FTString, 64, 0);
  for (const EmbrithPerimeter& p : perimeters_) {
    if (!ok) break;
    // Each perimeter is its own record: its ring closed and clockwise, as a shapefile's outer rings are.
    std::vector<double> x, y;
    for (auto it = p.ring.rbegin(); it != p.ring.rend(); ++it) x.push_back(it->x), y.push_back(it->y);
    if (growth::SignedArea(p.ring) < 0) std::reverse(x.begin(), x.end()), std::reverse(y.begin(), y.end());
    x.push_back(x.front());
    y.push_back(y.front());
    const int rec = w.WriteShape(SHPT_POLYGON, static_cast<int>(x.size()), x.data(), y.data(), nullptr);
    ok = rec >= 0 && w.WriteInteger(rec, 0, p.month) && w.WriteInteger(rec, 1, p.day) &&
         w.WriteInteger(rec, 2, p.hour) && w.WriteDouble(rec, 3, p.elapsed) &&
         w.WriteString(rec, 4, p.fireType == 2 ? "Enclave Fire" : "Expanding Fire");
  }
  ok = ok && w.Commit(pyrvane_->GetProjection());
  if (!ok) return Fail(0, w.Error().empty() ? std::string("Cannot write ") + path : w.Error()), 0;
  return 1;
}

int CEmbrith::LaunchEmbrith() {
  progress_.store(0.0);
  cancel_.store(false);
  arrival_.clear();
  ignition_.clear();
  for (auto& g : out_) g.clear();
  perimeters_.clear();
  spots_.SetNumSpots(0);
  fires_ = spotFires_ = vertices_ = 0;
  vertexSteps_ = 0;
  const int rc = [&]() -> int {
    if (!loaded_) return Fail(kEmbrithNoInputs);
    CPyrvane& p = *pyrvane_;
    if (p.GetNumRows() <= 0 || p.GetNumCols() <= 0) return Fail(kEmbrithNoLandscape);
    grid_ = {p.GetNumRows(), p.GetNumCols(), p.GetWest(), p.GetNorth(), p.GetCellSize()};
    const std::size_t n = static_cast<std::size_t>(grid_.rows) * grid_.cols;
    engines::PyrvaneInputs common;
    std::string detail;
    engines::ParsePyrvaneInputs("Pyrvane-Inputs-File-Version-1\n" + text_, common, detail);
    const int threads = processors_ > 0 ? processors_ : common.processors > 0 ? common.processors : omp_get_max_threads();

    // Terrain of every cell: slope tangent and upslope azimuth.
    std::vector<float> slopeTan(n, 0.0f), upslope(n, 0.0f);
    const int slopeUnits = p.GetUnits(1), aspectUnits = p.GetUnits(2);
#pragma omp parallel for schedule(static) num_threads(threads)
    for (int r = 0; r < grid_.rows; ++r)
      for (int c = 0; c < grid_.cols; ++c) {
        const std::size_t i = static_cast<std::size_t>(r) * grid_.cols + c;
        const double s = p.GetLayerValueByCell(1, c, r), a = p.GetLayerValueByCell(2, c, r);
        if (s == kNoData || s <= 0) continue;
        const double deg = slopeUnits == 1 ? std::atan(s / 100.0) * 180.0 / kPi : s;
        const double az = landscape::AspectToAzimuth(aspectUnits, a);
        if (az == kNoData || az < 0) continue;
        slopeTan[i] = static_cast<float>(std::tan(deg * kPi / 180.0));
        upslope[i] = static_cast<float>(std::fmod(az + 180.0, 360.0) * kPi / 180.0);
      }

    // Ignitions and barriers.
    std::vector<engines::mtt::Shape> ignitions, barriers;
    if (!engines::mtt::ReadShapes(in_.ignitionFile, ignitions, detail)) return Fail(kEmbrithIgnitionFile, detail);
    std::vector<char> barrier;
    if (!in_.barrierFile.empty()) {
      if (!engines::mtt::ReadShapes(in_.barrierFile, barriers, detail)) return Fail(kEmbrithBarrierFile, detail);
      engines::mtt::MarkShapes(barriers, {grid_.rows, grid_.cols, grid_.west, grid_.north, grid_.cell},
                               in_.fillBarriers, barrier);
    }
    std::vector<char> ignitionMask;
    engines::mtt::MarkShapes(ignitions, {grid_.rows, grid_.cols, grid_.west, grid_.north, grid_.cell}, true,
                             ignitionMask);
    try {
      arrival_.assign(n, kNoData);
      ignition_.assign(n, 0.0);
      for (auto& g : out_) g.assign(n, kNoData);
    } catch (const std::bad_alloc&) {
      return Fail(kEmbrithMemory);
    }
    for (std::size_t i = 0; i < ignitionMask.size() && i < n; ++i) ignition_[i] = ignitionMask[i] ? 1.0 : 0.0;

    growth::GrowthSettings gs;
    gs.distanceRes = in_.distanceRes;
    gs.perimeterRes = in_.perimeterRes;
    gs.acceleration = in_.acceleration;
    gs.threads = threads;
    growth::Growth fire(grid_, gs);
    const double small = std::min(5.0, in_.perimeterRes / 4);
    for (const auto& s : ignitions) {
      if (s.kind == engines::mtt::Shape::Polygon) {
        for (std::size_t k = 0; k < s.rings.size(); ++k) {
          growth::Ring ring;
          for (auto [x, y] : s.rings[k]) ring.push_back({x, y, 0});
          if (ring.size() > 1 && ring.front().x == ring.back().x && ring.front().y == ring.back().y) ring.pop_back();
          if (ring.size() < 3) continue;
          const bool ccw = growth::SignedArea(ring) > 0;
          if (ccw != (k == 0)) std::reverse(ring.begin(), ring.end());
          growth::Resample(ring, in_.perimeterRes, 0);
          // Holes join at the first clean; outer rings are made counter-clockwise by AddRing.
          if (k == 0) fire.AddRing(std::move(ring));
        }
      } else if (s.kind == engines::mtt::Shape::Line) {
        for (const auto& line : s.rings)
          for (std::size_t i = 0; i + 1 < line.size(); ++i) {
            const double dx = line[i + 1].first - line[i].first, dy = line[i + 1].second - line[i].second;
            const double len = std::hypot(dx, dy);
            if (!(len > 0)) continue;
            const double ox = -dy / len * 0.5, oy = dx / len * 0.5;
            fire.AddRing({{line[i].first - ox, line[i].second - oy, 0},
                          {line[i + 1].first - ox, line[i + 1].second - oy, 0},
                          {line[i + 1].first + ox, line[i + 1].second + oy, 0},
                          {line[i].first + ox, line[i].second + oy, 0}});
          }
      } else {
        for (const auto& pts : s.rings)
          for (auto [x, y] : pts) fire.AddRing(growth::Circle(x, y, small, 12));
      }
    }
    fire.Clean();
    bool anyInside = false;
    for (const auto& r : fire.Rings())
      for (const auto& v : r) {
        int rr, cc;
        anyInside = anyInside || grid_.Cell(v.x, v.y, rr, cc);
      }
    if (!anyInside) return Fail(kEmbrithNoIgnition);

    // Winds through the run: the weather stream's hours, or the daily wind lines.
    std::vector<WindChange> winds;
    for (const auto& r : common.raws)
      winds.push_back({engines::CalendarMinutes(r.month, r.day, r.hhmm, in_.refMonth, in_.refMinutes), r.windSpeed,
                       static_cast<double>(r.windDirection), common.rawsMetric ? 1 : 0});
    if (winds.empty())
      for (const auto& w : common.winds)
        winds.push_back({engines::CalendarMinutes(w.month, w.day, w.hhmm, in_.refMonth, in_.refMinutes), w.speed,
                         static_cast<double>(w.direction), common.windsMetric ? 1 : 0});
    std::stable_sort(winds.begin(), winds.end(), [](const WindChange& a, const WindChange& b) { return a.minutes < b.minutes; });
    // Dead fuel moistures conditioned hour by hour from the run's weather (a weather stream or
    // daily weather), from the conditioning start, or the weather's first hour, through the run.
    // Without such weather the fuel-moisture file's values hold.
    double stationElev = 0;
    const std::vector<engines::StampedWeather> weather = engines::WeatherSamples(common, &stationElev);
    std::unique_ptr<engines::HourlyConditioner> conditioner;
    engines::ConditioningResult moistures;
    double runStamp = (in_.refMinutes - 1440.0) / 60.0, nextHour = 0;  // hours of the year
    struct Given {  // the inner engine keeps no pointer to this launch's moistures
      CPyrvane& p;
      ~Given() { p.SetConditionedMoistures(nullptr); }
    } given{p};
    if (!weather.empty()) {
      if (weather.front().stamp > runStamp + 24.0 * 180) runStamp += 365 * 24.0;
      double start = std::ceil(weather.front().stamp - 1e-9);
      if (common.conditioningStart.Valid()) {
        start = engines::HourStampOf(common.conditioningStart.month, common.conditioningStart.day,
                                     common.conditioningStart.hhmm);
        if (weather.front().stamp > start + 24.0 * 180) start += 365 * 24.0;
      }
      start = std::min(start, std::floor(runStamp + 1e-9));
      if (weather.front().stamp > start + 1e-9)
        return Fail(kEmbrithBadInputs, "Fuel conditioning needs weather from the conditioning start and the first "
                                       "burn period on; the weather begins later.");
      if (runStamp + in_.endMinutes / 60.0 - start > 24.0 * 366)
        return Fail(kEmbrithBadInputs, "Fuel conditioning from its start to the run's end would last over a year.");
      nextHour = start;
      std::vector<float> elev, slope, aspect, cover;
      double latitude = 45;
      if (!p.GetTerrain(elev, slope, aspect, cover, latitude)) return Fail(kEmbrithMemory);
      const engines::ConditioningCells cells{static_cast<int>(n), elev.data(), slope.data(), aspect.data(),
                                             cover.data(), latitude};
      engines::FuelMoistureRecord first;
      if (!common.moistures.empty()) first = common.moistures.front();
      for (const auto& r : common.moistures)
        if (r.model == 0) {
          first = r;
          break;
        }
      const double initial[4] = {first.percent[0] / 100.0, first.percent[1] / 100.0, first.percent[2] / 100.0,
                                 first.percent[2] / 100.0};
      try {
        conditioner = std::make_unique<engines::HourlyConditioner>(cells, stationElev, initial,
                                                                   engines::HourlyConditioner::Classes{});
      } catch (const std::bad_alloc&) {
        return Fail(kEmbrithMemory);
      }
    }
    // The conditioned hour in force at a run time, -1 without conditioning.
    auto moistureHour = [&](double minutes) {
      return conditioner ? std::floor(runStamp + minutes / 60.0 + 1e-9) : -1.0;
    };

    std::vector<double> changes;
    for (const auto& w : winds) changes.push_back(w.minutes);
    if (conditioner)
      for (double h = std::ceil(runStamp - 1e-9); (h - runStamp) * 60.0 < in_.endMinutes; h += 1.0)
        if (h - runStamp > 1e-9) changes.push_back((h - runStamp) * 60.0);
    for (const auto& e : atm_.entries) changes.push_back(e.minutes);
    std::sort(changes.begin(), changes.end());
    auto windAt = [&](double t) {
      WindChange w;
      if (winds.empty()) return w;
      w = winds.front();
      for (const auto& x : winds)
        if (x.minutes <= t + 1e-9) w = x;
      return w;
    };

    // The fire behaviour in force, recomputed when the weather changes.
    std::vector<std::unique_ptr<Behavior>> cache;
    Behavior* now = nullptr;
    auto behaviorAt = [&](double t) -> int {
      const WindChange w = windAt(t);
      const engines::AtmEntryFiles* atm = atm_.At(t);
      const double hour = moistureHour(t);
      for (auto& b : cache) {
        bool same = b->atm == atm && b->units == w.units && b->moistureHour == hour;
        if (in_.generateWinds) {
          const double turn = std::fabs(std::fmod(w.direction - b->direction + 540.0, 360.0) - 180.0);
          same = same && std::fabs(w.speed - b->speed) <= in_.speedBin && turn <= in_.directionBin;
        } else {
          same = same && w.speed == b->speed && w.direction == b->direction;
        }
        if (same) {
          now = b.get();
          return 1;
        }
      }
      std::string t2 = "Pyrvane-Inputs-File-Version-1\n";
      t2 += FormatC("WIND_SPEED: %.6f\nWIND_DIRECTION: %.6f\nWIND_SPEED_UNITS: %d\nNUMBER_PROCESSORS: %d\n", w.speed,
                    w.direction, atm ? (atm_.metric ? 1 : 0) : w.units, threads);
      if (atm)
        t2 += "GRIDDED_WIND_SPEED_FILE: " + atm->speedFile + "\nGRIDDED_WINDS_DIRECTION_FILE: " + atm->directionFile + "\n";
      t2 += text_;
      t2 += "\n#SELECTED PYRVANE OUTPUTS\n";
      for (int k = 0; k < kLayers; ++k)
        if (kSource[k] != engines::kOutReactionIntensity) t2 += std::string(kKeys[k]) + ":\n";
      t2 += "#END SELECTED PYRVANE OUTPUTS\n";
      p.SelectOutputLayer(engines::kOutReactionIntensity, 1);
      if (conditioner) {
        // The sticks carry on from the last hour conditioned up to this one.
        for (; nextHour <= hour + 1e-9; nextHour += 1.0)
          if (!conditioner->Step(engines::WeatherOfHour(weather, nextHour), threads, cancel_))
            return Fail(kEmbrithCancelled);
        try {
          conditioner->Fill(moistures, threads);
        } catch (const std::bad_alloc&) {
          return Fail(kEmbrithMemory);
        }
        p.SetConditionedMoistures(&moistures);
      }
      int rc = p.CommandTextLoad(t2);
      if (rc == 1) rc = p.LaunchPyrvane(0);
      if (cancel_.load()) return Fail(kEmbrithCancelled);
      if (rc != 1) return Fail(kEmbrithFireBehavior, p.CommandFileError(rc));
      auto b = std::make_unique<Behavior>();
      try {
        for (int k = 0; k < kLayers; ++k) {
          const float* src = p.GetOutputLayer(kSource[k]);
          if (!src) return Fail(kEmbrithFireBehavior, std::string("The fire behaviour has no ") + kKeys[k] + " grid.");
          b->g[k].assign(src, src + n);
        }
      } catch (const std::bad_alloc&) {
        return Fail(kEmbrithMemory);
      }
      b->speed = w.speed;
      b->direction = w.direction;
      b->units = w.units;
      b->atm = atm;
      b->moistureHour = hour;
      if (cache.size() >= 4) cache.erase(cache.begin());
      cache.push_back(std::move(b));
      now = cache.back().get();
      return 1;
    };

    const double ts = in_.timeStep;
    double t = 0;
    auto setClock = [&](double minutes) {
      int m, d, hhmm;
      DateOf(in_.refMinutes + minutes, m, d, hhmm);
      simElapsed_ = static_cast<int>(minutes);
      simMonth_ = m;
      simDay_ = d;
      simTime_ = hhmm;
      progress_.store(std::min(0.999, in_.endMinutes > 0 ? minutes / in_.endMinutes : 0.0));
    };
    auto fill = [&](double minutes) {
      const Behavior* b = now;
      growth::FillRegion(fire.Rings(), grid_, threads, [&](int row, int c0, int c1) {
        for (int c = c0; c <= c1; ++c) {
          const std::size_t i = static_cast<std::size_t>(row) * grid_.cols + c;
          if (arrival_[i] >= 0) continue;
          arrival_[i] = minutes;
          if (!b) continue;
          const float ros = b->g[kRos][i];
          if (ros == kNoData) continue;
          out_[0][i] = b->g[kFlame][i];
          out_[1][i] = ros;
          out_[2][i] = b->g[kFli][i];
          out_[3][i] = b->g[kHpa][i];
          out_[4][i] = b->g[kDir][i] == kNoData ? kNoData : b->g[kDir][i] * 180.0 / kPi;
          out_[5][i] = b->g[kCrown][i];
          out_[6][i] = b->g[kReaction][i] == kNoData ? kNoData : b->g[kReaction][i] * kKJMinPerKW;
        }
      });
    };
    auto snapshot = [&](double minutes) {
      int fires = 0;
      for (const auto& r : fire.Rings()) {
        EmbrithPerimeter per;
        per.elapsed = minutes;
        DateOf(in_.refMinutes + minutes, per.month, per.day, per.hour);
        per.fireType = growth::SignedArea(r) > 0 ? 1 : 2;
        fires += per.fireType == 1;
        per.ring = r;
        perimeters_.push_back(std::move(per));
      }
      fires_ = fires;
      vertices_ = static_cast<int>(fire.VertexCount());
    };

    // Spotting: embers from torching and crowning cells along the perimeter, one draw pair per
    // spot-grid cell, in perimeter order so that a seed repeats a run.
    seedUsed_ = seed_ >= 0 ? seed_ : static_cast<int>(std::random_device{}() & 0x7fffffff);
    std::mt19937_64 rng(static_cast<std::uint64_t>(seedUsed_));
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::set<std::pair<long, long>> launched;
    struct Pending {
      double x, y, at;
    };
    std::vector<Pending> pending;
    std::vector<EngineSpot> spots;
    const double spotCell = in_.spotGridRes > 0 ? in_.spotGridRes : grid_.cell;
    auto launch = [&](double minutes) {
      if (!(in_.spotProbability > 0) || !now) return;
      for (const auto& r : fire.Rings())
        for (const auto& v : r) {
          int row, col;
          if (!grid_.Cell(v.x, v.y, row, col)) continue;
          const std::size_t i = static_cast<std::size_t>(row) * grid_.cols + col;
          const double dist = now->g[kSpotDx][i];
          if (now->g[kCrown][i] < 2 || !(dist > 0) || dist < in_.minSpotDistance) continue;
          const auto key = std::make_pair(static_cast<long>(std::floor((v.x - grid_.west) / spotCell)),
                                          static_cast<long>(std::floor((grid_.north - v.y) / spotCell)));
          if (!launched.insert(key).second) continue;
          const double u1 = uniform(rng), u2 = uniform(rng);
          if (u1 >= in_.spotProbability) continue;
          const double d = u2 * dist;
          if (d < in_.minSpotDistance) continue;
          const double az = now->g[kSpotDir][i] * kPi / 180.0;
          const double lx = v.x + d * std::sin(az), ly = v.y + d * std::cos(az);
          int lr, lc;
          if (!grid_.Cell(lx, ly, lr, lc)) continue;
          const std::size_t li = static_cast<std::size_t>(lr) * grid_.cols + lc;
          if (arrival_[li] >= 0 || !(now->g[kB][li] > 0) || (!barrier.empty() && barrier[li])) continue;
          pending.push_back({lx, ly, minutes + in_.spotDelay});
          EngineSpot s;
          s.launchX = v.x, s.launchY = v.y, s.landX = lx, s.landY = ly, s.launchTime = minutes;
          s.landTime = minutes + in_.spotDelay;
          spots.push_back(s);
        }
    };
    auto ignitePending = [&](double minutes) {
      for (std::size_t k = 0; k < pending.size();) {
        if (pending[k].at <= minutes + 1e-9) {
          fire.AddRing(growth::Circle(pending[k].x, pending[k].y, small, 12));
          ++spotFires_;
          pending.erase(pending.begin() + static_cast<long>(k));
        } else {
          ++k;
        }
      }
    };

    const growth::Growth::WaveletAt wavelet = [&](double x, double y, growth::Wavelet& w) {
      int row, col;
      if (!now || !grid_.Cell(x, y, row, col)) return false;
      const std::size_t i = static_cast<std::size_t>(row) * grid_.cols + col;
      if (!(now->g[kB][i] > 0) || (!barrier.empty() && barrier[i])) return false;
      w = {now->g[kA][i], now->g[kB][i], now->g[kC][i], now->g[kDir][i], slopeTan[i], upslope[i]};
      return true;
    };
    const growth::Growth::Blocked blocked = [&](int row, int col) {
      const std::size_t i = static_cast<std::size_t>(row) * grid_.cols + col;
      return (!barrier.empty() && barrier[i]) || !now || !(now->g[kB][i] > 0);
    };

    if (const int b = behaviorAt(0); b != 1) return b;
    fill(0);
    setClock(0);
    snapshot(0);
    for (const auto& period : in_.periods) {
      if (period.to <= t) continue;
      t = std::max(t, period.from);
      while (t < period.to - 1e-9) {
        if (cancel_.load()) return Fail(kEmbrithCancelled);
        double next = std::min(period.to, (std::floor(t / ts + 1e-9) + 1) * ts);
        for (double c : changes)
          if (c > t + 1e-9) {
            next = std::min(next, c);
            break;
          }
        for (const auto& q : pending)
          if (q.at > t + 1e-9) next = std::min(next, q.at);
        ignitePending(t);
        if (const int b = behaviorAt(t); b != 1) return b;
        const double from = t;
        if (!fire.Advance(next - t, wavelet, blocked, cancel_, [&](double done) {
              fill(from + done);
              setClock(from + done);
            }))
          return Fail(kEmbrithCancelled);
        t = next;
        launch(t);
        const double k = t / ts;
        if (std::fabs(k - std::round(k)) < 1e-6 || t >= period.to - 1e-9) snapshot(t);
        vertices_ = static_cast<int>(fire.VertexCount());
      }
    }
    vertexSteps_ = fire.VertexSteps();
    spots_.SetNumSpots(static_cast<int>(spots.size()));
    for (std::size_t k = 0; k < spots.size(); ++k) {
      const EngineSpot& s = spots[k];
      spots_.SetSpot(static_cast<int>(k), s.launchX, s.launchY, s.landX, s.landY, s.launchTime, s.landTime);
    }
    return 1;
  }();
  if (rc != 1) {
    arrival_.clear();
    for (auto& g : out_) g.clear();
  }
  progress_.store(1.0);
  return rc;
}
