#include <gtest/gtest.h>

#include <string>

#include "engines/embrith_engine.h"
#include "engines/mtt_engine.h"
#include "weather/temp_dir.h"

TEST(EngineInterfaces, LaunchesWithoutInputsSayWhy) {
  TempDir dir;
  const std::string inputs = dir.Write("inputs.txt", "Pyrvane-Inputs-File-Version-1\n");
  CMinTravelTime mtt;
  EXPECT_EQ(mtt.LoadMTTInputs(dir.File("missing.txt").c_str()), kMttCannotOpenInputs);
  const int refusedTom = mtt.LoadTOMInputs(inputs.c_str());
  EXPECT_EQ(refusedTom, kMttBadInputs);
  EXPECT_NE(std::string(mtt.CommandFileError(refusedTom)).find("MTT_RESOLUTION is missing."), std::string::npos);
  EXPECT_EQ(mtt.LaunchMTT(), kMttNoInputs);
  EXPECT_EQ(mtt.GetMTTProgress(), 1.0);  // a monitor waiting on it ends
  const int code = mtt.LaunchTOM();
  EXPECT_STREQ(mtt.CommandFileError(code), "No inputs file has been loaded.");
  EXPECT_EQ(mtt.GetFirePerimeter(0), nullptr);

  // A fire-growth engine refuses a file that is not its own and launches nothing without one.
  CEmbrith embrith;
  const int refused = embrith.LoadEmbrithInputs(inputs.c_str());
  EXPECT_EQ(refused, kEmbrithBadInputs);
  EXPECT_NE(std::string(embrith.CommandFileError(refused)).find("Embrith-Inputs-File-Version-1"), std::string::npos);
  EXPECT_EQ(embrith.LaunchEmbrith(), kEmbrithNoInputs);
  EXPECT_EQ(embrith.GetEmbrithProgress(), 1.0);
  EXPECT_EQ(embrith.GetArrivalTimeGrid(), nullptr);
}

TEST(EngineInterfaces, SpotListsAndPerimetersKeepToTheirBounds) {
  CMTTSpots spots;
  spots.SetNumSpots(2);
  spots.SetSpot(1, 1, 2, 3, 4, 5, 6);
  spots.SetSpot(2, 9, 9, 9, 9, 9, 9);  // past the end: ignored
  ASSERT_NE(spots.GetSpot(1), nullptr);
  EXPECT_DOUBLE_EQ(spots.GetSpot(1)->GetLandY(), 4);
  EXPECT_DOUBLE_EQ(spots.GetSpot(1)->GetLandTime(), 6);
  EXPECT_EQ(spots.GetSpot(-1), nullptr);
  spots.SetNumSpots(-3);
  EXPECT_EQ(spots.GetNumSpots(), 0);

  CPerimeter perimeter;
  perimeter.SetNumLines(1);
  CPerimeterLine* line = perimeter.GetLine(0);
  ASSERT_NE(line, nullptr);
  line->SetNumPoints(2);
  EXPECT_TRUE(line->SetPoint(1, 10.5f, 20.5f));
  EXPECT_FALSE(line->SetPoint(2, 0, 0));
  float x = 0, y = 0;
  EXPECT_TRUE(line->GetPoint(1, &x, &y));
  EXPECT_FLOAT_EQ(y, 20.5f);
  EXPECT_EQ(perimeter.GetLine(1), nullptr);
}
