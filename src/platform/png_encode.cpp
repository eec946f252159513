#include "platform/png_encode.h"

#include "platform/image.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace platform {

namespace {

// Raw bytes one thread deflates at least: smaller pieces cost more in lost matches than
// they gain.
constexpr std::size_t kPieceBytes = 256 * 1024;
constexpr std::size_t kWindow = 32768;  // deflate's window: the dictionary a piece is primed with

void PutU32(std::string& out, std::uint32_t v) {
  const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                     static_cast<char>(v)};
  out.append(b, 4);
}

void PutChunk(std::string& out, const char* type, std::string_view data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.append(type, 4);
  out.append(data);
  PutU32(out, static_cast<std::uint32_t>(
                  crc32(0, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(data.size() + 4))));
}

std::uint32_t PixelAt(const unsigned char* pixels, int stride, int x, int y) {
  std::uint32_t p;
  std::memcpy(&p, pixels + static_cast<std::size_t>(y) * stride + 4 * static_cast<std::size_t>(x), 4);
  return p;
}

// Up to 256 distinct pixels by open addressing.
class ColourSet {
 public:
  ColourSet() { slots_.fill(-1); }
  // The colour's slot, added when new; -1 once a 257th colour shows.
  int Add(std::uint32_t p) {
    for (std::size_t h = Hash(p);; h = (h + 1) & (kSlots - 1)) {
      if (slots_[h] < 0) {
        if (colours_.size() == 256) return -1;
        slots_[h] = static_cast<std::int16_t>(colours_.size());
        colours_.push_back(p);
        return slots_[h];
      }
      if (colours_[static_cast<std::size_t>(slots_[h])] == p) return slots_[h];
    }
  }
  int Find(std::uint32_t p) const {
    for (std::size_t h = Hash(p);; h = (h + 1) & (kSlots - 1)) {
      if (slots_[h] < 0) return -1;
      if (colours_[static_cast<std::size_t>(slots_[h])] == p) return slots_[h];
    }
  }
  const std::vector<std::uint32_t>& Colours() const { return colours_; }

 private:
  static constexpr std::size_t kSlots = 1024;
  static std::size_t Hash(std::uint32_t p) { return (p * 2654435761u) >> 22; }
  std::array<std::int16_t, kSlots> slots_;
  std::vector<std::uint32_t> colours_;
};

// The image's colours when there are at most 256: transparent ones first (a short tRNS),
// each group in ascending order, so the file does not depend on the thread count.
bool CollectPalette(const unsigned char* pixels, int width, int height, int stride, std::vector<std::uint32_t>& out) {
  std::atomic<bool> tooMany{false};
  std::vector<std::uint32_t> all;
#pragma omp parallel
  {
    ColourSet local;
#pragma omp for schedule(static)
    for (int y = 0; y < height; ++y) {
      if (tooMany.load(std::memory_order_relaxed)) continue;
      std::uint32_t last = ~PixelAt(pixels, stride, 0, y);
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = PixelAt(pixels, stride, x, y);
        if (p == last) continue;
        last = p;
        if (local.Add(p) < 0) {
          tooMany = true;
          break;
        }
      }
    }
#pragma omp critical
    all.insert(all.end(), local.Colours().begin(), local.Colours().end());
  }
  if (tooMany) return false;
  std::sort(all.begin(), all.end(), [](std::uint32_t a, std::uint32_t b) {
    const bool opaqueA = (a >> 24) == 0xFF, opaqueB = (b >> 24) == 0xFF;
    return opaqueA != opaqueB ? opaqueB : a < b;
  });
  all.erase(std::unique(all.begin(), all.end()), all.end());
  if (all.size() > 256) return false;
  out = std::move(all);
  return true;
}

