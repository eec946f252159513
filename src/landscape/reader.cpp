#include "landscape/reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gdal_priv.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "landscape/geotiff.h"
#include "platform/paths.h"

namespace landscape {

namespace {

bool HostIsLittleEndian() {
  const std::uint16_t one = 1;
  unsigned char b;
  std::memcpy(&b, &one, 1);
  return b == 1;
}

void FromLittleEndian(std::int16_t* v, std::size_t n) {
  if (HostIsLittleEndian()) return;
  for (std::size_t i = 0; i < n; ++i) {
    const auto u = static_cast<std::uint16_t>(v[i]);
    v[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((u >> 8) | (u << 8)));
  }
}

bool WindowInside(const CHeaderData& h, int c0, int r0, int cols, int rows) {
  return c0 >= 0 && r0 >= 0 && cols > 0 && rows > 0 && cols <= h.columns - c0 && rows <= h.rows - r0;
}

class GeoTiffReader final : public LandscapeReader {
 public:
  static std::unique_ptr<GeoTiffReader> Open(const std::string& path, std::string* error) {
    EnsureGdal();
    std::unique_ptr<GeoTiffReader> r(new GeoTiffReader);
    if (r->header_.ReadGeoTiffHeader(path) != 0) {
      if (error) *error = "Not a landscape GeoTIFF: " + path;
      return nullptr;
    }
    r->ds_ = GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    if (!r->ds_) {
      if (error) *error = "Cannot open " + path;
      return nullptr;
    }
    return r;
  }
  ~GeoTiffReader() override {
    if (ds_) GDALClose(ds_);
  }
  bool ReadWindow(int layer, int c0, int r0, int cols, int rows, std::int16_t* out) const override {
    if (!HasLayer(layer) || layer >= 8 || !WindowInside(header_, c0, r0, cols, rows)) return false;
    std::lock_guard<std::mutex> lock(mutex_);  // a GDAL dataset is not shared between threads
    return ds_->GetRasterBand(layer + 1)->RasterIO(GF_Read, c0, r0, cols, rows, out, cols, rows, GDT_Int16,
                                                   0, 0) == CE_None;
  }

 private:
  GDALDataset* ds_ = nullptr;
  mutable std::mutex mutex_;
};

}  // namespace

std::unique_ptr<LandscapeReader> LandscapeReader::Open(const std::string& path, std::string* error) {
  if (platform::HasExtension(path, ".lcp")) return LcpFileReader::Open(path, error);
  return GeoTiffReader::Open(path, error);
}

LcpFileReader::~LcpFileReader() {
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<LcpFileReader> LcpFileReader::Open(const std::string& path, std::string* error) {
  std::unique_ptr<LcpFileReader> r(new LcpFileReader);
  r->fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (r->fd_ < 0) {
    if (error) *error = "Cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  struct stat st;
  std::string bytes(static_cast<std::size_t>(kLcpHeaderSize), '\0');
  if (::fstat(r->fd_, &st) != 0 || st.st_size < kLcpHeaderSize ||
      !r->ReadAt(0, bytes.data(), bytes.size()) || !r->header_.ParseHeader(bytes.data(), bytes.size())) {
    if (error) *error = "Not a landscape file: " + path;
    return nullptr;
  }
  const CHeaderData& h = r->header_;
  const std::int64_t cells = h.CellBytes();
  if (cells < 0 || cells > st.st_size - kLcpHeaderSize) {
    if (error) *error = "The landscape file is shorter than its rows and columns say: " + path;
    return nullptr;
  }
  return r;
}

bool LcpFileReader::ReadAt(std::int64_t offset, void* out, std::size_t bytes) const {
  auto* p = static_cast<char*>(out);
  while (bytes > 0) {
    const ssize_t n = ::pread(fd_, p, bytes, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    bytes -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}

bool LcpFileReader::ReadRows(int firstRow, int rows, std::int16_t* out) const {
  if (!WindowInside(header_, 0, firstRow, header_.columns, rows)) return false;
  const std::int64_t rowValues = static_cast<std::int64_t>(header_.columns) * header_.BandCount();
  const std::size_t n = static_cast<std::size_t>(rowValues * rows);
  if (!ReadAt(kLcpHeaderSize + firstRow * rowValues * 2, out, n * 2)) return false;
  FromLittleEndian(out, n);
  return true;
}

bool LcpFileReader::ReadWindow(int layer, int c0, int r0, int cols, int rows, std::int16_t* out) const {
  const int band = header_.BandIndex(layer);
  if (band < 0 || !WindowInside(header_, c0, r0, cols, rows)) return false;
  const int bands = header_.BandCount();
  std::vector<std::int16_t> buf(static_cast<std::size_t>(cols) * bands);
  for (int r = 0; r < rows; ++r) {
    const std::int64_t cell = static_cast<std::int64_t>(r0 + r) * header_.columns + c0;
    if (!ReadAt(kLcpHeaderSize + cell * bands * 2, buf.data(), buf.size() * 2)) return false;
    FromLittleEndian(buf.data(), buf.size());
    std::int16_t* dst = out + static_cast<std::size_t>(r) * cols;
    for (int c = 0; c < cols; ++c) dst[c] = buf[static_cast<std::size_t>(c) * bands + band];
  }
  return true;
}

}  // namespace landscape
