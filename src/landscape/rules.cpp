#include "landscape/rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "app/layer_types.h"
#include "platform/numbers.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

namespace {

constexpr float kRuleNoData = -9999.0f;

std::string Trim(const std::string& s) {
  const char* blanks = " \t\r\n\f\v";
  const std::size_t b = s.find_first_not_of(blanks);
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

bool IsNoData(float v) { return std::isnan(v) || v == kRuleNoData; }

// Rule values are whole units; stand and base height cells hold tenths, bulk density
// hundredths.
double CellScale(int layerType) {
  if (layerType == 5 || layerType == 6) return 0.1;
  if (layerType == 7) return 0.01;
  return 1.0;
}

float ScaledCell(float stored, int layerType) {
  return static_cast<float>(static_cast<double>(stored) * CellScale(layerType));
}

}  // namespace

// ---- clauses ----

CLcpRuleClause::CLcpRuleClause(const CLcpRuleClause& other)
    : isRaster(other.isRaster), minimum(other.minimum), maximum(other.maximum) {
  if (isRaster) {
    rasterLayerType = other.rasterLayerType;
    rasterTitle = other.rasterTitle;
    rasterFilePath = other.rasterFilePath;
    rasterTheme = other.rasterTheme;
  } else {
    vectorTitle = other.vectorTitle;
    vectorFilePath = other.vectorFilePath;
    vectorTheme = other.vectorTheme;
  }
}

std::string CLcpRuleClause::GetDescription() const {
  if (!isRaster) return vectorTitle.empty() ? std::string() : "Landscape intersects " + vectorTitle;
  const std::string title = Trim(rasterTitle), lo = Trim(minimum), hi = Trim(maximum);
  if (title.empty() || (lo.empty() && hi.empty())) return {};
  if (!lo.empty() && !hi.empty()) {
    if (landscape::RuleTextNumber(hi) < landscape::RuleTextNumber(lo)) return {};
    return title + " >= " + lo + " AND " + title + " <= " + hi;
  }
  if (!lo.empty()) return title + " >= " + lo;
  return title + " <= " + hi;
}

bool CLcpRuleClause::IsRasterValueInRange(double x, double y) const {
  if (!isRaster) return true;
  if (!rasterTheme) return false;
  const float stored = rasterTheme->GetValueAt(x, y);
  if (IsNoData(stored)) return false;
  const float v = ScaledCell(stored, rasterTheme->layerType);
  if (!Trim(minimum).empty() && v < landscape::RuleTextNumber(minimum)) return false;
  if (!Trim(maximum).empty() && v > landscape::RuleTextNumber(maximum)) return false;
  return true;
}

void CLcpRuleClause::BuildRings() {
  ringsBuilt_ = true;
  rings_.clear();
  if (!vectorTheme) return;
  for (const auto& shape : vectorTheme->shapes) {
    if (!shape || IsPointType(shape->type)) continue;
    for (int p = 0; p < shape->PartCount(); ++p) {
      int begin = 0, end = 0;
      shape->PartRange(p, begin, end);
      CPolygon& ring = rings_.emplace_back();
      if (end <= begin || !ring.SetVertexCount(end - begin)) continue;
      for (int i = begin; i < end; ++i)
        ring.SetVertex(shape->x[static_cast<std::size_t>(i)], shape->y[static_cast<std::size_t>(i)], i - begin);
    }
  }
}

bool CLcpRuleClause::IsPointInVector(double x, double y) {
  if (!ringsBuilt_) BuildRings();
  bool inside = false;
  for (CPolygon& ring : rings_) {
    if (ring.GetVertexCount() < 3) continue;
    if (x < ring.MinX() || x > ring.MaxX() || y < ring.MinY() || y > ring.MaxY()) continue;
    if (ring.IsPointInside(x, y)) inside = ring.GetArea() < 0;
  }
  return inside;
}

const void* CLcpRuleClause::BoundTheme() const {
  return isRaster ? static_cast<const void*>(rasterTheme) : static_cast<const void*>(vectorTheme);
}

std::string CLcpRuleClause::ThemeName() const {
  const std::string& title = isRaster ? rasterTitle : vectorTitle;
  const std::string& path = isRaster ? rasterFilePath : vectorFilePath;
  if (path.empty()) return title;
  return title.empty() ? path : title + " (" + path + ")";
}

// ---- rules ----

CLcpRule::CLcpRule() { GetDescription(); }

CLcpRule::CLcpRule(const CLcpRule& other)
    : constant(other.constant),
      targetLayer(other.targetLayer),
      constantValue(other.constantValue),
      expressionLayer(other.expressionLayer),
      expressionOperator(other.expressionOperator),
      expressionValue(other.expressionValue),
      fuelModels(other.fuelModels),
      description(other.description) {
  for (const auto& c : other.clauses) clauses.push_back(std::make_unique<CLcpRuleClause>(*c));
}

std::string CLcpRule::GetDescription() {
  std::string text = "Set " + landscape::RuleLayerName(targetLayer) + " = ";
  if (constant)
    text += constantValue + " ";
  else
    text += landscape::RuleLayerName(expressionLayer) + " " + expressionOperator + " " + expressionValue + " ";
  std::string condition;
  if (!fuelModels.empty()) {
    std::string ids;
    for (std::size_t i = 0; i < fuelModels.size(); ++i) {
      if (i) ids += " OR ";
      ids += std::to_string(fuelModels[i]);
    }
    condition = "IF Fuel Model = (" + ids + ")";
  }
  for (const auto& c : clauses) {
    condition += condition.empty() ? "IF " : " AND ";
    condition += c->GetDescription();
  }
  description = text + condition;
  return description;
}

bool CLcpRule::IsCellSelected(const CTheme& target, const CTheme* fuel, int row, int column) {
  if (!fuelModels.empty()) {
    if (!fuel) return false;
    const float f = fuel->GetCellValue(column, row);
    if (std::isnan(f) || f < -2147483648.0f || f >= 2147483648.0f) return false;
    const auto id = static_cast<std::int32_t>(f);  // toward zero: 5.9 is fuel model 5
    if (std::find(fuelModels.begin(), fuelModels.end(), id) == fuelModels.end()) return false;
  }
  if (clauses.empty()) return true;
  const double x = target.west + (column + 0.5) * target.cellWidth;
  const double y = target.south + (target.rows - row - 0.5) * target.cellHeight;
  for (const auto& c : clauses) {
    const bool holds = c->isRaster ? c->IsRasterValueInRange(x, y) : c->IsPointInVector(x, y);
    if (!holds) return false;
  }
  return true;
}

namespace landscape {

std::string RuleLayerName(int layerType) {
  if (layerType < 0 || layerType >= kLandscapeLayerCount) return {};
  return GetLandscapeLayerName(layerType);
}

std::string RuleLayerUnitsText(int layerType, int unitCode) {
  const bool metric = unitCode == 1 || unitCode == 3;
  switch (layerType) {
    case 0: return unitCode == 1 ? "Feet" : "Meters";
    case 1: return unitCode == 1 ? "Percent" : "Degrees";
    case 2: return "Degrees";
    case 4: return "Percent";
    case 5:
    case 6: return metric ? "Meters" : "Feet";
    case 7: return metric ? "kg/m^3" : "lb/ft^3";
    default: return "Class";
  }
}

float RuleTextNumber(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && std::strchr(" \t\r\n\f\v", text[i]) && text[i] != '\0') ++i;
  const std::size_t start = i;
  std::size_t j = i;
  if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
  std::size_t digits = 0;
  while (j < n && text[j] >= '0' && text[j] <= '9') ++j, ++digits;
  if (j < n && text[j] == '.') {
    ++j;
    while (j < n && text[j] >= '0' && text[j] <= '9') ++j, ++digits;
  }
  if (digits == 0) return 0.0f;
  std::size_t end = j;
  if (j < n && (text[j] == 'e' || text[j] == 'E')) {
    std::size_t k = j + 1;
    if (k < n && (text[k] == '+' || text[k] == '-')) ++k;
    if (k < n && text[k] >= '0' && text[k] <= '9') {
      while (k < n && text[k] >= '0' && text[k] <= '9') ++k;
      end = k;
    }
  }
  std::string number = text.substr(start, end - start);
  if (!number.empty() && number[0] == '+') number.erase(0, 1);
  double v = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), v);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: infinity or 0 with the text's sign.
    const bool negative = !number.empty() && number[0] == '-';
    const bool tiny = number.find_first_of("eE") != std::string::npos &&
                      number.find('-', number.find_first_of("eE")) != std::string::npos;
    v = tiny ? 0.0 : HUGE_VAL;
    if (negative) v = -v;
  } else if (result.ec != std::errc()) {
    return 0.0f;
  }
  return static_cast<float>(v);
}

