#include "weather/atm_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "engines/embrith_inputs.h"
#include "platform/atomic_file.h"
#include "platform/date_time.h"
#include "platform/numbers.h"
#include "themes/theme.h"
#include "weather/scan.h"

namespace weather {

namespace {

constexpr int kGenericGrid = 10;
// ATM files are a few lines per time step; anything far larger is not one.
constexpr std::uintmax_t kMaxAtmFileBytes = 64u << 20;

bool ReadableFile(const std::string& path) {
  std::error_code ec;
  // A folder or a device is no grid file, whatever access says about it.
  return !path.empty() && std::filesystem::is_regular_file(path, ec) && ::access(path.c_str(), R_OK) == 0;
}

int ReferenceMinutes(const AtmRunContext& run, int& refMonth) {
  if (!run.hasBurnPeriod) {
    refMonth = 1;
    return 0;
  }
  refMonth = run.firstMonth;
  return (engines::DaysBeforeMonth(run.firstMonth) + run.firstDay) * 1440 + run.firstStartHour * 60;
}

std::string_view StripCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

int IntOfText(const std::string& text) {
  std::size_t pos = 0;
  int v = 0;
  return ReadIntAt(text, pos, v) ? v : 0;
}

}  // namespace

int32_t AtmEntryMinutes(const AtmRunContext& run, int month, int day, int hhmm) {
  int refMonth = 1;
  const int ref = ReferenceMinutes(run, refMonth);
  return static_cast<int32_t>(engines::CalendarMinutes(month, day, hhmm, refMonth, ref));
}

std::string AtmFolderOf(const std::string& path) {
  const std::size_t at = path.find_last_of("/\\");
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

std::string AtmResolveGridName(const std::string& folder, const std::string& name) {
  std::string n = name;
  std::replace(n.begin(), n.end(), '\\', '/');
  if (n.empty() || n[0] == '/' || folder.empty()) return n;
  std::string f = folder;
  std::replace(f.begin(), f.end(), '\\', '/');
  return f + "/" + n;
}

// ---- entries -----------------------------------------------------------------------------

AtmEntry::AtmEntry() = default;
AtmEntry::~AtmEntry() = default;

void AtmEntry::Free() {
  speed_.reset();
  direction_.reset();
}

std::string AtmEntry::GetSpeedFileName() const { return speed_ ? speedName_ : std::string(); }
std::string AtmEntry::GetDirectionFileName() const { return direction_ ? directionName_ : std::string(); }

int AtmEntry::Load(const AtmRunContext& run, int month, int day, int hhmm, std::string speedFile,
                   std::string directionFile, const std::string& folder) {
  Free();
  month_ = static_cast<int16_t>(month);
  day_ = static_cast<int16_t>(day);
  time_ = static_cast<int16_t>(hhmm);
  std::erase(speedFile, '"');
  std::erase(directionFile, '"');
  speedName_ = speedFile;
  directionName_ = directionFile;
  auto fail = [&](int code) {
    Free();
    return code;
  };
  const std::string speedPath = AtmResolveGridName(folder, speedFile);
  if (!ReadableFile(speedPath)) return fail(kAtmSpeedGrid);
  speed_ = std::make_unique<CTheme>();
  if (speed_->LoadGridFile(kGenericGrid, speedPath) != 1) return fail(kAtmSpeedGrid);
  const std::string directionPath = AtmResolveGridName(folder, directionFile);
  if (!ReadableFile(directionPath)) return fail(kAtmDirectionGrid);
  direction_ = std::make_unique<CTheme>();
  if (direction_->LoadGridFile(kGenericGrid, directionPath) != 1) return fail(kAtmDirectionGrid);

  const CTheme& s = *speed_;
  const CTheme& d = *direction_;
  if (s.cellWidth != d.cellWidth || s.west != d.west || s.south != d.south || s.columns != d.columns ||
      s.rows != d.rows)
    return fail(kAtmMismatch);
  const double tol = run.distanceResolution / 3.0;
  if (s.west > run.west + tol || s.east < run.east - tol || s.south > run.south + tol || s.north < run.north - tol)
    return fail(kAtmCoverage);

  std::vector<float> sr(static_cast<std::size_t>(std::max(s.columns, 0)));
  std::vector<float> dr(sr.size());
  for (int r = 0; r < s.rows; ++r) {
    s.ReadRow(r, sr.data());
    d.ReadRow(r, dr.data());
    for (std::size_t c = 0; c < sr.size(); ++c) {
      // NaN counts as below 0: it is no wind.
      if (!(sr[c] >= 0)) return fail(kAtmSpeedNoData);
      if (!(dr[c] >= 0)) return fail(kAtmDirectionNoData);
      if (sr[c] > 300) return fail(kAtmSpeedInvalid);
      if (dr[c] > 360) return fail(kAtmDirectionInvalid);
    }
  }
  return kAtmOk;
}

// ---- the file ----------------------------------------------------------------------------

CAtmFile::CAtmFile() = default;
CAtmFile::~CAtmFile() { Clear(); }

void CAtmFile::Clear() {
  while (!entries_.empty()) entries_.pop_back();
  entries_.shrink_to_fit();
}

int CAtmFile::Read(const AtmRunContext& run, const std::string& path) {
  errorLine_ = 0;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  std::string text;
  if (ec || size > kMaxAtmFileBytes || !platform::ReadWholeFile(path, text)) return kAtmOpen;
  return ReadText(run, text, AtmFolderOf(path));
}

int CAtmFile::ReadText(const AtmRunContext& run, std::string_view text, const std::string& folder) {
  errorLine_ = 0;
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(StripCr(text.substr(at, end - at)));
    if (lines.back().size() > kAtmMaxLine) {
      errorLine_ = static_cast<int>(lines.size());
      return kAtmLineTooLong;
    }
    at = end + 1;
  }
  for (std::string_view line : lines) {
    std::size_t after = 0;
    const std::string w = FirstWord(line, after);
    if (w == "METRIC" || w == "ENGLISH") {
      units_ = w == "METRIC" ? 1 : 0;
      break;
    }
  }
  std::vector<ScanValue> f;
  for (std::size_t li = 0; li < lines.size(); ++li) {
    if (ScanFields(lines[li], "dddss", f) != 5) continue;
    std::string speed, direction;
    engines::AtmParseGridNames(lines[li], speed, direction);
    auto entry = std::make_unique<AtmEntry>();
    const int code = entry->Load(run, ScanInt(f[0]), ScanInt(f[1]), ScanInt(f[2]), speed, direction, folder);
    if (code != kAtmOk) {
      errorLine_ = static_cast<int>(li + 1);
      return code;
    }
    entries_.push_back(std::move(entry));
  }
  UpdateTimes(run);
  return kAtmOk;
}

std::string CAtmFile::GetErrorText(int code) const {
  switch (code) {
    case kAtmOk: return "ATM OK";
    case kAtmSpeedGrid: return "Error creating Wind Speed grid";
    case kAtmDirectionGrid: return "Error creating Wind Direction grid";
    case kAtmMismatch: return "Speed and Direction grid dimension mismatch";
    case kAtmCoverage: return "Grids do not cover Analysis Area";
    case kAtmSpeedNoData: return "Wind Speed Grid contains NODATA value(s)";
    case kAtmDirectionNoData: return "Wind Direction Grid contains NODATA value(s)";
    case kAtmSpeedInvalid: return "Wind Speed Grid contains invalid value(s)";
    case kAtmDirectionInvalid: return "Wind Direction Grid contains invalid value(s)";
    case kAtmOpen: return "Error opening ATM file";
    case kAtmBlankMonth: return "Month can not be blank";
    case kAtmBlankDay: return "Day can not be blank";
    case kAtmBlankTime: return "Time (hhmm) can not be blank";
    case kAtmNoSpeedFile: return "No Wind Speed file selected";
    case kAtmNoDirectionFile: return "No Wind Direction file selected";
    case kAtmLineTooLong:
      return platform::FormatC("Line %d is longer than %d characters", errorLine_, static_cast<int>(kAtmMaxLine));
    default: return "Unknown Error";
  }
}

void CAtmFile::AddEntry(std::unique_ptr<AtmEntry> entry) {
  if (entry) entries_.push_back(std::move(entry));
}

std::vector<AtmEntry*> CAtmFile::GetEntries() const {
  std::vector<AtmEntry*> out;
  out.reserve(entries_.size());
  for (const auto& e : entries_) out.push_back(e.get());
  return out;
}

void CAtmFile::UpdateTimes(const AtmRunContext& run) {
  for (auto& e : entries_) e->minutes = AtmEntryMinutes(run, e->GetMonth(), e->GetDay(), e->GetTime());
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const auto& a, const auto& b) { return a->minutes < b->minutes; });
}

