#pragma once
// "Point Attributes": the modeless window listing every raster layer's value at one map
// point of an analysis area, the landscape's grid themes on the first tab and each run's
// outputs on a tab of its own. One per project; closing hides it.
#include <wx/dialog.h>

#include <vector>

#include "project/document.h"

class wxNotebook;
class wxStaticText;

namespace widgets {
class TableGridWindow;
}

namespace views::ui {

class CPointDialog : public wxDialog, public DocumentObserver {
 public:
  CPointDialog(wxWindow* parent, CPVN4Doc& doc, CPyrvane2WorkArea* area, double x, double y);
  ~CPointDialog() override;

  // The Point Attributes command: the window of the document at the map's identify point,
  // made or refilled, and shown. Nothing without a current analysis area.
  static void OnPointAttributes(wxWindow* parent, CPVN4Doc& doc, double x, double y);
  static CPointDialog* Of(const CPVN4Doc& doc);

  // Tabs and tables made again for the window's area and point.
  void Rebuild();
  // The value and units texts of every table for the current point.
  void FillValues();
  void UpdateCoordinates();

  CPyrvane2WorkArea* Area() const { return area_; }
  int SelectedTab() const { return selectedTab_; }
  wxNotebook* Tabs() const { return tabs_; }
  int TableCount() const { return static_cast<int>(tables_.size()); }
  widgets::TableGridWindow* Table(int i) const { return tables_[static_cast<std::size_t>(i)]; }
  std::string XText() const;
  std::string YText() const;

  // DocumentObserver: an area being deleted is not used again; the window turns to the
  // current area (or to none).
  void OnRemoving(CPVN4Doc& doc, const void* object) override;
  void OnDocumentDestroyed(CPVN4Doc& doc) override;

 private:
  void SetUpTable(widgets::TableGridWindow& table, std::size_t rows, bool landscape);

  CPVN4Doc& doc_;
  CPyrvane2WorkArea* area_;
  double x_, y_;
  int selectedTab_ = 0;
  bool docGone_ = false;
  wxStaticText* xText_ = nullptr;
  wxStaticText* yText_ = nullptr;
  wxNotebook* tabs_ = nullptr;
  std::vector<widgets::TableGridWindow*> tables_;  // owned by their tab pages
};

}  // namespace views::ui
