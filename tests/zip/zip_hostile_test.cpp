// Damaged and hostile archives give archive errors only: no hang, no crash, and nothing
// written outside the destination folder.
#include <sys/stat.h>

#include "zip_test_util.h"

using namespace ziptest;

class ZipHostile : public ZipTest {
 protected:
  // A small archive: stored, deflated, a folder and a data descriptor entry.
  std::string SampleArchive() {
    CZipMemFile mem;
    CZipArchive zip;
    zip.OpenInMemory(mem, CZipArchive::zipCreate);
    auto add = [&](const std::string& name, const std::string& data, int level) {
      CZipFileHeader h;
      h.SetFileName(name);
      h.SetSystemAttr(zipsys::kDefaultFileAttr);
      ASSERT_TRUE(zip.StartNewEntry(h, level));
      ASSERT_TRUE(zip.WriteEntryData(data.data(), static_cast<std::uint32_t>(data.size())));
      ASSERT_TRUE(zip.FinishNewEntry());
    };
    add("stored.txt", "stored bytes", 0);
    add("dir/deflated.txt", TextBytes(3000), 6);
    add("sub/", "", 0);
    zip.Close();
    return std::string(mem.Data(), mem.GetLength());
  }

  // Opens, tests and extracts everything; only archive errors may come out.
  void Exercise(const std::string& bytes) {
    WriteFile(P("h.zip"), bytes);
    CZipArchive zip;
    try {
      zip.Open(P("h.zip"), CZipArchive::zipOpenReadOnly);
    } catch (const CZipException&) {
      EXPECT_TRUE(zip.IsClosed());
      return;
    }
    for (int i = 0; i < zip.GetCount(); ++i) {
      try {
        zip.TestFile(static_cast<std::uint16_t>(i));
      } catch (const CZipException&) {
      }
      try {
        zip.ExtractFile(static_cast<std::uint16_t>(i), P("out"), true);
      } catch (const CZipException&) {
      }
    }
    zip.Close();
    // Changing a damaged archive fails cleanly too.
    try {
      zip.Open(P("h.zip"), CZipArchive::zipOpen);
      zip.RenameFile(0, "a-longer-name.txt");
      zip.DeleteFile(static_cast<std::uint16_t>(zip.GetCount() > 1 ? 1 : 0));
      zip.Close();
    } catch (const CZipException&) {
      zip.Close(CZipArchive::closeAfterException);
    }
  }

  // Files other than the archive and the destination folder's contents.
  std::vector<std::string> Strays() {
    std::vector<std::string> s;
    for (auto& e : fs::recursive_directory_iterator(dir_)) {
      std::string p = e.path().string();
      if (p == P("h.zip") || p == P("out") || p.rfind(P("out/"), 0) == 0) continue;
      s.push_back(p);
    }
    return s;
  }
};

TEST_F(ZipHostile, TruncatedAndBitFlippedArchives) {
  const std::string good = SampleArchive();
  for (std::size_t len = 0; len < good.size(); len += 7) Exercise(good.substr(0, len));
  std::mt19937 rng(7);
  for (std::size_t pos = 0; pos < good.size(); ++pos) {
    std::string bad = good;
    bad[pos] = static_cast<char>(bad[pos] ^ (1 << (rng() % 8)));
    Exercise(bad);
    std::string worse = good;
    worse[pos] = static_cast<char>(0xFF);
    Exercise(worse);
  }
  EXPECT_TRUE(Strays().empty());
}

