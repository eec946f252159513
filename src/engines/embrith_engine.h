#pragma once
// CEmbrith: fire growth over a landscape through burn periods. The inner fire-behaviour engine
// gives each cell its spread ellipse under each hour's weather; the perimeter grows by
// elliptical wave propagation (growth.h), spots start new fires, and the run hands back
// arrival and behaviour grids, perimeters and spots. A monitor thread may poll the progress,
// simulated time and counters (atomics) and cancel meanwhile.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engines/embrith_inputs.h"
#include "engines/growth.h"
#include "engines/mtt_spot_list.h"
#include "engines/wind_series.h"

class CPyrvane;
namespace engines {
class LandscapeSource;
}

constexpr int kEmbrithNotAvailable = -200;
constexpr int kEmbrithCannotOpenInputs = -201;
constexpr int kEmbrithBadInputs = -202;
constexpr int kEmbrithNoLandscape = -203;
constexpr int kEmbrithFireBehavior = -204;
constexpr int kEmbrithIgnitionFile = -205;
constexpr int kEmbrithBarrierFile = -206;
constexpr int kEmbrithNoIgnition = -207;
constexpr int kEmbrithCancelled = -208;
constexpr int kEmbrithNoInputs = -209;
constexpr int kEmbrithAtmFile = -210;
constexpr int kEmbrithMemory = -211;

class CEmbrithSpot : public EngineSpot {};
class CEmbrithSpots : public SpotList<CEmbrithSpot> {};

// One perimeter as the shapefile gets it.
struct EmbrithPerimeter {
  double elapsed = 0;  // minutes after the first burn period's start
  int month = 0, day = 0, hour = 0;  // hour as hhmm
  int fireType = 1;  // 1 expanding fire, 2 enclave
  engines::growth::Ring ring;
};

class CEmbrith {
 public:
  CEmbrith();
  ~CEmbrith();
  CEmbrith(const CEmbrith&) = delete;
  CEmbrith& operator=(const CEmbrith&) = delete;

  int SetLandscapeFile(const char* path);  // 0 = failed
  // Tests and tools hand a landscape directly.
  void SetLandscape(std::unique_ptr<engines::LandscapeSource> source);
  int LoadEmbrithInputs(const char* file);  // 1 = loaded, else an error code
  int LoadEmbrithText(const std::string& text, const std::string& folder);
  int LaunchEmbrith();                      // 1 = success, else an error code
  const char* CommandFileError(int code);
  double GetEmbrithProgress() const { return progress_.load(); }
  void CancelEmbrith();
  // Simulated time: elapsed minutes, month, day, hhmm and minute of the hour.
  void GetSimTimes(int* elapsed, int* month, int* day, int* time, int* minute) const;
  // Threads of the growth and the fire behaviour (0: NUMBER_PROCESSORS, else all).
  void SetNumProcessors(int n) { processors_ = n; }
  // Repeats a run's spotting: the seed the next launch uses (negative: a fresh one).
  void SetSpottingSeed(int seed) { seed_ = seed; }

  int GetNumCurrentFires() const { return fires_.load(); }
  int GetNumSpotFiresCreated() const { return spotFires_.load(); }
  int GetTotalVertices() const { return vertices_.load(); }
  std::uint64_t GetVertexSteps() const { return vertexSteps_; }

  // Grids of the held landscape, row 0 north, -9999 where the fire did not arrive. Arrival in
  // minutes after the first burn period's start, flame length m, spread rate m/min, intensity
  // kW/m, heat kJ/m2, spread direction degrees, crown activity class, the surface fire's
  // reaction intensity kJ/min/m2; the ignition grid is 1 under the ignitions and 0 elsewhere.
  double* GetArrivalTimeGrid() { return Or(arrival_); }
  double* GetFlameLengthGrid() { return Or(out_[0]); }
  double* GetRateOfSpreadGrid() { return Or(out_[1]); }
  double* GetFireLineIntensityGrid() { return Or(out_[2]); }
  double* GetHeatPerUnitAreaGrid() { return Or(out_[3]); }
  double* GetSpreadDirectionGrid() { return Or(out_[4]); }
  double* GetCrownFireActivityGrid() { return Or(out_[5]); }
  double* GetReactionIntensityGrid() { return Or(out_[6]); }
  double* GetIgnitionGrid() { return Or(ignition_); }
  long GetNumRows() const { return grid_.rows; }
  long GetNumCols() const { return grid_.cols; }
  double GetResolution() const { return grid_.cell; }
  double GetWest() const { return grid_.west; }
  double GetSouth() const { return grid_.north - grid_.rows * grid_.cell; }

  CEmbrithSpots* GetFireSpots() { return &spots_; }
  int GetSpottingSeedUsed() const { return seedUsed_; }
  const std::vector<EmbrithPerimeter>& Perimeters() const { return perimeters_; }
  // The burned area (m2, horizontal) at one perimeter time: its fires less their enclaves;
  // 0 when no perimeter has that elapsed time.
  double GetBurnedArea(double elapsed) const;
  // The perimeters as a polygon shapefile with its fields; the spot fires as text lines.
  // Both written whole or not at all: 1, or 0 with the reason in CommandFileError(0).
  int WritePerimetersShapeFile(const char* path);
  int WriteSpotDataFile(const char* path);
  CPyrvane* GetPyrvane() const { return pyrvane_.get(); }

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
  struct Behavior;
  struct Run;
  template <class T>
  static T* Or(std::vector<T>& v) { return v.empty() ? nullptr : v.data(); }
  int Fail(int code, std::string detail = {});

  std::unique_ptr<CPyrvane> pyrvane_;
  std::string text_, folder_;
  bool loaded_ = false;
  engines::EmbrithInputs in_;
  engines::AtmWinds atm_;
  int processors_ = 0, seed_ = -1, seedUsed_ = 0;

  std::atomic<double> progress_{0.0};
  std::atomic<bool> cancel_{false};
  std::atomic<int> simElapsed_{0}, simMonth_{0}, simDay_{0}, simTime_{0};
  std::atomic<int> fires_{0}, spotFires_{0}, vertices_{0};
  std::uint64_t vertexSteps_ = 0;

  engines::growth::Grid grid_;
  std::vector<double> arrival_, ignition_;
  std::vector<double> out_[7];
  std::vector<EmbrithPerimeter> perimeters_;
  CEmbrithSpots spots_;
  engines::WindSeries winds_;
  int lastCode_ = 0;
  std::string lastDetail_, errorText_;
};
