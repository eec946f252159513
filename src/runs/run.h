#pragma once
// A run: one fire computation on an analysis area, with its inputs, output choices, engine
// settings, output themes, legends and run logs.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "runs/wind_grids.h"

class CTheme;
class CThemeLegendData;
class CVectorTheme;
class CWindVectorTheme;
class CContourTheme;
class CPVN4Doc;
class CPyrvane2WorkArea;
class CPyrvane;
class CMinTravelTime;
class CEmbrith;
class RunHost;

// One burning period of a fire-growth run; the end hour is the last burning hour plus 1.
struct BurnPeriod {
  int32_t month;
  int32_t day;
  int32_t startHour;
  int32_t endHour;
};

class CRunInputs {
 public:
  CRunInputs();
  virtual ~CRunInputs() = default;

  bool useCustomFuelModels = false;
  int windType = 0;  // 0 constant, 1 uphill, 2 gridded files, 3 downhill, 4 engine gridded, 5 ATM
  int griddedWindsResolution = 90;
  bool diurnalGriddedWinds = false;
  platform::OleDateTime diurnalDateTime;
  double diurnalAirTemperature = 75.0;  // a fire-growth run keeps its speed bin here
  double diurnalCloudCover = 20.0;      // a fire-growth run keeps its direction bin here
  double diurnalLongitude = -114.0;
  int diurnalTimeZone = -7;
  bool noConditioning = true;
  int windSpeed = 0;
  int windDirection = 0;
  platform::OleDateTime conditioningStart;
  platform::OleDateTime conditioningEnd;
  double projectValue1 = 15.0, projectValue2 = 5.0, projectValue3 = 0.2;
  double foliarMoistureContent = 100.0;
  std::string customFuelsFile;
  std::string fuelMoistureFile;
  std::string windFile;     // daily wind (WND)
  std::string weatherFile;  // daily weather (WTR)
  std::string griddedWindDirectionFile;
  std::string griddedWindSpeedFile;
  bool useWeatherStream = false;
  std::string weatherStreamFile;
  int windSpeedUnits = 0;
};

class CRunOutputs {
 public:
  CRunOutputs();
  virtual ~CRunOutputs() = default;
  bool HasOutputs() const;

  bool flameLength = false, rateOfSpread = false, firelineIntensity = false,
       heatPerUnitArea = false, crownFireActivity = false, solarRadiation = false,
       fuelMoisture1 = false, fuelMoisture10 = false, midflameWindSpeed = false,
       horizontalMovementRate = false, maxSpreadDirection = false, ellipticalA = false,
       ellipticalB = false, ellipticalC = false;
  bool spreadDirectionFixed = false;
  bool spreadVectors = false;
  bool crownFractionBurned = false;
  int numberOfProcessors = 1;
  bool useMemoryOutputs = true;
  int crownFireMethod = -1;  // 0 Hallett, any other Marlow and Brenner
  int spreadDirectionFromNorth = 0;
  bool fuelMoisture100 = false, fuelMoisture1000 = false, maxSpotting = false,
       maxSpottingDirection = false, maxSpottingDistance = false, maxSpotVectors = false;
};

struct CRunMTTSettings {
  bool IsReady() const;

  int marker = 1;
  int ignitionSource = 0;  // 0 shapefile, 2 random, 3 fire list
  std::string ignitionFile;
  int numberOfRandomFires = 0;
  double windAzimuthCopy = 180.0;
  double resolution = 30.0;
  double simulationTime = 0.0;
  double travelPathInterval = 500.0;
  std::string barrierFile;
  double spotProbability = 0.0;
  int spotDelay = 0;
  int fillBarriers = 1;
  int rateOfSpread = 0, nodeInfluence = 0, arrivalTime = 0, firelineIntensity = 0,
      flowPaths = 0, majorPaths = 0, arrivalContour = 0, ignitionGrid = 0;
  int burnProbabilities = 0;
  int lateralSearchDepth = 6, verticalSearchDepth = 4;
  int perimeters = 0, flpEnglish = 0, flpMetric = 0, fireSizeList = 0;
  int emberLocations = 0, emberList = 0;
  std::string fireListFile;
};

struct CRunTOMSettings {
  bool IsReady() const;

  double windAzimuthCopy = 180.0;
  double resolution = 30.0;
  std::string ignitionFile;
  std::string idealLandscapeFile;
  int iterations = 1;
  double maxTreatmentDimension = 300.0;
  double treatmentFraction = 0.1;
  int treatmentOpportunities = 0, treatments = 0, rateOfSpread = 0, nodeInfluence = 0,
      arrivalTime = 0, firelineIntensity = 0, flowPaths = 0, majorPaths = 0, arrivalContour = 0;
};

