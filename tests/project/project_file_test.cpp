// The project file and its companion archive: a full project saves, reopens and saves again
// byte for byte; failed saves leave the previous pair; damaged files are refused by line.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "project/project_file.h"
#include "project_file_fixture.h"

namespace {

using project_test::MakeTheme;
using project_test::ProjectFileTest;
using project_test::RunCommand;
using project_test::SamplePath;
using project_test::Slurp;
using project_test::ZipListing;

TEST_F(ProjectFileTest, FullProjectSavesReopensAndSavesAgainByteIdentical) {
  CPVN4Doc& first = BuildProject();
  ASSERT_TRUE(projectfile::SaveProject(first, Path("a.pvn"))) << ::testing::PrintToString(messages_.Texts());
  const std::string text = Slurp(Path("a.pvn"));
  EXPECT_EQ(text.rfind("Pyrvane6 Project File Version 16\n" + SamplePath("sample.lcp") + "\n1.300000 ", 0), 0u);

  CPVN4Doc second;
  ASSERT_TRUE(projectfile::ReadProject(second, Path("a.pvn"))) << ::testing::PrintToString(messages_.Texts());
  ASSERT_TRUE(projectfile::SaveProject(second, Path("b.pvn")));
  EXPECT_TRUE(Slurp(Path("b.pvn")) == text) << RunCommand("diff " + Path("a.pvn") + " " + Path("b.pvn") + "; true");
  const std::string listing = ZipListing(Path("a.pzp"));
  EXPECT_EQ(ZipListing(Path("b.pzp")), listing);
  RunCommand("unzip -tq " + Path("a.pzp"));
  // Entries are numbered from 0 in the order the text names them.
  EXPECT_EQ(listing.rfind("0.tmp ", 0), 0u) << listing;
  EXPECT_NE(text.find("\n0.tmp\n"), std::string::npos);
  EXPECT_TRUE(messages_.Texts().empty()) << ::testing::PrintToString(messages_.Texts());

  // Theme by theme, cell by cell.
  ASSERT_EQ(second.gridThemes.size(), first.gridThemes.size());
  for (std::size_t i = 0; i < first.gridThemes.size(); ++i)
    EXPECT_EQ(second.gridThemes[i]->ThemeBytes(), first.gridThemes[i]->ThemeBytes()) << i;
  ASSERT_EQ(second.areas.size(), 2u);
  EXPECT_EQ(second.currentArea, second.areas[1].get());
  const CRun& a = *first.areas[1]->runs[0];
  const CRun& b = *second.areas[1]->runs[0];
  ASSERT_EQ(b.outputThemes.size(), a.outputThemes.size());
  for (std::size_t i = 0; i < a.outputThemes.size(); ++i)
    EXPECT_EQ(b.outputThemes[i]->ThemeBytes(), a.outputThemes[i]->ThemeBytes());
  EXPECT_EQ(b.maxSpreadDirectionTheme, b.outputThemes[1].get());
  ASSERT_NE(b.spreadVectors, nullptr);
  EXPECT_EQ(b.spreadVectors->count, a.spreadVectors->count);
  ASSERT_NE(b.flowPaths, nullptr);
  EXPECT_EQ(b.flowPaths->ThemeBytes(), a.flowPaths->ThemeBytes());
  ASSERT_NE(b.arrivalContour, nullptr);
  EXPECT_EQ(b.arrivalContour->ThemeBytes(), a.arrivalContour->ThemeBytes());
  // Gridded winds come back in the unit they were kept in, arrow for arrow.
  const CRun& ga = *first.areas[1]->runs[1];
  const CRun& gb = *second.areas[1]->runs[1];
  ASSERT_EQ(gb.windGrids.count, 2);
  EXPECT_EQ(gb.windGrids.speed, ga.windGrids.speed);
  EXPECT_EQ(gb.windGrids.direction, ga.windGrids.direction);
  ASSERT_NE(gb.embrithWindVectors, nullptr);
  EXPECT_EQ(gb.embrithWindVectors->count, ga.embrithWindVectors->count);
  EXPECT_EQ(gb.embrith.burnPeriods.size(), 2u);
  ASSERT_EQ(b.runLogs.size(), 2u);
  EXPECT_EQ(b.runLogs[1].text, a.runLogs[1].text);
  EXPECT_EQ(b.inputs.conditioningStart, a.inputs.conditioningStart);
  EXPECT_EQ(b.inputs.conditioningEnd.GetStatus(), platform::OleDateTime::Status::Null);
  ASSERT_EQ(second.vectorThemes.size(), first.vectorThemes.size());
  EXPECT_EQ(second.vectorThemes[0]->lineColor, 0x123456u);
  ASSERT_EQ(second.windVectorThemes.size(), 1u);
  const CWVLegendData* legend = second.FindWindVectorLegend(second.windVectorThemes[0].get());
  ASSERT_NE(legend, nullptr);
  EXPECT_EQ(legend->GetCount(), 2);
  EXPECT_EQ(legend->units, 1);
  ASSERT_FALSE(second.drawPriority.empty());
  EXPECT_NE(second.drawPriority.front().contourTheme, nullptr);
  EXPECT_EQ(second.drawPriority.size(), first.drawPriority.size());
  EXPECT_EQ(second.mapView, first.mapView);
  EXPECT_EQ(second.shadingAzimuth, 270);
  EXPECT_EQ(second.GetVisibleTheme(), second.GetThemeByLayerType(3));
}

// The theme shown at saving is shown again on reopening; a stored layer type that is not the
// one of the theme at the stored place leaves the fuel-model layer.
TEST_F(ProjectFileTest, TheVisibleThemeComesBackWhenItIsTheOneStored) {
  CPVN4Doc& doc = BuildProject();
  doc.currentArea = doc.areas.front().get();
  CTheme* elevation = doc.GetThemeByLayerType(0);
  ASSERT_TRUE(elevation);
  doc.SetVisibleTheme(elevation);
  ASSERT_TRUE(projectfile::SaveProject(doc, Path("v.pvn"))) << ::testing::PrintToString(messages_.Texts());
  CPVN4Doc again;
  ASSERT_TRUE(projectfile::ReadProject(again, Path("v.pvn"))) << ::testing::PrintToString(messages_.Texts());
  EXPECT_EQ(again.GetVisibleTheme(), again.GetThemeByLayerType(0));

  std::string text = Slurp(Path("v.pvn"));
  const std::size_t last = text.rfind('\n', text.size() - 2) + 1;
  ASSERT_EQ(text.compare(last, 2, "0 "), 0) << text.substr(last);
  text.replace(last, 1, "7");
  std::ofstream(Path("v.pvn"), std::ios::binary) << text;
  CPVN4Doc other;
  ASSERT_TRUE(projectfile::ReadProject(other, Path("v.pvn"))) << ::testing::PrintToString(messages_.Texts());
  EXPECT_EQ(other.GetVisibleTheme(), other.GetThemeByLayerType(3));
}

TEST_F(ProjectFileTest, FailedSaveLeavesThePreviousPairAndSaysSo) {
  CPVN4Doc& doc = BuildProject();
  ASSERT_TRUE(projectfile::SaveProject(doc, Path("p.pvn")));
  const std::string text = Slurp(Path("p.pvn")), archive = Slurp(Path("p.pzp"));
  doc.areas[1]->name = "Renamed";
  struct Case {
    const char* name;
    projectfile::SaveFault fault;
    rlim_t fileLimit;
  };
  for (const Case& c : {Case{"payload", projectfile::SaveFault::Payload, RLIM_INFINITY},
                        Case{"archive", projectfile::SaveFault::Archive, RLIM_INFINITY},
                        Case{"rename", projectfile::SaveFault::Rename, RLIM_INFINITY},
                        Case{"disk full", projectfile::SaveFault::None, 4096}}) {
    messages_.Clear();
    projectfile::SetSaveFaultForTests(c.fault);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = c.fileLimit;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = projectfile::SaveProject(doc, Path("p.pvn"));
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    projectfile::SetSaveFaultForTests(projectfile::SaveFault::None);
    EXPECT_FALSE(saved) << c.name;
    EXPECT_EQ(Slurp(Path("p.pvn")), text) << c.name;
    EXPECT_EQ(Slurp(Path("p.pzp")), archive) << c.name;
    ASSERT_EQ(messages_.Texts().size(), 1u) << c.name;
    EXPECT_NE(messages_.Texts()[0].find("The previous project file and archive are unchanged"), std::string::npos)
        << messages_.Texts()[0];
    // Nothing is left behind in the folder but the pair and the test's own files.
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      EXPECT_EQ(e.path().string().find("pv6"), std::string::npos) << c.name << " " << e.path();
  }
  ASSERT_TRUE(projectfile::SaveProject(doc, Path("p.pvn")));
  EXPECT_NE(Slurp(Path("p.pvn")).find("\nRenamed\n"), std::string::npos);
}

TEST_F(ProjectFileTest, KilledSaveLeavesAPairThatBelongsTogether) {
  CPVN4Doc& doc = BuildProject();
  const std::string path = Path("k.pvn");
  for (int step = 1; step <= 5; ++step) {
    SCOPED_TRACE(step);
    doc.areas[1]->name = "Upper slope";
    ASSERT_TRUE(projectfile::SaveProject(doc, path));
    doc.areas[1]->name = "Renamed";
    doc.areas[1]->runs[0]->runLogs[0].text = "a log of another length";
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(60);
      projectfile::SetSaveKillStepForTests(step);
      projectfile::SaveProject(doc, path);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    // Before the project file is renamed the previous pair opens, after it the new one;
    // in both cases the logs come from the archive written with that project file.
    CPVN4Doc reread;
    ASSERT_TRUE(projectfile::ReadProject(reread, path)) << ::testing::PrintToString(messages_.Texts());
    const bool renamed = step == 5;
    EXPECT_EQ(reread.areas[1]->name, renamed ? "Renamed" : "Upper slope");
    EXPECT_EQ(reread.areas[1]->runs[0]->runLogs[0].text,
              renamed ? "a log of another length" : "Pyrvane run log\r\nline two\r\n");
    doc.areas[1]->runs[0]->runLogs[0].text = "Pyrvane run log\r\nline two\r\n";
  }
  EXPECT_TRUE(messages_.Texts().empty()) << ::testing::PrintToString(messages_.Texts());
}

TEST_F(ProjectFileTest, DamagedFilesAreRefusedNamingTheLine) {
  CPVN4Doc& doc = BuildProject();
  ASSERT_TRUE(projectfile::SaveProject(doc, Path("good.pvn")));
  const std::string text = Slurp(Path("good.pvn"));
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  auto join = [&](std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t i = from; i < to; ++i) s += lines[i] + "\n";
    return s;
  };
  const std::size_t gridCount = 3;  // header, landscape, window, then the grid count
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"unknown version", "Pyrvane6 Project File Version 17\n" + join(1, lines.size()), "Unrecognized file format"},
      {"trailing blank", "Pyrvane6 Project File Version 16 \n" + join(1, lines.size()), "Unrecognized file format"},
      {"truncated in the areas", join(0, lines.size() / 2), "is damaged at line"},
      {"count past the end", join(0, gridCount) + "999999\n" + join(gridCount + 1, lines.size()), "line 4"},
      {"negative count", join(0, gridCount) + "-3\n" + join(gridCount + 1, lines.size()), "line 4"},
      {"window line of words", join(0, 2) + "zoom\n" + join(3, lines.size()), "line 3"},
  };
  for (const Case& c : cases) {
    messages_.Clear();
    std::ofstream(Path("bad.pvn"), std::ios::binary) << c.text;
    std::filesystem::copy_file(Path("good.pzp"), Path("bad.pzp"), std::filesystem::copy_options::overwrite_existing);
    CPVN4Doc read;
    EXPECT_FALSE(projectfile::ReadProject(read, Path("bad.pvn"))) << c.name;
    ASSERT_FALSE(messages_.Texts().empty()) << c.name;
    EXPECT_NE(messages_.Texts().back().find(c.expected), std::string::npos) << c.name << ": " << messages_.Texts().back();
    EXPECT_TRUE(read.areas.empty() && read.gridThemes.empty()) << c.name;
  }
  // CR LF line ends are read like LF.
  std::string crlf;
  for (const std::string& l : lines) crlf += l + "\r\n";
  std::ofstream(Path("crlf.pvn"), std::ios::binary) << crlf;
  std::filesystem::copy_file(Path("good.pzp"), Path("crlf.pzp"));
  messages_.Clear();
  CPVN4Doc read;
  EXPECT_TRUE(projectfile::ReadProject(read, Path("crlf.pvn"))) << ::testing::PrintToString(messages_.Texts());
  EXPECT_EQ(read.areas.size(), 2u);
}

