#pragma once
// The minimum-travel-time engine: the fire-behaviour engine, resampled to the run's resolution,
// gives every cell its spread ellipse; fire then travels between cell centres along the
// quickest paths of a lattice (mtt_search.h). A run thread launches it while a monitor polls
// the progress getters and may cancel. Treatment optimisation (LaunchTOM) places treatment
// units where the ideal landscape's fuels most delay the fastest travel (tom.h).
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engines/mtt_inputs.h"
#include "engines/mtt_spot_list.h"

class CPyrvane;
namespace engines::mtt {
class SearchWorkspace;
struct SpreadField;
struct SearchResult;
}
struct QuickFireModel;

constexpr int kMttCannotOpenInputs = -101;
constexpr int kMttBadInputs = -102;
constexpr int kMttNoLandscape = -103;
constexpr int kMttFireBehavior = -104;
constexpr int kMttIgnitionFile = -105;
constexpr int kMttBarrierFile = -106;
constexpr int kMttNoIgnition = -107;
constexpr int kMttCancelled = -108;
constexpr int kMttNoInputs = -109;
constexpr int kTomIdealLandscape = -110;

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
  // The inner fire-behaviour engine exists from here on, so a monitor may poll it at once.
  CMinTravelTime();
  ~CMinTravelTime();
  CMinTravelTime(const CMinTravelTime&) = delete;
  CMinTravelTime& operator=(const CMinTravelTime&) = delete;

  int SetLandscapeFile(const char* path);  // 0 = not loaded
  // A treatment run's grid starts at the area's south-west corner (the whole landscape when
  // no area is set).
  void SetAnalysisArea(double east, double west, double north, double south);
  int LoadMTTInputs(const char* file);  // 1 = loaded, else an error code
  int LoadTOMInputs(const char* file);
  int LaunchMTT();  // 1 = success, else an error code
  int LaunchTOM();
  const char* CommandFileError(int code);
  double GetMTTProgress() const { return progress_.load(); }
  void CancelMTT();

  // The inner engine: its own, or the one SetPyrvane lent (never freed here).
  CPyrvane* GetPyrvane() const { return pyrvane_; }
  float* GetPyrvaneOutputLayer(int index);

  // The node grid of the latest launch (for a treatment run: from the analysis area's
  // south-west corner, at the run's resolution but never finer than the landscape's cells).
  long GetNumRows() const { return rows_; }
  long GetNumCols() const { return cols_; }
  double GetResolution() const { return cell_; }
  double GetWest() const { return west_; }
  double GetSouth() const { return north_ - rows_ * cell_; }
  // Output grids, row 0 north; -9999 where the fire did not reach (arrival times in minutes,
  // rates in m/min, intensity in kW/m); the ignition grid is 1 on ignition nodes, else 0.
  // After a treatment run they are the fire on the treated landscape, and the treatment grid
  // holds the iteration (1, 2, ...) that treated a cell, 0 elsewhere; the opportunities grid
  // is 1 where the ideal fuels spread slower in every direction, 0 elsewhere; both -9999
  // where the landscape has no data. An opportunities-only run makes only that grid.
  double* GetROSGrid() { return Or(QuickGrids().ros_); }
  double* GetArrivalTimeGrid() { return Or(QuickGrids().arrival_); }
  double* GetInfluenceGrid() { return Or(influence_); }
  double* GetTreatmentGrid() { return Or(treatment_); }
  float* GetFliMapGrid() { return Or(fli_); }
  float* GetIgnitionGrid() { return Or(ignition_); }
  float* GetTreatOpportunitiesGrid() { return Or(opportunity_); }

  long GetNumMajorVecs() const { return static_cast<long>(major_.size()); }
  long GetNumFlowVecs() const { return static_cast<long>(flow_.size()); }
  long GetNumMajorVecPoints(long path) const { return PathSize(major_, path); }
  long GetNumFlowVecPoints(long path) const { return PathSize(flow_, path); }
  float GetMajorVecPointX(long path, long i) const { return PathPoint(major_, path, i).first; }
  float GetMajorVecPointY(long path, long i) const { return PathPoint(major_, path, i).second; }
  float GetFlowVecPointX(long path, long i) const { return PathPoint(flow_, path, i).first; }
  float GetFlowVecPointY(long path, long i) const { return PathPoint(flow_, path, i).second; }

  CMTTSpots* GetFireSpots() { return &spots_; }
  int GetSpottingSeed() const { return seedUsed_; }
  // Repeats a run's embers: the seed the next launch uses (a negative value: a fresh one).
  void SetSpottingSeed(int seed) { seed_ = seed; }
  // The ember list as comma-separated text; false when the file cannot be written.
  bool WriteEmberCSV(const char* path);

  void ResetMTT();
  void SetPyrvane(CPyrvane* pyrvane);
  void SetMaxSimTime(long minutes) { in_.simTime = static_cast<double>(minutes); }
  void SetResolution(double resolution) { in_.resolution = resolution; }
  void SetNumLat(int n) { in_.lateral = n; }
  void SetNumVert(int n) { in_.vertical = n; }
  void SetFillBarriers(int fill) { in_.fillBarriers = fill; }
  void SetBarriers(const char* path);
  void SetSpotProbability(double p) { in_.spotProbability = p; }
  void SetSpotDelay(int minutes) { in_.spotDelay = minutes; }
  void SetNumProcessors(int n) { processors_ = n; }
  void SetStartProcessor(int n) { startProcessor_ = n; }
  int SetIgnitionPoint(double x, double y);  // 1 = accepted (not on a barrier)
  int LaunchMTTQuick();
  // The outline of the latest quick fire's burned cells; null when nothing burned.
  CPerimeter* GetFirePerimeter(int fire);
  // The nodes the latest quick fire burned, in the order they burned (row-major node indices
  // of the grid above), with each one's arrival time (minutes) and rate (m/min). The full
  // grids of a quick fire are made only when asked for.
  const std::vector<int>& GetQuickBurned() const;
  double GetQuickArrival(int node) const;
  double GetQuickRate(int node) const;
  // The lattice that quick fires of the current settings share, made on first use; lend it to
  // engines of other threads so that each holds only its own search state.
  std::shared_ptr<const QuickFireModel> GetQuickFireModel();
  void SetQuickFireModel(std::shared_ptr<const QuickFireModel> model) { quickModel_ = std::move(model); }
  // Memory of a shared lattice and of one engine's search state, per node.
  static std::size_t QuickFireModelBytesPerNode();
  static std::size_t QuickFireBytesPerNode();

 private:
  using Path = std::vector<std::pair<float, float>>;
  template <class T>
  static T* Or(std::vector<T>& v) { return v.empty() ? nullptr : v.data(); }
  static long PathSize(const std::vector<Path>& paths, long i);
  static std::pair<float, float> PathPoint(const std::vector<Path>& paths, long path, long i);
  int Fail(int code, std::string detail = {});
  // The inputs file's text, and the fire-behaviour keys loaded into the inner engine.
  int ReadInputs(const char* file, std::string& text);
  void ClearOutputs();
  // Runs the inner engine with the grids the search reads; 1 or an error code.
  int RunFireBehavior(CPyrvane& p);
  int RunTOM();
  // The outputs of a finished search over field (fli: the head-fire intensity of its cells).
  void KeepFire(const engines::mtt::SpreadField& field, const float* fli, const engines::mtt::SearchResult& r,
                const std::vector<int>& ignitions, bool paths);
  // The search over the inner engine's finished grids from the given ignition nodes.
  int Search(const std::vector<int>& ignitions, const std::vector<char>& barriers, bool paths);
  bool Barriers(std::vector<char>& mask);
  // The barrier mask of the current settings, read once per file and lattice.
  const std::vector<char>* CachedBarriers();
  std::string QuickKey() const;
  CMinTravelTime& QuickGrids();
  void OutlineQuickFire();

  std::unique_ptr<CPyrvane> own_;
  CPyrvane* pyrvane_ = nullptr;
  engines::mtt::MttInputs in_;
  bool inputsLoaded_ = false;
  engines::mtt::TomInputs tom_;
  std::string tomText_;
  bool tomLoaded_ = false;
  // The ideal landscape's engine of a treatment run, kept for the object's life so that a
  // monitor may cancel it at any time.
  std::unique_ptr<CPyrvane> ideal_;
  // The landscape's extent and cell size as loaded, and the analysis area.
  double landWest_ = 0, landEast_ = 0, landNorth_ = 0, landSouth_ = 0, landCell_ = 0;
  bool hasArea_ = false;
  double areaWest_ = 0, areaEast_ = 0, areaNorth_ = 0, areaSouth_ = 0;
  std::atomic<double> progress_{0.0};
  std::atomic<bool> cancel_{false};
  int processors_ = 1, startProcessor_ = 0;
  int seed_ = -1, seedUsed_ = 0;
  double ignitionX_ = 0, ignitionY_ = 0;
  bool hasIgnitionPoint_ = false;

  int rows_ = 0, cols_ = 0;
  double cell_ = 0, west_ = 0, north_ = 0;
  std::vector<double> arrival_, ros_, influence_, treatment_;
  std::vector<float> opportunity_;
  std::vector<float> fli_, ignition_;
  std::vector<Path> major_, flow_;
  CMTTSpots spots_;
  CPerimeter perimeter_;
  bool hasPerimeter_ = false;
  std::shared_ptr<const QuickFireModel> quickModel_;
  std::unique_ptr<engines::mtt::SearchWorkspace> quick_;
  bool quickRan_ = false, quickGridsMade_ = false;
  std::vector<char> barrierMask_;
  std::string barrierKey_;
  bool barrierOk_ = false;

  int lastCode_ = 0;
  std::string lastDetail_, errorText_;
};
