#include "themes/contour_theme.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "app/application.h"
#include "app/unit_tables.h"
#include "platform/atomic_file.h"
#include "platform/grid_memory.h"
#include "platform/image.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/progress.h"
#include "themes/line_style.h"
#include "themes/shapefile_writer.h"
#include "themes/theme.h"

namespace {

constexpr std::size_t kMaxNameLength = 255;
constexpr std::size_t kLineHeaderBytes = 24, kPointBytes = 8;

// Asks the sink whether to stop at most every 50 ms: a window answers by pumping its events,
// which would cost more than tracing a row.
class CancelCheck {
 public:
  explicit CancelCheck(platform::ProgressSink* progress) : progress_(progress) {}
  bool operator()() {
    if (!progress_) return false;
    const auto now = std::chrono::steady_clock::now();
    if (asked_ && now - last_ < std::chrono::milliseconds(50)) return false;
    asked_ = true;
    last_ = now;
    return progress_->CancelRequested();
  }

 private:
  platform::ProgressSink* progress_;
  bool asked_ = false;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace

bool CContourTheme::Create(CTheme* source, float step, const CThemeLegendData* legend,
                           platform::ProgressSink* progress, std::string* error) {
  if (!source) return false;
  if (progress) progress->SetText("Contouring...");
  sourceTheme = source;
  interval = step;
  const std::vector<int> codes = GetLayerTypeUnits(source->layerType);
  const int index = legend ? legend->GetUnits() : 0;
  units = index >= 0 && static_cast<std::size_t>(index) < codes.size() ? codes[static_cast<std::size_t>(index)]
                                                                       : source->units;
  name = source->name;
  north = source->north, east = source->east, south = source->south, west = source->west;
  if (source->layerType >= 0 && source->layerType < kLayerTypeCount) {
    const CThemePreference& p = GetApp().themePrefs[static_cast<std::size_t>(source->layerType)];
    color = p.contourColor, lineStyle = p.contourStyle, lineWidth = p.contourWidth;
  }

  CancelCheck cancelled(progress);
  // One copy of the cells, so every level is traced from memory.
  const int nx = std::max(source->columns, 0), ny = std::max(source->rows, 0);
  // Cells without data become -infinity, which the tracer takes as they are.
  constexpr float kNone = -std::numeric_limits<float>::infinity();
  platform::GridMemory cells(platform::AllocateGridMemory(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny)));
  if (!cells) {
    if (error) *error = "There is not enough memory to contour " + source->name + ".";
    return false;
  }
  float lo = 0, hi = 0;
  bool any = false;
  for (int r = 0; r < ny; ++r) {
    if (cancelled()) return false;
    float* row = cells.get() + static_cast<std::size_t>(r) * nx;
    source->ReadRow(r, row);
    for (int c = 0; c < nx; ++c) {
      float& v = row[c];
      if (std::isnan(v) || v == kNoData || std::isinf(v)) {
        v = kNone;
        continue;
      }
      if (legend) v = source->ConvertToDisplayUnits(v, *legend);
      if (!any) lo = hi = v, any = true;
      lo = std::min(lo, v), hi = std::max(hi, v);
    }
  }
  minValue = any ? lo : kNoData;
  maxValue = any ? hi : kNoData;
  lines.clear();
  if (!any) return true;
  std::string why;
  const std::vector<double> levels = ContourLevels(lo, hi, interval, &why);
  if (!why.empty()) {
    if (error) *error = why;
    return false;
  }
  if (progress) progress->SetRange(100);
  const ContourGrid grid{cells.get(), nx, ny, west, north, source->cellWidth, source->cellHeight, kNone};
  const double n = static_cast<double>(std::max<std::size_t>(levels.size(), 1));
  return TraceContours(grid, levels, lines, [&cancelled] { return cancelled(); },
                       [progress, n](std::size_t done) {
                         if (progress) progress->SetPosition(static_cast<long long>(done / n * 100));
                       });
}

bool CContourTheme::Simplify(double minDistance, platform::ProgressSink* progress) {
  if (progress) {
    progress->SetText("Optimizing...");
    progress->SetRange(100);
  }
  CancelCheck cancelled(progress);
  const double n = static_cast<double>(std::max<std::size_t>(lines.size(), 1));
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (cancelled()) return false;
    if (progress) progress->SetPosition(static_cast<long long>((k + 1) / n * 100));
    SimplifyContourLine(lines[k], minDistance);
  }
  return true;
}

