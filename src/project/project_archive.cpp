// Project archives: what goes in, in which order, and how a project comes out again.
#include "project/project_archive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "app/layer_types.h"
#include "engines/embrith_inputs.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "project/document.h"
#include "project/project_file.h"
#include "runs/run.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "zip/zip_archive.h"

namespace projectarchive {

namespace {

constexpr const char* kVersionEntry = "ArchiveVersion.txt";
// A project file or an atmosphere file larger than this is not read from an archive.
constexpr std::uint32_t kLargestText = 64u << 20;

// An entry name as the archive compares it: '/' for separators, no leading '/', any case.
std::string NameKey(const std::string& name) {
  std::string n = name;
  for (char& c : n) c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::size_t first = n.find_first_not_of('/');
  return first == std::string::npos ? std::string() : n.substr(first);
}

// The path with everything from the last '.' of its file name replaced by ext.
std::string WithExtension(const std::string& path, const char* ext) {
  return platform::ReplaceExtension(path, ext);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The grid names of an atmosphere file's entry lines, in order (speed, then direction).
std::vector<std::string> AtmGridNames(std::istream& in) {
  std::vector<std::string> names;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 4096) continue;
    int month, day, time;
    char a[4097], b[4097];
    if (std::sscanf(line.c_str(), "%d %d %d %4096s %4096s", &month, &day, &time, a, b) != 5) continue;
    std::string speed, direction;
    if (engines::AtmParseGridNames(line, speed, direction) == 0) continue;
    for (std::string* n : {&speed, &direction}) {
      n->erase(std::remove(n->begin(), n->end(), '"'), n->end());
      if (!n->empty()) names.push_back(*n);
    }
  }
  return names;
}

// The folder part of a path with its last separator, or "" when it has none.
std::string FolderWithSeparator(const std::string& path) {
  const std::size_t s = platform::LastSeparator(path);
  return s == std::string::npos ? std::string() : path.substr(0, s + 1);
}

class Collector {
 public:
  std::vector<ArchiveItem> items;

  void Add(const std::string& path, const std::string& entry) {
    if (path.empty() || !keys_.insert(NameKey(entry)).second) return;
    items.push_back({path, entry});
  }
  void Plain(const std::string& path) { Add(path, path); }
  // The ".prj" beside a file, when there is one.
  void Projection(const std::string& path) {
    const std::string prj = WithExtension(path, ".prj");
    if (IsRegularFile(prj)) Plain(prj);
  }
  void Shapefile(const std::string& path) {
    if (path.empty() || keys_.count(NameKey(path))) return;
    Plain(path);
    Plain(WithExtension(path, ".shx"));
    Plain(WithExtension(path, ".dbf"));
    Projection(path);
  }
  // The atmosphere file and the grids it names, relative to its own folder.
  void Atmosphere(const std::string& path) {
    if (path.empty()) return;
    Plain(path);
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    const std::string folder = FolderWithSeparator(path);
    for (const std::string& name : AtmGridNames(in)) {
      Plain(folder + name);
      Projection(folder + name);
    }
  }

 private:
  std::set<std::string> keys_;
};

}  // namespace

std::vector<ArchiveItem> ArchiveItems(const CPVN4Doc& doc, const std::string& projectPath) {
  Collector c;
  c.Add(projectPath, platform::FileName(projectPath));
  const std::string companion = projectfile::CompanionPath(projectPath);
  c.Add(companion, platform::FileName(companion));
  if (doc.IsLandscapeLoaded()) {
    c.Plain(doc.landscape.path);
    if (platform::HasExtension(doc.landscape.path, ".lcp")) c.Projection(doc.landscape.path);
  }
  for (const auto& t : doc.gridThemes)
    if (t->layerType == kGenericGridLayerType) c.Plain(t->sourcePath);
  for (const auto& v : doc.vectorThemes) c.Shapefile(v->sourcePath);
  for (const auto& w : doc.windVectorThemes) c.Shapefile(w->sourcePath);
  for (const auto& area : doc.areas)
    for (const auto& run : area->runs) {
      const CRunInputs& in = run->inputs;
      for (const std::string* p : {&in.fuelMoistureFile, &in.customFuelsFile, &in.windFile, &in.weatherFile,
                                   &in.weatherStreamFile, &in.griddedWindDirectionFile, &in.griddedWindSpeedFile})
        c.Plain(*p);
      c.Shapefile(run->mtt.ignitionFile);
      c.Shapefile(run->mtt.barrierFile);
      c.Shapefile(run->tom.ignitionFile);
      c.Plain(run->tom.idealLandscapeFile);
      if (platform::HasExtension(run->tom.idealLandscapeFile, ".lcp")) c.Projection(run->tom.idealLandscapeFile);
      c.Plain(run->mtt.fireListFile);
      c.Shapefile(run->embrith.ignitionFile);
      c.Shapefile(run->embrith.barrierFile);
      c.Plain(run->embrith.rosAdjustFile);
      c.Atmosphere(run->embrith.atmFile);
    }
  return c.items;
}

