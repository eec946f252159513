// The run sheets' status line follows each edit as it is made, before Apply: a table of edits
// on the fire-growth and travel-time pages and what the line says after each.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/messages.h"
#include "runs/run_commands.h"
#include "runs/run_embrith.h"
#include "project/work_area.h"
#include "runs/ui/embrith_sheet.h"
#include "runs/ui/page_menus.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "widgets/screenshot.h"

using runs_gui::Use;

namespace {

// A day and a half of hourly weather from 7 August 06:00.
std::string Stream() {
  std::string s = "RAWS_ELEVATION: 2100\nRAWS_UNITS: English\nRAWS: 42\n";
  for (int i = 0; i < 42; ++i)
    s += "2011 8 " + std::to_string(7 + (6 + i) / 24) + " " + std::to_string((6 + i) % 24 * 100) +
         " 85 15 0.00 12 225 0\n";
  return s;
}

// An edit as the user makes it and what a status part says after it.
struct Step {
  const char* edit;
  std::function<void()> make;
  const char* status;
};

template <std::size_t N>
void ExpectStatusAfterEach(const runs::ui::CLaunchSheet& sheet, int part, const Step (&steps)[N]) {
  for (const Step& s : steps) {
    s.make();
    EXPECT_EQ(sheet.StatusText(part), s.status) << s.edit;
  }
}

}  // namespace

TEST(RunStatusLine, FireGrowthPagesAreJudgedAsTheyStandAndANewBurnPeriodLiesInTheRange) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  CRun* run = runs::NewEmbrithRun(p.doc);
  ASSERT_NE(run, nullptr);
  run->inputs.fuelMoistureFile = p.Write("a.fms", "0 6 7 8 60 90\n");
  run->inputs.weatherStreamFile = p.Write("s.wxs", Stream());
  run->inputs.conditioningStart = platform::OleDateTime(2011, 8, 7, 9, 0, 0);
  run->outputs.crownFireMethod = -1;
  auto* sheet = new runs::ui::CEmbrithRunSheet(nullptr, run);
  sheet->Show();
  runs::ui::CEmbrithPage* model = sheet->modelPage;
  runs::ui::CEmbrithWxBpPage* stream = sheet->streamPage;
  const Step steps[] = {
      {"opened", [] {}, "Set Crown Fire Method"},
      {"crown method chosen", [&] { runs_gui::Choose(model->crownCombo, 0); }, "Need Ignition File"},
      {"crown method cleared", [&] { runs_gui::Choose(model->crownCombo, wxNOT_FOUND); }, "Set Crown Fire Method"},
  };
  ExpectStatusAfterEach(*sheet, 0, steps);

  // The first new period starts at the conditioning start's hour, inside the range the page states.
  EXPECT_EQ(stream->rangeText->GetLabel(), "Burn Periods must be between 08/07/2011:0900 and 08/08/2011:2300");
  Use(stream->addButton);
  const std::vector<BurnPeriod> periods = stream->grid.Periods();
  ASSERT_EQ(periods.size(), 1u);
  EXPECT_EQ(periods[0].month, 8);
  EXPECT_EQ(periods[0].day, 7);
  EXPECT_EQ(periods[0].startHour, 9);
  EXPECT_EQ(periods[0].endHour, 24);
  EXPECT_FALSE(runs::BurnPeriodProblem(periods).has_value());
  // The next one, on the last day, ends at the last record's hour.
  Use(stream->addButton);
  const std::vector<BurnPeriod> two = stream->grid.Periods();
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1].day, 8);
  EXPECT_EQ(two[1].startHour, 9);
  EXPECT_EQ(two[1].endHour, 23);
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(RunStatusLine, TravelTimeAndTreatmentTicksCountAsTheyAreTicked) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  auto* sheet = new runs::ui::CRunSheet(nullptr, p.run);
  sheet->Show();
  const Step steps[] = {
      {"nothing ticked", [] {}, "No outputs selected"},
      {"three travel-time outputs",
       [&] {
         sheet->SelectPage(2);
         for (int i = 0; i < 3; ++i) Use(sheet->mttPage->outputs[i]);
       },
       "3 outputs selected"},
      {"a treatment output",
       [&] {
         sheet->SelectPage(3);
         Use(sheet->treatPage->outputs[0]);
       },
       // Leaving the travel-time page selected the spotting grid its engine reads: 3 + 1 + 1.
       "5 outputs selected"},
      {"a fire-behaviour output",
       [&] {
         sheet->SelectPage(1);
         Use(sheet->outputsPage->FindWindow(1042));  // Flame Length
       },
       "6 outputs selected"},
  };
  ExpectStatusAfterEach(*sheet, 1, steps);
  sheet->Destroy();
  widgets::FlushEvents(2);
}

// A copy of a ready fire-growth run is ready too: its status line and Launch agree.
TEST(RunStatusLine, ACopyOfAReadyFireGrowthRunCanLaunch) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  CRun* run = runs::NewEmbrithRun(p.doc);
  ASSERT_NE(run, nullptr);
  ASSERT_NE(run->area, nullptr);
  // One ignition point at the middle of the area, written by GDAL.
  const std::string shp = (p.dir / "ignition.shp").string();
  const double x = (run->area->east + run->area->west) / 2, y = (run->area->north + run->area->south) / 2;
  const std::string cmd = std::string(PV_PYTHON) +
                          " -c \"from osgeo import ogr; d = ogr.GetDriverByName('ESRI Shapefile').CreateDataSource('" +
                          shp + "'); l = d.CreateLayer('i', geom_type=ogr.wkbPoint); f = ogr.Feature(l.GetLayerDefn()); "
                          "f.SetGeometry(ogr.CreateGeometryFromWkt('POINT (" + std::to_string(x) + " " +
                          std::to_string(y) + ")')); l.CreateFeature(f); d = None\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  run->inputs.fuelMoistureFile = p.Write("a.fms", "0 6 7 8 60 90\n");
  run->inputs.weatherStreamFile = p.Write("s.wxs", Stream());
  run->inputs.conditioningStart = platform::OleDateTime(2011, 8, 7, 9, 0, 0);
  run->inputs.conditioningEnd = platform::OleDateTime(2011, 8, 8, 23, 0, 0);
  run->outputs.crownFireMethod = 0;
  run->embrith.burnPeriods = {{8, 7, 10, 18}};
  run->embrith.arrivalTime = 1;
  run->embrith.ignitionFile = shp;
  ASSERT_TRUE(runs::ui::TakeRunShapefile(*run, run->embrithIgnitions, shp, true, "Embrith Ignitions", "outside"));

  CRun* copy = runs::CopyRun(p.doc, *run);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->embrithIgnitions, nullptr);
  EXPECT_NE(copy->embrithIgnitions, run->embrithIgnitions);
  auto* sheet = new runs::ui::CEmbrithRunSheet(nullptr, copy);
  sheet->Show();
  EXPECT_EQ(sheet->StatusText(0), "Inputs OK");
  EXPECT_TRUE(sheet->launchButton->IsEnabled());
  // Launch follows the pages as they stand, without Apply.
  runs_gui::Choose(sheet->modelPage->crownCombo, wxNOT_FOUND);
  EXPECT_EQ(sheet->StatusText(0), "Set Crown Fire Method");
  EXPECT_FALSE(sheet->launchButton->IsEnabled());
  runs_gui::Choose(sheet->modelPage->crownCombo, 1);
  EXPECT_EQ(sheet->StatusText(0), "Inputs OK");
  EXPECT_TRUE(sheet->launchButton->IsEnabled());
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
  sheet->Destroy();
  widgets::FlushEvents(2);
}
