#include "engines/mtt_engine.h"

#include <fstream>

bool CPerimeterLine::GetPoint(int i, float* x, float* y) const {
  if (i < 0 || i >= GetNumPoints()) return false;
  *x = points_[static_cast<std::size_t>(i)].x;
  *y = points_[static_cast<std::size_t>(i)].y;
  return true;
}

bool CPerimeterLine::SetPoint(int i, float x, float y) {
  if (i < 0 || i >= GetNumPoints()) return false;
  points_[static_cast<std::size_t>(i)] = {x, y};
  return true;
}

void CPerimeter::SetNumLines(int n) { lines_.assign(n > 0 ? static_cast<std::size_t>(n) : 0, {}); }

CPerimeterLine* CPerimeter::GetLine(int i) {
  if (i < 0 || i >= GetNumLines()) return nullptr;
  return &lines_[static_cast<std::size_t>(i)];
}

CMinTravelTime::CMinTravelTime() = default;
CMinTravelTime::~CMinTravelTime() = default;

int CMinTravelTime::SetLandscapeFile(const char* path) {
  landscape_ = path ? path : "";
  return std::ifstream(landscape_).good() ? 1 : 0;
}

void CMinTravelTime::SetAnalysisArea(double east, double west, double north, double south) {
  east_ = east;
  west_ = west;
  north_ = north;
  south_ = south;
}

int CMinTravelTime::LoadInputs(const char* file) {
  inputs_ = file ? file : "";
  return std::ifstream(inputs_).good() ? 1 : kMttCannotOpenInputs;
}

int CMinTravelTime::LoadMTTInputs(const char* file) { return LoadInputs(file); }
int CMinTravelTime::LoadTOMInputs(const char* file) { return LoadInputs(file); }
int CMinTravelTime::LaunchMTT() { return kMttNotAvailable; }
int CMinTravelTime::LaunchTOM() { return kMttNotAvailable; }
int CMinTravelTime::LaunchMTTQuick() { return kMttNotAvailable; }

const char* CMinTravelTime::CommandFileError(int code) const {
  switch (code) {
    case kMttNotAvailable:
      return "The minimum travel time engine is not available.";
    case kMttCannotOpenInputs:
      return "Cannot open the inputs file.";
    default:
      return "Unknown minimum travel time error.";
  }
}

float* CMinTravelTime::GetPyrvaneOutputLayer(int) { return nullptr; }

void CMinTravelTime::WriteEmberCSV(const char* path) {
  if (path) std::ofstream(path) << "";
}

void CMinTravelTime::ResetMTT() {
  progress_.store(0.0);
  cancel_.store(false);
  spots_.SetNumSpots(0);
}

int CMinTravelTime::SetIgnitionPoint(double x, double y) {
  ignitionX_ = x;
  ignitionY_ = y;
  return 1;
}

CPerimeter* CMinTravelTime::GetFirePerimeter(int) { return nullptr; }
