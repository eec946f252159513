#include "weather/atm_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/messages.h"
#include "temp_dir.h"
#include "themes/themes_test_support.h"

using namespace weather;

namespace {

// Wind grids written by GDAL as ESRI ASCII into winds/, 5 x 4 cells of 30 m from (1000, 2000)
// down to (1150, 1880), and what GDAL reads back at a few cell centres.
const char* const kGrids = R"(
import numpy as np
from osgeo import gdal
os.makedirs('winds', exist_ok=True)
def write(name, a, x0=1000.0, y0=2000.0, cs=30.0):
    mem = gdal.GetDriverByName('MEM').Create('', a.shape[1], a.shape[0], 1, gdal.GDT_Float32)
    mem.SetGeoTransform((x0, cs, 0, y0, 0, -cs))
    b = mem.GetRasterBand(1); b.SetNoDataValue(-9999); b.WriteArray(a)
    gdal.GetDriverByName('AAIGrid').CreateCopy('winds/' + name, mem)
rng = np.random.default_rng(3)
grids = {'s1.asc': np.round(rng.uniform(0, 40, (4, 5)), 1), 'd1.asc': rng.integers(0, 361, (4, 5)),
         's2.asc': np.round(rng.uniform(0, 40, (4, 5)), 1), 'd 2.asc': rng.integers(0, 361, (4, 5))}
for n, a in grids.items(): write(n, a.astype(np.float32))
base = np.full((4, 5), 10, np.float32)
def variant(name, r, c, v):
    a = base.copy(); a[r, c] = v; write(name, a)
write('ten.asc', base)
write('narrow.asc', base[:, :4])
variant('spd_nd.asc', 2, 3, -9999); variant('dir_neg.asc', 1, 1, -1)
variant('spd300.asc', 0, 0, 300); variant('spd301.asc', 3, 4, 301)
variant('dir360.asc', 0, 4, 360); variant('dir361.asc', 2, 0, 361)
for n in ['s1.asc', 'd1.asc', 's2.asc', 'd 2.asc']:
    ds = gdal.Open('winds/' + n); gt = ds.GetGeoTransform(); a = ds.ReadAsArray()
    for x, y in [(1015, 1985), (1135, 1895), (1047, 1921)]:
        print(a[int((y - gt[3]) / gt[5]), int((x - gt[0]) / gt[1])])
)";

class AtmFile : public themes_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    samples_ = themes_test::ParseNumbers(
        themes_test::Python("import os\nos.chdir(r'" + dir_ + "')\n" + kGrids, dir_));
    ASSERT_EQ(samples_.size(), 12u);
    // Reads must not depend on the current folder.
    std::filesystem::current_path("/");
  }
  void TearDown() override {
    std::filesystem::current_path(previous_cwd_);
    TempFolderTest::TearDown();
  }
  std::string Atm(const std::string& body, const std::string& name = "run.atm") {
    const std::string p = Path("winds/" + name);
    std::ofstream(p, std::ios::binary) << body;
    return p;
  }
  AtmRunContext Run() const {
    AtmRunContext c;
    c.hasBurnPeriod = true;
    c.firstMonth = 7, c.firstDay = 15, c.firstStartHour = 10;
    c.west = 1000, c.east = 1150, c.south = 1880, c.north = 2000;
    c.distanceResolution = 30;
    return c;
  }
  std::vector<double> samples_;
  std::filesystem::path previous_cwd_ = std::filesystem::current_path();
};

}  // namespace

TEST_F(AtmFile, ReadsEntriesInTimeOrderAndSamplesTheGridInForce) {
  const std::string p = Atm("WINDS\nMETRIC\n7 15 1300 \"s2.asc\" \"d 2.asc\"\n7 15 1000 s1.asc d1.asc\r\n");
  CAtmFile f;
  ASSERT_EQ(f.Read(Run(), p), 0) << f.GetErrorText(f.Read(Run(), p));
  EXPECT_EQ(f.GetUnits(), 1);
  const auto e = f.GetEntries();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0]->GetTime(), 1000);
  EXPECT_EQ(e[0]->minutes, 0);
  EXPECT_EQ(e[1]->minutes, 180);
  EXPECT_EQ(e[1]->GetSpeedFileName(), "s2.asc");
  EXPECT_EQ(e[1]->GetDirectionFileName(), "d 2.asc");
  EXPECT_TRUE(f.HasGridAtStart());

  const double xs[] = {1015, 1135, 1047}, ys[] = {1985, 1895, 1921};
  // Before the first entry and up to the second entry's minute the first entry holds.
  for (double minutes : {-50.0, 0.0, 179.0, 180.0, 5000.0}) {
    const int first = minutes < 180 ? 0 : 6;  // s1/d1 or s2/d2 in the oracle's order
    for (int k = 0; k < 3; ++k) {
      double s = -1, d = -1;
      f.GetWindAt(minutes, xs[k], ys[k], &s, &d);
      EXPECT_NEAR(s, samples_[first + k], 1e-4) << minutes << " " << k;
      EXPECT_NEAR(d, samples_[first + 3 + k], 1e-4) << minutes << " " << k;
    }
  }
  double s = 0, d = 0;
  f.GetWindAt(0, 5000, 5000, &s, &d);
  EXPECT_EQ(s, -9999);
  EXPECT_EQ(d, -9999);
}

