#include "runs/run_exec.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "engines/pyrvane.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "runs/run.h"

namespace runs {

namespace {

class PyrvaneAdapter : public FireBehaviorEngine {
 public:
  explicit PyrvaneAdapter(CPyrvane& e) : e_(e) {}
  int GetRunState() const override { return e_.GetRunState(); }
  double QueryProgress() const override { return e_.QueryPyrvaneProgress(); }
  double GustforgeProgress() const override { return e_.GetGustforgeProgress(); }
  double ConditioningProgress() const override { return e_.GetConditioningProgress(); }
  double FireBehaviorProgress() const override { return e_.GetFireBehaviorProgress(); }
  void Cancel() override { e_.CancelPyrvane(); }
  void SetAnalysisArea(double east, double west, double north, double south) override {
    e_.SetAnalysisArea(east, west, north, south);
  }
  int CommandFileLoad(const std::string& path) override {
    // The engine takes paths in buffers of the platform's path limit.
    if (path.size() >= 4096) return 0;
    return e_.CommandFileLoad(path.c_str());
  }
  int Launch() override { return e_.LaunchPyrvane(0); }
  std::string CommandFileError(int code) override { return e_.CommandFileError(code); }
  const float* GetOutputLayer(int index) override { return e_.GetOutputLayer(index); }
  int Rows() const override { return e_.GetNumRows(); }
  int Columns() const override { return e_.GetNumCols(); }
  double South() const override { return e_.GetSouth(); }
  double West() const override { return e_.GetWest(); }
  int WindRows() const override { return e_.GetNumWindRows(); }
  int WindColumns() const override { return e_.GetNumWindCols(); }
  int WindResolution() const override { return e_.GetWindsResolution(); }
  void WindCorner(double& west, double& south) const override { e_.GetWindCorners(&west, &south); }
  std::string CellNotes() const override { return e_.GetCellNotes(); }

