// Progress reported while adding and extracting, and cancelling through it.
#include "platform/progress.h"
#include "zip_test_util.h"

using namespace ziptest;

namespace {

// Records what a progress window would show; cancels after a number of position updates.
class RecordingSink : public platform::ProgressSink {
 public:
  explicit RecordingSink(int cancelAfter = -1) : cancelAfter_(cancelAfter) {}
  void SetText(const std::string& t) override { texts.push_back(t); }
  void SetRange(long long r) override { ranges.push_back(r); }
  void SetPosition(long long p) override { positions.push_back(p); }
  bool CancelRequested() override { return cancelAfter_ >= 0 && ++asked_ > cancelAfter_; }
  std::vector<std::string> texts;
  std::vector<long long> ranges, positions;

 private:
  int cancelAfter_;
  int asked_ = 0;
};

}  // namespace

class ZipProgress : public ZipTest {};

TEST_F(ZipProgress, ExtractingReportsEachFile) {
  CZipArchive zip;
  zip.Open(P("p.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(Src("a", TextBytes(150000)), "a.txt"));
  ASSERT_TRUE(zip.AddNewFile(Src("b", ""), "b.txt"));
  ASSERT_TRUE(zip.AddNewFile(Src("c", TextBytes(1000)), "maps/c.txt"));
  zip.Close();

  RecordingSink sink;
  CZipProgressData progress(sink);
  EXPECT_TRUE(progress.Caption().empty());
  zip.Open(P("p.zip"), CZipArchive::zipOpenReadOnly);
  zip.SetCallback(&progress, CZipActionCallback::cbExtract);
  for (std::uint16_t i = 0; i < 3; ++i) ASSERT_TRUE(zip.ExtractFile(i, P("out"), false));
  zip.Close();
  EXPECT_EQ(progress.Caption(), "Extracting Files");
  EXPECT_EQ(sink.texts, (std::vector<std::string>{P("out/a.txt"), P("out/b.txt"), P("out/c.txt")}));
  // The 0-byte file gives no step; the others count their bytes from 0 to their size.
  EXPECT_EQ(sink.ranges, (std::vector<long long>{150000, 1000}));
  EXPECT_EQ(sink.positions, (std::vector<long long>{0, 65536, 131072, 150000, 0, 0, 0, 1000}));
}

TEST_F(ZipProgress, CancelWhileAddingCutsTheEntryBack) {
  const std::string big = RandomBytes(10 << 20);
  std::string small = Src("small.txt", "kept");
  std::string file = Src("big.bin", big);
  CZipArchive zip;
  zip.Open(P("c.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(small, "small.txt"));
  RecordingSink sink(3);
  CZipProgressData progress(sink);
  zip.SetCallback(&progress, CZipActionCallback::cbAdd);
  EXPECT_EQ(CodeOf([&] { zip.AddNewFile(file, "big.bin"); }), 106);
  EXPECT_EQ(progress.Caption(), "Adding Files");
  EXPECT_EQ(sink.texts.front(), file);
  EXPECT_EQ(zip.GetCount(), 1);
  zip.SetCallback(nullptr, CZipActionCallback::cbAll);
  zip.Close();
  ExpectToolsAccept(P("c.zip"), false);
  EXPECT_EQ(fs::file_size(P("c.zip")), ReadFile(P("c.zip")).size());
  zip.Open(P("c.zip"), CZipArchive::zipOpenReadOnly);
  EXPECT_EQ(zip.GetCount(), 1);
  zip.Close();

  // Cancelled on the last piece, the entry is complete and still reported as cancelled.
  std::string exact = Src("exact.bin", RandomBytes(2 * 65536, 5));
  zip.Open(P("d.zip"), CZipArchive::zipCreate);
  RecordingSink last(1);
  CZipProgressData lastProgress(last);
  zip.SetCallback(&lastProgress, CZipActionCallback::cbAdd);
  EXPECT_EQ(CodeOf([&] { zip.AddNewFile(exact, "exact.bin"); }), 106);
  EXPECT_EQ(zip.GetCount(), 1);
  zip.Close();
  ExpectToolsAccept(P("d.zip"), false);
}

TEST_F(ZipProgress, CancelWhileExtracting) {
  const std::string data = RandomBytes(4 * 65536, 8);
  CZipArchive zip;
  zip.Open(P("e.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(Src("d.bin", data), "d.bin", 0));
  zip.Close();
  struct Case {
    int cancelAfter, code;
    bool fileLeft;
  } cases[] = {{1, 105, false}, {3, 106, true}};
  for (const auto& c : cases) {
    fs::remove_all(P("out"));
    RecordingSink sink(c.cancelAfter);
    CZipProgressData progress(sink);
    zip.Open(P("e.zip"), CZipArchive::zipOpenReadOnly);
    zip.SetCallback(&progress, CZipActionCallback::cbExtract);
    try {
      zip.ExtractFile(0, P("out"));
      ADD_FAILURE() << "not cancelled";
    } catch (const CZipException& e) {
      EXPECT_EQ(e.m_iCause, c.code);
      EXPECT_EQ(e.m_szFileName, P("out/d.bin"));
    }
    zip.Close();
    EXPECT_EQ(fs::exists(P("out/d.bin")), c.fileLeft);
    if (c.fileLeft) {
      EXPECT_TRUE(ReadFile(P("out/d.bin")) == data);
    }
  }
}

TEST_F(ZipProgress, DirectoryWriteReportsEvery256Headers) {
  struct Counter : CZipActionCallback {
    bool Callback(std::uint64_t step) override {
      steps.push_back(step);
      return true;
    }
    std::vector<std::uint64_t> steps;
  } counter;
  CZipMemFile mem;
  CZipArchive zip;
  zip.OpenInMemory(mem, CZipArchive::zipCreate);
  for (int i = 0; i < 600; ++i) {
    CZipFileHeader h;
    h.SetFileName(std::to_string(i) + ".tmp");
    ASSERT_TRUE(zip.StartNewEntry(h, 0));
    ASSERT_TRUE(zip.FinishNewEntry());
  }
  zip.SetCallback(&counter, CZipActionCallback::cbSave);
  zip.Close();
  EXPECT_EQ(counter.steps, (std::vector<std::uint64_t>{256, 256, 256}));
  EXPECT_EQ(counter.m_uTotalToDo, 600u);
}

TEST_F(ZipProgress, CancelWhileWritingTheDirectoryLeavesItWhole) {
  struct Refuse : CZipActionCallback {
    bool Callback(std::uint64_t) override { return false; }
  } refuse;
  CZipArchive zip;
  zip.Open(P("d.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(Src("a.txt", "a"), "a.txt"));
  zip.Close();
  zip.Open(P("d.zip"), CZipArchive::zipOpen);
  ASSERT_TRUE(zip.AddNewFile(Src("b.txt", TextBytes(3000)), "b.txt"));
  zip.SetCallback(&refuse, CZipActionCallback::cbSave);
  EXPECT_EQ(CodeOf([&] { zip.Close(); }), 106);
  zip.Close(CZipArchive::closeAfterException);
  ExpectToolsAccept(P("d.zip"), false);
  zip.Open(P("d.zip"), CZipArchive::zipOpenReadOnly);
  EXPECT_EQ(zip.GetCount(), 2);
  zip.Close();
}
