#include "app/preferences_file.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

#include "platform/numbers.h"
#include "platform/paths.h"

namespace {

using platform::FormatC;

const char* const kHeaders[8] = {
    nullptr,
    "Pyrvane 5.0 Config file Version 1",
    "Pyrvane 5.0 Config file Version 2",
    "Pyrvane 5.0 Config file Version 3",
    "Pyrvane 5.0 Config file Version 4",
    "Pyrvane 6.0 Config file Version 5",
    "Pyrvane 6.1 Config file Version 6",
    "Pyrvane 6.1 Config file Version 7",
};
const int kPairsByVersion[8] = {32, 39, 40, 40, 43, 44, 44, 44};

std::string Color(COLORREF c) { return FormatC("%lu", static_cast<unsigned long>(c)); }

std::string RampLine(const CColorRamp& ramp) {
  std::string line = FormatC("%d", ramp.GetCount());
  for (COLORREF c : ramp.Colors()) line += " " + Color(c);
  return line;
}

// Lines of the file; a line ends at LF, and a CR before it is dropped.
class Lines {
 public:
  explicit Lines(const std::string& text) : text_(text) {}
  std::optional<std::string> Next() {
    if (pos_ >= text_.size()) return std::nullopt;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

// Formatted scanning of a line: each value is taken from where the last one ended; the
// first one that cannot be read stops the scan, leaving its target and the rest untouched.
class Scan {
 public:
  explicit Scan(const std::string& line) : p_(line.data()), end_(line.data() + line.size()) {}
  int count() const { return count_; }

  template <class T>
  Scan& Int(T& out) {
    long long v;
    if (ok_ && (ok_ = Integer(v))) {
      out = static_cast<T>(v);
      ++count_;
    }
    return *this;
  }
  Scan& Color(COLORREF& out) {
    long long v;
    if (ok_ && (ok_ = Integer(v))) {
      out = static_cast<COLORREF>(static_cast<std::uint64_t>(v) & 0xFFFFFFFFu);
      ++count_;
    }
    return *this;
  }
  template <class T>
  Scan& Real(T& out) {
    if (!ok_) return *this;
    Blanks();
    const char* s = p_;
    if (s < end_ && *s == '+') ++s;
    double v = 0;
    auto [ptr, ec] = std::from_chars(s, end_, v);
    if ((ec != std::errc() && ec != std::errc::result_out_of_range) || ptr == s) {
      ok_ = false;
      return *this;
    }
    p_ = ptr;
    out = static_cast<T>(v);
    ++count_;
    return *this;
  }

 private:
  void Blanks() {
    while (p_ < end_ && std::isspace(static_cast<unsigned char>(*p_))) ++p_;
  }
  bool Integer(long long& v) {
    Blanks();
    const char* s = p_;
    if (s < end_ && *s == '+') ++s;
    auto [ptr, ec] = std::from_chars(s, end_, v);
    if (ec != std::errc() || ptr == s) return false;
    p_ = ptr;
    return true;
  }
  const char* p_;
  const char* end_;
  int count_ = 0;
  bool ok_ = true;
};

// Text after the n-th blank, or nullopt when the line has fewer blanks.
std::optional<std::string> AfterBlank(const std::string& line, int n) {
  std::size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    pos = line.find(' ', pos);
    if (pos == std::string::npos) return std::nullopt;
    ++pos;
  }
  return line.substr(pos);
}

// The legend name of a preference line: the text after the numbers-th blank, cut at a line
// end. Without all the numbers or without a name the use-predefined-legend flag drops to 0.
void TakeLegendName(const std::string& line, int numbers, int numbersRead, int& useFlag, std::string& name) {
  auto rest = AfterBlank(line, numbers);
  if (rest) StripLineEnd(*rest);
  bool hasName = rest && rest->find_first_not_of(" \t\v\f") != std::string::npos;
  if (numbersRead < numbers || !hasName) {
    useFlag = 0;
    name.clear();
  } else {
    name = *rest;
  }
}

// A ramp line: the count, then that many colours (0 for each one the line lacks).
bool ParseRamp(const std::string& line, CColorRamp& ramp, std::string& error) {
  int n = 0;
  Scan s(line);
  s.Int(n);
  if (n > kMaxRampColors) {
    error = "a colour ramp of " + std::to_string(n) + " colours";
    return false;
  }
  std::vector<COLORREF> colors(n > 0 ? static_cast<std::size_t>(n) : 0, 0);
  for (auto& c : colors) s.Color(c);
  ramp.SetColors(static_cast<int>(colors.size()), colors.data());
  return true;
}

bool EntryCountOk(long long e, std::string& error) {
  if (e > kMaxLegendEntries) {
    error = "a legend of " + std::to_string(e) + " entries";
    return false;
  }
  return true;
}

}  // namespace

std::string FormatPreferences(const StoredPreferences& p, const PreferenceLists& lists) {
  std::string out;
  auto line = [&out](const std::string& s) {
    out += s;
    out += '\n';
  };
  line(kHeaders[kPreferencesVersion]);
  line(FormatC("%d %d %ld %ld %ld %ld", static_cast<int>(lists.colorRamps.size()), p.placement.showCmd,
               p.placement.left, p.placement.top, p.placement.right, p.placement.bottom));
  for (const auto& r : lists.colorRamps) line(RampLine(*r));
  const auto& v = p.vectorPrefs;
  line(Color(v.lineColor) + FormatC(" %d %d ", v.lineStyle, v.lineWidth) + Color(v.pointColor) +
       FormatC(" %d %d ", v.pointShape, v.pointWidth) + Color(v.polygonColor) +
       FormatC(" %d %d", v.polygonStyle, v.polygonWidth));
  for (const auto& t : p.themePrefs) {
    line(FormatC("%d ", t.layerType) + Color(t.contourColor) +
         FormatC(" %d %d %d ", t.decimals, t.contourStyle, t.contourWidth) + Color(t.noDataColor) +
         FormatC(" %d %d %d ", t.numClasses, t.units, t.usePredefinedLegend) + t.predefinedLegendName);
    line(RampLine(t.ramp));
  }
  line(FormatC("%d", static_cast<int>(lists.predefinedLegends.size())));
  for (const auto& l : lists.predefinedLegends) {
    line(l->name);
    line(FormatC("%d %d %f %f %d %d %d", l->IsUniqueValues() ? 1 : 0, l->GetUnits(), l->GetMinValue(),
                 l->GetMaxValue(), l->GetCount(), l->GetDecimals(), l->layerType));
    for (int i = 0; i < l->GetCount(); ++i)
      line(FormatC("%f ", static_cast<double>(l->GetEntry(i).GetValue())) + Color(l->GetEntry(i).GetColor()));
  }
  for (const auto& w : p.windVectorPrefs) {
    line(FormatC("%d %d %d %d %d %d %d %d %d %d %d ", w.kind, w.decimals, w.lineWidth, w.outputSpeed, w.fontSize,
                 w.skip, w.autoDensity, w.targetSize, w.numClasses, w.usePredefinedLegend, w.units) +
         w.predefinedLegendName);
    line(RampLine(w.ramp));
  }
  line(FormatC("%d", static_cast<int>(lists.predefinedWVLegends.size())));
  for (const auto& l : lists.predefinedWVLegends) {
    const auto& g = l->legend;
    line(l->name);
    line(FormatC("%f %f %d %d %d %d %d %d %d %d %d %d", g.GetMinValue(), g.GetMaxValue(), g.showValues, g.fontSize,
                 g.skip, g.lineWidth, g.autoDensity, g.targetSize, g.decimals, l->kind, g.GetCount(), g.units));
    for (int i = 0; i < g.GetCount(); ++i) {
      const auto& e = g.GetEntry(i);
      line(FormatC("%f ", static_cast<double>(e.GetValue())) + Color(e.GetColor()) +
           FormatC(" %d", e.GetRelativeLength()));
    }
  }
  line(p.workingFolder);
  line(FormatC("%d", p.keepGridCellsInMemory));
  line(Color(p.backgroundColor));
  line(FormatC("%d", p.useBackgroundImage));
  line(p.backgroundImagePath);
  line(Color(p.wxRecordColors[0]) + " " + Color(p.wxRecordColors[1]) + " " + Color(p.wxRecordColors[2]));
  std::string series;
  for (std::size_t i = 0; i < 5; ++i) series += (i ? " " : "") + Color(p.wxSeriesColors[i]);
  line(series);
  line(FormatC("%d %d %d %d", p.wxSeriesWidths[0], p.wxSeriesWidths[1], p.wxSeriesWidths[2], p.wxSeriesWidths[3]));
  line(FormatC("%d %d %d %d %d", p.wxSeriesStyles[0], p.wxSeriesStyles[1], p.wxSeriesStyles[2], p.wxSeriesStyles[3],
               p.wxPrecipHatch));
  std::string hcolors;
  for (std::size_t i = 0; i < 5; ++i) hcolors += (i ? " " : "") + Color(p.wxHLineColors[i]);
  line(hcolors);
  line(FormatC("%d %d %d %d %d", p.wxHLineStyles[0], p.wxHLineStyles[1], p.wxHLineStyles[2], p.wxHLineStyles[3],
               p.wxHLineStyles[4]));
  line(FormatC("%d ", p.wxVLineFrequency) + Color(p.wxVLineColor) + FormatC(" %d", p.wxVLineWidth));
  return out;
}

bool ParsePreferences(const std::string& text, StoredPreferences& prefsOut, PreferenceLists& listsOut,
                      std::string& error) {
  // Read into copies so that a damaged file changes nothing.
  StoredPreferences p = prefsOut;
  PreferenceLists lists;
  Lines in(text);
  auto first = in.Next();
  if (!first) first = std::string();

  int version = 0;
  for (int v = 1; v <= 7; ++v)
    if (first->compare(0, 33, kHeaders[v]) == 0 && first->size() >= 33) version = v;
  std::optional<std::string> windowLine = version ? in.Next() : first;

  // Window line.
  int rampCount = 0;
  if (windowLine) {
    Scan s(*windowLine);
    s.Int(rampCount).Int(p.placement.showCmd).Int(p.placement.left).Int(p.placement.top).Int(p.placement.right)
        .Int(p.placement.bottom);
    if (s.count() < 6) {
      p.placement.showCmd = 1;
      p.placement.left = p.placement.top = p.placement.right = p.placement.bottom = -1;
      if (s.count() < 1) rampCount = 0;
    }
  }
  for (int i = 0; i < rampCount; ++i) {
    auto line = in.Next();
    if (!line) break;
    auto ramp = std::make_unique<CColorRamp>();
    if (!ParseRamp(*line, *ramp, error)) return false;
    lists.colorRamps.push_back(std::move(ramp));
  }

  // Vector preferences.
  if (auto line = in.Next()) {
    auto& v = p.vectorPrefs;
    Scan(*line).Color(v.lineColor).Int(v.lineStyle).Int(v.lineWidth).Color(v.pointColor).Int(v.pointShape)
        .Int(v.pointWidth).Color(v.polygonColor).Int(v.polygonStyle).Int(v.polygonWidth);
  }

  // Theme preferences; versions 0-3 know no layer types 28-30.
  const bool oldNumbering = version <= 3;
  for (int j = 0; j < kPairsByVersion[version]; ++j) {
    auto line = in.Next();
    if (!line) break;
    const int type = oldNumbering && j >= 28 ? j + 3 : j;
    CThemePreference& t = p.themePrefs[static_cast<std::size_t>(type)];
    int readType = type;
    Scan s(*line);
    s.Int(readType).Color(t.contourColor).Int(t.decimals).Int(t.contourStyle).Int(t.contourWidth)
        .Color(t.noDataColor).Int(t.numClasses).Int(t.units).Int(t.usePredefinedLegend);
    // The slot says which layer type this is, whatever number the line carries.
    t.layerType = type;
    TakeLegendName(*line, 9, s.count(), t.usePredefinedLegend, t.predefinedLegendName);
    auto rampLine = in.Next();
    if (!rampLine) break;
    if (!ParseRamp(*rampLine, t.ramp, error)) return false;
  }
  if (oldNumbering) {
    for (int type = 28; type <= 30; ++type) p.themePrefs[static_cast<std::size_t>(type)].SetStandardDefaults(type, 10, 2);
  }

  // Predefined theme legends.
  long long legendCount = 0;
  if (auto line = in.Next()) Scan(*line).Int(legendCount);
  for (long long i = 0; i < legendCount; ++i) {
    auto name = in.Next();
    if (!name) break;
    auto legend = std::make_unique<CPredefinedThemeLegend>();
    legend->RemoveAllEntries();
    legend->name = *name;
    StripLineEnd(legend->name);
    int unique = 0, units = 0, entries = 0, decimals = 0, type = legend->layerType;
    double minimum = 0, maximum = 0;
    if (auto params = in.Next())
      Scan(*params).Int(unique).Int(units).Real(minimum).Real(maximum).Int(entries).Int(decimals).Int(type);
    if (oldNumbering && type >= 28) type += 3;
    if (type < 0 || type >= kLayerTypeCount) {
      error = "a legend of layer type " + std::to_string(type);
      return false;
    }
    if (!EntryCountOk(entries, error)) return false;
    legend->layerType = type;
    legend->SetUniqueValues(unique != 0);
    legend->SetUnits(type == 4 ? 0 : units);
    legend->SetMinValue(minimum);
    legend->SetMaxValue(maximum);
    legend->SetDecimals(decimals);
    for (int e = 0; e < entries; ++e) {
      auto entry = in.Next();
      if (!entry) break;
      float value = 0;
      COLORREF color = 0;
      Scan(*entry).Real(value).Color(color);
      legend->AddEntry(CLegendEntry(value, color));
    }
    lists.predefinedLegends.push_back(std::move(legend));
  }

  if (version >= 3) {
    const int numbers = version >= 7 ? 11 : 10;
    for (int k = 0; k < 3; ++k) {
      auto line = in.Next();
      if (!line) break;
      CWindVectorPreferences& w = p.windVectorPrefs[static_cast<std::size_t>(k)];
      int kind = k;
      Scan s(*line);
      s.Int(kind).Int(w.decimals).Int(w.lineWidth).Int(w.outputSpeed).Int(w.fontSize).Int(w.skip)
          .Int(w.autoDensity).Int(w.targetSize).Int(w.numClasses).Int(w.usePredefinedLegend);
      if (numbers == 11) s.Int(w.units);
      w.kind = k;
      TakeLegendName(*line, numbers, s.count(), w.usePredefinedLegend, w.predefinedLegendName);
      auto rampLine = in.Next();
      if (!rampLine) break;
      if (!ParseRamp(*rampLine, w.ramp, error)) return false;
    }
    long long wvCount = 0;
    if (auto line = in.Next()) Scan(*line).Int(wvCount);
    for (long long i = 0; i < wvCount; ++i) {
      auto name = in.Next();
      if (!name) break;
      auto legend = std::make_unique<CPredefinedWVThemeLegend>();
      CWVLegendData& g = legend->legend;
      g.RemoveAllEntries();
      legend->name = *name;
      StripLineEnd(legend->name);
      double minimum = 0, maximum = 0;
      int kind = 0, entries = 0;
      if (auto params = in.Next())
        Scan(*params).Real(minimum).Real(maximum).Int(g.showValues).Int(g.fontSize).Int(g.skip).Int(g.lineWidth)
            .Int(g.autoDensity).Int(g.targetSize).Int(g.decimals).Int(kind).Int(entries).Int(g.units);
      if (kind < 0 || kind > 2) {
        error = "a wind-vector legend of kind " + std::to_string(kind);
        return false;
      }
      if (!EntryCountOk(entries, error)) return false;
      g.SetMinValue(minimum);
      g.SetMaxValue(maximum);
      legend->kind = kind;
      for (int e = 0; e < entries; ++e) {
        auto entry = in.Next();
        if (!entry) break;
        float value = 0;
        COLORREF color = 0;
        int length = 0;
        Scan(*entry).Real(value).Color(color).Int(length);
        g.AddEntry(CWVLegendEntry(value, color, length));
      }
      lists.predefinedWVLegends.push_back(std::move(legend));
    }
  }

  // Single values, each only while the file lasts.
  if (auto line = in.Next()) {
    StripLineEnd(*line);
    if (!line->empty() && platform::IsDirectory(*line)) p.workingFolder = *line;
  }
  if (auto line = in.Next()) {
    int v = p.keepGridCellsInMemory;
    Scan(*line).Int(v);
    p.keepGridCellsInMemory = v != 0 ? 1 : 0;
  }
  if (auto line = in.Next()) Scan(*line).Color(p.backgroundColor);
  if (auto line = in.Next()) {
    int v = p.useBackgroundImage;
    Scan(*line).Int(v);
    p.useBackgroundImage = v != 0 ? 1 : 0;
  }
  if (auto line = in.Next()) {
    StripLineEnd(*line);
    p.backgroundImagePath = *line;
  }

  if (version >= 6) {
    if (auto l = in.Next()) Scan(*l).Color(p.wxRecordColors[0]).Color(p.wxRecordColors[1]).Color(p.wxRecordColors[2]);
    if (auto l = in.Next()) {
      Scan s(*l);
      for (auto& c : p.wxSeriesColors) s.Color(c);
    }
    if (auto l = in.Next()) {
      Scan s(*l);
      for (auto& w : p.wxSeriesWidths) s.Int(w);
    }
    if (auto l = in.Next()) {
      Scan s(*l);
      for (auto& st : p.wxSeriesStyles) s.Int(st);
      s.Int(p.wxPrecipHatch);
    }
    if (auto l = in.Next()) {
      Scan s(*l);
      for (auto& c : p.wxHLineColors) s.Color(c);
    }
    if (auto l = in.Next()) {
      Scan s(*l);
      for (auto& st : p.wxHLineStyles) s.Int(st);
    }
    if (auto l = in.Next()) Scan(*l).Int(p.wxVLineFrequency).Color(p.wxVLineColor).Int(p.wxVLineWidth);
  }

  prefsOut = std::move(p);
  for (auto& r : lists.colorRamps) listsOut.colorRamps.push_back(std::move(r));
  for (auto& l : lists.predefinedLegends) listsOut.predefinedLegends.push_back(std::move(l));
  for (auto& l : lists.predefinedWVLegends) listsOut.predefinedWVLegends.push_back(std::move(l));
  return true;
}
