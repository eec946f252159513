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

}  // namespace engines::mtt
