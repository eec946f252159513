#pragma once
// The standard fire-behaviour fuel models: the original 13, the non-burnable 91-99 and the
// 40 models numbered 101-204. Units are those of the published sets: loads in tons/acre,
// surface-area-to-volume ratios in 1/ft, depth in ft, heat content in BTU/lb, moisture of
// extinction as a fraction (0.12 = 12 %).
#include <span>

namespace engines {

struct StandardFuelModel {
  int number;              // 1-13, 91-93, 98, 99, 101-204
  const char* code;        // e.g. "GR1"
  const char* name;        // e.g. "Short, sparse, dry climate grass"
  double load[5];          // 1-h, 10-h, 100-h dead, live herbaceous, live woody
  int dynamic;             // 1: live herbaceous load cures to dead (dynamic models)
  int sav[3];              // 1-h dead, live herbaceous, live woody
  double depth;            // fuel-bed depth
  double extinction;       // dead moisture of extinction, fraction
  double heatDead;         // heat content of dead fuel
  double heatLive;         // heat content of live fuel
};

// All 58 models, in ascending number.
std::span<const StandardFuelModel> StandardFuelModels();

// The model with that number, or nullptr when the table has none (a custom number).
const StandardFuelModel* FindStandardFuelModel(int number);

// True for the non-burnable models 91-99 (including numbers in that range the table lacks).
inline bool IsNonBurnableNumber(int number) { return number >= 90 && number <= 99; }

}  // namespace engines
