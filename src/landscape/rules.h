#pragma once
// Landscape-edit rules: a rule sets one landscape layer (fuel model, canopy cover, stand
// height, canopy base height or bulk density) to a constant or to an expression of another
// layer, in the cells that its fuel-model filter and its AND clauses (a raster theme's value
// within bounds, a point inside a vector theme's polygons) select.
//
// Rules work in whole units: stand and base height cells hold tenths and bulk density cells
// hundredths of the unit that rule values are written in.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "themes/polygon.h"

class CTheme;
class CVectorTheme;

// One AND clause: a raster clause holds where the bound raster theme's value lies within the
// bounds; a vector clause holds where the point lies inside the bound vector theme.
class CLcpRuleClause {
 public:
  CLcpRuleClause() = default;
  // Copies the flag, the bounds and only the theme part of the clause's kind; the copy builds
  // its own rings.
  CLcpRuleClause(const CLcpRuleClause& other);
  CLcpRuleClause& operator=(const CLcpRuleClause&) = delete;

  std::string GetDescription() const;
  // True for a vector clause; false where the theme has no data or the point is outside it.
  bool IsRasterValueInRange(double x, double y) const;
  // The last ring (in shape and part order) that holds the point decides: inside when it
  // winds clockwise (an outer ring), outside when it is a hole.
  bool IsPointInVector(double x, double y);
  // The bound theme of the clause's kind (null when unbound).
  const void* BoundTheme() const;
  // The name of the clause's theme as the user knows it.
  std::string ThemeName() const;

  bool isRaster = true;
  int rasterLayerType = 3;
  std::string rasterTitle = "Fuel Model";
  std::string rasterFilePath;
  CTheme* rasterTheme = nullptr;
  std::string minimum;
  std::string maximum;
  std::string vectorTitle;
  std::string vectorFilePath;
  CVectorTheme* vectorTheme = nullptr;

 private:
  void BuildRings();
  bool ringsBuilt_ = false;
  std::vector<CPolygon> rings_;
};

class CLcpRule {
 public:
  CLcpRule();
  CLcpRule(const CLcpRule& other);
  CLcpRule& operator=(const CLcpRule&) = delete;

  // Builds the description, keeps it and returns it.
  std::string GetDescription();
  // Whether the rule selects the cell of the target theme; fuel is read at the same cell.
  bool IsCellSelected(const CTheme& target, const CTheme* fuel, int row, int column);

  bool constant = true;
  int targetLayer = 3;
  std::string constantValue;
  int expressionLayer = 3;
  std::string expressionOperator;
  std::string expressionValue;
  std::vector<std::int32_t> fuelModels;
  std::vector<std::unique_ptr<CLcpRuleClause>> clauses;
  std::string description;
};

using LcpRuleList = std::vector<std::unique_ptr<CLcpRule>>;

namespace landscape {

// The name of a rule layer: the landscape layer name, "" outside 0-9.
std::string RuleLayerName(int layerType);
// The units a rule value of the layer is written in, by the landscape header's unit code.
std::string RuleLayerUnitsText(int layerType, int unitCode);
// Text to number as rule texts are read: leading blanks skipped, the longest decimal or
// exponent prefix taken, 0 when there is none; rounded to single precision.
float RuleTextNumber(const std::string& text);
// The whole trimmed text as a finite number, or nothing.
std::optional<float> ParseRuleNumber(const std::string& text);

LcpRuleList CopyLandscapeRules(const LcpRuleList& rules);
void ClearLandscapeRules(LcpRuleList& rules);
// Removes and destroys every clause bound to the theme, in every rule.
void RemoveRuleClausesOf(LcpRuleList& rules, const void* theme);

// The first grid theme of a layer type, or null.
using ThemeByLayerType = std::function<CTheme*(int layerType)>;

// What evaluating a rule needs; error is set (naming the layer, theme or field) when the rule
// cannot be evaluated: its target or expression layer is missing or not held in memory, a
// clause lost its theme, or a value text is not a number.
struct RuleLayers {
  CTheme* target = nullptr;
  CTheme* fuel = nullptr;
  CTheme* expression = nullptr;
  CTheme* standHeight = nullptr;
  CTheme* baseHeight = nullptr;
  std::string error;
};
RuleLayers ResolveRuleLayers(const CLcpRule& rule, const ThemeByLayerType& lookup);

// The value a selected cell gets (clamped, in the rule's whole units), or nothing when it
// cannot be formed: the expression layer has no data there, or the arithmetic gives no
// finite number. Such cells are left as they are.
std::optional<float> RuleCellValue(const CLcpRule& rule, const RuleLayers& layers, int row, int column);

// Counts (and with apply, sets) the cells the rule changes; -1 when the layers carry an error.
std::int64_t EvaluateRule(CLcpRule& rule, const RuleLayers& layers, bool apply);

}  // namespace landscape
