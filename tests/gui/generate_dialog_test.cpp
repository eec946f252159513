// The landscape generation dialog: its checks of chosen grids and typed values give their
// messages, and a landscape it saves opens in a project.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "landscape/ui/generate_dialog.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "project/document.h"

namespace {

using landscape::ui::CGenerateLCPDialog;

class GenerateDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("pv_generate_dialog_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    const std::string cmd = std::string(PV_PYTHON) + " " PV_SOURCE_DIR "/tests/landscape/generate_oracle.py grids " +
                            dir_.string();
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    dialog_ = new CGenerateLCPDialog(nullptr);
  }
  void TearDown() override {
    dialog_->Destroy();
    std::filesystem::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Write(const std::string& name, const std::string& text) {
    std::FILE* f = std::fopen(Path(name).c_str(), "w");
    std::fputs(text.c_str(), f);
    std::fclose(f);
    return Path(name);
  }
  void Type(wxTextCtrl* edit, const std::string& text) { edit->ChangeValue(wxString::FromUTF8(text)); }
  void Click(wxCheckBox* box) {
    box->SetValue(!box->GetValue());
    wxCommandEvent e(wxEVT_CHECKBOX, box->GetId());
    e.SetEventObject(box);
    e.SetInt(box->GetValue());
    box->GetEventHandler()->ProcessEvent(e);
  }
  // Sets up elevation, slope and fuel grids and constant aspect and cover.
  void ChooseGrids() {
    for (auto [layer, file] : {std::pair{1, "slope.tif"}, {0, "elev.asc"}, {3, "fuel.asc"}}) {
      dialogs_.AnswerOpenFile(Path(file));
      dialog_->OnBrowseLayerGrid(layer);
    }
    Click(dialog_->LayerRow(2).constantBox);
    Click(dialog_->LayerRow(4).constantBox);
  }

  std::filesystem::path dir_;
  platform::ScopedRecordingMessages messages_;
  platform::ScopedScriptedDialogs dialogs_;
  CGenerateLCPDialog* dialog_ = nullptr;
};

TEST_F(GenerateDialog, BadGridsAndTypedValuesAreRefusedWithTheirMessages) {
  ChooseGrids();
  EXPECT_EQ(dialog_->GeneralEdit(1)->GetValue(), "7");
  EXPECT_FALSE(dialog_->GeneralEdit(1)->IsEnabled());
  EXPECT_TRUE(dialog_->ProjectionButton()->IsEnabled());
  EXPECT_EQ(dialog_->LatitudeEdit()->GetValue(), "37");
  EXPECT_EQ(dialog_->LayerRow(0).source->GetValue(), Path("elev.asc"));
  EXPECT_EQ(dialog_->LayerRow(2).source->GetValue(), "Constant: 0");
  EXPECT_EQ(dialog_->LayerRow(5).source->GetValue(), "NA");
  EXPECT_TRUE(messages_.Texts().empty());

  struct Grid {
    const char* file;
    const char* text;  // "" for a file that is not there
    const char* message;
  } grids[] = {
      {"wide.asc", "ncols 8\nnrows 6\n", "Error, incorrect NCOLS field.\nExpected 7, found 8"},
      {"center.asc", "NCOLS 7\nNROWS 6\nXLLCENTER 512345.5\n",
       "Error, XLLCORNER field not found where it is supposed to be."},
      {"gone.asc", "", "Error opening %s"},
      {"gone.tif", "", "Error opening %s as GeoTIFF"},
  };
  for (const Grid& g : grids) {
    messages_.Clear();
    const std::string path = *g.text ? Write(g.file, g.text) : Path(g.file);
    dialogs_.AnswerOpenFile(path);
    dialog_->OnBrowseLayerGrid(4);
    std::string expected = g.message;
    if (const auto at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, path);
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{expected});
    EXPECT_EQ(dialog_->LayerRow(4).source->GetValue(), "Constant: 50");
  }

  struct Typed {
    wxTextCtrl* edit;
    const char* text;
    const char* message;
  } typed[] = {
      {dialog_->LatitudeEdit(), "abc", "Latitude: \"abc\" is not a number."},
      {dialog_->LayerRow(2).constantEdit, "1e", "Aspect constant: \"1e\" is not a number."},
      {dialog_->LayerRow(0).constantEdit, "", "Elevation constant: \"\" is not a number."},
  };
  for (const Typed& t : typed) {
    messages_.Clear();
    const wxString before = t.edit->GetValue();
    Type(t.edit, t.text);
    dialogs_.AnswerSaveFile(Path("never.lcp"));
    dialog_->OnOK();
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{t.message});
    EXPECT_FALSE(std::filesystem::exists(Path("never.lcp")));
    Type(t.edit, before.utf8_string());
  }

  // A typed value beyond a 16-bit cell is refused when generating, not wrapped.
  Click(dialog_->LayerRow(0).constantBox);
  Type(dialog_->LayerRow(0).constantEdit, "50000");
  messages_.Clear();
  dialogs_.AnswerSaveFile(Path("big.lcp"));
  dialog_->OnOK();
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_EQ(messages_.Texts()[0].rfind("Error, the Elevation value 50000 does not fit a landscape cell", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(Path("big.lcp")));
}

