// Project archives: a project with every kind of input packs in order, unpacks elsewhere and
// opens equal; hostile or ambiguous archives are refused without writing outside the folder.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "project/project_archive.h"
#include "project/project_file.h"
#include "project_file_fixture.h"
#include "zip/zip_archive.h"

namespace {

namespace fs = std::filesystem;
using project_test::ProjectFileTest;
using project_test::RunCommand;
using project_test::SamplePath;
using project_test::Slurp;

void Write(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Every path below a folder, relative to it, sorted.
std::vector<std::string> Tree(const std::string& folder) {
  std::vector<std::string> out;
  if (!fs::exists(folder)) return out;
  for (const auto& e : fs::recursive_directory_iterator(folder)) out.push_back(fs::relative(e.path(), folder).string());
  std::sort(out.begin(), out.end());
  return out;
}

class ProjectArchiveTest : public ProjectFileTest {
 protected:
  std::string In(const std::string& name) { return Path("inputs/" + name); }

  // A shapefile of one line with its three companions.
  void Shapefile(const std::string& path) {
    const CHeaderData& h = doc_->landscape.header;
    CVectorTheme t;
    t.CreateFromLineList("t", h.east, h.west, h.south, h.north, {{h.west + 10, h.south + 10, h.west + 500, h.south + 700}});
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(t.SaveShapefile(path, doc_->landscape.projection));
  }

  // The full project plus a run naming every kind of input file, saved as a.pvn.
  CPVN4Doc& ProjectWithEveryInput() {
    CPVN4Doc& doc = BuildProject();
    fs::create_directories(Path("inputs"));
    fs::copy_file(SamplePath("sample.lcp"), In("ideal.LCP"));
    fs::copy_file(SamplePath("sample.prj"), In("ideal.prj"));
    for (const char* f : {"fuel.fms", "custom.fmd", "daily.wnd", "daily.wtr", "stream.wxs", "fires.txt", "ros.adj"})
      Write(In(f), std::string("contents of ") + f + "\n");
    Write(In("grids/dir.asc"), "direction grid\n");
    Write(In("grids/spd.asc"), "speed grid\n");
    Write(In("atm/speed one.asc"), "speed one\n");
    Write(In("atm/speed one.prj"), "projection\n");
    Write(In("atm/dir1.asc"), "dir one\n");
    Write(In("atm/winds.atm"),
          "WINDS_AND_CLOUDS\nENGLISH\n7 14 1000 \"speed one.asc\" \"dir1.asc\"\n7 14 1100 short\n");
    Shapefile(In("mtt_ign.shp"));
    Shapefile(In("barrier.shp"));
    Shapefile(In("tom_ign.shp"));
    Shapefile(In("eign.shp"));
    doc.areas[1]->runs[0]->inputs.fuelMoistureFile = In("fuel.fms");  // shared with the new run: stored once
    CRun* run = doc.areas[1]->AddRun(std::make_unique<CRun>());
    run->name = "Every input";
    CRunInputs& in = run->inputs;
    in.fuelMoistureFile = In("fuel.fms"), in.customFuelsFile = In("custom.fmd");
    in.windFile = In("daily.wnd"), in.weatherFile = In("daily.wtr"), in.weatherStreamFile = In("stream.wxs");
    in.useWeatherStream = true;  // so that opening does not offer to convert the daily files
    in.windType = 2, in.griddedWindDirectionFile = In("grids/dir.asc"), in.griddedWindSpeedFile = In("grids/spd.asc");
    run->mtt.ignitionFile = In("mtt_ign.shp"), run->mtt.barrierFile = In("barrier.shp");
    run->mtt.fireListFile = In("fires.txt");
    run->tom.ignitionFile = In("tom_ign.shp"), run->tom.idealLandscapeFile = In("ideal.LCP");
    run->embrith.ignitionFile = In("eign.shp");
    run->embrith.barrierFile = In("barrier.shp");  // shared with the travel-time run: stored once
    run->embrith.rosAdjustFile = In("ros.adj"), run->embrith.atmFile = In("atm/winds.atm");
    run->isEmbrith = true;
    EXPECT_TRUE(projectfile::SaveProject(doc, Path("a.pvn"))) << ::testing::PrintToString(messages_.Texts());
    return doc;
  }
};

TEST_F(ProjectArchiveTest, EveryInputKindPacksInOrderAndOpensEqualFromAnotherFolder) {
  CPVN4Doc& doc = ProjectWithEveryInput();
  ASSERT_TRUE(projectarchive::WriteArchive(doc, Path("a.pvn"), Path("a.pza")));
  EXPECT_TRUE(messages_.Texts().empty()) << ::testing::PrintToString(messages_.Texts());
  RunCommand("unzip -tq " + Path("a.pza"));

  // The entry order: version, project, companion, landscape, grids, shapefiles, run inputs.
  auto entry = [](std::string p) { return p.substr(p.find_first_not_of('/')); };
  std::vector<std::string> expected = {"ArchiveVersion.txt", "a.pvn", "a.pzp", entry(SamplePath("sample.lcp")),
                                       entry(SamplePath("sample.prj")), entry(Path("ridge.asc"))};
  for (const char* shp : {"roads", "winds"})
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj"}) expected.push_back(entry(Path(std::string(shp) + ext)));
  for (const char* f : {"fuel.fms", "custom.fmd", "daily.wnd", "daily.wtr", "stream.wxs", "grids/dir.asc", "grids/spd.asc"})
    expected.push_back(entry(In(f)));
  for (const char* shp : {"mtt_ign", "barrier", "tom_ign"})
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj"}) expected.push_back(entry(In(std::string(shp) + ext)));
  for (const char* f : {"ideal.LCP", "ideal.prj", "fires.txt"}) expected.push_back(entry(In(f)));
  for (const char* ext : {".shp", ".shx", ".dbf", ".prj"}) expected.push_back(entry(In(std::string("eign") + ext)));
  for (const char* f : {"ros.adj", "atm/winds.atm", "atm/speed one.asc", "atm/speed one.prj", "atm/dir1.asc"})
    expected.push_back(entry(In(f)));
  std::vector<std::string> listed;
  std::istringstream lines(RunCommand("zipinfo -1 " + Path("a.pza")));
  for (std::string l; std::getline(lines, l);) listed.push_back(l);
  EXPECT_EQ(listed, expected);
  CZipArchive zip;
  zip.Open(Path("a.pza"), CZipArchive::zipOpenReadOnly);
  CZipMemFile version;
  ASSERT_TRUE(zip.ExtractToMemory(0, version));
  EXPECT_EQ(std::string(version.Data(), version.GetLength()), "4");
  zip.Close();

  // Unpacked into another folder, the project names only files there and equals the original.
  const std::string elsewhere = Path("elsewhere");
  fs::create_directories(elsewhere);
  const std::string opened = projectarchive::ExtractArchive(Path("a.pza"), elsewhere);
  ASSERT_EQ(opened, elsewhere + "/a.pvn") << ::testing::PrintToString(messages_.Texts());
  const std::vector<std::string> files = Tree(elsewhere);
  EXPECT_EQ(files.size(), expected.size() - 1) << ::testing::PrintToString(files);  // all but the version entry
  for (const std::string& f : files) EXPECT_EQ(f.find('/'), std::string::npos) << f;
  CPVN4Doc second;
  ASSERT_TRUE(projectfile::ReadProject(second, opened)) << ::testing::PrintToString(messages_.Texts());
  EXPECT_TRUE(messages_.Texts().empty()) << ::testing::PrintToString(messages_.Texts());
  EXPECT_EQ(second.landscape.path, elsewhere + "/sample.lcp");
  ASSERT_EQ(second.gridThemes.size(), doc.gridThemes.size());
  for (std::size_t i = 0; i < doc.gridThemes.size(); ++i) {
    EXPECT_EQ(second.gridThemes[i]->ThemeBytes(), doc.gridThemes[i]->ThemeBytes()) << i;
    EXPECT_EQ(second.gridThemes[i]->name, doc.gridThemes[i]->name);
  }
  ASSERT_EQ(second.vectorThemes.size(), doc.vectorThemes.size());
  EXPECT_EQ(second.vectorThemes[0]->sourcePath, elsewhere + "/roads.shp");
  EXPECT_EQ(second.vectorThemes[0]->ThemeBytes(), doc.vectorThemes[0]->ThemeBytes());
  ASSERT_EQ(second.windVectorThemes.size(), 1u);
  EXPECT_EQ(second.windVectorThemes[0]->count, doc.windVectorThemes[0]->count);
  EXPECT_EQ(second.contourThemes.size(), doc.contourThemes.size());
  ASSERT_EQ(second.areas.size(), doc.areas.size());
  for (std::size_t a = 0; a < doc.areas.size(); ++a) {
    ASSERT_EQ(second.areas[a]->runs.size(), doc.areas[a]->runs.size());
    for (std::size_t r = 0; r < doc.areas[a]->runs.size(); ++r) {
      const CRun& x = *doc.areas[a]->runs[r];
      const CRun& y = *second.areas[a]->runs[r];
      ASSERT_EQ(y.outputThemes.size(), x.outputThemes.size());
      for (std::size_t t = 0; t < x.outputThemes.size(); ++t)
        EXPECT_EQ(y.outputThemes[t]->ThemeBytes(), x.outputThemes[t]->ThemeBytes());
    }
  }
  // Each input now names the copy in the folder, byte for byte the original.
  const CRun& before = *doc.areas[1]->runs.back();
  const CRun& after = *second.areas[1]->runs.back();
  const std::pair<const std::string*, const std::string*> inputs[] = {
      {&before.inputs.fuelMoistureFile, &after.inputs.fuelMoistureFile},
      {&before.inputs.customFuelsFile, &after.inputs.customFuelsFile},
      {&before.inputs.windFile, &after.inputs.windFile},
      {&before.inputs.weatherFile, &after.inputs.weatherFile},
      {&before.inputs.weatherStreamFile, &after.inputs.weatherStreamFile},
      {&before.inputs.griddedWindDirectionFile, &after.inputs.griddedWindDirectionFile},
      {&before.inputs.griddedWindSpeedFile, &after.inputs.griddedWindSpeedFile},
      {&before.mtt.ignitionFile, &after.mtt.ignitionFile},
      {&before.mtt.barrierFile, &after.mtt.barrierFile},
      {&before.mtt.fireListFile, &after.mtt.fireListFile},
      {&before.tom.ignitionFile, &after.tom.ignitionFile},
      {&before.tom.idealLandscapeFile, &after.tom.idealLandscapeFile},
      {&before.embrith.ignitionFile, &after.embrith.ignitionFile},
      {&before.embrith.barrierFile, &after.embrith.barrierFile},
      {&before.embrith.rosAdjustFile, &after.embrith.rosAdjustFile},
      {&before.embrith.atmFile, &after.embrith.atmFile}};
  for (const auto& [was, now] : inputs) {
    EXPECT_EQ(*now, elsewhere + "/" + fs::path(*was).filename().string());
    EXPECT_EQ(Slurp(*now), Slurp(*was)) << *now;
  }
  // The atmosphere file's grids sit beside it, where its relative names find them.
  EXPECT_EQ(Slurp(elsewhere + "/speed one.asc"), "speed one\n");
  EXPECT_TRUE(fs::exists(elsewhere + "/speed one.prj"));
  EXPECT_TRUE(fs::exists(elsewhere + "/dir1.asc"));
  EXPECT_TRUE(fs::exists(elsewhere + "/sample.prj"));
  EXPECT_TRUE(fs::exists(elsewhere + "/ideal.prj"));
  EXPECT_TRUE(fs::exists(elsewhere + "/eign.dbf"));

  // Unpacking again over the same files asks first; No writes nothing.
  fs::remove(elsewhere + "/fires.txt");
  messages_.Clear();
  messages_.Script({platform::Answer::No});
  EXPECT_EQ(projectarchive::ExtractArchive(Path("a.pza"), elsewhere), "");
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_NE(messages_.Texts()[0].find("already holds these files:\na.pvn\n"), std::string::npos) << messages_.Texts()[0];
  EXPECT_FALSE(fs::exists(elsewhere + "/fires.txt"));
  messages_.Script({platform::Answer::Yes});
  EXPECT_EQ(projectarchive::ExtractArchive(Path("a.pza"), elsewhere), opened);
  EXPECT_TRUE(fs::exists(elsewhere + "/fires.txt"));
}

TEST_F(ProjectArchiveTest, MissingFilesAreNamedWhenPackingAndKeepTheirLinesWhenUnpacking) {
  CPVN4Doc& doc = ProjectWithEveryInput();
  fs::remove(Path("ridge.asc"));
  fs::remove(In("fires.txt"));
  fs::remove(In("eign.shp"));
  ASSERT_TRUE(projectarchive::WriteArchive(doc, Path("a.pvn"), Path("a.pza")));
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_EQ(messages_.Texts()[0], "The archive " + Path("a.pza") + " was written without these files, which could not be read:\n" +
                                      Path("ridge.asc") + "\n" + In("fires.txt") + "\n" + In("eign.shp"));
  messages_.Clear();
  const std::string elsewhere = Path("elsewhere");
  fs::create_directories(elsewhere);
  const std::string opened = projectarchive::ExtractArchive(Path("a.pza"), elsewhere);
  ASSERT_FALSE(opened.empty()) << ::testing::PrintToString(messages_.Texts());
  // The missing grid keeps its path and name lines: the project opens without that grid,
  // names it, and every later record is read in step.
  CPVN4Doc second;
  ASSERT_TRUE(projectfile::ReadProject(second, opened)) << ::testing::PrintToString(messages_.Texts());
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_NE(messages_.Texts()[0].find(elsewhere + "/ridge.asc"), std::string::npos) << messages_.Texts()[0];
  EXPECT_EQ(second.gridThemes.size(), doc.gridThemes.size() - 1);
  ASSERT_EQ(second.areas.size(), 2u);
  const CRun& run = *second.areas[1]->runs.back();
  EXPECT_EQ(run.name, "Every input");
  EXPECT_EQ(run.mtt.fireListFile, "");         // not in the archive: emptied
  EXPECT_EQ(run.embrith.ignitionFile, "");     // shapefile not in the archive: emptied
  EXPECT_EQ(run.inputs.fuelMoistureFile, elsewhere + "/fuel.fms");
  EXPECT_EQ(second.mapView, doc.mapView);
}

// A minimal project archive whose project names `name` as its landscape, the entries made by
// Python's zipfile exactly as given (a symlink when link is set).
void HostileArchive(const std::string& path, const std::string& name, bool link, const std::string& extra = {}) {
  const std::string script =
      "import sys, zipfile\n"
      "name, link, extra = sys.argv[2], sys.argv[3] == '1', sys.argv[4]\n"
      "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
      "    z.writestr('p.pvn', 'Pyrvane6 Project File Version 16\\n' + name + '\\n')\n"
      "    z.writestr('p.pzp', b'')\n"
      "    i = zipfile.ZipInfo(name)\n"
      "    i.create_system = 3\n"
      "    i.external_attr = (0o120777 if link else 0o100644) << 16\n"
      "    z.writestr(i, '/etc/passwd' if link else 'landscape')\n"
      "    if extra:\n"
      "        z.writestr(extra, 'second')\n";
  Write(path + ".py", script);
  RunCommand(std::string(PV_PYTHON) + " " + Quote(path + ".py") + " " + Quote(path) + " " + Quote(name) + " " +
             (link ? "1" : "0") + " " + Quote(extra));
}

TEST_F(ProjectArchiveTest, HostileAndAmbiguousArchivesAreRefusedAndNothingLeavesTheFolder) {
  struct Case {
    const char* name;
    bool link;
    const char* extra;   // a second entry of the same file name, named by the grid line
    const char* refusal;  // "" when the entry lands in the folder as "x"
  } cases[] = {
      {"../x", false, "", "its name steps out of its folder"},
      {"..\\..\\x", false, "", "its name steps out of its folder"},
      {"a/./x", false, "", "its name steps out of its folder"},
      {"/abs/x", false, "", ""},   // a path as a project holds it: only its file name is used
      {"C:\\x", false, "", ""},
      {"data/x", true, "", "it is a symbolic link"},
      {"one/x", false, "two/x", "have the same file name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.Clear();
    const std::string root = Path(std::string("case") + std::to_string(&c - cases));
    const std::string target = root + "/target/inner";
    fs::create_directories(target);
    HostileArchive(root + "/h.pza", c.name, c.link, c.extra);
    if (*c.extra) {
      // The project names both entries: as its landscape and as a grid theme.
      std::string project = "Pyrvane6 Project File Version 16\n" + std::string(c.name) +
                            "\n1 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n1\n" + c.extra + "\nsecond grid\n";
      Write(root + "/p.pvn", project);
      RunCommand("cd " + Quote(root) + " && zip -q h.pza p.pvn");
    }
    const std::string opened = projectarchive::ExtractArchive(root + "/h.pza", target);
    if (*c.refusal) {
      EXPECT_EQ(opened, "");
      ASSERT_EQ(messages_.Texts().size(), 1u);
      EXPECT_NE(messages_.Texts()[0].find(c.refusal), std::string::npos) << messages_.Texts()[0];
      EXPECT_NE(messages_.Texts()[0].find("Nothing was written."), std::string::npos);
      EXPECT_TRUE(Tree(target).empty()) << ::testing::PrintToString(Tree(target));
    } else {
      EXPECT_EQ(opened, target + "/p.pvn") << ::testing::PrintToString(messages_.Texts());
      EXPECT_EQ(Slurp(target + "/x"), "landscape");
      EXPECT_EQ(Slurp(opened), "Pyrvane6 Project File Version 16\n" + target + "/x\n");
    }
    // Nothing beside or above the folder.
    EXPECT_EQ(Tree(root + "/target"), Tree(target).empty() ? std::vector<std::string>{"inner"} : [&] {
      std::vector<std::string> v{"inner"};
      for (const std::string& f : Tree(target)) v.push_back("inner/" + f);
      return v;
    }());
  }
}

TEST_F(ProjectArchiveTest, ArchivesWithoutOneProjectOrThatTheLibraryRefusesSaySo) {
  const std::string target = Path("target");
  fs::create_directories(target);
  Write(Path("src/a.pvn"), "Pyrvane6 Project File Version 16\n");
  Write(Path("src/b.PVN"), "Pyrvane6 Project File Version 16\n");
  Write(Path("src/sub/c.pvn"), "Pyrvane6 Project File Version 16\n");
  RunCommand("cd " + Quote(Path("src")) + " && zip -q ../none.pza sub/c.pvn && zip -q ../two.pza a.pvn b.PVN");
  // Two hundred entries that all point at the same compressed bytes.
  const std::string bomb =
      "import sys, struct, zlib\n"
      "data = zlib.compress(b'\\0' * 1000000)[2:-4]\n"
      "crc = zlib.crc32(b'\\0' * 1000000)\n"
      "local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, 8, 0, 0, crc, len(data), 1000000, 7, 0) + b'000.pvn' + data\n"
      "central = b''\n"
      "for i in range(200):\n"
      "    n = ('%03d.pvn' % i).encode()\n"
      "    central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, 0, 8, 0, 0, crc, len(data), 1000000, len(n), 0, 0, 0, 0, 0, 0) + n\n"
      "end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 200, 200, len(central), len(local), 0)\n"
      "open(sys.argv[1], 'wb').write(local + central + end)\n";
  Write(Path("bomb.py"), bomb);
  RunCommand(std::string(PV_PYTHON) + " " + Quote(Path("bomb.py")) + " " + Quote(Path("bomb.pza")));
  Write(Path("junk.pza"), "not an archive at all");
  // A project archive whose landscape entry is stretched over the entry after it.
  {
    CZipArchive zip;
    zip.Open(Path("stretched.pza"), CZipArchive::zipCreate);
    const std::string project = "Pyrvane6 Project File Version 16\n/x/l.lcp\n";
    CZipMemFile text(project.data(), static_cast<std::uint32_t>(project.size())), empty("", 0);
    const std::string big(200000, 'z');
    CZipMemFile landscape(big.data(), static_cast<std::uint32_t>(big.size()));
    ASSERT_TRUE(zip.AddNewFileFromMemory(&landscape, "x/l.lcp"));
    ASSERT_TRUE(zip.AddNewFileFromMemory(&text, "p.pvn"));
    ASSERT_TRUE(zip.AddNewFileFromMemory(&empty, "p.pzp"));
    zip.Close();
    std::string bytes = Slurp(Path("stretched.pza"));
    const std::size_t central = bytes.find(std::string("PK\x01\x02", 4));
    const std::uint32_t stretched = static_cast<std::uint32_t>(central - 30 - 7);
    for (std::size_t at : {std::size_t{18}, central + 20})
      for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(stretched >> (8 * i));
    Write(Path("stretched.pza"), bytes);
  }
  const struct {
    const char* archive;
    const char* says;
  } cases[] = {{"none.pza", "holds no project file (*.pvn) at its top level"},
               {"two.pza", "holds more than one project file:\na.pvn\nb.PVN"},
               {"bomb.pza", "share their data"},
               {"stretched.pza", "overlaps the next entry"},
               {"junk.pza", "could not be opened"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    messages_.Clear();
    EXPECT_EQ(projectarchive::ExtractArchive(Path(c.archive), target), "");
    ASSERT_EQ(messages_.Texts().size(), 1u);
    EXPECT_NE(messages_.Texts()[0].find(Path(c.archive)), std::string::npos) << messages_.Texts()[0];
    EXPECT_NE(messages_.Texts()[0].find(c.says), std::string::npos) << messages_.Texts()[0];
    // The stretched entry is the first one extracted: nothing lands.
    EXPECT_TRUE(Tree(target).empty()) << ::testing::PrintToString(Tree(target));
  }
}

// An archive made by Info-ZIP from the same layout, with a file name outside ASCII (kept as
// UTF-8 without the flag, as Info-ZIP does on Unix), unpacks and opens.
TEST_F(ProjectArchiveTest, AnArchiveMadeByInfoZipUnpacks) {
  const std::string name = "Gr\xC3\xB6\xC3\x9F" "e \xC3\xB1" "and\xC3\xBA.txt";  // Größe ñandú.txt
  CPVN4Doc& doc = ProjectWithEveryInput();
  Write(In(name), "moistures\n");
  doc.areas[1]->runs.back()->inputs.fuelMoistureFile = In(name);
  ASSERT_TRUE(projectfile::SaveProject(doc, Path("a.pvn")));
  RunCommand("cd " + Quote(Path("")) + " && printf 4 > ArchiveVersion.txt && LC_ALL=C zip -q iz.pza ArchiveVersion.txt a.pvn a.pzp && "
             "LC_ALL=C zip -q iz.pza " + Quote(SamplePath("sample.lcp")) + " " + Quote(In(name)));
  EXPECT_NE(RunCommand("zipinfo -1 " + Path("iz.pza")).find(name), std::string::npos);
  const std::string target = Path("target");
  fs::create_directories(target);
  const std::string opened = projectarchive::ExtractArchive(Path("iz.pza"), target);
  ASSERT_FALSE(opened.empty()) << ::testing::PrintToString(messages_.Texts());
  EXPECT_EQ(Slurp(target + "/" + name), "moistures\n");
  CPVN4Doc second;
  ASSERT_TRUE(projectfile::ReadProject(second, opened));
  EXPECT_EQ(second.areas[1]->runs.back()->inputs.fuelMoistureFile, target + "/" + name);
  EXPECT_EQ(second.landscape.path, target + "/sample.lcp");
}

// A run record of version v as the record tables give it, naming a file of every kind the
// version holds.
std::string RunRecord(int v) {
  std::string s = "Run " + std::to_string(v) + "\n/v/f.fms\n\n\n\n\n\n0 1 45 10 15.0 5.0 0.2 100.0 0 1\n";
  if (v >= 11) s += "/v/stream.wxs\n1\n";
  if (v == 1) return s + "0 1 0 0 0 0 1 0 0 0 0 0 0 0 0 1 1 0 1 1\n0\n";
  s += "\n\n";
  if (v >= 6) s += "120\n";
  if (v >= 7) s += "0 80.0 20.0 -114.0 -7\n\n";
  s += "0 -1\n0 1 0 0 0 0 1 0 0 0 0 0 0 0 0 1 1 0 1 1\n";
  if (v >= 6) s += "0 0 0 0 0 0 0\n";
  s += "0\n";
  if (v >= 4) s += "-1 -1 -1 -1 1 0 0 0\n";
  if (v >= 6) s += "-1 -1 -1\n";
  if (v == 2) s += "1 0 0 180.0 30.0 60.0 500.0 1 0 1 0 0 0 0 0 300 0.1 1\n/v/ign.shp\n/v/ideal.lcp\n";
  if (v >= 3) {
    s += "1 0 0 180.0 30.0 60.0 500.0 1 0 1 0 0 0 0\n/v/ign.shp\n";
    if (v >= 4) s += "0 0 0 0 0 0\n";
    if (v >= 6) s += std::string("/v/bar.shp\n0 0 0 0 0 0\n") + (v >= 11 ? "0 1 0.0 7\n" : "0 1 0.0\n");
    if (v >= 9) s += "6 4 0 0 0 0 0 0 0\n/v/fires.txt\n";
    s += "180.0 30.0 1 300.0 0.1 0 0 0 0 0 0 0 0 0\n/v/tom.shp\n";
    if (v >= 4) s += "0 0 0 0 0 0\n";
    s += "/v/ideal.lcp\n";
    if (v >= 4) s += "0 -1\n";
    if (v >= 6) s += "0 -1\n";
  }
  s += "0 0\n0 0\n0 0\n";
  if (v >= 9) s += "0 0\n0\n";
  s += "0\n0\n0\n0\n0\n";
  if (v >= 12) {
    s += "0 0 0 0 0 0 0 0 0 0 0 0 1 0 0\n1 1 30.0 30.0 30.0 0.0 0 30.0 15.0\n/v/eign.shp\n0 0 0 0 0 0\n\n0 0 0 0 0 0\n"
         "/v/ros.adj\n1\n7 14 10 18\n";
    if (v >= 14) s += "/v/winds.atm\n";
    s += "0 0\n0 0\n0 -1\n";
    if (v >= 15) s += "0 -1\n";
  }
  return s;
}

TEST_F(ProjectArchiveTest, EveryVersionReadsAndUnpacksWithItsPathsRewritten) {
  // The files the records name, packed under their paths with an empty companion archive.
  {
    CZipArchive companion;
    companion.Open(Path("empty.zip"), CZipArchive::zipCreate);
    companion.Close();
  }
  for (int v = 1; v <= projectfile::kCurrentVersion; ++v) {
    SCOPED_TRACE(v);
    messages_.Clear();
    std::string text = std::string(projectfile::HeaderLine(v)) + "\n" + SamplePath("sample.lcp") +
                       "\n1.2 1 0 0 800 600 220 0 0 0 0 0 0 0 0 0 0\n0\n0\n0\n";
    if (v >= 2) text += "0\n";
    if (v == 1) text += "0\n";  // an empty draw-order section
    text += "1\nWhole\n100000000 100000000 -100000000 -100000000\n0\n2\n" + RunRecord(v) + RunRecord(v) +
            "1 200 0.5\n";
    Write(Path("v.pvn"), text);
    CPVN4Doc read;
    ASSERT_TRUE(projectfile::ReadProject(read, Path("v.pvn"))) << ::testing::PrintToString(messages_.Texts());
    EXPECT_TRUE(messages_.Texts().empty()) << ::testing::PrintToString(messages_.Texts());
    ASSERT_EQ(read.areas[0]->runs.size(), 2u);
    EXPECT_EQ(read.areas[0]->runs[1]->name, "Run " + std::to_string(v));
    EXPECT_EQ(read.shadingAzimuth, 200);  // read in step to the end

    const std::string pza = Path("v" + std::to_string(v) + ".pza"), target = Path("t" + std::to_string(v));
    {
      CZipArchive zip;
      zip.Open(pza, CZipArchive::zipCreate);
      ASSERT_TRUE(zip.AddNewFile(Path("v.pvn"), "p.pvn"));
      ASSERT_TRUE(zip.AddNewFile(Path("empty.zip"), "p.pzp"));
      ASSERT_TRUE(zip.AddNewFile(SamplePath("sample.lcp"), SamplePath("sample.lcp")));
      for (const char* f : {"f.fms", "stream.wxs", "ign.shp", "bar.shp", "fires.txt", "tom.shp", "ideal.lcp",
                            "eign.shp", "ros.adj", "winds.atm"}) {
        CZipMemFile bytes(f, static_cast<std::uint32_t>(std::strlen(f)));
        ASSERT_TRUE(zip.AddNewFileFromMemory(&bytes, std::string("/v/") + f));
      }
      zip.Close();
    }
    fs::create_directories(target);
    const std::string opened = projectarchive::ExtractArchive(pza, target);
    ASSERT_EQ(opened, target + "/p.pvn") << ::testing::PrintToString(messages_.Texts());
    CPVN4Doc unpacked;
    ASSERT_TRUE(projectfile::ReadProject(unpacked, opened)) << ::testing::PrintToString(messages_.Texts());
    EXPECT_EQ(unpacked.shadingAzimuth, 200);
    const CRun& run = *unpacked.areas[0]->runs[1];
    auto at = [&](const char* f, bool held) { return held ? target + "/" + f : std::string(); };
    EXPECT_EQ(run.inputs.fuelMoistureFile, at("f.fms", true));
    EXPECT_EQ(run.inputs.weatherStreamFile, at("stream.wxs", v >= 11));
    EXPECT_EQ(run.mtt.ignitionFile, at("ign.shp", v >= 2));
    EXPECT_EQ(run.mtt.barrierFile, at("bar.shp", v >= 6));
    EXPECT_EQ(run.mtt.fireListFile, at("fires.txt", v >= 9));
    EXPECT_EQ(run.tom.ignitionFile, at("tom.shp", v >= 3));
    EXPECT_EQ(run.tom.idealLandscapeFile, at("ideal.lcp", v >= 2));
    EXPECT_EQ(run.embrith.ignitionFile, at("eign.shp", v >= 12));
    EXPECT_EQ(run.embrith.rosAdjustFile, at("ros.adj", v >= 12));
    EXPECT_EQ(run.embrith.atmFile, at("winds.atm", v >= 14));
    EXPECT_EQ(run.mtt.spotDelay, v >= 11 ? 7 : 0);
    EXPECT_EQ(run.inputs.griddedWindsResolution, v >= 6 ? 120 : 90);
  }
}

}  // namespace
