// The shapes the user draws on the map, and their shapefile.
#include <algorithm>
#include <set>
#include <utility>

#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "themes/shapefile_writer.h"

namespace {
constexpr int kPoints = 4, kLines = 5, kPolygons = 6;

int DistinctPoints(const std::vector<dPoint>& points) {
  std::set<std::pair<double, double>> seen;
  for (const dPoint& p : points) seen.insert({p.x, p.y});
  return static_cast<int>(seen.size());
}
}  // namespace

bool CPVN4Doc::ChooseShapeKind(int kind) {
  if (!HasShapePoints() || currentShapeKind == kind) {
    currentShapeKind = kind;
    measurePoints.clear();
    return true;
  }
  const char* format = kind == kPoints  ? "You must clear the current %s  before creating points"
                       : kind == kLines ? "You must clear the current %s  before creating lines"
                                        : "You must clear the current %s  before creating polygons";
  const char* inUse = kind == kPoints  ? (currentShapeKind == kLines ? "lines" : "polygons")
                      : kind == kLines ? (currentShapeKind == kPoints ? "points" : "polygons")
                                       : (currentShapeKind == kLines ? "lines" : "points");
  platform::Tell(platform::FormatC(format, inUse));
  return false;
}

int CPVN4Doc::FinishShape() {
  if (shapeInProgress.empty()) return 1;
  // The shape's kind decides, not the pointer mode: a polygon left by changing the mode is
  // still a ring, and a ring needs three distinct points.
  if (currentShapeKind == kPolygons) {
    if (DistinctPoints(shapeInProgress) < 3) return 1;
    const dPoint first = shapeInProgress.front(), last = shapeInProgress.back();
    if (last.x != first.x || last.y != first.y) shapeInProgress.push_back(first);
  }
  shapes.push_back(std::move(shapeInProgress));
  shapeInProgress.clear();
  shapesSaved = false;
  return 1;
}

int CPVN4Doc::WriteShapeFile(const std::string& path, std::string* error) {
  const int type = currentShapeKind == kPoints ? 1 : currentShapeKind == kLines ? 3 : 5;
  ShapefileWriter out(path, type);
  auto failed = [&] {
    if (error) *error = out.Error();
    return 0;
  };
  if (!out.Open()) return failed();
  FinishShape();
  if (currentShapeKind == kPolygons && !shapeInProgress.empty()) {
    if (error) *error = "The polygon being drawn has fewer than three distinct points.";
    return 0;
  }
  if (!out.AddField("ENTITY", FTDouble, 20, 0) || !out.AddField("VALUE", FTDouble, 20, 4)) return failed();
  for (const std::vector<dPoint>& shape : shapes) {
    std::vector<double> x, y;
    for (const dPoint& p : shape) x.push_back(p.x), y.push_back(p.y);
    const int r = out.WriteShape(type, static_cast<int>(x.size()), x.data(), y.data(), nullptr, nullptr, 1,
                                 x.size() > 1);
    if (r < 0 || !out.WriteDouble(r, 0, r) || !out.WriteDouble(r, 1, r)) return failed();
  }
  if (!out.Commit(HasProjection() ? landscape.projection : std::string())) return failed();
  shapesFile = path;
  shapesSaved = true;
  return 1;
}

int CPVN4Doc::SaveShapesToChosenFile() {
  platform::FileDialogOptions o;
  o.filter = "Shape Files (*.shp)|*.shp||";
  o.defaultExt = "shp";
  o.overwritePrompt = true;
  const auto path = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!path) return -1;
  std::string why;
  if (WriteShapeFile(*path, &why)) return 1;
  platform::Tell("Error: Unable to create ignition shape file." + (why.empty() ? "" : "\n" + why));
  return 0;
}

void CPVN4Doc::OnShapeSaveToFile() {
  if (SaveShapesToChosenFile() >= 0) RefreshMap();
}

void CPVN4Doc::OnShapeClear() {
  shapeInProgress.clear();
  shapes.clear();
  shapesSaved = false;
  RefreshMap();
}

void CPVN4Doc::OnShapeDeleteCurrent() {
  shapeInProgress.clear();
  shapesSaved = false;
  RefreshMap();
}

void CPVN4Doc::OnShapeDeleteLast() {
  if (!shapes.empty()) shapes.pop_back();
  shapesSaved = false;
  RefreshMap();
}
