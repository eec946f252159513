#pragma once
// A generated landscape and inputs text shared by the engine tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engines/landscape_source.h"

namespace enginetest {

// A scratch folder of the running test, removed with everything in it.
struct TempDir {
  std::filesystem::path path;
  TempDir() {
    path = std::filesystem::temp_directory_path() /
           ("pv_engine_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(path);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string File(const std::string& name, const std::string& text = {}) const {
    auto p = (path / name).string();
    if (!text.empty()) std::ofstream(p) << text;
    return p;
  }
};

// rows x cols cells of 30 m from (1000, 2000): fuels cycle through a mix of grass, shrub,
// timber, slash and non-burnable models, slopes 0-45 degrees, every aspect, and a canopy on
// every third column.
inline std::unique_ptr<engines::LandscapeSource> MakeLandscape(int rows, int cols) {
  CHeaderData h = engines::MakeStandardHeader(rows, cols, 1000.0, 2000.0, 30.0, true);
  const int fuels[] = {1, 2, 4, 8, 10, 91, 102, 122, 145, 165, 183, 98, 204, 3, 124, 9};
  std::vector<std::vector<std::int16_t>> layers(10);
  for (int k = 0; k < 8; ++k) layers[k].resize(static_cast<size_t>(rows) * cols);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      size_t i = static_cast<size_t>(r) * cols + c;
      layers[0][i] = static_cast<std::int16_t>(500 + 3 * r + c);
      layers[1][i] = static_cast<std::int16_t>((r * 7 + c * 3) % 46);
      layers[2][i] = static_cast<std::int16_t>((r * 37 + c * 11) % 360);
      layers[3][i] = static_cast<std::int16_t>(fuels[(r * 5 + c) % 16]);
      bool canopy = c % 3 == 0;
      layers[4][i] = static_cast<std::int16_t>(canopy ? 40 + (r % 5) * 10 : 0);
      layers[5][i] = static_cast<std::int16_t>(canopy ? 150 + (r % 7) * 20 : 0);   // m x 10
      layers[6][i] = static_cast<std::int16_t>(canopy ? 5 + (c % 4) * 10 : 0);     // m x 10
      layers[7][i] = static_cast<std::int16_t>(canopy ? 5 + (r % 6) * 6 : 0);      // kg/m3 x 100
    }
  return std::make_unique<engines::MemoryLandscape>(std::move(h), std::move(layers));
}

inline std::string InputsText(const std::string& extra = {}, int windMph = 15, int windDir = 225) {
  return "Pyrvane-Inputs-File-Version-1\n"
         "FUEL_MOISTURES_DATA: 3\n"
         "0 6 7 8 60 90\n"
         "1 3 4 5 30 60\n"
         "102 5 6 7 50 80\n"
         "\n"
         "WIND_SPEED: " + std::to_string(windMph) + "\n"
         "WIND_DIRECTION: " + std::to_string(windDir) + "\n"
         "WIND_SPEED_UNITS: 0 (mph @ 20')\n"
         "FOLIAR_MOISTURE_CONTENT: 100.000000\n"
         "CROWN_FIRE_METHOD: MarlowBrenner\n"
         "NUMBER_PROCESSORS: 2\n" +
         extra +
         "#SELECTED PYRVANE OUTPUTS\n"
         "FLAMELENGTH:\nINTENSITY:\nSPREADRATE:\nHEATAREA:\nCROWNSTATE:\nCROWNFRACTIONBURNED:\n"
         "FUELMOISTURE1:\nFUELMOISTURE10:\nMIDFLAME:\nHORIZRATE:\nMAXSPREADDIR:\nMAXSPOT:\nMAXSPOT_DIR:\n"
         "MAXSPOT_DX:\nELLIPSEDIM_A:\nELLIPSEDIM_B:\nELLIPSEDIM_C:\n"
         "#END SELECTED PYRVANE OUTPUTS\n";
}

// A day of conditioning from hourly weather-stream records (English units).
inline std::string RawsConditioning() {
  std::string t = "CONDITIONING_PERIOD_START: 08 07 0600\nCONDITIONING_PERIOD_END: 08 08 0600\n"
                  "RAWS_ELEVATION: 1800\nRAWS_UNITS: English\nRAWS: 26\n";
  for (int k = 0; k < 26; ++k) {
    int day = 7 + (5 + k) / 24, hour = (5 + k) % 24;
    int temp = 55 + (hour >= 6 && hour <= 15 ? (hour - 6) * 3 : 12), rh = 70 - (temp - 55);
    t += "2026 8 " + std::to_string(day) + " " + std::to_string(hour * 100) + " " + std::to_string(temp) + " " +
         std::to_string(rh) + " 0.00 8 225 " + std::to_string(k % 3 * 20) + " \n";
  }
  return t;
}

}  // namespace enginetest
