#include "landscape/ui/convert_dialog.h"

#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <optional>

#include "landscape/convert.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace landscape::ui {

using platform::ChooseFile;

CConvertLCPtoGeoTiffDlg::CConvertLCPtoGeoTiffDlg(wxWindow* parent, platform::ProgressSink* progress)
    : wxDialog(parent, wxID_ANY, "Convert LCP to GeoTIFF"), progress_(progress) {
  GDALAllRegister();
  auto* grid = new wxFlexGridSizer(3, 5, 5);
  grid->AddGrowableCol(1);
  auto row = [&](const char* label, wxTextCtrl*& field, void (CConvertLCPtoGeoTiffDlg::*handler)()) {
    grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    field = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(320, -1), wxTE_READONLY);
    grid->Add(field, 1, wxEXPAND);
    auto* button = new wxButton(this, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    button->Bind(wxEVT_BUTTON, [this, handler](wxCommandEvent&) { (this->*handler)(); });
    grid->Add(button);
    return button;
  };
  row("Source LCP File:", sourceField_, &CConvertLCPtoGeoTiffDlg::OnSourceLcp);
  projectionButton_ = row("Source Projection File:", projectionField_, &CConvertLCPtoGeoTiffDlg::OnSourceProjection);
  row("Destination GeoTIFF File:", destinationField_, &CConvertLCPtoGeoTiffDlg::OnDestination);
  projectionButton_->Disable();

  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(grid, 1, wxEXPAND | wxALL, 10);
  all->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(all);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
}

CConvertLCPtoGeoTiffDlg::~CConvertLCPtoGeoTiffDlg() { CloseSource(); }

void CConvertLCPtoGeoTiffDlg::CloseSource() {
  if (source_) GDALClose(source_);
  source_ = nullptr;
}

void CConvertLCPtoGeoTiffDlg::ShowFields() {
  sourceField_->ChangeValue(wxString::FromUTF8(sourcePath_));
  projectionField_->ChangeValue(wxString::FromUTF8(projectionPath_));
  destinationField_->ChangeValue(wxString::FromUTF8(destinationPath_));
}

void CConvertLCPtoGeoTiffDlg::OnSourceLcp() {
  const auto path = ChooseFile(false, "Select Source LCP file", "Legacy LCP files (*.lcp)|*.lcp||", "lcp");
  if (!path) return;
  CloseSource();
  sourcePath_.clear();
  source_ = static_cast<GDALDataset*>(GDALOpen(path->c_str(), GA_ReadOnly));
  if (!source_) {
    ShowFields();
    platform::Tell("Invalid LCP file\n");
    return;
  }
  sourcePath_ = *path;
  ShowFields();
  const char* wkt = source_->GetProjectionRef();
  if (wkt && *wkt) {
    hasProjection_ = true;
    projectionButton_->Disable();
  } else {
    hasProjection_ = !projectionText_.empty();
    projectionButton_->Enable();
    platform::Tell(
        "No projection information found.\nPlease select the appropriate ESRI projection file (*.prj)");
  }
}

void CConvertLCPtoGeoTiffDlg::OnSourceProjection() {
  const auto path =
      ChooseFile(false, "Select Source Projection file", "ESRI Projection Files (*.prj)|*.prj||", "prj");
  if (!path) return;
  projectionText_.clear();
  hasProjection_ = false;
  char** lines = CSLLoad(path->c_str());
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  if (!srs) {
    platform::Tell("Unable to create projection.");
  } else if (!lines || OSRImportFromESRI(srs, lines) != OGRERR_NONE) {
    platform::Tell("Unrecognized projection.");
  } else {
    char* wkt = nullptr;
    if (OSRExportToWkt(srs, &wkt) == OGRERR_NONE && wkt && *wkt) {
      projectionText_ = wkt;
      hasProjection_ = true;
    } else {
      platform::Tell("Unrecognized projection.");
    }
    CPLFree(wkt);
  }
  if (srs) OSRDestroySpatialReference(srs);
  CSLDestroy(lines);
  projectionPath_ = projectionText_.empty() ? "" : *path;
  ShowFields();
}

void CConvertLCPtoGeoTiffDlg::OnDestination() {
  const auto path = ChooseFile(true, "Select Destination GeoTIFF file", "GeoTIFF files (*.tif)|*.tif||", "tif");
  if (!path) return;
  destinationPath_ = platform::WithDefaultExtension(*path, "tif");
  ShowFields();
}

void CConvertLCPtoGeoTiffDlg::Finish(int code) {
  if (IsModal())
    EndModal(code);
  else
    Hide();
}

bool CConvertLCPtoGeoTiffDlg::OnOK() {
  if (!source_ || sourcePath_.empty()) {
    platform::Tell("Error. No source LCP file selected. Select an LCP file.");
    return false;
  }
  if (!hasProjection_) {
    platform::Tell("Error. No projection information. Please select an appropriate source projection file.");
    return false;
  }
  if (destinationPath_.empty()) {
    platform::Tell("Error. No destination GeoTIFF file selected. Select a destination file.");
    return false;
  }
  if (ConvertLcpToGeoTiff(source_, destinationPath_, projectionText_, progress_) != 0) {
    platform::Tell("Error converting to GeoTIFF.");
    return false;
  }
  platform::Tell(platform::FormatC("Successfully created GeoTIFF landscape:\n%s", destinationPath_.c_str()));
  Finish(wxID_OK);
  return true;
}

}  // namespace landscape::ui
