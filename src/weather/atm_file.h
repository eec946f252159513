#pragma once
// Atmosphere (ATM) files: dated pairs of wind-speed and wind-direction grids for a fire-growth
// run, each in force from its moment until the next entry. Read, checked against the run,
// sampled at a time and place, and written as the atmosphere editor writes them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CTheme;

namespace weather {

// What of the run an atmosphere file is checked and timed against.
struct AtmRunContext {
  // The run's first burn period; without one the times count from 1 January 00:00.
  bool hasBurnPeriod = false;
  int firstMonth = 1, firstDay = 0, firstStartHour = 0;
  int lastMonth = 1, lastDay = 0, lastEndHour = 0;  // the last burn period, for showing
  // The analysis area's edges (all 0 without an area) and the fire-growth distance resolution,
  // a third of which is the tolerance of the coverage check.
  double west = 0, east = 0, south = 0, north = 0;
  double distanceResolution = 0;
};

// Error codes of reading and checking, with their texts (CAtmFile::GetErrorText).
enum AtmError : int {
  kAtmOk = 0,
  kAtmSpeedGrid = 1,
  kAtmDirectionGrid = 2,
  kAtmMismatch = 3,
  kAtmCoverage = 4,
  kAtmSpeedNoData = 5,
  kAtmDirectionNoData = 6,
  kAtmSpeedInvalid = 7,
  kAtmDirectionInvalid = 8,
  kAtmOpen = 9,
  kAtmBlankMonth = 10,
  kAtmBlankDay = 11,
  kAtmBlankTime = 12,
  kAtmNoSpeedFile = 13,
  kAtmNoDirectionFile = 14,
  kAtmLineTooLong = 15,
};

// Lines longer than this are refused (kAtmLineTooLong), naming the line.
constexpr std::size_t kAtmMaxLine = 638;

// Minutes of (month, day, hhmm) after the start of the run's first burn period; an entry in a
// month before that period's month falls in the following year.
int32_t AtmEntryMinutes(const AtmRunContext& run, int month, int day, int hhmm);

// The folder part of a path written with either separator ("" when it has none).
std::string AtmFolderOf(const std::string& path);
// A grid name as written in an ATM file, resolved against the file's folder.
std::string AtmResolveGridName(const std::string& folder, const std::string& name);

class AtmEntry {
 public:
  AtmEntry();
  ~AtmEntry();
  AtmEntry(const AtmEntry&) = delete;
  AtmEntry& operator=(const AtmEntry&) = delete;

  // Stores the moment and loads and checks both grids (names relative to `folder`); 0 or a
  // code 1..8. On failure the entry holds no grid.
  int Load(const AtmRunContext& run, int month, int day, int hhmm, std::string speedFile,
           std::string directionFile, const std::string& folder);

  int16_t GetMonth() const { return month_; }
  int16_t GetDay() const { return day_; }
  int16_t GetTime() const { return time_; }
  // The names as given to Load (quotes removed); empty while the grid is not loaded.
  std::string GetSpeedFileName() const;
  std::string GetDirectionFileName() const;
  const CTheme* Speed() const { return speed_.get(); }
  const CTheme* Direction() const { return direction_.get(); }

  int32_t minutes = -1;  // after the start of the run's first burn period

 private:
  void Free();
  std::unique_ptr<CTheme> speed_, direction_;
  std::string speedName_, directionName_;
  int16_t month_ = -1, day_ = -1, time_ = -1;
};

class CAtmFile {
 public:
  CAtmFile();
  ~CAtmFile();
  CAtmFile(const CAtmFile&) = delete;
  CAtmFile& operator=(const CAtmFile&) = delete;

  void Clear();
  // Appends the checked entries of an ATM file; 0 or an error code. Entries read before a
  // failing one stay. Grid names resolve against the file's own folder.
  int Read(const AtmRunContext& run, const std::string& path);
  // The same over text already read (folder: where relative grid names resolve).
  int ReadText(const AtmRunContext& run, std::string_view text, const std::string& folder);

  // The text of a code; a refused long line names the line.
  std::string GetErrorText(int code) const;
  int GetUnits() const { return units_; }
  void SetUnits(int units) { units_ = units; }
  void AddEntry(std::unique_ptr<AtmEntry> entry);
  std::vector<AtmEntry*> GetEntries() const;
  // Recomputes every entry's minutes against the run and sorts the entries by them.
  void UpdateTimes(const AtmRunContext& run);
  // A grid is in force when the simulation starts.
  bool HasGridAtStart() const;
  // Samples the entry in force at `minutes` (the first entry when all are later) at the map
  // point; -9999 outside a grid. Both outputs are 0 when the file holds no entry.
  void GetWindAt(double minutes, double x, double y, double* speed, double* direction) const;

 private:
  std::vector<std::unique_ptr<AtmEntry>> entries_;
  int units_ = 0;
  int errorLine_ = 0;  // 1-based line of the last refusal
};

// One row of the atmosphere editor: the texts as typed.
struct AtmRow {
  std::string month, day, time, speed, direction;
};

// The file as the atmosphere editor writes it: "WINDS", the units word, then one line per row.
std::string AtmFileText(int units, const std::vector<AtmRow>& rows);
// Writes AtmFileText atomically; false (the previous file kept) when it cannot be written.
bool WriteAtmFile(const std::string& path, int units, const std::vector<AtmRow>& rows);

// The editor's check of its rows: blank fields (codes 10..14), then each row's grids loaded
// and checked. 0 with `out` holding the entries in time order, or the code with the 0-based
// row in badRow.
int CheckAtmRows(const std::vector<AtmRow>& rows, int units, const std::string& folder,
                 const AtmRunContext& run, CAtmFile& out, int& badRow);
// The verdict the editor shows for its rows: "File appears to be a valid ATM file" or why not.
std::string AtmCheckVerdict(const std::vector<AtmRow>& rows, int units, const std::string& folder,
                            const AtmRunContext& run);

// The moment of a new row. After `last`: one hour later, taken in 2016 (false when the last
// row is no date). Before `current`: one hour earlier, taken in 2018 (empty fields count as
// 2, 11 and 1000). The first row of an empty grid: the first burn period's start, else
// `conditioning` when valid (month, day, hour, minute; month -1 when not), else 11 February 22:00.
bool AtmRowAfter(const AtmRow& last, AtmRow& out);
bool AtmRowBefore(const AtmRow& current, AtmRow& out);
AtmRow AtmFirstRow(const AtmRunContext* run, int condMonth, int condDay, int condHour, int condMinute);
// Month, day and the time as four digits, names empty.
AtmRow AtmRowAt(int month, int day, int hour, int minute);

}  // namespace weather
