// The fire-growth engine as a run drives it: its inputs file, uniform flat fires against the
// analytic ellipse, burn periods, barriers, acceleration, winds from an atmosphere file,
// spotting with a seed, and the perimeter shapefile read back by GDAL's own tools.
#include "engines/embrith_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "engine_fixture.h"
#include "engines/conditioning.h"
#include "engines/fire_behavior.h"
#include "engines/mtt_engine.h"
#include "engines/pyrvane.h"
#include "platform/numbers.h"
#include "support/shape_files.h"

using enginetest::TempDir;
using testsupport::WriteShapes;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSide = 200;  // 30 m cells from (0, 0): a 6 km square

// A flat landscape of one fuel model; cells where rock(row, col) holds are non-burnable (91).
// With a canopy, a closed stand that torches and crowns: cover 70 %, 20 m tall, base 1 m,
// bulk density 0.25 kg/m3.
std::unique_ptr<engines::LandscapeSource> Flat(int fuel = 1, const std::function<bool(int, int)>& rock = {},
                                               bool canopy = false) {
  CHeaderData h = engines::MakeStandardHeader(kSide, kSide, 0.0, 0.0, 30.0, canopy);
  std::vector<std::vector<std::int16_t>> layers(10);
  const std::size_t n = static_cast<std::size_t>(kSide) * kSide;
  layers[0].assign(n, 100);
  layers[1].assign(n, 0);
  layers[2].assign(n, 0);
  layers[3].assign(n, static_cast<std::int16_t>(fuel));
  layers[4].assign(n, canopy ? 70 : 0);
  if (canopy) {
    layers[5].assign(n, 200);
    layers[6].assign(n, 10);
    layers[7].assign(n, 25);
  }
  if (rock)
    for (int r = 0; r < kSide; ++r)
      for (int c = 0; c < kSide; ++c)
        if (rock(r, c)) layers[3][static_cast<std::size_t>(r) * kSide + c] = 91;
  return std::make_unique<engines::MemoryLandscape>(std::move(h), std::move(layers));
}

// A disc of radius r as WKT.
std::string Disc(double x, double y, double r) {
  std::ostringstream s;
  s << "POLYGON ((";
  for (int i = 0; i <= 96; ++i) {
    const double a = 2 * kPi * (i % 96) / 96;
    s << (i ? "," : "") << x + r * std::cos(a) << " " << y + r * std::sin(a);
  }
  s << "))";
  return s.str();
}

// Hourly wind lines from 15 July 08:00 for two days, one wind throughout. They carry no
// temperature or humidity, so the fuel-moisture file's values hold and every hour burns alike.
std::string Winds(int speed, int direction) {
  std::string t = "WIND_DATA: 48\n";
  for (int k = 0; k < 48; ++k)
    t += platform::FormatC("7 %d %d %d %d 0\n", 15 + (8 + k) / 24, (8 + k) % 24 * 100, speed, direction);
  return t;
}

// An inputs file: the extra lines come first, so their keys win.
std::string Inputs(const std::string& ignition, const std::string& extra, const std::string& periods = "1\n7 15 1000 1759\n",
                   const std::string& weather = Winds(5, 0)) {
  return "Embrith-Inputs-File-Version-1\n" + extra +
         "FUEL_MOISTURES_DATA: 2\n0 6 7 8 60 90\n1 6 7 8 60 90\n\n"
         "EMBRITH_TIMESTEP: 60\nEMBRITH_DISTANCE_RES: 10\nEMBRITH_PERIMETER_RES: 10\n"
         "EMBRITH_SPOT_GRID_RESOLUTION: 30\nEMBRITH_SPOT_PROBABILITY: 0.000\nEMBRITH_SPOT_IGNITION_DELAY: 0\n"
         "EMBRITH_MINIMUM_SPOT_DISTANCE: 30\nEMBRITH_ACCELERATION_ON: 0\nEMBRITH_FILL_BARRIERS: 0\n"
         "EMBRITH_BURN_PERIODS: " + periods +
         "EMBRITH_START_TIME: 7 15 1000\nEMBRITH_END_TIME: 7 15 1759\n"
         "FOLIAR_MOISTURE_CONTENT: 100.000000\nCROWN_FIRE_METHOD: MarlowBrenner\n"
         "EMBRITH_IGNITION_FILE: " + ignition + "\n" + weather;
}

struct Launched {
  std::unique_ptr<CEmbrith> e = std::make_unique<CEmbrith>();
  int rc = 0;
};

Launched Launch(const TempDir& dir, const std::string& inputs, std::unique_ptr<engines::LandscapeSource> land = Flat(),
           int threads = 2, int seed = -1) {
  Launched r;
  r.e->SetLandscape(std::move(land));
  r.e->SetNumProcessors(threads);
  r.e->SetSpottingSeed(seed);
  const std::string file = dir.File("inputs.txt", inputs);
  r.rc = r.e->LoadEmbrithInputs(file.c_str());
  EXPECT_EQ(r.rc, 1) << r.e->CommandFileError(r.rc);
  if (r.rc == 1) r.rc = r.e->LaunchEmbrith();
  return r;
}