std::optional<float> ParseRuleNumber(const std::string& text) {
  const std::string t = Trim(text);
  // Only decimal and exponent notation: no "inf", "nan" or hexadecimal.
  if (t.empty() || t.find_first_not_of("0123456789+-.eE") != std::string::npos) return std::nullopt;
  const std::optional<double> v = platform::ParseDouble(t);
  if (!v) return std::nullopt;
  const float f = static_cast<float>(*v);
  if (!std::isfinite(f)) return std::nullopt;
  return f;
}

LcpRuleList CopyLandscapeRules(const LcpRuleList& rules) {
  LcpRuleList copy;
  copy.reserve(rules.size());
  for (const auto& r : rules) copy.push_back(std::make_unique<CLcpRule>(*r));
  return copy;
}

void ClearLandscapeRules(LcpRuleList& rules) { rules.clear(); }

void RemoveRuleClausesOf(LcpRuleList& rules, const void* theme) {
  if (!theme) return;
  for (auto& rule : rules) {
    auto& list = rule->clauses;
    const std::size_t before = list.size();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const auto& c) { return c->rasterTheme == theme || c->vectorTheme == theme; }),
               list.end());
    if (list.size() != before) rule->GetDescription();
  }
}

namespace {

std::string LayerLabel(int layerType) {
  const std::string name = RuleLayerName(layerType);
  return name.empty() ? "layer " + std::to_string(layerType) : name;
}

bool CheckNumber(const std::string& text, const std::string& field, const std::string& ruleText,
                 std::string& error) {
  if (ParseRuleNumber(text)) return true;
  error = "Error. The " + field + " \"" + text + "\" of the rule\n" + ruleText + "\nis not a number.";
  return false;
}

bool UsesOperand(const std::string& op) {
  return !op.empty() && std::strchr("+-*/", op[0]) != nullptr && op[0] != '\0';
}

}  // namespace

