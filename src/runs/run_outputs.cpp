#include "runs/run_outputs.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>

#include "app/layer_types.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "runs/run.h"
#include "runs/run_host.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "weather/atm_file.h"

namespace runs {

namespace {

// The run's slot that keeps output i, or null.
CTheme** SlotOf(CRun& run, int index) {
  switch (index) {
    case 10: return &run.maxSpreadDirectionTheme;
    case 11: return &run.ellipticalATheme;
    case 12: return &run.ellipticalBTheme;
    case 13: return &run.ellipticalCTheme;
    case 14: return &run.maxSpottingTheme;
    case kOutputWindDirection: return &run.windDirectionGridTheme;
    case kOutputWindSpeed: return &run.windSpeedGridTheme;
    default: return nullptr;
  }
}

}  // namespace

const char* OutputLayerName(int index) { return GetOutputLayerName(index); }

bool IsBasicOutputMade(int index, const CRunOutputs& o, int windType) {
  switch (index) {
    case 0: return o.flameLength;
    case 1: return o.rateOfSpread;
    case 2: return o.firelineIntensity;
    case 3: return o.heatPerUnitArea;
    case 4: return o.crownFireActivity;
    case 5: return o.solarRadiation;
    case 6: return o.fuelMoisture1;
    case 7: return o.fuelMoisture10;
    case 8: return o.midflameWindSpeed;
    case 9: return o.horizontalMovementRate;
    case 10: return o.maxSpreadDirection;
    case 11: return o.ellipticalA;
    case 12: return o.ellipticalB;
    case 13: return o.ellipticalC;
    case 14: return o.maxSpotting || o.maxSpotVectors;
    case 15: return o.fuelMoisture100;
    case 16: return o.fuelMoisture1000;
    case 17: return o.crownFractionBurned;
    case 20: return o.maxSpottingDirection;
    case 21: return o.maxSpottingDistance;
    case kOutputWindDirection:
    case kOutputWindSpeed: return windType == 2 || windType == 4;
    default: return false;  // torching and crowning indexes are never converted
  }
}

const std::vector<std::string>& RunOutputTags(RunKind kind) {
  static const std::vector<std::string> none;
  static const std::vector<std::string> mtt = {
      "#MTT_ROS",       "#MTT_INFLUENCE",  "#MTT_ARRIVAL", "#MTT_INTENSITY",
      "#MTT_IGNITIONS", "#MTT_FLOWPATHS",  "#MTT_MAJORPATHS", "#MTT_CONTOUR",
      "#MTT_EMBER_LOCATIONS", "#MTT_EMBER_LIST"};
  static const std::vector<std::string> random = {
      "#SOWFIR_BURN_PROBABILITIES", "#SOWFIR_PERIMETERS", "#SOWFIR_FLP_ENGLISH",
      "#SOWFIR_FLP_METRIC", "#SOWFIR_FIRE_SIZE_LIST"};
  static const std::vector<std::string> tom = {
      "#TOM_OPPORTUNITIES", "#TOM_TREATMENT", "#TOM_ROS",       "#TOM_INFLUENCE",
      "#TOM_ARRIVAL",       "#TOM_INTENSITY", "#TOM_FLOWPATHS", "#TOM_MAJORPATHS",
      "#TOM_CONTOUR"};
  static const std::vector<std::string> embrith = {
      "#EMBRITH_ARRIVAL",         "#EMBRITH_FLAMELENGTH",  "#EMBRITH_ROS",
      "#EMBRITH_INTENSITY",       "#EMBRITH_HEAT_PER_UNIT_AREA",
      "#EMBRITH_SPREAD_DIRECTION", "#EMBRITH_CROWN_FIRE",  "#EMBRITH_REACTION_INTENSITY",
      "#EMBRITH_IGNITION_GRID",   "#EMBRITH_PERIMETERS",   "#EMBRITH_SPOT_LOCATIONS",
      "#EMBRITH_SPOT_LIST",       "#EMBRITH_WIND_VECTORS", "#EMBRITH_SPREAD_VECTORS"};
  switch (kind) {
    case RunKind::MTT: return mtt;
    case RunKind::RandomIgnitions: return random;
    case RunKind::TOM: return tom;
    case RunKind::Embrith: return embrith;
    case RunKind::Basic: break;
  }
  return none;
}

std::string RunLogTimestamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string BuildPyrvaneRunLog(const CRun& run, const RunLogFacts& facts, double seconds,
                               const std::string& inputsFileText, const std::string& cellNotes) {
  return RunLogHead("#Run Log for Pyrvane run: %s\r\n", run, facts, seconds) + cellNotes + inputsFileText;
}

std::string RunLogTitle(const char* titleFormat, const CRun& run, const RunLogFacts& facts,
                        double seconds) {
  using platform::FormatC;
  std::string log;
  log += FormatC(titleFormat, run.name.c_str());
  log += FormatC("#Run Completed: %s\r\n", facts.completed.c_str());
  log += FormatC("#Run Time (Seconds): %.2f\r\n", seconds);
  log += FormatC("#Landscape File: %s\r\n", facts.landscapeFile.c_str());
  log += FormatC("#Landscape Resolution: %.1lf\r\n", facts.landscapeResolution);
  return log;
}

std::string RunLogHead(const char* titleFormat, const CRun& run, const RunLogFacts& facts,
                       double seconds) {
  using platform::FormatC;
  const CRunInputs& in = run.inputs;
  std::string log = RunLogTitle(titleFormat, run, facts, seconds);
  log += FormatC("#FUEL_MOISTURE_FILE: %s\r\n", in.fuelMoistureFile.c_str());
  if (!in.noConditioning) {
    if (in.useWeatherStream) {
      log += FormatC("#RAWS_FILE: %s\r\n", in.weatherStreamFile.c_str());
    } else {
      log += FormatC("#WEATHER_FILE: %s\r\n", in.weatherFile.c_str());
      log += FormatC("#WIND_FILE: %s\r\n", in.windFile.c_str());
    }
  }
  return log;
}

int CreatePyrvaneOutputThemes(CRun& run, PyrvaneRunResult& result, const RunLogFacts& facts) {
  if (!result.succeeded) return 0;
  for (int index : result.missing) {
    platform::Tell(platform::FormatC("Error retrieving Pyrvane output layer %s",
                                     OutputLayerName(index)));
  }
  const int made = AddFireBehaviorThemes(run, result.grids) + AddArrowThemes(run);
  if (!result.stoppedWhileCollecting) {
    run.runLogs.push_back(
        {"Run Log", BuildPyrvaneRunLog(run, facts, result.seconds, result.inputsFileText, result.cellNotes)});
  }
  return made;
}

int AddFireBehaviorThemes(CRun& run, std::vector<OutputGrid>& grids) {
  int made = 0;
  for (OutputGrid& grid : grids) {
    auto theme = std::make_unique<CTheme>();
    if (!theme->CreateFromFloats(OutputLayerName(grid.index), grid.south, grid.west,
                                 grid.cellWidth, grid.cellHeight, grid.rows, grid.columns,
                                 -9999.0f, grid.cells.data(), 0,
                                 grid.index + kOutputLayerTypeBase)) {
      platform::Tell(platform::FormatC("Error retrieving Pyrvane output layer %s",
                                       OutputLayerName(grid.index)));
      continue;
    }
    grid.cells = {};  // the theme holds its own copy now
    if (CTheme** slot = SlotOf(run, grid.index)) *slot = theme.get();
    AddThemeWithLegend(run, std::move(theme));
    ++made;
  }
  return made;
}

bool ReplaceArrowTheme(CRun& run, CWindVectorTheme*& slot, int kind, const char* name,
                       const std::function<bool(CWindVectorTheme&)>& create) {
  if (slot && run.host) run.host->DeleteOutputItem(run, slot);
  run.DropArrowTheme(slot);
  auto theme = std::make_unique<CWindVectorTheme>();
  theme->kind = kind;
  if (!create(*theme)) {
    // No valid arrow is nothing to show; only a build that could not be held is an error.
    if (!theme->Error().empty())
      platform::Tell(platform::FormatC("Error creating the output theme %s: %s", name,
                                       theme->Error().c_str()));
    return false;
  }
  theme->name = name;
  slot = theme.release();
  if (run.host) run.host->AdoptWindVectorTheme(slot);
  return true;
}

int AddArrowThemes(CRun& run) {
  int made = 0;
  auto build = [&](CWindVectorTheme*& slot, int kind, const char* name, auto&& create) {
    if (ReplaceArrowTheme(run, slot, kind, name, create)) ++made;
  };
  if (run.windDirectionGridTheme && run.windSpeedGridTheme)
    build(run.windVectors, 0, "Wind Vectors", [&](CWindVectorTheme& t) {
      return t.CreateWindVectors(run.windDirectionGridTheme, run.windSpeedGridTheme);
    });
  if (run.outputs.spreadVectors && run.maxSpreadDirectionTheme && run.ellipticalBTheme &&
      run.ellipticalCTheme)
    build(run.spreadVectors, 1, "Spread Vectors", [&](CWindVectorTheme& t) {
      return t.CreateSpreadVectors(run.maxSpreadDirectionTheme, run.ellipticalBTheme,
                                   run.ellipticalCTheme);
    });
  if (run.outputs.maxSpotVectors && run.maxSpottingTheme)
    build(run.maxSpotVectors, 2, "Max Spot Vectors",
          [&](CWindVectorTheme& t) { return t.CreateSpotVectors(run.maxSpottingTheme); });
  return made;
}

weather::AtmRunContext AtmContextOf(const CRun& run) {
  weather::AtmRunContext c;
  if (!run.embrith.burnPeriods.empty()) {
    const BurnPeriod& b = run.embrith.burnPeriods.front();
    c.hasBurnPeriod = true;
    c.firstMonth = b.month, c.firstDay = b.day, c.firstStartHour = b.startHour;
    const BurnPeriod& e = run.embrith.burnPeriods.back();
    c.lastMonth = e.month, c.lastDay = e.day, c.lastEndHour = e.endHour;
  }
  if (run.host) run.host->AreaExtent(c.east, c.west, c.north, c.south);
  c.distanceResolution = run.embrith.distanceResolution;
  return c;
}

bool CreateFromRunWinds(CWindVectorTheme& theme, CRun& run) {
  const CTheme* arrival = run.FindOutputTheme(37);
  if (!arrival && !run.outputThemes.empty()) arrival = run.outputThemes.front().get();
  if (!arrival) return false;
  const int type = run.inputs.windType;
  std::vector<WindSample> samples;
  int units = 0;
  const WindGridSet& g = run.windGrids;
  weather::CAtmFile atm;
  if (type == 0) {
    run.ReadRawsFile(samples, units);
    if (samples.empty()) return false;
    std::stable_sort(samples.begin(), samples.end(),
                     [](const WindSample& a, const WindSample& b) { return a.time < b.time; });
  } else if (type == 4) {
    if (g.count <= 0) return false;
  } else if (type == 5) {
    if (run.embrith.atmFile.empty() || atm.Read(AtmContextOf(run), run.embrith.atmFile) != weather::kAtmOk ||
        atm.GetEntries().empty())
      return false;
  } else {
    // Other wind types carry no winds of their own.
    return false;
  }
  // Every index into the gridded winds is checked: arrival cells outside their raster, or a
  // step whose grids are short, get no arrow.
  const int steps = std::min({g.count, static_cast<int>(g.speed.size()), static_cast<int>(g.direction.size()),
                              static_cast<int>(g.endTimes.size())});
  const std::size_t cells = static_cast<std::size_t>(std::max(g.rows, 0)) * static_cast<std::size_t>(std::max(g.columns, 0));
  const bool built = theme.BuildOnGrid(*arrival, [&](CWindVectorCell& c) {
    const float t = arrival->GetValueAt(c.x, c.y);
    if (!(t > 0)) return;  // unburned
    if (type == 0) {
      std::size_t k = 0;
      while (k + 1 < samples.size() && samples[k + 1].time <= t) ++k;
      if (!(std::fabs(samples[k].direction) < 2e9)) return;
      c.direction = static_cast<std::int32_t>(samples[k].direction);
      c.magnitude = static_cast<float>(ConvertArrowUnits(0, samples[k].speed, units, 0));
      return;
    }
    if (type == 5) {
      double speed = 0, direction = 0;
      atm.GetWindAt(t, c.x, c.y, &speed, &direction);
      if (!(speed >= 0 && direction >= 0)) return;  // outside the grids in force
      c.direction = static_cast<std::int32_t>(direction);
      c.magnitude = static_cast<float>(ConvertArrowUnits(0, speed, atm.GetUnits(), 0));
      return;
    }
    if (steps <= 0 || !(g.cellSize > 0)) return;
    int s = 0;
    while (s < steps && g.endTimes[static_cast<std::size_t>(s)] <= t) ++s;
    s = std::min(s, steps - 1);
    const double fr = std::floor((g.rows * g.cellSize + g.yll - c.y) / g.cellSize);
    const double fc = std::floor((c.x - g.xll) / g.cellSize);
    if (!(fr >= 0 && fr < g.rows && fc >= 0 && fc < g.columns)) return;
    const std::size_t cell = static_cast<std::size_t>(fr) * static_cast<std::size_t>(g.columns) + static_cast<std::size_t>(fc);
    const auto& speed = g.speed[static_cast<std::size_t>(s)];
    const auto& direction = g.direction[static_cast<std::size_t>(s)];
    if (cell >= cells || cell >= speed.size() || cell >= direction.size()) return;
    c.direction = direction[cell];
    c.magnitude = speed[cell];
  });
  theme.spread = false;
  return built;
}

CTheme* AddThemeWithLegend(CRun& run, std::unique_ptr<CTheme> theme) {
  CTheme* added = theme.get();
  // The theme's window in the area comes first: the legend classes the cells inside it.
  run.AddOutputTheme(std::move(theme), nullptr);
  if (run.host) {
    if (std::unique_ptr<CThemeLegendData> legend = run.host->CreateLegendData(added)) {
      legend->SetTheme(added);
      run.outputLegends.push_back(std::move(legend));
    }
  }
  return added;
}

}  // namespace runs
