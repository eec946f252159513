// Daily weather to hourly stream: the conversion (one day index and one sweep over the winds)
// against the baseline of applying the three hourly rules by searching the lists for every
// hour, over the same year of daily weather with hourly winds.
// Default 365 days; PYRVANE_BENCH_FULL=1 runs 1460 days.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "weather/daily_weather.h"
#include "weather/wx_stream.h"

namespace {

struct Fixture {
  std::string dir, wtr, wnd, wxs;
  std::string wtrText, wndText;
  int days = 0;

  Fixture() {
    const char* full = std::getenv("PYRVANE_BENCH_FULL");
    days = (full && *full == '1') ? 1460 : 365;
    char pattern[] = "/tmp/pv_bench_weather_XXXXXX";
    dir = ::mkdtemp(pattern);
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 1, day = 1;
    for (int i = 0; i < days; ++i) {
      wtrText += std::to_string(month) + " " + std::to_string(day) + " " +
                 std::to_string(i % 7 == 0 ? 25 : 0) + " 600 1500 40 80 90 30 1200 1300 1500\n";
      for (int h = 0; h < 24; ++h)
        wndText += std::to_string(month) + " " + std::to_string(day) + " " +
                   std::to_string(h * 100) + " " + std::to_string(5 + h % 7) + " " +
                   std::to_string(h * 15) + " 20\n";
      if (++day > kDays[month - 1]) {
        day = 1;
        month = month % 12 + 1;
      }
    }
    wtr = dir + "/a.wtr";
    wnd = dir + "/a.wnd";
    wxs = dir + "/a.wxs";
    std::ofstream(wtr) << wtrText;
    std::ofstream(wnd) << wndText;
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

void BM_ConvertWtrWndToWxs(benchmark::State& state) {
  Fixture& f = Data();
  int records = 0;
  for (auto _ : state) records = ConvertWtrWndToWxs(f.wtr, f.wnd, f.wxs);
  state.counters["records"] = records;
  state.counters["days"] = f.days;
}

// Baseline: the same hours built by the rules' own searches of the lists.
void BM_Baseline_RulesPerHour(benchmark::State& state) {
  Fixture& f = Data();
  const int base = DailyBaseYear(f.wtrText, f.wndText);
  std::vector<WtrDay> days;
  std::vector<WndEntry> winds;
  bool metric = false;
  ReadWtrDays(f.wtrText, base, days, metric);
  ReadWndEntries(f.wndText, base, metric, winds, metric);
  const platform::OleDateTime first(days.front().year, days.front().month, days.front().day, 13, 0, 0);
  const platform::OleDateTime last(days.back().year, days.back().month, days.back().day, 13, 0, 0);
  int records = 0;
  for (auto _ : state) {
    CWxStream stream;
    for (long step = 0;; ++step) {
      const platform::OleDateTime hour = first.AddHours(static_cast<double>(step));
      if (!(hour < last)) break;
      WxRecord r;
      if (HourlyTempRH(days, hour, &r.temperature, &r.humidity) &&
          HourlyPrecip(days, hour, &r.precipitation) &&
          HourlyWindCloud(winds, hour, &r.windSpeed, &r.windDirection, &r.cloudCover)) {
        r.date = hour;
        stream.records.push_back(r);
      }
    }
    std::ofstream(f.wxs) << WxsConversionText(stream);
    records = static_cast<int>(stream.records.size());
  }
  state.counters["records"] = records;
}

BENCHMARK(BM_ConvertWtrWndToWxs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_RulesPerHour)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