TEST_F(GenerateDialog, ASavedLandscapeOpensInAProject) {
  ChooseGrids();
  Click(dialog_->CrownBox());
  EXPECT_EQ(dialog_->LayerRow(5).source->GetValue(), "Needs to be set");
  Click(dialog_->LayerRow(5).constantBox);
  EXPECT_EQ(dialog_->LayerRow(5).source->GetValue(), "Constant: 15");
  Click(dialog_->LayerRow(6).constantBox);
  Click(dialog_->LayerRow(7).constantBox);
  dialogs_.AnswerSaveFile(Path("made"));  // the default extension makes it an LCP
  dialog_->OnOK();
  EXPECT_EQ(messages_.Texts().back(), Path("made.lcp") + " was written to disk.");
  CPVN4Doc doc;
  ASSERT_EQ(doc.OpenLandscape(Path("made.lcp")), 1);
  EXPECT_EQ(doc.landscape.header.columns, 7);
  EXPECT_TRUE(doc.landscape.header.HasCrownFuels());

  // Opened on that landscape (Landscape Properties), it is the source and cannot be overwritten.
  CGenerateLCPDialog properties(nullptr, Path("made.lcp"));
  EXPECT_FALSE(properties.ClearButton()->IsEnabled());
  EXPECT_FALSE(properties.SourceButton()->IsEnabled());
  // The grids it was made from come back; constant layers come from the source.
  EXPECT_EQ(properties.LayerRow(0).source->GetValue(), Path("elev.asc"));
  EXPECT_EQ(properties.LayerRow(2).source->GetValue(), "From Source Landscape File");
  EXPECT_TRUE(properties.LayerRow(2).useSource->GetValue());
  // Checking "Constant:" clears the use-source box, and the other way round.
  Click(properties.LayerRow(2).constantBox);
  EXPECT_FALSE(properties.LayerRow(2).useSource->GetValue());
  Click(properties.LayerRow(2).useSource);
  EXPECT_FALSE(properties.LayerRow(2).constantBox->GetValue());
  messages_.Clear();
  dialogs_.AnswerSaveFile(Path("MADE.LCP"));
  properties.OnOK();
  EXPECT_EQ(messages_.Texts(), std::vector<std::string>{
                                   "Error! Destination LCP file same as source LCP file, can not overwrite source LCP."});
}

// Coordinates of millions and fractions typed into the general fields keep every digit through
// the dialog's redisplays and into the written landscape (read back by GDAL).
TEST_F(GenerateDialog, TypedCoordinatesKeepEveryDigitIntoTheLandscape) {
  for (int layer : {0, 1, 2, 3, 4}) Click(dialog_->LayerRow(layer).constantBox);  // all constant
  Type(dialog_->GeneralEdit(0), "3");
  Type(dialog_->GeneralEdit(1), "4");
  Type(dialog_->GeneralEdit(2), "512345.25");
  Type(dialog_->GeneralEdit(3), "4507215.5");
  Type(dialog_->GeneralEdit(4), "30");
  Click(dialog_->CrownBox());  // the dialog reads and shows its fields again
  Click(dialog_->CrownBox());
  EXPECT_EQ(dialog_->GeneralEdit(2)->GetValue(), "512345.25");
  EXPECT_EQ(dialog_->GeneralEdit(3)->GetValue(), "4507215.5");
  dialogs_.AnswerSaveFile(Path("coords.lcp"));
  dialog_->OnOK();
  ASSERT_EQ(messages_.Texts().back(), Path("coords.lcp") + " was written to disk.");
  // Lower left from GDAL's upper-left origin and its rows of cells.
  const std::string out = Path("origin.txt");
  const std::string cmd = std::string(PV_PYTHON) + " -c \"from osgeo import gdal; d = gdal.Open('" +
                          Path("coords.lcp") + "'); g = d.GetGeoTransform(); open('" + out +
                          "', 'w').write('%.3f %.3f' % (g[0], g[3] + g[5] * d.RasterYSize))\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::FILE* f = std::fopen(out.c_str(), "r");
  ASSERT_NE(f, nullptr);
  double x = 0, y = 0;
  ASSERT_EQ(std::fscanf(f, "%lf %lf", &x, &y), 2);
  std::fclose(f);
  EXPECT_DOUBLE_EQ(x, 512345.25);
  EXPECT_DOUBLE_EQ(y, 4507215.5);
}

}  // namespace