TEST_F(AtmFile, EachCheckRefusesWithItsText) {
  struct Case {
    std::string entry;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {"7 15 1000 nothere.asc ten.asc", 1, "Error creating Wind Speed grid"},
      {"7 15 1000 \"ten.asc\" \"d1.asc", 1, "Error creating Wind Speed grid"},  // three quotes: no names
      {"7 15 1000 ten.asc nothere.asc", 2, "Error creating Wind Direction grid"},
      {"7 15 1000 ten.asc narrow.asc", 3, "Speed and Direction grid dimension mismatch"},
      {"7 15 1000 spd_nd.asc ten.asc", 5, "Wind Speed Grid contains NODATA value(s)"},
      {"7 15 1000 ten.asc dir_neg.asc", 6, "Wind Direction Grid contains NODATA value(s)"},
      {"7 15 1000 spd301.asc ten.asc", 7, "Wind Speed Grid contains invalid value(s)"},
      {"7 15 1000 ten.asc dir361.asc", 8, "Wind Direction Grid contains invalid value(s)"},
      {"7 15 1000 spd300.asc dir360.asc", 0, "ATM OK"},
      {"7 15 1000 winds ten.asc", 1, "Error creating Wind Speed grid"},  // a folder is no grid
  };
  for (const Case& c : cases) {
    CAtmFile f;
    const int code = f.Read(Run(), Atm("WINDS\nENGLISH\n" + c.entry + "\n"));
    EXPECT_EQ(code, c.code) << c.entry;
    EXPECT_EQ(f.GetErrorText(code), c.text) << c.entry;
  }
  // Coverage: the grid (1000..1150) may fall short of the area by up to a third of the
  // distance resolution (10 m) on each side.
  struct Cover {
    double west, east, south, north;
    int code;
  };
  for (const Cover& c : {Cover{990, 1160, 1870, 2010, 0}, Cover{989, 1150, 1880, 2000, 4},
                         Cover{1000, 1161, 1880, 2000, 4}, Cover{1000, 1150, 1869, 2000, 4},
                         Cover{1000, 1150, 1880, 2011, 4}}) {
    AtmRunContext r = Run();
    r.west = c.west, r.east = c.east, r.south = c.south, r.north = c.north;
    CAtmFile f;
    const int code = f.Read(r, Atm("WINDS\nENGLISH\n7 15 1000 ten.asc ten.asc\n"));
    EXPECT_EQ(code, c.code) << c.west << " " << c.east << " " << c.south << " " << c.north;
    if (code) {
      EXPECT_EQ(f.GetErrorText(code), "Grids do not cover Analysis Area");
    }
  }
  CAtmFile f;
  EXPECT_EQ(f.Read(Run(), Path("winds/none.atm")), 9);
  EXPECT_EQ(f.GetErrorText(9), "Error opening ATM file");
  EXPECT_EQ(f.GetErrorText(42), "Unknown Error");
}

TEST_F(AtmFile, AFailingEntryEndsTheReadKeepingTheEntriesBefore) {
  CAtmFile f;
  EXPECT_EQ(f.Read(Run(), Atm("WINDS\nmetric\n7 15 1000 ten.asc ten.asc\n7 15 1100 ten.asc narrow.asc\n"
                              "7 15 1200 ten.asc ten.asc\n")),
            3);
  EXPECT_EQ(f.GetEntries().size(), 1u);
  EXPECT_EQ(f.GetUnits(), 0);  // "metric" written small is no units line
  f.Clear();
  EXPECT_TRUE(f.GetEntries().empty());
}

TEST_F(AtmFile, AnOverlongLineIsRefusedNamingTheLine) {
  CAtmFile f;
  const std::string longName(700, 'a');
  const int code = f.Read(Run(), Atm("WINDS\nENGLISH\n7 15 1000 " + longName + ".asc ten.asc\n"));
  EXPECT_EQ(code, kAtmLineTooLong);
  EXPECT_EQ(f.GetErrorText(code), "Line 3 is longer than 638 characters");
  EXPECT_TRUE(f.GetEntries().empty());
}

