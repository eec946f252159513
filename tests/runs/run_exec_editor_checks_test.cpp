#include <gtest/gtest.h>

#include "runs/run_exec_editor_checks.h"

namespace {

const char* kNumeric = "14 0.1 0.2 0.3 0.4 0.5 2000 1800 1500 1.0 25 8000 8000\n";
const char* kNamed = "101 GR1 0.1 0.4 0 0.3 0 dynamic 2200 2000 1500 0.4 15 8000 8000 short\n";

}  // namespace

TEST(EditorChecks, FirstErrorOrSuccessOfEachKind) {
  using runs::kEditAdj;
  using runs::kEditFmd;
  using runs::kEditFms;
  struct Case {
    int kind;
    std::string text;
    bool valid;
    std::string message;
  } cases[] = {
      {kEditFms, "1 6 7 8 60 90\n\n2 6 7 8 60 90\nend", true, "File appears to be a valid FMS file."},
      {kEditFms, "end\n1 6 7 8 60 90", false, "Line 1: Wrong number of entries, must be six per line"},
      {kEditFms, "1 6 7 8 60 90 5\n", false, "Line 1: Wrong number of entries, must be six per line"},
      {kEditFms, "5 6 7 8 60 90\r\n5 6 7 8 60 90\r\n", false, "Line 2: Duplicate fuel model number: 5"},
      {kEditFms, "257 6 7 8 60 90\n", false, "Line 1: Invalid fuel model number: 257"},
      {kEditFms, "0 6 7 8 0 90\n", false, "Line 1: Invalid Live Herbaceous Fuel Moisture: 0"},
      {kEditFms, "word", false, "Line 1: Wrong number of entries, must be six per line"},  // a lone line
      {kEditAdj, "12 -0.5\n", false, "Line 1: Negative ROS_ADJUST value: -0.500000"},
      {kEditAdj, "12 0.5\n12 1.5\n", false, "Line 2: Duplicate fuel model number: 12"},
      {kEditAdj, "12 0.5 3\n", false, "Line 1: Wrong number of entries, must be 2 per line"},
      {kEditAdj, "12 0.5\n13 1.5\n", true, "File appears to be a valid ROS_ADJUST file."},
      {kEditFmd, kNumeric, true, "File appears to be a valid Custom Fuel Model File."},
      {kEditFmd, "60 0.1 0.2 0.3 0.4 0.5 2000 1800 1500 1.0 25 8000 8000\n", false,
       "Line 1: Invalid fuel model number \"60\", must be from 14 to 50."},
      {kEditFmd, "14 0.1 0.2 0.3 0.4 0.5 2000 1800 1500 1.0 25 8000 5000\n", false,
       "Line 1: Live fuel heat content (Field 13) must be greater than or equal to 6000."},
      {kEditFmd, std::string(kNumeric) + "\n" + kNumeric, false,
       "Line 2: Invalid number of fields, must be 13."},  // an empty inner line counts
      {kEditFmd, "14 a b\n", false, "Line 1: Invalid number of fields."},
      {kEditFmd, std::string("english\n") + kNamed + kNamed +
                     "102 GR2 0.1 0.4 0 0.3 0 dynamic 2200 2000 1500 0 15 8000 8000 x\n",
       false, "\nModel Data Error Line => 4\nDepth = 0.0"},
      {kEditFmd, std::string(kNamed) + "102 GR2 0.1 0.4 0 0.3 0 dynamic 2200 2000 1500\n", false,
       "\nModel Data Error Line => 2\nToo few fields."},
      {kEditFmd, "metric\n101 GR1 1 1 0 0 0 dynamic 130000 2000 2000 10 15 20000 20000\n", false,
       "\nModel Data Error Line => 2\nSAV Ratios Out of Range"},  // only once converted to English units
      {7, "anything", true, ""},
  };
  for (const Case& c : cases) {
    runs::EditorVerdict v = runs::ValidateEditorText(c.kind, c.text);
    EXPECT_EQ(v.valid, c.valid) << c.text;
    EXPECT_EQ(v.message, c.message) << c.text;
  }
}
