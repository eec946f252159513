// Archive speed against the physical limit (zlib's raw deflate or inflate plus crc32 over the
// same buffers, in memory) and the usual alternative (Info-ZIP zip -6 / unzip), on the same
// bytes in one run. Default sizes are small; PYRVANE_BENCH_FULL=1 gives the 200 MB landscape
// file and 20,000 small files.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/grid_memory.h"
#include "zip/zip_archive.h"

namespace fs = std::filesystem;

namespace {

bool Full() {
  const char* v = std::getenv("PYRVANE_BENCH_FULL");
  return v && *v && *v != '0';
}

const std::string& WorkDir() {
  static const std::string dir = [] {
    std::string d = (fs::temp_directory_path() / ("pvbench_zip_" + std::to_string(::getpid()))).string();
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Int16 cells of ten interleaved bands, like a landscape file: smooth terrain, its slope and
// aspect, patchy fuel and canopy codes, and a little noise.
const std::string& Landscape() {
  static const std::string data = [] {
    const std::size_t bytes = Full() ? 200u << 20 : 8u << 20;
    const std::size_t cells = bytes / 20;
    const std::size_t cols = 4000;
    std::string s(cells * 20, '\0');
    auto* v = reinterpret_cast<std::int16_t*>(s.data());
    std::mt19937 rng(42);
    for (std::size_t i = 0; i < cells; ++i) {
      double x = static_cast<double>(i % cols), y = static_cast<double>(i / cols);
      double elev = 1500 + 400 * std::sin(x / 300) * std::cos(y / 250) + 80 * std::sin(x / 37 + y / 53);
      std::int16_t* c = v + i * 10;
      c[0] = static_cast<std::int16_t>(elev);
      c[1] = static_cast<std::int16_t>(std::fabs(std::cos(x / 300)) * 35);
      c[2] = static_cast<std::int16_t>(std::fmod(x + y, 360));
      c[3] = static_cast<std::int16_t>(((static_cast<int>(x) / 37) * 7 + (static_cast<int>(y) / 29) * 3) % 13 + 91);
      c[4] = static_cast<std::int16_t>(c[3] > 100 ? 45 : 0);
      c[5] = static_cast<std::int16_t>(c[4] ? 150 + (rng() % 4) : 0);
      c[6] = static_cast<std::int16_t>(c[4] ? 20 : 0);
      c[7] = static_cast<std::int16_t>(c[4] ? 12 : 0);
      c[8] = static_cast<std::int16_t>(rng() % 3);
      c[9] = 0;
    }
    return s;
  }();
  return data;
}

const std::string& LandscapeFile() {
  static const std::string path = [] {
    std::string p = WorkDir() + "/landscape.lcp";
    WriteFile(p, Landscape());
    return p;
  }();
  return path;
}

const std::string& SmallFilesDir() {
  static const std::string dir = [] {
    std::string d = WorkDir() + "/small";
    const int n = Full() ? 20000 : 500;
    std::mt19937 rng(7);
    for (int i = 0; i < n; ++i) {
      std::string sub = d + "/" + std::to_string(i / 500);
      fs::create_directories(sub);
      std::string body;
      std::size_t len = 200 + rng() % 6000;
      while (body.size() < len) body += "Fuel " + std::to_string(rng() % 200) + " moisture " + std::to_string(rng() % 30) + "\n";
      WriteFile(sub + "/" + std::to_string(i) + ".txt", body);
    }
    return d;
  }();
  return dir;
}

std::vector<std::string> SmallFiles() {
  std::vector<std::string> files;
  for (auto& e : fs::recursive_directory_iterator(SmallFilesDir()))
    if (e.is_regular_file()) files.push_back(e.path().string());
  return files;
}

// Outside the timing: the previous output goes and dirty pages reach the disk, so each
// iteration writes into a clean page cache, as a user's single extraction does.
void FreshDestination(benchmark::State& state, const std::string& dest) {
  state.PauseTiming();
  fs::remove_all(dest);
  if (Full()) ::sync();
  state.ResumeTiming();
}

void Sh(benchmark::State& state, const std::string& cmd) {
  if (std::system(cmd.c_str()) != 0) state.SkipWithError(("failed: " + cmd).c_str());
}

// ---- large file ------------------------------------------------------------------------

void BM_AddLarge_Ours(benchmark::State& state) {
  const std::string& src = LandscapeFile();
  const std::string out = WorkDir() + "/ours_large.zip";
  for (auto _ : state) {
    CZipArchive zip;
    zip.Open(out, CZipArchive::zipCreate);
    zip.AddNewFile(src, "landscape.lcp");
    zip.Close();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Landscape().size()));
}

void BM_AddLarge_ZlibLimit(benchmark::State& state) {
  const std::string& data = Landscape();
  std::vector<unsigned char> out(65536);
  for (auto _ : state) {
    z_stream s{};
    deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    uLong crc = 0;
    for (std::size_t off = 0; off < data.size(); off += 65536) {
      uInt n = static_cast<uInt>(std::min<std::size_t>(65536, data.size() - off));
      const Bytef* in = reinterpret_cast<const Bytef*>(data.data() + off);
      crc = crc32(crc, in, n);
      s.next_in = const_cast<Bytef*>(in);
      s.avail_in = n;
      while (s.avail_in) {
        s.next_out = out.data();
        s.avail_out = static_cast<uInt>(out.size());
        deflate(&s, Z_NO_FLUSH);
      }
    }
    int r;
    do {
      s.next_out = out.data();
      s.avail_out = static_cast<uInt>(out.size());
      r = deflate(&s, Z_FINISH);
    } while (r == Z_OK);
    benchmark::DoNotOptimize(crc);
    deflateEnd(&s);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}

void BM_AddLarge_InfoZip6(benchmark::State& state) {
  const std::string& src = LandscapeFile();
  const std::string out = WorkDir() + "/iz_large.zip";
  for (auto _ : state) {
    fs::remove(out);
    Sh(state, "zip -q -6 -j " + out + " " + src);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Landscape().size()));
}

// The archive the extraction benchmarks read, made once.
const std::string& LargeArchive() {
  static const std::string path = [] {
    std::string p = WorkDir() + "/large_source.zip";
    CZipArchive zip;
    zip.Open(p, CZipArchive::zipCreate);
    zip.AddNewFile(LandscapeFile(), "landscape.lcp");
    zip.Close();
    return p;
  }();
  return path;
}

void BM_ExtractLarge_Ours(benchmark::State& state) {
  const std::string& archive = LargeArchive();
  const std::string dest = WorkDir() + "/x_ours";
  for (auto _ : state) {
    FreshDestination(state, dest);
    CZipArchive zip;
    zip.Open(archive, CZipArchive::zipOpenReadOnly);
    zip.ExtractFile(0, dest, false);
    zip.Close();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Landscape().size()));
}

void BM_ExtractLarge_ZlibLimit(benchmark::State& state) {
  // The raw deflate stream of the same archive entry, held in memory.
  static const std::string packed = [] {
    CZipArchive zip;
    zip.Open(LargeArchive(), CZipArchive::zipOpenReadOnly);
    CZipFileHeader h;
    zip.GetFileInfo(h, 0);
    zip.Close();
    std::ifstream in(LargeArchive(), std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = h.m_uOffset + 30 + ZipGet16(all.data() + h.m_uOffset + 26) + ZipGet16(all.data() + h.m_uOffset + 28);
    return all.substr(start, h.m_uComprSize);
  }();
  std::vector<unsigned char> out(65536);
  for (auto _ : state) {
    z_stream s{};
    inflateInit2(&s, -MAX_WBITS);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    s.avail_in = static_cast<uInt>(packed.size());
    uLong crc = 0;
    int r;
    do {
      s.next_out = out.data();
      s.avail_out = static_cast<uInt>(out.size());
      r = inflate(&s, Z_SYNC_FLUSH);
      crc = crc32(crc, out.data(), static_cast<uInt>(out.size() - s.avail_out));
    } while (r == Z_OK);
    benchmark::DoNotOptimize(crc);
    inflateEnd(&s);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Landscape().size()));
}

void BM_ExtractLarge_InfoZipUnzip(benchmark::State& state) {
  const std::string& archive = LargeArchive();
  const std::string dest = WorkDir() + "/x_iz";
  for (auto _ : state) {
    FreshDestination(state, dest);
    Sh(state, "unzip -q -o " + archive + " -d " + dest);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Landscape().size()));
}