// The uniform ellipse the inner engine computed (m/min) and its head azimuth (radians).
struct Ellipse {
  double a, b, c, head;
};
Ellipse UniformEllipse(CEmbrith& e) {
  CPyrvane* p = e.GetPyrvane();
  const std::size_t mid = static_cast<std::size_t>(kSide / 2) * kSide + kSide / 2;
  return {p->GetOutputLayer(engines::kOutEllipseA)[mid], p->GetOutputLayer(engines::kOutEllipseB)[mid],
          p->GetOutputLayer(engines::kOutEllipseC)[mid], p->GetOutputLayer(engines::kOutMaxSpreadDir)[mid]};
}

// The perimeters of one elapsed time.
std::vector<const EmbrithPerimeter*> At(const CEmbrith& e, double minutes) {
  std::vector<const EmbrithPerimeter*> out;
  for (const auto& p : e.Perimeters())
    if (std::fabs(p.elapsed - minutes) < 1e-6) out.push_back(&p);
  return out;
}

// Extent of a ring along an azimuth (radians) from (x0, y0).
double Reach(const engines::growth::Ring& r, double x0, double y0, double az) {
  double best = -1e30;
  for (const auto& v : r) best = std::max(best, (v.x - x0) * std::sin(az) + (v.y - y0) * std::cos(az));
  return best;
}

// Even-odd point in polygon, written here so the check does not share the engine's scan.
bool Inside(const engines::growth::Ring& r, double x, double y) {
  bool in = false;
  for (std::size_t i = 0, j = r.size() - 1; i < r.size(); j = i++)
    if ((r[i].y > y) != (r[j].y > y) && x < (r[j].x - r[i].x) * (y - r[i].y) / (r[j].y - r[i].y) + r[i].x) in = !in;
  return in;
}

std::string Command(const std::string& cmd) {
  std::string out;
  if (FILE* f = popen(cmd.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    pclose(f);
  }
  return out;
}

}  // namespace

TEST(EmbrithEngine, UniformFlatFireMatchesTheAnalyticEllipseAndItsArrivalTimes) {
  TempDir dir;
  const double r0 = 60, x0 = 3000, y0 = 4500;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(x0, y0, r0)});
  Launched r = Launch(dir, Inputs(ign, ""));
  ASSERT_EQ(r.rc, 1) << r.e->CommandFileError(r.rc);
  const Ellipse el = UniformEllipse(*r.e);
  ASSERT_GT(el.b, 1.0);
  // From 10:00 to 18:00: perimeters at 0, every hour and the period's end.
  for (int k = 0; k <= 8; ++k) ASSERT_FALSE(At(*r.e, 60.0 * k).empty()) << k;
  const double t = 240;
  const auto per = At(*r.e, t);
  ASSERT_EQ(per.size(), 1u);
  const auto& ring = per[0]->ring;
  const double tol = 10 / 2.0;
  EXPECT_NEAR(Reach(ring, x0, y0, el.head), (el.b + el.c) * t + r0, tol + 0.005 * ((el.b + el.c) * t + r0));
  EXPECT_NEAR(Reach(ring, x0, y0, el.head + kPi), (el.b - el.c) * t + r0, tol + 0.005 * ((el.b - el.c) * t + r0));
  EXPECT_NEAR(Reach(ring, x0, y0, el.head + kPi / 2), el.a * t + r0, tol + 0.005 * (el.a * t + r0));
  EXPECT_EQ(per[0]->month, 7);
  EXPECT_EQ(per[0]->day, 15);
  EXPECT_EQ(per[0]->hour, 1400);

  // Every cell whose centre lies inside the perimeter at t has arrived by t, and most cells
  // outside have not.
  const double* arrival = r.e->GetArrivalTimeGrid();
  ASSERT_NE(arrival, nullptr);
  int inside = 0, late = 0;
  for (int row = 0; row < kSide; ++row)
    for (int col = 0; col < kSide; ++col) {
      const double x = (col + 0.5) * 30, y = kSide * 30 - (row + 0.5) * 30;
      const double a = arrival[static_cast<std::size_t>(row) * kSide + col];
      if (Inside(ring, x, y)) {
        ++inside;
        if (!(a >= 0 && a <= t)) ++late;
      } else {
        EXPECT_FALSE(a >= 0 && a < t - 5) << row << " " << col << " " << a;
      }
    }
  EXPECT_GT(inside, 100);
  EXPECT_EQ(late, 0);

  // The reaction intensity of every burned cell is the fire-behaviour model's own for its fuel
  // bed (fuel model 1 at 6, 7 and 8 %), in kJ/min/m2; unburned cells have none.
  const engines::FuelBedState bed = engines::ComputeFuelBed(
      engines::FuelModel::FromStandard(*engines::FindStandardFuelModel(1)), {0.06, 0.07, 0.08, 0.60, 0.90});
  const double expected = bed.reactionIntensity * engines::kKJm2PerBtuFt2;
  ASSERT_GT(expected, 100.0);
  const double* reaction = r.e->GetReactionIntensityGrid();
  ASSERT_NE(reaction, nullptr);
  for (std::size_t i = 0; i < static_cast<std::size_t>(kSide) * kSide; ++i) {
    if (arrival[i] >= 0) ASSERT_NEAR(reaction[i], expected, 1e-6 * expected) << i;
    else ASSERT_EQ(reaction[i], -9999.0) << i;
  }
  EXPECT_NEAR(r.e->GetIgnitionGrid()[static_cast<std::size_t>((kSide * 30 - y0) / 30) * kSide + static_cast<std::size_t>(x0 / 30)], 1.0, 0);
}