TEST(AtmTimes, EntryMinutesCountFromTheFirstBurnPeriod) {
  struct Case {
    int refMonth, refDay, refHour;  // refMonth 0: no burn period
    int month, day, hhmm;
    int minutes;
  };
  const Case cases[] = {
      {7, 15, 13, 7, 15, 1330, 30},
      {7, 15, 13, 7, 15, 1200, -60},
      {12, 30, 0, 1, 2, 0, 3 * 1440},  // January follows a December start
      {0, 0, 0, 1, 1, 130, 1440 + 90},
      {3, 1, 6, 2, 28, 600, 365 * 1440 - 1440},
  };
  for (const Case& c : cases) {
    AtmRunContext r;
    r.hasBurnPeriod = c.refMonth > 0;
    r.firstMonth = c.refMonth, r.firstDay = c.refDay, r.firstStartHour = c.refHour;
    EXPECT_EQ(AtmEntryMinutes(r, c.month, c.day, c.hhmm), c.minutes) << c.month << "/" << c.day << " " << c.hhmm;
  }
}

TEST_F(AtmFile, TheEditorsRowsAreWrittenCheckedAndDated) {
  std::vector<AtmRow> rows = {{"7", "15", "1000", "s1.asc", "d1.asc"}, {"7", "15", "1300", "s2.asc", "d 2.asc"}};
  const std::string p = Path("winds/edited.atm");
  ASSERT_TRUE(WriteAtmFile(p, 1, rows));
  EXPECT_EQ(TempDir::Read(p),
            "WINDS\nMETRIC\n7 15 1000 \"s1.asc\" \"d1.asc\"\n7 15 1300 \"s2.asc\" \"d 2.asc\"\n");
  CAtmFile back;
  EXPECT_EQ(back.Read(Run(), p), 0);
  EXPECT_EQ(back.GetEntries().size(), 2u);

  const std::string folder = Path("winds");
  EXPECT_EQ(AtmCheckVerdict(rows, 1, folder, Run()), "File appears to be a valid ATM file");
  rows[1].direction.clear();
  EXPECT_EQ(AtmCheckVerdict(rows, 1, folder, Run()), "Error, row 2, No Wind Direction file selected");
  rows[1].month.clear();
  EXPECT_EQ(AtmCheckVerdict(rows, 1, folder, Run()), "Error, row 2, Month can not be blank");
  const std::vector<AtmRow> late = {{"7", "15", "1100", "s1.asc", "d1.asc"}};
  EXPECT_EQ(AtmCheckVerdict(late, 0, folder, Run()), "No active wind grids at Simulation Start.");
  AtmRunContext none;
  none.west = 1000, none.east = 1150, none.south = 1880, none.north = 2000;
  EXPECT_EQ(AtmCheckVerdict({{"1", "1", "0100", "s1.asc", "d1.asc"}}, 0, folder, none),
            "No active wind grids at Simulation Start.Please set burn periods.");

  struct Step {
    AtmRow from;
    bool after, ok;
    const char *month, *day, *time;
  };
  const Step steps[] = {
      {{"12", "31", "2300", "", ""}, true, true, "1", "1", "0000"},
      {{"2", "29", "1200", "", ""}, true, true, "2", "29", "1300"},  // 2016 has the day
      {{"2", "29", "1200", "", ""}, false, false, "", "", ""},       // 2018 has not
      {{"", "", "", "", ""}, false, true, "2", "11", "0900"},
      {{"13", "1", "0000", "", ""}, true, false, "", "", ""},
  };
  for (const Step& s : steps) {
    AtmRow out;
    EXPECT_EQ(s.after ? AtmRowAfter(s.from, out) : AtmRowBefore(s.from, out), s.ok) << s.from.month << "/" << s.from.day;
    EXPECT_EQ(out.month, s.month);
    EXPECT_EQ(out.day, s.day);
    EXPECT_EQ(out.time, s.time);
  }
  const AtmRunContext run = Run();
  EXPECT_EQ(AtmFirstRow(&run, -1, 0, 0, 0).time, "1000");
  EXPECT_EQ(AtmFirstRow(nullptr, 5, 5, 5, 5).time, "2200");
  AtmRunContext noBurn;
  EXPECT_EQ(AtmFirstRow(&noBurn, 6, 3, 8, 30).time, "0830");
  EXPECT_EQ(AtmFirstRow(&noBurn, -1, 0, 0, 0).month, "2");
}
