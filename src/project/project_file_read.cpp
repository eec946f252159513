// Reading project files of versions 1 to 16 and their companion archives.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "app/layer_types.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "project/document.h"
#include "project/project_file.h"
#include "runs/run_embrith.h"
#include "runs/run_outputs.h"
#include "runs/wind_grids.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "weather/daily_weather.h"
#include "zip/zip_archive.h"

namespace projectfile {

namespace {

const char* const kHeaders[] = {
    "Pyrvane2 Project File Version 1",  "Pyrvane2 Project File Version 2",  "Pyrvane2 Project File Version 3",
    "Pyrvane2 Project File Version 4",  "Pyrvane2 Project File Version 5",  "Pyrvane2 Project File Version 6",
    "Pyrvane2 Project File Version 7",  "Pyrvane2 Project File Version 8",  "Pyrvane2 Project File Version 9",
    "Pyrvane5 Project File Version 10", "Pyrvane5 Project File Version 11", "Pyrvane5 Project File Version 12",
    "Pyrvane5 Project File Version 13", "Pyrvane5 Project File Version 14", "Pyrvane6 Project File Version 15",
    "Pyrvane6 Project File Version 16"};

bool g_externalFiles = true;

// Whether a file the project names may be read; a missing one is noted for the message that
// names everything left out (a file that is there but cannot be read says so itself).
bool Reachable(const std::string& path, std::vector<std::string>& missing, const std::string& what) {
  if (g_externalFiles && !path.empty() && platform::FileExists(path)) return true;
  missing.push_back(what + " " + path);
  return false;
}

struct Damaged : std::runtime_error {
  Damaged(int line, const std::string& what) : std::runtime_error(what), line(line) {}
  int line;
};

// A draw-order record: the theme's item and its top-of-draw-order flag.
struct DrawRecord {
  CVectorThemeItem item;
  int flag = 1;
};

class Reader {
 public:
  Reader(CPVN4Doc& doc, const std::string& text, std::string projectPath, std::string archivePath)
      : doc_(doc), text_(text), projectPath_(std::move(projectPath)), archivePath_(std::move(archivePath)) {}

  void Read();
  std::vector<std::string> missing;  // files and entries left out, for one message

