// LCP header parsing and the cell reader on hostile files. fuzz-seconds: 30
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "landscape/header.h"
#include "landscape/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CHeaderData h;
  if (h.ParseHeader(data, size)) {
    // What is read is written back the same, apart from text after a field's first NUL.
    CHeaderData again;
    if (!again.ParseHeader(h.SerializeHeader().data(), landscape::kLcpHeaderSize)) std::abort();
    if (again.rows != h.rows || again.columns != h.columns || again.unitCodes != h.unitCodes) std::abort();
  }

  static const std::string path = [] {
    char name[] = "/tmp/fuzz_landscape_XXXXXX.lcp";
    const int fd = ::mkstemps(name, 4);
    if (fd >= 0) ::close(fd);
    return std::string(name);
  }();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in) {
    CHeaderData r;
    r.ReadHeader(in);
    std::fclose(in);
  }
  auto reader = landscape::LcpFileReader::Open(path);
  if (!reader) return 0;
  const int cols = std::min(reader->Columns(), 64), rows = std::min(reader->Rows(), 64);
  std::vector<std::int16_t> cells(static_cast<std::size_t>(cols) * rows);
  for (int k = 0; k < 10; ++k) reader->ReadWindow(k, reader->Columns() - cols, reader->Rows() - rows, cols, rows, cells.data());
  std::vector<std::int16_t> row(static_cast<std::size_t>(reader->Columns()) * reader->Header().BandCount());
  if (row.size() <= (1u << 20)) reader->ReadRows(reader->Rows() - 1, 1, row.data());
  return 0;
}