TEST(EmbrithEngine, PerimeterShapefileReadsInOgrinfoWithItsFields) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(3000, 2000, 60)});
  Launched r = Launch(dir, Inputs(ign, "EMBRITH_TIMESTEP: 120\n"));
  ASSERT_EQ(r.rc, 1) << r.e->CommandFileError(r.rc);
  const std::string shp = dir.File("per.shp");
  ASSERT_EQ(r.e->WritePerimetersShapeFile(shp.c_str()), 1);
  const std::string info = Command("ogrinfo -al -ro " + shp + " 2>&1");
  for (const char* want : {"Geometry: Polygon", "Feature Count: 5", "Month: Integer", "Day: Integer", "Hour: Integer",
                           "Elapsed_Mi: Real", "Fire_Type: String", "Elapsed_Mi (Real) = 480", "Hour (Integer) = 1800",
                           "Fire_Type (String) = Expanding Fire"})
    EXPECT_NE(info.find(want), std::string::npos) << want << "\n" << info.substr(0, 2000);
  // A folder that does not exist is reported, not ignored.
  EXPECT_EQ(r.e->WritePerimetersShapeFile((dir.path.string() + "/no/such/p.shp").c_str()), 0);
  EXPECT_NE(std::string(r.e->CommandFileError(0)).find("no/such"), std::string::npos) << r.e->CommandFileError(0);
}

TEST(EmbrithEngine, RefusesSettingsThatCannotRunWithTheirKeyAndReason) {
  struct Case {
    const char* extra;
    const char* periods;
    const char* want;
  } cases[] = {
      {"EMBRITH_TIMESTEP: 0\n", "1\n7 15 1000 1759\n", "EMBRITH_TIMESTEP must be above 0"},
      {"EMBRITH_TIMESTEP: -30\n", "1\n7 15 1000 1759\n", "EMBRITH_TIMESTEP must be above 0"},
      {"EMBRITH_DISTANCE_RES: 0\n", "1\n7 15 1000 1759\n", "EMBRITH_DISTANCE_RES must be above 0"},
      {"EMBRITH_PERIMETER_RES: 0\n", "1\n7 15 1000 1759\n", "EMBRITH_PERIMETER_RES must be above 0"},
      {"", "1\n-1 15 1000 1759\n", "row 1 has no valid month and day"},
      {"", "1\n7 15 1800 1059\n", "row 1 ends before it starts"},
      {"", "2\n7 15 1000 1759\n", "row 2 must hold month, day, start and end"},
      {"", "0\n", "at least one burn period"},
      {"", "1\n7 15 1000 2460\n", "not hhmm"},
  };
  for (const Case& k : cases) {
    CEmbrith e;
    const int rc = e.LoadEmbrithText(Inputs("ign.shp", k.extra, k.periods), "");
    EXPECT_EQ(rc, kEmbrithBadInputs) << k.want;
    EXPECT_NE(std::string(e.CommandFileError(rc)).find(k.want), std::string::npos) << e.CommandFileError(rc);
  }
  // Unsorted periods are put in order and the run ends with the latest end.
  engines::EmbrithInputs in;
  std::string why;
  ASSERT_EQ(engines::ParseEmbrithInputs(Inputs("i.shp", "", "3\n7 16 1000 2359\n7 15 1200 1559\n7 16 0800 0959\n"), in, why), 1)
      << why;
  ASSERT_EQ(in.periods.size(), 3u);
  EXPECT_EQ(in.periods[0].day, 15);
  EXPECT_DOUBLE_EQ(in.periods[0].to, 240);
  EXPECT_DOUBLE_EQ(in.periods[1].from, 1440 - 240);
  EXPECT_DOUBLE_EQ(in.endMinutes, 1440 + 12 * 60);
}

TEST(EmbrithEngine, NothingMovesBetweenBurnPeriodsAndBarriersStopTheFire) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(3000, 2000, 60)});
  Launched two = Launch(dir, Inputs(ign, "", "2\n7 15 1000 1159\n7 16 1000 1059\n"));
  ASSERT_EQ(two.rc, 1) << two.e->CommandFileError(two.rc);
  Launched one = Launch(dir, Inputs(ign, "", "1\n7 15 1000 1259\n"));
  ASSERT_EQ(one.rc, 1);
  const double* arrival = two.e->GetArrivalTimeGrid();
  for (int i = 0; i < kSide * kSide; ++i) EXPECT_FALSE(arrival[i] > 120 && arrival[i] < 1440) << arrival[i];
  // Three burning hours spread over two days grow the fire of three hours in one.
  const auto a = At(*two.e, 1500), b = At(*one.e, 180);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  const double areaA = engines::growth::SignedArea(a[0]->ring), areaB = engines::growth::SignedArea(b[0]->ring);
  EXPECT_NEAR(areaA, areaB, 0.002 * areaB);

  // A barrier line across the head (the wind blows from the north): nothing burns beyond it.
  const std::string bar = WriteShapes(dir.path.string(), "bar", {"LINESTRING (-100 1500,6100 1500)"});
  Launched held = Launch(dir, Inputs(ign, "EMBRITH_BARRIER_FILE: " + bar + "\n"));
  ASSERT_EQ(held.rc, 1) << held.e->CommandFileError(held.rc);
  const double* at = held.e->GetArrivalTimeGrid();
  int south = 0;
  for (int row = 0; row < kSide; ++row)
    for (int col = 0; col < kSide; ++col)
      if (kSide * 30 - (row + 0.5) * 30 < 1470 && at[static_cast<std::size_t>(row) * kSide + col] >= 0) ++south;
  EXPECT_EQ(south, 0);
  for (const auto& p : held.e->Perimeters())
    for (const auto& v : p.ring) EXPECT_GT(v.y, 1470);
}