bool WriteArchive(const CPVN4Doc& doc, const std::string& projectPath, const std::string& archivePath,
                  CZipActionCallback* progress) {
  std::vector<std::string> missing;
  try {
    CZipArchive zip;
    zip.Open(archivePath, CZipArchive::zipCreate);
    try {
      if (progress) zip.SetCallback(progress, CZipActionCallback::cbAdd);
      CZipMemFile version("4", 1);
      zip.AddNewFileFromMemory(&version, kVersionEntry);
      for (const ArchiveItem& item : ArchiveItems(doc, projectPath))
        if (!IsRegularFile(item.path) || !zip.AddNewFile(item.path, item.entry)) missing.push_back(item.path);
      zip.Close();
    } catch (...) {
      zip.Close(CZipArchive::closeAfterException);
      throw;
    }
  } catch (const CZipException& e) {
    platform::Tell("Error writing the archive " + archivePath + ":\n" + e.what() +
                   "\nThe archive was not written; a previous file of that name is unchanged.");
    return false;
  }
  if (!missing.empty()) {
    std::string list;
    for (const std::string& m : missing) list += "\n" + m;
    platform::Tell("The archive " + archivePath + " was written without these files, which could not be read:" +
                   list);
  }
  return true;
}

namespace {

struct Refusal {
  std::string why;
};

// Walks the project file's lines, copying them and rewriting the paths of the files the
// archive holds so that they point into the destination folder, and notes which entries to
// extract under which file names.
class Walker {
 public:
  Walker(CZipArchive& zip, std::string folder, const std::string& text) : zip_(zip), folder_(std::move(folder)) {
    // Names are looked up as the archive writes them, whatever separators or leading '/' an
    // archive made elsewhere stored; the first of equal names counts.
    for (int i = 0; i < zip_.GetCount(); ++i) {
      CZipFileHeader h;
      if (zip_.GetFileInfo(h, static_cast<std::uint16_t>(i))) names_.emplace(NameKey(h.GetFileName()), i);
    }
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(std::move(line));
      start = end + 1;
    }
  }

  struct Planned {
    std::uint16_t index;
    std::string entry;
    std::string file;  // name in the destination folder
  };
  std::vector<Planned> planned;
  std::vector<std::string> refused;
  std::string out;

  // The walk of the whole file; the companion archive's entry name, or "" when it is missing.
  void Walk(const std::string& companionEntry, const std::string& companionFile) {
    version_ = projectfile::VersionOfHeader(Copy());
    if (version_ == 0) version_ = 1;
    const int companion = Find(companionEntry);
    if (companion < 0) {
      platform::Tell("ERROR: Could not find pzp file in archive");
      return CopyRest();
    }
    Take(companion, companionFile);
    if (!Landscape()) return CopyRest();
    Copy();  // the window line
    for (int g = Count(); g > 0 && !End(); --g) GridTheme();
    for (int n = Count(); n > 0 && !End(); --n) {
      Put(ShapefileAlways(Next()));
      Copy(2);
    }
    for (int n = Count(); n > 0 && !End(); --n) Copy(3);
    if (version_ >= 2) {
      for (int n = Count(); n > 0 && !End(); --n) {
        Put(RewriteOnly(Next()));
        Put(RewriteOnly(Next()));
        Put(ShapefileAlways(Next()));
        Copy();
        Copy(Field(Copy(), 15));
      }
    }
    if (version_ == 1)
      for (int n = Count(); n > 0 && !End(); --n) Copy();
    for (int areas = Count(); areas > 0 && !End(); --areas) {
      Copy(2);
      for (int m = Count(); m > 0 && !End(); --m) Copy(Field(Copy(), 5));
      for (int r = Count(); r > 0 && !End(); --r) Run();
    }
    CopyRest();
  }

