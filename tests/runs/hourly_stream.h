#pragma once
// The hourly weather the run tests condition fuels from.
#include <string>

#include "platform/date_time.h"
#include "runs/run.h"
#include "weather/temp_dir.h"

// Twelve hourly observations of 7 Aug 2011, 06:00 to 17:00, as a weather stream file holds them.
inline std::string HourlyStream() {
  std::string s = "RAWS_ELEVATION: 2100\nRAWS_UNITS: English\nRAWS: 12\n";
  for (int h = 6; h < 18; ++h)
    s += "2011 8 7 " + std::to_string(h * 100) + " " + std::to_string(60 + h) + " 30 0.00 5 " +
         std::to_string(h * 10) + " 0\n";
  return s;
}

// Fuels conditioned over [start, end] from that stream, written into `dir` as s.wxs.
inline void ConditionFromHourlyStream(CRunInputs& in, const TempDir& dir, const platform::OleDateTime& start,
                                      const platform::OleDateTime& end) {
  in.noConditioning = false;
  in.useWeatherStream = true;
  in.weatherStreamFile = dir.Write("s.wxs", HourlyStream());
  in.conditioningStart = start;
  in.conditioningEnd = end;
}
