#include "app/layer_types.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/folders.h"
#include "platform/paths.h"

namespace {

const char* const kLayerTypeNames[kLayerTypeCount] = {
    "Elevation", "Slope", "Aspect", "Fuel Model", "Canopy Cover", "Stand Height",
    "Canopy Base Height", "Canopy Bulk Density", "Duff Loading", "Coarse Woody Fuels",
    "Generic Grid",
    "Flame Length", "Rate of Spread", "Fireline Intensity", "Heat/Unit Area",
    "Crown Fire Activity", "Solar Radiation", "1hr Fuel Moisture", "10hr Fuel Moisture",
    "Midflame Windspeed", "Horizontal Movement Rate", "Max Spread Direction",
    "Elliptical Dimension a", "Elliptical Dimension b", "Elliptical Dimension c",
    "MAXSPOT (Combined)", "100hr Fuel Moisture", "1000hr Fuel Moisture",
    "Crown Fraction Burned", "Torching Index", "Crowning Index", "MAXSPOT Direction",
    "MAXSPOT Distance", "Wind Direction", "Wind Speed", "MTT ROS", "MTT Node Influence",
    "MTT Arrival Time", "MTT Fireline Intensity", "MTT Burn Probability", "Treatment",
    "Treat Opportunity", "Ignition", "Embrith Reaction Intensity",
};

// Creates "<folder>/<n><ext>" exclusively; 1 created, 0 taken, -1 cannot create at all.
int TryCreate(const std::string& name) {
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    ::close(fd);
    return 1;
  }
  return errno == EEXIST ? 0 : -1;
}

}  // namespace

const char* GetLayerTypeName(int layerType) {
  if (layerType < 0 || layerType >= kLayerTypeCount) return "";
  return kLayerTypeNames[layerType];
}

const char* GetLandscapeLayerName(int layer) {
  if (layer < 0 || layer >= kLandscapeLayerCount) return "";
  return kLayerTypeNames[layer];
}

const char* GetOutputLayerName(int index) {
  if (index < 0 || index >= kOutputLayerCount) return "";
  return kLayerTypeNames[kFirstOutputLayerType + index];
}

std::string GetTempJpgFileName() { return platform::ReserveScratchFile(".jpg"); }
std::string GetTempPngFileName() { return platform::ReserveScratchFile(".png"); }
std::string GetTempTifFileName() { return platform::ReserveScratchFile(".tif"); }
std::string GetTempPvbFileName() { return platform::ReserveScratchFile(".pvb"); }

std::string GetTempShpFileName() {
  std::string folder = platform::WorkingFolder();
  platform::MakeFolders(folder);
  for (long n = 1; n < 100000000; ++n) {
    std::string base = platform::Join(folder, std::to_string(n));
    // A number is free only when neither partner exists; a taken .dbf skips the number.
    if (platform::FileExists(base + ".dbf")) continue;
    int shp = TryCreate(base + ".shp");
    if (shp < 0) return {};
    if (shp == 0) continue;
    int dbf = TryCreate(base + ".dbf");
    if (dbf == 1) return base + ".shp";
    ::unlink((base + ".shp").c_str());
    if (dbf < 0) return {};
  }
  return {};
}

char* StripLineEnd(char* buffer) {
  if (buffer) buffer[std::strcspn(buffer, "\r\n")] = 0;
  return buffer;
}

void StripLineEnd(std::string& text) {
  std::size_t p = text.find_first_of("\r\n");
  if (p != std::string::npos) text.resize(p);
}

int CompareDoubles(const double* a, const double* b) {
  bool na = std::isnan(*a), nb = std::isnan(*b);
  if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
  if (*a < *b) return -1;
  if (*a > *b) return 1;
  return 0;
}
