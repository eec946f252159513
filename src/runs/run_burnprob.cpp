#include "runs/run_burnprob.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#include "app/random.h"
#include "engines/inputs_file.h"
#include "engines/mtt_engine.h"
#include "engines/parallel_rows.h"
#include "engines/pyrvane.h"
#include "platform/atomic_file.h"
#include "platform/grid_memory.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/services.h"
#include "runs/run.h"
#include "runs/run_host.h"
#include "runs/run_mtt.h"
#include "themes/theme.h"

namespace runs {

namespace {

constexpr double kAcresPerSquareMetre = 0.0002471053816137119;
constexpr double kHectaresPerAcre = 0.404686;
constexpr int kEnglishClasses = 6, kMetricClasses = 20;
// Lines of a fire list are read in pieces of at most this many characters.
constexpr std::size_t kFireListPiece = 1022;

// The grids the quick fires read: spread ellipses, intensity and spotting.
constexpr int kQuickFireGrids[] = {engines::kOutMaxSpreadDir, engines::kOutEllipseA,  engines::kOutEllipseB,
                                   engines::kOutEllipseC,     engines::kOutMaxSpot,   engines::kOutIntensity,
                                   engines::kOutSpreadRate,   engines::kOutCrownState, engines::kOutMidflame,
                                   engines::kOutMaxSpotDir,   engines::kOutMaxSpotDx};

// Number readers in the manner of the C library's scanners: blanks before a number are
// skipped, a leading '+' is allowed.
const char* SkipBlanks(const char* p, const char* end) {
  while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')) ++p;
  return p;
}

template <class T>
const char* ReadNumber(const char* p, const char* end, T& value) {
  p = SkipBlanks(p, end);
  if (p < end && *p == '+' && p + 1 < end && *(p + 1) != '-') ++p;
  auto [next, ec] = std::from_chars(p, end, value);
  return ec == std::errc() ? next : nullptr;
}

// "%d %lf %lf", else "%d, %lf, %lf,".
bool ParseFireLine(const char* p, const char* end, FirePoint& point) {
  int number = 0;
  const char* q = ReadNumber(p, end, number);
  if (!q) return false;
  if (const char* a = ReadNumber(q, end, point.x); a)
    if (ReadNumber(a, end, point.y)) return true;
  if (q >= end || *q != ',') return false;
  q = ReadNumber(q + 1, end, point.x);
  if (!q || q >= end || *q != ',') return false;
  return ReadNumber(q + 1, end, point.y) != nullptr;
}

// A number as "%f" prints it.
void AppendFixed(std::string& out, double v) {
  char text[400];  // "%f" of the largest double, with its sign
  out.append(text, std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 6).ptr);
}

bool Cancelled(RunProgress& progress) {
  if (progress.IsWindow()) progress.PostText("Cancelled");
  progress.SetDone(false);
  progress.PostCompletion(0);
  return false;
}

bool Fail(RunProgress& progress, const std::string& message) {
  return FailRun(progress, message, "Unable to run MTT");
}

// The fuel models a random ignition may not start on: non-burnable and out of range.
bool IgnitableFuel(float fuel) { return fuel > 0 && fuel <= 256 && !(fuel >= 90 && fuel <= 99); }

// A grid of counts shared by all workers: whole numbers, so the sums do not depend on the
// order in which fires finish. Its pages come zeroed from the system as they are first
// written, so neither zeroing them nor the cells no fire reaches cost anything.
class CountGrid {
 public:
  CountGrid() = default;
  CountGrid(const CountGrid&) = delete;
  CountGrid& operator=(const CountGrid&) = delete;
  ~CountGrid() { platform::FreeClearedBlock(data_, bytes_); }
  void Allocate(std::size_t n) {
    if (n > SIZE_MAX / sizeof(std::uint32_t)) throw std::bad_alloc();
    platform::FreeClearedBlock(data_, bytes_);
    bytes_ = n * sizeof(std::uint32_t);
    data_ = static_cast<std::uint32_t*>(platform::AllocateClearedBlock(bytes_));
    if (!data_) throw std::bad_alloc();
  }
  bool empty() const { return !data_; }
  std::uint32_t operator[](std::size_t i) const { return data_[i]; }
  void Add(std::size_t i) { ++data_[i]; }  // under the lock of the cell's band