RuleLayers ResolveRuleLayers(const CLcpRule& rule, const ThemeByLayerType& lookup) {
  RuleLayers layers;
  const std::string& ruleText = rule.description;
  // A landscape layer the landscape has; false with the error set otherwise.
  auto need = [&](int layerType, const char* use, CTheme*& slot) {
    if (layerType < 0 || layerType >= kLandscapeLayerCount) {
      layers.error = "Error. The rule\n" + ruleText + "\n" + use + " layer " + std::to_string(layerType) +
                     ", which is not a landscape layer.";
      return false;
    }
    slot = lookup(layerType);
    if (!slot)
      layers.error = "Error. The rule\n" + ruleText + "\nneeds the " + LayerLabel(layerType) +
                     " layer, which this landscape does not have.";
    return slot != nullptr;
  };
  if (!need(rule.targetLayer, "changes", layers.target)) return layers;
  if (!layers.target->HasMemoryGrid()) {
    layers.error = "Error. The cells of " + layers.target->name +
                   " are not in memory and cannot be changed by the rule\n" + ruleText;
    return layers;
  }
  layers.fuel = lookup(3);
  if (!rule.fuelModels.empty() && !need(3, "reads", layers.fuel)) return layers;
  layers.standHeight = lookup(5);
  layers.baseHeight = lookup(6);
  if (rule.constant) {
    if (!CheckNumber(rule.constantValue, "constant value", ruleText, layers.error)) return layers;
  } else {
    if (!need(rule.expressionLayer, "reads", layers.expression)) return layers;
    if (UsesOperand(rule.expressionOperator) &&
        !CheckNumber(rule.expressionValue, "expression value", ruleText, layers.error))
      return layers;
  }
  for (const auto& c : rule.clauses) {
    if (!c->BoundTheme()) {
      layers.error = "Error. The theme " + c->ThemeName() + " of a clause of the rule\n" + ruleText +
                     "\nis not in this project.";
      return layers;
    }
    if (!c->isRaster) continue;
    if (!Trim(c->minimum).empty() && !CheckNumber(c->minimum, "minimum", ruleText, layers.error)) return layers;
    if (!Trim(c->maximum).empty() && !CheckNumber(c->maximum, "maximum", ruleText, layers.error)) return layers;
  }
  return layers;
}

