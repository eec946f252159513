#pragma once
// Layer types of raster themes, numbered scratch files and small shared helpers.
#include <string>
#include <string_view>

// Every raster theme carries a layer type: 0-9 the landscape bands in band order,
// 10 a generic grid, 11-43 run outputs (output-layer name index = type - 11).
constexpr int kLayerTypeCount = 44;
constexpr int kFirstLandscapeLayerType = 0;
constexpr int kLandscapeLayerCount = 10;
constexpr int kGenericGridLayerType = 10;
constexpr int kFirstOutputLayerType = 11;
constexpr int kOutputLayerCount = kLayerTypeCount - kFirstOutputLayerType;

// Display name of a layer type (0-43); "" outside that range.
const char* GetLayerTypeName(int layerType);
// Landscape band names in band order (0-9); "" outside.
const char* GetLandscapeLayerName(int layer);
// Output-layer names of runs, indexed by layer type - 11 (0-32); "" outside.
const char* GetOutputLayerName(int index);

// Numbered scratch files "<working folder>/<n>.<ext>" with the smallest free n >= 1.
// The name is reserved by creating the file empty (exclusively), so two callers, threads
// or running copies never receive the same name; the caller owns and removes it.
// "" when the working folder cannot be written.
std::string GetTempJpgFileName();
std::string GetTempPngFileName();
std::string GetTempTifFileName();
std::string GetTempPvbFileName();
// Reserves both "<n>.shp" and its "<n>.dbf" partner; returns the ".shp" name.
std::string GetTempShpFileName();

// Cuts the text at its first carriage return or line feed.
char* StripLineEnd(char* buffer);
void StripLineEnd(std::string& text);

// Ascending comparison of doubles for sorts: -1, 0 or 1. A strict weak ordering in which
// every NaN sorts after every number and NaNs compare equal to each other.
int CompareDoubles(const double* a, const double* b);
// The same ordering as a less-than for std::sort.
inline bool DoubleLess(double a, double b) { return CompareDoubles(&a, &b) < 0; }