void CContourTheme::Draw(platform::Canvas& canvas, double w, double n, double e, double s, int left,
                         int top, int right, int bottom) const {
  if (!visible || lines.empty() || e == w || n == s) return;
  const double fx = (right - left + 1) / (e - w), fy = (bottom - top + 1) / (n - s);
  auto pixel = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
  std::uint32_t pattern[8];
  const unsigned count = MakeDashPattern(pattern, false, static_cast<unsigned>(std::max(lineWidth, 0)),
                                         static_cast<unsigned>(std::max(lineStyle, 0)));
  canvas.SetAntialias(false);
  CDashedStroke stroke(canvas, pattern, count, lineWidth);
  for (const ContourLine& line : lines) {
    if (line.points.empty()) continue;
    // Lines wholly off the view cost nothing to skip.
    if (line.maxX < w || line.minX > e || line.maxY < s || line.minY > n) continue;
    canvas.NewPath();
    for (std::size_t i = 0; i < line.points.size(); ++i) {
      const int x = pixel((line.points[i].x - w) * fx), y = pixel((n - line.points[i].y) * fy);
      if (i == 0) stroke.MoveTo(x, y);
      else stroke.LineTo(x, y);
    }
    StrokeStyledPath(color, canvas, false, lineWidth);
  }
}

// ---- files ----

