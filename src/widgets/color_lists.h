#pragma once
// Owner-drawn lists of single colours and of colour ramps, and the combo that picks a ramp.
#include <wx/odcombo.h>
#include <wx/vlbox.h>

#include <memory>
#include <vector>

#include "themes/color_ramp.h"

namespace widgets {

wxColour ToWxColour(COLORREF color);

constexpr int kColorItemHeight = 16;

// Strip i of a ramp of n colours inside an item: neighbouring strips overlap by one pixel
// and the top row is left to the frame.
wxRect RampStripRect(const wxRect& item, int n, int i);

// Item painters of the controls below. A ramp without colours (or none at all) paints
// nothing inside the frame, except in the combo, where a ramp without colours reads "Random".
void DrawColorItem(wxDC& dc, const wxRect& rect, COLORREF color, bool selected);
void DrawRampListItem(wxDC& dc, const wxRect& rect, const CColorRamp* ramp, bool selected);
void DrawRampComboItem(wxDC& dc, const wxRect& rect, const CColorRamp* ramp, bool selected);

// The colours of one ramp being edited.
class CColorListBox : public wxVListBox {
 public:
  CColorListBox(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0);

  int AddColor(COLORREF color);
  void InsertColor(int n, COLORREF color);
  void SetColor(int n, COLORREF color);
  COLORREF GetColor(int n) const { return colors_.at(static_cast<std::size_t>(n)); }
  const std::vector<COLORREF>& Colors() const { return colors_; }
  void DeleteItem(int n);
  void Clear();

 protected:
  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
  void OnDrawBackground(wxDC&, const wxRect&, size_t) const override {}  // items fill themselves
  wxCoord OnMeasureItem(size_t) const override { return kColorItemHeight; }

 private:
  void Recount();
  std::vector<COLORREF> colors_;
};

// A list of ramps that owns them: deleting an item (or emptying or destroying the list)
// deletes its ramp.
class CColorRampListBox : public wxVListBox {
 public:
  CColorRampListBox(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize, long style = 0);

  int AddRamp(std::unique_ptr<CColorRamp> ramp);
  CColorRamp* GetRamp(int n) const;
  void DeleteItem(int n);
  void Clear();
  int GetCount() const { return static_cast<int>(ramps_.size()); }

 protected:
  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
  void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override;
  wxCoord OnMeasureItem(size_t) const override { return kColorItemHeight; }

 private:
  void Recount();
  std::vector<std::unique_ptr<CColorRamp>> ramps_;
};

// Picks one of the program's ramps; the ramps belong to the caller and must outlive it.
class CColorRampCombo : public wxOwnerDrawnComboBox {
 public:
  CColorRampCombo(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxCB_READONLY);

  int AddRamp(const CColorRamp* ramp);
  const CColorRamp* GetRamp(int n) const;

 protected:
  void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
  wxCoord OnMeasureItem(size_t) const override { return kColorItemHeight; }
};

}  // namespace widgets
