#pragma once
// The fire-growth engine's reading of its inputs file ("Embrith-Inputs-File-Version-1"): its
// own keys and burn periods, checked and put in time order; the keys it shares with the
// fire-behaviour engine (fuel moistures, weather, crown fire, area) are read by that engine's
// parser. Also the least reader of atmosphere (ATM) files the engine needs: dated pairs of
// wind-speed and wind-direction grid files.
#include <string>
#include <string_view>
#include <vector>

namespace engines {

// Minutes in a 365-day year before the start of a month (1-12); 0 for any other month.
int DaysBeforeMonth(int month);
// Calendar minutes of (month, day, hhmm) after the reference (month, minutes of year), an entry
// in an earlier month than the reference falling in the next year.
double CalendarMinutes(int month, int day, int hhmm, int refMonth, double refMinutes);

struct EmbrithBurnPeriod {
  int month = 0, day = 0, start = 0, end = 0;  // start and end hhmm as written (end 1759 ends at 18:00)
  double from = 0, to = 0;                     // minutes after the first period's start
};

struct EmbrithInputs {
  double timeStep = 0, distanceRes = 0, perimeterRes = 0, spotGridRes = 0;
  double spotProbability = 0, minSpotDistance = 0;
  int spotDelay = 0;
  bool acceleration = false, fillBarriers = false;
  std::vector<EmbrithBurnPeriod> periods;  // sorted; from/to relative to the first start
  double endMinutes = 0;                   // the latest end
  int refMonth = 1;
  double refMinutes = 0;                   // minutes of year of the first start
  std::string ignitionFile, barrierFile, atmFile;
  bool generateWinds = false;
  int windResolution = 0, directionBin = 0, speedBin = 0;
};

// Parses and checks the fire-growth keys. Returns 1, or 0 with the key and the reason in detail.
int ParseEmbrithInputs(std::string_view text, EmbrithInputs& out, std::string& detail);

struct AtmEntryFiles {
  int month = 0, day = 0, hhmm = 0;
  std::string speedFile, directionFile;  // resolved against the ATM file's folder
  double minutes = 0;                    // after the first burn period's start
};

struct AtmWinds {
  bool metric = false;
  std::vector<AtmEntryFiles> entries;  // in time order
  // The entry in force at the given minutes: the last not later, else the first; null when empty.
  const AtmEntryFiles* At(double minutes) const;
};

// Takes the two grid names after the first three blank-separated fields of an entry line:
// quoted names may hold blanks; 2 when taken, 0 when the quotes do not pair.
int AtmParseGridNames(std::string_view line, std::string& speed, std::string& direction);

// Reads ATM text (folder: where relative grid names resolve); entries get their minutes from
// the reference of the first burn period. Returns 1, or 0 with the line and reason in detail.
int ParseAtmText(std::string_view text, const std::string& folder, int refMonth, double refMinutes, AtmWinds& out,
                 std::string& detail);

}  // namespace engines