// ---- many small files ----------------------------------------------------------------

void BM_AddSmall_Ours(benchmark::State& state) {
  const std::vector<std::string> files = SmallFiles();
  const std::string out = WorkDir() + "/ours_small.zip";
  const std::size_t prefix = SmallFilesDir().size() + 1;
  for (auto _ : state) {
    CZipArchive zip;
    zip.Open(out, CZipArchive::zipCreate);
    for (const auto& f : files) zip.AddNewFile(f, f.substr(prefix));
    zip.Close();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.size()));
}

void BM_AddSmall_InfoZip6(benchmark::State& state) {
  const std::string& dir = SmallFilesDir();
  const std::string out = WorkDir() + "/iz_small.zip";
  const std::size_t n = SmallFiles().size();
  for (auto _ : state) {
    fs::remove(out);
    Sh(state, "cd " + dir + " && zip -q -6 -r " + out + " .");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
}

const std::string& SmallArchive() {
  static const std::string path = [] {
    std::string p = WorkDir() + "/small_source.zip";
    const std::size_t prefix = SmallFilesDir().size() + 1;
    CZipArchive zip;
    zip.Open(p, CZipArchive::zipCreate);
    for (const auto& f : SmallFiles()) zip.AddNewFile(f, f.substr(prefix));
    zip.Close();
    return p;
  }();
  return path;
}

void BM_ExtractSmall_Ours(benchmark::State& state) {
  const std::string& archive = SmallArchive();
  const std::string dest = WorkDir() + "/xs_ours";
  int n = 0;
  for (auto _ : state) {
    FreshDestination(state, dest);
    CZipArchive zip;
    zip.Open(archive, CZipArchive::zipOpenReadOnly);
    n = zip.GetCount();
    for (int i = 0; i < n; ++i) zip.ExtractFile(static_cast<std::uint16_t>(i), dest, true);
    zip.Close();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_ExtractSmall_InfoZipUnzip(benchmark::State& state) {
  const std::string& archive = SmallArchive();
  const std::string dest = WorkDir() + "/xs_iz";
  for (auto _ : state) {
    FreshDestination(state, dest);
    Sh(state, "unzip -q -o " + archive + " -d " + dest);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(SmallFiles().size()));
}

// ---- lookup by name ------------------------------------------------------------------

std::string EntryName(int i) { return "themes/" + std::to_string((i * 7919) % 65536) + ".tif"; }

const std::string& LookupArchive(int n) {
  static std::map<int, std::string> made;
  auto it = made.find(n);
  if (it != made.end()) return it->second;
  std::string p = WorkDir() + "/lookup_" + std::to_string(n) + ".zip";
  CZipArchive zip;
  zip.Open(p, CZipArchive::zipCreate);
  for (int i = 0; i < n; ++i) {
    CZipFileHeader h;
    h.SetFileName(EntryName(i));
    zip.StartNewEntry(h, 0);
    zip.FinishNewEntry();
  }
  zip.Close();
  return made[n] = p;
}

// Opening an archive and finding every one of its names, as project loading does.
void BM_OpenAndFindEveryName(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string& archive = LookupArchive(n);
  for (auto _ : state) {
    CZipArchive zip;
    zip.Open(archive, CZipArchive::zipOpenReadOnly);
    int found = 0;
    for (int i = 0; i < n; ++i) found += zip.FindFile(EntryName(i), CZipArchive::ffDefault) >= 0;
    if (found != n) state.SkipWithError("a name was not found");
    zip.Close();
  }
  state.SetComplexityN(n);
}

// Baseline: the same lookups as a scan of every name, which grows as n squared.
void BM_OpenAndFindEveryName_LinearScan(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string& archive = LookupArchive(n);
  for (auto _ : state) {
    CZipArchive zip;
    zip.Open(archive, CZipArchive::zipOpenReadOnly);
    std::vector<std::string> names(n);
    for (int i = 0; i < n; ++i) {
      CZipFileHeader h;
      zip.GetFileInfo(h, static_cast<std::uint16_t>(i));
      names[i] = h.GetFileName();
    }
    int found = 0;
    for (int i = 0; i < n; ++i) found += std::find(names.begin(), names.end(), EntryName(i)) != names.end();
    if (found != n) state.SkipWithError("a name was not found");
    zip.Close();
  }
  state.SetComplexityN(n);
}

}  // namespace

BENCHMARK(BM_AddLarge_Ours)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_AddLarge_ZlibLimit)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_AddLarge_InfoZip6)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ExtractLarge_Ours)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();
BENCHMARK(BM_ExtractLarge_ZlibLimit)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();
BENCHMARK(BM_ExtractLarge_InfoZipUnzip)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_AddSmall_Ours)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_AddSmall_InfoZip6)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ExtractSmall_Ours)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ExtractSmall_InfoZipUnzip)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_OpenAndFindEveryName)
    ->RangeMultiplier(4)
    ->Range(1024, 65535)
    ->MinTime(0.2)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_OpenAndFindEveryName_LinearScan)
    ->RangeMultiplier(4)
    ->Range(1024, 16384)
    ->MinTime(0.2)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNSquared);

int main(int argc, char** argv) {
  // As the program does at start-up.
  platform::KeepFreedMemory();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(WorkDir(), ec);
  return 0;
}
