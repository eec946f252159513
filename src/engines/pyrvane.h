#pragma once
// CPyrvane: the fire-behaviour engine. A run sets the landscape, the analysis area and an
// inputs file, launches on its own thread and reads the output grids; a monitor thread may
// poll the progress getters and cancel meanwhile.
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "engines/inputs_file.h"
#include "engines/landscape_source.h"
#include "platform/grid_memory.h"

namespace engines {
struct RunData;
struct ConditioningResult;

using platform::AllocateGridMemory;
using platform::GridMemoryFree;

// A float grid allocated without initialisation, so that the parallel loops that fill it are
// the first to touch its pages.
class FloatGrid {
 public:
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  float* data() { return data_.get(); }
  const float* data() const { return data_.get(); }
  float& operator[](std::size_t i) { return data_[i]; }
  float operator[](std::size_t i) const { return data_[i]; }
  void Allocate(std::size_t n) {
    data_.reset(AllocateGridMemory(n));
    if (!data_) throw std::bad_alloc();
    size_ = n;
  }
  void clear() {
    data_.reset();
    size_ = 0;
  }

 private:
  std::unique_ptr<float[], GridMemoryFree> data_;
  std::size_t size_ = 0;
};
}  // namespace engines

class CPyrvane {
 public:
  CPyrvane();
  ~CPyrvane();
  CPyrvane(const CPyrvane&) = delete;
  CPyrvane& operator=(const CPyrvane&) = delete;

  // ---- landscape ----
  int SetLandscapeFile(const char* path);  // 1 loaded, 0 not
  // Tests and tools hand a landscape directly.
  void SetLandscape(std::unique_ptr<engines::LandscapeSource> source);
  void SetUseDiskForLCP(int useDisk) { useDisk_ = useDisk; }
  // The landscape's coordinate system as WKT, empty without one.
  std::string GetProjection() const { return land_ ? land_->Projection() : std::string(); }
  void SetAnalysisArea(double east, double west, double north, double south);
  void ResampleLandscape(double resolution);
  // The landscape's own extent and cell size; false without a landscape.
  bool GetLandscapeExtent(double* west, double* east, double* north, double* south, double* cell) const;
  // Holds exactly this grid, whatever the landscape's cell borders (cells off the landscape
  // have no data).
  void SetHeldGrid(double west, double north, double cell, int rows, int cols);
  void ResetBurn();

  // ---- run ----
  int CommandFileLoad(const char* path);
  // Loads inputs from text (what CommandFileLoad does after reading the file).
  int CommandTextLoad(const std::string& text);
  int LaunchPyrvane(int unused);
  const char* CommandFileError(int code);
  void ResetPyrvaneProgress();
  int GetRunState() const { return runState_.load(); }
  double QueryPyrvaneProgress() const { return overall_.load(); }
  double GetGustforgeProgress() const { return phase_[0].load(); }
  double GetConditioningProgress() const { return phase_[1].load(); }
  double GetFireBehaviorProgress() const { return phase_[2].load(); }
  void CancelPyrvane() { cancel_.store(true); }
  // Dead fuel moistures for the next launches in place of the inputs' conditioning: every held
  // cell's 1-, 10-, 100- and 1000-h moistures and solar radiation (fire growth conditions them
  // hour by hour itself). Not owned; null returns to the inputs' own.
  void SetConditionedMoistures(const engines::ConditioningResult* m) { given_ = m; }

  // ---- outputs ----
  void SelectOutputLayer(int index, int on);
  float* GetOutputLayer(int index);

  // Cells of the last launch that were not taken as they stand, as run-log lines ("#..." and
  // CR LF each; empty when every cell was): burnable cells with a slope but no aspect, burned as
  // flat ground, and burnable cells left without fire behaviour for want of a slope or (under
  // conditioning) an elevation.
  std::string GetCellNotes() const;

  // ---- the grid as held (the analysis area's cells after SetAnalysisArea) ----
  int GetNumRows() const { return rows_; }
  int GetNumCols() const { return cols_; }
  double GetSouth() const { return north_ - rows_ * cell_; }
  double GetWest() const { return west_; }
  double GetNorth() const { return north_; }
  double GetEast() const { return west_ + cols_ * cell_; }
  double GetCellSize() const { return cell_; }
  int GetNumWindRows() const { return windRows_; }
  int GetNumWindCols() const { return windCols_; }
  int GetWindsResolution() const { return windRes_; }
  void GetWindCorners(double* west, double* south) const;
  // The held cells' terrain in engine units: elevation m, slope degrees, aspect as azimuth and
  // cover percent (-9999 where missing), and the landscape's latitude. False without a landscape
  // or memory.
  bool GetTerrain(std::vector<float>& elevationM, std::vector<float>& slopeDeg, std::vector<float>& aspectDeg,
                  std::vector<float>& coverPct, double& latitudeDeg);
  float GetLayerValueByCell(int layer, int col, int row) const;
  float GetLayerValue(int layer, double x, double y) const;
  int GetUnits(int layer) const;
  int GetLayerHeaderValCount(int layer) const;
  int GetLayerHeaderVal(int layer, int i) const;

 private:
  int Fail(int code, std::string detail = {});
  // The phases of a launch.
  int Run();
  int LoadCells(engines::RunData& d);
  bool LoadFloatGrids(engines::RunData& d);  // false when memory runs out
  int LoadFuels(engines::RunData& d);
  int LoadWinds(engines::RunData& d);
  int GenerateWinds(engines::RunData& d);
  int Condition(engines::RunData& d);
  int ComputeCells(engines::RunData& d);
  int WriteFiles();
  void SetOverall(int state, double fraction);
  std::vector<std::int16_t> HeldLayer(int layer) const;

  // Distinct values of a layer when the header keeps no list (computed on first request).
  const std::vector<int>& LayerValues(int layer) const;

  std::unique_ptr<engines::LandscapeSource> land_;
  mutable std::array<std::vector<int>, 10> layerValues_;
  mutable std::array<bool, 10> layerValuesDone_{};
  mutable std::mutex layerValuesLock_;  // readers may share one finished engine
  int useDisk_ = 0;
  // The held grid: a window (and possibly another cell size) of the landscape.
  int rows_ = 0, cols_ = 0;
  double west_ = 0, north_ = 0, cell_ = 0;
  int windRows_ = 0, windCols_ = 0, windRes_ = 0;
  double windWest_ = 0, windSouth_ = 0;

  const engines::ConditioningResult* given_ = nullptr;
  bool inputsLoaded_ = false;
  engines::PyrvaneInputs inputs_;
  std::array<bool, engines::kOutputCount> selected_{};
  std::array<engines::FloatGrid, engines::kOutputCount> grids_;

  std::atomic<int> runState_{0};
  std::atomic<double> overall_{0};
  std::array<std::atomic<double>, 3> phase_{};
  std::atomic<bool> cancel_{false};
  int lastCode_ = 0;
  std::string lastDetail_, errorText_;
  long flatNoAspect_ = 0, noSlope_ = 0, noElevation_ = 0;  // cells counted by the last launch
};