TEST_F(ProjectFileTest, FireGrowthReportIsMadeAgainForFilesBeforeVersionSixteen) {
  CPVN4Doc& doc = BuildProject();
  CRun& growth = *doc.areas[1]->runs[1];
  ASSERT_TRUE(growth.isEmbrith);
  growth.embrith.timeStep = 60;
  const CHeaderData& h = doc.landscape.header;
  auto perimeters = std::make_unique<CVectorTheme>();
  perimeters->hasPerimeterAttributes = true;
  perimeters->shapeType = 5;
  for (int k = 0; k < 2; ++k) {
    const double r = 100.0 * (k + 1);
    const double x[] = {h.west + 500 - r, h.west + 500 - r, h.west + 500 + r, h.west + 500 + r, h.west + 500 - r};
    const double y[] = {h.south + 500 - r, h.south + 500 + r, h.south + 500 + r, h.south + 500 - r, h.south + 500 - r};
    perimeters->shapes.push_back(VectorShape::Simple(5, 5, x, y, nullptr));
    perimeters->elapsedMinutes.push_back(60.0 * k);
    perimeters->month.push_back(7);
    perimeters->day.push_back(14);
    perimeters->hour.push_back(1000 + 100 * k);
    perimeters->fireType.push_back(1);
  }
  perimeters->ComputePerimeterAreas();
  growth.embrithPerimeters = doc.areas[1]->AdoptVectorTheme(std::move(perimeters));
  ASSERT_TRUE(projectfile::SaveProject(doc, Path("g.pvn"))) << ::testing::PrintToString(messages_.Texts());

  // As saved (version 16) the run has the logs its file holds; the same record read as
  // version 15 gains the report, its lines made from the perimeters.
  const std::string text = Slurp(Path("g.pvn"));
  std::string old = text;
  old.replace(old.find("Version 16"), 10, "Version 15");
  std::ofstream(Path("g15.pvn"), std::ios::binary) << old;
  std::filesystem::copy_file(Path("g.pzp"), Path("g15.pzp"), std::filesystem::copy_options::overwrite_existing);
  for (const char* name : {"g.pvn", "g15.pvn"}) {
    SCOPED_TRACE(name);
    CPVN4Doc read;
    ASSERT_TRUE(projectfile::ReadProject(read, Path(name))) << ::testing::PrintToString(messages_.Texts());
    const CRun& run = *read.areas[1]->runs[1];
    ASSERT_NE(run.embrithPerimeters, nullptr);
    const auto report = std::find_if(run.runLogs.begin(), run.runLogs.end(),
                                     [](const RunLogFile& l) { return l.name == "Fire Growth Report"; });
    if (std::string(name) == "g.pvn") {
      EXPECT_EQ(report, run.runLogs.end());
      continue;
    }
    ASSERT_NE(report, run.runLogs.end());
    // 200 m and 400 m squares: 9.88 and 39.54 acres.
    EXPECT_NE(report->text.find(" 00 01:00 \t\t07/14 11:00 \t        1 \t        0 \t    39.54"), std::string::npos)
        << report->text;
  }
}