 private:
  // ---- lines ----
  bool AtEnd() const { return pos_ >= text_.size(); }
  std::string Line() {
    if (AtEnd()) throw Damaged(line_ + 1, "the file ends where a line was expected");
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++line_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  // Scans the next line; a line that yields fewer than `least` values is damage.
  template <class... T>
  int Scan(int least, const char* fmt, T*... targets) {
    const std::string line = Line();
    const int got = std::sscanf(line.c_str(), fmt, targets...);
    if (got < least) throw Damaged(line_, "\"" + line.substr(0, 60) + "\" is not the expected numbers");
    return got;
  }
  // A count of records that each take at least `linesEach` lines: checked against what follows.
  int Count(int linesEach = 1) {
    const std::string line = Line();
    const long read = std::strtol(line.c_str(), nullptr, 10);
    const int n = static_cast<int>(std::clamp<long>(read, -1, 1 << 30));
    std::size_t left = 0;
    for (std::size_t p = pos_; p < text_.size() && left <= static_cast<std::size_t>(std::max(n, 0)) * linesEach;
         ++p)
      left += text_[p] == '\n';
    if (pos_ < text_.size() && text_.back() != '\n') ++left;
    if (n < 0 || static_cast<std::size_t>(n) * static_cast<std::size_t>(linesEach) > left)
      throw Damaged(line_, "the count " + line.substr(0, 20) + " is more than the lines that follow");
    return n;
  }

  // ---- archive ----
  // The entry's bytes; false (and the entry noted) when the archive does not hold it.
  bool Entry(const std::string& name, std::string& bytes, const std::string& what);

  // ---- records ----
  void RasterLegend(CThemeLegendData& legend);
  struct ArrowHead {
    int visible = 0, showValues = 0, autoDensity = 1, fontSize = 8, decimals = 0, skip = 0, lineWidth = 1,
        targetSize = 35, count = 0, flag = 1, units = 0;
    double min = 0, max = 0, east = 0, west = 0, north = 0, south = 0;
  };
  ArrowHead ArrowLegendHead(bool documentForm);
  void ArrowEntries(const ArrowHead& head, CWVLegendData* legend);
  // Gives a rebuilt arrow theme its legend from the record (its entry lines are read).
  void CompleteArrows(CWindVectorTheme* theme, const ArrowHead& head);
  void RunArrowBlock(CRun& run, CWindVectorTheme*& slot, int kind, const std::function<bool(CWindVectorTheme&)>& build);
  CVectorTheme* CompactVector(CRun& run, const std::string& path, const std::string& title);
  // present tells whether the block held a theme (its display line follows then).
  CVectorTheme* VectorPayload(CRun& run, bool withValues, const std::function<void(CVectorTheme&)>& kind,
                              bool* present = nullptr);
  void Grids();
  void Vectors();
  void Contours();
  void WindVectorThemes();
  void OldDrawOrder();
  void Areas();
  void Run(CPyrvane2WorkArea* area);
  void RunSecondHalf(CRun& run);
  void ConvertWeather(CRun& run);
  void Record(CVectorThemeItem item, int flag) { records_.push_back({item, flag}); }

  CPVN4Doc& doc_;
  const std::string& text_;
  std::string projectPath_, archivePath_;
  std::unique_ptr<CZipArchive> zip_;
  std::size_t pos_ = 0;
  int line_ = 0;
  int version_ = 0;
  std::vector<CTheme*> savedGrids_;  // the raster themes as saved; null for one not read
  std::vector<DrawRecord> arrows_;   // arrows rebuilt for runs, in the order rebuilt
  std::vector<DrawRecord> records_;  // overlays read, in file order
  bool askedAboutWeather_ = false;
  bool convertWeather_ = true;
  unsigned processors_ = std::max(1u, std::thread::hardware_concurrency());
};

bool Reader::Entry(const std::string& name, std::string& bytes, const std::string& what) {
  if (zip_) {
    const int index = zip_->FindFile(name, CZipArchive::ffNoCaseSens, true);
    if (index >= 0) {
      CZipMemFile out;
      if (zip_->ExtractToMemory(static_cast<std::uint16_t>(index), out)) {
        bytes.assign(out.Data() ? out.Data() : "", static_cast<std::size_t>(out.GetLength()));
        return true;
      }
    }
  }
  missing.push_back(what + " (entry " + name + ")");
  return false;
}

void Reader::RasterLegend(CThemeLegendData& l) {
  int unique = 0, units = 0, count = 0, decimals = 0;
  double min = 0, max = 0;
  Scan(5, "%d %d %lf %lf %d %d", &unique, &units, &min, &max, &count, &decimals);
  if (count < 0 || count > kMaxLegendEntries) throw Damaged(line_, "a legend cannot hold " + std::to_string(count) + " classes");
  l.SetUniqueValues(unique != 0);
  l.SetUnits(static_cast<std::int16_t>(units));
  l.SetMinValue(min);
  l.SetMaxValue(max);
  l.SetDecimals(decimals);
  l.RemoveAllEntries();
  for (int i = 0; i < count; ++i) {
    float value = 0;
    long colour = 0;
    Scan(2, "%f %ld", &value, &colour);
    l.AddEntry(CLegendEntry(value, static_cast<COLORREF>(colour)));
  }
}

Reader::ArrowHead Reader::ArrowLegendHead(bool documentForm) {
  ArrowHead h;
  const int got = Scan(15, "%d %d %d %d %d %d %d %d %lf %lf %lf %lf %lf %lf %d %d %d", &h.visible, &h.showValues,
                       &h.autoDensity, &h.fontSize, &h.decimals, &h.skip, &h.lineWidth, &h.targetSize, &h.min,
                       &h.max, &h.east, &h.west, &h.north, &h.south, &h.count, &h.flag, &h.units);
  if (!documentForm) {
    h.units = got >= 16 ? h.flag : 0;
    h.flag = 1;
  }
  if (h.count < 0 || h.count > 1000) throw Damaged(line_, "an arrow legend cannot hold " + std::to_string(h.count) + " classes");
  return h;
}

void Reader::ArrowEntries(const ArrowHead& head, CWVLegendData* legend) {
  for (int i = 0; i < head.count; ++i) {
    double value = 0;
    long colour = 0;
    int length = 0;
    Scan(3, "%lf %ld %d", &value, &colour, &length);
    if (legend) legend->AddEntry(CWVLegendEntry(static_cast<float>(value), static_cast<COLORREF>(colour), length));
  }
}

void Reader::CompleteArrows(CWindVectorTheme* theme, const ArrowHead& h) {
  CWVLegendData* l = doc_.FindWindVectorLegend(theme);
  if (!l) {
    doc_.AddWindVectorLegend(theme);
    l = doc_.FindWindVectorLegend(theme);
  }
  theme->visible = h.visible != 0;
  l->showValues = h.showValues;
  l->autoDensity = h.autoDensity;
  l->fontSize = h.fontSize;
  l->decimals = h.decimals;
  l->skip = h.skip;
  l->lineWidth = h.lineWidth;
  l->targetSize = h.targetSize;
  l->SetMinValue(h.min);
  l->SetMaxValue(h.max);
  l->units = h.units;
  l->RemoveAllEntries();
  ArrowEntries(h, l);
}

// "1 flag", name, legend; or "0 -1". The arrows are built again from what the run holds.
void Reader::RunArrowBlock(CRun& run, CWindVectorTheme*& slot, int kind,
                           const std::function<bool(CWindVectorTheme&)>& build) {
  int present = 0, flag = -1;
  Scan(1, "%d %d", &present, &flag);
  if (!present) return;
  const std::string name = Line();
  const ArrowHead head = ArrowLegendHead(false);
  auto theme = std::make_unique<CWindVectorTheme>();
  theme->kind = kind;
  // A run of a refused area is dropped, and its arrows with it.
  if (!run.host || !build || !build(*theme)) {
    ArrowEntries(head, nullptr);
    if (run.host) missing.push_back("the arrows " + name + " of the run " + run.name + " (their grids are missing)");
    return;
  }
  theme->name = name;
  slot = theme.release();
  doc_.AddWindVectorDrawItem(slot);
  CompleteArrows(slot, head);
  arrows_.push_back({doc_.drawPriority.back(), flag});
  (void)run;
}

// Compact vector line: the theme is read again from its shapefile.
CVectorTheme* Reader::CompactVector(CRun& run, const std::string& path, const std::string& title) {
  int present = 0, visible = 1, width = 1, style = 0, flag = 1;
  long colour = 0;
  Scan(1, "%d %d %d %ld %d %d", &present, &visible, &width, &colour, &style, &flag);
  if (!present || path.empty()) return nullptr;
  auto theme = std::make_unique<CVectorTheme>();
  if (Reachable(path, missing, "the shapefile")) theme->LoadShapefile(path, doc_.landscape.projection);
  theme->name = title;
  theme->sourcePath = path;
  theme->visible = visible != 0;
  if (IsPointType(theme->shapeType)) {
    theme->pointSize = width, theme->pointColor = static_cast<COLORREF>(colour), theme->pointSymbol = style;
  } else if (IsPolygonType(theme->shapeType)) {
    theme->polygonWidth = width, theme->polygonColor = static_cast<COLORREF>(colour), theme->polygonStyle = style;
  } else {
    theme->lineWidth = width, theme->lineColor = static_cast<COLORREF>(colour), theme->lineStyle = style;
  }
  CVectorTheme* held = run.host ? run.host->AdoptVectorTheme(std::move(theme)) : nullptr;
  if (held) Record(CVectorThemeItem{held, nullptr, nullptr}, flag);
  return held;
}

// Payload block "1 flag" and an entry name, or "0 0".
CVectorTheme* Reader::VectorPayload(CRun& run, bool withValues, const std::function<void(CVectorTheme&)>& kind,
                                    bool* presentOut) {
  int present = 0, flag = 1;
  Scan(1, "%d %d", &present, &flag);
  if (presentOut) *presentOut = present != 0;
  if (!present) return nullptr;
  const std::string entry = Line();
  std::string bytes;
  if (!Entry(entry, bytes, "an overlay of the run " + run.name)) return nullptr;
  auto theme = std::make_unique<CVectorTheme>();
  if (kind) kind(*theme);
  if (!theme->LoadThemeBytes(bytes, archivePath_ + ": " + entry, withValues)) return nullptr;
  CVectorTheme* held = run.host ? run.host->AdoptVectorTheme(std::move(theme)) : nullptr;
  if (held && version_ >= 2) Record(CVectorThemeItem{held, nullptr, nullptr}, flag);
  return held;
}

void Reader::Grids() {
  for (const auto& t : doc_.gridThemes) savedGrids_.push_back(t.get());
  const int n = Count();
  for (int i = 0; i < n; ++i) {
    const std::string first = Line();
    savedGrids_.push_back(nullptr);
    if (first.empty()) continue;
    auto theme = std::make_unique<CTheme>();
    // A theme without a source file is one entry line; one read from a file is its path and
    // its name, and its name line is read whatever becomes of the file.
    const bool isEntry = first.size() > 4 && platform::HasExtension(first, ".tmp") &&
                         std::all_of(first.begin(), first.end() - 4, [](unsigned char c) { return std::isdigit(c); });
    if (isEntry) {
      std::string bytes;
      if (Entry(first, bytes, "a grid theme") && theme->LoadThemeBytes(bytes, archivePath_ + ": " + first)) {
        theme->layerType = kGenericGridLayerType;
        savedGrids_.back() = theme.get();
        doc_.gridThemes.push_back(std::move(theme));
      }
      continue;
    }
    const std::string name = Line();
    std::string dot = first.substr(std::min(first.rfind('.'), first.size()));
    std::transform(dot.begin(), dot.end(), dot.begin(), [](unsigned char c) { return std::tolower(c); });
    if (!Reachable(first, missing, "the grid")) continue;
    const int loaded = dot.rfind(".as", 0) == 0 ? theme->LoadGridFile(kGenericGridLayerType, first)
                                                : theme->LoadGdalRaster(kGenericGridLayerType, first);
    if (loaded != 1) {
      platform::Tell("Error: the grid " + first + " cannot be read; the project opens without it.");
      continue;
    }
    theme->name = name;
    savedGrids_.back() = theme.get();
    doc_.gridThemes.push_back(std::move(theme));
  }
}

void Reader::Vectors() {
  const int n = Count(3);
  for (int i = 0; i < n; ++i) {
    const std::string path = Line();
    auto theme = std::make_unique<CVectorTheme>();
    if (Reachable(path, missing, "the shapefile")) theme->LoadShapefile(path, doc_.landscape.projection);
    theme->sourcePath = path;
    theme->name = Line();
    int visible = 1, lineStyle = 0, lineWidth = 1, pointShape = 0, pointSize = 2, polygonStyle = 0,
        polygonWidth = 1, flag = 1;
    long lineColour = 0, pointColour = 0, polygonColour = 0;
    Scan(1, version_ == 1 ? "%d %ld %d %d %ld %d %d %ld %d %d" : "%d %ld %d %d %ld %d %d %ld %d %d %d", &visible,
         &lineColour, &lineStyle, &lineWidth, &pointColour, &pointShape, &pointSize, &polygonColour, &polygonStyle,
         &polygonWidth, &flag);
    theme->visible = visible != 0;
    theme->lineColor = static_cast<COLORREF>(lineColour), theme->lineStyle = lineStyle, theme->lineWidth = lineWidth;
    theme->pointColor = static_cast<COLORREF>(pointColour), theme->pointSymbol = pointShape;
    theme->pointSize = pointSize;
    theme->polygonColor = static_cast<COLORREF>(polygonColour), theme->polygonStyle = polygonStyle;
    theme->polygonWidth = polygonWidth;
    CVectorTheme* t = theme.get();
    doc_.vectorThemes.push_back(std::move(theme));
    if (version_ >= 2) Record(CVectorThemeItem{t, nullptr, nullptr}, flag);
  }
}

void Reader::Contours() {
  const int n = Count(3);
  for (int i = 0; i < n; ++i) {
    const std::string entry = Line();
    auto theme = MakeOwnedTheme(new CContourTheme());
    std::string bytes;
    if (Entry(entry, bytes, "a contour theme")) theme->LoadThemeBytes(bytes, archivePath_ + ": " + entry);
    theme->name = Line();
    int visible = 1, style = 0, width = 1, flag = 1;
    long colour = 0;
    float interval = 0;
    Scan(1, version_ == 1 ? "%d %ld %d %d %f" : "%d %ld %d %d %f %d", &visible, &colour, &style, &width, &interval,
         &flag);
    theme->visible = visible != 0;
    theme->color = static_cast<COLORREF>(colour), theme->lineStyle = style, theme->lineWidth = width;
    theme->interval = interval;
    CContourTheme* t = theme.get();
    doc_.contourThemes.push_back(std::move(theme));
    if (version_ >= 2) Record(CVectorThemeItem{nullptr, t, nullptr}, flag);
  }
}

void Reader::WindVectorThemes() {
  const int n = Count(5);
  for (int i = 0; i < n; ++i) {
    auto theme = MakeOwnedTheme(new CWindVectorTheme());
    theme->directionGridFile = Line();
    theme->speedGridFile = Line();
    const std::string path = Line();
    const std::string name = Line();
    const ArrowHead head = ArrowLegendHead(true);
    const bool reachable = Reachable(path, missing, "the arrow shapefile");
    if (!reachable || !theme->LoadShapefile(path, head.west, head.east, head.north, head.south)) {
      if (reachable) missing.push_back("the arrow theme " + name + " (its shapefile " + path + " gave no arrows)");
      ArrowEntries(head, nullptr);
      continue;
    }
    theme->name = name;
    theme->sourcePath = path;
    CWindVectorTheme* t = theme.get();
    doc_.AddWindVectorTheme(std::move(theme));
    doc_.AddWindVectorLegend(t);
    CompleteArrows(t, head);
    Record(CVectorThemeItem{nullptr, nullptr, t}, head.flag);
  }
}

void Reader::OldDrawOrder() {
  const int n = Count();
  for (int i = 0; i < n; ++i) {
    char letter = 0;
    int position = -1;
    Scan(2, "%c %d", &letter, &position);
    CVectorThemeItem item;
    if (position < 0) continue;
    const auto at = static_cast<std::size_t>(position);
    if (letter == 'V' && at < doc_.vectorThemes.size()) item.vectorTheme = doc_.vectorThemes[at].get();
    if (letter == 'C' && at < doc_.contourThemes.size()) item.contourTheme = doc_.contourThemes[at].get();
    if (letter == 'W' && at < doc_.windVectorThemes.size()) item.windVectorTheme = doc_.windVectorThemes[at].get();
    if (item.Theme()) doc_.drawPriority.push_back(item);
  }
}

void Reader::Areas() {
  const int n = Count(4);
  for (int a = 0; a < n; ++a) {
    const std::string name = Line();
    double east = 0, north = 0, west = 0, south = 0;
    Scan(4, "%lf %lf %lf %lf", &east, &north, &west, &south);
    // The edges were saved on the landscape's cells: nudged inwards, so that snapping them to
    // the cells again (outwards, as a drawn area is) keeps them where they were. A refused
    // area's legends and runs are read and dropped.
    const CHeaderData& h = doc_.landscape.header;
    const double ew = std::max(h.cellWidth * 1e-6, 1e-5), ns = std::max(h.cellHeight * 1e-6, 1e-5);
    CPyrvane2WorkArea* area = doc_.CreateWorkArea(north - ns, east - ew, south + ns, west + ew, name);
    // Legend k belongs to the k-th raster theme as saved; a theme that could not be read
    // takes its legend with it, and a theme without a legend gets one from its cells.
    const int legends = Count();
    std::vector<std::unique_ptr<CThemeLegendData>> read;
    for (int k = 0; k < legends; ++k) {
      auto legend = std::make_unique<CThemeLegendData>();
      CTheme* theme = savedGrids_.empty()
                          ? nullptr
                          : savedGrids_[std::min<std::size_t>(static_cast<std::size_t>(k), savedGrids_.size() - 1)];
      legend->SetTheme(theme);
      RasterLegend(*legend);
      if (theme && theme->layerType == 4) legend->SetUnits(0);
      if (theme) read.push_back(std::move(legend));
    }
    if (area) {
      for (const auto& t : doc_.gridThemes) {
        auto found = std::find_if(read.begin(), read.end(), [&](const auto& l) { return l && l->GetTheme() == t.get(); });
        area->legends.push_back(found != read.end() ? std::move(*found) : area->CreateLegendData(t.get()));
      }
    }
    const int runs = Count(version_ >= 2 ? 20 : 10);
    for (int r = 0; r < runs; ++r) Run(area);
  }
}

void Reader::ConvertWeather(CRun& run) {
  CRunInputs& in = run.inputs;
  if (in.windFile.empty() || in.weatherFile.empty() || in.useWeatherStream || !g_externalFiles) return;
  if (!askedAboutWeather_) {
    askedAboutWeather_ = true;
    convertWeather_ = platform::AskYesNo(
        "WTR and WND files are no longer supported by Pyrvane, and have been replaced by WXS Weather Stream "
        "files.\nPyrvane can create WXS data from WTR and WND files for you.\n\nWould you like Pyrvane to create "
        "WXS file(s) from the referenced WTR and WND files and use the newly created WXS file in your "
        "run(s)?\nNote: Your selection will be applied to any other WTR and WND files encountered while opening "
        "this project.\n\nWARNING! If you select No, the Run(s) using WTR and WND files will no longer have "
        "weather data and weather data will need to be set to for the Run(s).");
  }
  if (convertWeather_) {
    const std::string& wtr = in.weatherFile;
    const std::size_t dot = wtr.rfind('.');
    const std::string wxs = (dot != std::string::npos && dot > 0 ? wtr.substr(0, dot) : wtr) + ".wxs";
    if (ConvertWtrWndToWxs(wtr, in.windFile, wxs, {&in.conditioningStart, &in.conditioningEnd}) > 0)
      in.weatherStreamFile = wxs;
    else
      platform::Tell(platform::FormatC("Error creating WXS file %s\nfrom %s\nand\n%s", wxs.c_str(), wtr.c_str(),
                                       in.windFile.c_str()));
  }
  in.useWeatherStream = true;
  in.windFile.clear();
  in.weatherFile.clear();
  doc_.weatherConverted = true;
}

void Reader::Run(CPyrvane2WorkArea* area) {
  auto owned = std::make_unique<CRun>();
  CRun& run = *owned;
  run.document = &doc_;
  run.area = area;
  run.host = area;
  CRunInputs& in = run.inputs;
  CRunOutputs& o = run.outputs;
  run.name = Line();
  in.fuelMoistureFile = Line();
  in.customFuelsFile = Line();
  in.windFile = Line();
  in.weatherFile = Line();
  auto date = [&](platform::OleDateTime& d) {
    const std::string text = Line();
    if (text.empty())
      d = platform::OleDateTime::Null();
    else if (!d.ParseDateTime(text))
      d = platform::OleDateTime::Invalid();
  };
  date(in.conditioningStart);
  date(in.conditioningEnd);
  int conditioning = 0, customFuels = 0;
  const int got = Scan(1, "%d %d %d %d %lf %lf %lf %lf %d %d", &in.windType, &conditioning, &in.windDirection,
                       &in.windSpeed, &in.projectValue1, &in.projectValue2, &in.projectValue3,
                       &in.foliarMoistureContent, &customFuels, &in.windSpeedUnits);
  if (got < 10) in.windSpeedUnits = 0;
  in.noConditioning = conditioning == 0;
  in.useCustomFuelModels = customFuels != 0;
  auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
  if (!within(in.projectValue1, 1.0, 100.0)) in.projectValue1 = 35.0;
  if (!within(in.projectValue3, 0.0, 0.4)) in.projectValue3 = 0.2;
  if (!within(in.projectValue2, 0.1, 50.0)) in.projectValue2 = 5.0;
  if (!within(in.foliarMoistureContent, 20.0, 200.0)) in.foliarMoistureContent = 50.0;
  if (version_ >= 11) {
    in.weatherStreamFile = Line();
    int stream = 0;
    Scan(1, "%d", &stream);
    in.useWeatherStream = stream != 0;
  }
  ConvertWeather(run);
  std::unique_ptr<CTheme> generatedDirection, generatedSpeed;
  if (version_ >= 2) {
    in.griddedWindDirectionFile = Line();
    in.griddedWindSpeedFile = Line();
    if (in.windType == 4 && !in.griddedWindDirectionFile.empty()) {
      std::string bytes;
      generatedDirection = std::make_unique<CTheme>();
      if (!Entry(in.griddedWindDirectionFile, bytes, "the wind direction grid of the run " + run.name) ||
          !generatedDirection->LoadThemeBytes(bytes, archivePath_ + ": " + in.griddedWindDirectionFile))
        generatedDirection.reset();
      generatedSpeed = std::make_unique<CTheme>();
      if (!Entry(in.griddedWindSpeedFile, bytes, "the wind speed grid of the run " + run.name) ||
          !generatedSpeed->LoadThemeBytes(bytes, archivePath_ + ": " + in.griddedWindSpeedFile))
        generatedSpeed.reset();
      in.griddedWindDirectionFile.clear();
      in.griddedWindSpeedFile.clear();
    }
  }
  if (version_ >= 6) Scan(1, "%d", &in.griddedWindsResolution);
  if (version_ >= 7) {
    int diurnal = 0;
    Scan(1, "%d %lf %lf %lf %d", &diurnal, &in.diurnalAirTemperature, &in.diurnalCloudCover, &in.diurnalLongitude,
         &in.diurnalTimeZone);
    in.diurnalGriddedWinds = diurnal != 0;
    date(in.diurnalDateTime);
  }
  if (version_ >= 2) {
    RunArrowBlock(run, run.windVectors, 0, [&](CWindVectorTheme& t) {
      if (in.windType == 2 && g_externalFiles) {
        CTheme direction, speed;
        return direction.LoadGridFile(kGenericGridLayerType, in.griddedWindDirectionFile) == 1 &&
               speed.LoadGridFile(kGenericGridLayerType, in.griddedWindSpeedFile) == 1 &&
               t.CreateWindVectors(&direction, &speed);
      }
      if (in.windType == 4 && generatedDirection && generatedSpeed)
        return t.CreateWindVectors(generatedDirection.get(), generatedSpeed.get());
      return false;
    });
  }
  int v[20] = {};
  const int outs = Scan(1, "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d", &v[0], &v[1], &v[2], &v[3],
                        &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11], &v[12], &v[13], &v[14], &v[15],
                        &v[16], &v[17], &v[18], &v[19]);
  o.spreadDirectionFixed = v[0] != 0, o.crownFireActivity = v[1] != 0, o.spreadDirectionFromNorth = v[2];
  o.ellipticalA = v[3] != 0, o.ellipticalB = v[4] != 0, o.ellipticalC = v[5] != 0, o.flameLength = v[6] != 0;
  o.fuelMoisture1 = v[7] != 0, o.fuelMoisture10 = v[8] != 0, o.heatPerUnitArea = v[9] != 0;
  o.horizontalMovementRate = v[10] != 0, o.firelineIntensity = v[11] != 0, o.maxSpreadDirection = v[12] != 0;
  o.midflameWindSpeed = v[13] != 0, o.solarRadiation = v[14] != 0, o.rateOfSpread = v[15] != 0;
  o.numberOfProcessors = static_cast<int>(std::min(static_cast<unsigned>(v[16]), processors_));
  o.spreadVectors = outs >= 18 && v[17] != 0;
  o.useMemoryOutputs = outs < 19 || v[18] != 0;
  o.crownFireMethod = outs >= 20 ? v[19] : 0;
  if (version_ >= 6) {
    int m[7] = {};
    const int got7 = Scan(1, "%d %d %d %d %d %d %d", &m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6]);
    o.maxSpotting = m[0] != 0, o.maxSpottingDirection = m[1] != 0, o.maxSpottingDistance = m[2] != 0;
    o.fuelMoisture100 = m[3] != 0, o.fuelMoisture1000 = m[4] != 0, o.maxSpotVectors = m[5] != 0;
    o.crownFractionBurned = got7 >= 7 && m[6] != 0;
  }
  const int themes = Count(2);
  for (int i = 0; i < themes; ++i) {
    const std::string entry = Line();
    auto theme = std::make_unique<CTheme>();
    std::string bytes;
    if (Entry(entry, bytes, "an output theme of the run " + run.name))
      theme->LoadThemeBytes(bytes, archivePath_ + ": " + entry);
    auto legend = std::make_unique<CThemeLegendData>();
    RasterLegend(*legend);
    legend->SetTheme(theme.get());
    CTheme* t = theme.get();
    run.outputThemes.push_back(std::move(theme));
    run.outputLegends.push_back(std::move(legend));
    if (area) area->AddThemeRect(t);
  }
  auto at = [&](int position) -> CTheme* {
    return position >= 0 && static_cast<std::size_t>(position) < run.outputThemes.size()
               ? run.outputThemes[static_cast<std::size_t>(position)].get()
               : nullptr;
  };
  if (version_ >= 4) {
    int p[8] = {-1, -1, -1, -1, 0, 0, 0, 0};
    Scan(1, "%d %d %d %d %d %d %d %d", &p[0], &p[1], &p[2], &p[3], &p[4], &p[5], &p[6], &p[7]);
    // Each pointer on its own: a run may hold the later sources without the first.
    run.ellipticalATheme = at(p[0]), run.ellipticalBTheme = at(p[1]);
    run.ellipticalCTheme = at(p[2]), run.maxSpreadDirectionTheme = at(p[3]);
    run.fireBehaviorUpToDate = p[4] != 0, run.mttUpToDate = p[5] != 0;
    run.tomUpToDate1 = p[6] != 0, run.tomUpToDate2 = p[7] != 0;
  }
  if (version_ >= 6) {
    int p[3] = {-1, -1, -1};
    Scan(1, "%d %d %d", &p[0], &p[1], &p[2]);
    run.maxSpottingTheme = at(p[0]), run.windDirectionGridTheme = at(p[1]), run.windSpeedGridTheme = at(p[2]);
  }
  if (version_ >= 2) RunSecondHalf(run);
  // A run of a refused area is read to its end and dropped (it has no host to hold overlays).
  if (area) area->runs.push_back(std::move(owned));
}

void Reader::RunSecondHalf(CRun& run) {
  CRunMTTSettings& m = run.mtt;
  CRunTOMSettings& t = run.tom;
  if (version_ == 2) {
    int tomTreatment = 0, maxDimension = 0;
    Scan(1, "%d %d %d %lf %lf %lf %lf %d %d %d %d %d %d %d %d %d %lf %d", &m.marker, &m.ignitionSource,
         &m.numberOfRandomFires, &m.windAzimuthCopy, &m.resolution, &m.simulationTime, &m.travelPathInterval,
         &m.rateOfSpread, &m.nodeInfluence, &m.arrivalTime, &tomTreatment, &m.firelineIntensity, &m.flowPaths,
         &m.majorPaths, &m.arrivalContour, &maxDimension, &t.treatmentFraction, &t.iterations);
    t.treatments = tomTreatment;
    t.maxTreatmentDimension = maxDimension;
    t.rateOfSpread = m.rateOfSpread, t.nodeInfluence = m.nodeInfluence, t.arrivalTime = m.arrivalTime;
    t.firelineIntensity = m.firelineIntensity, t.flowPaths = m.flowPaths, t.majorPaths = m.majorPaths;
    t.arrivalContour = m.arrivalContour;
    m.ignitionFile = Line();
    t.idealLandscapeFile = Line();
    if (!t.idealLandscapeFile.empty() && g_externalFiles) run.CreateIdealLandscapeThemes();
  } else {
    Scan(1, "%d %d %d %lf %lf %lf %lf %d %d %d %d %d %d %d", &m.marker, &m.ignitionSource, &m.numberOfRandomFires,
         &m.windAzimuthCopy, &m.resolution, &m.simulationTime, &m.travelPathInterval, &m.rateOfSpread,
         &m.nodeInfluence, &m.arrivalTime, &m.firelineIntensity, &m.flowPaths, &m.majorPaths, &m.arrivalContour);
    m.ignitionFile = Line();
    if (version_ >= 4) run.mttIgnitions = CompactVector(run, m.ignitionFile, "Minimum Travel Time Ignitions");
    if (version_ >= 6) {
      m.barrierFile = Line();
      run.mttBarriers = CompactVector(run, m.barrierFile, "Minimum Travel Time Barriers");
      Scan(1, version_ >= 11 ? "%d %d %lf %d" : "%d %d %lf", &m.ignitionGrid, &m.fillBarriers, &m.spotProbability,
           &m.spotDelay);
    }
    if (version_ >= 9) {
      const int got = Scan(1, "%d %d %d %d %d %d %d %d %d", &m.lateralSearchDepth, &m.verticalSearchDepth,
                           &m.burnProbabilities, &m.perimeters, &m.flpEnglish, &m.flpMetric, &m.fireSizeList,
                           &m.emberLocations, &m.emberList);
      if (got < 9) m.emberList = 0;
      if (got < 8) m.emberLocations = 0;
      m.fireListFile = Line();
    }
    Scan(1, "%lf %lf %d %lf %lf %d %d %d %d %d %d %d %d %d", &t.windAzimuthCopy, &t.resolution, &t.iterations,
         &t.maxTreatmentDimension, &t.treatmentFraction, &t.treatmentOpportunities, &t.treatments, &t.rateOfSpread,
         &t.nodeInfluence, &t.arrivalTime, &t.firelineIntensity, &t.flowPaths, &t.majorPaths, &t.arrivalContour);
    t.ignitionFile = Line();
    if (version_ >= 4) run.tomIgnitions = CompactVector(run, t.ignitionFile, "Treatment Ignitions");
    t.idealLandscapeFile = Line();
    if (!t.idealLandscapeFile.empty() && g_externalFiles) run.CreateIdealLandscapeThemes();
    if (version_ >= 4)
      RunArrowBlock(run, run.spreadVectors, 1, [&](CWindVectorTheme& a) {
        return run.maxSpreadDirectionTheme && run.ellipticalBTheme && run.ellipticalCTheme &&
               a.CreateSpreadVectors(run.maxSpreadDirectionTheme, run.ellipticalBTheme, run.ellipticalCTheme);
      });
    if (version_ >= 6)
      RunArrowBlock(run, run.maxSpotVectors, 2, [&](CWindVectorTheme& a) {
        return run.maxSpottingTheme && a.CreateSpotVectors(run.maxSpottingTheme);
      });
  }
  run.flowPaths = VectorPayload(run, false, nullptr);
  run.majorPaths = VectorPayload(run, false, nullptr);
  {
    int present = 0, flag = 1;
    Scan(1, "%d %d", &present, &flag);
    if (present) {
      const std::string entry = Line();
      std::string bytes;
      if (Entry(entry, bytes, "the arrival contour of the run " + run.name)) {
        auto contour = std::make_unique<CContourTheme>();
        if (contour->LoadThemeBytes(bytes, archivePath_ + ": " + entry) && run.host) {
          run.arrivalContour = run.host->AdoptContourTheme(contour.release());
          if (run.arrivalContour) Record(CVectorThemeItem{nullptr, run.arrivalContour, nullptr}, flag);
        }
      }
    }
  }
  if (version_ >= 9) {
    bool present = false;
    run.randomPerimeters = VectorPayload(run, version_ >= 10, nullptr, &present);
    int visible = 1, width = 1, style = 0;
    long colour = 0;
    if (present) Scan(1, "%d %d %ld %d", &visible, &width, &colour, &style);
    if (CVectorTheme* p = run.randomPerimeters)
      p->visible = visible != 0, p->lineWidth = width, p->lineColor = static_cast<COLORREF>(colour), p->lineStyle = style;
  }
  if (version_ >= 9) {
    const int logs = Count(2);
    for (int i = 0; i < logs; ++i) {
      RunLogFile log;
      log.name = Line();
      const std::string entry = Line();
      if (Entry(entry, log.text, "the run log " + log.name + " of the run " + run.name))
        run.runLogs.push_back(std::move(log));
    }
  }
  Line();  // the treatment results' flag
  for (CTheme*& slot : run.tomOutputThemes) {
    const std::string entry = Line();
    if (entry.size() <= 4) continue;
    auto legend = std::make_unique<CThemeLegendData>();
    auto theme = std::make_unique<CTheme>();
    std::string bytes;
    const bool found = Entry(entry, bytes, "a treatment result of the run " + run.name) &&
                       theme->LoadThemeBytes(bytes, archivePath_ + ": " + entry);
    RasterLegend(*legend);
    if (!found) continue;
    legend->SetTheme(theme.get());
    slot = theme.release();
    run.outputLegends.push_back(std::move(legend));
    if (run.area) run.area->AddThemeRect(slot);
  }
  if (version_ < 12) return;
  CRunEmbrithSettings& e = run.embrith;
  int embrith = 0;
  const int got = Scan(1, "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d", &e.perimeters, &e.arrivalTime,
                       &e.crownFireActivity, &e.firelineIntensity, &e.flameLength, &e.heatPerUnitArea,
                       &e.ignitionGrid, &e.rateOfSpread, &e.reactionIntensity, &e.spotFireList,
                       &e.spotFireLocations, &e.spreadDirection, &embrith, &e.windVectors, &e.spreadVectors);
  run.isEmbrith = embrith != 0;
  if (got < 15) e.windVectors = 0, e.spreadVectors = 0;
  Scan(1, "%d %d %lf %lf %lf %lf %d %lf %lf", &e.accelerationOn, &e.fillBarriers, &e.distanceResolution,
       &e.perimeterResolution, &e.timeStep, &e.spotProbability, &e.spotIgnitionDelay, &e.minimumSpotDistance,
       &e.spotGridResolution);
  e.ignitionFile = Line();
  run.embrithIgnitions = CompactVector(run, e.ignitionFile, "Embrith Ignitions");
  e.barrierFile = Line();
  run.embrithBarriers = CompactVector(run, e.barrierFile, "Embrith Barriers");
  e.rosAdjustFile = Line();
  const int periods = Count();
  e.burnPeriods.assign(static_cast<std::size_t>(periods), BurnPeriod{});
  for (BurnPeriod& p : e.burnPeriods) Scan(4, "%d %d %d %d", &p.month, &p.day, &p.startHour, &p.endHour);
  if (version_ >= 14) e.atmFile = Line();
  // Fire perimeters and spot fires, each with its display line when present.
  bool present = false;
  run.embrithPerimeters = VectorPayload(run, true, [](CVectorTheme& v) { v.hasPerimeterAttributes = true; }, &present);
  if (present) {
    int visible = 1, width = 1, style = 0, mode = 0, interval = 1;
    long colour = 0;
    Scan(1, version_ >= 16 ? "%d %d %ld %d %d %d" : "%d %d %ld %d", &visible, &width, &colour, &style, &mode,
         &interval);
    if (CVectorTheme* p = run.embrithPerimeters) {
      p->visible = visible != 0, p->lineWidth = width, p->lineColor = static_cast<COLORREF>(colour);
      p->lineStyle = style;
      if (version_ >= 16) p->perimeterDisplayMode = mode, p->perimeterInterval = interval;
      std::vector<PerimeterPeriod> filter;
      for (const BurnPeriod& b : e.burnPeriods) filter.push_back({b.month, b.day, b.endHour});
      p->FilterPerimeters(e.timeStep, filter);
    }
  }
  run.spotLocations = VectorPayload(run, true, [](CVectorTheme& v) { v.hasEmbrithSpots = true; }, &present);
  if (present) {
    int visible = 1, size = 3, shape = 0;
    long colour = 0;
    Scan(1, "%d %d %ld %d", &visible, &size, &colour, &shape);
    if (CVectorTheme* s = run.spotLocations)
      s->visible = visible != 0, s->pointSize = size, s->pointColor = static_cast<COLORREF>(colour), s->pointSymbol = shape;
  }
  {
    int present = 0, flag = -1;
    Scan(1, "%d %d", &present, &flag);
    if (present) {
      const std::string tifEntry = Line();
      const std::string xmlEntry = Line();
      const std::string name = Line();
      const ArrowHead head = ArrowLegendHead(false);
      std::string tif, xml;
      if (Entry(tifEntry, tif, "the gridded winds of the run " + run.name) &&
          Entry(xmlEntry, xml, "the gridded winds of the run " + run.name)) {
        // The layer set's reader takes files: a private folder holds them while it reads.
        std::string folder = platform::Join(platform::WorkingFolder(), "project-open-XXXXXX");
        if (::mkdtemp(folder.data())) {
          const std::string tifPath = platform::Join(folder, "winds.tif");
          const std::string xmlPath = platform::Join(folder, "winds.xml");
          std::string why;
          if (platform::WriteFileAtomically(tifPath, tif) && platform::WriteFileAtomically(xmlPath, xml) &&
              runs::LoadWindGrids(tifPath, xmlPath, run.windGrids, &why) != 1) {
            // The reason names the scratch copies; the user knows the archive's entries.
            for (const auto& [path, entry] : {std::pair{tifPath, tifEntry}, {xmlPath, xmlEntry}})
              if (const std::size_t at = why.find(path); at != std::string::npos)
                why.replace(at, path.size(), "entry " + entry);
            missing.push_back("the gridded winds of the run " + run.name + " (their layers cannot be read: " + why + ")");
          }
          std::error_code ec;
          std::filesystem::remove_all(folder, ec);
        }
      }
      auto theme = std::make_unique<CWindVectorTheme>();
      if (run.host && runs::CreateFromRunWinds(*theme, run)) {
        theme->name = name;
        run.embrithWindVectors = theme.release();
        doc_.AddWindVectorDrawItem(run.embrithWindVectors);
        CompleteArrows(run.embrithWindVectors, head);
        arrows_.push_back({doc_.drawPriority.back(), flag});
      } else {
        ArrowEntries(head, nullptr);
      }
    }
  }
  if (version_ >= 15)
    RunArrowBlock(run, run.embrithSpreadVectors, 1, [&](CWindVectorTheme& a) {
      const CTheme* direction = run.FindOutputTheme(21);
      const CTheme* rate = run.FindOutputTheme(12);
      return direction && rate && a.CreateWindVectorsReversed(direction, rate);
    });
  for (const auto& o : run.outputThemes) {
    std::string lower = o->name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (o->layerType == 13 && lower == "embrith reaction intensity") {
      o->layerType = 43;
      break;
    }
  }
  // Files before version 16 did not keep the fire growth report: it is made again from the
  // perimeters.
  if (version_ <= 15 && run.isEmbrith && run.embrithPerimeters) runs::GetFireGrowthReport(run);
}

void Reader::Read() {
  const std::string header = Line();
  version_ = VersionOfHeader(header);
  if (version_ == 0) throw Damaged(1, "Error: Unrecognized file format\nMissing Pyrvane6 header line.");
  doc_.loading = true;
  if (platform::FileExists(archivePath_)) {
    zip_ = std::make_unique<CZipArchive>();
    zip_->Open(archivePath_, CZipArchive::zipOpenReadOnly, 0);
  }
  const std::string landscape = Line();
  {
    long l[16] = {};
    int legendVisible = 0, pointVisible = 0;
    double zoom = 1.1;
    PanePlacement& f = doc_.framePlacement;
    Scan(1, "%lf %d %ld %ld %ld %ld %ld %d %ld %ld %ld %ld %d %ld %ld %ld %ld", &zoom, &f.showCmd, &l[0], &l[1],
         &l[2], &l[3], &l[4], &legendVisible, &l[5], &l[6], &l[7], &l[8], &pointVisible, &l[9], &l[10], &l[11],
         &l[12]);
    f.left = l[0], f.top = l[1], f.right = l[2], f.bottom = l[3];
    doc_.treePlacement.left = 0, doc_.treePlacement.right = l[4];
    doc_.legendWindowVisible = legendVisible != 0;
    doc_.legendPlacement.left = l[5], doc_.legendPlacement.top = l[6];
    doc_.legendPlacement.right = l[7], doc_.legendPlacement.bottom = l[8];
    doc_.pointPlacement.left = l[9], doc_.pointPlacement.top = l[10];
    doc_.pointPlacement.right = l[11], doc_.pointPlacement.bottom = l[12];
    doc_.zoomFactor = (zoom == 1.1 || zoom == 1.2 || zoom == 1.3 || zoom == 1.4 || zoom == 1.5) ? zoom : 1.1;
  }
  if (!landscape.empty()) {
    if (!g_externalFiles || !doc_.OpenProjectLandscape(landscape)) throw Damaged(0, "");
    doc_.landscape.path = landscape;
  }
  Grids();
  Vectors();
  Contours();
  if (version_ >= 2) WindVectorThemes();
  if (version_ == 1) OldDrawOrder();
  Areas();
  if (!AtEnd()) {
    int relief = doc_.reliefShading, azimuth = doc_.shadingAzimuth;
    float strength = doc_.shadingStrength;
    Scan(1, "%d %d %f", &relief, &azimuth, &strength);
    doc_.reliefShading = relief, doc_.shadingAzimuth = azimuth, doc_.shadingStrength = strength;
  }
  int visibleType = -1, visiblePosition = -1, areaPosition = -1, runPosition = -1;
  MapViewState view;
  if (!AtEnd()) {
    Scan(1, "%d %d %d %d %d %d %d %d %lf", &visibleType, &visiblePosition, &areaPosition, &runPosition, &view.scrollX,
         &view.scrollY, &view.scrollWidth, &view.scrollHeight, &view.scale);
  } else {
    view.scrollWidth = view.scrollHeight = 0;
  }
  if (zip_) zip_->Close();
  if (version_ >= 2) {
    // Rebuilt arrows first, then the overlays in file order; the one stored as the top
    // overlay goes to the head.
    doc_.drawPriority.clear();
    for (const DrawRecord& r : arrows_) doc_.drawPriority.push_back(r.item);
    for (const DrawRecord& r : records_) doc_.drawPriority.push_back(r.item);
    std::vector<DrawRecord> all = arrows_;
    all.insert(all.end(), records_.begin(), records_.end());
    for (std::size_t i = 0; i < all.size(); ++i)
      if (all[i].flag == 0) {
        std::rotate(doc_.drawPriority.begin(), doc_.drawPriority.begin() + static_cast<long>(i),
                    doc_.drawPriority.begin() + static_cast<long>(i) + 1);
        break;
      }
  }
  doc_.loading = false;
  if (!doc_.areas.empty())
    doc_.currentArea = areaPosition > 0 && static_cast<std::size_t>(areaPosition) < doc_.areas.size()
                           ? doc_.areas[static_cast<std::size_t>(areaPosition)].get()
                           : doc_.areas.front().get();
  else
    doc_.currentArea = nullptr;
  doc_.visibleTheme = nullptr;
  doc_.ShowFuelModelLayer();
  // The theme shown when the project was saved is shown again: found by its place in the
  // count over the grid themes and then the runs' outputs, and only when its layer type is
  // the one stored.
  if (visiblePosition >= 0) {
    std::vector<CTheme*> counted;
    for (const auto& t : doc_.gridThemes) counted.push_back(t.get());
    for (const auto& area : doc_.areas)
      for (const auto& run : area->runs)
        for (const auto& t : run->outputThemes) counted.push_back(t.get());
    if (static_cast<std::size_t>(visiblePosition) < counted.size()) {
      CTheme* saved = counted[static_cast<std::size_t>(visiblePosition)];
      if (saved && saved->layerType == visibleType) {
        CTheme* fuel = doc_.visibleTheme;
        doc_.SetVisibleTheme(saved);
        if (!doc_.GetVisibleThemeLegend()) doc_.SetVisibleTheme(fuel);  // not shown in the current area
      }
    }
  }
  doc_.mapView = view;
}

}  // namespace

