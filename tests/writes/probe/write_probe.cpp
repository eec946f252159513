// Runs one of the program's writers on request, so that the write tests can kill it at any
// moment or run it under a file-size limit. Usage: write_probe <kind>, then one request a line
// on standard input: "<target> <generation> <file-size limit or 0>". Each write runs in a
// child process (started without loading anything again); the probe answers "pid <n>" when it
// starts and "exit <code>" when it ends: 0 the writer reported success, 1 it reported failure,
// a negative code the signal that ended it.
#include <gdal_priv.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/application.h"
#include "engines/output_writer.h"
#include "landscape/landscape.h"
#include "platform/atomic_file.h"
#include "themes/theme.h"
#include "zip/zip_archive.h"

namespace {

constexpr int kRows = 400, kCols = 400;

std::vector<float> Cells(int generation) {
  return std::vector<float>(static_cast<size_t>(kRows) * kCols, static_cast<float>(generation));
}

// Opened once, before the writers are forked, so that a write is only the write.
landscape::LandscapeState g_state;
landscape::ThemeList g_themes;

bool Landscape(const std::string& target, bool geotiff) {
  const landscape::LandscapeState& state = g_state;
  const CHeaderData& h = state.header;
  const CellWindow w{0, 0, h.columns - 1, h.rows - 1};
  const landscape::AreaWindow area{w, w, h.west, h.south, h.north};
  return geotiff ? landscape::WriteLandscapeGeoTiff(state, area, target)
                 : landscape::WriteLandscapeLcp(state, area, target);
}

bool Extract(const std::string& target, int generation) {
  // The archive beside the target holds one entry named like the target.
  const std::string archive = target + ".zip";
  const std::string folder = target.substr(0, target.rfind('/'));
  try {
    CZipArchive zip;
    zip.Open(archive, CZipArchive::zipOpen);
    const int index = zip.FindFile(target.substr(target.rfind('/') + 1));
    const bool ok = index >= 0 && zip.ExtractFile(static_cast<std::uint16_t>(index), folder, false);
    zip.Close();
    return ok;
  } catch (...) {
    return false;
  }
}

// Adds an entry to the archive that is the target.
bool Append(const std::string& target, int generation) {
  const std::string source = target + ".added";
  if (!platform::WriteFileAtomically(source, std::string(3 << 20, static_cast<char>('a' + generation)))) return false;
  try {
    CZipArchive zip;
    zip.Open(target, CZipArchive::zipOpen);
    const bool ok = zip.AddNewFile(source, "added.bin", 0);
    zip.Close();
    return ok;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool Write(const std::string& kind, const std::string& target, int generation) {
  if (kind == "atomic")
    return platform::WriteFileAtomically(target, std::string(4 << 20, static_cast<char>('0' + generation)));
  if (kind == "preferences") return GetApp().WritePreferencesFile(target);
  if (kind == "engine") {
    std::string why;
    return engines::WriteGridGeoTiff(target, Cells(generation).data(), kRows, kCols, 0, kRows * 30.0, 30.0,
                                     "probe", &why);
  }
  if (kind == "theme" || kind == "themefile") {
    CTheme theme;
    auto cells = Cells(generation);
    if (theme.CreateFromFloats("probe", 0, 0, 30, 30, kRows, kCols, -9999.f, cells.data(), 0, 10) != 1) return false;
    return kind == "theme" ? theme.SaveGeoTiff("", target, nullptr) : theme.SaveThemeFile(target);
  }
  if (kind == "lcp" || kind == "landscape") return Landscape(target, kind == "landscape");
  if (kind == "extract") return Extract(target, generation);
  if (kind == "append") return Append(target, generation);
  return false;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string kind = argv[1];
  GDALAllRegister();
  if ((kind == "lcp" || kind == "landscape") &&
      landscape::OpenLandscape(g_state, std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp", g_themes) != 1)
    return 2;
  char target[4096];
  int generation = 0;
  long limit = 0;
  while (std::scanf("%4095s %d %ld", target, &generation, &limit) == 3) {
    std::fflush(stdout);
    pid_t pid = ::fork();
    if (pid == 0) {
      if (limit > 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails like a full disk
        struct rlimit rl{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        ::setrlimit(RLIMIT_FSIZE, &rl);
      }
      ::_exit(Write(kind, target, generation) ? 0 : 1);
    }
    std::printf("pid %ld\n", static_cast<long>(pid));
    std::fflush(stdout);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::printf("exit %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status));
    std::fflush(stdout);
  }
  return 0;
}
