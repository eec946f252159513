// Saving and opening a project of 20 grids and 50 runs (each with an output grid and a log),
// beside writing the same payload bytes to files plus `zip -6` (save) and `unzip` plus reading
// the files back (open). Default: grids of 1000 x 1000 cells; PYRVANE_BENCH_FULL=1: 4000 x 4000.
// Prints save_over_baseline and open_over_baseline after the runs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "project/document.h"
#include "project/project_file.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_outputs.h"
#include "themes/theme.h"

namespace {

namespace fs = std::filesystem;

int Side() { return std::getenv("PYRVANE_BENCH_FULL") ? 4000 : 1000; }

std::unique_ptr<CTheme> Grid(const char* name, int n, int layerType, int seed) {
  std::vector<float> cells(static_cast<std::size_t>(n) * n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      cells[static_cast<std::size_t>(r) * n + c] =
          (r / 61 + c / 53 + seed) % 17 == 0 ? -9999.0f : static_cast<float>((r * 7 + c * 3 + seed) % 400) * 0.25f;
  auto t = std::make_unique<CTheme>();
  t->CreateFromFloats(name, 4800000, 500000, 30, 30, n, n, -9999.0f, cells.data(), 0, layerType);
  return t;
}

struct Fixture {
  std::unique_ptr<CPVN4Doc> doc;
  std::string dir, project, payloads;
  std::vector<std::string> payloadFiles;
};

Fixture& Data() {
  static Fixture f = [] {
    Fixture d;
    d.dir = "/tmp/pv_bench_project_" + std::to_string(Side());
    fs::remove_all(d.dir);
    fs::create_directories(d.dir + "/payloads");
    d.project = d.dir + "/bench.pvn";
    d.doc = std::make_unique<CPVN4Doc>();
    CPVN4Doc& doc = *d.doc;
    if (doc.OpenLandscape(std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp") != 1) std::abort();
    const CHeaderData& h = doc.landscape.header;
    for (int g = 0; g < 20; ++g) {
      auto t = Grid("grid", Side(), 10, g);
      t->name = "Grid " + std::to_string(g);
      doc.AddGridTheme(std::move(t));
    }
    CPyrvane2WorkArea* area = doc.CreateWorkArea(h.north, h.east, h.south, h.west, "Runs");
    for (int r = 0; r < 50; ++r) {
      CRun* run = area->AddRun(std::make_unique<CRun>());
      run->name = "Run " + std::to_string(r);
      auto out = Grid("Flame Length", Side() / 4, 17, r);
      runs::AddThemeWithLegend(*run, std::move(out));
      std::string log;
      for (int i = 0; i < 400; ++i) log += "Run log line " + std::to_string(i) + " of run " + std::to_string(r) + "\r\n";
      run->runLogs.push_back({"Run Log", log});
    }
    // The baseline's files: the same payload bytes the project archive holds.
    int n = 0;
    auto add = [&](const std::string& bytes) {
      const std::string file = d.dir + "/payloads/" + std::to_string(n++) + ".tmp";
      d.payloadFiles.push_back(file);
      platform::WriteFileAtomically(file, bytes);
    };
    for (const auto& t : doc.gridThemes)
      if (t->layerType == 10) add(t->ThemeBytes());
    for (const auto& run : area->runs) {
      for (const auto& t : run->outputThemes) add(t->ThemeBytes());
      for (const auto& l : run->runLogs) add(l.text);
    }
    return d;
  }();
  return f;
}

std::map<std::string, double> seconds;

template <class F>
void Timed(benchmark::State& state, const char* key, F&& work) {
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (!work()) {
      state.SkipWithError(key);
      return;
    }
    seconds[key] += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    seconds[std::string(key) + "_n"] += 1;
  }
}

void BM_SaveProject(benchmark::State& state) {
  Fixture& d = Data();
  Timed(state, "save", [&] { return projectfile::SaveProject(*d.doc, d.project); });
  state.counters["archive_MB"] = static_cast<double>(fs::file_size(projectfile::CompanionPath(d.project))) / 1e6;
}

// The payload bytes written to files, then `zip -6` of them.
void BM_WriteAndZip(benchmark::State& state) {
  Fixture& d = Data();
  Timed(state, "save_base", [&] {
    std::vector<std::string> bytes;
    for (const auto& t : d.doc->gridThemes)
      if (t->layerType == 10) bytes.push_back(t->ThemeBytes());
    for (const auto& run : d.doc->areas.back()->runs) {
      for (const auto& t : run->outputThemes) bytes.push_back(t->ThemeBytes());
      for (const auto& l : run->runLogs) bytes.push_back(l.text);
    }
    for (std::size_t i = 0; i < bytes.size(); ++i)
      if (!platform::WriteFileAtomically(d.payloadFiles[i], bytes[i])) return false;
    fs::remove(d.dir + "/base.zip");
    return std::system(("cd '" + d.dir + "/payloads' && zip -q -6 ../base.zip *.tmp").c_str()) == 0;
  });
}

void BM_OpenProject(benchmark::State& state) {
  Fixture& d = Data();
  if (!fs::exists(d.project)) projectfile::SaveProject(*d.doc, d.project);
  Timed(state, "open", [&] {
    CPVN4Doc doc;
    return projectfile::ReadProject(doc, d.project);
  });
}

// `unzip` of the same payloads, then reading every file back.
void BM_UnzipAndRead(benchmark::State& state) {
  Fixture& d = Data();
  if (!fs::exists(d.dir + "/base.zip"))
    std::system(("cd '" + d.dir + "/payloads' && zip -q -6 ../base.zip *.tmp").c_str());
  Timed(state, "open_base", [&] {
    fs::remove_all(d.dir + "/unzipped");
    if (std::system(("unzip -q -o '" + d.dir + "/base.zip' -d '" + d.dir + "/unzipped'").c_str()) != 0) return false;
    std::size_t total = 0;
    for (const auto& e : fs::directory_iterator(d.dir + "/unzipped")) {
      std::string bytes;
      if (!platform::ReadWholeFile(e.path().string(), bytes)) return false;
      total += bytes.size();
    }
    return total > 0;
  });
}

BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WriteAndZip)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_UnzipAndRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);

double Mean(const std::string& key) { return seconds[key] / std::max(1.0, seconds[key + "_n"]); }

}  // namespace

int main(int argc, char** argv) {
  platform::ScopedRecordingMessages quiet;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  if (seconds["save_n"] > 0 && seconds["save_base_n"] > 0)
    std::printf("save_over_baseline %.2f (20 grids of %d x %d cells, 50 runs)\n", Mean("save") / Mean("save_base"),
                Side(), Side());
  if (seconds["open_n"] > 0 && seconds["open_base_n"] > 0)
    std::printf("open_over_baseline %.2f\n", Mean("open") / Mean("open_base"));
  return 0;
}