struct CRunEmbrithSettings {
  bool IsReady() const;

  std::string ignitionFile, barrierFile, rosAdjustFile, atmFile;
  int fillBarriers = 1;
  double perimeterResolution = 30.0, distanceResolution = 30.0, timeStep = 30.0;
  double spotProbability = 0.0;
  int spotIgnitionDelay = 0;
  double minimumSpotDistance = 30.0;
  double spotGridResolution = 15.0;
  int accelerationOn = 1;
  int arrivalTime = 0, rateOfSpread = 0, flameLength = 0, firelineIntensity = 0,
      heatPerUnitArea = 0, reactionIntensity = 0, ignitionGrid = 0, spreadDirection = 0,
      crownFireActivity = 0, perimeters = 0, spotFireLocations = 0, spotFireList = 0,
      spreadVectors = 0, windVectors = 0;
  std::vector<BurnPeriod> burnPeriods;  // the burn-period count is its size
};

// One record of the run's fuel-model table; number -1 marks an empty entry.
struct FuelModelRecord {
  int32_t number = -1;
  char code[12] = {};
  double load[5] = {};  // 1-h, 10-h, 100-h, live herbaceous, live woody
  int32_t dynamic = 0;
  int32_t sav[3] = {};  // 1-h, live herbaceous, live woody
  double depth = 0.0;
  double extinction = 0.0;
  double heatDead = 0.0, heatLive = 0.0;
  char name[256] = {};
};

constexpr int kFuelModelTableSize = 257;

// One wind sample of a run's weather source: minutes from the simulation start.
struct WindSample {
  double time = 0.0;
  double speed = 0.0;
  double direction = 0.0;
};

// A named in-memory text of a run: "Run Log", "FLP English", "Ember List" ...
struct RunLogFile {
  std::string name;
  std::string text;
};

class CRun {
 public:
  CRun();
  virtual ~CRun();
  CRun(const CRun&) = delete;
  CRun& operator=(const CRun&) = delete;

  // ---- fuel models ----
  void InitStandardFuelModels();
  bool IsCustomFuelModel(int number) const;

  // ---- outputs ----
  CTheme* FindOutputTheme(int layerType) const;
  CThemeLegendData* FindOutputLegend(int layerType) const;
  void UpdateOutputState();
  void RemoveStaleOutputs();
  void RemoveWindGridThemes();
  // Drops the run's hold on an overlay the document is deleting (its slots become empty).
  void ForgetOverlay(const void* theme);
  // Takes an arrow theme out of the document and frees it; clears the slot.
  void DropArrowTheme(CWindVectorTheme*& theme);
  void RemoveTOMOutputThemes();
  void RemoveIdealLandscapeThemes();
  // Reads layers 3 to 7 of the ideal landscape into themes with legends.
  void CreateIdealLandscapeThemes();
  void AddIdealLandscapeTreeItem();
  // Adds an output theme with its legend (the legend's theme is set to it).
  void AddOutputTheme(std::unique_ptr<CTheme> theme, std::unique_ptr<CThemeLegendData> legend);
  void ClearRunLogs() { runLogs.clear(); }
  bool IsEmbrithReady() const { return embrith.IsReady(); }
  CPyrvane* GetPyrvane() const { return pyrvane; }

  // ---- input files ----
  bool CheckFmsFile(std::string path);
  bool CheckFmdFile(std::string path);
  bool CheckAdjFile(std::string path);
  bool CheckWtrFile(std::string path, platform::OleDateTime& first, platform::OleDateTime& last);
  bool CheckWndFile(std::string path, platform::OleDateTime& first, platform::OleDateTime& last);
  int CheckFuelMoistures();
  bool CheckLandscapeFuelMoistures();
  bool CheckCustomFuelModels();
  std::vector<WindSample>& ReadRawsFile(std::vector<WindSample>& samples, int& units);
  double MinutesFromSimulationStart(int month, int day, int hour, int minute) const;

  static bool CheckStartBeforeEnd(const platform::OleDateTime& start,
                                  const platform::OleDateTime& end);
  static bool CheckFileReadable(const std::string& path);