 private:
  std::uint32_t* data_ = nullptr;
  std::size_t bytes_ = 0;
};

// The counts of every fire, in bands of rows that one worker at a time adds to. A fire holds
// the lock of one or two bands, briefly; plain adds let the processor overlap the cache misses
// that an atomic add per cell would wait for one by one.
struct SharedCounts {
  static constexpr int kBandRows = 16;
  CountGrid burned, english, metric;  // class grids: class-major
  std::size_t nodes = 0;
  int columns = 1;
  std::vector<std::mutex> bands;
  SharedCounts(int rows, int cols)
      : nodes(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)),
        columns(std::max(cols, 1)),
        bands(static_cast<std::size_t>(rows / kBandRows + 1)) {}
  std::size_t Band(int node) const { return static_cast<std::size_t>(node / columns / kBandRows); }
  // The burned nodes in node order, each with its flame-length classes (-1: none).
  struct Burn {
    int node;
    int english, metric;
  };
  void Add(const std::vector<Burn>& burns) {
    for (std::size_t k = 0; k < burns.size();) {
      const std::size_t band = Band(burns[k].node);
      std::lock_guard hold(bands[band]);
      for (; k < burns.size() && Band(burns[k].node) == band; ++k) {
        const Burn& u = burns[k];
        const std::size_t i = static_cast<std::size_t>(u.node);
        burned.Add(i);
        if (u.english >= 0) english.Add(static_cast<std::size_t>(u.english) * nodes + i);
        if (u.metric >= 0) metric.Add(static_cast<std::size_t>(u.metric) * nodes + i);
      }
    }
  }
};

// The quick fires: each worker takes the next fire until none is left or a stop is seen.
struct FireRunner {
  FireRunner(BurnProbabilityLaunch& l, CPyrvane& e, const std::vector<FirePoint>& p, SharedCounts& n, const float* eb,
             const float* ec, const float* ei)
      : launch(l), engine(e), points(p), counts(n), b(eb), c(ec), fli(ei) {}
  BurnProbabilityLaunch& launch;
  CPyrvane& engine;
  const std::vector<FirePoint>& points;
  SharedCounts& counts;
  const float *b, *c, *fli;
  bool wantPerimeters = false;
  std::int32_t seed = 0;
  std::atomic<int> next{0};
  std::mutex lock;
  int completed = 0;

