// Archives this library writes: exact values of the format, and the independent tools' verdict.
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "zip_test_util.h"

using namespace ziptest;

namespace {

std::time_t LocalTime(int y, int mo, int d, int h, int mi, int s) {
  struct tm tm {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

void SetMTime(const std::string& path, std::time_t t) {
  struct utimbuf ub {t, t};
  ASSERT_EQ(::utime(path.c_str(), &ub), 0);
}

}  // namespace

class ZipWrite : public ZipTest {};

TEST_F(ZipWrite, EmptyArchiveIsTheBareEndRecord) {
  CZipArchive zip;
  zip.Open(P("empty.zip"), CZipArchive::zipCreate);
  zip.Close();
  std::string bytes = ReadFile(P("empty.zip"));
  ASSERT_EQ(bytes.size(), 22u);
  EXPECT_EQ(bytes, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  ShellResult py = Shell(std::string(PV_PYTHON) + " -m zipfile -l " + Quote(P("empty.zip")));
  EXPECT_EQ(py.status, 0) << py.out;
  // Reopened, it has no entries and a second close writes nothing new.
  zip.Open(P("empty.zip"), CZipArchive::zipOpen);
  EXPECT_EQ(zip.GetCount(), 0);
  EXPECT_EQ(zip.FindFile("x"), -1);
  zip.Close();
  EXPECT_EQ(ReadFile(P("empty.zip")).size(), 22u);
}

TEST_F(ZipWrite, DosDateAndTime) {
  struct Case {
    std::time_t t;
    std::uint16_t date, time;
  } cases[] = {
      {LocalTime(2021, 6, 5, 14, 37, 58), 0x52C5, 0x74BD},
      // Before 1980 the year part is 0, month and day kept.
      {LocalTime(1979, 3, 4, 10, 0, 0), (3 << 5) | 4, 10 << 11},
      // Past the last DOS year: the last moment a DOS date holds.
      {LocalTime(2150, 1, 1, 0, 0, 0), (127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29},
  };
  for (const auto& c : cases) {
    std::uint16_t d, t;
    ZipTimeToDos(c.t, d, t);
    EXPECT_EQ(d, c.date);
    EXPECT_EQ(t, c.time);
  }
  EXPECT_EQ(ZipDosToTime(0x52C5, 0x74BD), cases[0].t);
}

TEST_F(ZipWrite, EntryFieldsAndToolVerdicts) {
  const std::string text = TextBytes(300000);
  const std::string noise = RandomBytes(100000);
  std::string one = Src("in/ArchiveVersion.txt", "6");
  std::string empty = Src("in/empty.dat", "");
  std::string txt = Src("in/maps/fuel.asc", text);
  std::string rnd = Src("in/noise.bin", noise);
  std::string utf = Src("in/brûlé.txt", "non-ascii name");
  fs::create_directories(P("in/Images"));
  const std::time_t when = LocalTime(2021, 6, 5, 14, 37, 58);
  SetMTime(txt, when);

  CZipArchive zip;
  zip.Open(P("out.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(one, "ArchiveVersion.txt"));
  ASSERT_TRUE(zip.AddNewFile(empty, "empty.dat"));
  ASSERT_TRUE(zip.AddNewFile(txt, "maps\\fuel.asc"));  // a Windows separator is stored as '/'
  ASSERT_TRUE(zip.AddNewFile(rnd, "noise.bin", 9));
  ASSERT_TRUE(zip.AddNewFile(utf, "brûlé.txt"));
  ASSERT_TRUE(zip.AddNewFileFromPath(P("in/Images"), -1, false));
  EXPECT_FALSE(zip.AddNewFile(P("in/missing"), "missing"));
  ASSERT_EQ(::mkfifo(P("in/pipe").c_str(), 0600), 0);
  EXPECT_FALSE(zip.AddNewFile(P("in/pipe"), "pipe"));  // refused, not waited on
  zip.Close();

  zip.Open(P("out.zip"), CZipArchive::zipOpenReadOnly);
  ASSERT_EQ(zip.GetCount(), 6);
  CZipFileHeader h;
  struct Expect {
    const char* name;
    int method, versionNeeded;
    std::uint32_t comp;
  } expect[] = {
      {"ArchiveVersion.txt", 0, 20, 1},
      {"empty.dat", 0, 20, 0},
      {"maps/fuel.asc", 8, 20, 0},
      {"noise.bin", 8, 20, 0},
      {"brûlé.txt", 8, 20, 0},
      {"Images/", 0, 10, 0},
  };
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(zip.GetFileInfo(h, static_cast<std::uint16_t>(i)));
    SCOPED_TRACE(h.GetFileName());
    EXPECT_EQ(h.GetFileName(), expect[i].name);
    EXPECT_EQ(h.m_uMethod, expect[i].method);
    EXPECT_EQ(h.m_uVersionNeeded, expect[i].versionNeeded);
    EXPECT_EQ(h.m_uVersionMadeBy, 0x0314);  // Unix, format 2.0
    if (expect[i].method == 0) {
      EXPECT_EQ(h.m_uComprSize, expect[i].comp);
    }
  }
  zip.GetFileInfo(h, 2);
  EXPECT_EQ(h.m_uModDate, 0x52C5);
  EXPECT_EQ(h.m_uModTime, 0x74BD);
  EXPECT_EQ(h.m_uFlag, 0);
  EXPECT_EQ(h.m_uCrc32, crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
  zip.GetFileInfo(h, 3);
  EXPECT_EQ(h.m_uFlag, 2);  // level 9
  EXPECT_GT(h.m_uComprSize, noise.size());  // incompressible data stays deflated under the default smartness
  zip.GetFileInfo(h, 4);
  EXPECT_EQ(h.m_uFlag, CZipFileHeader::kUtf8Flag);
  zip.GetFileInfo(h, 5);
  EXPECT_TRUE(h.IsDirectory());
  EXPECT_EQ(h.m_uUncomprSize, 0u);
  zip.Close();

  ExpectToolsAccept(P("out.zip"));

  // Python's reader gives back the very bytes.
  ShellResult py = Shell(std::string(PV_PYTHON) + " -c " +
                 Quote("import zipfile,sys; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])") + " " +
                 Quote(P("out.zip")) + " " + Quote(P("py")));
  ASSERT_EQ(py.status, 0) << py.out;
  EXPECT_EQ(ReadFile(P("py/ArchiveVersion.txt")), "6");
  EXPECT_EQ(ReadFile(P("py/maps/fuel.asc")), text);
  EXPECT_EQ(ReadFile(P("py/noise.bin")), noise);
  EXPECT_EQ(ReadFile(P("py/brûlé.txt")), "non-ascii name");
  EXPECT_TRUE(fs::is_directory(P("py/Images")));

  if (HaveTool("zipinfo")) {
    ShellResult zi = Shell("zipinfo -v " + Quote(P("out.zip")) + " maps/fuel.asc");
    EXPECT_NE(zi.out.find("compression method:                             deflated"), std::string::npos) << zi.out;
    EXPECT_NE(zi.out.find("version of encoding software:                   2.0"), std::string::npos) << zi.out;
    EXPECT_NE(zi.out.find("file system or operating system of origin:      Unix"), std::string::npos) << zi.out;
    EXPECT_NE(zi.out.find("2021 Jun 5 14:37:58"), std::string::npos) << zi.out;
    EXPECT_NE(zi.out.find("extended local header:                          no"), std::string::npos) << zi.out;
    ShellResult one = Shell("zipinfo -v " + Quote(P("out.zip")) + " ArchiveVersion.txt");
    EXPECT_NE(one.out.find("compression method:                             none (stored)"), std::string::npos)
        << one.out;
    ShellResult dirInfo = Shell("zipinfo -v " + Quote(P("out.zip")) + " Images/");
    EXPECT_NE(dirInfo.out.find("minimum software version required to extract:   1.0"), std::string::npos)
        << dirInfo.out;
  }
}

TEST_F(ZipWrite, DeflateOptionFlagsFollowTheLevel) {
  struct Case {
    int level;
    std::uint16_t flags, method;
  } cases[] = {{-1, 0, 8}, {0, 0, 0}, {1, 6, 8}, {2, 4, 8}, {5, 0, 8}, {8, 2, 8}, {9, 2, 8}};
  CZipMemFile mem;
  CZipArchive zip;
  zip.OpenInMemory(mem, CZipArchive::zipCreate);
  const std::string data = TextBytes(5000);
  for (const auto& c : cases) {
    CZipFileHeader h;
    h.SetFileName("level" + std::to_string(c.level));
    ASSERT_TRUE(zip.StartNewEntry(h, c.level));
    ASSERT_TRUE(zip.WriteEntryData(data.data(), static_cast<std::uint32_t>(data.size())));
    ASSERT_TRUE(zip.FinishNewEntry());
  }
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    CZipFileHeader h;
    zip.GetFileInfo(h, static_cast<std::uint16_t>(i));
    EXPECT_EQ(h.m_uFlag, cases[i].flags) << cases[i].level;
    EXPECT_EQ(h.m_uMethod, cases[i].method) << cases[i].level;
    CZipMemFile out;
    ASSERT_TRUE(zip.ExtractToMemory(static_cast<std::uint16_t>(i), out));
    EXPECT_EQ(std::string(out.Data(), out.GetLength()), data);
  }
  zip.Close();
}

TEST_F(ZipWrite, NamesAreStoredRelativeWithForwardSlashes) {
  std::string f = Src("a.txt", "abc");
  CZipArchive zip;
  zip.Open(P("n.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(f, "/abs/path/a.txt"));
  ASSERT_TRUE(zip.AddNewFile(f, "C:\\data\\fuel.shp"));
  ASSERT_TRUE(zip.AddNewFileFromPath(f, -1, true));  // full path without its leading '/'
  zip.Close();
  zip.Open(P("n.zip"), CZipArchive::zipOpenReadOnly);
  CZipFileHeader h;
  zip.GetFileInfo(h, 0);
  EXPECT_EQ(h.GetFileName(), "abs/path/a.txt");
  zip.GetFileInfo(h, 1);
  EXPECT_EQ(h.GetFileName(), "C:/data/fuel.shp");
  zip.GetFileInfo(h, 2);
  EXPECT_EQ(h.GetFileName(), f.substr(1));
  // The project's duplicate check looks a full path up as it was given.
  EXPECT_EQ(zip.FindFile(f, CZipArchive::ffNoCaseSens, false), 2);
  zip.Close();
}

TEST_F(ZipWrite, UnflaggedNamesReadAsCodePage437) {
  std::string f = Src("a.txt", "x");
  CZipArchive zip;
  zip.Open(P("cp.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(f, "Qt.txt"));
  zip.Close();
  // Turn the name into the DOS code page's byte 0x82 in both headers.
  std::string bytes = ReadFile(P("cp.zip"));
  for (std::size_t pos = bytes.find("Qt.txt"); pos != std::string::npos; pos = bytes.find("Qt.txt", pos))
    bytes[pos] = '\x82';
  WriteFile(P("cp.zip"), bytes);
  zip.Open(P("cp.zip"), CZipArchive::zipOpenReadOnly);
  CZipFileHeader h;
  zip.GetFileInfo(h, 0);
  EXPECT_EQ(h.GetFileName(), "ét.txt");
  EXPECT_TRUE(zip.ExtractFile(0, P("x"), false));
  EXPECT_EQ(ReadFile(P("x/ét.txt")), "x");
  zip.Close();
}

TEST_F(ZipWrite, FailedSaveKeepsThePreviousArchive) {
  std::string f = Src("a.txt", "first");
  CZipArchive zip;
  zip.Open(P("keep.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(f, "a.txt"));
  zip.Close();
  const std::string before = ReadFile(P("keep.zip"));
  {
    CZipArchive again;
    again.Open(P("keep.zip"), CZipArchive::zipCreate);
    ASSERT_TRUE(again.AddNewFile(f, "b.txt"));
    again.Close(CZipArchive::closeAfterException);
  }
  EXPECT_EQ(ReadFile(P("keep.zip")), before);
  {
    CZipArchive abandoned;  // destroyed while still open
    abandoned.Open(P("keep.zip"), CZipArchive::zipCreate);
    ASSERT_TRUE(abandoned.AddNewFile(f, "c.txt"));
  }
  EXPECT_EQ(ReadFile(P("keep.zip")), before);
  int left = 0;
  for (auto& e : fs::directory_iterator(dir_)) left += e.path().filename().string().rfind("keep.zip.", 0) == 0;
  EXPECT_EQ(left, 0) << "temporary files left behind";
}

TEST(ZipErrors, TextsAndCodes) {
  char buf[10];
  ASSERT_TRUE(CZipException(102).GetErrorMessage(buf, sizeof buf));
  EXPECT_STREQ(buf, "Crc misma");
  EXPECT_FALSE(CZipException(102).GetErrorMessage(nullptr, 10));
  EXPECT_EQ(CZipException(504, "a.zip").GetDescription(), "Zlib library error (data error)");
  EXPECT_EQ(CZipException(CZipException::ZlibErrToZip(Z_DATA_ERROR)).m_iCause, 504);
  EXPECT_EQ(CZipException(28).GetDescription(), "No space left on device");
  EXPECT_EQ(CZipException(9999).GetDescription(), CZipException::Describe(9999, false));
  EXPECT_EQ(CZipException::Describe(9999, true), "Unknown error");
  errno = ENOENT;
  std::string removed = CZipException(113).GetDescription();
  EXPECT_EQ(removed.rfind("Error while removing a file (", 0), 0u) << removed;
  // I/O failures carry the system's error number.
  CZipArchive zip;
  try {
    zip.Open("/nonexistent-folder/x.zip", CZipArchive::zipOpenReadOnly);
    FAIL();
  } catch (const CZipException& e) {
    EXPECT_EQ(e.m_iCause, ENOENT);
    EXPECT_EQ(e.m_szFileName, "/nonexistent-folder/x.zip");
  }
  EXPECT_TRUE(zip.IsClosed());
}

TEST(ZipPaths, Split) {
  struct Case {
    const char *path, *prefix, *drive, *folder, *title, *ext, *filePath, *noDrive;
  } cases[] = {
      {"\\\\server\\share\\data\\a.tif", "\\\\", "", "server\\share\\data", "a", "tif", "\\\\server\\share\\data",
       "server\\share\\data\\a.tif"},
      {"C:\\x\\y.z", "", "C:", "x", "y", "z", "C:\\x", "x\\y.z"},
      {"Images", "", "", "", "Images", "", "", "Images"},
      {"/home/u/land.lcp", "", "", "home/u", "land", "lcp", "home/u", "home/u\\land.lcp"},
  };
  for (const auto& c : cases) {
    CZipPathComponent pc(c.path);
    SCOPED_TRACE(c.path);
    EXPECT_EQ(pc.m_szPrefix, c.prefix);
    EXPECT_EQ(pc.m_szDrive, c.drive);
    EXPECT_EQ(pc.m_szDirectory, c.folder);
    EXPECT_EQ(pc.m_szFileTitle, c.title);
    EXPECT_EQ(pc.m_szFileExt, c.ext);
    EXPECT_EQ(pc.GetFilePath(), c.filePath);
    EXPECT_EQ(pc.GetNoDrive(), c.noDrive);
  }
}

TEST(ZipAttributes, ConversionBetweenSystems) {
  struct Case {
    std::uint32_t value;
    int from, to;
    std::uint32_t expect;
  } cases[] = {
      {0x41ED0000, 3, 0, 0x10},  // Unix folder rwxr-xr-x: owner-exec means no archive bit
      {0x81A40000, 3, 0, 0x20},         // plain file: archive bit
      {0x20, 0, 3, 0x81B40000},         // DOS file: rw-rw-r--
      {0x11, 0, 3, 0x41240010},         // read-only folder
      {0x20, 0, 10, 0x20},
      {0x37, 0, 7, 0x11},
  };
  for (const auto& c : cases) EXPECT_EQ(ZipConvertAttributes(c.value, c.from, c.to), c.expect) << std::hex << c.value;
  EXPECT_EQ(CodeOf([] { ZipConvertAttributes(0x20, 2, 3); }), 115);
  CZipFileHeader h;
  h.m_uVersionMadeBy = 2 << 8;  // a system without a converter: only the name decides
  h.SetFileName("dir/");
  EXPECT_TRUE(h.IsDirectory());
  h.SetFileName("file");
  EXPECT_FALSE(h.IsDirectory());
}

TEST_F(ZipWrite, EfficiencyCheckStoresIncompressibleData) {
  const std::string noise = RandomBytes(1 << 20, 6), text = TextBytes(50000, 6);
  std::string rnd = Src("noise.bin", noise);
  CZipArchive zip;
  zip.Open(P("eff.zip"), CZipArchive::zipCreate);
  CZipNewEntryRequest req;
  req.m_szFilePath = rnd;
  req.m_szFileNameInZip = "checked.bin";
  req.m_iSmartLevel = 15;
  ASSERT_TRUE(zip.AddNewFileEx(req));
  CZipMemFile mem;
  mem.Write(text.data(), static_cast<std::uint32_t>(text.size()));
  mem.SeekToBegin();
  ASSERT_TRUE(zip.AddNewFileFromMemory(&mem, "from-memory.txt"));
  zip.Close();
  zip.Open(P("eff.zip"), CZipArchive::zipOpenReadOnly);
  CZipFileHeader h;
  zip.GetFileInfo(h, 0);
  EXPECT_EQ(h.m_uMethod, 0);
  EXPECT_EQ(h.m_uComprSize, noise.size());
  zip.GetFileInfo(h, 1);
  EXPECT_EQ(h.m_uMethod, 8);
  EXPECT_EQ(h.GetSystemAttr(), zipsys::kDefaultFileAttr);
  // Nothing can be added to an archive opened read-only.
  EXPECT_FALSE(zip.AddNewFile(rnd, "more.bin"));
  EXPECT_FALSE(zip.RenameFile(0, "x"));
  EXPECT_FALSE(zip.SetGlobalComment("x"));
  zip.Close();
  ExpectToolsAccept(P("eff.zip"));
}

TEST_F(ZipWrite, RootPathShortensDerivedNames) {
  CZipMemFile mem;
  CZipArchive zip;
  zip.OpenInMemory(mem, CZipArchive::zipCreate);
  zip.SetRootPath("/data/proj/");
  struct Case {
    const char* path;
    bool fullPath;
    const char* name;
  } cases[] = {
      {"/data/proj/maps/a.tif", false, "maps/a.tif"},
      {"/data/PROJ/maps/a.tif", false, "maps/a.tif"},  // the archive compares without case
      {"/other/a.tif", false, "a.tif"},
      {"/data/project/a.tif", false, "a.tif"},
      {"/data/proj/maps/", false, "maps/"},
      {"C:\\data\\fuel.shp", true, "data/fuel.shp"},
      {"", true, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(zip.PredictNameInArchive(c.path, c.fullPath), c.name) << c.path;
  EXPECT_EQ(zip.GetExtractPath("maps/a.tif", "/out/", false), "/out/a.tif");
  EXPECT_EQ(zip.GetExtractPath("maps/a.tif", "/out", true), "/out/maps/a.tif");
  EXPECT_EQ(zip.GetExtractPath("maps/a.tif", "/out", false, "tmpprj.tmp"), "/out/tmpprj.tmp");
  zip.Close();
}

TEST_F(ZipWrite, ExtractedModesAreMasked) {
  const mode_t old = ::umask(027);
  struct Case {
    const char* name;
    std::uint32_t unixMode;
    mode_t expect;
  } cases[] = {
      {"setuid-all.bin", 0104777, 0750},  // no special bits, the umask applies
      {"no-rights.bin", 0100000, 0600},   // the owner always reads and writes
      {"exec.sh", 0100755, 0750},
  };
  CZipArchive zip;
  zip.Open(P("m.zip"), CZipArchive::zipCreate);
  for (const auto& c : cases) {
    CZipFileHeader h;
    h.SetFileName(c.name);
    zip.SetEntryAttributes(h, (c.unixMode << 16) | 0x20);
    ASSERT_TRUE(zip.StartNewEntry(h, 0));
    ASSERT_TRUE(zip.WriteEntryData("x", 1));
    ASSERT_TRUE(zip.FinishNewEntry());
  }
  zip.Close();
  zip.Open(P("m.zip"), CZipArchive::zipOpenReadOnly);
  for (std::uint16_t i = 0; i < 3; ++i) ASSERT_TRUE(zip.ExtractFile(i, P("out")));
  zip.Close();
  ::umask(old);
  for (const auto& c : cases) {
    struct stat st;
    ASSERT_EQ(::stat(P(std::string("out/") + c.name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.expect) << c.name;
  }
}

TEST_F(ZipWrite, DosHostEntries) {
  std::string f = Src("ro.txt", "read only");
  ::chmod(f.c_str(), 0444);
  CZipArchive zip;
  zip.Open(P("dos.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.SetSystemCompatibility(0));
  EXPECT_FALSE(zip.SetSystemCompatibility(2));
  ASSERT_TRUE(zip.AddNewFile(f, "ro.txt"));
  zip.Close();
  zip.Open(P("dos.zip"), CZipArchive::zipOpen);
  EXPECT_EQ(zip.GetSystemCompatibility(), 0);  // adopted from the first entry
  CZipFileHeader h;
  zip.GetFileInfo(h, 0);
  EXPECT_EQ(h.m_uVersionMadeBy, 20);
  EXPECT_EQ(h.m_uExternalAttr, 0x21u);  // archive and read-only bits
  EXPECT_EQ(h.GetSystemAttr() >> 16, 0100444u);
  zip.Close();
  if (HaveTool("zipinfo")) {
    ShellResult r = Shell("zipinfo -v " + Quote(P("dos.zip")));
    EXPECT_NE(r.out.find("MS-DOS"), std::string::npos) << r.out;
  }
}