// A line of non-burnable cells one cell wide at 45 degrees, its cells touching only at corners,
// across the head: at either diagonal no cell beyond it burns and no vertex passes it.
TEST(EmbrithEngine, ADiagonalLineOfCellsThatCannotBurnStopsTheFire) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(3000, 2000, 60)});  // row 133, col 100
  for (const int slope : {1, -1}) {
    // Through cell (140, 100), 200 m south of the ignition; the wind blows from the north.
    auto beyond = [slope](int r, int c) { return slope > 0 ? r - c - 40 : r + c - 240; };
    Launched l = Launch(dir, Inputs(ign, "", "1\n7 15 1000 1359\n", Winds(10, 0)),
                        Flat(1, [&](int r, int c) { return beyond(r, c) == 0; }));
    ASSERT_EQ(l.rc, 1) << l.e->CommandFileError(l.rc);
    const double* at = l.e->GetArrivalTimeGrid();
    int burned = 0, across = 0;
    for (int r = 0; r < kSide; ++r)
      for (int c = 0; c < kSide; ++c)
        if (at[static_cast<std::size_t>(r) * kSide + c] >= 0) ++burned, across += beyond(r, c) > 0;
    EXPECT_EQ(across, 0) << "slope " << slope;
    EXPECT_GT(burned, 500);
    for (const auto& p : l.e->Perimeters())
      for (const auto& v : p.ring) {
        const double r = (kSide * 30 - v.y) / 30, c = v.x / 30;  // in cells from the north-west
        EXPECT_LE(slope > 0 ? r - c - 41 : r + c - 241, 1e-6) << v.x << "," << v.y;
      }
  }
}

// A point ignition keeps burning whatever perimeter and distance resolution the run sheet
// accepts: the area at 180 minutes stays near the one at 30 m, and no run ends without a fire.
TEST(EmbrithEngine, APointIgnitionSurvivesCoarseResolutions) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {"POINT (3000 4500)"});
  const std::string square =
      WriteShapes(dir.path.string(), "square", {"POLYGON ((2980 4480,3020 4480,3020 4520,2980 4520,2980 4480))"});
  auto areaAt180 = [&](int perimeter, int distance, const std::string& ignition) {
    const std::string res = "EMBRITH_PERIMETER_RES: " + std::to_string(perimeter) +
                            "\nEMBRITH_DISTANCE_RES: " + std::to_string(distance) + "\n";
    Launched l = Launch(dir, Inputs(ignition, res, "1\n7 15 1000 1259\n", Winds(4, 0)));
    EXPECT_EQ(l.rc, 1) << l.e->CommandFileError(l.rc);
    EXPECT_GE(l.e->GetNumCurrentFires(), 1) << perimeter << " m";
    return l.e->GetBurnedArea(180);
  };
  const double fine = areaAt180(30, 30, ign);
  ASSERT_GT(fine, 1e5);
  const struct { int perimeter, distance; } table[] = {{60, 60},   {130, 30},   {250, 250}, {500, 30},
                                                       {500, 500}, {1000, 1000}, {30, 1000}};
  for (const auto& t : table)
    EXPECT_NEAR(areaAt180(t.perimeter, t.distance, ign), fine, 0.05 * fine) << t.perimeter << " m / " << t.distance << " m";
  // A 40 m square under a 3 km perimeter resolution.
  EXPECT_NEAR(areaAt180(3000, 30, square), areaAt180(30, 30, square), 0.05 * fine);
}