  void Work(int thread, CMinTravelTime& fire) {
    const CRun& run = *launch.run;
    const CRunMTTSettings& m = run.mtt;
    BurnProbabilityResult& r = launch.result;
    const int n = static_cast<int>(points.size());
    const double cellAcres = m.resolution * m.resolution * kAcresPerSquareMetre;
    const bool english = !counts.english.empty(), metric = !counts.metric.empty();
    std::vector<SharedCounts::Burn> burns;
    for (;;) {
      if (launch.progress->StopRequested()) return;
      const int k = next.fetch_add(1);
      if (k >= n) return;
      const FirePoint& at = points[static_cast<std::size_t>(k)];
      fire.ResetMTT();
      fire.SetPyrvane(&engine);
      fire.SetMaxSimTime(static_cast<long>(m.simulationTime));
      fire.SetResolution(m.resolution);
      fire.SetNumLat(m.lateralSearchDepth);
      fire.SetNumVert(m.verticalSearchDepth);
      fire.SetIgnitionPoint(at.x, at.y);
      if (!m.barrierFile.empty()) {
        fire.SetFillBarriers(m.fillBarriers);
        fire.SetBarriers(m.barrierFile.c_str());
      }
      fire.SetSpotProbability(m.spotProbability);
      fire.SetSpotDelay(m.spotDelay);
      fire.SetNumProcessors(1);
      fire.SetStartProcessor(thread);
      // Each fire's embers follow the run's seed and the fire's place in the list alone.
      fire.SetSpottingSeed(static_cast<int>((static_cast<std::uint32_t>(seed) * 2654435761u + static_cast<std::uint32_t>(k)) &
                                            0x7fffffffu));
      FireSizeRecord& record = r.records[static_cast<std::size_t>(k)];
      record.fireNumber = k;
      record.ignitionX = at.x;
      record.ignitionY = at.y;
      if (fire.LaunchMTTQuick() != 1) {
        // A fire that could not start stands in the list with the area of one cell.
        record.fireSize = cellAcres;
        if (wantPerimeters) {
          auto diamond = std::make_unique<CPerimeter>();
          diamond->SetNumLines(1);
          CPerimeterLine* line = diamond->GetLine(0);
          line->SetNumPoints(5);
          const float x = static_cast<float>(at.x), y = static_cast<float>(at.y), d = 3.16f;
          line->SetPoint(0, x + d, y);
          line->SetPoint(1, x, y + d);
          line->SetPoint(2, x - d, y);
          line->SetPoint(3, x, y - d);
          line->SetPoint(4, x + d, y);
          r.perimeters[static_cast<std::size_t>(k)] = std::move(diamond);
        }
        std::lock_guard hold(lock);
        launch.run->randomIgnitionProgress.store(static_cast<double>(completed) / n);
        continue;
      }
      const std::vector<int>& burned = fire.GetQuickBurned();
      burns.clear();
      for (int f : burned) {
        SharedCounts::Burn& u = burns.emplace_back(SharedCounts::Burn{f, -1, -1});
        if (!english && !metric) continue;
        // The head-fire intensity scaled by the travel rate over the head rate; cells without
        // a head rate or an intensity give no flame length.
        const std::size_t i = static_cast<std::size_t>(f);
        const double head = static_cast<double>(b[i]) + c[i];
        if (!(head > 0) || !fli || !(fli[i] >= 0)) continue;
        const double intensity = fire.GetQuickRate(f) / head * fli[i];
        if (!(intensity >= 0)) continue;
        const float length = 0.0775f * std::pow(static_cast<float>(intensity), 0.46f);
        if (english) u.english = FlameLengthEnglishClass(length);
        if (metric) u.metric = FlameLengthMetricClass(length);
      }
      // In node order the counts are written a row at a time, a band at a time.
      std::sort(burns.begin(), burns.end(), [](const auto& x, const auto& y) { return x.node < y.node; });
      counts.Add(burns);
      record.fireSize = cellAcres * static_cast<double>(burned.size());
      if (wantPerimeters)
        if (CPerimeter* outline = fire.GetFirePerimeter(k)) r.perimeters[static_cast<std::size_t>(k)] = std::make_unique<CPerimeter>(*outline);
      std::lock_guard hold(lock);
      ++completed;
      launch.run->randomIgnitionProgress.store(static_cast<double>(completed) / n);
    }
  }
};