void SetExternalFilesForTests(bool open) { g_externalFiles = open; }

const char* HeaderLine(int version) {
  return version >= 1 && version <= kCurrentVersion ? kHeaders[version - 1] : "";
}

int VersionOfHeader(const std::string& line) {
  for (int v = 1; v <= kCurrentVersion; ++v)
    if (line == kHeaders[v - 1]) return v;
  return 0;
}

std::string CompanionPath(const std::string& projectPath) {
  const std::size_t dot = projectPath.rfind('.');
  const std::size_t slash = platform::LastSeparator(projectPath);
  const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasDot ? projectPath.substr(0, dot) : projectPath) + ".pzp";
}

bool ReadProjectText(CPVN4Doc& doc, const std::string& text, const std::string& projectPath,
                     const std::string& archivePath) {
  Reader reader(doc, text, projectPath, archivePath);
  try {
    reader.Read();
  } catch (const Damaged& d) {
    doc.loading = false;
    doc.FreeContents();
    if (d.line == 1)
      platform::Tell(d.what());
    else if (d.line > 0)
      platform::Tell(platform::FormatC("Error: the project file %s is damaged at line %d:\n%s.\nThe project was not opened.",
                                       projectPath.c_str(), d.line, d.what()));
    return false;
  } catch (const CZipException& e) {
    doc.loading = false;
    doc.FreeContents();
    platform::Tell("Error: the project archive " + archivePath + " cannot be read: " + e.what() +
                   "\nThe project was not opened.");
    return false;
  } catch (const std::bad_alloc&) {
    doc.loading = false;
    doc.FreeContents();
    platform::Tell("Error: there is not enough memory to open the project " + projectPath + ".");
    return false;
  }
  if (!reader.missing.empty()) {
    std::string list;
    for (const std::string& m : reader.missing) list += "\n" + m;
    platform::Tell("The project " + projectPath + " was opened without what could not be found:" + list);
  }
  return true;
}