// The same fire from the same point on the sample landscape's hills, with the same weather and
// neither acceleration nor spotting, by fire growth and by the travel-time lattice: both spread
// at horizontal rates, so they burn the same area within 5 %.
TEST(EmbrithEngine, TravelTimeAndFireGrowthBurnTheSameAreaOnTheSampleLandscape) {
  TempDir dir;
  const std::string lcp = std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp";
  const std::string ign = WriteShapes(dir.path.string(), "ign", {"POINT (614625 4508415)"});
  const struct { int speed, direction, minutes; } cases[] = {{0, 0, 480}, {6, 225, 300}};
  for (const auto& k : cases) {
    SCOPED_TRACE("wind " + std::to_string(k.speed) + " mph");
    // The fuel moistures Inputs() gives the fire growth.
    const std::string fms = "FUEL_MOISTURES_DATA: 2\n0 6 7 8 60 90\n1 6 7 8 60 90\n\n";
    auto growth = std::make_unique<CEmbrith>();
    ASSERT_EQ(growth->SetLandscapeFile(lcp.c_str()), 1);
    const int last = 600 + k.minutes - 1, end = last / 60 * 100 + last % 60;  // the last burning minute
    const std::string gin = dir.File("growth.txt", Inputs(ign, "EMBRITH_PERIMETER_RES: 30\nEMBRITH_DISTANCE_RES: 30\n",
                                                          "1\n7 15 1000 " + std::to_string(end) + "\n",
                                                          Winds(k.speed, k.direction)));
    {
      const int rc = growth->LoadEmbrithInputs(gin.c_str());
      ASSERT_EQ(rc, 1) << growth->CommandFileError(rc);
    }
    ASSERT_EQ(growth->LaunchEmbrith(), 1) << growth->CommandFileError(0);

    CMinTravelTime travel;
    ASSERT_EQ(travel.SetLandscapeFile(lcp.c_str()), 1);
    const std::string tin = dir.File(
        "travel.txt", "Pyrvane-Inputs-File-Version-1\n" + fms + "WIND_SPEED: " + std::to_string(k.speed) +
                          "\nWIND_DIRECTION: " + std::to_string(k.direction) +
                          "\nWIND_SPEED_UNITS: 0\nFOLIAR_MOISTURE_CONTENT: 100\nCROWN_FIRE_METHOD: MarlowBrenner\n"
                          "NUMBER_PROCESSORS: 2\nMTT_RESOLUTION: 30\nMTT_SIM_TIME: " + std::to_string(k.minutes) +
                          "\nMTT_TRAVEL_PATH_INTERVAL: 150\nMTT_SPOT_PROBABILITY: 0\nMTT_SPOT_DELAY: 0\n"
                          "MTT_IGNITION_FILE: " + ign + "\nPathweaverNumLat: 6\nPathweaverNumVert: 4\n");
    ASSERT_EQ(travel.LoadMTTInputs(tin.c_str()), 1) << travel.CommandFileError(0);
    ASSERT_EQ(travel.LaunchMTT(), 1) << travel.CommandFileError(0);

    ASSERT_EQ(travel.GetNumRows(), growth->GetNumRows());
    ASSERT_EQ(travel.GetNumCols(), growth->GetNumCols());
    const std::size_t n = static_cast<std::size_t>(travel.GetNumRows()) * travel.GetNumCols();
    const double *tt = travel.GetArrivalTimeGrid(), *tg = growth->GetArrivalTimeGrid();
    int byTravel = 0, byGrowth = 0, edge = 0;
    for (std::size_t i = 0; i < n; ++i) {
      byTravel += tt[i] >= 0 && tt[i] <= k.minutes;
      byGrowth += tg[i] >= 0 && tg[i] <= k.minutes;
      const std::size_t r = i / travel.GetNumCols(), c = i % travel.GetNumCols();
      edge += tg[i] >= 0 && (r == 0 || c == 0 || r + 1 == travel.GetNumRows() || c + 1 == travel.GetNumCols());
    }
    EXPECT_EQ(edge, 0);  // the fire stays inside the landscape
    EXPECT_GT(byGrowth, 300);
    EXPECT_NEAR(byTravel, byGrowth, 0.05 * byGrowth);
  }
}

TEST(EmbrithEngine, EnclavesAreSubtractedFromTheBurnedArea) {
  // A square of rock 300 m south of the ignition: the fire runs round it, the flanks close
  // behind it and leave it as an enclave.
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(3000, 4500, 60)});
  auto rock = [](int r, int c) { return r >= 60 && r < 70 && c >= 95 && c < 105; };  // y 3900..4200
  Launched r = Launch(dir, Inputs(ign, ""), Flat(1, rock));
  ASSERT_EQ(r.rc, 1) << r.e->CommandFileError(r.rc);
  const double t = 300;
  double fires = 0, enclaves = 0;
  for (const auto* p : At(*r.e, t)) {
    const double a = engines::growth::SignedArea(p->ring);
    EXPECT_EQ(p->fireType, a > 0 ? 1 : 2);
    (a > 0 ? fires : enclaves) += std::fabs(a);
  }
  ASSERT_GT(enclaves, 0) << "the rock was not enclosed";
  // The enclave is the rock, within the quarter cell a vertex stops short of it.
  EXPECT_NEAR(enclaves, 300.0 * 300.0, 4 * 300 * 10.0);
  EXPECT_NEAR(r.e->GetBurnedArea(t), fires - enclaves, 1e-6 * fires);
  // The burned area agrees with the cells that burned by then, none of the rock among them.
  const double* arrival = r.e->GetArrivalTimeGrid();
  double cells = 0;
  for (int row = 0; row < kSide; ++row)
    for (int col = 0; col < kSide; ++col) {
      const double a = arrival[static_cast<std::size_t>(row) * kSide + col];
      if (rock(row, col)) {
        EXPECT_LT(a, 0) << row << " " << col;
      }
      if (a >= 0 && a <= t) cells += 900;
    }
  EXPECT_NEAR(r.e->GetBurnedArea(t), cells, 0.02 * cells);
}

