#pragma once
// A ring of map points with its signed area and a point-in-polygon test, and the fire-type
// names of fire-growth perimeters.
#include <string>
#include <vector>

class CPolygon {
 public:
  // A larger count drops the old vertices; false when they cannot be allocated.
  bool SetVertexCount(int n);
  // False outside 0 .. count-1.
  bool SetVertex(double x, double y, int index);
  int GetVertexCount() const { return count_; }
  // Shoelace area: positive for counter-clockwise rings (map y up), cached.
  double GetArea();
  // Summed bearings of the vertices seen from the point wind once around an inside point.
  bool IsPointInside(double x, double y);
  // Clockwise bearing from north of a vertex seen from the test point, in [0, 2 pi).
  double GetVertexAngle(double x, double y) const;
  double MinX() const { return minX_; }
  double MinY() const { return minY_; }
  double MaxX() const { return maxX_; }
  double MaxY() const { return maxY_; }

 private:
  double testX_ = 0, testY_ = 0;
  std::vector<double> xy_;  // x0, y0, x1, y1, ...
  int count_ = 0;
  double area_ = 0;
  double maxX_ = 0, maxY_ = 0, minX_ = 0, minY_ = 0;
};

// 1 "Expanding Fire", 2 "Enclave Fire", 3 "Barrier"; "" for any other code.
std::string FireTypeToName(int code);
// The code of those names (case ignored), 0 for anything else.
int FireTypeFromName(const std::string& name);
