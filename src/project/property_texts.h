#pragma once
// The texts of the read-only project and analysis-area property dialog, made from the
// document so that they can be checked without windows.
#include <functional>
#include <string>

class CPVN4Doc;
class CPyrvane2WorkArea;

namespace project {

struct PropertyTexts {
  std::string path;  // the landscape path in full; the dialog shortens it to fit
  std::string cellSizeX, cellSizeY, latitude;
  std::string cellsEast, cellsNorth;
  std::string east, north, south, west;
  std::string caption;  // empty: the dialog keeps its own caption
};

// Without an area the texts describe the landscape, with one they describe that area
// inside it. Without a landscape only the path is filled ("No Landscape File").
PropertyTexts MakePropertyTexts(const CPVN4Doc& doc, const CPyrvane2WorkArea* area);

// The path with the end of its folder part replaced by "..." so that its width, as
// measured, is at most maxWidth; the file name is kept whole while "..." and it fit.
std::string CompactPath(const std::string& path, double maxWidth,
                        const std::function<double(const std::string&)>& width);

}  // namespace project
