#pragma once
// Maximum spotting distance downwind of a cell: embers lofted by the flame of a wind-driven
// surface fire and, where the crown torches, by the flame over the canopy, then carried by the
// wind at canopy top over flat ground.

namespace engines {

// Lofting height (ft) of the highest ember for a flame of the given height (ft).
double EmberLoftHeightFt(double flameHeightFt);

// Distance (m) an ember lofted to heightFt drifts before landing, for a 20-ft wind (mph) over
// cover of the given height (ft).
double EmberDriftM(double heightFt, double wind20Mph, double coverHeightFt);

// The larger of the surface-fire and torching distances (m). crowning: the crown torches.
double MaxSpotDistanceM(double surfaceFlameM, bool crowning, double crownFlameM, double standHeightM,
                        double fuelDepthFt, double wind20Mph);

// Packs distance and direction as one cell: integer metres plus the azimuth in radians / 10.
float PackMaxSpot(double distanceM, double azimuthDeg);

}  // namespace engines