 private:
  bool End() const { return pos_ >= lines_.size(); }
  std::string Next() { return End() ? std::string() : lines_[pos_++]; }
  void Put(const std::string& line) {
    out += line;
    out += '\n';
  }
  std::string Copy() {
    if (End()) return {};
    Put(lines_[pos_]);
    return lines_[pos_++];
  }
  void Copy(long long n) {
    for (; n > 0 && !End(); --n) Copy();
  }
  void CopyRest() {
    while (!End()) Copy();
  }
  static long long Int(const std::string& line) { return std::strtoll(line.c_str(), nullptr, 10); }
  // A copied line giving a count.
  long long Count() { return std::max(0LL, Int(Copy())); }
  // The n-th blank-separated field of a line as a count (0 when absent).
  static long long Field(const std::string& line, int n) {
    std::istringstream in(line);
    std::string token;
    for (int i = 0; i < n; ++i)
      if (!(in >> token)) return 0;
    return std::max(0LL, Int(token));
  }

  std::string Rewritten(const std::string& line) const { return platform::Join(folder_, platform::FileName(line)); }
  int Find(const std::string& name) const {
    const auto it = name.empty() ? names_.end() : names_.find(NameKey(name));
    return it == names_.end() ? -1 : it->second;
  }
  // Notes the entry for extraction under file (its own file name when empty), unless it is
  // not a plain file with a name of its own.
  void Take(int index, const std::string& file = {}) {
    CZipFileHeader h;
    if (index < 0 || !zip_.GetFileInfo(h, static_cast<std::uint16_t>(index))) return;
    for (const Planned& p : planned)
      if (p.index == index) return;
    const std::string& name = h.GetFileName();
    std::string why;
    const std::string leaf = file.empty() ? platform::FileName(name) : file;
    std::size_t start = 0;
    bool dotted = false;
    while (start <= name.size()) {
      std::size_t end = name.find_first_of("/\\", start);
      if (end == std::string::npos) end = name.size();
      const std::string part = name.substr(start, end - start);
      dotted = dotted || part == "." || part == "..";
      start = end + 1;
    }
    const bool link = h.GetSystemCompatibility() == 3 && ((h.m_uExternalAttr >> 16) & 0170000) == 0120000;
    if (name.find('\0') != std::string::npos || dotted)
      why = "its name steps out of its folder";
    else if (h.IsDirectory() || leaf.empty())
      why = "it is a folder, not a file";
    else if (link)
      why = "it is a symbolic link";
    if (!why.empty()) {
      refused.push_back("\"" + name + "\": " + why);
      return;
    }
    planned.push_back({static_cast<std::uint16_t>(index), name, leaf});
  }

  bool Landscape() {
    const std::string line = Next();
    const int index = Find(line);
    if (index < 0) {
      platform::Tell("ERROR: Could not find lcp file in archive");
      Put(line);
      return false;
    }
    Take(index);
    if (platform::HasExtension(line, ".lcp")) Take(Find(WithExtension(line, ".prj")));
    Put(Rewritten(line));
    return true;
  }
  // A grid from a file is its path and its name; one kept in the companion archive is its
  // entry line alone, which stays as it is.
  void GridTheme() {
    const std::string line = Next();
    const bool entry = line.size() > 4 && platform::HasExtension(line, ".tmp") &&
                       std::all_of(line.begin(), line.end() - 4, [](unsigned char c) { return std::isdigit(c); });
    if (line.empty() || entry) return Put(line);
    Take(Find(line));
    Put(Rewritten(line));
    Copy();
  }
  std::string RewriteOnly(const std::string& line) const { return line.empty() ? line : Rewritten(line); }
  std::string ShapefileAlways(const std::string& line) {
    if (line.empty()) return line;
    const int index = Find(line);
    if (index >= 0) {
      Take(index);
      if (!platform::Extension(line).empty())
        for (const char* ext : {".shx", ".dbf", ".prj"}) Take(Find(WithExtension(line, ext)));
    }
    return Rewritten(line);
  }
  std::string ShapefileIfFound(const std::string& line) {
    return Find(line) < 0 ? std::string() : ShapefileAlways(line);
  }
  std::string RunFile(const std::string& line) {
    if (line.empty()) return line;
    Take(Find(line));
    return Rewritten(line);
  }
  std::string IfFound(const std::string& line) {
    const int index = Find(line);
    if (index < 0) return {};
    Take(index);
    return Rewritten(line);
  }
  // The ideal landscape comes with its ".prj", which the archive holds beside it.
  std::string IdealLandscape(const std::string& line) {
    const std::string rewritten = IfFound(line);
    if (!rewritten.empty() && platform::HasExtension(line, ".lcp")) Take(Find(WithExtension(line, ".prj")));
    return rewritten;
  }
  std::string GriddedWind(const std::string& line) {
    const int index = Find(line);
    if (index < 0) return platform::FileName(line);
    Take(index);
    return Rewritten(line);
  }
  // An arrow or theme block: a flag line, and when set, n more lines and the legend entries.
  void FlaggedLegend(int n, int countField) {
    if (Int(Copy()) == 0) return;
    std::string last;
    for (int i = 0; i < n && !End(); ++i) last = Copy();
    Copy(Field(last, countField));
  }
  void Atmosphere(const std::string& line) {
    const int index = Find(line);
    const std::string folder = FolderWithSeparator(line);
    CZipFileHeader h;
    if (index < 0 || folder.empty() || !zip_.GetFileInfo(h, static_cast<std::uint16_t>(index))) return;
    if (h.m_uUncomprSize > kLargestText) {
      refused.push_back("\"" + h.GetFileName() + "\": it is too large for an atmosphere file");
      return;
    }
    CZipMemFile bytes;
    if (!zip_.ExtractToMemory(static_cast<std::uint16_t>(index), bytes)) return;
    std::istringstream in(std::string(bytes.Data() ? bytes.Data() : "", static_cast<std::size_t>(bytes.GetLength())));
    for (const std::string& name : AtmGridNames(in)) {
      const int grid = Find(folder + name);
      if (grid < 0) continue;
      Take(grid);
      Take(Find(WithExtension(folder + name, ".prj")));
    }
  }

