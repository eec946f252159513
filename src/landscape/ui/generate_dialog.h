#pragma once
// "Landscape File Generation": assembles a landscape from grids, constants and a source
// landscape and saves it as an LCP file or landscape GeoTIFF. The settings and their checks
// live in landscape::GenerationSettings; the dialog shows them and reads what is typed.
#include <wx/dialog.h>

#include <array>
#include <memory>
#include <string>

#include "landscape/generate.h"

class wxButton;
class wxCheckBox;
class wxChoice;
class wxTextCtrl;

namespace widgets {
class CNumSpinCtrl;
}

namespace landscape::ui {

class CGenerateLCPDialog : public wxDialog {
 public:
  // With a source landscape (Landscape Properties), that landscape is loaded and the
  // "Clear Fields" and "Source Landscape File" buttons stay disabled.
  explicit CGenerateLCPDialog(wxWindow* parent, const std::string& presetSource = "");
  ~CGenerateLCPDialog() override;

  // Reads the typed values into the settings; false (said, naming the field) when one is not
  // a number or the description is too long. Every action reads first and stops on false.
  bool ReadFields();
  void ShowFields();

  void OnBrowseLayerGrid(int layer);
  void OnSourceLandscapeFile();
  void OnProjectionFile();
  void OnClearFields();
  void OnConstantBox(int layer);
  void OnUseSourceBox(int layer);
  void OnCrownFuels();
  void OnConstantChanged(int layer);
  // "Save As...": asks for the destination and generates; the dialog stays open.
  void OnOK();
  void OnHelpButton();

  GenerationSettings settings;

  // Controls, for tests.
  struct Row {
    wxTextCtrl* source = nullptr;
    wxButton* browse = nullptr;
    wxCheckBox* useSource = nullptr;
    wxChoice* units = nullptr;
    wxCheckBox* constantBox = nullptr;
    wxTextCtrl* constantEdit = nullptr;
    std::unique_ptr<widgets::CNumSpinCtrl> spin;
  };
  Row& LayerRow(int layer) { return rows_[static_cast<std::size_t>(layer)]; }
  wxTextCtrl* LatitudeEdit() const { return latitude_; }
  wxTextCtrl* GeneralEdit(int i) const { return general_[static_cast<std::size_t>(i)]; }  // rows, columns, x, y, cell
  wxCheckBox* CrownBox() const { return crown_; }
  wxButton* ClearButton() const { return clear_; }
  wxButton* SourceButton() const { return sourceButton_; }
  wxButton* ProjectionButton() const { return projectionButton_; }
  wxTextCtrl* DescriptionEdit() const { return description_; }

 private:
  void Build();
  void RenewGeneral();

  std::array<Row, kGeneratedLayers> rows_;
  wxTextCtrl* sourceField_ = nullptr;
  wxTextCtrl* projectionField_ = nullptr;
  wxButton* sourceButton_ = nullptr;
  wxButton* clear_ = nullptr;
  wxButton* projectionButton_ = nullptr;
  wxTextCtrl* latitude_ = nullptr;
  wxChoice* gridUnits_ = nullptr;
  std::array<wxTextCtrl*, 5> general_{};
  std::array<std::unique_ptr<widgets::CNumSpinCtrl>, 6> generalSpins_;
  wxCheckBox* crown_ = nullptr;
  wxTextCtrl* description_ = nullptr;
  bool generalTypable_ = false;
  bool showing_ = false;
};

}  // namespace landscape::ui