TEST(EmbrithEngine, AFixedSeedGivesTheSamePerimetersAtAnyThreadCount) {
  // A crowning stand under a strong wind launches embers; one seed repeats the run exactly.
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(3000, 4800, 60)});
  const std::string in = Inputs(ign, "EMBRITH_SPOT_PROBABILITY: 0.2\nEMBRITH_MINIMUM_SPOT_DISTANCE: 60\n",
                                "1\n7 15 1000 1159\n", Winds(20, 0));
  Launched one = Launch(dir, in, Flat(10, {}, true), 1, 4242);
  ASSERT_EQ(one.rc, 1) << one.e->CommandFileError(one.rc);
  Launched eight = Launch(dir, in, Flat(10, {}, true), 8, 4242);
  ASSERT_EQ(eight.rc, 1) << eight.e->CommandFileError(eight.rc);
  EXPECT_EQ(one.e->GetSpottingSeedUsed(), 4242);
  ASSERT_GT(one.e->GetNumSpotFiresCreated(), 0) << "no ember caught: the check would prove nothing";
  EXPECT_EQ(one.e->GetNumSpotFiresCreated(), eight.e->GetNumSpotFiresCreated());
  const auto &pa = one.e->Perimeters(), &pb = eight.e->Perimeters();
  ASSERT_EQ(pa.size(), pb.size());
  for (std::size_t k = 0; k < pa.size(); ++k) {
    ASSERT_EQ(pa[k].elapsed, pb[k].elapsed);
    ASSERT_EQ(pa[k].ring.size(), pb[k].ring.size()) << k;
    for (std::size_t i = 0; i < pa[k].ring.size(); ++i) {
      ASSERT_EQ(pa[k].ring[i].x, pb[k].ring[i].x) << k << " " << i;
      ASSERT_EQ(pa[k].ring[i].y, pb[k].ring[i].y) << k << " " << i;
    }
  }
  const std::size_t n = static_cast<std::size_t>(kSide) * kSide;
  EXPECT_TRUE(std::equal(one.e->GetArrivalTimeGrid(), one.e->GetArrivalTimeGrid() + n, eight.e->GetArrivalTimeGrid()));
  // Another seed lands its embers elsewhere.
  Launched other = Launch(dir, in, Flat(10, {}, true), 2, 7);
  ASSERT_EQ(other.rc, 1);
  CEmbrithSpots* sa = one.e->GetFireSpots();
  CEmbrithSpots* so = other.e->GetFireSpots();
  EXPECT_FALSE(sa->GetNumSpots() == so->GetNumSpots() && sa->GetNumSpots() > 0 &&
               sa->GetSpot(0)->GetLandX() == so->GetSpot(0)->GetLandX());
}

TEST(EmbrithEngine, AcceleratingHeadFollowsTheIntegratedRelation) {
  // R(t) = R_eq (1 - exp(-k t)), k = 0.115 per minute: the head lies
  // R_eq (t - (1 - exp(-k t)) / k) beyond the ignition's edge; so do the back and the flank.
  TempDir dir;
  const double r0 = 60, x0 = 3000, y0 = 4500, k = 0.115;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(x0, y0, r0)});
  Launched r = Launch(dir, Inputs(ign, "EMBRITH_ACCELERATION_ON: 1\nEMBRITH_TIMESTEP: 10\n", "1\n7 15 1000 1359\n"));
  ASSERT_EQ(r.rc, 1) << r.e->CommandFileError(r.rc);
  const Ellipse el = UniformEllipse(*r.e);
  for (double t : {10.0, 20.0, 60.0, 120.0, 240.0}) {
    const auto per = At(*r.e, t);
    ASSERT_EQ(per.size(), 1u) << t;
    const double f = t - (1 - std::exp(-k * t)) / k;
    const struct {
      double az, rate;
      const char* what;
    } ways[] = {{el.head, el.b + el.c, "head"}, {el.head + kPi, el.b - el.c, "back"}, {el.head + kPi / 2, el.a, "flank"}};
    for (const auto& w : ways) {
      const double want = w.rate * f;
      EXPECT_NEAR(Reach(per[0]->ring, x0, y0, w.az) - r0, want, 0.01 * want + (w.az == el.head ? 0 : 5))
          << w.what << " at " << t;
    }
  }
}

