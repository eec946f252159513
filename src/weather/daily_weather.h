#pragma once
// Daily weather (WTR) and timed wind (WND) files turned into an hourly weather stream.
#include <string>
#include <vector>

#include "platform/date_time.h"

// One accepted line of a WTR file.
struct WtrDay {
  int year = 0;
  platform::OleDateTime timeOfMax;  // the line's date at the hhmm of field 5
  platform::OleDateTime timeOfMin;  // the line's date at the hhmm of field 4
  int month = 0, day = 0;
  double precipitation = 0.0;  // field 3 x 0.01
  int minTemperature = 0, maxTemperature = 0;
  int timeOfMinHhmm = 0, timeOfMaxHhmm = 0;
  int maxHumidity = 0, minHumidity = 0;
  int elevation = 0;
  int precipStart = 0, precipEnd = 0;  // hhmm; both 0 on a 10-field line
};

// One accepted record of a WND file.
struct WndEntry {
  int year = 0, month = 0, day = 0, time = 0;  // time as hhmm
  int cloudCover = 0, windSpeed = 0, windDirection = 0;
  platform::OleDateTime when;  // its date and time (invalid for an impossible date)
};

// The hourly rules. Each reads the lists and changes nothing in them.
bool HourlyTempRH(const std::vector<WtrDay>& days, const platform::OleDateTime& hour,
                  int* temperature, int* humidity);
bool HourlyPrecip(const std::vector<WtrDay>& days, const platform::OleDateTime& hour,
                  double* amount);
bool HourlyWindCloud(const std::vector<WndEntry>& winds, const platform::OleDateTime& hour,
                     int* speed, int* direction, int* cloud);

// Reading of the two files' text. False when a line or record is rejected; `baseYear` is the
// year of the first line, later lines stepping on at each December-to-January change.
bool ReadWtrDays(const std::string& text, int baseYear, std::vector<WtrDay>& days,
                 bool& metric);
bool ReadWndEntries(const std::string& text, int baseYear, bool defaultMetric,
                    std::vector<WndEntry>& winds, bool& metric);
// The year given to the first line of a daily file: 2012 minus the year offset of its first
// 29 February so that day exists, else 2011. Never today's year, so results are repeatable.
int DailyBaseYear(const std::string& wtrText, const std::string& wndText);

// Conditioning dates that the conversion re-dates to the stream's years (may be null).
struct ConditioningDates {
  platform::OleDateTime* start = nullptr;
  platform::OleDateTime* end = nullptr;
};

// Converts a WTR and WND pair into a WXS file. Returns the number of hourly records written;
// 0 when a file cannot be opened, a line is rejected or no hour could be built. The WXS file is
// replaced only on success.
int ConvertWtrWndToWxs(std::string wtrPath, std::string wndPath, std::string wxsPath,
                       ConditioningDates conditioning = {});
