#pragma once
// The travel-time keys of an inputs file (the lines added to a fire-behaviour inputs file):
// resolution, time limit, travel-path interval, spotting, ignition and barrier files and the
// search depths. A key is the first line that begins with it.
#include <string>
#include <string_view>

namespace engines::mtt {

struct MttInputs {
  double resolution = 0;       // map units per node
  double simTime = 0;          // minutes; 0 unlimited
  double pathInterval = 0;     // map units between travel paths
  double spotProbability = 0;  // 0 to 1
  int spotDelay = 0;           // minutes
  std::string ignitionFile, barrierFile;
  int fillBarriers = 1;
  int lateral = 6, vertical = 4;
};

// 1 on success; otherwise 0 with the key and the reason in detail.
int ParseMttInputs(std::string_view text, MttInputs& out, std::string& detail);

// The treatment-optimisation keys: the travel-time settings (without ignition and barrier
// files) and the treatment settings.
struct TomInputs {
  MttInputs mtt;               // resolution, time limit, path interval, spotting, depths
  std::string idealLandscape;  // a landscape whose fuels describe the treated state
  std::string ignitionFile;    // empty only for an opportunities-only run
  int iterations = 1;          // 1 to 5
  double dimension = 0;        // the widest a treatment unit may be (map units)
  double fraction = 0;         // of the area that may be treated, above 0 up to 1
  int opportunitiesOnly = 0;
};

int ParseTomInputs(std::string_view text, TomInputs& out, std::string& detail);

}  // namespace engines::mtt