TEST(EmbrithEngine, AWindSwitchInTheAtmosphereFileTurnsTheHeadThen) {
  // 5 mph from the north until 12:00, then from the east. The weather stream's own wind (from
  // the west) must not be used. Uniform fires add their ellipses (a Minkowski sum), so after
  // the switch each side lies where the two ellipses' support functions put it.
  TempDir dir;
  const double r0 = 60, x0 = 4200, y0 = 4200;
  auto grid = [&](const char* name, int value) {
    std::string t = "ncols 10\nnrows 10\nxllcorner -300\nyllcorner -300\ncellsize 660\nNODATA_value -9999\n";
    for (int i = 0; i < 10; ++i) {
      for (int j = 0; j < 10; ++j) t += std::to_string(value) + " ";
      t += "\n";
    }
    dir.File(name, t);
  };
  grid("speed.asc", 5);
  grid("north.asc", 0);
  grid("east.asc", 90);
  const std::string atm = dir.File(
      "winds.atm", "WINDS\nENGLISH\n7 15 1000 \"speed.asc\" \"north.asc\"\n7 15 1200 \"speed.asc\" \"east.asc\"\n");
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(x0, y0, r0)});
  Launched r = Launch(dir, Inputs(ign, "EMBRITH_ATM_FILE: " + atm + "\n", "1\n7 15 1000 1359\n", Winds(5, 270)));
  ASSERT_EQ(r.rc, 1) << r.e->CommandFileError(r.rc);
  const Ellipse el = UniformEllipse(*r.e);
  EXPECT_NEAR(el.head, 1.5 * kPi, 1e-3) << "the last wind blows towards the west";
  const double head = el.b + el.c, back = el.b - el.c, flank = el.a;
  const double south = kPi, west = 1.5 * kPi, north = 0, east = kPi / 2;
  const struct {
    double t, az, want;
  } cases[] = {
      {60, south, head * 60},  {60, west, flank * 60},   {120, south, head * 120}, {120, west, flank * 120},
      {120, north, back * 120}, {180, west, flank * 120 + head * 60},  {180, south, head * 120 + flank * 60},
      {240, west, (flank + head) * 120}, {240, north, (back + flank) * 120}, {240, east, (flank + back) * 120},
      {240, south, (head + flank) * 120},
  };
  for (const auto& c : cases) {
    const auto per = At(*r.e, c.t);
    ASSERT_EQ(per.size(), 1u) << c.t;
    EXPECT_NEAR(Reach(per[0]->ring, x0, y0, c.az) - r0, c.want, 5 + 0.005 * c.want)
        << "t " << c.t << " azimuth " << c.az * 180 / kPi;
  }
}

TEST(EmbrithEngine, FiresGrownTogetherEqualTheUnionOfTheFiresGrownApart) {
  // Two fires abreast whose flanks meet, and a third downwind that the first runs into. The
  // shapefiles are judged by OGR: the symmetric difference of the fire grown together and the
  // union of those grown apart, over the burned area, at every perimeter time.
  TempDir dir;
  const std::vector<std::string> discs = {Disc(2400, 4800, 60), Disc(3300, 4800, 60), Disc(2500, 3300, 60)};
  const std::string periods = "1\n7 15 1000 1359\n";
  std::string judge = std::string(PV_PYTHON) + " " + PV_SOURCE_DIR + "/tests/engines/growth_union.py";
  for (int k = -1; k < static_cast<int>(discs.size()); ++k) {
    const std::string name = k < 0 ? "together" : "apart" + std::to_string(k);
    const std::string ign = WriteShapes(dir.path.string(), name + "_ign",
                                        k < 0 ? discs : std::vector<std::string>{discs[static_cast<std::size_t>(k)]});
    Launched r = Launch(dir, Inputs(ign, "", periods));
    ASSERT_EQ(r.rc, 1) << r.e->CommandFileError(r.rc);
    if (k < 0) {
      ASSERT_EQ(At(*r.e, 240).size(), 1u) << "the fires did not merge";
    }
    const std::string shp = dir.File(name + ".shp");
    ASSERT_EQ(r.e->WritePerimetersShapeFile(shp.c_str()), 1) << r.e->CommandFileError(0);
    judge += " " + shp;
  }
  const std::string out = Command(judge + " 2>&1");
  const std::size_t at = out.find("max ");
  ASSERT_NE(at, std::string::npos) << out;
  EXPECT_LT(std::stod(out.substr(at + 4)), 0.01) << out;
}

namespace {

// Hourly weather from 15 July 00:00 for two days at the landscape's own elevation, no wind:
// mild and humid until 12:00, then hot and dry.
struct Hour {
  double temperatureC, humidityPct;
};
Hour DryingWeather(int k) { return k % 24 <= 12 && k < 24 ? Hour{25, 45} : Hour{38, 8}; }

}  // namespace

