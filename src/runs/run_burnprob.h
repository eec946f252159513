#pragma once
// Burn probability: one fire-behaviour computation gives every cell its spread ellipse, then
// many quick travel-time fires, from random ignitions or a fire list, run side by side on
// worker threads. Their burned cells add up into the burn probability, the flame-length
// probability tables and the fire-size list. Each fire has its own seed and the counts are
// whole numbers, so the outputs do not depend on how many threads ran them. As for the other
// runs, the run thread touches neither the document nor a window.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runs/run_exec.h"
#include "runs/run_outputs.h"
#include "themes/vector_theme.h"

class CPerimeter;
class CRun;

namespace runs {

struct FirePoint {
  double x = 0, y = 0;
};

// The points of a fire list that lie in the area (edges included), in file order. A line is
// "number x y" or "number, x, y" (a trailing comma allowed); any other line is skipped.
std::vector<FirePoint> ParseFireList(std::string_view text, double east, double west, double north, double south);
// The same from a file; false when it cannot be read.
bool ReadFireList(const std::string& path, double east, double west, double north, double south,
                  std::vector<FirePoint>& points);

// Flame-length classes of a flame length in metres: 20 of half a metre, and 6 in feet ending
// at 1.5, 3.5, 5.5, 7.5 and 11.5 ft.
int FlameLengthMetricClass(float metres);
int FlameLengthEnglishClass(float metres);

struct BurnProbabilityResult {
  bool succeeded = false;
  double seconds = 0;
  // Seconds of the stages: the landscape and its fire behaviour, the ignitions and the lattice
  // the fires share, the quick fires, and the outputs made of their counts.
  double behaviorSeconds = 0, latticeSeconds = 0, fireSeconds = 0, outputSeconds = 0;
  std::string inputsFileText;  // the fire-behaviour inputs, for the run log
  std::vector<OutputGrid> fireBehavior;
  int fires = 0, completed = 0, threads = 0;
  int rows = 0, columns = 0;
  double south = 0, west = 0, cell = 0;
  std::vector<float> burnProbability;  // empty: not made
  bool hasFlpEnglish = false, hasFlpMetric = false, hasFireSizeList = false;
  std::string flpEnglish, flpMetric, fireSizeList;
  std::vector<FireSizeRecord> records;  // one per fire, in fire order
  std::vector<std::unique_ptr<CPerimeter>> perimeters;  // when chosen; null where none
  BurnProbabilityResult();
  ~BurnProbabilityResult();
  BurnProbabilityResult(BurnProbabilityResult&&) noexcept;
  BurnProbabilityResult& operator=(BurnProbabilityResult&&) noexcept;
};

struct BurnProbabilityLaunch {
  CRun* run = nullptr;
  RunProgress* progress = nullptr;
  std::string landscapeFile;
  RunGeometry geometry;  // the analysis area and the landscape's cell size
  RunTiming timing;
  int threads = 0;           // 0: the run's processor setting
  std::int32_t seed = 0;     // 0: from the clock; the ignitions drawn and every fire's embers follow it
  std::uint64_t memory = 0;  // bytes the workers may take; 0: half the memory available now
  BurnProbabilityResult result;
  // Once the fires are over the run alone moves the bar (it counts table rows from then on),
  // so the monitor posts nothing after firesOver is set.
  std::mutex monitorLock;
  bool firesOver = false;
};

// The monitor: "Running Random Ignitions..." and the share of fires completed.
int RandomIgnitionsMonitorThread(BurnProbabilityLaunch& launch, const std::atomic<bool>& runFinished);
// The run. It completes with 1 when its fires ran, with 0 after a failure (its message
// shown) or a cancel.
bool RunBurnProbability(BurnProbabilityLaunch& launch);
// The work function: monitor and run threads, waited for.
bool LaunchBurnProbabilityThreads(BurnProbabilityLaunch& launch);

// On the UI thread: the fire-behaviour themes, "Burn Probability", the perimeters, the tables
// and the run log. Returns the themes made.
int CreateBurnProbabilityThemes(CRun& run, BurnProbabilityResult& result, const RunLogFacts& facts);
std::string BuildRandomIgnitionsRunLog(const CRun& run, const RunLogFacts& facts, const BurnProbabilityResult& result);

}  // namespace runs
