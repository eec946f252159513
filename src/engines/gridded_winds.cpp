#include "engines/gridded_winds.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "engines/slope_flow.h"
#include "engines/wind_model.h"

namespace engines {

namespace {

constexpr int kWindLayers = 20;

// Physical memory, or 0 when it cannot be had.
std::uint64_t PhysicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGE_SIZE);
  return pages > 0 && size > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size) : 0;
}

}  // namespace

int GenerateGriddedWinds(const HeldCells& held, const PyrvaneInputs& in, double speedMph, int threads,
                         const std::atomic<bool>& cancel, std::atomic<double>& progress, GeneratedWinds& out,
                         std::string& why) {
  const double width = held.cols * held.cell, height = held.rows * held.cell;
  const int res = in.griddedResolution;
  if (res <= 0 || res > width || res > height) {
    why = "GRIDDED_WINDS_RESOLUTION " + std::to_string(res) + " must be above 0 and at most the analysis area's width (" +
          std::to_string(static_cast<long>(width)) + ") and height (" + std::to_string(static_cast<long>(height)) + ").";
    return kErrGenerateWinds;
  }
  const long rows = static_cast<long>(std::ceil(height / res - 1e-9));
  const long cols = static_cast<long>(std::ceil(width / res - 1e-9));
  const std::uint64_t need = WindSolveBytes(static_cast<int>(std::min(rows, 1L << 30)),
                                            static_cast<int>(std::min(cols, 1L << 30)), kWindLayers);
  const std::uint64_t have = PhysicalMemory();
  if (rows * cols > (1L << 28) || (have > 0 && need > have / 4 * 3)) {
    why = "A wind grid of " + std::to_string(rows) + " x " + std::to_string(cols) + " cells needs about " +
          std::to_string(need >> 20) + " MB; choose a coarser GRIDDED_WINDS_RESOLUTION.";
    return kErrMemory;
  }
  out = GeneratedWinds{};
  out.rows = static_cast<int>(rows);
  out.cols = static_cast<int>(cols);
  out.resolution = res;
  out.west = held.west;
  out.south = held.north - rows * static_cast<double>(res);

  // Terrain and vegetation of each wind cell: the means over the landscape cells whose centres
  // fall in it; a wind cell without any takes the mean of the whole grid.
  WindTerrain t;
  t.rows = out.rows;
  t.cols = out.cols;
  t.cell = res;
  const std::size_t nw = static_cast<std::size_t>(rows) * cols, nh = static_cast<std::size_t>(held.rows) * held.cols;
  std::vector<double> sumZ(nw, 0.0), sumH(nw, 0.0);
  std::vector<int> count(nw, 0);
  std::vector<std::int32_t> owner(nh);
  double allZ = 0, allH = 0;
  long all = 0;
  for (int r = 0; r < held.rows; ++r)
    for (int c = 0; c < held.cols; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * held.cols + c;
      const long wr = std::min(rows - 1, static_cast<long>(((r + 0.5) * held.cell) / res));
      const long wc = std::min(cols - 1, static_cast<long>(((c + 0.5) * held.cell) / res));
      const std::size_t w = static_cast<std::size_t>(wr) * cols + wc;
      owner[i] = static_cast<std::int32_t>(w);
      if (held.elevationM[i] == -9999.0f) continue;
      sumZ[w] += held.elevationM[i];
      sumH[w] += held.vegetationM[i];
      ++count[w];
      allZ += held.elevationM[i];
      allH += held.vegetationM[i];
      ++all;
    }
  if (all == 0) {
    why = "The analysis area has no elevation.";
    return kErrGenerateWinds;
  }
  t.elevation.resize(nw);
  t.vegetation.resize(nw);
  for (std::size_t w = 0; w < nw; ++w) {
    t.elevation[w] = count[w] ? sumZ[w] / count[w] : allZ / all;
    t.vegetation[w] = count[w] ? sumH[w] / count[w] : allH / all;
  }

  WindSettings s;
  s.speedMph = speedMph;
  s.directionFrom = std::max(in.windDirection, 0.0);
  s.layers = kWindLayers;
  s.threads = threads;
  if (in.diurnal) {
    DiurnalSettings d;
    d.month = in.diurnalMonth;
    d.day = in.diurnalDay;
    d.hour = in.diurnalHour;
    d.minute = in.diurnalMinute;
    d.second = in.diurnalSecond;
    d.timeZone = in.diurnalTimeZone;
    d.latitude = held.latitude;
    d.longitude = in.diurnalLongitude;
    d.airTempF = in.diurnalAirTemp;
    d.cloudPercent = in.diurnalCloudCover;
    SlopeFlows(t, d, s.slopeEast, s.slopeNorth);
  }
  TerrainWindModel model;
  switch (model.Solve(t, s, cancel, &progress)) {
    case kWindOk: break;
    case kWindCancelled: return kErrCancelled;
    case kWindNoMemory:
      why = "Not enough memory for a wind grid of " + std::to_string(rows) + " x " + std::to_string(cols) + " cells.";
      return kErrMemory;
    case kWindNotConverged:
      why = "The wind solution did not converge.";
      return kErrGenerateWinds;
    default:
      why = "The wind grid cannot be built.";
      return kErrGenerateWinds;
  }
  out.iterations = model.Iterations();
  out.speedMph = model.SpeedMph();
  out.directionFrom = model.DirectionFrom();
  out.cellSpeed.resize(nh);
  out.cellDirection.resize(nh);
  for (std::size_t i = 0; i < nh; ++i) {
    out.cellSpeed[i] = out.speedMph[owner[i]];
    out.cellDirection[i] = out.directionFrom[owner[i]];
  }
  return kEngineOk;
}

}  // namespace engines