// Filter type of a truecolour row: the one whose bytes, read as signed, sum smallest.
void FilterRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t n, std::uint8_t* out,
               std::vector<std::uint8_t>& trial) {
  constexpr std::size_t bpp = 4;
  trial.resize(n);
  std::size_t bestSum = ~std::size_t{0};
  for (std::uint8_t type = 0; type <= 4; ++type) {
    std::size_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const int a = i >= bpp ? row[i - bpp] : 0, b = above ? above[i] : 0, c = i >= bpp && above ? above[i - bpp] : 0;
      int predicted = 0;
      switch (type) {
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) / 2; break;
        case 4: {
          const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default: break;
      }
      const auto v = static_cast<std::uint8_t>(row[i] - predicted);
      trial[i] = v;
      sum += v < 128 ? v : 256 - v;
    }
    if (sum < bestSum) {
      bestSum = sum;
      out[0] = type;
      std::memcpy(out + 1, trial.data(), n);
    }
  }
}

struct Piece {
  std::string deflated;
  uLong adler = 1;
  std::size_t length = 0;
};

bool DeflatePiece(const std::uint8_t* data, std::size_t begin, std::size_t end, bool last, int strategy, Piece& piece) {
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, strategy) != Z_OK) return false;
  bool ok = true;
  if (begin > 0) {
    const std::size_t n = std::min(begin, kWindow);
    ok = deflateSetDictionary(&z, data + begin - n, static_cast<uInt>(n)) == Z_OK;
  }
  const std::size_t length = end - begin;
  piece.length = length;
  piece.adler = adler32(1, data + begin, static_cast<uInt>(length));
  piece.deflated.resize(deflateBound(&z, static_cast<uLong>(length)) + 16);
  z.next_in = const_cast<Bytef*>(data + begin);
  z.avail_in = static_cast<uInt>(length);
  std::size_t written = 0;
  const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
  while (ok) {
    if (written == piece.deflated.size()) piece.deflated.resize(piece.deflated.size() * 2);
    z.next_out = reinterpret_cast<Bytef*>(piece.deflated.data() + written);
    z.avail_out = static_cast<uInt>(piece.deflated.size() - written);
    const int r = deflate(&z, flush);
    written = piece.deflated.size() - z.avail_out;
    if (r == Z_STREAM_END || (r == Z_OK && !last && z.avail_in == 0 && z.avail_out > 0)) break;
    // Anything but a full output buffer is a failure.
    ok = (r == Z_OK || r == Z_BUF_ERROR) && z.avail_out == 0;
  }
  deflateEnd(&z);
  piece.deflated.resize(written);
  return ok;
}

}  // namespace

namespace {

// The filtered rows (each led by its filter byte) deflated in pieces side by side, each
// ending on a byte boundary, so that together they are one deflate stream; then the file.
bool WritePng(const std::vector<std::uint8_t>& raw, int width, int height, const std::vector<Rgba>* palette,
              std::string& out) {
  const std::size_t rowBytes = raw.size() / static_cast<std::size_t>(height);
  const std::size_t rowsPerPiece = std::max<std::size_t>(1, kPieceBytes / rowBytes);
  const std::size_t pieceCount = (static_cast<std::size_t>(height) + rowsPerPiece - 1) / rowsPerPiece;
  std::vector<Piece> pieces(pieceCount);
  std::atomic<bool> failed{false};
  // Palette rows are not filtered; filtered truecolour rows deflate best with this strategy.
  const int strategy = palette ? Z_DEFAULT_STRATEGY : Z_FILTERED;
#pragma omp parallel for schedule(dynamic)
  for (std::size_t k = 0; k < pieceCount; ++k) {
    const std::size_t begin = k * rowsPerPiece * rowBytes;
    const std::size_t end = std::min(raw.size(), begin + rowsPerPiece * rowBytes);
    if (!DeflatePiece(raw.data(), begin, end, k + 1 == pieceCount, strategy, pieces[k])) failed = true;
  }
  if (failed) return false;

  out.clear();
  static const char kSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
  out.append(kSignature, 8);
  std::string header;
  PutU32(header, static_cast<std::uint32_t>(width));
  PutU32(header, static_cast<std::uint32_t>(height));
  header += {8, static_cast<char>(palette ? 3 : 6), 0, 0, 0};
  PutChunk(out, "IHDR", header);
  if (palette) {
    std::string plte, trns;
    std::size_t lastClear = 0;
    for (std::size_t i = 0; i < palette->size(); ++i) {
      const Rgba& c = (*palette)[i];
      plte.append({static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)});
      trns.push_back(static_cast<char>(c.a));
      if (c.a != 255) lastClear = i + 1;
    }
    PutChunk(out, "PLTE", plte);
    // Alphas up to the last entry that is not opaque; the rest are opaque.
    if (lastClear > 0) PutChunk(out, "tRNS", trns.substr(0, lastClear));
  }
  uLong adler = 1;
  for (std::size_t k = 0; k < pieceCount; ++k) {
    std::string idat;
    if (k == 0) idat = "\x78\x9c";  // deflate, 32 KiB window, the default level
    idat += pieces[k].deflated;
    adler = k == 0 ? pieces[k].adler : adler32_combine(adler, pieces[k].adler, static_cast<z_off_t>(pieces[k].length));
    if (k + 1 == pieceCount) PutU32(idat, static_cast<std::uint32_t>(adler));
    PutChunk(out, "IDAT", idat);
  }
  PutChunk(out, "IEND", {});
  return true;
}

}  // namespace