namespace {

template <class T>
void Put(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

template <class T>
bool Get(const std::string& b, std::size_t& pos, T& v) {
  if (b.size() - pos < sizeof v) return false;
  std::memcpy(&v, b.data() + pos, sizeof v);
  pos += sizeof v;
  return true;
}

}  // namespace

std::string CContourTheme::ThemeBytes() const {
  std::string out;
  for (double v : {east, west, north, south}) Put(out, v);
  // The format holds at most 255 name bytes.
  out.append(name.data(), std::min(name.size(), kMaxNameLength));
  out.push_back('\0');
  Put<std::int32_t>(out, units);
  for (float v : {minValue, maxValue, interval}) Put(out, v);
  Put<std::uint8_t>(out, visible ? 1 : 0);
  Put<std::uint32_t>(out, color);
  for (std::int32_t v : {lineStyle, lineWidth, static_cast<std::int32_t>(lines.size())}) Put(out, v);
  for (const ContourLine& l : lines) {
    for (float v : {l.maxX, l.minY, l.minX, l.maxY, l.level}) Put(out, v);
    Put(out, static_cast<std::int32_t>(l.points.size()));
    for (const fPoint& p : l.points) {
      Put(out, p.x);
      Put(out, p.y);
    }
  }
  return out;
}

bool CContourTheme::SaveThemeFile(const std::string& path) const {
  platform::AtomicFile file(path);
  if (!file.Open() || !file.Write(ThemeBytes()) || !file.Commit()) {
    platform::Tell(platform::FormatC("Error opening %s", path.c_str()));
    return false;
  }
  return true;
}

int CContourTheme::LoadThemeFile(const std::string& path) {
  std::string bytes;
  if (!platform::ReadWholeFile(path, bytes)) return 0;
  return LoadThemeBytes(bytes, path);
}

int CContourTheme::LoadThemeBytes(const std::string& b, const std::string& file) {
  auto damaged = [&](const std::string& what) {
    platform::Tell(platform::FormatC("%s is damaged: %s.", file.c_str(), what.c_str()));
    return 0;
  };
  std::size_t pos = 0;
  double e = 0, w = 0, n = 0, s = 0;
  if (!Get(b, pos, e) || !Get(b, pos, w) || !Get(b, pos, n) || !Get(b, pos, s))
    return damaged("it ends inside the extent");
  std::string themeName;
  for (;;) {
    char c;
    if (!Get(b, pos, c)) return damaged("it ends inside the name");
    if (c == '\0') break;
    if (themeName.size() == kMaxNameLength) return damaged("the name is longer than 255 bytes");
    themeName.push_back(c);
  }
  std::int32_t u = 0, style = 0, width = 0, count = 0;
  float lo = 0, hi = 0, step = 0;
  std::uint8_t vis = 0;
  std::uint32_t colour = 0;
  if (!Get(b, pos, u) || !Get(b, pos, lo) || !Get(b, pos, hi) || !Get(b, pos, step) || !Get(b, pos, vis) ||
      !Get(b, pos, colour) || !Get(b, pos, style) || !Get(b, pos, width) || !Get(b, pos, count))
    return damaged("it ends inside the display properties");
  if (count < 0 || static_cast<std::size_t>(count) > (b.size() - pos) / kLineHeaderBytes)
    return damaged(platform::FormatC("%d lines do not fit in the file", count));
  std::vector<ContourLine> read(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < read.size(); ++i) {
    ContourLine& l = read[i];
    std::int32_t k = 0;
    if (!Get(b, pos, l.maxX) || !Get(b, pos, l.minY) || !Get(b, pos, l.minX) || !Get(b, pos, l.maxY) ||
        !Get(b, pos, l.level) || !Get(b, pos, k))
      return damaged(platform::FormatC("it ends inside line %zu", i + 1));
    if (k < 0 || static_cast<std::size_t>(k) > (b.size() - pos) / kPointBytes)
      return damaged(platform::FormatC("line %zu claims %d points the file does not hold", i + 1, k));
    l.points.resize(static_cast<std::size_t>(k));
    for (fPoint& p : l.points) Get(b, pos, p.x), Get(b, pos, p.y);
  }
  east = e, west = w, north = n, south = s;
  name = std::move(themeName);
  units = u, minValue = lo, maxValue = hi, interval = step;
  visible = vis != 0;
  color = colour, lineStyle = style, lineWidth = width;
  lines = std::move(read);
  sourceTheme = nullptr;
  return 1;
}

bool CContourTheme::SaveShapefile(const std::string& path, const std::string& projection) const {
  ShapefileWriter out(path, SHPT_ARC);
  bool ok = out.Open() && out.AddField("ENTITY", FTDouble, 20, 0) && out.AddField("VALUE", FTDouble, 20, 4);
  // Plain lines carry no heights, so only x and y are handed over.
  std::vector<double> x, y;
  for (std::size_t i = 0; i < lines.size() && ok; ++i) {
    const ContourLine& l = lines[i];
    x.resize(l.points.size()), y.resize(x.size());
    for (std::size_t j = 0; j < x.size(); ++j) x[j] = l.points[j].x, y[j] = l.points[j].y;
    const int rec = out.WriteShape(SHPT_ARC, static_cast<int>(x.size()), x.data(), y.data(), nullptr);
    ok = rec >= 0 && out.WriteDouble(rec, 0, rec) && out.WriteDouble(rec, 1, l.level);
  }
  ok = ok && out.Commit(projection);
  if (!ok) platform::Tell(out.Error());
  return ok;
}

double DefaultContourInterval(double range) {
  double step = 0.01;
  if (range > 0) {
    const double a = std::log10(range), whole = std::floor(a);
    if (a > 1) step = std::pow(10.0, a - whole >= 0.5 ? whole : whole - 1);
    else if (a > 0.5) step = 1;
    else if (a > 0) step = 0.1;
  }
  if (range * 0.5 <= step) step = range * 0.1;
  return step;
}