TEST_F(ProjectFileTest, MissingFilesAndEntriesAreNamedAndTheRestOpens) {
  CPVN4Doc& doc = BuildProject();
  ASSERT_TRUE(projectfile::SaveProject(doc, Path("m.pvn")));
  std::filesystem::remove(Path("ridge.asc"));
  std::filesystem::remove(Path("roads.shp"));
  RunCommand("cd " + dir_ + " && zip -qd m.pzp 0.tmp");  // the embedded grid
  CPVN4Doc read;
  ASSERT_TRUE(projectfile::ReadProject(read, Path("m.pvn")));
  ASSERT_EQ(messages_.Texts().size(), 1u) << ::testing::PrintToString(messages_.Texts());
  const std::string said = messages_.Texts()[0];
  EXPECT_NE(said.find("ridge.asc"), std::string::npos) << said;
  EXPECT_NE(said.find("roads.shp"), std::string::npos) << said;
  EXPECT_NE(said.find("0.tmp"), std::string::npos) << said;
  // Every record after them was read in step.
  EXPECT_EQ(read.areas.size(), 2u);
  ASSERT_EQ(read.areas[1]->runs.size(), 2u);
  EXPECT_EQ(read.areas[1]->runs[0]->outputThemes.size(), 4u);
  EXPECT_EQ(read.contourThemes.size(), 2u);
}

