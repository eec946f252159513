#include "views/ui/legend_window.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <map>

#include "app/unit_tables.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/ui/wx_image.h"
#include "project/document.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "views/ui/legend_creator_dialog.h"
#include "views/ui/wv_legend_creator_dialog.h"

namespace views::ui {

namespace {

std::map<const CPVN4Doc*, CLegendDialog*>& Registry() {
  static std::map<const CPVN4Doc*, CLegendDialog*> windows;
  return windows;
}

wxBitmap ToBitmap(const platform::Image& image) {
  const int w = image.Width(), h = image.Height();
  std::vector<std::uint8_t> rgba = image.ToRgbaBytes();
  wxImage img(w, h);
  unsigned char* rgb = img.GetData();
  for (std::size_t i = 0; i < static_cast<std::size_t>(w) * h; ++i)
    for (int k = 0; k < 3; ++k) rgb[i * 3 + k] = rgba[i * 4 + k];
  return wxBitmap(img);
}

}  // namespace

CLegendDialog::CLegendDialog(wxWindow* parent, CPVN4Doc& doc)
    : wxDialog(parent, wxID_ANY, "Legend", wxDefaultPosition, wxSize(270, 360),
               wxCAPTION | wxSYSTEM_MENU | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX |
                   wxFRAME_TOOL_WINDOW),
      doc_(doc) {
  Registry()[&doc_] = this;
  auto* top = new wxBoxSizer(wxVERTICAL);
  themeButton_ = new wxButton(this, 1060, "");
  wxFont bold = themeButton_->GetFont();
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  themeButton_->SetFont(bold);
  top->Add(themeButton_, 0, wxEXPAND | wxALL, 2);
  auto* unitsRow = new wxBoxSizer(wxHORIZONTAL);
  unitsRow->Add(new wxStaticText(this, 1004, "Units:"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 2);
  units_ = new wxChoice(this, 1092);
  unitsRow->Add(units_, 1, wxALL, 2);
  top->Add(unitsRow, 0, wxEXPAND);
  rows_ = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL);
  rows_->SetScrollRate(8, 8);
  picture_ = new wxStaticBitmap(rows_, wxID_ANY, wxNullBitmap, wxPoint(0, 0));
  top->Add(rows_, 1, wxEXPAND);
  SetSizer(top);

  units_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnUnitsChanged(); });
  // The theme's button and a double-click on its classes open the legend creator.
  themeButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EditVisibleLegend(this, doc_); });
  themeButton_->SetToolTip("Edit the legend");
  Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent&) { EditVisibleLegend(this, doc_); });
  picture_->Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& e) { OnDoubleClick(e.GetPosition()); });
  rows_->Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& e) { OnDoubleClick(rows_->CalcUnscrolledPosition(e.GetPosition())); });
  auto menu = [this](wxMouseEvent& e) {
    wxMenu popup;
    popup.Append(kSaveAs, "Save as...");
    wxWindow* source = dynamic_cast<wxWindow*>(e.GetEventObject());
    const wxPoint at = ScreenToClient(source ? source->ClientToScreen(e.GetPosition()) : e.GetPosition());
    if (GetPopupMenuSelectionFromUser(popup, at) == kSaveAs) OnSaveAs();
  };
  for (wxWindow* w : {static_cast<wxWindow*>(this), static_cast<wxWindow*>(rows_), static_cast<wxWindow*>(picture_)})
    w->Bind(wxEVT_RIGHT_DOWN, menu);
  // Closing only hides: the window and its content stay for the next View > Legend.
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
    if (e.CanVeto()) {
      Hide();
      e.Veto();
    } else {
      e.Skip();
    }
  });

  doc_.windows.updateLegend = [this] { UpdateLegend(); };
  doc_.AddObserver(this);
  UpdateLegend();
  SetTitle(wxString::FromUTF8(doc_.title + " Legend"));
}

