#pragma once
// The project's legend window: the visible theme's classes, a sample per visible vector
// theme, the display units of the legend, and "Save as..." of its picture. One per project,
// hidden rather than closed; rebuilt whenever the project changes.
#include <wx/dialog.h>

#include <string>
#include <vector>

#include "project/document.h"
#include "views/legend_picture.h"

class wxButton;
class wxChoice;
class wxScrolledWindow;
class wxStaticBitmap;

namespace views::ui {

class CLegendDialog : public wxDialog, public DocumentObserver {
 public:
  static constexpr int kSaveAs = 32894;

  CLegendDialog(wxWindow* parent, CPVN4Doc& doc);
  ~CLegendDialog() override;

  // View > Legend: creates the project's window, or hides a shown one and shows a hidden one.
  static void OnViewLegend(wxWindow* parent, CPVN4Doc& doc);
  // The project's window, or null.
  static CLegendDialog* Of(const CPVN4Doc& doc);
  // Enabled with a current area and a visible raster theme; checked while shown.
  static bool IsViewLegendEnabled(const CPVN4Doc& doc);
  static bool IsViewLegendChecked(const CPVN4Doc& doc);

  void UpdateLegend();
  // Every change of the project reaches the window, once the change is complete.
  void OnUpdate(CPVN4Doc& doc, int hint) override;
  void OnDocumentDestroyed(CPVN4Doc& doc) override;
  const LegendContent& Content() const { return content_; }
  const LegendRowsLayout& Layout() const { return layout_; }
  wxChoice* Units() const { return units_; }
  wxButton* ThemeButton() const { return themeButton_; }
  wxWindow* Rows() const;
  // A button per visible vector theme, then per visible contour theme: each opens the
  // theme's properties.
  const std::vector<wxButton*>& OverlayButtons() const { return overlayButtons_; }
  void OnOverlayButton(std::size_t index);
  // Writes the picture; the format follows the extension. False, with the reason told, when
  // it cannot be written.
  bool SaveAs(const std::string& path);
  // The context menu's command: asks for a file, then saves.
  void OnSaveAs();
  // A double-click at a point of the rows: an arrow theme's column opens its legend creator,
  // anywhere else the visible theme's.
  void OnDoubleClick(wxPoint atRows);

 private:
  void OnUnitsChanged();
  void PlaceFirstTime();

  CPVN4Doc& doc_;
  bool docGone_ = false;
  wxButton* themeButton_ = nullptr;
  wxChoice* units_ = nullptr;
  wxScrolledWindow* rows_ = nullptr;
  wxStaticBitmap* picture_ = nullptr;
  std::vector<wxButton*> overlayButtons_;
  bool updatePending_ = false;
  LegendContent content_;
  LegendRowsLayout layout_;
};

}  // namespace views::ui
