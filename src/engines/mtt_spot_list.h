#pragma once
// Spot fires as both the travel-time and the fire-growth engines hand them back: launch and
// landing points with their times, in a list sized by its owner.
#include <vector>

struct EngineSpot {
  double GetLaunchX() const { return launchX; }
  double GetLaunchY() const { return launchY; }
  double GetLandX() const { return landX; }
  double GetLandY() const { return landY; }
  double GetLaunchTime() const { return launchTime; }
  double GetLandTime() const { return landTime; }
  double launchX = 0, launchY = 0, landX = 0, landY = 0, launchTime = 0, landTime = 0;
};

template <class Spot>
class SpotList {
 public:
  int GetNumSpots() const { return static_cast<int>(spots_.size()); }
  void SetNumSpots(int n) { spots_.assign(n > 0 ? static_cast<std::size_t>(n) : 0, Spot()); }
  // nullptr outside 0..count-1.
  Spot* GetSpot(int i) {
    return i < 0 || i >= GetNumSpots() ? nullptr : &spots_[static_cast<std::size_t>(i)];
  }
  void SetSpot(int i, double launchX, double launchY, double landX, double landY,
               double launchTime, double landTime) {
    if (Spot* s = GetSpot(i)) {
      s->launchX = launchX;
      s->launchY = launchY;
      s->landX = landX;
      s->landY = landY;
      s->launchTime = launchTime;
      s->landTime = landTime;
    }
  }

 private:
  std::vector<Spot> spots_;
};
