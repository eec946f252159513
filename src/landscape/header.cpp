#include "landscape/header.h"

#include <gdal_priv.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "landscape/geo.h"


namespace {

constexpr std::size_t kLayerFileField = 256;
constexpr std::size_t kDescriptionField = 512;

// Little-endian packing, independent of the host's byte order.
class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}
  void I32(std::int32_t v) { Raw(static_cast<std::uint32_t>(v), 4); }
  void I16(std::int16_t v) { Raw(static_cast<std::uint16_t>(v), 2); }
  void F64(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    Raw(u, 8);
  }
  // The text, a NUL and NUL padding; a text too long for the field is cut to keep the NUL.
  void Text(const std::string& s, std::size_t width) {
    std::size_t n = std::min(s.size(), width - 1);
    n = std::min(n, std::strlen(s.c_str()));  // an embedded NUL ends the text anyway
    out_.append(s.data(), n);
    out_.append(width - n, '\0');
  }

 private:
  void Raw(std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
  std::string& out_;
};

class Reader {
 public:
  explicit Reader(const unsigned char* p) : p_(p) {}
  std::int32_t I32() { return static_cast<std::int32_t>(Raw(4)); }
  std::int16_t I16() { return static_cast<std::int16_t>(Raw(2)); }
  double F64() {
    std::uint64_t u = Raw(8);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
  }
  // The text before the first NUL, or the whole field when it holds none.
  std::string Text(std::size_t width) {
    const char* s = reinterpret_cast<const char*>(p_);
    std::size_t n = 0;
    while (n < width && s[n]) ++n;
    p_ += width;
    return std::string(s, n);
  }

 private:
  std::uint64_t Raw(int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(p_[i]) << (8 * i);
    p_ += bytes;
    return v;
  }
  const unsigned char* p_;
};

}  // namespace

int CHeaderData::BandCount() const {
  return 5 + (HasCrownFuels() ? 3 : 0) + (HasGroundFuels() ? 2 : 0);
}

int CHeaderData::BandIndex(int code) const {
  if (code < 0 || code > 9) return -1;
  if (code <= 4) return code;
  if (code <= 7) return HasCrownFuels() ? code : -1;
  if (!HasGroundFuels()) return -1;
  return code - (HasCrownFuels() ? 0 : 3);
}

std::int64_t CHeaderData::CellBytes() const {
  if (rows <= 0 || columns <= 0) return -1;
  // A hostile header can claim sizes whose product overflows: refuse those.
  std::int64_t cells = 0, bytes = 0;
  if (__builtin_mul_overflow(static_cast<std::int64_t>(rows), static_cast<std::int64_t>(columns), &cells) ||
      __builtin_mul_overflow(cells, static_cast<std::int64_t>(BandCount()) * 2, &bytes))
    return -1;
  return bytes;
}

std::string CHeaderData::SerializeHeader() const {
  std::string out;
  out.reserve(landscape::kLcpHeaderSize);
  Writer w(out);
  w.I32(crownFlag);
  w.I32(groundFlag);
  w.I32(latitude);
  w.F64(westEdge);
  w.F64(eastEdge);
  w.F64(southEdge);
  w.F64(northEdge);
  for (const LcpLayerStats& s : layerStats) {
    w.I32(s.low);
    w.I32(s.high);
    w.I32(s.count);
    for (std::int32_t v : s.values) w.I32(v);
  }
  w.I32(columns);
  w.I32(rows);
  w.F64(east);
  w.F64(west);
  w.F64(north);
  w.F64(south);
  w.I32(gridUnits);
  w.F64(cellWidth);
  w.F64(cellHeight);
  for (std::int16_t c : unitCodes) w.I16(c);
  for (const std::string& f : layerFiles) w.Text(f, kLayerFileField);
  w.Text(description, kDescriptionField);
  return out;
}