  // ---- engine inputs files ----
  // Each writes a new, uniquely numbered inputs file in the working folder and returns its
  // path in pathOut (also kept in lastInputsFile).
  bool WritePyrvaneInputsFile(std::string& pathOut);
  bool WriteMTTInputsFile(std::string& pathOut);
  bool WriteTOMInputsFile(std::string& pathOut);
  bool WriteEmbrithInputsFile(std::string& pathOut);

  // ---- fields ----
  CTheme* maxSpreadDirectionTheme = nullptr;
  CTheme* ellipticalATheme = nullptr;
  CTheme* ellipticalBTheme = nullptr;
  CTheme* ellipticalCTheme = nullptr;
  CTheme* tomOutputThemes[4] = {};   // owned, each with its legend in outputLegends
  CTheme* idealLandscapeThemes[5] = {};  // owned: fuel model, canopy cover, stand height, CBH, CBD
  CTheme* maxSpottingTheme = nullptr;
  CTheme* windDirectionGridTheme = nullptr;
  CTheme* windSpeedGridTheme = nullptr;
  // Owned arrow, vector and contour outputs; the host removes them from the document and
  // deletes them.
  CWindVectorTheme* windVectors = nullptr;
  CWindVectorTheme* spreadVectors = nullptr;
  CWindVectorTheme* maxSpotVectors = nullptr;
  CWindVectorTheme* embrithWindVectors = nullptr;
  CWindVectorTheme* embrithSpreadVectors = nullptr;
  CVectorTheme* flowPaths = nullptr;
  CVectorTheme* majorPaths = nullptr;
  CVectorTheme* mttIgnitions = nullptr;
  CVectorTheme* mttBarriers = nullptr;
  CVectorTheme* tomIgnitions = nullptr;
  CVectorTheme* randomPerimeters = nullptr;
  CVectorTheme* embrithIgnitions = nullptr;
  CVectorTheme* embrithBarriers = nullptr;
  CVectorTheme* spotLocations = nullptr;
  CVectorTheme* embrithPerimeters = nullptr;
  CContourTheme* arrivalContour = nullptr;
  std::atomic<double> randomIgnitionProgress{0.0};  // read by the monitor thread
  void* threadBlock = nullptr;

  std::vector<std::unique_ptr<CThemeLegendData>> outputLegends;
  std::vector<std::unique_ptr<CThemeLegendData>> idealLandscapeLegends;
  std::vector<std::unique_ptr<CTheme>> outputThemes;
  std::vector<RunLogFile> runLogs;

  void* treeItem = nullptr;
  void* idealLandscapeTreeItem = nullptr;
  std::string name = "New Run";
  CPVN4Doc* document = nullptr;
  CPyrvane2WorkArea* area = nullptr;
  RunHost* host = nullptr;  // the document's services; null for a run outside a project

  CRunInputs inputs;
  CRunOutputs outputs;
  CRunMTTSettings mtt;
  CRunTOMSettings tom;
  CRunEmbrithSettings embrith;

  std::unique_ptr<CEmbrith> embrithEngine;
  std::unique_ptr<CMinTravelTime> mttEngine;
  CPyrvane* pyrvane = nullptr;  // created and deleted by the launch

  bool fireBehaviorUpToDate = false;
  bool mttUpToDate = false;
  bool tomUpToDate1 = false;
  bool tomUpToDate2 = false;

  FuelModelRecord fuelModels[kFuelModelTableSize];
  // The gridded winds of a fire-growth run, copied from its engine.
  runs::WindGridSet windGrids;
  bool isEmbrith = false;
  int32_t clockStart = 0, clockEnd = 0;

  std::string lastInputsFile;  // the inputs file of the latest launch
  // Every inputs file the run's launches wrote; removed with the run (its log keeps the text).
  std::vector<std::string> inputsFiles;

 private:
  void RemoveOutputThemeAt(std::size_t index, bool refreshMap);
  void DeleteLegendOf(std::vector<std::unique_ptr<CThemeLegendData>>& list, const CTheme* theme);
  // Deletes owned themes with their rectangles and legends (no map refresh).
  void RemoveOwnedThemes(CTheme** themes, std::size_t count,
                         std::vector<std::unique_ptr<CThemeLegendData>>& legends);
};

// Names of the wind-speed units: 1 "km/h @ 10m", 2 "m/sec @ 10m", 3 "ft/min @ 20'", else
// "mph @ 20'".
std::string GetWindSpeedUnitsName(int units);
int GetDaysBeforeMonth(int month);
void TrimString(std::string& s);

// The shared text of the latest file check: its "Checking" line or its first error.
const std::string& ValidationMessage();
