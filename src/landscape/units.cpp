#include "landscape/units.h"

#include <cmath>

#include "landscape/header.h"

namespace landscape {

std::optional<CellRule> RuleForLayer(int layer, int code) {
  CellRule r;
  auto scale = [&](double f) {
    r.kind = CellRule::kScale;
    r.factor = f;
    return r;
  };
  switch (layer) {
    case kElevation:
      r.keepNegative = true;
      if (code == 0) return r;
      if (code == 1) return scale(kFeetToMetres);
      return std::nullopt;
    case kSlope:
      if (code == 0) return r;
      if (code == 1) return CellRule{CellRule::kPercentToDegrees};
      return std::nullopt;
    case kAspect:
      if (code == 2) return CellRule{CellRule::kAzimuth};
      if (code == 1) return CellRule{CellRule::kGrassDegrees};
      if (code == 0) return CellRule{CellRule::kGrassCategories};
      return std::nullopt;
    case kFuelModel:
      return r;
    case kCanopyCover:
      if (code == 1) return r;
      if (code == 0) return CellRule{CellRule::kCoverClasses};
      return std::nullopt;
    case kStandHeight:
    case kCanopyBaseHeight:
      switch (code) {
        case 1: return scale(10.0);
        case 2: return scale(3.048);
        case 3: return r;
        case 4: return scale(0.3048);
      }
      return std::nullopt;
    case kCanopyBulkDensity:
      switch (code) {
        case 1: return scale(100.0);
        case 2: return scale(1601.846);
        case 3: return r;
        case 4: return scale(1.601846);  // lb/ft^3 x 1000 -> kg/m^3 x 100
      }
      return std::nullopt;
  }
  return std::nullopt;
}

namespace {

std::int16_t Whole(double v, bool keepNegative) {
  if (!std::isfinite(v)) return kNoData;
  const double t = std::trunc(v);
  const double low = keepNegative ? -32768.0 : 0.0;
  if (t < low || t > 32767.0 || t == kNoData) return kNoData;
  return static_cast<std::int16_t>(t);
}

}  // namespace

std::int16_t PercentToDegrees(double percent) {
  if (!(percent >= 0)) return kNoData;
  const double g = std::atan(percent * 0.01) * 57.29577951308232;
  double whole = std::trunc(g);
  if (g - whole >= 0.5) whole += 1;
  return static_cast<std::int16_t>(whole);
}

double AspectToAzimuth(int code, double v) {
  if (v == kNoData || !std::isfinite(v)) return kNoData;
  double grass;
  switch (code) {
    case 2:
      return v < 0 || v > 360 ? kNoData : v;
    case 1:
      if (v < 0 || v > 360) return kNoData;
      grass = v;
      break;
    case 0:
      // Categories 1-24 in 15-degree steps from east; 25 (flat) is kept as the layer themes
      // keep it, so that a converted file and a loaded one agree.
      if (v == 25) return 25;
      if (v < 1 || v > 24) return kNoData;
      grass = (v - 1) * 15.0;
      break;
    default:
      return kNoData;
  }
  return std::fmod(std::fmod(450.0 - grass, 360.0) + 360.0, 360.0);
}

double CoverClassToPercent(double v) {
  if (v == 1 || v == 2 || v == 3 || v == 4) return v * 25.0;
  return v;
}

std::int16_t ApplyRule(const CellRule& rule, double v) {
  if (v == kNoData || !std::isfinite(v)) return kNoData;
  switch (rule.kind) {
    case CellRule::kCopy:
      return Whole(v, rule.keepNegative);
    case CellRule::kScale:
      return Whole(v * rule.factor, rule.keepNegative);
    case CellRule::kPercentToDegrees:
      return PercentToDegrees(v);
    case CellRule::kAzimuth:
      return Whole(AspectToAzimuth(2, std::trunc(v)), false);
    case CellRule::kGrassDegrees:
      return Whole(AspectToAzimuth(1, std::trunc(v)), false);
    case CellRule::kGrassCategories:
      return Whole(AspectToAzimuth(0, std::trunc(v)), false);
    case CellRule::kCoverClasses:
      return Whole(CoverClassToPercent(v), false);
  }
  return kNoData;
}

float LayerCellValue(int layer, int code, int v) {
  if (v == kNoData) return kNoData;
  if (layer == kElevation) return static_cast<float>(v);
  if (v < 0) return kNoData;
  if (layer == kAspect) return static_cast<float>(AspectToAzimuth(code == 0 || code == 1 ? code : 2, v));
  if (layer == kCanopyCover && code == 0) return static_cast<float>(CoverClassToPercent(v));
  return static_cast<float>(v);
}

int LayerThemeUnits(int layer, int code) {
  if (layer == kAspect) return 2;
  if (layer == kCanopyCover) return 1;
  return code;
}

}  // namespace landscape
