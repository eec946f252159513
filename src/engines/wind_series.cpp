#include "engines/wind_series.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace engines {

void WindSeries::Reset(const WindTerrain& terrain, double xll, double yll, int speedBin, int directionBin,
                       int threads) {
  terrain_ = terrain;
  xll_ = xll;
  yll_ = yll;
  speedBin_ = speedBin;
  directionBin_ = directionBin;
  threads_ = threads;
  grids_.clear();
  steps_.clear();
}

WindStatus WindSeries::Add(const WindHour& hour, const std::atomic<bool>& cancel) {
  for (std::size_t g = 0; g < grids_.size(); ++g) {
    const Grid& e = *grids_[g];
    const double turn = std::fabs(std::fmod(hour.directionFrom - e.inputDirection + 540.0, 360.0) - 180.0);
    if (std::fabs(hour.speedMph - e.inputSpeed) <= speedBin_ && turn <= directionBin_) {
      steps_.push_back({hour, static_cast<int>(g)});
      return kWindOk;
    }
  }
  WindSettings s;
  s.speedMph = hour.speedMph;
  s.directionFrom = hour.directionFrom;
  s.threads = threads_;
  TerrainWindModel model;
  const WindStatus st = model.Solve(terrain_, s, cancel, nullptr);
  if (st != kWindOk) return st;
  auto grid = std::make_unique<Grid>();
  const int rows = terrain_.rows, cols = terrain_.cols;
  grid->inputSpeed = hour.speedMph;
  grid->inputDirection = hour.directionFrom;
  grid->speed.resize(static_cast<std::size_t>(rows) * cols);
  grid->direction.resize(grid->speed.size());
  // The engine's rows run from the south.
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const std::size_t from = static_cast<std::size_t>(r) * cols + c;
      const std::size_t to = static_cast<std::size_t>(rows - 1 - r) * cols + c;
      grid->speed[to] = model.SpeedMph()[from];
      grid->direction[to] = static_cast<short>(std::lround(model.DirectionFrom()[from]) % 360);
    }
  for (int r = 0; r < rows; ++r) {
    grid->speedRows.push_back(grid->speed.data() + static_cast<std::size_t>(r) * cols);
    grid->directionRows.push_back(grid->direction.data() + static_cast<std::size_t>(r) * cols);
  }
  grids_.push_back(std::move(grid));
  steps_.push_back({hour, static_cast<int>(grids_.size() - 1)});
  return kWindOk;
}

float** WindSeries::SpeedRows(int i) {
  if (i < 0 || i >= Count()) return nullptr;
  return grids_[steps_[i].grid]->speedRows.data();
}

short** WindSeries::DirectionRows(int i) {
  if (i < 0 || i >= Count()) return nullptr;
  return grids_[steps_[i].grid]->directionRows.data();
}

void WindSeries::DateTimes(int n, char** out) const {
  for (int i = 0; i < n && i < Count(); ++i) std::snprintf(out[i], 32, "%s", steps_[i].hour.dateTime.c_str());
}

void WindSeries::EndTimes(int n, double* out) const {
  for (int i = 0; i < n && i < Count(); ++i) out[i] = steps_[i].hour.endTime;
}

void WindSeries::Inputs(int n, float* speeds, short* directions) const {
  for (int i = 0; i < n && i < Count(); ++i) {
    speeds[i] = steps_[i].hour.speedMph;
    directions[i] = steps_[i].hour.directionFrom;
  }
}

}  // namespace engines