TEST(EmbrithEngine, FuelMoisturesFollowTheWeatherHourByHourThroughTheRun) {
  TempDir dir;
  std::string raws = "RAWS_ELEVATION: 100\nRAWS_UNITS: Metric\nRAWS: 48\n";
  for (int k = 0; k < 48; ++k)
    raws += platform::FormatC("2026 7 %d %d %.0f %.0f 0.00 0 0 0\n", 15 + k / 24, k % 24 * 100,
                              DryingWeather(k).temperatureC, DryingWeather(k).humidityPct);
  const double x0 = 3000, y0 = 3000;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {Disc(x0, y0, 30)});
  const std::string inputs = Inputs(ign, "", "1\n7 15 1000 1759\n", raws);
  Launched r = Launch(dir, inputs);
  ASSERT_EQ(r.rc, 1) << r.e->CommandFileError(r.rc);
  // Conditioned on 1 and 8 threads: the same perimeters, vertex for vertex.
  for (int threads : {1, 8}) {
    Launched other = Launch(dir, inputs, Flat(), threads);
    ASSERT_EQ(other.rc, 1);
    const auto &a = r.e->Perimeters(), &b = other.e->Perimeters();
    ASSERT_EQ(a.size(), b.size()) << threads;
    for (std::size_t k = 0; k < a.size(); ++k) {
      ASSERT_EQ(a[k].ring.size(), b[k].ring.size()) << threads;
      for (std::size_t i = 0; i < a[k].ring.size(); ++i)
        ASSERT_TRUE(a[k].ring[i].x == b[k].ring[i].x && a[k].ring[i].y == b[k].ring[i].y) << threads;
    }
  }

  // The sticks stepped here through the same hours, from the fuel-moisture file's 6, 7 and 8 %:
  // the moistures of hour h are those after stepping it.
  const engines::FuelModel grass = engines::FuelModel::FromStandard(*engines::FindStandardFuelModel(1));
  engines::FuelStick sticks[4] = {{0, 0.06}, {1, 0.07}, {2, 0.08}, {3, 0.08}};
  std::vector<engines::Moistures> byHour;
  std::vector<engines::HourlyWeather> weather;
  for (int h = 0; h <= 17; ++h) {
    engines::HourlyWeather w;
    w.dayOfYear = 196;
    w.hour = h;
    w.temperatureC = DryingWeather(h).temperatureC;
    w.humidityPct = DryingWeather(h).humidityPct;
    weather.push_back(w);
    engines::StickAir air;
    air.temperatureC = w.temperatureC;
    air.humidityPct = w.humidityPct;
    air.solarWm2 = engines::SolarRadiation(196, h, 45, 0, 0, 0, 0);
    air.skyView = 0.5;
    air.cloudPct = 0;
    double m[4];
    for (int k = 0; k < 4; ++k) m[k] = sticks[k].Step(1.0, air);
    // The grids hold moistures as floats.
    byHour.push_back({static_cast<float>(m[0]), static_cast<float>(m[1]), static_cast<float>(m[2]), 0.60, 0.90});
  }
  // The hour the fire starts in has the moistures that conditioning once, up to it, gives.
  {
    const float elev = 100, flat = 0, cover = 0;
    const engines::ConditioningCells cell{1, &elev, &flat, &flat, &cover, 45};
    const double initial[4] = {0.06, 0.07, 0.08, 0.08};
    std::atomic<bool> cancel{false};
    std::atomic<double> progress{0};
    engines::ConditioningResult once;
    ASSERT_TRUE(engines::ConditionFuels(cell, {weather.begin(), weather.begin() + 11}, 100, initial, 1, cancel,
                                        progress, once));
    EXPECT_EQ(once.m1[0], static_cast<float>(byHour[10].m1));
    EXPECT_EQ(once.m10[0], static_cast<float>(byHour[10].m10));
    EXPECT_EQ(once.m100[0], static_cast<float>(byHour[10].m100));
  }
  // Every cell burns with the spread rate and reaction intensity of its hour's moistures.
  const double* arrival = r.e->GetArrivalTimeGrid();
  const double* ros = r.e->GetRateOfSpreadGrid();
  const double* reaction = r.e->GetReactionIntensityGrid();
  ASSERT_TRUE(arrival && ros && reaction);
  std::vector<int> cellsOf(18, 0);
  std::vector<double> rosOf(18, 0);
  for (std::size_t i = 0; i < static_cast<std::size_t>(kSide) * kSide; ++i) {
    if (!(arrival[i] > 0)) continue;
    const int h = 10 + static_cast<int>(std::ceil(arrival[i] / 60.0 - 1e-9)) - 1;
    ASSERT_GE(h, 10);
    ASSERT_LE(h, 17);
    const engines::FuelBedState bed = engines::ComputeFuelBed(grass, byHour[h]);
    const engines::FireResult f = engines::ComputeFire(bed, bed, 0, 0.4, 0, 0, 0, engines::CrownInput{});
    ASSERT_NEAR(ros[i], f.rosMMin, 1e-5 * f.rosMMin) << "hour " << h;
    const double expected = bed.reactionIntensity * engines::kKJm2PerBtuFt2;
    ASSERT_NEAR(reaction[i], expected, 1e-6 * expected) << "hour " << h;
    ++cellsOf[h];
    rosOf[h] = f.rosMMin;
  }
  for (int h = 10; h <= 17; ++h) EXPECT_GT(cellsOf[h], 0) << h;
  // Dry air from 13:00: the fine fuels dry within the hour and the fire runs faster then.
  EXPECT_LT(byHour[13].m1, byHour[12].m1 - 0.01);
  EXPECT_GT(rosOf[13], 1.2 * rosOf[12]);
  EXPECT_GT(rosOf[14], rosOf[13]);

  // Weather that begins after the fire starts cannot condition its first hour: refused.
  CEmbrith late;
  late.SetLandscape(Flat());
  ASSERT_EQ(late.LoadEmbrithText(Inputs(ign, "", "1\n7 15 1000 1759\n",
                                        "RAWS_ELEVATION: 100\nRAWS_UNITS: Metric\nRAWS: 2\n"
                                        "2026 7 15 1100 25 45 0.00 0 0 0\n2026 7 15 1200 25 45 0.00 0 0 0\n"),
                                 dir.path.string()),
            1);
  const int rc = late.LaunchEmbrith();
  EXPECT_EQ(rc, kEmbrithBadInputs);
  EXPECT_NE(std::string(late.CommandFileError(rc)).find("the weather begins later"), std::string::npos);
}
