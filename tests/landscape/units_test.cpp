#include "landscape/units.h"

#include "landscape/header.h"

#include <gtest/gtest.h>

using namespace landscape;

TEST(LandscapeUnits, ValuesBecomeTheGeoTiffUnits) {
  struct Case {
    int layer, code;
    double in;
    int out;
  };
  const Case cases[] = {
      {kElevation, 0, 1234, 1234},     {kElevation, 1, 1000, 304},   // 1 / 3.28, not 0.3048
      {kElevation, 0, -86, -86},       {kElevation, 1, -9999, -9999},  // below sea level is data
      {kSlope, 1, 100, 45},            {kSlope, 1, 50, 27},           {kSlope, 1, 30, 17},
      {kSlope, 1, 0, 0},               {kSlope, 1, -9999, -9999},     {kSlope, 0, -3, -9999},
      {kAspect, 2, 359, 359},          {kAspect, 1, 90, 0},   // GRASS degrees: north
      {kAspect, 1, 0, 90},             {kAspect, 1, 180, 270},        {kAspect, 1, 270, 180},
      {kAspect, 1, 360, 90},           {kAspect, 1, -9999, -9999},    {kAspect, 0, 1, 90},
      {kAspect, 0, 7, 0},              {kAspect, 0, 0, -9999},        {kFuelModel, 0, 165, 165},
      {kCanopyCover, 0, 1, 25},        {kCanopyCover, 0, 4, 100},     {kCanopyCover, 0, 0, 0},
      {kCanopyCover, 0, -9999, -9999}, {kCanopyCover, 1, 85, 85},
      {kStandHeight, 1, 25, 250},      {kStandHeight, 2, 100, 304},   {kStandHeight, 3, 212, 212},
      {kStandHeight, 4, 100, 30},      {kCanopyBaseHeight, 2, 10, 30}, {kCanopyBaseHeight, 3, -9999, -9999},
      {kCanopyBulkDensity, 1, 0.25, 25}, {kCanopyBulkDensity, 2, 1, 1601}, {kCanopyBulkDensity, 3, 14, 14},
      {kCanopyBulkDensity, 4, 100, 160},  // 0.1 lb/ft^3 = 1.6018 kg/m^3
      {kCanopyBulkDensity, 2, 21, -9999},  // beyond 16 bits
      {kAspect, 2, 361, -9999},        {kAspect, 1, 400, -9999},      {kAspect, 0, 26, -9999},
      {kCanopyCover, 0, -1, -9999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "layer " << c.layer << " code " << c.code << " value " << c.in);
    const auto rule = RuleForLayer(c.layer, c.code);
    ASSERT_TRUE(rule);
    EXPECT_EQ(ApplyRule(*rule, c.in), c.out);
  }
}

TEST(LandscapeUnits, CodesWithoutMeaningHaveNoRule) {
  EXPECT_FALSE(RuleForLayer(kElevation, 2));
  EXPECT_FALSE(RuleForLayer(kAspect, 3));
  EXPECT_FALSE(RuleForLayer(kStandHeight, 0));
  EXPECT_FALSE(RuleForLayer(kCanopyBulkDensity, 5));
  EXPECT_FALSE(RuleForLayer(kDuffLoading, 1));  // never in a landscape GeoTIFF
}
