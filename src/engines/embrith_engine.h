#pragma once
// The fire-growth engine as the runs call it. Until the engine itself is built, loading checks
// the inputs file and a launch answers kEmbrithNotAvailable, whose text CommandFileError gives.
#include <atomic>
#include <string>
#include <vector>

#include "engines/mtt_spot_list.h"
#include "engines/wind_series.h"

constexpr int kEmbrithNotAvailable = -200;
constexpr int kEmbrithCannotOpenInputs = -201;

class CEmbrithSpot : public EngineSpot {};
class CEmbrithSpots : public SpotList<CEmbrithSpot> {};

class CEmbrith {
 public:
  int SetLandscapeFile(const char* path);  // 0 = failed
  int LoadEmbrithInputs(const char* file);  // 1 = loaded, else an error code
  int LaunchEmbrith();                      // 1 = success, else an error code
  const char* CommandFileError(int code) const;
  double GetEmbrithProgress() const { return progress_.load(); }
  void CancelEmbrith() { cancel_.store(true); }
  void GetSimTimes(int* elapsed, int* month, int* day, int* time, int* minute) const;

  int GetNumCurrentFires() const { return 0; }
  int GetNumSpotFiresCreated() const { return 0; }
  int GetTotalVertices() const { return 0; }

  double* GetArrivalTimeGrid() { return nullptr; }
  double* GetFlameLengthGrid() { return nullptr; }
  double* GetRateOfSpreadGrid() { return nullptr; }
  double* GetFireLineIntensityGrid() { return nullptr; }
  double* GetHeatPerUnitAreaGrid() { return nullptr; }
  double* GetSpreadDirectionGrid() { return nullptr; }
  double* GetCrownFireActivityGrid() { return nullptr; }
  double* GetReactionIntensityGrid() { return nullptr; }
  double* GetIgnitionGrid() { return nullptr; }
  long GetNumRows() const { return 0; }
  long GetNumCols() const { return 0; }
  double GetResolution() const { return 0; }
  double GetWest() const { return 0; }
  double GetSouth() const { return 0; }

  CEmbrithSpots* GetFireSpots() { return &spots_; }
  int GetSpottingSeedUsed() const { return 0; }
  // Without an engine there are no perimeters or spots to write: both return without a file.
  void WritePerimetersShapeFile(const char*) {}
  void WriteSpotDataFile(const char*) {}

  // The gridded winds of the run, one grid per weather hour (rows from the south).
  int GetNumGustforgeGrids() const { return winds_.Count(); }
  int GetNumGustforgeRows() const { return winds_.Rows(); }
  int GetNumGustforgeCols() const { return winds_.Columns(); }
  double GetGustforgeResolution() const { return winds_.Resolution(); }
  double GetGustforgeXLLCorner() const { return winds_.XLL(); }
  double GetGustforgeYLLCorner() const { return winds_.YLL(); }
  float** GetGustforgeSpeedGrid(int i) { return winds_.SpeedRows(i); }
  short** GetGustforgeDirGrid(int i) { return winds_.DirectionRows(i); }
  void GetGustforgeGridDateTimes(int n, char** out) const { winds_.DateTimes(n, out); }
  void GetGustforgeGridEndTimes(int n, double* out) const { winds_.EndTimes(n, out); }
  void GetGustforgeInput(int n, float* speeds, short* directions) const { winds_.Inputs(n, speeds, directions); }
  engines::WindSeries& GustforgeSeries() { return winds_; }

 private:
  std::string landscape_, inputs_;
  std::atomic<double> progress_{0.0};
  std::atomic<bool> cancel_{false};
  CEmbrithSpots spots_;
  engines::WindSeries winds_;
};
