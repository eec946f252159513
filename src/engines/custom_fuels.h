#pragma once
// Custom fuel-model (FMD) and spread-rate adjustment (ADJ) files as the engine reads them.
#include <map>
#include <string>

#include "engines/fire_behavior.h"

namespace engines {

// Reads an FMD file in either layout (13 numbers per line, or number, code, five loads, a
// "dynamic"/"static" word, three SAVs, depth, extinction, two heat contents and an optional
// description), English or metric (first word "metric"/"english"). Metric values are converted
// to the engine's English units: t/ha, 1/cm, cm, kJ/kg. A moisture of extinction above 1 is read
// as a percentage. Returns false with the line and reason in error.
bool ReadCustomFuels(const std::string& path, std::map<int, FuelModel>& out, std::string& error);
bool ParseCustomFuels(const std::string& text, std::map<int, FuelModel>& out, std::string& error);

// Reads "model factor" lines; false with a reason on a bad line. The run's own check of the
// file ends with the same parser, so a file it accepts is one the engine reads.
bool ReadSpreadAdjustments(const std::string& path, std::map<int, double>& out, std::string& error);
bool ParseSpreadAdjustments(const std::string& text, std::map<int, double>& out, std::string& error);

}  // namespace engines
