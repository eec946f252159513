// Archives written by other tools extract byte for byte; names are found by name and pattern.
#include "zip_test_util.h"

using namespace ziptest;

namespace {

struct Fixture {
  std::string name, bytes;
};

std::vector<Fixture> SampleFiles() {
  return {
      {"one.txt", "1"},
      {"empty.bin", ""},
      {"text/land.asc", TextBytes(200000)},
      {"noise.bin", RandomBytes(70000)},
  };
}

}  // namespace

class ZipRead : public ZipTest {
 protected:
  void MakeSources() {
    for (const auto& f : SampleFiles()) WriteFile(P("src/" + f.name), f.bytes);
  }
  // Every sample comes back identical from the archive.
  void ExpectSamples(const std::string& archive) {
    SCOPED_TRACE(archive);
    fs::remove_all(P("out"));
    CZipArchive zip;
    zip.Open(archive, CZipArchive::zipOpenReadOnly);
    for (const auto& f : SampleFiles()) {
      int i = zip.FindFile(f.name);
      ASSERT_GE(i, 0) << f.name;
      EXPECT_TRUE(zip.ExtractFile(static_cast<std::uint16_t>(i), P("out"), true)) << f.name;
      EXPECT_EQ(ReadFile(P("out/" + f.name)), f.bytes) << f.name;
      EXPECT_TRUE(zip.TestFile(static_cast<std::uint16_t>(i)));
    }
    zip.Close();
  }
  std::string InSrc(const std::string& cmd) { return "cd " + Quote(P("src")) + " && " + cmd; }
};

TEST_F(ZipRead, InfoZipLevelsAndStreaming) {
  ZIPTEST_NEED("zip");
  MakeSources();
  const std::string files = "one.txt empty.bin text/land.asc noise.bin";
  for (const char* level : {"-0", "-6", "-9"}) {
    std::string out = P(std::string("z") + level + ".zip");
    ShellResult r = Shell(InSrc(std::string("zip -q -X ") + level + " " + Quote(out) + " " + files));
    ASSERT_EQ(r.status, 0) << r.out;
    ExpectSamples(out);
  }
  // Written to a pipe: sizes and CRC follow the data in descriptors.
  ShellResult r = Shell(InSrc("zip -q - " + files + " | cat > " + Quote(P("streamed.zip"))));
  ASSERT_EQ(r.status, 0) << r.out;
  CZipArchive zip;
  zip.Open(P("streamed.zip"), CZipArchive::zipOpenReadOnly);
  CZipFileHeader h;
  zip.GetFileInfo(h, static_cast<std::uint16_t>(zip.FindFile("text/land.asc")));
  EXPECT_TRUE(h.IsDataDescriptor());
  zip.Close();
  ExpectSamples(P("streamed.zip"));
}

TEST_F(ZipRead, PythonStoredAndDeflatedWithLongestComment) {
  MakeSources();
  for (const char* method : {"ZIP_STORED", "ZIP_DEFLATED"}) {
    std::string out = P(std::string(method) + ".zip");
    std::string script =
        "import zipfile,sys,os\n"
        "z=zipfile.ZipFile(sys.argv[1],'w',zipfile." + std::string(method) + ")\n"
        "for n in sys.argv[3:]: z.write(os.path.join(sys.argv[2],n),n)\n"
        "z.comment=b'c'*65535\n"
        "z.close()\n";
    ShellResult r = Shell(std::string(PV_PYTHON) + " -c " + Quote(script) + " " + Quote(out) + " " + Quote(P("src")) +
                          " one.txt empty.bin text/land.asc noise.bin");
    ASSERT_EQ(r.status, 0) << r.out;
    ExpectSamples(out);
    CZipArchive zip;
    zip.Open(out, CZipArchive::zipOpenReadOnly);
    EXPECT_EQ(zip.GetGlobalComment(), std::string(65535, 'c'));
    zip.Close();
  }
}

TEST_F(ZipRead, SevenZipAndDataInFront) {
  MakeSources();
  if (HaveTool("7z")) {
    ShellResult r = Shell(InSrc("7z a -tzip -bd " + Quote(P("seven.zip")) + " one.txt empty.bin text/land.asc noise.bin"));
    ASSERT_EQ(r.status, 0) << r.out;
    ExpectSamples(P("seven.zip"));
  }
  // Our own archive behind 1000 bytes of something else, offsets left unchanged.
  CZipArchive zip;
  zip.Open(P("plain.zip"), CZipArchive::zipCreate);
  for (const auto& f : SampleFiles()) ASSERT_TRUE(zip.AddNewFile(P("src/" + f.name), f.name));
  zip.Close();
  WriteFile(P("front.zip"), std::string(1000, 'S') + ReadFile(P("plain.zip")));
  zip.Open(P("front.zip"), CZipArchive::zipOpenReadOnly);
  CZipDirectoryInfo info;
  zip.GetCentralDirectoryInfo(info);
  EXPECT_EQ(info.m_uBytesBeforeZip, 1000);
  zip.Close();
  ExpectSamples(P("front.zip"));
  // Adding to it keeps the data in front and the archive readable by others.
  std::string extra = Src("extra.txt", "added later");
  zip.Open(P("front.zip"), CZipArchive::zipOpen);
  ASSERT_TRUE(zip.AddNewFile(extra, "extra.txt"));
  zip.Close();
  EXPECT_EQ(ReadFile(P("front.zip")).substr(0, 1000), std::string(1000, 'S'));
  ExpectSamples(P("front.zip"));
  if (HaveTool("unzip")) {
    ShellResult r = Shell("unzip -p " + Quote(P("front.zip")) + " extra.txt");
    EXPECT_EQ(r.out.substr(r.out.size() - 11), "added later") << r.out;
  }
}

