// Unit conversions of raster themes, by layer type: stored code <-> display units.
#include <cmath>

#include "landscape/units.h"
#include "themes/theme.h"

namespace {

constexpr double kFeetPerMetre = 3.2808;
constexpr double kMetresPerFoot = 0.30480370641307;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

bool In(int layer, std::initializer_list<int> set) {
  for (int v : set)
    if (v == layer) return true;
  return false;
}

bool IsRate(int t) { return In(t, {12, 20, 22, 23, 24, 35}); }

// Plain factors: layer types, from code, to code, factor.
struct Factor {
  std::initializer_list<int> layers;
  int from, to;
  double factor;
};

const Factor kForward[] = {
    {{0, 11, 32, 12, 20, 22, 23, 24, 35}, 0, 1, kFeetPerMetre},
    {{0, 11, 32, 12, 20, 22, 23, 24, 35}, 1, 0, kMetresPerFoot},
    {{5, 6}, 1, 1, kFeetPerMetre},
    {{5, 6}, 3, 1, kFeetPerMetre},
    {{5, 6}, 2, 0, kMetresPerFoot},
    {{5, 6}, 4, 0, kMetresPerFoot},
    {{8}, 1, 1, 0.446088250343865},
    {{8}, 2, 0, 2.2417088978002777},
    {{13, 38}, 0, 1, 0.2889087914945252},
    {{13, 38}, 1, 0, 3.4613},
    {{14}, 0, 1, 0.08806},
    {{14}, 1, 0, 11.355893708834886},
    {{19, 34}, 0, 1, 1.60934},
    {{19, 34}, 0, 2, 0.44704},
    {{19, 34}, 0, 3, 88.0002},
    {{19, 34}, 1, 0, 0.621371},
    {{19, 34}, 1, 2, 0.277778},
    {{19, 34}, 1, 3, 54.68064},
    {{19, 34}, 2, 0, 2.23694},
    {{19, 34}, 2, 1, 3.6},
    {{19, 34}, 2, 3, 196.8504},
    {{19, 34}, 3, 0, 0.011363633333333335},
    {{19, 34}, 3, 1, 0.018288},
    {{19, 34}, 3, 2, 0.00508},
    {{21}, 1, 0, kDegToRad},
    {{17, 18, 26, 27}, 0, 1, 100.0},
    {{43}, 0, 1, 0.0880550918},
    {{43}, 1, 0, 11.356526687534497},
};

// Display index d back to stored code u: layer types, u, d, factor.
const Factor kBackward[] = {
    {{0, 11, 32, 12, 20, 22, 23, 24, 35}, 0, 1, kMetresPerFoot},
    {{0, 11, 32, 12, 20, 22, 23, 24, 35}, 1, 0, kFeetPerMetre},
    {{13, 38}, 0, 1, 3.4613},
    {{13, 38}, 1, 0, 0.2889087914945252},
    {{14}, 0, 1, 11.355893708834886},
    {{14}, 1, 0, 0.08806},
    {{21}, 0, 1, kDegToRad},
    {{17, 18, 26, 27}, 0, 1, 0.01},
    {{43}, 0, 1, 11.356526687534497},
    {{43}, 1, 0, 0.0880550918},
};

const Factor* Find(const Factor* begin, const Factor* end, int layer, int from, int to) {
  for (const Factor* f = begin; f != end; ++f)
    if (f->from == from && f->to == to && In(layer, f->layers)) return f;
  return nullptr;
}

double PercentToDegrees(double v) {
  const double d = std::atan(v * 0.01) * kRadToDeg;
  const double whole = std::trunc(d);
  return d - whole >= 0.5 ? whole + 1 : whole;
}

double DegreesToPercent(double v) { return std::tan(v * kDegToRad) * 100.0; }

// Bulk density from stored code u to display index d (cells already unscaled).
double BulkDensityForward(double v, int u, int d) {
  if (u == 1 || u == 3) {
    if (d == 1) return v * 100;
    if (d == 2) return v * 0.06242781783562756;
    if (d == 3) return v * 0.06242781783562756 * 1000;
  } else if (u == 2 || u == 4) {
    if (d == 0) return v * 16.0185;
    if (d == 1) return v * 16.0185 * 100;
    if (d == 3) return v * 1000;
  }
  return v;
}

double BulkDensityBackward(double v, int u, int d) {
  if (u == 1 || u == 3) {
    if (d == 1) return v * 0.01;
    if (d == 2) return v * 16.0185;
    if (d == 3) return v * 16.0185 * 0.001;
    return v;
  }
  if (u == 2 || u == 4) {
    if (d == 0) return v * 0.06242781783562756;
    if (d == 1) return v * 0.06242781783562756 * 0.01;
    if (d == 3) return v * 0.001;
  }
  return v;
}

// Stored cells per unit of a layer's code: heights in codes 3 and 4 are tenths, density in
// code 3 hundredths and in code 4 thousandths, duff always tenths; the others whole units.
double StoredScale(int layer, int code) {
  switch (layer) {
    case 5:
    case 6:
      return code == 3 || code == 4 ? 10.0 : 1.0;
    case 7:
      return code == 3 ? 100.0 : code == 4 ? 1000.0 : 1.0;
    case 8:
      return 10.0;
  }
  return 1.0;
}

float ConvertForLayer(int layer, float value, int from, int to) {
  if (value == kNoData || layer < 0 || layer > 43) return value;
  const double v = value;
  switch (layer) {
    case 1:
      if (from == 0 && to == 1) return static_cast<float>(DegreesToPercent(v));
      if (from == 1 && to == 0) return static_cast<float>(PercentToDegrees(v));
      return value;
    // Aspect and cover follow the landscape files' own rules, so a theme and a written file
    // never disagree on a cell.
    case 2:
      return static_cast<float>(landscape::AspectToAzimuth(from == 0 || from == 1 ? from : 2, v));
    case 4:
      return from == 0 ? static_cast<float>(landscape::CoverClassToPercent(v)) : value;
    case 7:
      return static_cast<float>(BulkDensityForward(v, from, to));
    case 21:
      if (from == 0 && to == 1) return static_cast<float>(static_cast<double>(value * 180.0f) * 0.3183098861837907);
      break;
    default:
      if (IsRate(layer) && from == 0 && to == 2)
        return static_cast<float>(v * kFeetPerMetre) * 0.90909094f;
  }
  if (const Factor* f = Find(std::begin(kForward), std::end(kForward), layer, from, to))
    return static_cast<float>(v * f->factor);
  return value;
}

}  // namespace

