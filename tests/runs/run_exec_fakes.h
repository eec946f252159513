#pragma once
// Stand-ins for a launch: a progress dialog that records what reaches it, and an engine whose
// phases follow a script, one state per poll.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "runs/run_exec.h"

class RecordingProgress : public runs::RunProgress {
 public:
  std::atomic<bool> stop{false};
  std::atomic<bool> window{true};
  bool IsWindow() const override { return window; }
  bool StopRequested() const override { return stop; }
  void PostText(const std::string& text) override { Add("text:" + text); }
  void PostPosition(int percent) override { Add("pos:" + std::to_string(percent)); }
  void PostRange(int upper) override { Add("range:" + std::to_string(upper)); }
  void PostCompletion(int success) override { Add("complete:" + std::to_string(success)); }
  void SetDone(bool d) override { done = d; }
  std::vector<std::string> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& e : Events())
      if (e.rfind("text:", 0) == 0) out.push_back(e.substr(5));
    return out;
  }
  std::atomic<bool> done{false};

 private:
  void Add(std::string e) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(e));
  }
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
};

class ScriptedEngine : public runs::FireBehaviorEngine {
 public:
  // Each poll of the run state takes the next entry; the launch returns once all are used
  // (or at once on a cancel), with launchCode.
  std::vector<int> states;
  int loadCode = 1, launchCode = 1, cancelCode = 9;
  int rows = 2, cols = 3;
  std::vector<int> withoutGrid;
  std::atomic<bool> cancelled{false};

  int GetRunState() const override {
    std::lock_guard lock(mutex_);
    int s = next_ < states.size() ? states[next_] : 4;
    if (next_ < states.size()) ++next_;
    if (next_ == states.size()) cv_.notify_all();
    return s;
  }
  double QueryProgress() const override {
    std::lock_guard lock(mutex_);
    return finished_ ? 1.0 : 0.0;
  }
  double GustforgeProgress() const override { return 0.25; }
  double ConditioningProgress() const override { return 0.5; }
  double FireBehaviorProgress() const override { return 0.999; }
  void Cancel() override {
    std::lock_guard lock(mutex_);
    cancelled = true;
    cv_.notify_all();
  }
  void SetAnalysisArea(double, double, double, double) override {}
  int CommandFileLoad(const std::string& path) override {
    loadedPath = path;
    return loadCode;
  }
  int Launch() override {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return next_ >= states.size() || cancelled; });
    if (cancelled) return cancelCode;
    finished_ = launchCode == 1;
    return launchCode;
  }
  std::string CommandFileError(int code) override { return "engine error " + std::to_string(code); }
  const float* GetOutputLayer(int index) override {
    for (int i : withoutGrid)
      if (i == index) return nullptr;
    grid_.assign(static_cast<std::size_t>(rows) * cols, static_cast<float>(index));
    return grid_.data();
  }
  int Rows() const override { return rows; }
  int Columns() const override { return cols; }
  double South() const override { return 1000; }
  double West() const override { return 500; }
  int WindRows() const override { return 1; }
  int WindColumns() const override { return 2; }
  int WindResolution() const override { return 90; }
  void WindCorner(double& west, double& south) const override {
    west = 480;
    south = 990;
  }
  std::string loadedPath;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  mutable std::size_t next_ = 0;
  bool finished_ = false;
  std::vector<float> grid_;
};
