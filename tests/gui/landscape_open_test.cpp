// Damaged landscapes through the window's own open commands: each is refused at once with a
// message naming the file and what is wrong, without taking memory, and the program goes on.
#include <gtest/gtest.h>

#include <gdal_priv.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "landscape/landscape.h"
#include "program_fixture.h"
#include "project/document.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "views/view_commands.h"
#include "widgets/screenshot.h"

namespace fs = std::filesystem;
using namespace app;
using namespace app::ui;
using program_test::Command;
using program_test::SampleLcp;

namespace {

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
  return 0;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

void WriteGeoTiff(const std::string& path, int columns, int rows, int bands, bool sparse) {
  GDALAllRegister();
  const char* options[] = {"SPARSE_OK=TRUE", "TILED=YES", nullptr};
  GDALDataset* ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
      path.c_str(), columns, rows, bands, GDT_Int16, sparse ? const_cast<char**>(options) : nullptr);
  ASSERT_TRUE(ds);
  double gt[6] = {500000, 30, 0, 4900000, 0, -30};
  ds->SetGeoTransform(gt);
  GDALClose(ds);
}

class LandscapeOpen : public program_test::ProgramTest {
 protected:
  LandscapeOpen() : ProgramTest("test-landscape-open") {}
  void SetUp() override {
    ProgramTest::SetUp();
    folder_ = fs::path(PV_BINARY_DIR) / "test-landscape-open" / "files";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    // As on a machine with 16 GB, whatever this one has.
    landscape::SetLandscapeMemoryBudget(std::uint64_t(8) << 30);
  }
  void TearDown() override {
    landscape::SetLandscapeMemoryBudget(std::nullopt);
    ProgramTest::TearDown();
  }
  std::string File(const std::string& name) const { return (folder_ / name).string(); }

  struct Damaged {
    std::string path, reason;
  };
  // The damaged files, each with the words its message must hold.
  std::vector<Damaged> MakeDamagedFiles() const {
    const std::string sample = Bytes(SampleLcp());
    std::string claim = sample;
    const std::int32_t huge = 30000;
    std::memcpy(claim.data() + 4164, &huge, 4);
    std::memcpy(claim.data() + 4168, &huge, 4);
    Write(File("short.lcp"), sample.substr(0, sample.size() - 916));
    Write(File("header-only.lcp"), sample.substr(0, 7316));
    Write(File("claims.lcp"), claim.substr(0, 39 * 1024));
    WriteGeoTiff(File("sparse.tif"), 30000, 30000, 8, true);
    WriteGeoTiff(File("one-band.tif"), 20, 10, 1, false);
    Write(File("notes.lcp"), "These are notes about the landscape, not the landscape.\n");
    fs::create_directories(File("folder.lcp"));
    Write(File("empty.lcp"), "");
    return {{File("short.lcp"), "truncated"},          {File("header-only.lcp"), "truncated"},
            {File("claims.lcp"), "truncated"},         {File("sparse.tif"), "too many cells for this machine"},
            {File("one-band.tif"), "at least 8 bands"}, {File("notes.lcp"), "not a landscape file"},
            {File("folder.lcp"), "folder"},            {File("empty.lcp"), "empty"}};
  }

  // One message, naming the file and saying what is wrong.
  void ExpectRefused(const Damaged& d) {
    const std::vector<std::string> texts = messages_->Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find(d.path), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find(d.reason), std::string::npos) << texts[0];
  }

  fs::path folder_;
};

}  // namespace

TEST_F(LandscapeOpen, DamagedFilesAreRefusedWithTheirReasonOnEveryOpenPath) {
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  CPVN4Doc* project = ActiveProject(*frame);
  ASSERT_TRUE(project);
  wxDocManager* docs = frame->DocManager();
  const std::size_t windows = docs->GetDocumentsVector().size();

  for (const Damaged& d : MakeDamagedFiles()) {
    SCOPED_TRACE(d.path);
    // File > Open: no project window is left behind, and the check took no memory to speak of.
    messages_->Clear();
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKb("VmRSS:");
    dialogs_->AnswerOpenFile(d.path);
    Command(frame, cmd::kOpen);
    widgets::FlushEvents();
    EXPECT_LT(StatusKb("VmHWM:") - before, 200 * 1024);
    ExpectRefused(d);
    EXPECT_EQ(docs->GetDocumentsVector().size(), windows);

    // Landscape > Open Landscape into the open project: nothing of it is kept.
    messages_->Clear();
    dialogs_->AnswerOpenFile(d.path);
    Command(frame, views::cmd::kOpenLandscape);
    widgets::FlushEvents();
    ExpectRefused(d);
    EXPECT_FALSE(project->IsLandscapeLoaded());
    EXPECT_TRUE(project->gridThemes.empty());
    EXPECT_TRUE(project->areas.empty());
  }

  // From the recent files: the file says why and leaves the list.
  const Damaged gone = MakeDamagedFiles()[0];
  docs->AddFileToHistory(wxString::FromUTF8(gone.path));
  messages_->Clear();
  Command(frame, cmd::kRecentFile);
  widgets::FlushEvents();
  ExpectRefused(gone);
  EXPECT_EQ(docs->GetHistoryFilesCount(), 0u);

  // The program goes on: the sample opens, and its fuel legend has one class per fuel model
  // in the file, as GDAL reads them.
  messages_->Clear();
  dialogs_->AnswerOpenFile(SampleLcp());
  Command(frame, views::cmd::kOpenLandscape);
  widgets::FlushEvents();
  EXPECT_TRUE(messages_->Texts().empty());
  ASSERT_TRUE(project->IsLandscapeLoaded());
  CThemeLegendData* fuel = project->currentArea->GetLegendDataByLayerType(3);
  ASSERT_TRUE(fuel);
  std::vector<float> classes;
  for (int i = 1; i < fuel->GetCount(); ++i) classes.push_back(fuel->GetEntry(i).GetValue());
  const std::string script = std::string(PV_PYTHON) +
                             " -c \"import sys, numpy; from osgeo import gdal; "
                             "ds = gdal.Open(sys.argv[1]); a = ds.GetRasterBand(4).ReadAsArray(); "
                             "print(' '.join(str(v) for v in numpy.unique(a[a >= 0])))\" " +
                             SampleLcp();
  std::vector<float> models;
  if (std::FILE* p = ::popen(script.c_str(), "r")) {
    int v;
    while (std::fscanf(p, "%d", &v) == 1) models.push_back(static_cast<float>(v));
    EXPECT_EQ(::pclose(p), 0);
  }
  ASSERT_FALSE(models.empty());
  EXPECT_TRUE(fuel->IsUniqueValues());
  EXPECT_EQ(classes, models);
}

TEST_F(LandscapeOpen, DamagedFileOnTheCommandLineSaysWhatIsWrong) {
  const std::string sample = Bytes(SampleLcp());
  const std::string path = (fs::path(PV_BINARY_DIR) / "test-landscape-open" / "cut.lcp").string();
  Write(path, sample.substr(0, sample.size() - 916));
  EXPECT_FALSE(Start({path}));
  ExpectRefused({path, "truncated"});
}
