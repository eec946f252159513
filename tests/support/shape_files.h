#pragma once
// Shapefiles written by GDAL for tests that need ignition or barrier files.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// Writes folder/name.shp with one feature per WKT geometry (all of one kind); returns its path.
inline std::string WriteShapes(const std::string& folder, const std::string& name, const std::vector<std::string>& wkts) {
  GDALAllRegister();
  const std::string path = folder + "/" + name + ".shp";
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
  std::unique_ptr<GDALDataset> ds(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  OGRGeometry* first = nullptr;
  OGRGeometryFactory::createFromWkt(wkts[0].c_str(), nullptr, &first);
  OGRLayer* layer = ds->CreateLayer(name.c_str(), nullptr, wkbFlatten(first->getGeometryType()), nullptr);
  OGRGeometryFactory::destroyGeometry(first);
  for (const auto& wkt : wkts) {
    OGRGeometry* g = nullptr;
    OGRGeometryFactory::createFromWkt(wkt.c_str(), nullptr, &g);
    OGRFeature f(layer->GetLayerDefn());
    f.SetGeometryDirectly(g);
    EXPECT_EQ(layer->CreateFeature(&f), OGRERR_NONE);
  }
  return path;
}

}  // namespace testsupport
