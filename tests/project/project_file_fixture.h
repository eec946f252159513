#pragma once
// A project holding every kind of content the project file stores, shared by the tests of
// the project file and of project archives.
#include <algorithm>
#include <fstream>

#include "platform/atomic_file.h"
#include "project_test_support.h"
#include "runs/run.h"
#include "runs/run_outputs.h"
#include "themes/contour_theme.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"

namespace project_test {

inline std::string Slurp(const std::string& path) {
  std::string bytes;
  platform::ReadWholeFile(path, bytes);
  return bytes;
}

// Names and bytes of every entry, in archive order, as Python's zipfile reads them.
inline std::string ZipListing(const std::string& archive) {
  return RunCommand(std::string(PV_PYTHON) +
                    " -c \"import sys,zipfile,hashlib\n"
                    "z=zipfile.ZipFile(sys.argv[1])\n"
                    "assert z.testzip() is None\n"
                    "for i in z.infolist(): print(i.filename, i.file_size, hashlib.sha256(z.read(i)).hexdigest())\" " +
                    archive);
}

class ProjectFileTest : public ProjectTest {
 protected:
  // A grid over the sample landscape's extent with a value per cell.
  std::unique_ptr<CTheme> Grid(CPVN4Doc& doc, int layerType, float (*value)(int r, int c)) {
    const CHeaderData& h = doc.landscape.header;
    std::vector<float> cells(static_cast<std::size_t>(h.rows) * h.columns);
    for (int r = 0; r < h.rows; ++r)
      for (int c = 0; c < h.columns; ++c) cells[static_cast<std::size_t>(r) * h.columns + c] = value(r, c);
    return MakeTheme(layerType, h.rows, h.columns, h.cellWidth, h.cellHeight, cells, h.west, h.south);
  }

