// Treatment optimisation: the placement's promises on synthetic spread fields (budget, units
// on opportunity cells and no wider than the dimension, fire never faster after treatment,
// better than random placement), and the engine's treatment run from landscape files.
#include "engines/tom.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>

#include "engine_fixture.h"
#include "engines/inputs_file.h"
#include "engines/mtt_engine.h"
#include "support/shape_files.h"

namespace mtt = engines::mtt;
namespace tom = engines::tom;
using enginetest::TempDir;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A uniform fire (head b + c m/min towards azimuth dir) on rows x cols cells of 30 m.
mtt::SpreadField Uniform(int rows, int cols, double b, double c, double dir) {
  mtt::SpreadField f;
  f.rows = rows;
  f.cols = cols;
  f.cell = 30;
  const std::size_t n = static_cast<std::size_t>(rows) * cols;
  f.b.assign(n, b);
  f.c.assign(n, c);
  f.dir.assign(n, dir);
  return f;
}

std::vector<int> TopRow(int cols) {
  std::vector<int> v(static_cast<std::size_t>(cols));
  std::iota(v.begin(), v.end(), 0);
  return v;
}

tom::Settings SettingsFor(const mtt::SpreadField& f, int iterations, double fraction, double dimension) {
  tom::Settings s;
  s.iterations = iterations;
  s.unitCells = std::max(1, static_cast<int>(std::floor(dimension / f.cell + 1e-9)));
  s.budgetCells = static_cast<std::size_t>(fraction * f.rows * f.cols);
  s.search.ignitions = TopRow(f.cols);
  return s;
}

// Mean arrival at the last row.
double DownwindMean(const mtt::SearchResult& r, int rows, int cols) {
  double sum = 0;
  for (int c = 0; c < cols; ++c) sum += r.arrival[static_cast<std::size_t>(rows - 1) * cols + c];
  return sum / cols;
}

}  // namespace

TEST(TreatmentPlacement, KeepsItsPromisesOnAMixedLandscape) {
  // Wind to the south; a fast corridor, ideal fuels three times slower except on the eastern
  // columns (no gain there) and a few cells they make unburnable.
  const int rows = 60, cols = 48;
  mtt::SpreadField now = Uniform(rows, cols, 10, 8, kPi), ideal = Uniform(rows, cols, 3, 2.4, kPi);
  std::vector<char> known(static_cast<std::size_t>(rows) * cols, 1);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * cols + c;
      if (c >= 18 && c < 22) now.b[i] = 20, now.c[i] = 17, ideal.b[i] = 6, ideal.c[i] = 5;
      if (c >= 40) ideal.b[i] = now.b[i], ideal.c[i] = now.c[i];
      if (r % 13 == 5 && c % 7 == 3 && c < 40) ideal.b[i] = 0;
      if (r == 30 && c < 4) known[i] = 0;  // no ideal data
    }
  struct Case {
    int iterations;
    double fraction, dimension;
  };
  for (const Case& k : {Case{1, 0.1, 120}, Case{3, 0.2, 95}, Case{2, 0.03, 20}, Case{5, 0.5, 150}}) {
    SCOPED_TRACE(::testing::Message() << k.iterations << " iterations, fraction " << k.fraction << ", dimension "
                                      << k.dimension);
    const tom::Settings s = SettingsFor(now, k.iterations, k.fraction, k.dimension);
    const tom::Result r = tom::Optimise(now, ideal, known, s);
    ASSERT_FALSE(r.cancelled);
    std::size_t treated = 0;
    for (std::size_t i = 0; i < r.treatment.size(); ++i) {
      if (r.treatment[i] <= 0) continue;
      ++treated;
      const int col = static_cast<int>(i % cols);
      ASSERT_TRUE(r.opportunity[i] && known[i] && col < 40 && ideal.b[i] != now.b[i]) << i;
      EXPECT_LE(r.treatment[i], k.iterations);
    }
    const std::size_t unit = static_cast<std::size_t>(s.unitCells) * s.unitCells;
    EXPECT_GT(treated, 0u);
    EXPECT_LE(treated, s.budgetCells + unit);
    std::size_t inUnits = 0;
    for (const tom::Unit& u : r.units) {
      EXPECT_LE((u.col1 - u.col0) * now.cell, k.dimension + now.cell);
      EXPECT_LE((u.row1 - u.row0) * now.cell, k.dimension + now.cell);
      inUnits += u.cells;
    }
    EXPECT_EQ(inUnits, treated);

    // The fire searched again on the treated landscape arrives nowhere earlier.
    const mtt::SearchResult before = mtt::RunSearch(now, s.search);
    for (std::size_t i = 0; i < before.arrival.size(); ++i)
      if (r.fire.arrival[i] >= 0) {
        ASSERT_GE(r.fire.arrival[i], before.arrival[i] * (1 - 1e-12)) << i;
      }
    EXPECT_GT(DownwindMean(r.fire, rows, cols), DownwindMean(before, rows, cols));
  }
}

