#pragma once
// What the launch tests start from: a run with a good moisture file writing into its own
// working folder, and the recorders a launch reports to.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "engines/mtt_engine.h"
#include "fake_host.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "run_exec_fakes.h"
#include "runs/run.h"
#include "runs/run_outputs.h"
#include "weather/temp_dir.h"

struct LaunchFixtureBase {
  TempDir dir;
  FakeHost host;
  CRun run;
  RecordingProgress progress;
  platform::ScopedRecordingMessages messages;
  LaunchFixtureBase() {
    platform::SetWorkingFolder(dir.File("work"));
    platform::MakeFolders(dir.File("work"));
    run.host = &host;
    run.inputs.fuelMoistureFile = dir.Write("a.fms", "0 6 7 8 60 90\n");
    run.outputs.crownFireMethod = 0;
  }
  // Ties a launch to the run and the recorder; the monitor polls every millisecond.
  template <class Launch>
  void Attach(Launch& launch) {
    launch.run = &run;
    launch.progress = &progress;
    launch.timing = {std::chrono::milliseconds(1), std::chrono::milliseconds(0)};
  }
  int Completions(int success) const {
    const auto events = progress.Events();
    return static_cast<int>(std::count(events.begin(), events.end(), "complete:" + std::to_string(success)));
  }
  // One completion, of `success`, and none of the other kind.
  bool Completed(int success) const { return Completions(success) == 1 && Completions(1 - success) == 0; }
};

// A travel-time launch on the sample landscape: 160 x 160 cells of 30 m from (612000, 4507200).
template <class Launch>
struct SampleTravelTimeFixture : LaunchFixtureBase {
  CMinTravelTime engine;
  Launch launch;
  SampleTravelTimeFixture() {
    run.inputs.windSpeed = 15;
    Attach(launch);
    launch.engine = &engine;
    launch.landscapeFile = std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp";
    launch.geometry = {616800, 612000, 4512000, 4507200, 30, 30};
  }
};

// A launch that cannot go on: how the case breaks it, the start of what the user is shown ("" for
// nothing) and the monitor's last text.
template <class Fixture>
struct FailedLaunchCase {
  const char* name;
  void (*setup)(Fixture&);
  const char* message;
  const char* lastText;
};

// One message shown, starting with `message`; nothing for "".
inline void ExpectShownOnly(const std::vector<std::string>& shown, const char* message) {
  if (*message) {
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind(message, 0), 0u) << shown[0];
  } else {
    EXPECT_TRUE(shown.empty());
  }
}

// Each case on a fresh fixture: the launch ends with one completion, of 0, says what the case
// expects, and its result makes no theme and no log.
template <class Fixture, std::size_t N, class LaunchFn, class ThemesFn>
void ExpectFailedLaunches(const FailedLaunchCase<Fixture> (&cases)[N], LaunchFn launchThreads, ThemesFn makeThemes) {
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    Fixture f;
    k.setup(f);
    ASSERT_TRUE(launchThreads(f.launch));
    EXPECT_TRUE(f.Completed(0));
    EXPECT_EQ(f.progress.Events().back(), "complete:0");
    EXPECT_FALSE(f.progress.done);
    EXPECT_EQ(f.progress.Texts().back(), k.lastText);
    ExpectShownOnly(f.messages.Texts(), k.message);
    EXPECT_EQ(makeThemes(f.run, f.launch.result, runs::RunLogFacts{}), 0);
    EXPECT_TRUE(f.run.outputThemes.empty());
    EXPECT_TRUE(f.run.runLogs.empty());
  }
}