// The flame-length table: a line per node from the north, its burn probability and the share
// of its burns in each class. Rows are printed on `threads` threads and joined in order as
// they come, each freed once joined; the bar counts the rows joined. Empty when stopped.
std::string FlpTable(const BurnProbabilityResult& r, const SharedCounts& counts, const CountGrid& classes,
                     int classCount, int threads, RunProgress& progress) {
  const RowsOnBar bar(r.rows);
  SendRunRange(progress, bar.range);
  SendRunPosition(progress, 0);
  std::string out = "XPos, YPos, PBurn";
  for (int k = 1; k <= classCount; ++k) out += platform::FormatC(", FIL%d", k);
  out += "\r\n";
  const double north = r.south + r.rows * r.cell;
  auto row = [&](int l) {
    // Numbers as "%f" prints them, written in place: a formatted print or an append per value
    // would cost more than the number. Each thread prints into its own room, kept from row to
    // row, and the row leaves it as one copy of what it holds.
    thread_local std::string line;
    std::size_t used = 0;
    constexpr std::size_t kLongest = 400;  // "%f" of the largest double, with its lead
    auto room = [&] {
      if (line.size() - used < kLongest) line.resize(std::max(2 * line.size(), used + kLongest));
      return line.data() + used;
    };
    auto put = [&](std::string_view lead, double v) {
      char* at = std::copy(lead.begin(), lead.end(), room());
      at = std::to_chars(at, line.data() + line.size(), v, std::chars_format::fixed, 6).ptr;
      used = static_cast<std::size_t>(at - line.data());
    };
    for (int m = 0; m < r.columns; ++m) {
      const std::size_t i = static_cast<std::size_t>(l) * r.columns + m;
      const double burns = counts.burned[i];
      put("", (m + 0.5) * r.cell + r.west);
      put(", ", north - l * r.cell - 0.5 * r.cell);
      put(", ", burns / r.completed);
      for (int k = 0; k < classCount; ++k)
        put(", ", burns > 0 ? classes[static_cast<std::size_t>(k) * counts.nodes + i] / burns : 0.0);
      std::copy_n("\r\n", 2, room());
      used += 2;
    }
    return std::string(line.data(), used);
  };
  std::vector<std::string> done(static_cast<std::size_t>(r.rows));
  std::vector<char> ready(static_cast<std::size_t>(r.rows), 0);
  std::mutex handOver;  // done and ready
  std::mutex joiner;    // held by the one thread appending
  int joined = 0;       // read and written by the joiner alone
  // Appends the rows ready in order. The others go on printing meanwhile: a thread that finds
  // another joining leaves the row it printed to it, or to the last call.
  auto join = [&](bool wait) {
    std::unique_lock hold(joiner, std::defer_lock);
    if (wait)
      hold.lock();
    else if (!hold.try_lock())
      return;
    for (std::string line; joined < r.rows;) {
      {
        std::lock_guard take(handOver);
        if (!ready[static_cast<std::size_t>(joined)]) return;
        line = std::move(done[static_cast<std::size_t>(joined)]);
      }
      // Rows differ little in length: the first tells how much the table will take.
      if (joined == 0) {
        out.reserve(out.size() + (line.size() + line.size() / 16) * static_cast<std::size_t>(r.rows));
        // Hundreds of megabytes written by one thread: few large pages fault far less.
        platform::PreferHugePages(out.data(), out.capacity());
      }
      out += line;
      if (const int at = bar.Position(++joined); at != bar.Position(joined - 1)) SendRunPosition(progress, at);
    }
  };
  std::atomic<bool> stopped{false};
  engines::ForEachRow(r.rows, threads, [&](int l) {
    if (stopped.load() || progress.StopRequested()) {
      stopped.store(true);
      return;
    }
    std::string line = row(l);
    {
      std::lock_guard hold(handOver);
      done[static_cast<std::size_t>(l)] = std::move(line);
      ready[static_cast<std::size_t>(l)] = 1;
    }
    join(false);
  });
  if (stopped.load()) return {};
  join(true);
  return out;
}

// The run's processor setting (or the launch's own count).
int Processors(const BurnProbabilityLaunch& launch) {
  return std::max(1, launch.threads > 0 ? launch.threads : launch.run->outputs.numberOfProcessors);
}

// Workers the run may start: its processor setting, as many as the memory lets each have its
// own search state.
int Workers(const BurnProbabilityLaunch& launch, std::size_t nodes) {
  const int wanted = Processors(launch);
  // The lattice and the counts are shared; each worker adds its own search state.
  const CRunMTTSettings& m = launch.run->mtt;
  const std::uint64_t counts = sizeof(std::uint32_t) * (1 + (m.flpEnglish ? kEnglishClasses : 0) +
                                                        (m.flpMetric ? kMetricClasses : 0));
  const std::uint64_t shared = static_cast<std::uint64_t>(nodes) * (CMinTravelTime::QuickFireModelBytesPerNode() + counts);
  const std::uint64_t budget = launch.memory ? launch.memory : platform::AvailableMemoryBytes() / 2 - std::min(
                                                                   shared, platform::AvailableMemoryBytes() / 2);
  const std::uint64_t each = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(nodes) * CMinTravelTime::QuickFireBytesPerNode());
  const std::uint64_t fit = std::max<std::uint64_t>(1, budget / each);
  return static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(wanted), fit));
}

}  // namespace