TEST(TreatmentPlacement, DelaysTheDownwindEdgeMoreThanRandomUnitsOfEqualArea) {
  const int rows = 64, cols = 48;
  for (double dir : {kPi, 150 * kPi / 180}) {
    SCOPED_TRACE(dir);
    const mtt::SpreadField now = Uniform(rows, cols, 10, 8, dir), ideal = Uniform(rows, cols, 3, 2.4, dir);
    const std::vector<char> known(now.b.size(), 1);
    const tom::Settings s = SettingsFor(now, 2, 0.1, 120);
    const tom::Result placed = tom::Optimise(now, ideal, known, s);
    const double base = DownwindMean(mtt::RunSearch(now, s.search), rows, cols);
    const double ours = DownwindMean(placed.fire, rows, cols) - base;
    const std::size_t area = static_cast<std::size_t>(std::count_if(placed.treatment.begin(), placed.treatment.end(),
                                                                    [](int t) { return t > 0; }));

    std::mt19937 random(7);
    std::vector<double> delays;
    for (int trial = 0; trial < 20; ++trial) {
      mtt::SpreadField field = now;
      std::vector<char> done(now.b.size(), 0);
      std::size_t count = 0;
      const int m = s.unitCells;
      while (count < area) {
        const int r0 = std::uniform_int_distribution<int>(0, rows - m)(random);
        const int c0 = std::uniform_int_distribution<int>(0, cols - m)(random);
        for (int r = r0; r < r0 + m && count < area; ++r)
          for (int c = c0; c < c0 + m && count < area; ++c) {
            const std::size_t i = static_cast<std::size_t>(r) * cols + c;
            if (done[i]) continue;
            done[i] = 1;
            ++count;
            field.b[i] = ideal.b[i];
            field.c[i] = ideal.c[i];
          }
      }
      delays.push_back(DownwindMean(mtt::RunSearch(field, s.search), rows, cols) - base);
    }
    std::sort(delays.begin(), delays.end());
    EXPECT_GT(ours, delays[18]) << "random median " << delays[10];
  }
}

TEST(TreatmentPlacement, NothingToGainTreatsNothingAndCancelStops) {
  const mtt::SpreadField now = Uniform(20, 20, 10, 8, kPi);
  const std::vector<char> known(now.b.size(), 1);
  tom::Settings s = SettingsFor(now, 3, 0.5, 90);
  const tom::Result same = tom::Optimise(now, now, known, s);
  EXPECT_FALSE(same.cancelled);
  EXPECT_TRUE(same.units.empty());
  EXPECT_EQ(std::count(same.opportunity.begin(), same.opportunity.end(), 1), 0);
  EXPECT_EQ(same.fire.arrival, mtt::RunSearch(now, s.search).arrival);

  std::atomic<bool> cancel{true};
  s.search.cancel = &cancel;
  EXPECT_TRUE(tom::Optimise(now, Uniform(20, 20, 3, 2.4, kPi), known, s).cancelled);
}

namespace {

// An LCP of rows x cols cells with its north-west corner at (west, north), written by GDAL's
// own landscape driver; fuel(row, col) gives each cell's fuel model.
void WriteLcp(const std::string& path, int rows, int cols, double west, double north, double cell,
              const std::function<int(int, int)>& fuel) {
  GDALAllRegister();
  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  std::unique_ptr<GDALDataset> src(mem->Create("", cols, rows, 8, GDT_Int16, nullptr));
  double gt[6] = {west, cell, 0, north, 0, -cell};
  src->SetGeoTransform(gt);
  std::vector<std::int16_t> band(static_cast<std::size_t>(rows) * cols);
  for (int k = 0; k < 8; ++k) {
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c)
        band[static_cast<std::size_t>(r) * cols + c] = static_cast<std::int16_t>(k == 0 ? 1000 : k == 3 ? fuel(r, c) : 0);
    ASSERT_EQ(src->GetRasterBand(k + 1)->RasterIO(GF_Write, 0, 0, cols, rows, band.data(), cols, rows, GDT_Int16, 0, 0,
                                                  nullptr),
              CE_None);
  }
  const char* options[] = {"LATITUDE=45", "LINEAR_UNIT=METER", nullptr};
  std::unique_ptr<GDALDataset> out(GetGDALDriverManager()->GetDriverByName("LCP")->CreateCopy(
      path.c_str(), src.get(), FALSE, const_cast<char**>(options), nullptr, nullptr));
  ASSERT_NE(out, nullptr);
}

