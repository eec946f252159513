#pragma once
// Maximum spotting distance downwind of a cell: firebrands from torching trees (flame height and
// duration of the trees, the height their plume lofts the largest firebrand to that still lands
// burning, drift with the wind at the top of the cover) and from a wind-driven surface fire
// (lofting from the fireline intensity and the wind, drift over the cover), over flat ground and
// then over the ridges and valleys of the landscape downwind.

namespace engines {

enum class TreeSpecies {
  EngelmannSpruce, DouglasFir, SubalpineFir, WesternHemlock, PonderosaPine, LodgepolePine,
  WesternWhitePine, GrandFir, BalsamFir, SlashPine, LongleafPine, PondPine, ShortleafPine,
  LoblollyPine
};

// The torching trees; the defaults stand in where the run gives no tree data.
struct TorchingTrees {
  TreeSpecies species = TreeSpecies::DouglasFir;
  double dbhIn = 12.0;   // diameter at breast height, inches
  int count = 4;         // trees torching together
  double heightFt = 0;   // tree height
};

// Steady flame height (ft) and flame duration (dimensionless) of torching trees.
double TorchingFlameHeightFt(const TorchingTrees& trees);
double TorchingFlameDuration(const TorchingTrees& trees);
// Height (ft) the torching flame lofts the largest firebrand that lands still burning.
double TorchingFirebrandHeightFt(const TorchingTrees& trees);

// Firebrand height (ft) lofted by a wind-driven surface fire of Byram's intensity (Btu/ft/s) in a
// 20-ft wind (mph); 0 without wind or fire.
double SurfaceFirebrandHeightFt(double intensityBtuFtS, double wind20Mph);

// Distance (m) a firebrand lofted to heightFt drifts over flat ground before landing, for a 20-ft
// wind (mph) over cover of the given height (ft). 0 when it does not clear the cover.
double EmberDriftM(double heightFt, double wind20Mph, double coverHeightFt);

// Spotting distances (m) from torching trees (over cover of their height) and from a surface
// fire of fireline intensity (kW/m) over cover of the given height (ft).
double TorchingSpotDistanceM(const TorchingTrees& trees, double wind20Mph);
double SurfaceSpotDistanceM(double intensityKWm, double coverHeightFt, double wind20Mph);

// A cell of an elevation grid (m, row 0 northern, -9999 no data) and the azimuth downwind.
struct SpotSite {
  const float* elevationM = nullptr;
  int rows = 0, cols = 0;
  double cellM = 0;
  int row = 0, col = 0;
  double downwindDeg = 0;
};

// The ground downwind of a site as one ridge-to-valley wave: the highest and lowest ground within
// reach along the downwind line, their elevation difference and horizontal distance, and the
// site's phase on the wave (0 on the ridge, +-pi in the valley, negative where the ground rises
// downwind). Zero differences where the ground is flat.
struct RidgeValley {
  double elevationDiffFt = 0, distanceMi = 0, phase = 0;
};
RidgeValley RidgeValleyDownwind(const SpotSite& site, double reachM);

// The flat-ground distance (m) carried over the ridge-to-valley wave; flatM itself over flat ground.
double TerrainSpotDistanceM(double flatM, const RidgeValley& rv);

// The larger of the surface-fire and torching distances (m). surfaceFliKWm: the surface fire's
// own intensity. crowning: the crown torches, and the default trees of the stand's height torch
// (their own flame follows from their size). With a site, both are carried over the ground
// within twice the flat distance downwind.
double MaxSpotDistanceM(double surfaceFliKWm, bool crowning, double standHeightM, double fuelDepthFt,
                        double wind20Mph, const SpotSite* site = nullptr);

// Packs distance and direction as one cell: integer metres plus the azimuth in radians / 10.
float PackMaxSpot(double distanceM, double azimuthDeg);

}  // namespace engines
