#pragma once
// Ignition and barrier shapes for the travel-time engine: read from any vector file GDAL
// opens (shapefiles above all) and laid onto the node grid.
#include <string>
#include <vector>

namespace engines::mtt {

struct Shape {
  enum Kind { Points, Line, Polygon } kind = Points;
  // Points: one ring of points; Line: one ring of vertices; Polygon: its rings.
  std::vector<std::vector<std::pair<double, double>>> rings;
};

// False with a reason when the file cannot be read.
bool ReadShapes(const std::string& path, std::vector<Shape>& shapes, std::string& error);

// The node grid: row 0 north, cell centres at west + (c + 0.5) cell, north - (r + 0.5) cell.
struct NodeGrid {
  int rows = 0, cols = 0;
  double west = 0, north = 0, cell = 0;
};

// Marks (sets to 1) the cells of mask (rows x cols) that the shapes cover: the cell of each
// point, every cell a line or a polygon's outline passes through (corners included, so a
// marked line has no diagonal gap), and with fill the cells whose centre lies inside a polygon.
void MarkShapes(const std::vector<Shape>& shapes, const NodeGrid& grid, bool fill,
                std::vector<char>& mask);

}  // namespace engines::mtt
