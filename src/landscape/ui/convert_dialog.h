#pragma once
// "Convert LCP to GeoTIFF": picks a source LCP file, a projection file when the source has
// none, and a destination, then writes the landscape GeoTIFF.
#include <wx/dialog.h>

#include <string>

class GDALDataset;
class wxTextCtrl;
class wxButton;

namespace platform {
class ProgressSink;
}

namespace landscape::ui {

class CConvertLCPtoGeoTiffDlg : public wxDialog {
 public:
  explicit CConvertLCPtoGeoTiffDlg(wxWindow* parent, platform::ProgressSink* progress = nullptr);
  ~CConvertLCPtoGeoTiffDlg() override;

  // The three "..." buttons and OK; OK answers whether the dialog closed.
  void OnSourceLcp();
  void OnSourceProjection();
  void OnDestination();
  bool OnOK();

  const std::string& SourcePath() const { return sourcePath_; }
  const std::string& ProjectionPath() const { return projectionPath_; }
  const std::string& DestinationPath() const { return destinationPath_; }
  bool HasProjection() const { return hasProjection_; }
  wxButton* ProjectionButton() const { return projectionButton_; }

 private:
  void ShowFields();
  void CloseSource();
  void Finish(int code);

  std::string sourcePath_, projectionPath_, destinationPath_;
  std::string projectionText_;  // WKT read from the projection file
  bool hasProjection_ = false;
  GDALDataset* source_ = nullptr;
  platform::ProgressSink* progress_;
  wxTextCtrl* sourceField_ = nullptr;
  wxTextCtrl* projectionField_ = nullptr;
  wxTextCtrl* destinationField_ = nullptr;
  wxButton* projectionButton_ = nullptr;
};

}  // namespace landscape::ui