BurnProbabilityResult::BurnProbabilityResult() = default;
BurnProbabilityResult::~BurnProbabilityResult() = default;
BurnProbabilityResult::BurnProbabilityResult(BurnProbabilityResult&&) noexcept = default;
BurnProbabilityResult& BurnProbabilityResult::operator=(BurnProbabilityResult&&) noexcept = default;

std::vector<FirePoint> ParseFireList(std::string_view text, double east, double west, double north, double south) {
  std::vector<FirePoint> points;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    end = end == std::string_view::npos ? text.size() : end + 1;
    end = std::min(end, at + kFireListPiece);
    FirePoint p;
    if (ParseFireLine(text.data() + at, text.data() + end, p) && p.x >= west && p.x <= east && p.y >= south &&
        p.y <= north)
      points.push_back(p);
    at = end;
  }
  return points;
}

bool ReadFireList(const std::string& path, double east, double west, double north, double south,
                  std::vector<FirePoint>& points) {
  std::string text;
  if (!platform::ReadWholeFile(path, text)) return false;
  points = ParseFireList(text, east, west, north, south);
  return true;
}

int FlameLengthMetricClass(float metres) {
  const double v = 2.0 * metres;
  if (!(v >= 0)) return 0;
  return v >= kMetricClasses - 1 ? kMetricClasses - 1 : static_cast<int>(v);
}

int FlameLengthEnglishClass(float metres) {
  const double v = std::trunc(static_cast<double>(metres) * 1.6404 + 0.25);
  if (!(v >= 0)) return 0;
  if (v == 5) return 4;
  return v >= kEnglishClasses - 1 ? kEnglishClasses - 1 : static_cast<int>(v);
}

int RandomIgnitionsMonitorThread(BurnProbabilityLaunch& launch, const std::atomic<bool>& runFinished) {
  RunProgress& p = *launch.progress;
  Pause(launch.timing.poll, p, &runFinished);
  if (runFinished) return 1;
  {
    std::lock_guard hold(launch.monitorLock);
    if (launch.firesOver) return 1;
    SendRunStatus(p, "Running Random Ignitions...");
  }
  while (!p.StopRequested() && !runFinished && launch.run->randomIgnitionProgress.load() < 1.0) {
    {
      std::lock_guard hold(launch.monitorLock);
      if (launch.firesOver) break;
      SendRunPosition(p, PercentOf(launch.run->randomIgnitionProgress.load()));
    }
    Pause(launch.timing.poll, p, &runFinished);
  }
  return 1;
}