bool CAtmFile::HasGridAtStart() const { return !entries_.empty() && entries_.front()->minutes <= 0; }

void CAtmFile::GetWindAt(double minutes, double x, double y, double* speed, double* direction) const {
  *speed = 0;
  *direction = 0;
  if (entries_.empty()) return;
  const AtmEntry* pick = entries_.front().get();
  for (const auto& e : entries_)
    if (e->minutes <= minutes) pick = e.get();
  if (pick->Speed()) *speed = pick->Speed()->GetValueAt(x, y);
  if (pick->Direction()) *direction = pick->Direction()->GetValueAt(x, y);
}

// ---- writing and the editor's rows -------------------------------------------------------

std::string AtmFileText(int units, const std::vector<AtmRow>& rows) {
  std::string t = "WINDS\n";
  t += units == 1 ? "METRIC\n" : "ENGLISH\n";
  for (const AtmRow& r : rows)
    t += r.month + " " + r.day + " " + r.time + " \"" + r.speed + "\" \"" + r.direction + "\"\n";
  return t;
}

bool WriteAtmFile(const std::string& path, int units, const std::vector<AtmRow>& rows) {
  return platform::WriteFileAtomically(path, AtmFileText(units, rows));
}

int CheckAtmRows(const std::vector<AtmRow>& rows, int units, const std::string& folder,
                 const AtmRunContext& run, CAtmFile& out, int& badRow) {
  out.Clear();
  out.SetUnits(units);
  badRow = -1;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const AtmRow& r = rows[i];
    int code = kAtmOk;
    if (r.month.empty()) code = kAtmBlankMonth;
    else if (r.day.empty()) code = kAtmBlankDay;
    else if (r.time.empty()) code = kAtmBlankTime;
    else if (r.speed.empty()) code = kAtmNoSpeedFile;
    else if (r.direction.empty()) code = kAtmNoDirectionFile;
    if (code == kAtmOk) {
      auto e = std::make_unique<AtmEntry>();
      code = e->Load(run, IntOfText(r.month), IntOfText(r.day), IntOfText(r.time), r.speed, r.direction, folder);
      if (code == kAtmOk) out.AddEntry(std::move(e));
    }
    if (code != kAtmOk) {
      badRow = static_cast<int>(i);
      return code;
    }
  }
  out.UpdateTimes(run);
  return kAtmOk;
}