std::optional<float> RuleCellValue(const CLcpRule& rule, const RuleLayers& layers, int row, int column) {
  const CTheme& target = *layers.target;
  float value = 0;
  if (rule.constant) {
    value = RuleTextNumber(rule.constantValue);
  } else {
    const double x = target.west + (column + 0.5) * target.cellWidth;
    const double y = target.south + (target.rows - row - 0.5) * target.cellHeight;
    const float stored = layers.expression->GetValueAt(x, y);
    if (IsNoData(stored)) return std::nullopt;
    const float v = ScaledCell(stored, rule.expressionLayer);
    const float n = RuleTextNumber(rule.expressionValue);
    switch (rule.expressionOperator.empty() ? '\0' : rule.expressionOperator[0]) {
      case '*': value = v * n; break;
      case '+': value = v + n; break;
      case '-': value = v - n; break;
      case '/': value = v / n; break;
      default: value = v; break;
    }
  }
  if (!std::isfinite(value)) return std::nullopt;

  auto positiveOrZero = [](float v) { return v > 0 ? v : 0.0f; };
  // The other height layer's cell, in whole units; nothing where it has no data.
  auto heightAt = [&](const CTheme* theme, double factor) -> std::optional<float> {
    if (!theme) return std::nullopt;
    const float h = theme->GetCellValue(column, row);
    if (IsNoData(h)) return std::nullopt;
    return static_cast<float>(static_cast<double>(h) * 0.1 * factor);
  };
  switch (rule.targetLayer) {
    case 3: value = std::max(std::min(value, 256.0f), 1.0f); break;
    case 4: value = positiveOrZero(std::min(value, 100.0f)); break;
    case 5:
      if (auto h = heightAt(layers.baseHeight, 1.1)) value = std::max(value, *h);
      value = positiveOrZero(value);
      break;
    case 6:
      if (auto h = heightAt(layers.standHeight, 0.9)) value = std::min(value, *h);
      value = positiveOrZero(value);
      break;
    case 7: value = positiveOrZero(static_cast<double>(value) > 0.6 ? 0.6f : value); break;
    default: break;
  }
  return value;
}

std::int64_t EvaluateRule(CLcpRule& rule, const RuleLayers& layers, bool apply) {
  if (!layers.error.empty() || !layers.target) return -1;
  CTheme& target = *layers.target;
  const double factor = 1.0 / CellScale(rule.targetLayer);
  std::int64_t count = 0;
  for (int row = 0; row < target.rows; ++row) {
    for (int col = 0; col < target.columns; ++col) {
      if (!rule.IsCellSelected(target, layers.fuel, row, col)) continue;
      const std::optional<float> value = RuleCellValue(rule, layers, row, col);
      if (!value) continue;
      if (apply) {
        // Landscape bands hold whole 16-bit numbers.
        const double stored = std::clamp(std::nearbyint(static_cast<double>(*value) * factor), -32767.0, 32767.0);
        target.SetCellValue(row, col, static_cast<float>(stored));
      }
      ++count;
    }
  }
  return count;
}

}  // namespace landscape
