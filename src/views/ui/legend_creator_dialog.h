#pragma once
// "Create/Modify Legend": the modal editor of a raster theme's legend over its class table.
#include <wx/dialog.h>

#include <memory>

#include "gridmodel/table_grid.h"
#include "views/legend_creator.h"

class wxChoice;
class wxRadioButton;
class wxSpinCtrl;
class wxStaticText;
class CPVN4Doc;

namespace widgets {
class TableGridWindow;
}

namespace views::ui {

class CLegendCreatorDialog : public wxDialog, public gridmodel::GridOwner {
 public:
  CLegendCreatorDialog(wxWindow* parent, CTheme& theme, CThemeLegendData& legend, const CPyrvane2WorkArea* area);
  ~CLegendCreatorDialog() override;

  CLegendCreator& Creator() { return *creator_; }
  widgets::TableGridWindow* Table() const { return table_; }
  wxSpinCtrl* ClassCount() const { return classes_; }
  // The buttons' actions, as the buttons run them.
  void OnApplyClasses();
  void OnOK();
  void OnCancel();

  long OnGridNotify(const gridmodel::GridNotify& n) override;

 private:
  void Sync();

  widgets::TableGridWindow* table_ = nullptr;
  std::unique_ptr<CLegendCreator> creator_;
  wxChoice* units_ = nullptr;
  wxChoice* decimals_ = nullptr;
  wxRadioButton* continuous_ = nullptr;
  wxRadioButton* unique_ = nullptr;
  wxSpinCtrl* classes_ = nullptr;
  wxStaticText* low_ = nullptr;
  wxStaticText* high_ = nullptr;
};

// The legend creator over the visible theme's legend in the current area; on OK the map,
// the tree and the legend window follow and the project is marked modified. False when
// there is no visible theme or legend, or the user cancelled.
bool EditVisibleLegend(wxWindow* parent, CPVN4Doc& doc);

}  // namespace views::ui