TEST_F(ZipHostile, DirectoryRecordsThatDoNotAddUp) {
  const std::string good = SampleArchive();
  const std::size_t end = good.size() - 22;
  auto patched = [&](std::size_t at, std::uint32_t value, int width) {
    std::string b = good;
    for (int i = 0; i < width; ++i) b[at + i] = static_cast<char>(value >> (8 * i));
    return b;
  };
  struct Case {
    const char* what;
    std::string bytes;
    int code;
  } cases[] = {
      {"empty file", "", 116},
      {"no end record", std::string(100, 'x'), 116},
      {"offset and size wrap around", patched(end + 16, 0xFFFFFFF0u, 4), 101},
      {"directory past the end record", patched(end + 12, 0x7FFFFFFFu, 4), 101},
      {"more entries than the directory holds", patched(end + 10, 0xFFFF, 2), 101},
      {"entries without a directory", patched(end + 12, 0, 4), 101},
      {"comment past the file end", patched(end + 20, 500, 2), 101},
  };
  for (const auto& c : cases) {
    WriteFile(P("h.zip"), c.bytes);
    CZipArchive zip;
    EXPECT_EQ(CodeOf([&] { zip.Open(P("h.zip"), CZipArchive::zipOpenReadOnly); }), c.code) << c.what;
    EXPECT_TRUE(zip.IsClosed()) << c.what;
  }
}

TEST_F(ZipHostile, EntriesWhoseSizesDisagree) {
  const std::string good = SampleArchive();
  // The first entry is stored.txt (12 bytes): central sizes at 0x14/0x18 after its record start.
  const std::size_t central = good.find(std::string("PK\x01\x02", 4));
  auto withCentral = [&](std::uint32_t comp, std::uint32_t uncomp) {
    std::string b = good;
    for (int i = 0; i < 4; ++i) {
      b[central + 20 + i] = static_cast<char>(comp >> (8 * i));
      b[central + 24 + i] = static_cast<char>(uncomp >> (8 * i));
    }
    // The local header says the same, so only the data can disagree.
    for (int i = 0; i < 4; ++i) {
      b[18 + i] = static_cast<char>(comp >> (8 * i));
      b[22 + i] = static_cast<char>(uncomp >> (8 * i));
    }
    return b;
  };
  struct Case {
    const char* what;
    std::uint32_t comp, uncomp;
  } cases[] = {
      {"stored sizes differ", 12, 40},
      {"stored data runs past the archive", 0x00FFFFFF, 0x00FFFFFF},
      {"stored size smaller than declared", 40, 12},
  };
  for (const auto& c : cases) {
    WriteFile(P("h.zip"), withCentral(c.comp, c.uncomp));
    CZipArchive zip;
    zip.Open(P("h.zip"), CZipArchive::zipOpenReadOnly);
    EXPECT_EQ(CodeOf([&] { zip.ExtractFile(0, P("out"), true); }), 101) << c.what;
    EXPECT_FALSE(fs::exists(P("out/stored.txt"))) << c.what;
    zip.Close();
  }
}

TEST_F(ZipHostile, DamagedDataLeavesNoOutputAndKeepsThePreviousFile) {
  std::string good = SampleArchive();
  // Damage the middle of the deflated entry's data.
  std::size_t local = good.find("dir/deflated.txt");
  ASSERT_NE(local, std::string::npos);
  WriteFile(P("out/dir/deflated.txt"), "previous contents");
  std::mt19937 rng(3);
  int failures = 0;
  for (int trial = 0; trial < 40; ++trial) {
    std::string bad = good;
    std::size_t at = local + 16 + 20 + rng() % 200;
    bad[at] = static_cast<char>(bad[at] ^ 0x55);
    WriteFile(P("h.zip"), bad);
    CZipArchive zip;
    zip.Open(P("h.zip"), CZipArchive::zipOpenReadOnly);
    int code = CodeOf([&] { zip.ExtractFile(1, P("out"), true); });
    zip.Close();
    if (code == 0) continue;  // a flip that still inflates to the same bytes
    ++failures;
    EXPECT_TRUE(code == 102 || code == 504 || code == 101) << code;
    EXPECT_EQ(ReadFile(P("out/dir/deflated.txt")), "previous contents");
  }
  EXPECT_GT(failures, 30);
  int temporaries = 0;
  for (auto& e : fs::directory_iterator(P("out/dir"))) temporaries += e.path().filename() != "deflated.txt";
  EXPECT_EQ(temporaries, 0);
}