TEST_F(ProjectFileTest, DamagedGriddedWindsAreNamedByTheirEntryAndWhy) {
  CPVN4Doc& doc = BuildProject();
  ASSERT_TRUE(projectfile::SaveProject(doc, Path("w.pvn")));
  // The layer description cut short in the archive, which keeps its comment.
  const std::string entry = RunCommand("cd " + dir_ + " && unzip -Z1 w.pzp | grep '\\.xml$'");
  ASSERT_FALSE(entry.empty());
  const std::string name = entry.substr(0, entry.find('\n'));
  RunCommand("cd " + dir_ + " && mkdir cut && printf '<embrithWindGrids><layers><layer id=' > cut/" + name +
             " && cd cut && zip -q ../w.pzp " + name);
  CPVN4Doc read;
  ASSERT_TRUE(projectfile::ReadProject(read, Path("w.pvn")));
  ASSERT_EQ(messages_.Texts().size(), 1u) << ::testing::PrintToString(messages_.Texts());
  const std::string said = messages_.Texts()[0];
  EXPECT_NE(said.find("the gridded winds of the run Growth"), std::string::npos) << said;
  EXPECT_NE(said.find("entry " + name + " is not well-formed XML (Error reading Attributes.)"), std::string::npos) << said;
  EXPECT_EQ(said.find("project-open-"), std::string::npos) << said;
}

}  // namespace