float CTheme::ConvertUnits(float value, int from, int to) const {
  return ConvertForLayer(layerType, value, from, to);
}

float CTheme::ConvertToDisplayUnits(float value, const CThemeLegendData& legend) const {
  if (value == kNoData) return value;
  const double scale = StoredScale(layerType, units);
  if (scale != 1.0) value = static_cast<float>(value / scale);
  return ConvertUnits(value, units, legend.GetUnits());
}

float CTheme::ConvertFromDisplayUnits(float value, const CThemeLegendData& legend) const {
  if (value == kNoData || layerType < 0 || layerType > 43) return value;
  const int u = units, d = legend.GetUnits();
  const double v = value;
  switch (layerType) {
    case 1:
      if (u == 1 && d == 0) return static_cast<float>(DegreesToPercent(v));
      if (u == 0 && d == 1) return static_cast<float>(PercentToDegrees(v));
      return value;
    case 2:
    case 4:
      return ConvertUnits(value, u, d);
    case 5:
    case 6:
      if ((u == 1 || u == 3) && d == 1) return static_cast<float>(v * kMetresPerFoot * StoredScale(5, u));
      if ((u == 2 || u == 4) && d == 0) return static_cast<float>(v * kFeetPerMetre * StoredScale(5, u));
      return static_cast<float>(v * StoredScale(5, u));
    case 7:
      return static_cast<float>(BulkDensityBackward(v, u, d) * StoredScale(7, u));
    case 8:
      if (u == 1 && d == 1) return static_cast<float>(v * 2.2417088978002777 * 10);
      if (u == 2 && d == 0) return static_cast<float>(v * 0.446088250343865 * 10);
      return static_cast<float>(v * 10);
    case 19:
    case 34:
      return ConvertUnits(value, d, u);
    case 21:
      if (u == 1 && d == 0) return static_cast<float>(v * 180 * 0.3183098861837907);
      break;
    default:
      if (IsRate(layerType) && u == 0 && d == 2)
        return static_cast<float>(static_cast<double>(value * 1.1f) * kMetresPerFoot);
  }
  if (const Factor* f = Find(std::begin(kBackward), std::end(kBackward), layerType, u, d))
    return static_cast<float>(v * f->factor);
  return value;
}