  void Run() {
    const int v = version_;
    Copy();
    for (int i = 0; i < 4; ++i) Put(RunFile(Next()));
    Copy(3);
    if (v >= 11) {
      Put(RunFile(Next()));
      Copy();
    }
    // A version-1 record ends after its output themes.
    if (v >= 2) {
      Put(GriddedWind(Next()));
      Put(GriddedWind(Next()));
      if (v >= 6) Copy();
      if (v >= 7) Copy(2);
      FlaggedLegend(2, 15);
    }
    Copy();
    if (v >= 6) Copy();
    for (long long t = Count(); t > 0 && !End(); --t) {
      Copy();
      Copy(Field(Copy(), 5));
    }
    if (v == 1) return;
    if (v >= 4) Copy();
    if (v >= 6) Copy();
    Copy();
    if (v == 2) {
      Put(ShapefileIfFound(Next()));
      Put(IdealLandscape(Next()));
    }
    if (v >= 3) {
      Put(ShapefileIfFound(Next()));
      if (v >= 4) Copy();
      if (v >= 6) {
        Put(ShapefileIfFound(Next()));
        Copy(2);
      }
      if (v >= 9) {
        Copy();
        Put(IfFound(Next()));
      }
      Copy();
      Put(ShapefileIfFound(Next()));
      if (v >= 4) Copy();
      Put(IdealLandscape(Next()));
      if (v >= 4) FlaggedLegend(2, 15);
      if (v >= 6) FlaggedLegend(2, 15);
    }
    for (int i = 0; i < 3; ++i)
      if (Int(Copy()) != 0) Copy();
    if (v >= 9) {
      if (Int(Copy()) != 0) Copy(2);
      for (long long q = Count(); q > 0 && !End(); --q) Copy(2);
    }
    Copy();
    for (int i = 0; i < 4; ++i)
      if (Copy().size() > 4) Copy(Field(Copy(), 5));
    if (v >= 12) {
      Copy(2);
      Put(ShapefileIfFound(Next()));
      Copy();
      Put(ShapefileIfFound(Next()));
      Copy();
      Put(RunFile(Next()));
      Copy(Count());
      if (v >= 14) {
        const std::string atm = Next();
        Put(RunFile(atm));
        Atmosphere(atm);
      }
      for (int i = 0; i < 2; ++i)
        if (Int(Copy()) > 0) Copy(2);
      FlaggedLegend(4, 15);
      if (v >= 15) FlaggedLegend(2, 15);  // the spread arrows of fire growth came in version 15
    }
  }

  CZipArchive& zip_;
  std::string folder_;
  std::vector<std::string> lines_;
  std::map<std::string, int> names_;
  std::size_t pos_ = 0;
  int version_ = 1;
};

std::string Listed(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& i : items) list += "\n" + i;
  return list;
}

}  // namespace

