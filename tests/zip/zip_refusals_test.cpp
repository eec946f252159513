// What the reader cannot unpack is named as such (the code stays "damaged"), entries that share
// their bytes with others are refused one by one, and names from Unix archivers read right.
#include "zip_test_util.h"

using namespace ziptest;

namespace {

struct Refusal {
  int code = 0;
  std::string text;
};

// The first archive error met while opening the archive and extracting every entry.
Refusal FirstRefusal(const std::string& archive, const std::string& to) {
  CZipArchive zip;
  try {
    zip.Open(archive, CZipArchive::zipOpenReadOnly);
    for (int i = 0; i < zip.GetCount(); ++i) zip.ExtractFile(static_cast<std::uint16_t>(i), to, true);
    zip.Close();
  } catch (const CZipException& e) {
    zip.Close(CZipArchive::closeAfterException);
    return {e.m_iCause, e.GetDescription()};
  }
  return {};
}

}  // namespace

class ZipRefusals : public ZipTest {};

TEST_F(ZipRefusals, UnsupportedArchivesSayWhatIsNotSupported) {
  ZIPTEST_NEED("zip");
  ZIPTEST_NEED("7z");
  WriteFile(P("one.txt"), TextBytes(5000));
  struct Case {
    const char* command;  // run in the scratch folder, writes t.zip
    const char* says;
  } cases[] = {
      {"zip -q -fz t.zip one.txt", "Zip64"},
      {"7z a -tzip -bd -mem=AES256 -psecret t.zip one.txt", "AES-encrypted"},
      {"7z a -tzip -bd -mm=BZip2 t.zip one.txt", "method 12"},
  };
  for (const auto& c : cases) {
    fs::remove(P("t.zip"));
    ASSERT_EQ(Shell("cd " + Quote(dir_) + " && " + c.command).status, 0) << c.command;
    const Refusal r = FirstRefusal(P("t.zip"), P("out"));
    EXPECT_EQ(r.code, 101) << c.command;
    EXPECT_NE(r.text.find(c.says), std::string::npos) << c.command << ": " << r.text;
    EXPECT_NE(r.text.find("not supported"), std::string::npos) << r.text;
    EXPECT_FALSE(fs::exists(P("out/one.txt"))) << c.command;
  }
}

// Entry a.txt is stretched over b.txt's header and data, the way archives that unpack to far
// more than their size are built: a.txt is refused, b.txt still extracts, and the standard
// tool refuses the archive too.
TEST_F(ZipRefusals, EntriesSharingBytesAreRefused) {
  CZipArchive zip;
  zip.Open(P("o.zip"), CZipArchive::zipCreate);
  ASSERT_TRUE(zip.AddNewFile(Src("a.txt", std::string(100, 'a')), "a.txt", 0));
  ASSERT_TRUE(zip.AddNewFile(Src("b.txt", TextBytes(3000)), "b.txt", 6));
  zip.Close();
  std::string bytes = ReadFile(P("o.zip"));
  const std::size_t central = bytes.find(std::string("PK\x01\x02", 4));
  const std::uint32_t stretched = static_cast<std::uint32_t>(central - 30 - 5);  // up to the directory
  for (std::size_t at : {std::size_t{18}, std::size_t{22}, central + 20, central + 24})
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(stretched >> (8 * i));
  WriteFile(P("o.zip"), bytes);

  zip.Open(P("o.zip"), CZipArchive::zipOpenReadOnly);
  ASSERT_EQ(zip.GetCount(), 2);
  try {
    zip.ExtractFile(0, P("out"), true);
    ADD_FAILURE() << "a.txt extracted";
  } catch (const CZipException& e) {
    EXPECT_EQ(e.m_iCause, 101);
    EXPECT_NE(e.GetDescription().find("overlaps"), std::string::npos) << e.GetDescription();
  }
  EXPECT_FALSE(fs::exists(P("out/a.txt")));
  EXPECT_TRUE(zip.ExtractFile(1, P("out"), true));
  EXPECT_EQ(ReadFile(P("out/b.txt")), TextBytes(3000));
  zip.Close();
  if (HaveTool("unzip")) EXPECT_NE(Shell("unzip -t " + Quote(P("o.zip"))).status, 0);
}

TEST_F(ZipRefusals, NamesFromUnixArchiversAndUnicodePathFields) {
  ZIPTEST_NEED("zip");
  const std::string name = "Gr\xC3\xB6\xC3\x9F" "e \xC3\xB1" "and\xC3\xBA.txt";  // Größe ñandú.txt
  WriteFile(P(name), "contents");
  // Info-ZIP's default under any locale: the bytes as they are, without the UTF-8 flag.
  ASSERT_EQ(Shell("cd " + Quote(dir_) + " && LC_ALL=C zip -q u.zip " + Quote(name)).status, 0);
  fs::remove(P(name));
  EXPECT_EQ(ExtractAll(P("u.zip"), P("out")), std::vector<std::string>{name});
  EXPECT_EQ(ReadFile(P("out/" + name)), "contents");

  // A DOS archive whose stored name is a legacy one and whose Unicode path field holds the real
  // one; the field counts only while its checksum still matches the stored name.
  const std::string script =
      "import sys, zipfile, zlib, struct\n"
      "def field(name, stored):\n"
      "    body = b'\\x01' + struct.pack('<I', zlib.crc32(stored)) + name.encode()\n"
      "    return struct.pack('<HH', 0x7075, len(body)) + body\n"
      "for path, crc_of in ((sys.argv[1], b'old.txt'), (sys.argv[2], b'other.txt')):\n"
      "    with zipfile.ZipFile(path, 'w') as z:\n"
      "        i = zipfile.ZipInfo('old.txt')\n"
      "        i.create_system = 0\n"
      "        i.extra = field('new\\u20ac.txt', crc_of)\n"
      "        z.writestr(i, b'x')\n";
  WriteFile(P("make.py"), script);
  ASSERT_EQ(Shell(std::string(PV_PYTHON) + " " + Quote(P("make.py")) + " " + Quote(P("good.zip")) + " " +
                  Quote(P("stale.zip")))
                .status,
            0);
  EXPECT_EQ(ExtractAll(P("good.zip"), P("g")), std::vector<std::string>{"new\xE2\x82\xAC.txt"});
  EXPECT_EQ(ExtractAll(P("stale.zip"), P("s")), std::vector<std::string>{"old.txt"});
}
