#pragma once
// The minimum-travel-time and treatment-optimisation engine as the runs call it. Until the
// engine itself is built, loading checks the inputs file and every launch answers
// kMttNotAvailable, whose text CommandFileError gives.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engines/mtt_spot_list.h"

class CPyrvane;

constexpr int kMttNotAvailable = -100;
constexpr int kMttCannotOpenInputs = -101;

class CMTTSpot : public EngineSpot {};
class CMTTSpots : public SpotList<CMTTSpot> {};

class CPerimeterLine {
 public:
  void SetNumPoints(int n) { points_.assign(n > 0 ? static_cast<std::size_t>(n) : 0, {0.f, 0.f}); }
  int GetNumPoints() const { return static_cast<int>(points_.size()); }
  bool GetPoint(int i, float* x, float* y) const;
  bool SetPoint(int i, float x, float y);

 private:
  struct Point {
    float x, y;
  };
  std::vector<Point> points_;
};

class CPerimeter {
 public:
  void SetNumLines(int n);
  int GetNumLines() const { return static_cast<int>(lines_.size()); }
  CPerimeterLine* GetLine(int i);

 private:
  std::vector<CPerimeterLine> lines_;
};

class CMinTravelTime {
 public:
  CMinTravelTime();
  ~CMinTravelTime();

  int SetLandscapeFile(const char* path);  // 0 = not loaded
  void SetAnalysisArea(double east, double west, double north, double south);
  int LoadMTTInputs(const char* file);  // 1 = loaded, else an error code
  int LoadTOMInputs(const char* file);
  int LaunchMTT();  // 1 = success, else an error code
  int LaunchTOM();
  const char* CommandFileError(int code) const;
  double GetMTTProgress() const { return progress_.load(); }
  void CancelMTT() { cancel_.store(true); }

  CPyrvane* GetPyrvane() const { return pyrvane_; }
  float* GetPyrvaneOutputLayer(int index);

  long GetNumRows() const { return 0; }
  long GetNumCols() const { return 0; }
  double GetResolution() const { return resolution_; }
  double GetWest() const { return 0; }
  double GetSouth() const { return 0; }
  double* GetROSGrid() { return nullptr; }
  double* GetArrivalTimeGrid() { return nullptr; }
  double* GetInfluenceGrid() { return nullptr; }
  double* GetTreatmentGrid() { return nullptr; }
  float* GetFliMapGrid() { return nullptr; }
  float* GetIgnitionGrid() { return nullptr; }
  float* GetTreatOpportunitiesGrid() { return nullptr; }

  long GetNumMajorVecs() const { return 0; }
  long GetNumFlowVecs() const { return 0; }
  long GetNumMajorVecPoints(long) const { return 0; }
  long GetNumFlowVecPoints(long) const { return 0; }
  float GetMajorVecPointX(long, long) const { return 0; }
  float GetMajorVecPointY(long, long) const { return 0; }
  float GetFlowVecPointX(long, long) const { return 0; }
  float GetFlowVecPointY(long, long) const { return 0; }

  CMTTSpots* GetFireSpots() { return &spots_; }
  int GetSpottingSeed() const { return 0; }
  void WriteEmberCSV(const char* path);

  void ResetMTT();
  void SetPyrvane(CPyrvane* pyrvane) { pyrvane_ = pyrvane; }
  void SetMaxSimTime(long minutes) { maxSimTime_ = minutes; }
  void SetResolution(double resolution) { resolution_ = resolution; }
  void SetNumLat(int n) { numLat_ = n; }
  void SetNumVert(int n) { numVert_ = n; }
  void SetFillBarriers(int fill) { fillBarriers_ = fill; }
  void SetBarriers(const char* path) { barriers_ = path ? path : ""; }
  void SetSpotProbability(double p) { spotProbability_ = p; }
  void SetSpotDelay(int minutes) { spotDelay_ = minutes; }
  void SetNumProcessors(int n) { processors_ = n; }
  void SetStartProcessor(int n) { startProcessor_ = n; }
  int SetIgnitionPoint(double x, double y);  // 1 = accepted
  int LaunchMTTQuick();
  CPerimeter* GetFirePerimeter(int fire);

 private:
  int LoadInputs(const char* file);

  std::string landscape_, inputs_, barriers_;
  CPyrvane* pyrvane_ = nullptr;  // not owned
  std::atomic<double> progress_{0.0};
  std::atomic<bool> cancel_{false};
  double east_ = 0, west_ = 0, north_ = 0, south_ = 0;
  double resolution_ = 30.0, spotProbability_ = 0.0;
  long maxSimTime_ = 0;
  int numLat_ = 6, numVert_ = 4, fillBarriers_ = 1, spotDelay_ = 0, processors_ = 1,
      startProcessor_ = 0;
  double ignitionX_ = 0, ignitionY_ = 0;
  CMTTSpots spots_;
};