std::string ExtractArchive(const std::string& archivePath, const std::string& folder, CZipActionCallback* progress) {
  auto refuse = [&](const std::string& why) {
    platform::Tell("The archive " + archivePath + " cannot be extracted: " + why + "\nNothing was written.");
    return std::string();
  };
  if (!platform::IsDirectory(folder)) return refuse("the folder " + folder + " does not exist");
  CZipArchive zip;
  std::string stage = "opened";
  try {
    zip.Open(archivePath, CZipArchive::zipOpenReadOnly);
    if (progress) zip.SetCallback(progress, CZipActionCallback::cbExtract);

    // The project is the one "*.pvn" entry at the top of the archive.
    std::vector<std::uint16_t> projects;
    std::vector<std::string> projectNames;
    for (int i = 0; i < zip.GetCount(); ++i) {
      CZipFileHeader h;
      zip.GetFileInfo(h, static_cast<std::uint16_t>(i));
      const std::string& name = h.GetFileName();
      if (name.find_first_of("/\\") == std::string::npos && name.size() > 4 && platform::HasExtension(name, ".pvn")) {
        projects.push_back(static_cast<std::uint16_t>(i));
        projectNames.push_back(name);
      }
    }
    if (projects.empty()) return refuse("it holds no project file (*.pvn) at its top level");
    if (projects.size() > 1) return refuse("it holds more than one project file:" + Listed(projectNames));
    const std::string projectName = projectNames.front();
    CZipFileHeader ph;
    zip.GetFileInfo(ph, projects.front());
    if (ph.m_uUncomprSize > kLargestText) return refuse("its project file " + projectName + " is too large");
    CZipMemFile projectBytes;
    if (!zip.ExtractToMemory(projects.front(), projectBytes))
      return refuse("its project file " + projectName + " is damaged");
    const std::string text(projectBytes.Data() ? projectBytes.Data() : "",
                           static_cast<std::size_t>(projectBytes.GetLength()));

    const std::string companion = projectfile::CompanionPath(projectName);
    Walker walker(zip, folder, text);
    walker.Walk(companion, companion);
    if (!walker.refused.empty())
      return refuse("these entries cannot be written as files:" + Listed(walker.refused));

    // Every file lands in the one folder, so two entries of the same file name would
    // overwrite each other.
    std::map<std::string, std::vector<std::string>> byFile;
    byFile[projectName].push_back(projectName);
    for (const auto& p : walker.planned) byFile[p.file].push_back(p.entry);
    std::vector<std::string> clashes, existing;
    for (const auto& [file, entries] : byFile) {
      if (entries.size() > 1) {
        std::string line = file + ":";
        for (const std::string& e : entries) line += " \"" + e + "\"";
        clashes.push_back(line);
      }
      struct stat st;
      if (::lstat(platform::Join(folder, file).c_str(), &st) == 0) existing.push_back(file);
    }
    if (!clashes.empty())
      return refuse("these entries have the same file name, and a project needs each of them:" + Listed(clashes));
    if (!existing.empty() &&
        !platform::AskYesNo("The folder " + folder + " already holds these files:" + Listed(existing) +
                            "\nReplace them?"))
      return {};

    // Everything is unpacked into a private folder inside the destination first and moved
    // into place only when every entry has come out whole, so a damaged entry leaves the
    // folder as it was.
    std::string staging = platform::Join(folder, ".pyrvane-extract-XXXXXX");
    if (!::mkdtemp(staging.data())) return refuse("no file can be created in the folder " + folder);
    struct RemoveStaging {
      std::string path;
      ~RemoveStaging() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
      }
    } removeStaging{staging};
    stage = "extracted";
    for (const auto& p : walker.planned)
      if (!zip.ExtractFile(p.index, staging, false, p.file.c_str()))
        ZipThrow(CZipException::badCrc, archivePath, "the entry \"" + p.entry + "\" is damaged");
    zip.Close();
    if (!platform::WriteFileAtomically(platform::Join(staging, projectName), walker.out))
      return refuse("the project file " + projectName + " cannot be written in the folder " + folder);
    std::vector<std::string> files{projectName};
    for (const auto& p : walker.planned) files.push_back(p.file);
    for (const std::string& file : files)
      if (std::rename(platform::Join(staging, file).c_str(), platform::Join(folder, file).c_str()) != 0) {
        platform::Tell("Error extracting the archive " + archivePath + ": " + file + " cannot be written in the folder " +
                       folder + ": " + std::strerror(errno) + ".");
        return {};
      }
    return platform::Join(folder, projectName);
  } catch (const CZipException& e) {
    zip.Close(CZipArchive::closeAfterException);
    platform::Tell("The archive " + archivePath + " could not be " + stage + ":\n" + e.what() + "\nNothing was written.");
    return {};
  }
}

}  // namespace projectarchive
