// The project and analysis-area property dialogs over the sample landscape, with GDAL's
// own reading of the landscape file as the judge of the project's figures.
#include <gtest/gtest.h>
#include <gdal_priv.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/numbers.h"
#include "project/document.h"
#include "project/ui/property_dialog.h"

namespace project::ui {
namespace {

using D = CProjectPropertyDialog;

const std::string kSample = std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp";

std::string Field(const wxDialog& dialog, int id) {
  auto* edit = wxDynamicCast(dialog.FindWindow(id), wxTextCtrl);
  if (!edit) {
    ADD_FAILURE() << "no field " << id;
    return {};
  }
  EXPECT_FALSE(edit->IsEditable()) << id;
  return edit->GetValue().utf8_string();
}

// Runs show(), which opens the dialog modally; check sees the dialog, then OK closes it.
void WithModalDialog(const std::function<void()>& show, const std::function<void(D&)>& check) {
  bool seen = false;
  wxTheApp->CallAfter([&] {
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = dynamic_cast<D*>(w); d && d->IsModal()) {
        seen = true;
        check(*d);
        wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
        click.SetEventObject(d->FindWindow(wxID_OK));
        d->FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(click);
        return;
      }
  });
  show();
  EXPECT_TRUE(seen);
}

class ProjectProperties : public ::testing::Test {
 protected:
  void SetUp() override {
    GDALAllRegister();
    doc_ = std::make_unique<CPVN4Doc>();
    ASSERT_EQ(doc_->OpenLandscape(kSample), 1);
    doc_->title = "Sample";
  }
  std::unique_ptr<CPVN4Doc> doc_;
};

TEST_F(ProjectProperties, ProjectShowsTheLandscape) {
  GDALDataset* ds = static_cast<GDALDataset*>(GDALOpen(kSample.c_str(), GA_ReadOnly));
  ASSERT_NE(ds, nullptr);
  double gt[6];
  ASSERT_EQ(ds->GetGeoTransform(gt), CE_None);
  const int columns = ds->GetRasterXSize(), rows = ds->GetRasterYSize();
  const char* latitude = ds->GetMetadataItem("LATITUDE");
  ASSERT_NE(latitude, nullptr);
  const std::string expectedLatitude = latitude;
  GDALClose(ds);

  D dialog(nullptr, *doc_, nullptr);
  dialog.Show();
  EXPECT_EQ(dialog.GetTitle(), "Sample");
  EXPECT_EQ(Field(dialog, D::kPathEdit), kSample);  // short enough to show whole
  EXPECT_EQ(Field(dialog, D::kWestEdit), platform::FormatC("%.6f", gt[0]));
  EXPECT_EQ(Field(dialog, D::kNorthEdit), platform::FormatC("%.6f", gt[3]));
  EXPECT_EQ(Field(dialog, D::kEastEdit), platform::FormatC("%.6f", gt[0] + columns * gt[1]));
  EXPECT_EQ(Field(dialog, D::kSouthEdit), platform::FormatC("%.6f", gt[3] + rows * gt[5]));
  EXPECT_EQ(Field(dialog, D::kCellsEastEdit), std::to_string(columns));
  EXPECT_EQ(Field(dialog, D::kCellsNorthEdit), std::to_string(rows));
  EXPECT_EQ(Field(dialog, D::kCellSizeXEdit), platform::FormatC("%.0f", gt[1]));
  EXPECT_EQ(Field(dialog, D::kCellSizeYEdit), platform::FormatC("%.0f", -gt[5]));
  EXPECT_EQ(Field(dialog, D::kLatitudeEdit), expectedLatitude);
  // Every figure fits its field, so none is cut off on screen.
  for (int id : {D::kNorthEdit, D::kSouthEdit, D::kEastEdit, D::kWestEdit, D::kCellsEastEdit,
                 D::kCellsNorthEdit, D::kCellSizeXEdit, D::kCellSizeYEdit, D::kLatitudeEdit}) {
    auto* edit = wxDynamicCast(dialog.FindWindow(id), wxTextCtrl);
    EXPECT_LE(edit->GetSizeFromTextSize(edit->GetTextExtent(edit->GetValue()).x).x,
              edit->GetSize().x)
        << id;
  }
  dialog.Hide();
}

TEST_F(ProjectProperties, LongPathIsShortenedToFitKeepingTheFileName) {
  doc_->landscape.path = "/srv/fire/" + std::string(300, 'd') + "/ridge.lcp";
  D dialog(nullptr, *doc_, nullptr);
  dialog.Show();
  auto* edit = wxDynamicCast(dialog.FindWindow(D::kPathEdit), wxTextCtrl);
  ASSERT_NE(edit, nullptr);
  const std::string shown = edit->GetValue().utf8_string();
  EXPECT_EQ(shown.rfind("/srv/fire/", 0), 0u) << shown;
  EXPECT_NE(shown.find(".../ridge.lcp"), std::string::npos) << shown;
  EXPECT_LE(edit->GetSizeFromTextSize(edit->GetTextExtent(edit->GetValue()).x).x, edit->GetSize().x)
      << shown;
  EXPECT_EQ(dialog.Texts().path, doc_->landscape.path);
  dialog.Hide();
}

TEST_F(ProjectProperties, AreaCommandShowsTheCurrentAreasExtent) {
  const CHeaderData& h = doc_->landscape.header;
  // The middle half of the landscape, as a user would drag it out.
  const double w = h.east - h.west, n = h.north - h.south;
  CPyrvane2WorkArea* area = doc_->CreateWorkArea(h.north - n / 4, h.east - w / 4, h.south + n / 4,
                                                 h.west + w / 4, "Ridge");
  ASSERT_NE(area, nullptr);
  ASSERT_EQ(doc_->currentArea, area);
  const long cellsEast = std::lround((area->east - area->west) / h.cellWidth);
  const long cellsNorth = std::lround((area->north - area->south) / h.cellHeight);
  ASSERT_LT(cellsEast, h.columns);
  ASSERT_LT(cellsNorth, h.rows);

  WithModalDialog([&] { ShowAreaProperties(nullptr, *doc_); },
                  [&](D& d) {
                    EXPECT_EQ(d.GetTitle(), "Ridge");
                    EXPECT_EQ(Field(d, D::kNorthEdit), platform::FormatC("%.6f", area->north));
                    EXPECT_EQ(Field(d, D::kSouthEdit), platform::FormatC("%.6f", area->south));
                    EXPECT_EQ(Field(d, D::kEastEdit), platform::FormatC("%.6f", area->east));
                    EXPECT_EQ(Field(d, D::kWestEdit), platform::FormatC("%.6f", area->west));
                    EXPECT_EQ(Field(d, D::kCellsEastEdit), std::to_string(cellsEast));
                    EXPECT_EQ(Field(d, D::kCellsNorthEdit), std::to_string(cellsNorth));
                  });

  // The project's command still describes the whole landscape.
  WithModalDialog([&] { ShowProjectProperties(nullptr, *doc_); },
                  [&](D& d) {
                    EXPECT_EQ(d.GetTitle(), "Sample");
                    EXPECT_EQ(Field(d, D::kCellsEastEdit), std::to_string(h.columns));
                    EXPECT_EQ(Field(d, D::kNorthEdit), platform::FormatC("%.6f", h.north));
                  });
}

TEST(ProjectPropertiesEmpty, WithoutLandscapeOnlyThePathIsShown) {
  CPVN4Doc doc;
  doc.title = "Untitled";
  WithModalDialog([&] { ShowProjectProperties(nullptr, doc); },
                  [&](D& d) {
                    EXPECT_EQ(d.GetTitle(), "Project Properties");
                    EXPECT_EQ(Field(d, D::kPathEdit), "No Landscape File");
                    for (int id : {D::kLatitudeEdit, D::kNorthEdit, D::kSouthEdit, D::kEastEdit,
                                   D::kWestEdit, D::kCellSizeXEdit, D::kCellSizeYEdit,
                                   D::kCellsEastEdit, D::kCellsNorthEdit})
                      EXPECT_EQ(Field(d, id), "") << id;
                  });
}

}  // namespace
}  // namespace project::ui