  // Every kind of content the project file stores.
  CPVN4Doc& BuildProject() {
    doc_ = std::make_unique<CPVN4Doc>();
    CPVN4Doc& doc = *doc_;
    EXPECT_EQ(doc.OpenLandscape(SamplePath("sample.lcp")), 1);
    const CHeaderData& h = doc.landscape.header;
    const std::string projection = doc.landscape.projection;

    // A generic grid from an ASCII file, and one made in the program (embedded).
    {
      std::ofstream asc(Path("ridge.asc"));
      asc << "ncols 4\nnrows 3\nxllcorner " << h.west << "\nyllcorner " << h.south
          << "\ncellsize 90\nNODATA_value -9999\n1 2 3 4\n5 6 -9999 8\n9 10 11 12.5\n";
    }
    auto fromFile = std::make_unique<CTheme>();
    EXPECT_EQ(fromFile->LoadGridFile(10, Path("ridge.asc")), 1);
    fromFile->name = "Ridge grid";
    doc.AddGridTheme(std::move(fromFile));
    auto embedded = Grid(doc, 10, [](int r, int c) { return r == c ? -9999.0f : 0.25f * r - c; });
    embedded->name = "Computed grid";
    doc.AddGridTheme(std::move(embedded));

    // A vector theme from a shapefile, an arrow theme from a point shapefile, a contour.
    CVectorTheme lines;
    lines.CreateFromLineList("lines", h.east, h.west, h.south, h.north,
                             {{h.west + 100, h.south + 100, h.west + 900, h.south + 1500},
                              {h.west + 50, h.north - 50, h.east - 50, h.north - 400}});
    EXPECT_TRUE(lines.SaveShapefile(Path("roads.shp"), projection));
    auto roads = std::make_unique<CVectorTheme>();
    EXPECT_EQ(roads->LoadShapefile(Path("roads.shp"), projection), 1);
    roads->sourcePath = Path("roads.shp");
    roads->name = "Roads";
    roads->lineColor = 0x123456, roads->lineWidth = 3, roads->lineStyle = 2;
    doc.AddVectorTheme(std::move(roads));

    auto direction = Grid(doc, 10, [](int r, int c) { return static_cast<float>((r * 7 + c * 3) % 360); });
    auto speed = Grid(doc, 10, [](int r, int c) { return static_cast<float>(5 + (r + c) % 20); });
    CWindVectorTheme made;
    EXPECT_TRUE(made.CreateWindVectors(direction.get(), speed.get()));
    CWVLegendData unitsLegend;
    std::string error;
    EXPECT_TRUE(made.SaveShapefile(Path("winds.shp"), projection, &unitsLegend, &error)) << error;
    auto arrows = MakeOwnedTheme(new CWindVectorTheme());
    EXPECT_TRUE(arrows->LoadShapefile(Path("winds.shp"), h.west, h.east, h.north, h.south));
    arrows->name = "Station winds";
    arrows->sourcePath = Path("winds.shp");
    arrows->visible = true;
    CWindVectorTheme* arrowTheme = arrows.get();
    doc.AddWindVectorTheme(std::move(arrows));
    doc.AddWindVectorDrawItem(arrowTheme);
    CWVLegendData* al = doc.FindWindVectorLegend(arrowTheme);
    al->RemoveAllEntries();
    al->AddEntry(CWVLegendEntry(10, 0xFF0000, 2));
    al->AddEntry(CWVLegendEntry(25, 0x00FF00, 4));
    al->units = 1;

    auto contour = MakeOwnedTheme(new CContourTheme());
    EXPECT_TRUE(contour->Create(doc.GetThemeByLayerType(0), 50.0f, nullptr, nullptr));
    contour->color = 0x0000AA;
    CContourTheme* contourTheme = contour.get();
    doc.AddContourTheme(std::move(contour));

    // A second area with a fire-behaviour run holding outputs, arrows, overlays and logs.
    CPyrvane2WorkArea* area = doc.CreateWorkArea(h.north - 900, h.east - 900, h.south + 900, h.west + 900, "Upper slope");
    EXPECT_NE(area, nullptr);
    CRun* run = area->AddRun(std::make_unique<CRun>());
    run->name = "Afternoon run";
    run->inputs.fuelMoistureFile = "/data/fuel.fms";
    run->inputs.windType = 0, run->inputs.windSpeed = 12, run->inputs.windDirection = 225;
    run->inputs.conditioningStart = platform::OleDateTime(2024, 7, 14, 13, 0, 0);
    run->inputs.conditioningEnd = platform::OleDateTime::Null();
    run->outputs.flameLength = run->outputs.rateOfSpread = run->outputs.spreadVectors = true;
    run->outputs.numberOfProcessors = 1;
    run->outputs.crownFireMethod = 1;
    auto add = [&](const char* name, int type, float (*value)(int, int)) {
      auto t = Grid(doc, type, value);
      t->name = name;
      return runs::AddThemeWithLegend(*run, std::move(t));
    };
    add("Flame Length", 17, [](int r, int c) { return 0.1f * (r % 13) + 0.01f * c; });
    run->maxSpreadDirectionTheme = add("Max Spread Direction", 23, [](int r, int c) { return 0.01f * ((r + c) % 600); });
    run->ellipticalBTheme = add("Elliptical B", 15, [](int r, int c) { return 1.0f + 0.5f * ((r * c) % 7); });
    run->ellipticalCTheme = add("Elliptical C", 16, [](int r, int c) { return 2.0f + (c % 3); });
    run->fireBehaviorUpToDate = true;
    EXPECT_EQ(runs::AddArrowThemes(*run), 1);
    EXPECT_NE(run->spreadVectors, nullptr);
    auto paths = std::make_unique<CVectorTheme>();
    paths->CreateFromLineList("Flow Paths", h.east, h.west, h.south, h.north,
                              {{h.west + 300, h.south + 300, h.west + 600, h.south + 800, h.west + 700, h.south + 1200}});
    run->flowPaths = area->AdoptVectorTheme(std::move(paths));
    auto arrival = new CContourTheme();
    EXPECT_TRUE(arrival->Create(run->ellipticalBTheme, 1.0f, nullptr, nullptr));
    run->arrivalContour = area->AdoptContourTheme(arrival);
    run->runLogs.push_back({"Run Log", "Pyrvane run log\r\nline two\r\n"});
    run->runLogs.push_back({"Inputs", std::string("binary\0bytes", 12)});

    // A fire-growth run whose gridded winds are kept with their arrows, speeds in mph.
    CRun* growth = area->AddRun(std::make_unique<CRun>());
    growth->name = "Growth";
    growth->isEmbrith = true;
    growth->inputs.windType = 4;
    growth->embrith.burnPeriods = {{7, 14, 10, 18}, {7, 15, 9, 20}};
    auto arrivalTheme = Grid(doc, 37, [](int r, int c) { return r < 80 ? 10.0f * (1 + c % 5) : -9999.0f; });
    arrivalTheme->name = "Arrival Time";
    runs::AddThemeWithLegend(*growth, std::move(arrivalTheme));
    runs::WindGridSet& g = growth->windGrids;
    g.Allocate(2, h.rows / 8, h.columns / 8);
    g.xll = h.west, g.yll = h.south, g.cellSize = h.cellWidth * 8;
    for (int s = 0; s < 2; ++s) {
      for (std::size_t i = 0; i < g.speed[s].size(); ++i) {
        g.speed[s][i] = 3.5f + static_cast<float>(i % 11) + s;
        g.direction[s][i] = static_cast<std::int16_t>((i * 13 + s * 90) % 360);
      }
      g.endTimes[s] = 20.0 * (s + 1);
      g.dateTimes[s] = s ? "07/14 1100" : "07/14 1000";
      g.inputSpeeds[s] = 10.0f + s;
      g.inputDirections[s] = static_cast<std::int16_t>(180 + s);
      g.inputSpeedUnits[s] = "mph";
    }
    auto gridWinds = std::make_unique<CWindVectorTheme>();
    EXPECT_TRUE(runs::CreateFromRunWinds(*gridWinds, *growth));
    gridWinds->name = "Gridded Winds";
    growth->embrithWindVectors = gridWinds.release();
    area->AdoptWindVectorTheme(growth->embrithWindVectors);

    // The contour is the top overlay; the view and shading are kept.
    auto top = std::find_if(doc.drawPriority.begin(), doc.drawPriority.end(),
                            [&](const CVectorThemeItem& i) { return i.contourTheme == contourTheme; });
    std::rotate(doc.drawPriority.begin(), top, top + 1);
    doc.reliefShading = 1, doc.shadingAzimuth = 270, doc.shadingStrength = 0.75f;
    doc.mapView = MapViewState{40, 60, 800, 640, 2.5};
    doc.zoomFactor = 1.3;
    doc.currentArea = area;
    return doc;
  }

  platform::ScopedRecordingMessages messages_;
};

}  // namespace project_test