bool EncodeIndexedPng(std::vector<std::uint8_t>& rows, int width, int height, const std::vector<Rgba>& palette,
                      std::string& out) {
  out.clear();
  const std::size_t rowBytes = 1 + static_cast<std::size_t>(std::max(width, 0));
  if (width <= 0 || height <= 0 || palette.empty() || palette.size() > 256 ||
      rows.size() != rowBytes * static_cast<std::size_t>(height))
    return false;
  for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y) * rowBytes] = 0;  // no filter
  return WritePng(rows, width, height, &palette, out);
}

bool EncodeArgb32Png(const unsigned char* pixels, int width, int height, int stride, bool allowPalette,
                     std::string& out) {
  out.clear();
  if (!pixels || width <= 0 || height <= 0 || stride < 4 * width) return false;
  std::vector<std::uint32_t> colours;
  const bool paletted = allowPalette && CollectPalette(pixels, width, height, stride, colours);
  const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * (paletted ? 1 : 4);
  std::vector<std::uint8_t> raw(rowBytes * static_cast<std::size_t>(height));

  if (paletted) {
    ColourSet index;
    for (std::uint32_t p : colours) index.Add(p);
#pragma omp parallel for schedule(static)
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = &raw[static_cast<std::size_t>(y) * rowBytes];
      std::uint32_t last = ~PixelAt(pixels, stride, 0, y);
      std::uint8_t lastIndex = 0;
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = PixelAt(pixels, stride, x, y);
        if (p != last) {
          last = p;
          lastIndex = static_cast<std::uint8_t>(index.Find(p));
        }
        row[1 + x] = lastIndex;
      }
    }
    std::vector<Rgba> palette;
    for (std::uint32_t p : colours) palette.push_back(StraightFromPremultiplied(p));
    return EncodeIndexedPng(raw, width, height, palette, out);
  }
  const std::size_t n = static_cast<std::size_t>(width) * 4;
  std::vector<std::uint8_t> straight(n * static_cast<std::size_t>(height));
#pragma omp parallel for schedule(static)
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba s = StraightFromPremultiplied(PixelAt(pixels, stride, x, y));
      std::uint8_t* o = &straight[static_cast<std::size_t>(y) * n + 4 * static_cast<std::size_t>(x)];
      o[0] = s.r;
      o[1] = s.g;
      o[2] = s.b;
      o[3] = s.a;
    }
#pragma omp parallel
  {
    std::vector<std::uint8_t> trial;
#pragma omp for schedule(static)
    for (int y = 0; y < height; ++y)
      FilterRow(&straight[static_cast<std::size_t>(y) * n], y > 0 ? &straight[static_cast<std::size_t>(y - 1) * n] : nullptr,
                n, &raw[static_cast<std::size_t>(y) * rowBytes], trial);
  }
  return WritePng(raw, width, height, nullptr, out);
}

}  // namespace platform