bool RunBurnProbability(BurnProbabilityLaunch& launch) {
  CRun& run = *launch.run;
  RunProgress& p = *launch.progress;
  BurnProbabilityResult& r = launch.result;
  r = {};
  {
    std::lock_guard hold(launch.monitorLock);
    launch.firesOver = false;
  }
  const CRunMTTSettings& m = run.mtt;
  const RunGeometry& g = launch.geometry;
  run.randomIgnitionProgress.store(0.0);
  const auto start = std::chrono::steady_clock::now();
  // However the run ends, the monitor stops following it.
  struct Finish {
    CRun& run;
    ~Finish() { run.randomIgnitionProgress.store(1.0); }
  } finish{run};

  CPyrvane engine;
  engine.SetUseDiskForLCP(0);
  if (engine.SetLandscapeFile(launch.landscapeFile.c_str()) != 1)
    return Fail(p, "Error loading landscape file for MTT.");
  engine.ResetBurn();
  engine.ResampleLandscape(m.resolution);
  engine.SetAnalysisArea(g.east, g.west, g.north, g.south);
  const std::string path = WriteInputsAndSettle([&run](std::string& out) { return run.WritePyrvaneInputsFile(out); },
                                                r.inputsFileText, p, launch.timing.settle);
  if (path.empty()) return Fail(p, "Error building Pyrvane inputs file.");
  if (p.StopRequested()) return Cancelled(p);
  int rc = engine.CommandFileLoad(path.c_str());
  if (rc == 1) {
    for (int index : kQuickFireGrids) engine.SelectOutputLayer(index, 1);
    SendRunStatus(p, "Fire Behavior...");
    rc = engine.LaunchPyrvane(0);
  }
  if (p.StopRequested()) return Cancelled(p);
  if (rc != 1) return Fail(p, engine.CommandFileError(rc));
  auto lap = [stage = std::chrono::steady_clock::now()]() mutable {
    const auto now = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(now - std::exchange(stage, now)).count();
  };
  r.behaviorSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  r.rows = engine.GetNumRows();
  r.columns = engine.GetNumCols();
  r.west = engine.GetWest();
  r.south = engine.GetSouth();
  r.cell = engine.GetCellSize();
  const std::size_t nodes = static_cast<std::size_t>(r.rows) * r.columns;
  const float *b = engine.GetOutputLayer(engines::kOutEllipseB), *c = engine.GetOutputLayer(engines::kOutEllipseC),
              *fli = engine.GetOutputLayer(engines::kOutIntensity);
  if (!b || !c || nodes == 0) return Fail(p, "The fire-behaviour grids the fires need were not computed.");

  // The ignitions: drawn over the engine's extent, or read from the fire list.
  std::int32_t seed = launch.seed;
  if (seed == 0) seed = static_cast<std::int32_t>(std::chrono::steady_clock::now().time_since_epoch().count() & 0x7fffffff) | 1;
  std::vector<FirePoint> points;
  if (m.ignitionSource == 3) {
    if (!ReadFireList(m.fireListFile, g.east, g.west, g.north, g.south, points))
      return Fail(p, platform::FormatC("Error opening %s", m.fireListFile.c_str()));
  } else {
    CMinTravelTime screen;
    const bool screening = !m.barrierFile.empty() && m.fillBarriers == 1;
    if (screening) {
      screen.SetPyrvane(&engine);
      screen.SetFillBarriers(1);
      screen.SetBarriers(m.barrierFile.c_str());
    }
    const double west = engine.GetWest(), east = engine.GetEast(), south = engine.GetSouth(),
                 north = engine.GetNorth();
    auto eligible = [&](double x, double y) {
      return IgnitableFuel(engine.GetLayerValue(3, x, y)) && (!screening || screen.SetIgnitionPoint(x, y) == 1);
    };
    // Without one cell a fire may start on, drawing would never end: look first.
    const double step = g.cellWidth > 0 ? std::min(g.cellWidth, r.cell) : r.cell;
    bool any = false;
    for (double y = north - step / 2; y > south && !any; y -= step)
      for (double x = west + step / 2; x < east && !any; x += step) any = eligible(x, y);
    if (!any)
      return Fail(p, "No cell of the analysis area can start a fire (every fuel model there is non-burnable, "
                     "or the barriers cover it): no random ignition was drawn.");
    CRandom random;
    random.SetSeed(-seed);
    const int n = std::max(0, m.numberOfRandomFires);
    points.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
      if (p.StopRequested()) return Cancelled(p);
      FirePoint pt;
      do {
        pt.x = west + random.GetUniform() * (east - west);
        pt.y = south + random.GetUniform() * (north - south);
      } while (!eligible(pt.x, pt.y));
      points.push_back(pt);
    }
  }
  const int n = static_cast<int>(points.size());
  r.fires = n;

  // The counts, shared by the workers.
  SharedCounts counts(r.rows, r.columns);
  counts.burned.Allocate(nodes);
  if (m.flpEnglish) counts.english.Allocate(nodes * kEnglishClasses);
  if (m.flpMetric) counts.metric.Allocate(nodes * kMetricClasses);
  r.records.assign(static_cast<std::size_t>(n), {});
  if (m.perimeters) r.perimeters.resize(static_cast<std::size_t>(n));

  const int workers = std::max(1, std::min(Workers(launch, nodes), std::max(n, 1)));
  r.threads = workers;
  FireRunner runner(launch, engine, points, counts, b, c, fli);
  runner.wantPerimeters = m.perimeters != 0;
  runner.seed = seed;
  {
    // One engine per worker lends the lattice to the others, so it is built once.
    std::vector<std::unique_ptr<CMinTravelTime>> fires;
    for (int t = 0; t < workers; ++t) fires.push_back(std::make_unique<CMinTravelTime>());
    if (n > 0) {
      CMinTravelTime& first = *fires[0];
      first.SetPyrvane(&engine);
      first.SetNumLat(m.lateralSearchDepth);
      first.SetNumVert(m.verticalSearchDepth);
      // Set as each fire sets them, so that every fire finds the lattice it lends fitting.
      if (!m.barrierFile.empty()) {
        first.SetFillBarriers(m.fillBarriers);
        first.SetBarriers(m.barrierFile.c_str());
      }
      first.SetSpotProbability(m.spotProbability);
      first.SetSpotDelay(m.spotDelay);
      first.SetNumProcessors(Processors(launch));
      auto model = first.GetQuickFireModel();
      if (!model && !m.barrierFile.empty()) {
        const int code = kMttBarrierFile;
        return Fail(p, first.CommandFileError(code));
      }
      for (auto& f : fires) f->SetQuickFireModel(model);
    }
    r.latticeSeconds = lap();
    std::vector<std::thread> team;
    for (int t = 1; t < workers; ++t) team.emplace_back([&runner, &fires, t] { runner.Work(t, *fires[t]); });
    runner.Work(0, *fires[0]);
    for (std::thread& t : team) t.join();
    r.fireSeconds = lap();
  }
  {
    std::lock_guard hold(launch.monitorLock);
    launch.firesOver = true;
  }
  if (p.StopRequested()) return Cancelled(p);
  r.completed = runner.completed;
  r.fireBehavior = CollectFireBehaviorGrids(run, engine);

  if (r.completed > 0) {
    if (m.flpEnglish) {
      SendRunStatus(p, "Creating FLP English");
      r.flpEnglish = FlpTable(r, counts, counts.english, kEnglishClasses, Processors(launch), p);
      r.hasFlpEnglish = !p.StopRequested();
    }
    if (m.flpMetric) {
      SendRunStatus(p, "Creating FLP Metric");
      r.flpMetric = FlpTable(r, counts, counts.metric, kMetricClasses, Processors(launch), p);
      r.hasFlpMetric = !p.StopRequested();
    }
    if (m.burnProbabilities) {
      r.burnProbability.resize(nodes);
      engines::ForEachRow(r.rows, Processors(launch), [&](int row) {
        const std::size_t from = static_cast<std::size_t>(row) * static_cast<std::size_t>(r.columns);
        for (std::size_t i = from; i < from + static_cast<std::size_t>(r.columns); ++i)
          r.burnProbability[i] = static_cast<float>(static_cast<double>(counts.burned[i]) / r.completed);
      });
    }
  }
  if (m.fireSizeList) {
    SendRunStatus(p, "Creating Fire Size List");
    std::string& list = r.fireSizeList;
    list = "FIRE_NUM, XStart, YStart, FireSize Acres, FireSize Ha\r\n";
    list.reserve(list.size() + 64 * r.records.size());
    for (const FireSizeRecord& f : r.records)
      if (f.fireNumber >= 0) {
        list += std::to_string(f.fireNumber);
        for (double v : {f.ignitionX, f.ignitionY, f.fireSize, f.fireSize * kHectaresPerAcre}) {
          list += ", ";
          AppendFixed(list, v);
        }
        list += "\r\n";
      }
    r.hasFireSizeList = true;
  }
  if (p.StopRequested()) return Cancelled(p);
  r.outputSeconds = lap();
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.succeeded = true;
  p.SetDone(true);
  p.PostCompletion(1);
  return true;
}

