#include "landscape/header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "landscape/reader.h"
#include "oracle.h"

using landscape_test::ScratchDir;

namespace {

CHeaderData SampleHeader() {
  CHeaderData h;
  h.crownFlag = 21;
  h.groundFlag = 20;
  h.latitude = 44;
  h.westEdge = 1000.5;
  h.eastEdge = 1090.5;
  h.southEdge = 2000.25;
  h.northEdge = 2060.25;
  for (int k = 0; k < 10; ++k) {
    h.layerStats[k].low = k;
    h.layerStats[k].high = 100 + k;
    h.layerStats[k].count = k == 3 ? -1 : 2;
    for (int i = 0; i < 100; ++i) h.layerStats[k].values[i] = 1000 * k + i;
    h.unitCodes[k] = static_cast<std::int16_t>(k + 1);
    h.layerFiles[k] = "layer" + std::to_string(k) + ".asc";
  }
  h.columns = 3;
  h.rows = 2;
  h.east = 1090.5;
  h.west = 1000.5;
  h.north = 2060.25;
  h.south = 2000.25;
  h.gridUnits = 1;
  h.cellWidth = 30;
  h.cellHeight = 30;
  h.description = "test landscape";
  return h;
}

template <class T>
T At(const std::string& bytes, std::size_t offset) {
  T v;
  std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

void ExpectSame(const CHeaderData& a, const CHeaderData& b) {
  EXPECT_EQ(a.SerializeHeader(), b.SerializeHeader());
}

std::string WriteLcp(const std::string& path, const CHeaderData& h, std::int64_t cellBytes) {
  std::ofstream out(path, std::ios::binary);
  const std::string bytes = h.SerializeHeader();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::string cells(static_cast<std::size_t>(cellBytes), '\0');
  out.write(cells.data(), static_cast<std::streamsize>(cells.size()));
  return path;
}

}  // namespace

TEST(LcpHeader, FieldsLieAtTheirByteOffsets) {
  const CHeaderData h = SampleHeader();
  const std::string b = h.SerializeHeader();
  ASSERT_EQ(b.size(), 7316u);
  EXPECT_EQ(At<std::int32_t>(b, 0), 21);
  EXPECT_EQ(At<std::int32_t>(b, 8), 44);
  EXPECT_EQ(At<double>(b, 12), 1000.5);
  EXPECT_EQ(At<double>(b, 36), 2060.25);
  EXPECT_EQ(At<std::int32_t>(b, 44 + 412 * 9), 9);             // low of layer 9
  EXPECT_EQ(At<std::int32_t>(b, 52 + 412 * 3), -1);            // count of layer 3
  EXPECT_EQ(At<std::int32_t>(b, 56 + 412 * 9 + 4 * 99), 9099);  // last value of layer 9
  EXPECT_EQ(At<std::int32_t>(b, 4164), 3);
  EXPECT_EQ(At<std::int32_t>(b, 4168), 2);
  EXPECT_EQ(At<double>(b, 4172), 1090.5);
  EXPECT_EQ(At<double>(b, 4196), 2000.25);
  EXPECT_EQ(At<std::int32_t>(b, 4204), 1);
  EXPECT_EQ(At<double>(b, 4216), 30.0);
  EXPECT_EQ(At<std::int16_t>(b, 4224 + 2 * 9), 10);
  EXPECT_EQ(std::string(b.data() + 4244 + 256 * 2), "layer2.asc");
  EXPECT_EQ(std::string(b.data() + 6804), "test landscape");
  EXPECT_EQ(b.back(), '\0');

  CHeaderData back;
  ASSERT_TRUE(back.ParseHeader(b.data(), b.size()));
  ExpectSame(h, back);
}

TEST(LcpHeader, TextFieldsKeepTheirWidthAndNul) {
  CHeaderData h = SampleHeader();
  h.layerFiles[0] = std::string(255, 'a');
  h.layerFiles[1] = std::string(300, 'b');  // too long: cut, the field still ends in a NUL
  h.description = std::string(600, 'd');
  const std::string b = h.SerializeHeader();
  ASSERT_EQ(b.size(), 7316u);
  EXPECT_EQ(b[4244 + 255], '\0');
  EXPECT_EQ(b[4244 + 256 + 255], '\0');
  EXPECT_EQ(b[6804 + 511], '\0');
  CHeaderData back;
  ASSERT_TRUE(back.ParseHeader(b.data(), b.size()));
  EXPECT_EQ(back.layerFiles[0], h.layerFiles[0]);
  EXPECT_EQ(back.layerFiles[1], std::string(255, 'b'));
  EXPECT_EQ(back.description, std::string(511, 'd'));

  // A field without any NUL is taken whole, without reading into the next one.
  std::string raw = b;
  std::memset(raw.data() + 4244, 'x', 256);
  ASSERT_TRUE(back.ParseHeader(raw.data(), raw.size()));
  EXPECT_EQ(back.layerFiles[0], std::string(256, 'x'));
  EXPECT_EQ(back.layerFiles[1], std::string(255, 'b'));
}

TEST(LcpHeader, LayersPresentByFlags) {
  struct Case {
    int crown, ground, bands, duffIndex, heightIndex;
  };
  for (const Case c : {Case{20, 20, 5, -1, -1}, Case{21, 20, 8, -1, 5}, Case{20, 21, 7, 5, -1},
                       Case{21, 21, 10, 8, 5}, Case{25, 20, 8, -1, 5}}) {
    CHeaderData h;
    h.crownFlag = c.crown;
    h.groundFlag = c.ground;
    SCOPED_TRACE(testing::Message() << c.crown << "/" << c.ground);
    EXPECT_EQ(h.BandCount(), c.bands);
    EXPECT_EQ(h.BandIndex(landscape::kDuffLoading), c.duffIndex);
    EXPECT_EQ(h.BandIndex(landscape::kCoarseWoody), c.duffIndex < 0 ? -1 : c.duffIndex + 1);
    EXPECT_EQ(h.BandIndex(landscape::kStandHeight), c.heightIndex);
    EXPECT_EQ(h.BandIndex(landscape::kCanopyCover), 4);
  }
}

TEST(LcpHeader, ReadHeaderChecksTheFile) {
  ScratchDir dir;
  CHeaderData h = SampleHeader();  // 3 x 2 cells, 8 values each: 96 bytes of cells
  struct Case {
    const char* name;
    std::int64_t cellBytes;
    int firstValue;
    int rows;
    int expect;
  };
  for (const Case c : {Case{"whole", 96, 21, 2, 0}, Case{"short", 95, 21, 2, -1},
                       Case{"huge rows", 96, 21, 0x7fffffff, -1}, Case{"negative rows", 96, 21, -2, -1},
                       Case{"old format", 96, 1, 2, -1}}) {
    SCOPED_TRACE(c.name);
    CHeaderData w = h;
    w.crownFlag = c.firstValue;
    w.rows = c.rows;
    const std::string path = WriteLcp(dir / "h.lcp", w, c.cellBytes);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(f);
    CHeaderData r;
    r.latitude = -77;
    EXPECT_EQ(r.ReadHeader(f), c.expect);
    std::fclose(f);
    if (c.expect == 0)
      ExpectSame(r, w);
    else
      EXPECT_EQ(r.latitude, -77);  // untouched
    EXPECT_EQ(landscape::LandscapeReader::Open(path) != nullptr, c.expect == 0);
  }
  // Shorter than a header.
  std::ofstream(dir / "tiny.lcp") << "abc";
  std::FILE* f = std::fopen((dir / "tiny.lcp").c_str(), "rb");
  CHeaderData r;
  EXPECT_EQ(r.ReadHeader(f), -1);
  std::fclose(f);
}
