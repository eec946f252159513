// The atmosphere editor: a file made row by row from grids in its folder, checked against the
// run's burn periods, saved and read back.
#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>

#include "platform/dialogs.h"
#include "platform/messages.h"
#include "weather/ui/atm_dialog.h"
#include "widgets/screenshot.h"

using weather::ui::CAtmDialog;

namespace {

void Grid(const std::filesystem::path& file, int value) {
  std::ofstream f(file);
  f << "ncols 4\nnrows 3\nxllcorner 1000\nyllcorner 1880\ncellsize 40\nNODATA_value -9999\n";
  for (int i = 0; i < 12; ++i) f << value << (i % 4 == 3 ? "\n" : " ");
}

}  // namespace

TEST(AtmDialogWindow, RowsMadeOneByOneAreCheckedAgainstTheBurnPeriodsAndSaved) {
  const auto dir = std::filesystem::temp_directory_path() / "pv_gui_atm_dialog";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "other");
  Grid(dir / "s1.asc", 5);
  Grid(dir / "d1.asc", 270);
  Grid(dir / "s2.asc", 9);
  Grid(dir / "d2.asc", 90);
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;

  weather::AtmRunContext run;
  run.hasBurnPeriod = true;
  run.firstMonth = 7, run.firstDay = 15, run.firstStartHour = 10;
  run.lastMonth = 7, run.lastDay = 16, run.lastEndHour = 18;
  run.west = 1000, run.east = 1160, run.south = 1880, run.north = 2000;
  run.distanceResolution = 30;

  auto* d = new CAtmDialog(nullptr);
  d->run = &run;
  d->Prepare();
  EXPECT_EQ(d->periodBox->GetValue(), "7/15 : 1000 - 7/16 : 1800");
  d->folder = d->grid.folder = dir.string();
  std::vector<std::string> listed;
  const char* pick[] = {"s1.asc", "d1.asc", "s2.asc", "d2.asc"};
  int next = 0;
  d->fileChooser = [&](const std::vector<std::string>& names) {
    listed = names;
    return std::optional<std::string>(pick[next++]);
  };
  for (long row = 0; row < 2; ++row) {
    d->OnAppend();
    d->PickFile(row, 3, d->folder);
    d->PickFile(row, 4, d->folder);
  }
  EXPECT_EQ(listed, (std::vector<std::string>{"d1.asc", "d2.asc", "s1.asc", "s2.asc"}));
  const auto rows = d->grid.Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].time, "1000");  // the first burn period's start
  EXPECT_EQ(rows[1].time, "1100");  // an hour after the row before
  EXPECT_EQ(rows[1].direction, "d2.asc");
  EXPECT_TRUE(d->changed);
  EXPECT_EQ(d->OnCheck(), "File appears to be a valid ATM file");

  // Saving elsewhere without copying the grids saves nothing.
  dialogs.AnswerSaveFile((dir / "other" / "winds.atm").string());
  messages.Script({platform::Answer::No});
  EXPECT_FALSE(d->OnSaveAs());
  EXPECT_EQ(messages.Texts().back(), "File not saved");
  EXPECT_FALSE(std::filesystem::exists(dir / "other" / "winds.atm"));
  dialogs.AnswerSaveFile((dir / "winds.atm").string());
  ASSERT_TRUE(d->OnSaveAs());
  std::ifstream in(dir / "winds.atm");
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "WINDS\nENGLISH\n7 15 1000 \"s1.asc\" \"d1.asc\"\n7 15 1100 \"s2.asc\" \"d2.asc\"\n");
  EXPECT_FALSE(d->changed);

  // Without the row at the start no grid is in force when the fire starts.
  d->grid.GotoCell(0, 0);
  d->OnDelete();
  EXPECT_EQ(d->OnCheck(), "No active wind grids at Simulation Start.");
  d->grid.SetCellText(4, 0, "");
  EXPECT_EQ(d->OnCheck(), "Error, row 1, No Wind Direction file selected");

  // Reopened, the saved file fills the rows again.
  auto* again = new CAtmDialog(nullptr);
  again->run = &run;
  again->path = (dir / "winds.atm").string();
  again->Prepare();
  EXPECT_EQ(again->grid.GetRowCount(), 2);
  EXPECT_EQ(again->folderBox->GetValue().utf8_string(), dir.string());
  EXPECT_FALSE(again->changed);
  d->Destroy();
  again->Destroy();
  widgets::FlushEvents(2);
  std::filesystem::remove_all(dir);
}
