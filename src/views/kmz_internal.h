#pragma once
// What the KMZ writers share and nothing else needs.
#include <string>

#include "platform/image.h"
#include "themes/color_ramp.h"  // COLORREF

class CWindVectorTheme;

namespace views {

inline constexpr const char* kNoProjectionMessage = "Error, cannot resolve projection, no kmz will be written.";
inline constexpr const char* kNoTransformMessage =
    "Error, cannot complete coordinate transformation, no kmz will be written.";

// "mph", "m/min" for spread vectors, "meters" for spot vectors.
std::string ArrowUnitsLabel(const CWindVectorTheme& theme);
platform::Image MakePlacemarkIcon();
platform::Image MakeArrowSymbol();
// 16 x 16 on white: a line across the middle, or a diamond.
platform::Image MakeLineSymbol(COLORREF colour, int width, int style);
platform::Image MakeDiamondSymbol(COLORREF colour);

}  // namespace views

#include <cstdarg>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

class CPVN4Doc;
class CRun;
class CTheme;
class CThemeLegendData;
class OGRCoordinateTransformation;

namespace views {

// A failure that ends the export; its text is what the user is told.
struct KmzFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One export: the document text, the images in the order they are added, the names and ids
// already taken, and the transformation to WGS84 longitude and latitude.
class KmzBuilder {
 public:
  // Throws KmzFailure when the projection cannot be read or transformed.
  explicit KmzBuilder(CPVN4Doc& doc);
  ~KmzBuilder();
  KmzBuilder(const KmzBuilder&) = delete;
  KmzBuilder& operator=(const KmzBuilder&) = delete;

  // printf into the document; texts must be escaped by the caller.
  void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The point in longitude and latitude; throws when it cannot be transformed.
  void Transform(double& x, double& y) const;
  // Adds the image under "Images/" + stem + suffix + ".png", the stem made safe and unique
  // among the entries; returns the entry name.
  std::string AddImage(const std::string& stem, const std::string& suffix, const platform::Image& image);
  // The same for a PNG file's bytes made elsewhere.
  std::string AddPng(const std::string& stem, const std::string& suffix, std::string png);
  // A stem not yet used with any of the suffixes, so that an overlay and its legend share it.
  std::string UniqueStem(const std::string& name, const std::vector<std::string>& suffixes);
  // An id attribute value (escaped) that no other element of the document has.
  std::string UniqueId(const std::string& wanted);
  // Writes the archive: the "Images/" folder, the images, then "doc.kml". Throws on failure,
  // leaving any earlier file at the path untouched.
  void WriteArchive(const std::string& path);

  CPVN4Doc& doc;
  std::string projection;
  std::string produced;  // the production time
  // The ids the head's vector styles got, by the style they stand for.
  std::map<std::string, std::string> styleIds;

 private:
  struct Entry {
    std::string name;
    std::string bytes;
  };
  std::string kml_;
  std::vector<Entry> entries_;
  std::set<std::string> names_;  // lower case: viewers may unpack onto case-blind disks
  std::set<std::string> ids_;
  std::unique_ptr<OGRCoordinateTransformation> transform_;
};

// The folders of a run's overlays, in the document's order: vector, contour, arrow and spot.
void WriteRunOverlayFolders(KmzBuilder& b, CRun& run, double densifyStep);
// The vector styles at the head of a run document.
void WriteRunVectorStyles(KmzBuilder& b, CRun& run);

}  // namespace views
