#pragma once
// The generated landscape of the engine benchmarks: a mix of grass, shrub, timber, slash and
// non-burnable models on every slope and aspect, a canopy on every third column.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engines/landscape_source.h"

namespace benchfixture {

inline const int kFuels[] = {1, 2, 4, 8, 10, 91, 102, 122, 145, 165, 183, 98, 204, 3, 124, 9};

inline std::unique_ptr<engines::LandscapeSource> MakeLandscape(int rows, int cols) {
  CHeaderData h = engines::MakeStandardHeader(rows, cols, 0.0, 0.0, 30.0, true);
  std::vector<std::vector<std::int16_t>> layers(10);
  for (int k = 0; k < 8; ++k) layers[k].resize(static_cast<size_t>(rows) * cols);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      size_t i = static_cast<size_t>(r) * cols + c;
      bool canopy = c % 3 == 0;
      layers[0][i] = static_cast<std::int16_t>(500 + (r + c) % 2000);
      layers[1][i] = static_cast<std::int16_t>((r * 7 + c * 3) % 46);
      layers[2][i] = static_cast<std::int16_t>((r * 37 + c * 11) % 360);
      layers[3][i] = static_cast<std::int16_t>(kFuels[(r * 5 + c) % 16]);
      layers[4][i] = static_cast<std::int16_t>(canopy ? 40 + (r % 5) * 10 : 0);
      layers[5][i] = static_cast<std::int16_t>(canopy ? 150 + (r % 7) * 20 : 0);
      layers[6][i] = static_cast<std::int16_t>(canopy ? 5 + (c % 4) * 10 : 0);
      layers[7][i] = static_cast<std::int16_t>(canopy ? 5 + (r % 6) * 6 : 0);
    }
  return std::make_unique<engines::MemoryLandscape>(std::move(h), std::move(layers));
}

// The same landscape as an LCP file (bands interleaved cell by cell), as a user's run reads it.
inline bool WriteLandscapeFile(const std::string& path, int rows, int cols) {
  const auto land = MakeLandscape(rows, cols);
  const CHeaderData& h = land->Header();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = h.WriteHeader(f) == 0;
  const int bands = h.BandCount();
  std::vector<std::int16_t> row(static_cast<size_t>(cols) * bands);
  for (int r = 0; ok && r < rows; ++r) {
    for (int k = 0; k < 10; ++k)
      if (const int b = h.BandIndex(k); b >= 0)
        for (int c = 0; c < cols; ++c) row[static_cast<size_t>(c) * bands + b] = land->Layer(k)[static_cast<size_t>(r) * cols + c];
    ok = std::fwrite(row.data(), sizeof(std::int16_t), row.size(), f) == row.size();
  }
  return std::fclose(f) == 0 && ok;
}

}  // namespace benchfixture