std::string AtmCheckVerdict(const std::vector<AtmRow>& rows, int units, const std::string& folder,
                            const AtmRunContext& run) {
  CAtmFile file;
  int bad = -1;
  const int code = CheckAtmRows(rows, units, folder, run, file, bad);
  if (code != kAtmOk) return platform::FormatC("Error, row %d, %s", bad + 1, file.GetErrorText(code).c_str());
  if (file.HasGridAtStart()) return "File appears to be a valid ATM file";
  std::string t = "No active wind grids at Simulation Start.";
  if (!run.hasBurnPeriod) t += "Please set burn periods.";
  return t;
}

AtmRow AtmRowAt(int month, int day, int hour, int minute) {
  AtmRow r;
  r.month = std::to_string(month);
  r.day = std::to_string(day);
  r.time = platform::FormatC("%04d", hour * 100 + minute);
  return r;
}

namespace {

// The row's moment in `year`, shifted by `hours`; false when it is no date.
bool ShiftedRow(int month, int day, int hhmm, int year, double hours, AtmRow& out) {
  platform::OleDateTime t(year, month, day, hhmm / 100, hhmm % 100, 0);
  if (!t.IsValid()) return false;
  t = t.AddHours(hours);
  out = AtmRowAt(t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute());
  return true;
}

}  // namespace

bool AtmRowAfter(const AtmRow& last, AtmRow& out) {
  out = AtmRow{};
  return ShiftedRow(IntOfText(last.month), IntOfText(last.day), IntOfText(last.time), 2016, 1.0, out);
}

bool AtmRowBefore(const AtmRow& current, AtmRow& out) {
  out = AtmRow{};
  const int m = current.month.empty() ? 2 : IntOfText(current.month);
  const int d = current.day.empty() ? 11 : IntOfText(current.day);
  const int t = current.time.empty() ? 1000 : IntOfText(current.time);
  return ShiftedRow(m, d, t, 2018, -1.0, out);
}

AtmRow AtmFirstRow(const AtmRunContext* run, int condMonth, int condDay, int condHour, int condMinute) {
  if (run && run->hasBurnPeriod) return AtmRowAt(run->firstMonth, run->firstDay, run->firstStartHour, 0);
  if (run && condMonth >= 1) return AtmRowAt(condMonth, condDay, condHour, condMinute);
  return AtmRowAt(2, 11, 22, 0);
}

}  // namespace weather