namespace {

// Hand-written files of older versions, from the record tables; "LCP" stands for the sample
// landscape's path.
struct OldFile {
  const char* name;
  const char* text;
};

std::string WithLandscape(std::string text) {
  const std::size_t at = text.find("LCP");
  return text.replace(at, 3, SamplePath("sample.lcp"));
}

TEST_F(ProjectFileTest, VersionOneReadsWithDefaultsAndItsOwnDrawOrder) {
  const std::string text = WithLandscape(
      "Pyrvane2 Project File Version 1\r\n"
      "LCP\r\n"
      "1.250000 1 0 0 800 600 220 0 0 0 0 0 0 0 0 0 0 0.0 0.0\r\n"
      "0\r\n"
      "1\r\n/nonexistent/roads.shp\r\nRoads\r\n1 255 0 2 65280 1 4 0 0 1\r\n"
      "0\r\n"
      "2\r\nV 0\r\nC 5\r\n"
      "1\r\nWhole\r\n100000000 100000000 -100000000 -100000000\r\n0\r\n"
      "1\r\nOld run\r\n/f.fms\r\n\r\n\r\n\r\n7/1/2003 2:00:00 PM\r\n\r\n"
      "0 1 45 10 60.0 60.0 0.2 10.0 0\r\n"
      "0 1 0 0 0 0 1 0 0 0 0 0 0 0 0 1 64\r\n"
      "0\r\n");
  std::ofstream(Path("old1.pvn"), std::ios::binary) << text;
  CPVN4Doc doc;
  ASSERT_TRUE(projectfile::ReadProject(doc, Path("old1.pvn")));
  // The missing shapefile is named; the rest opens.
  ASSERT_EQ(messages_.Texts().size(), 1u) << ::testing::PrintToString(messages_.Texts());
  EXPECT_NE(messages_.Texts()[0].find("/nonexistent/roads.shp"), std::string::npos);
  EXPECT_EQ(doc.zoomFactor, 1.1);
  ASSERT_EQ(doc.vectorThemes.size(), 1u);
  EXPECT_EQ(doc.vectorThemes[0]->pointSize, 4);
  EXPECT_EQ(doc.vectorThemes[0]->polygonWidth, 1);
  ASSERT_EQ(doc.drawPriority.size(), 1u);  // contour 5 does not exist
  EXPECT_EQ(doc.drawPriority[0].vectorTheme, doc.vectorThemes[0].get());
  ASSERT_EQ(doc.areas.size(), 1u);
  EXPECT_EQ(doc.areas[0]->legends.size(), doc.gridThemes.size());
  ASSERT_EQ(doc.areas[0]->runs.size(), 1u);
  const CRun& run = *doc.areas[0]->runs[0];
  EXPECT_EQ(run.inputs.projectValue1, 60.0);
  EXPECT_EQ(run.inputs.projectValue2, 5.0);
  EXPECT_EQ(run.inputs.foliarMoistureContent, 50.0);
  EXPECT_EQ(run.inputs.windSpeedUnits, 0);
  EXPECT_EQ(run.inputs.conditioningStart.GetHour(), 14);
  EXPECT_FALSE(run.outputs.spreadVectors);
  EXPECT_TRUE(run.outputs.useMemoryOutputs);
  EXPECT_EQ(run.outputs.crownFireMethod, 0);
  EXPECT_LE(run.outputs.numberOfProcessors, 64);
  // A file that ends after its areas keeps the shading and gets the view's defaults.
  EXPECT_EQ(doc.shadingAzimuth, 315);
  EXPECT_EQ(doc.mapView, (MapViewState{0, 0, 0, 0, 1.0}));
  EXPECT_EQ(doc.GetVisibleTheme(), doc.GetThemeByLayerType(3));
}

// The second half of a run record up to the treatment results, in a version-5 file.
const char* kVersion5Run =
    "/f.fms\n\n/w/a.wnd\n/w/a.wtr\n\n\n"
    "0 1 45 10 15.0 5.0 0.2 100.0 0 1\n"
    "\n\n"
    "0 -1\n"
    "0 1 0 0 0 0 1 0 0 0 0 0 0 0 0 1 1 0 1 1\n"
    "0\n"
    "-1 -1 -1 -1 1 0 0 0\n"
    "1 0 0 180.0 30.0 60.0 500.0 1 0 1 0 0 0 0\n\n0 0 0 0 0 0\n"
    "180.0 30.0 1 300.0 0.1 0 0 0 0 0 0 0 0 0\n\n0 0 0 0 0 0\n\n"
    "0 -1\n"
    "0 0\n0 0\n0 0\n"
    "0\n0\n0\n0\n0\n";

TEST_F(ProjectFileTest, OldWeatherFilesAreOfferedOnceForConversionAndNoLeavesThemOut) {
  std::string text = WithLandscape("Pyrvane2 Project File Version 5\nLCP\n1.2 1 0 0 800 600 220 0 0 0 0 0 0 0 0 0 0\n0\n0\n0\n0\n"
                                   "1\nWhole\n100000000 100000000 -100000000 -100000000\n0\n2\n");
  text += std::string("First\n") + kVersion5Run + "Second\n" + kVersion5Run + "0 315 0.5\n";
  std::ofstream(Path("old5.pvn"), std::ios::binary) << text;
  messages_.Script({platform::Answer::No});
  CPVN4Doc doc;
  ASSERT_TRUE(doc.OnOpenDocument(Path("old5.pvn"), [](CPVN4Doc& d, const std::string& p) {
    return projectfile::ReadProject(d, p);
  }));
  ASSERT_EQ(messages_.Texts().size(), 1u) << ::testing::PrintToString(messages_.Texts());
  EXPECT_EQ(messages_.Texts()[0].rfind("WTR and WND files are no longer supported by Pyrvane", 0), 0u);
  EXPECT_EQ(doc.zoomFactor, 1.2);
  ASSERT_EQ(doc.areas[0]->runs.size(), 2u);
  for (const auto& run : doc.areas[0]->runs) {
    EXPECT_TRUE(run->inputs.windFile.empty() && run->inputs.weatherFile.empty());
    EXPECT_TRUE(run->inputs.useWeatherStream);
    EXPECT_TRUE(run->fireBehaviorUpToDate);
    EXPECT_EQ(run->mtt.ignitionSource, 0);
    EXPECT_EQ(run->mtt.rateOfSpread, 1);
  }
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(ProjectFileTest, VersionTwoCombinedLineGivesTreatmentTheTravelTimeFlags) {
  std::string text = WithLandscape("Pyrvane2 Project File Version 2\nLCP\n1.1 1 0 0 800 600 220 0 0 0 0 0 0 0 0 0 0\n0\n0\n0\n0\n"
                                   "1\nWhole\n100000000 100000000 -100000000 -100000000\n0\n1\n");
  text +=
      "Run\n\n\n\n\n\n\n0 1 0 0 15 5 0.2 100 0 0\n\n\n0 -1\n"
      "0 1 0 0 0 0 1 0 0 0 0 0 0 0 0 1 1 0 1 0\n0\n"
      // MTT settings, ROS, influence, arrival, TOM treatment, intensity, flow, major, contour,
      // max dimension (integer), fraction, iterations
      "2 0 0 180.0 30.0 120.0 500.0 1 0 1 1 0 1 0 1 250 0.2 3\n/ign.shp\n\n"
      "0 0\n0 0\n0 0\n0\n0\n0\n0\n0\n";
  std::ofstream(Path("old2.pvn"), std::ios::binary) << text;
  CPVN4Doc doc;
  ASSERT_TRUE(projectfile::ReadProject(doc, Path("old2.pvn"))) << ::testing::PrintToString(messages_.Texts());
  const CRun& run = *doc.areas[0]->runs[0];
  EXPECT_EQ(run.mtt.simulationTime, 120.0);
  EXPECT_EQ(run.mtt.ignitionFile, "/ign.shp");
  EXPECT_EQ(run.tom.treatments, 1);
  EXPECT_EQ(run.tom.maxTreatmentDimension, 250.0);
  EXPECT_DOUBLE_EQ(run.tom.treatmentFraction, 0.2);
  EXPECT_EQ(run.tom.iterations, 3);
  EXPECT_EQ(run.tom.rateOfSpread, 1);
  EXPECT_EQ(run.tom.arrivalTime, 1);
  EXPECT_EQ(run.tom.flowPaths, 1);
  EXPECT_EQ(run.tom.arrivalContour, 1);
  EXPECT_EQ(run.tom.nodeInfluence, 0);
  // The file ends before its shading and view lines.
  EXPECT_EQ(doc.mapView.scrollWidth, 0);
}

}  // namespace