std::string TomAppendix(const std::string& ideal, const std::string& ignition, const std::string& extra = {}) {
  return "\n" + extra + "MTT_RESOLUTION: 20.000000\nMTT_SIM_TIME: 0\nMTT_TRAVEL_PATH_INTERVAL: 150.000000\n"
         "MTT_SPOT_PROBABILITY: 0.000000\nMTT_SPOT_DELAY: 0\nTREAT_RESOLUTION: 20.000000\n"
         "TREAT_IDEAL_LANDSCAPE: " + ideal + "\nTREAT_IGNITION: " + ignition + "\nTREAT_ITERATIONS: 2\n"
         "TREAT_DIMENSION: 90.000000\nTREAT_FRACTION: 0.100000\nTREAT_OPPORTUNITES_ONLY: 0\n";
}

// A landscape of grass (40 x 30 cells of 30 m from (1000, 2000)) and an ideal one whose
// western half is cleared; wind from the north, fire from a line across the top.
struct TomFiles {
  TempDir dir;
  std::string land, ideal, ignition;
  TomFiles() {
    land = dir.File("land.lcp");
    ideal = dir.File("ideal.lcp");
    WriteLcp(land, 40, 30, 1000, 3200, 30, [](int, int) { return 1; });
    WriteLcp(ideal, 40, 30, 1000, 3200, 30, [](int, int c) { return c < 15 ? 98 : 1; });
    ignition = testsupport::WriteShapes(dir.path.string(), "ign", {"LINESTRING (1010 3170,1890 3170)"});
  }
  std::unique_ptr<CMinTravelTime> Engine(const std::string& appendix, int* rc = nullptr) const {
    auto e = std::make_unique<CMinTravelTime>();
    EXPECT_EQ(e->SetLandscapeFile(land.c_str()), 1);
    const std::string inputs = dir.File("inputs.txt", enginetest::InputsText({}, 20, 0) + appendix);
    const int loaded = e->LoadTOMInputs(inputs.c_str());
    if (rc) *rc = loaded;
    else EXPECT_EQ(loaded, 1) << e->CommandFileError(loaded);
    return e;
  }
};

}  // namespace

TEST(TomEngine, TreatsTheClearableHalfOnAGridFromTheAreaCorner) {
  TomFiles f;
  auto e = f.Engine(TomAppendix(f.ideal, f.ignition));
  // An area whose corner is not on a landscape cell border; the run's 20 m are finer than
  // the landscape's 30 m cells.
  e->SetAnalysisArea(1850, 1045, 3190, 2115);
  const int rc = e->LaunchTOM();
  ASSERT_EQ(rc, 1) << e->CommandFileError(rc);
  EXPECT_EQ(e->GetMTTProgress(), 1.0);
  EXPECT_DOUBLE_EQ(e->GetWest(), 1045);
  EXPECT_DOUBLE_EQ(e->GetSouth(), 2115);
  EXPECT_DOUBLE_EQ(e->GetResolution(), 30);
  ASSERT_EQ(e->GetNumCols(), 27);  // 805 m
  ASSERT_EQ(e->GetNumRows(), 36);  // 1075 m
  const double* treatment = e->GetTreatmentGrid();
  const float* opportunity = e->GetTreatOpportunitiesGrid();
  ASSERT_TRUE(treatment && opportunity && e->GetArrivalTimeGrid() && e->GetROSGrid() && e->GetInfluenceGrid() &&
              e->GetFliMapGrid() && e->GetPyrvaneOutputLayer(engines::kOutEllipseB));
  EXPECT_GT(e->GetNumMajorVecs(), 0);
  EXPECT_GT(e->GetNumFlowVecs(), 0);
  int treated = 0;
  for (long r = 0; r < e->GetNumRows(); ++r)
    for (long c = 0; c < e->GetNumCols(); ++c) {
      const std::size_t i = static_cast<std::size_t>(r * e->GetNumCols() + c);
      // Cells whose centre lies west of x = 1450 are cleared in the ideal landscape.
      const bool clearable = 1045 + (c + 0.5) * 30 < 1450;
      EXPECT_EQ(opportunity[i], clearable ? 1.f : 0.f) << r << " " << c;
      if (treatment[i] > 0) {
        ++treated;
        EXPECT_TRUE(clearable);
      }
      EXPECT_TRUE(treatment[i] == 0 || treatment[i] == 1 || treatment[i] == 2);
    }
  EXPECT_GT(treated, 0);
  EXPECT_LE(treated, 0.1 * 27 * 36 + 9);
}

