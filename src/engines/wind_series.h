#pragma once
// The gridded winds of a fire-growth run: one grid per weather hour, an earlier hour's grid
// reused when the hour's wind lies within the run's speed and direction bins of it.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engines/wind_model.h"

namespace engines {

struct WindHour {
  std::string dateTime;  // as the run reports it
  double endTime = 0;
  float speedMph = 0;
  short directionFrom = 0;
};

class WindSeries {
 public:
  // Starts an empty series over the terrain; the lower-left corner is in map units.
  void Reset(const WindTerrain& terrain, double xll, double yll, int speedBin, int directionBin, int threads);
  // Adds the hour, solving a new grid only when no earlier one lies within the bins.
  WindStatus Add(const WindHour& hour, const std::atomic<bool>& cancel);

  int Count() const { return static_cast<int>(steps_.size()); }
  int Solved() const { return static_cast<int>(grids_.size()); }
  int Rows() const { return terrain_.rows; }
  int Columns() const { return terrain_.cols; }
  double Resolution() const { return terrain_.cell; }
  double XLL() const { return xll_; }
  double YLL() const { return yll_; }
  // Row pointers of step i, row 0 the southern row; null outside the series.
  float** SpeedRows(int i);
  short** DirectionRows(int i);
  void DateTimes(int n, char** out) const;  // buffers of 32 characters
  void EndTimes(int n, double* out) const;
  void Inputs(int n, float* speeds, short* directions) const;

 private:
  struct Grid {
    std::vector<float> speed;
    std::vector<short> direction;
    std::vector<float*> speedRows;
    std::vector<short*> directionRows;
    float inputSpeed = 0;
    short inputDirection = 0;
  };
  struct Step {
    WindHour hour;
    int grid = 0;
  };
  WindTerrain terrain_;
  double xll_ = 0, yll_ = 0;
  int speedBin_ = 0, directionBin_ = 0, threads_ = 1;
  std::vector<std::unique_ptr<Grid>> grids_;
  std::vector<Step> steps_;
};

}  // namespace engines
