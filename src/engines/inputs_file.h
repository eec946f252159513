#pragma once
// The fire-behaviour engine's reading of its inputs file: "KEY: value" lines, data blocks
// (a key line with a count, then that many lines) and the output selection. A key is the
// first line that begins with it; keys the engine does not use (travel-time appendices) are
// passed over.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace engines {

struct FuelMoistureRecord {
  int model = 0;
  int percent[5] = {0, 0, 0, 0, 0};  // 1-h, 10-h, 100-h, live herbaceous, live woody
};

struct RawsRecord {
  int year = 0, month = 0, day = 0, hhmm = 0;
  double temperature = 0, humidity = 0, precipitation = 0, windSpeed = 0;
  int windDirection = 0, cloudCover = 0;
};

struct WeatherDay {  // one WTR line
  int month = 0, day = 0, precip = 0, tMinTime = 0, tMaxTime = 0, tMin = 0, tMax = 0;
  int rhMax = 0, rhMin = 0, elevation = 0, precipStart = 0, precipEnd = 0;
};

struct WindRecord {  // one WND line
  int month = 0, day = 0, hhmm = 0;
  double speed = 0;
  int direction = 0, cloudCover = 0;
};

struct MonthDayTime {
  int month = -1, day = -1, hhmm = -1;
  bool Valid() const { return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hhmm >= 0 && hhmm <= 2400; }
};

// Output indices of the engine (layer type = index + 11). The surface fire's reaction intensity
// (kW/m2) has no layer type: only the fire-growth engine asks for it, through SelectOutputLayer.
enum OutputIndex {
  kOutFlameLength = 0, kOutSpreadRate, kOutIntensity, kOutHeatArea, kOutCrownState, kOutSolar,
  kOutMoisture1, kOutMoisture10, kOutMidflame, kOutHorizRate, kOutMaxSpreadDir, kOutEllipseA,
  kOutEllipseB, kOutEllipseC, kOutMaxSpot, kOutMoisture100, kOutMoisture1000, kOutCrownFraction,
  kOutTorchingIndex, kOutCrowningIndex, kOutMaxSpotDir, kOutMaxSpotDx, kOutWindDir, kOutWindSpeed,
  kOutReactionIntensity, kOutputCount
};

struct PyrvaneInputs {
  bool hasMoistures = false;
  std::vector<FuelMoistureRecord> moistures;  // record 0 is the default line
  std::string customFuelsFile, rosAdjustFile;

  bool conditioning = false;
  MonthDayTime conditioningStart, conditioningEnd;
  bool hasRaws = false;
  int rawsElevation = 0;
  bool rawsMetric = false;
  std::vector<RawsRecord> raws;
  std::vector<WeatherDay> weather;
  bool weatherMetric = false;
  std::vector<WindRecord> winds;
  bool windsMetric = false;

  double windSpeed = 0;
  double windDirection = 0;       // degrees the wind comes from; -1 uphill, -2 downhill
  double defaultUpDownDirection = 0;
  int windSpeedUnits = 0;         // 0 mph @ 20', 1 km/h @ 10m, 2 m/sec @ 10m, 3 ft/min @ 20'
  std::string griddedSpeedFile, griddedDirectionFile;
  bool generateWinds = false;
  int griddedResolution = 0;
  // Diurnal settings of generated gridded winds (kept for when generation is available).
  bool diurnal = false;
  double diurnalAirTemp = 0, diurnalCloudCover = 0, diurnalLongitude = 0;
  int diurnalMonth = 0, diurnalDay = 0, diurnalSecond = 0, diurnalMinute = 0, diurnalHour = 0, diurnalTimeZone = 0;

  double foliarMoisture = 100.0;
  int crownMethod = 1;            // 0 two-threshold, 1 crown-fraction-burned
  bool fixedSpreadDirection = false;
  double spreadDirection = 0;
  int processors = 0;             // 0: all
  bool memoryOutputs = true;
  std::string tempStoragePath;
  bool hasArea = false;
  double areaEast = 0, areaWest = 0, areaNorth = 0, areaSouth = 0;

  std::array<bool, kOutputCount> outputs{};
  bool spreadVectors = false, maxSpotVectors = false;
};

// Engine codes; 1 is success.
enum EngineCode {
  kEngineOk = 1,
  kErrOpenInputs = 2,
  kErrNotInputsFile = 3,
  kErrBadInputs = 4,
  kErrNoLandscape = 5,
  kErrNoMoistures = 6,
  kErrModelMoisture = 7,
  kErrCustomFuels = 8,
  kErrUnknownFuel = 9,
  kErrGenerateWinds = 10,
  kErrGriddedWindFile = 11,
  kErrWeather = 12,
  kErrCancelled = 13,
  kErrArea = 14,
  kErrNoInputsLoaded = 15,
  kErrMemory = 16,
  kErrAdjustFile = 17,
  kErrOutputWrite = 18,
};

// Fixed text of an engine code (without the detail of one particular failure).
const char* EngineCodeText(int code);

// Parses the text of an inputs file. Returns kEngineOk or kErrNotInputsFile / kErrBadInputs
// with the line and reason in detail.
int ParsePyrvaneInputs(std::string_view text, PyrvaneInputs& out, std::string& detail);

}  // namespace engines
