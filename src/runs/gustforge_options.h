#pragma once
// The model side of the gridded-wind options dialog: wind-cell counts, the weather at the end
// of the conditioning period, the longitude of the area's centre and the time-zone list.
#include <cstdint>
#include <string>

#include "platform/date_time.h"

class CRunInputs;

namespace runs {

struct WindGridCounts {
  int rows = 0, columns = 0;
  std::int64_t cells = 0;
};

// Rows and columns of wind cells over an extent, each raised to the next whole number when a
// fraction remains; all 0 for a resolution of 0 or below.
WindGridCounts GustforgeGridCounts(double north, double east, double south, double west, int resolution);

// Air temperature (F) of a daily weather file at a moment: the half-sine between the day's
// extremes; 0 when the file cannot be opened, 60 when the day is missing. A metric file's
// Celsius are turned into Fahrenheit.
int WtrAirTemperatureAt(const std::string& wtrPath, const platform::OleDateTime& when);
// Cloud cover (%) of the last wind-file record at or before a moment; 1 when the file cannot
// be opened.
int WndCloudCoverAt(const std::string& wndPath, const platform::OleDateTime& when);

// "Use Conditoning Period End": false when the run's conditioning end or its weather files are
// not set. Otherwise `when` becomes the conditioning end and the temperature and cloud cover
// those of the weather at it (kept when the weather has none).
bool GustforgeConditioningEnd(const CRunInputs& in, platform::OleDateTime& when, int& airTempF, int& cloudPercent);

// The longitude of a point in the landscape's coordinate system (WKT or ESRI text); false when
// the text cannot be read or transformed.
bool LongitudeOf(const std::string& projection, double x, double y, double& longitude);

// The 25 time-zone entries and the hours a chosen entry's text starts with (0 without a number).
extern const char* const kTimeZoneNames[25];
int TimeZoneOfText(const std::string& text);

}  // namespace runs
