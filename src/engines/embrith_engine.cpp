#include "engines/embrith_engine.h"

#include <fstream>

int CEmbrith::SetLandscapeFile(const char* path) {
  landscape_ = path ? path : "";
  return std::ifstream(landscape_).good() ? 1 : 0;
}

int CEmbrith::LoadEmbrithInputs(const char* file) {
  inputs_ = file ? file : "";
  return std::ifstream(inputs_).good() ? 1 : kEmbrithCannotOpenInputs;
}

int CEmbrith::LaunchEmbrith() { return kEmbrithNotAvailable; }

const char* CEmbrith::CommandFileError(int code) const {
  switch (code) {
    case kEmbrithNotAvailable:
      return "The fire growth engine is not available.";
    case kEmbrithCannotOpenInputs:
      return "Cannot open the inputs file.";
    default:
      return "Unknown fire growth error.";
  }
}

void CEmbrith::GetSimTimes(int* elapsed, int* month, int* day, int* time, int* minute) const {
  for (int* p : {elapsed, month, day, time, minute})
    if (p) *p = 0;
}
