#pragma once
// Maximum spotting distance downwind of a cell: firebrands from torching trees (flame height and
// duration of the trees, the height their plume lofts the largest firebrand to that still lands
// burning, drift with the wind at the top of the cover) and from a wind-driven surface fire
// (lofting from the fireline intensity and the wind, drift over the cover). Flat terrain: the
// engine holds no ridge-to-valley geometry.

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

// The larger of the surface-fire and torching distances (m). crowning: the crown torches, and
// the default trees of the stand's height torch (the crown flame length is not used: the trees'
// own flame follows from their size). The surface intensity is the one behind surfaceFlameM.
double MaxSpotDistanceM(double surfaceFlameM, bool crowning, double crownFlameM, double standHeightM,
                        double fuelDepthFt, double wind20Mph);

// Packs distance and direction as one cell: integer metres plus the azimuth in radians / 10.
float PackMaxSpot(double distanceM, double azimuthDeg);

}  // namespace engines