bool LaunchBurnProbabilityThreads(BurnProbabilityLaunch& launch) {
  return RunTravelTimeThreads(launch, RandomIgnitionsMonitorThread, RunBurnProbability);
}

std::string BuildRandomIgnitionsRunLog(const CRun& run, const RunLogFacts& facts, const BurnProbabilityResult& r) {
  using platform::FormatC;
  std::string log = RunLogHead("#Run Log for MTT Random Ignitions run: %s\r\n", run, facts, r.seconds);
  // The fire counts stand after the landscape lines.
  const std::string counts = FormatC("#NumFires: %d\r\n#Number Fires Completed %d\r\n", r.fires, r.completed);
  const std::size_t at = log.find("#FUEL_MOISTURE_FILE: ");
  log.insert(at == std::string::npos ? log.size() : at, counts);
  const CRunMTTSettings& m = run.mtt;
  if (m.ignitionSource == 3) log += FormatC("#FireListFile: %s\r\n", m.fireListFile.c_str());
  log += FormatC("MTT_RESOLUTION: %f\r\nMTT_SIM_TIME: %f\r\nMTT_TRAVEL_PATH_INTERVAL: %f\r\n", m.resolution,
                 m.simulationTime, m.travelPathInterval);
  log += FormatC("MTT_SPOT_PROBABILITY: %f\r\nMTT_SPOT_DELAY: %d\r\nPathweaverNumLat: %d\r\nPathweaverNumVert: %d\r\n",
                 m.spotProbability, m.spotDelay, m.lateralSearchDepth, m.verticalSearchDepth);
  log += r.inputsFileText;
  const int selected[] = {m.burnProbabilities, m.perimeters, m.flpEnglish, m.flpMetric, m.fireSizeList};
  const auto& tags = RunOutputTags(RunKind::RandomIgnitions);
  for (std::size_t i = 0; i < tags.size() && i < 5; ++i)
    if (selected[i]) log += tags[i] + "\r\n";
  return log;
}