TEST_F(ZipHostile, DeclaredSizeLargerThanTheStream) {
  std::string good = SampleArchive();
  const std::size_t central = good.find(std::string("PK\x01\x02", 4), good.find(std::string("PK\x01\x02", 4)) + 1);
  std::uint32_t uncomp = ZipGet32(good.data() + central + 24) + 100;
  for (int i = 0; i < 4; ++i) good[central + 24 + i] = static_cast<char>(uncomp >> (8 * i));
  std::size_t local = good.find(std::string("PK\x03\x04", 4), 1);
  for (int i = 0; i < 4; ++i) good[local + 22 + i] = static_cast<char>(uncomp >> (8 * i));
  WriteFile(P("h.zip"), good);
  CZipArchive zip;
  zip.Open(P("h.zip"), CZipArchive::zipOpenReadOnly);
  EXPECT_FALSE(zip.ExtractFile(1, P("out"), true));
  EXPECT_FALSE(fs::exists(P("out/dir/deflated.txt")));
  EXPECT_FALSE(zip.TestFile(1));
  zip.Close();
}

TEST_F(ZipHostile, NamesThatWouldLeaveTheDestination) {
  struct Case {
    const char* name;
    bool fullPath;
    const char* lands;  // relative to out/, or nullptr when refused
  } cases[] = {
      {"../evil.txt", true, nullptr},
      {"a/../../evil.txt", true, nullptr},
      {"/abs/evil.txt", true, nullptr},
      {"C:/evil.txt", true, nullptr},
      {"C:evil.txt", true, nullptr},
      {"..\\evil.txt", true, nullptr},
      {"./", true, nullptr},
      {"..", false, nullptr},
      {"../evil.txt", false, "evil.txt"},  // only the file name is used
      {"ok/inner.txt", true, "ok/inner.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(P("out"));
    fs::create_directories(P("out"));
    // One entry under a placeholder name, then the raw hostile name put in its place.
    CZipMemFile mem;
    CZipArchive w;
    w.OpenInMemory(mem, CZipArchive::zipCreate);
    CZipFileHeader h;
    h.SetFileName("PLACEHOLDER_NAME_PADDING");
    ASSERT_TRUE(w.StartNewEntry(h, 0));
    ASSERT_TRUE(w.WriteEntryData("evil", 4));
    ASSERT_TRUE(w.FinishNewEntry());
    w.Close();
    std::string bytes(mem.Data(), mem.GetLength());
    // Swap the name in both headers, fixing the two length fields.
    std::string raw = c.name;
    std::string out;
    std::size_t pos = 0;
    while (true) {
      std::size_t at = bytes.find("PLACEHOLDER_NAME_PADDING", pos);
      if (at == std::string::npos) break;
      out += bytes.substr(pos, at - pos) + raw;
      pos = at + 24;
    }
    out += bytes.substr(pos);
    // Local header name length at 26, central at its offset + 28; offsets after the local
    // name shift by the difference.
    int diff = static_cast<int>(raw.size()) - 24;
    ZipPut16(out.data() + 26, static_cast<std::uint16_t>(raw.size()));
    std::size_t central = out.find(std::string("PK\x01\x02", 4));
    ZipPut16(out.data() + central + 28, static_cast<std::uint16_t>(raw.size()));
    std::size_t endRec = out.rfind(std::string("PK\x05\x06", 4));
    ZipPut32(out.data() + endRec + 12, ZipGet32(out.data() + endRec + 12) + diff);
    ZipPut32(out.data() + endRec + 16, ZipGet32(out.data() + endRec + 16) + diff);
    WriteFile(P("h.zip"), out);
    CZipArchive zip;
    zip.Open(P("h.zip"), CZipArchive::zipOpenReadOnly);
    int code = CodeOf([&] { zip.ExtractFile(0, P("out"), c.fullPath); });
    zip.Close();
    if (c.lands) {
      EXPECT_EQ(code, 0);
      EXPECT_EQ(ReadFile(P("out/") + c.lands), "evil");
    } else {
      EXPECT_EQ(code, CZipException::unsafeName);
    }
    EXPECT_TRUE(Strays().empty());
    EXPECT_FALSE(fs::exists(fs::path(dir_).parent_path() / "evil.txt"));
  }
}

TEST_F(ZipHostile, SymlinksAreNeverFollowed) {
  fs::create_directories(P("outside"));
  fs::create_directories(P("out"));
  fs::create_directory_symlink(P("outside"), P("out/sub"));
  WriteFile(P("outside/victim.txt"), "untouched");
  fs::create_symlink(P("outside/victim.txt"), P("out/link.txt"));
  std::string f = Src("data.txt", "payload");
  CZipArchive zip;
  zip.Open(P("s.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(f, "sub/planted.txt"));
  ASSERT_TRUE(zip.AddNewFile(f, "link.txt"));
  zip.Close();
  zip.Open(P("s.zip"), CZipArchive::zipOpenReadOnly);
  int code = CodeOf([&] { zip.ExtractFile(0, P("out"), true); });
  EXPECT_TRUE(code == ELOOP || code == ENOTDIR) << code;
  // An existing link in the destination is replaced, not written through.
  EXPECT_TRUE(zip.ExtractFile(1, P("out"), true));
  zip.Close();
  EXPECT_FALSE(fs::exists(P("outside/planted.txt")));
  EXPECT_EQ(ReadFile(P("outside/victim.txt")), "untouched");
  EXPECT_FALSE(fs::is_symlink(P("out/link.txt")));
  EXPECT_EQ(ReadFile(P("out/link.txt")), "payload");
}

TEST(ZipMemFile, BoundsAndGrowth) {
  CZipMemFile m(1024);
  EXPECT_EQ(CodeOf([&] { m.Seek(-1, CZipAbstractFile::begin); }), EINVAL);
  EXPECT_EQ(CodeOf([&] { m.Seek(-5, CZipAbstractFile::end); }), EINVAL);
  std::string data(3000, 'x');
  m.Write(data.data(), 3000);
  EXPECT_EQ(m.GetLength(), 3000);
  EXPECT_EQ(m.BufferSize() % 1024, 0u);
  m.SetLength(0);
  EXPECT_EQ(m.GetPosition(), 0);
  char c;
  EXPECT_EQ(m.Read(&c, 1), 0u);
  m.Seek(10, CZipAbstractFile::begin);
  m.Write("y", 1);
  EXPECT_EQ(m.GetLength(), 11);
  EXPECT_EQ(std::string(m.Data(), 10), std::string(10, '\0'));
  CZipMemFile none(0);
  EXPECT_EQ(CodeOf([&] { none.Write("a", 1); }), 505);
}

TEST_F(ZipHostile, LargeEntriesAreCheckedToo) {
  // Large entries are written on a second thread: their checksum must still be compared.
  const std::string big = RandomBytes(9 << 20, 4);
  CZipArchive zip;
  zip.Open(P("big.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(Src("big.bin", big), "big.bin", 0));
  zip.Close();
  zip.Open(P("big.zip"), CZipArchive::zipOpenReadOnly);
  ASSERT_TRUE(zip.ExtractFile(0, P("good")));
  zip.Close();
  EXPECT_TRUE(ReadFile(P("good/big.bin")) == big);
  std::string bytes = ReadFile(P("big.zip"));
  bytes[5 << 20] ^= 0x01;
  WriteFile(P("h.zip"), bytes);
  zip.Open(P("h.zip"), CZipArchive::zipOpenReadOnly);
  EXPECT_EQ(CodeOf([&] { zip.ExtractFile(0, P("out")); }), 102);
  zip.Close();
  EXPECT_FALSE(fs::exists(P("out/big.bin")));
}