bool ReadProject(CPVN4Doc& doc, const std::string& path) {
  std::string text;
  if (!platform::ReadWholeFile(path, text)) {
    platform::Tell("Error: the project file " + path + " cannot be read.");
    return false;
  }
  return ReadProjectText(doc, text, path, MatchingCompanion(path, text));
}

std::string PairMark(const std::string& projectText) {
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(projectText.data()), static_cast<uInt>(projectText.size()));
  return platform::FormatC("Pyrvane project %08lx %zu", crc, projectText.size());
}

std::string PreviousCompanionPath(const std::string& companion) { return companion + ".pv6previous"; }

std::string MatchingCompanion(const std::string& projectPath, const std::string& projectText) {
  const std::string companion = CompanionPath(projectPath);
  const std::string previous = PreviousCompanionPath(companion);
  if (!platform::FileExists(previous)) return companion;
  auto mark = [](const std::string& archive) {
    try {
      CZipArchive zip;
      zip.Open(archive, CZipArchive::zipOpenReadOnly);
      std::string comment = zip.GetGlobalComment();
      zip.Close();
      return comment;
    } catch (const CZipException&) {
      return std::string();
    }
  };
  // A previous archive without a mark was written before marks were kept.
  const std::string wanted = PairMark(projectText), before = mark(previous);
  return mark(companion) != wanted && (before == wanted || before.empty()) ? previous : companion;
}

}  // namespace projectfile