int CreateBurnProbabilityThemes(CRun& run, BurnProbabilityResult& r, const RunLogFacts& facts) {
  if (!r.succeeded) return 0;
  int made = AddFireBehaviorThemes(run, r.fireBehavior) + AddArrowThemes(run);
  if (run.mtt.burnProbabilities && r.burnProbability.empty())
    platform::Tell(platform::FormatC("No fire of the %d the run started completed, so no burn probabilities were made.",
                                     r.fires));
  if (!r.burnProbability.empty()) {
    auto theme = std::make_unique<CTheme>();
    if (theme->CreateFromFloats("MTT Burn Probabilities", r.south, r.west, r.cell, r.cell, r.rows, r.columns,
                                -9999.0f, r.burnProbability.data(), 0, 39)) {
      theme->name = "Burn Probability";
      AddThemeWithLegend(run, std::move(theme));
      ++made;
    } else {
      platform::Tell("Error creating the output theme Burn Probability.");
    }
    r.burnProbability = {};
  }
  if (run.mtt.perimeters && run.host) {
    std::vector<CPerimeter*> outlines;
    for (auto& o : r.perimeters) outlines.push_back(o.get());
    auto theme = std::make_unique<CVectorTheme>();
    if (theme->CreateFromPerimeters("MTT Perimeters", outlines.data(), r.records, static_cast<int>(outlines.size()),
                                    r.cell)) {
      // Hundreds of overlapping outlines would bury the burn-probability map: the theme is
      // listed unticked and shown when the user ticks it.
      theme->visible = false;
      if (run.randomPerimeters) run.host->DisposeVectorTheme(run.randomPerimeters);
      run.randomPerimeters = run.host->AdoptVectorTheme(std::move(theme));
    } else if (r.completed > 0) {
      platform::Tell("Error creating the output theme MTT Perimeters.");
    }
    r.perimeters.clear();
  }
  if (r.hasFlpEnglish) run.runLogs.push_back({"FLP English", std::move(r.flpEnglish)});
  if (r.hasFlpMetric) run.runLogs.push_back({"FLP Metric", std::move(r.flpMetric)});
  if (r.hasFireSizeList) run.runLogs.push_back({"FireSizeList", std::move(r.fireSizeList)});
  run.runLogs.push_back({"Run Log", BuildRandomIgnitionsRunLog(run, facts, r)});
  return made;
}

}  // namespace runs
