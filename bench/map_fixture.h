// A synthetic landscape document shared by the map benchmarks: aspect and fuel-model layers
// of 30 m cells, the fuel layer visible through its area legend, relief shading on.
// Default: 1000 x 1000 cells. PYRVANE_BENCH_FULL=1: 4000 x 4000 cells.
#pragma once
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/folders.h"
#include "project/document.h"
#include "themes/theme.h"

namespace bench_map {

constexpr int kCell = 30;

inline int Side() { return std::getenv("PYRVANE_BENCH_FULL") ? 4000 : 1000; }

inline float Fuel(int r, int c) {
  static const float fuels[] = {1, 2, 5, 8, 10, 91, 98, 101, 102, 122, 142, 165, 183, 186, 188};
  return fuels[(r / 37 + c / 53) % 15];
}
inline float Elevation(int r, int c) { return static_cast<float>(1500 + ((r * 7 + c * 3) % 900)); }
inline float Aspect(int r, int c) { return static_cast<float>((r * 13 + c) % 360); }

inline std::vector<float> Grid(float (*f)(int, int)) {
  const int n = Side();
  std::vector<float> cells(static_cast<std::size_t>(n) * n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) cells[static_cast<std::size_t>(r) * n + c] = f(r, c);
  return cells;
}

// Scratch files of the themes go to `folder`.
inline std::unique_ptr<CPVN4Doc> MakeDocument(const std::string& folder) {
  std::system(("mkdir -p " + folder).c_str());
  platform::SetWorkingFolder(folder);
  auto d = std::make_unique<CPVN4Doc>();
  const int n = Side();
  CHeaderData& h = d->landscape.header;
  h.rows = h.columns = n;
  h.cellWidth = h.cellHeight = kCell;
  h.west = 500000;
  h.north = 4900000;
  h.east = h.west + 1.0 * kCell * n;
  h.south = h.north - 1.0 * kCell * n;
  for (auto [type, f] : {std::pair{2, &Aspect}, std::pair{3, &Fuel}}) {
    const std::vector<float> cells = Grid(f);
    auto t = std::make_unique<CTheme>();
    t->CreateFromFloats("layer", h.south, h.west, kCell, kCell, n, n, -9999, cells.data(), 0, type);
    d->landscape.layers[static_cast<std::size_t>(type)] = t.get();
    d->gridThemes.push_back(std::move(t));
  }
  d->landscape.loaded = true;
  d->CreateWorkArea(h.north, h.east, h.south, h.west, "Entire Landscape (Default)");
  d->ShowFuelModelLayer();
  d->reliefShading = 1;
  return d;
}

}  // namespace bench_map