bool CHeaderData::ParseHeader(const void* bytes, std::size_t size) {
  if (!bytes || size < static_cast<std::size_t>(landscape::kLcpHeaderSize)) return false;
  Reader r(static_cast<const unsigned char*>(bytes));
  CHeaderData h;
  h.crownFlag = r.I32();
  // A first value below 10 marks the older landscape format, which is not read.
  if (h.crownFlag < 10) return false;
  h.groundFlag = r.I32();
  h.latitude = r.I32();
  h.westEdge = r.F64();
  h.eastEdge = r.F64();
  h.southEdge = r.F64();
  h.northEdge = r.F64();
  for (LcpLayerStats& s : h.layerStats) {
    s.low = r.I32();
    s.high = r.I32();
    s.count = r.I32();
    for (std::int32_t& v : s.values) v = r.I32();
  }
  h.columns = r.I32();
  h.rows = r.I32();
  h.east = r.F64();
  h.west = r.F64();
  h.north = r.F64();
  h.south = r.F64();
  h.gridUnits = r.I32();
  h.cellWidth = r.F64();
  h.cellHeight = r.F64();
  for (std::int16_t& c : h.unitCodes) c = r.I16();
  for (std::string& f : h.layerFiles) f = r.Text(kLayerFileField);
  h.description = r.Text(kDescriptionField);
  *this = std::move(h);
  return true;
}

int CHeaderData::WriteHeader(std::FILE* file) const {
  if (!file || std::fseek(file, 0, SEEK_SET) != 0) return -1;
  const std::string bytes = SerializeHeader();
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() ? 0 : -1;
}

int CHeaderData::ReadHeader(std::FILE* file) {
  if (!file || std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  if (size < landscape::kLcpHeaderSize || std::fseek(file, 0, SEEK_SET) != 0) return -1;
  std::string bytes(static_cast<std::size_t>(landscape::kLcpHeaderSize), '\0');
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return -1;
  CHeaderData h;
  if (!h.ParseHeader(bytes.data(), bytes.size())) return -1;
  const std::int64_t cells = h.CellBytes();
  if (cells < 0 || cells > size - landscape::kLcpHeaderSize) return -1;
  *this = std::move(h);
  return 0;
}

void CHeaderData::EmptyStatistics() {
  for (int k = 0; k < landscape::kLayerCount; ++k) {
    LcpLayerStats& s = layerStats[k];
    s.count = -1;
    if (k >= 5) {
      s.low = s.high = 0;
      s.values.fill(0);
    }
  }
}

int landscape::FillHeaderFromGeoTiff(GDALDataset* ds, const double gt[6], CHeaderData& h) {
  h.columns = ds->GetRasterXSize();
  h.rows = ds->GetRasterYSize();
  bool crown = true;
  for (int b = 6; b <= 8 && crown; ++b) crown = BandHasData(ds, b);
  h.crownFlag = crown ? 21 : 20;
  h.groundFlag = 20;
  h.gridUnits = 0;
  h.cellWidth = std::fabs(gt[1]);
  h.cellHeight = std::fabs(gt[5]);
  h.west = h.westEdge = gt[0];
  h.north = h.northEdge = gt[3];
  h.east = h.eastEdge = gt[0] + h.columns * h.cellWidth;
  h.south = h.southEdge = gt[3] - h.rows * h.cellHeight;
  h.unitCodes = {0, 0, 2, 0, 1, 3, 3, 3, 1, 0};
  h.EmptyStatistics();
  const CenterLatitudeResult lat = CenterLatitude(ds);
  h.latitude = lat.status == CenterLatitudeResult::kOk ? static_cast<std::int32_t>(std::trunc(lat.latitude)) : 35;
  return lat.status;
}

int CHeaderData::ReadGeoTiffHeader(const std::string& path) {
  std::unique_ptr<GDALDataset> ds(
      GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
  if (!ds) return -1;
  double gt[6];
  if (ds->GetGeoTransform(gt) != CE_None || ds->GetRasterCount() < 8) return -1;
  landscape::FillHeaderFromGeoTiff(ds.get(), gt, *this);
  return 0;
}