TEST_F(ZipRead, ZipStoredInsideDoesNotConfuseTheSearchEvenWhenCut) {
  // An inner archive stored last, with no comment: its end record sits just before ours.
  CZipArchive inner;
  inner.Open(P("inner.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(inner.AddNewFile(Src("a.txt", "inner"), "a.txt"));
  inner.Close();
  CZipArchive outer;
  outer.Open(P("outer.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(outer.AddNewFile(Src("b.txt", "outer"), "b.txt"));
  ASSERT_TRUE(outer.AddNewFile(P("inner.zip"), "inner.zip", 0));
  outer.Close();
  outer.Open(P("outer.zip"), CZipArchive::zipOpenReadOnly);
  EXPECT_EQ(outer.GetCount(), 2);
  EXPECT_EQ(outer.FindFile("inner.zip"), 1);
  outer.Close();

  // Cut by 1 to 100 bytes, the outer archive is damaged: it must never open as the inner one.
  // Python lists the outer entries of the whole file only (it reads some cuts as the inner
  // archive, which is not the file the user saved).
  const std::string whole = ReadFile(P("outer.zip"));
  std::string script =
      "import zipfile,sys\n"
      "for p in sys.argv[1:]:\n"
      "  try: n=zipfile.ZipFile(p).namelist()\n"
      "  except zipfile.BadZipFile: n=[]\n"
      "  print('outer' if n==['b.txt','inner.zip'] else 'other')\n";
  std::string args = " " + Quote(P("outer.zip"));
  for (int cut = 1; cut <= 100; ++cut) {
    WriteFile(P("cut" + std::to_string(cut) + ".zip"), whole.substr(0, whole.size() - cut));
    args += " " + Quote(P("cut" + std::to_string(cut) + ".zip"));
    CZipArchive zip;
    EXPECT_EQ(CodeOf([&] { zip.Open(P("cut" + std::to_string(cut) + ".zip"), CZipArchive::zipOpenReadOnly); }), 101)
        << "cut " << cut;
    EXPECT_TRUE(zip.IsClosed()) << "cut " << cut;
  }
  ShellResult py = Shell(std::string(PV_PYTHON) + " -c " + Quote(script) + args);
  ASSERT_EQ(py.status, 0) << py.out;
  std::string expected = "outer\n";
  for (int cut = 1; cut <= 100; ++cut) expected += "other\n";
  EXPECT_EQ(py.out, expected);
}

TEST_F(ZipRead, FindingEntries) {
  CZipMemFile mem;
  CZipArchive zip;
  zip.OpenInMemory(mem, CZipArchive::zipCreate);
  for (const char* n : {"3.tmp", "12.tmp", "Maps/7.tif", "a.pvn", "dir/b.PVN", "c.pvt", "proj.old.pvn"}) {
    CZipFileHeader h;
    h.SetFileName(n);
    ASSERT_TRUE(zip.StartNewEntry(h, 0));
    ASSERT_TRUE(zip.FinishNewEntry());
  }
  EXPECT_EQ(zip.FindFile("7.tif", CZipArchive::ffDefault, true), 2);
  EXPECT_EQ(zip.FindFile("7.tif", CZipArchive::ffDefault, false), -1);
  EXPECT_EQ(zip.FindFile("maps/7.TIF"), 2);  // the archive compares without case by default
  EXPECT_EQ(zip.FindFile("maps/7.TIF", CZipArchive::ffCaseSens), -1);
  EXPECT_EQ(zip.FindFile("Maps/7.tif", CZipArchive::ffCaseSens), 2);
  EXPECT_EQ(zip.FindFile("12.TMP", CZipArchive::ffNoCaseSens), 1);
  EXPECT_EQ(zip.FindFile("12.TMP", CZipArchive::ffNoCaseSens, true), 1);
  EXPECT_EQ(zip.FindFile("12.TMP", CZipArchive::ffCaseSens, true), -1);
  CZipWordArray found{99};
  zip.FindMatches("*.pvn", found, false);
  EXPECT_EQ(found, (CZipWordArray{99, 3, 4, 6}));
  zip.SetCaseSensitivity(true);
  found.clear();
  zip.FindMatches("*.pvn", found, true);
  EXPECT_EQ(found, (CZipWordArray{3, 6}));
  EXPECT_EQ(zip.FindFile("maps/7.tif"), -1);
  zip.Close();
  EXPECT_EQ(zip.FindFile("3.tmp"), -1);  // closed
}

TEST(ZipWildcard, Matching) {
  using W = CZipArchive::CWildcard;
  struct Case {
    const char *pattern, *text;
    int result;
  } cases[] = {
      {"*.pvn", "proj.old.pvn", W::matchValid},
      {"*ab", "aab", W::matchValid},
      {"*.pvn", "proj.pvt", W::matchAbort},
      {"[a-c]x", "bx", W::matchValid},
      {"[c-a]x", "bx", W::matchValid},
      {"[!a-c]x", "bx", W::matchRange},
      {"[^a-c]x", "dx", W::matchValid},
      {"[]x", "x", W::matchPattern},
      {"[a-", "a", W::matchPattern},
      {"\\*", "*", W::matchValid},
      {"\\*", "a", W::matchLiteral},
      {"a?c", "abc", W::matchValid},
      {"abc", "ab", W::matchAbort},
      {"ab", "abc", W::matchEnd},
      {"a*", "a", W::matchValid},
      {"*[0-9].tif", "band12.tif", W::matchValid},
      {"*\\", "a", W::matchPattern},
  };
  for (const auto& c : cases) EXPECT_EQ(W::Match(c.pattern, c.text), c.result) << c.pattern << " ~ " << c.text;
  EXPECT_TRUE(W("*.PVN", false).IsMatch("a.pvn"));
  EXPECT_FALSE(W("*.PVN", true).IsMatch("a.pvn"));
  struct Valid {
    const char* pattern;
    int code;
  } valid[] = {{"a*b?[x-z]", 0}, {"ab\\", -1}, {"[a-]", -2}, {"[ab", -3}, {"[]", -4}, {"[", -3}};
  for (const auto& v : valid) {
    int code = 99;
    EXPECT_EQ(W::IsPatternValid(v.pattern, &code), v.code == 0) << v.pattern;
    EXPECT_EQ(code, v.code) << v.pattern;
  }
  EXPECT_TRUE(W::IsPattern("a?"));
  EXPECT_FALSE(W::IsPattern("plain.txt"));
}

// One archive object extracts entry after entry, as Extract and Open does: what it keeps
// between entries (inflater, buffers, the open destination folder) must not leak from a
// damaged entry into the next, nor outlive a destination removed meanwhile.
TEST_F(ZipRead, ManyEntriesThroughOneArchiveSurviveDamageAndRemovedFolders) {
  const std::string damagedText = "DAMAGED-ENTRY-" + TextBytes(3000, 9);
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"a.txt", TextBytes(90000, 3)}, {"sub/b.bin", RandomBytes(5000, 4)}, {"c.txt", damagedText},
      {"sub/d.txt", TextBytes(40000, 5)}, {"sub/e.txt", TextBytes(7000, 6)}};
  {
    CZipArchive zip;
    zip.Open(P("many.zip"), CZipArchive::zipCreate);
    for (const auto& [name, bytes] : entries) {
      CZipFileHeader h;
      h.SetFileName(name);
      // The damaged entry is stored, so its bytes can be found and changed in the file.
      ASSERT_TRUE(zip.StartNewEntry(h, name == "c.txt" || name == "sub/b.bin" ? 0 : 6));
      ASSERT_TRUE(zip.WriteEntryData(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
      ASSERT_TRUE(zip.FinishNewEntry());
    }
    zip.Close();
  }
  std::string file = ReadFile(P("many.zip"));
  const std::size_t at = file.find("DAMAGED-ENTRY-");
  ASSERT_NE(at, std::string::npos);
  file[at] = 'X';
  WriteFile(P("many.zip"), file);
  WriteFile(P("out/a.txt"), "an older a.txt");

  CZipArchive zip;
  zip.Open(P("many.zip"), CZipArchive::zipOpenReadOnly);
  for (std::uint16_t i = 0; i < entries.size(); ++i) {
    const auto& [name, bytes] = entries[i];
    SCOPED_TRACE(name);
    if (name == "sub/e.txt") fs::remove_all(P("out"));  // the user empties the destination
    if (name == "c.txt") {
      EXPECT_THROW(zip.ExtractFile(i, P("out"), true), CZipException);
      EXPECT_FALSE(fs::exists(P("out/c.txt")));
      continue;
    }
    ASSERT_TRUE(zip.ExtractFile(i, P("out"), true));
    EXPECT_EQ(ReadFile(P("out/" + name)), bytes);
  }
  zip.Close();
  // Nothing but the entries is left behind: no temporary names.
  std::size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(P("out"))) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
}
