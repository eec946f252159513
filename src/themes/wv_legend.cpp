#include "themes/wv_legend.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "app/random.h"

namespace {

constexpr int kUnitCounts[3] = {4, 3, 2};
// kFactors[kind][from][to]; 0 marks a pair without conversion.
constexpr double kFactors[3][4][4] = {
    {{0, 1.60934, 0.44704, 88.0002},
     {0.621371, 0, 0.277778, 54.68064},
     {2.23694, 3.6, 0, 196.8504},
     {0.011363633333333335, 0.018288, 0.00508, 0}},
    {{0, 3.2808, 2.9825454545454546, 0},
     {0.30480370641307, 0, 0.9090909090909092, 0},
     {0.33528407705437696, 1.1, 0, 0},
     {0, 0, 0, 0}},
    {{0, 3.2808, 0, 0}, {0.30480370641307, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
};

}  // namespace

double ConvertArrowUnits(int kind, double value, int from, int to) {
  if (kind < 0 || kind > 2) return value;
  const int n = kUnitCounts[kind];
  if (from < 0 || to < 0 || from >= n || to >= n) return value;
  const double f = kFactors[kind][from][to];
  return f == 0 ? value : value * f;
}

int CWVLegendData::ClassOf(double x) const {
  const int n = GetCount();
  if (n <= 0) return -1;
  if (x < min_) return 0;
  if (n >= 2 && x < entries_[1].GetValue()) return 0;
  if (x >= entries_[static_cast<std::size_t>(n - 1)].GetValue()) return n - 1;
  if (n == 1) return -1;
  for (int i = 1; i < n; ++i)
    if (entries_[static_cast<std::size_t>(i)].GetValue() >= x) return i - 1;
  return n - 1;
}

COLORREF CWVLegendData::GetColor(double magnitude) const {
  const int i = ClassOf(ConvertArrowUnits(kind, magnitude, 0, units));
  return i < 0 ? 0 : entries_[static_cast<std::size_t>(i)].GetColor();
}

int CWVLegendData::GetRelativeLength(double magnitude) const {
  const int i = ClassOf(ConvertArrowUnits(kind, magnitude, 0, units));
  return i < 0 ? 1 : entries_[static_cast<std::size_t>(i)].GetRelativeLength();
}

int CWVLegendData::GetMaxRelativeLength() const {
  if (entries_.empty()) return 1;
  int m = entries_[0].GetRelativeLength();
  for (const auto& e : entries_) m = std::max(m, e.GetRelativeLength());
  return m;
}

int CWVLegendData::GetMinRelativeLength() const {
  if (entries_.empty()) return 1;
  int m = entries_[0].GetRelativeLength();
  for (const auto& e : entries_) m = std::min(m, e.GetRelativeLength());
  return m;
}

void CWVLegendData::ApplyColorRamp(const CColorRamp& ramp) {
  const int n = GetCount();
  const int m = ramp.GetCount();
  if (n == 0) return;
  if (m == 0) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count() %
                    1000;
    std::int32_t seed = -static_cast<std::int32_t>(ms);
    CRandom random;
    for (auto& e : entries_) {
      const double r = random.NextCombined(seed);
      const double g = random.NextCombined(seed);
      const double b = random.NextCombined(seed);
      e.SetColor(MakeColorRef(static_cast<unsigned>(r * 256) & 0xFFu,
                              static_cast<unsigned>(g * 256) & 0xFFu,
                              static_cast<unsigned>(b * 256) & 0xFFu));
    }
    return;
  }
  if (m == 1) {
    for (auto& e : entries_) e.SetColor(ramp.GetColor(0));
    return;
  }
  const double a = static_cast<double>(n) / (m - 1);
  const int per = static_cast<int>(std::ceil(a));
  // Sized to the segment, so no class count overflows it.
  std::vector<COLORREF> segment(static_cast<std::size_t>(std::max(per, 2)));
  for (int s = 0; s < m - 1; ++s) {
    const int first = static_cast<int>(s * a);
    if (per > 1) {
      MakeRgbRampPair(ramp.GetColor(s), ramp.GetColor(s + 1), per, segment.data());
      // When a is not whole the last segment reaches past the classes.
      for (int j = 0; j < per && first + j < n; ++j)
        entries_[static_cast<std::size_t>(first + j)].SetColor(segment[static_cast<std::size_t>(j)]);
    } else if (first < n) {
      entries_[static_cast<std::size_t>(first)].SetColor(ramp.GetColor(s));
    }
  }
}

void MakeRgbRampPair(COLORREF start, COLORREF end, int count, COLORREF* out) {
  if (count <= 1) {
    out[0] = start;
    out[1] = end;
    return;
  }
  const float step = 1.0f / static_cast<float>(count - 1);
  auto channel = [step](unsigned s, unsigned e, int j) {
    return static_cast<unsigned>(static_cast<float>(j) *
                                     ((static_cast<float>(e) - static_cast<float>(s)) * step) +
                                 static_cast<float>(s));
  };
  for (int j = 0; j < count; ++j)
    out[j] = MakeColorRef(channel(RedOf(start), RedOf(end), j),
                          channel(GreenOf(start), GreenOf(end), j),
                          channel(BlueOf(start), BlueOf(end), j));
}

void CWVLegendData::AddEntry(const CWVLegendEntry& entry) {
  const float v = entry.GetValue();
  auto it = entries_.begin();
  for (; it != entries_.end(); ++it)
    if (it->GetValue() > v && it->GetValue() != -9999.0f) break;
  entries_.insert(it, entry);
}

void CWVLegendData::Copy(const CWVLegendData& other) {
  if (this == &other) return;
  RemoveAllEntries();
  showValues = other.showValues;
  fontSize = other.fontSize;
  decimals = other.decimals;
  skip = other.skip;
  lineWidth = other.lineWidth;
  autoDensity = other.autoDensity;
  targetSize = other.targetSize;
  units = other.units;
  for (const auto& e : other.entries_) AddEntry(e);
}
