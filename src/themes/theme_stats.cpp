#include "themes/theme_stats.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "themes/theme.h"

namespace {

// Ascending sort of floats through their bit patterns (three 11-bit radix passes over keys
// made on the fly, counts taken in one pass): one sort of a whole grid must stay close to the
// cost of reading it.
inline std::uint32_t SortKey(float v) {
  std::uint32_t b;
  std::memcpy(&b, &v, 4);
  return b ^ ((b & 0x80000000u) ? 0xFFFFFFFFu : 0x80000000u);
}

void SortFloats(std::vector<float>& values) {
  const std::size_t n = values.size();
  if (n < 4096) {
    std::sort(values.begin(), values.end());
    return;
  }
  constexpr int kBits = 11, kBuckets = 1 << kBits, kPasses = 3;
  std::vector<std::size_t> counts(static_cast<std::size_t>(kBuckets) * kPasses, 0);
  for (float v : values) {
    const std::uint32_t k = SortKey(v);
    for (int p = 0; p < kPasses; ++p) ++counts[static_cast<std::size_t>(p) * kBuckets + ((k >> (p * kBits)) & (kBuckets - 1))];
  }
  std::vector<float> other(n);
  std::vector<float>* from = &values;
  std::vector<float>* to = &other;
  for (int p = 0; p < kPasses; ++p) {
    std::size_t* c = counts.data() + static_cast<std::size_t>(p) * kBuckets;
    std::size_t sum = 0;
    for (int b = 0; b < kBuckets; ++b) {
      const std::size_t here = c[b];
      c[b] = sum;
      sum += here;
    }
    const int shift = p * kBits;
    float* out = to->data();
    for (float v : *from) out[c[(SortKey(v) >> shift) & (kBuckets - 1)]++] = v;
    std::swap(from, to);
  }
  if (from != &values) values.swap(*from);
}

bool IsData(float v) { return v != kNoData && !std::isnan(v); }

}  // namespace

double CThemeStats::GetPercentile(int k) const {
  return percentiles[std::clamp(k, 1, 100) - 1];
}

void CThemeStats::Compute(const CTheme& theme, const CellWindow& w) {
  windowRows = w.lastRow - w.firstRow + 1;
  windowColumns = w.lastColumn - w.firstColumn + 1;
  windowWest = w.firstColumn * theme.cellWidth + theme.west;
  windowNorth = theme.north - w.firstRow * theme.cellHeight;
  windowEast = windowWest + windowColumns * theme.cellWidth;
  windowSouth = windowNorth - windowRows * theme.cellHeight;
  validCount = noDataCount = 0;
  std::vector<float> valid;
  double sum = 0;
  if (windowRows > 0 && windowColumns > 0 && theme.rows > 0) {
    valid.reserve(std::min(
        static_cast<std::size_t>(windowRows) * static_cast<std::size_t>(windowColumns),
        static_cast<std::size_t>(theme.rows) * static_cast<std::size_t>(std::max(theme.columns, 0))));
    std::vector<float> row(static_cast<std::size_t>(std::max(theme.columns, 0)));
    const int inFirst = std::max(w.firstColumn, 0);
    const int inLast = std::min(w.lastColumn, theme.columns - 1);
    const int inside = std::max(inLast - inFirst + 1, 0);
    for (int r = w.firstRow; r <= w.lastRow; ++r) {
      if (r < 0 || r >= theme.rows || inside == 0) {
        noDataCount += windowColumns;
        continue;
      }
      noDataCount += windowColumns - inside;
      theme.ReadRow(r, row.data());
      for (int c = inFirst; c <= inLast; ++c) {
        const float v = row[static_cast<std::size_t>(c)];
        if (!IsData(v)) {
          ++noDataCount;
          continue;
        }
        valid.push_back(v);
        sum += v;
      }
    }
  } else if (windowRows > 0 && windowColumns > 0) {
    noDataCount = windowRows * windowColumns;
  }
  Summarise(valid, sum);
}

void CThemeStats::ComputeArrowValues(const std::vector<float>& values, const CellWindow& w,
                                     double east, double west, double north) {
  windowRows = w.lastRow - w.firstRow + 1;
  windowColumns = w.lastColumn - w.firstColumn + 1;
  const double size = windowColumns > 0 ? (east - west) / windowColumns : 0.0;
  windowWest = w.firstColumn * size + west;
  windowEast = windowWest + windowColumns * size;
  windowNorth = north - w.firstRow * size;
  windowSouth = windowNorth - windowRows * size;
  validCount = noDataCount = 0;
  std::vector<float> valid;
  valid.reserve(values.size());
  double sum = 0;
  for (float v : values) {
    if (!IsData(v)) {
      ++noDataCount;
      continue;
    }
    valid.push_back(v);
    sum += v;
  }
  Summarise(valid, sum);
}

void CThemeStats::Summarise(std::vector<float>& valid, double sum) {
  const std::size_t n = valid.size();
  validCount = static_cast<int>(n);
  mean = n > 0 ? sum / static_cast<double>(n) : 0.0;
  variance = stdDev = 0;
  if (n < 2) {
    minimum = maximum = median = mode = mean;
    std::fill(std::begin(percentiles), std::end(percentiles), mean);
    return;
  }
  float lo = valid[0], hi = valid[0];
  double sumD2 = 0, sumD = 0;
  for (float v : valid) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
    const double d = v - mean;
    sumD2 += d * d;
    sumD += d;
  }
  minimum = lo;
  maximum = hi;
  const double dn = static_cast<double>(n);
  variance = (sumD2 - sumD * sumD / dn) / (dn - 1);
  stdDev = variance > 0 ? std::sqrt(variance) : 0.0;

  SortFloats(valid);
  std::size_t best = 0, run = 0;
  mode = valid[0];
  for (std::size_t i = 0; i < n; ++i) {
    run = (i > 0 && valid[i] == valid[i - 1]) ? run + 1 : 1;
    if (run > best) {
      best = run;
      mode = valid[i];
    }
  }
  double h = 0;
  for (int k = 0; k < 100; ++k) {
    h += dn * 0.01;
    if (h >= dn) h = dn - 1;
    percentiles[k] = valid[static_cast<std::size_t>(h)];
  }
  median = percentiles[49];
}