CLegendDialog::~CLegendDialog() {
  auto it = Registry().find(&doc_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  if (docGone_) return;
  doc_.RemoveObserver(this);
  doc_.windows.updateLegend = nullptr;
}

void CLegendDialog::OnDocumentDestroyed(CPVN4Doc&) {
  // The project has gone: so does its legend, without touching the project again.
  docGone_ = true;
  auto it = Registry().find(&doc_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  Destroy();
}

CLegendDialog* CLegendDialog::Of(const CPVN4Doc& doc) {
  auto it = Registry().find(&doc);
  return it == Registry().end() ? nullptr : it->second;
}

bool CLegendDialog::IsViewLegendEnabled(const CPVN4Doc& doc) { return doc.currentArea && doc.GetVisibleTheme(); }

bool CLegendDialog::IsViewLegendChecked(const CPVN4Doc& doc) {
  const CLegendDialog* w = Of(doc);
  return w && w->IsShown();
}

void CLegendDialog::OnViewLegend(wxWindow* parent, CPVN4Doc& doc) {
  if (CLegendDialog* w = Of(doc)) {
    if (w->IsShown()) {
      w->Hide();
    } else {
      w->Show();
      w->Raise();
    }
    return;
  }
  auto* w = new CLegendDialog(parent, doc);
  w->Show();
}

void CLegendDialog::UpdateLegend() {
  content_ = CollectLegend(doc_);
  const CTheme* theme = doc_.GetVisibleTheme();
  const CThemeLegendData* legend = doc_.GetVisibleThemeLegend();
  if (content_.empty || !theme || !legend) {
    // Nothing to explain: the rows go, the button and units stay as they were.
    picture_->SetBitmap(wxNullBitmap);
    rows_->SetVirtualSize(1, 1);
    rows_->Scroll(0, 0);
    themeButton_->Disable();
    return;
  }
  themeButton_->Enable();
  themeButton_->SetLabel(wxString::FromUTF8(content_.themeName));
  units_->Clear();
  const std::vector<int> codes = GetLayerTypeUnits(theme->layerType);
  for (std::size_t i = 0; i < codes.size(); ++i) units_->Append(wxString::FromUTF8(GetUnitName(codes[i])));
  if (legend->GetUnits() >= 0 && legend->GetUnits() < static_cast<int>(codes.size()))
    units_->SetSelection(legend->GetUnits());
  const platform::Image image = DrawLegendRows(content_, &layout_);
  picture_->SetBitmap(ToBitmap(image));
  picture_->SetSize(image.Width(), image.Height());
  rows_->SetVirtualSize(image.Width(), image.Height());
  rows_->Scroll(0, 0);
  rows_->Refresh();
}

void CLegendDialog::OnDoubleClick(wxPoint at) {
  for (std::size_t i = content_.arrows.size(); i-- > 0;)
    if (i < layout_.arrowColumnLefts.size() && at.x >= layout_.arrowColumnLefts[i]) {
      if (content_.arrows[i].theme) EditWindVectorLegend(GetParent() ? GetParent() : this, doc_, *content_.arrows[i].theme);
      return;
    }
  EditVisibleLegend(this, doc_);
}

void CLegendDialog::OnUnitsChanged() {
  CThemeLegendData* legend = doc_.GetVisibleThemeLegend();
  const int index = units_->GetSelection();
  if (!legend || index == wxNOT_FOUND) return;
  // The labels follow at once; the map and the project's modified flag are left alone.
  legend->ChangeUnits(index);
  UpdateLegend();
}

bool CLegendDialog::SaveAs(const std::string& path) {
  const LegendContent content = CollectLegend(doc_);
  if (content.empty) return false;
  const platform::Image picture = DrawLegendPicture(content);
  const std::string ext = platform::Extension(path);
  const bool png = platform::HasExtension(path, ".png");
  if (png ? picture.SavePng(path) : platform::ui::SaveImageFile(picture, path)) return true;
  platform::Tell("The legend could not be saved as \"" + path + "\": " +
                 (png ? std::string("the file could not be written.")
                      : std::string("the file could not be written, or no image format has the extension \"" + ext +
                                    "\".")));
  return false;
}

void CLegendDialog::OnSaveAs() {
  if (CollectLegend(doc_).empty) return;
  platform::FileDialogOptions options;
  options.filter = "Bitmap (*.bmp)|*.bmp|PNG (*.png)|*.png|JPEG (*.jpg)|*.jpg;*.jpeg|TIFF (*.tif)|*.tif;*.tiff||";
  options.defaultExt = "bmp";
  options.overwritePrompt = true;
  std::optional<std::string> path = platform::CurrentDialogs().ChooseSaveFile(options);
  if (path) SaveAs(*path);
}

}  // namespace views::ui