TEST(TomEngine, AnIdealLandscapeLikeTheCurrentOneGivesEmptyTreatmentsAndCancelFails) {
  TomFiles f;
  auto same = f.Engine(TomAppendix(f.land, f.ignition));
  ASSERT_EQ(same->LaunchTOM(), 1);
  const std::size_t n = static_cast<std::size_t>(same->GetNumRows() * same->GetNumCols());
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::count_if(same->GetTreatmentGrid(), same->GetTreatmentGrid() + n, [](double v) { return v != 0; }), 0);
  EXPECT_EQ(std::count_if(same->GetTreatOpportunitiesGrid(), same->GetTreatOpportunitiesGrid() + n,
                          [](float v) { return v != 0; }),
            0);
  EXPECT_GT(std::count_if(same->GetArrivalTimeGrid(), same->GetArrivalTimeGrid() + n, [](double v) { return v > 0; }), 0);

  // Opportunities alone need no ignition and make no fire.
  auto only = f.Engine(TomAppendix(f.ideal, "", "TREAT_OPPORTUNITES_ONLY: 1\n"));
  ASSERT_EQ(only->LaunchTOM(), 1);
  EXPECT_NE(only->GetTreatOpportunitiesGrid(), nullptr);
  EXPECT_EQ(only->GetTreatmentGrid(), nullptr);
  EXPECT_EQ(only->GetArrivalTimeGrid(), nullptr);

  auto cancelled = f.Engine(TomAppendix(f.ideal, f.ignition));
  cancelled->CancelMTT();
  EXPECT_EQ(cancelled->LaunchTOM(), kMttCancelled);
  EXPECT_EQ(cancelled->GetTreatmentGrid(), nullptr);
  EXPECT_EQ(cancelled->GetMTTProgress(), 1.0);
}

TEST(TomEngine, RefusesBadSettingsNamingTheKeyOrFile) {
  TomFiles f;
  struct Case {
    std::string extra, names;
  };
  for (const Case& k : {Case{"TREAT_FRACTION: 0\n", "TREAT_FRACTION"}, Case{"TREAT_FRACTION: 1.5\n", "TREAT_FRACTION"},
                        Case{"TREAT_ITERATIONS: 6\n", "TREAT_ITERATIONS"},
                        Case{"TREAT_ITERATIONS: 2.5\n", "TREAT_ITERATIONS"},
                        Case{"TREAT_DIMENSION: wide\n", "TREAT_DIMENSION"},
                        Case{"TREAT_IDEAL_LANDSCAPE:\n", "TREAT_IDEAL_LANDSCAPE"},
                        Case{"TREAT_IGNITION:\n", "TREAT_IGNITION"}, Case{"MTT_RESOLUTION: -3\n", "MTT_RESOLUTION"}}) {
    int rc = 0;
    auto e = f.Engine(TomAppendix(f.ideal, f.ignition, k.extra), &rc);
    EXPECT_EQ(rc, kMttBadInputs) << k.extra;
    EXPECT_NE(std::string(e->CommandFileError(rc)).find(k.names), std::string::npos) << e->CommandFileError(rc);
    EXPECT_EQ(e->LaunchTOM(), kMttNoInputs);
  }
  // Areas off the landscape, or reaching far beyond it, are refused before any work.
  for (const double far : {-5000.0, 1e7}) {
    auto e = f.Engine(TomAppendix(f.ideal, f.ignition));
    e->SetAnalysisArea(far > 0 ? far : -4000, far > 0 ? -far : -4500, far > 0 ? far : -4000, far > 0 ? -far : -4500);
    const int rc = e->LaunchTOM();
    EXPECT_EQ(rc, kMttNoLandscape) << far;
    EXPECT_NE(std::string(e->CommandFileError(rc)).find("analysis area"), std::string::npos);
  }
  const std::string missing = f.dir.File("nowhere.lcp");
  auto e = f.Engine(TomAppendix(missing, f.ignition));
  const int rc = e->LaunchTOM();
  EXPECT_EQ(rc, kTomIdealLandscape);
  EXPECT_NE(std::string(e->CommandFileError(rc)).find(missing), std::string::npos);
  EXPECT_EQ(e->GetArrivalTimeGrid(), nullptr);
}