 private:
  CPyrvane& e_;
};

}  // namespace

void Pause(std::chrono::milliseconds interval, const RunProgress& progress,
           const std::atomic<bool>* runFinished) {
  using clock = std::chrono::steady_clock;
  const auto end = clock::now() + interval;
  const auto slice = std::chrono::milliseconds(20);
  while (!progress.StopRequested() && !(runFinished && runFinished->load())) {
    const auto now = clock::now();
    if (now >= end) break;
    std::this_thread::sleep_for(std::min<clock::duration>(slice, end - now));
  }
}

bool CancelledRun(RunProgress& progress) {
  if (progress.IsWindow()) progress.PostText("Cancelled");
  progress.SetDone(false);
  progress.PostCompletion(0);
  return false;
}

bool FailRun(RunProgress& progress, const std::string& message, const std::string& status) {
  // After a stop the engine's answer is the cancel itself: nothing to tell the user.
  if (!message.empty() && !progress.StopRequested()) platform::Tell(message);
  SendRunStatus(progress, status);
  progress.SetDone(false);
  progress.PostCompletion(0);
  return false;
}

namespace {

bool Fail(RunProgress& progress, const std::string& message) {
  return FailRun(progress, message, "Unable to run Pyrvane");
}

OutputGrid CopyGrid(FireBehaviorEngine& engine, int index, const float* cells,
                    const RunGeometry& g) {
  OutputGrid grid;
  grid.index = index;
  if (index == kOutputWindDirection || index == kOutputWindSpeed) {
    grid.rows = engine.WindRows();
    grid.columns = engine.WindColumns();
    grid.cellWidth = grid.cellHeight = engine.WindResolution();
    engine.WindCorner(grid.west, grid.south);
  } else {
    grid.rows = engine.Rows();
    grid.columns = engine.Columns();
    grid.south = engine.South();
    grid.west = engine.West();
    grid.cellWidth = g.cellWidth;
    grid.cellHeight = g.cellHeight;
  }
  const std::size_t n = static_cast<std::size_t>(std::max(grid.rows, 0)) *
                        static_cast<std::size_t>(std::max(grid.columns, 0));
  grid.cells.assign(cells, cells + n);
  return grid;
}

}  // namespace

std::unique_ptr<FireBehaviorEngine> WrapPyrvane(CPyrvane& engine) {
  return std::make_unique<PyrvaneAdapter>(engine);
}

void SendRunStatus(RunProgress& progress, const std::string& text) {
  if (progress.IsWindow() && !progress.StopRequested()) progress.PostText(text);
}

void SendRunPosition(RunProgress& progress, int percent) {
  if (progress.IsWindow() && !progress.StopRequested()) progress.PostPosition(percent);
}

void SendRunRange(RunProgress& progress, int upper) {
  if (progress.IsWindow() && !progress.StopRequested()) progress.PostRange(upper);
}

int PercentOf(double fraction) {
  if (!(fraction > 0)) return 0;
  return static_cast<int>(std::min(fraction * 100.0, 100.0));
}

int PyrvaneMonitorThread(PyrvaneLaunch& launch, const std::atomic<bool>& runFinished) {
  RunProgress& p = *launch.progress;
  FireBehaviorEngine& e = *launch.engine;
  Pause(launch.timing.poll, p, &runFinished);
  e.GetRunState();
  int phase = 0;
  while (!p.StopRequested()) {
    if (e.QueryProgress() >= 1.0) break;
    // A run thread that ended early (a failed load) leaves nothing to watch.
    if (runFinished) break;
    double fraction = -1;
    const int state = e.GetRunState();
    auto enter = [&](int s, const char* text) {
      if (phase != s) SendRunStatus(p, text);
      phase = s;
    };
    switch (state) {
      case 0: SendRunPosition(p, 0); break;
      case 1:
        enter(1, "Loading inputs...");
        SendRunPosition(p, 0);
        break;
      case 2: enter(2, "Running Gustforge..."); fraction = e.GustforgeProgress(); break;
      case 3: enter(3, "Fuel Conditioning..."); fraction = e.ConditioningProgress(); break;
      case 4: enter(4, "Fire Behavior..."); fraction = e.FireBehaviorProgress(); break;
      default: break;
    }
    if (fraction >= 0) SendRunPosition(p, PercentOf(fraction));
    Pause(launch.timing.poll, p, &runFinished);
  }
  if (e.QueryProgress() < 1.0) e.Cancel();
  SendRunPosition(p, 100);
  return 1;
}

bool RunPyrvane(PyrvaneLaunch& launch) {
  CRun& run = *launch.run;
  RunProgress& p = *launch.progress;
  FireBehaviorEngine& e = *launch.engine;
  PyrvaneRunResult& result = launch.result;
  result = {};
  const auto start = std::chrono::steady_clock::now();

  const std::string path = WriteInputsAndSettle([&run](std::string& out) { return run.WritePyrvaneInputsFile(out); },
                                                result.inputsFileText, p, launch.timing.settle);
  if (path.empty()) return Fail(p, "Error building Pyrvane inputs file.");
  // A stop before the engine started: nothing to load or cancel.
  if (p.StopRequested()) return Fail(p, {});

  int rc = e.CommandFileLoad(path);
  if (rc != 1) return Fail(p, e.CommandFileError(rc));
  rc = e.Launch();
  const auto end = std::chrono::steady_clock::now();
  if (rc != 1) return Fail(p, e.CommandFileError(rc));
  result.seconds = std::chrono::duration<double>(end - start).count();
  result.cellNotes = e.CellNotes();

  for (int i = 0; i < kBasicOutputCount; ++i) {
    if (!IsBasicOutputMade(i, run.outputs, run.inputs.windType)) continue;
    if (const float* cells = e.GetOutputLayer(i))
      result.grids.push_back(CopyGrid(e, i, cells, launch.geometry));
    else
      result.missing.push_back(i);
  }
  result.stoppedWhileCollecting = p.StopRequested();
  result.succeeded = true;
  p.SetDone(true);
  p.PostCompletion(1);
  return true;
}

std::string WriteInputsAndSettle(const std::function<bool(std::string&)>& write, std::string& text,
                                 const RunProgress& progress, std::chrono::milliseconds settle) {
  std::string path;
  if (!write(path) || !platform::ReadWholeFile(path, text)) return {};
  Pause(settle, progress, nullptr);
  return path;
}

bool RunLaunchThreads(CRun& run, void* block,
                      const std::function<void(const std::atomic<bool>&)>& monitor,
                      const std::function<void()>& body,
                      const std::function<bool(const std::string&)>& fail) {
  run.threadBlock = block;
  std::atomic<bool> runFinished{false};
  std::thread watcher([&] { monitor(runFinished); });
  auto runBody = [&] {
    try {
      body();
    } catch (const std::exception& ex) {
      fail(ex.what());
    }
    runFinished = true;
  };
  bool started = true;
  try {
    std::thread runner(runBody);
    runner.join();
  } catch (const std::system_error&) {
    runFinished = true;
    started = false;
  }
  watcher.join();
  run.threadBlock = nullptr;
  return started || fail("Unable to start the run thread.");
}

bool LaunchPyrvaneThreads(PyrvaneLaunch& launch) {
  RunProgress& p = *launch.progress;
  SendRunStatus(p, "Initializing..");
  SendRunPosition(p, 0);
  return RunLaunchThreads(
      *launch.run, &launch,
      [&](const std::atomic<bool>& runFinished) { PyrvaneMonitorThread(launch, runFinished); },
      [&] {
        const RunGeometry& g = launch.geometry;
        launch.engine->SetAnalysisArea(g.east, g.west, g.north, g.south);
        RunPyrvane(launch);
      },
      [&](const std::string& message) { return Fail(p, message); });
}

}  // namespace runs
