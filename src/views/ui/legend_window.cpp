#include "views/ui/legend_window.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/display.h>
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
#include "themes/contour_theme.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/ui/overlay_dialogs.h"
#include "themes/vector_theme.h"
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
  PlaceFirstTime();
}

void CLegendDialog::PlaceFirstTime() {
  const PanePlacement& saved = doc_.legendPlacement;
  if (saved.right > saved.left && saved.bottom > saved.top) {
    SetSize(static_cast<int>(saved.left), static_cast<int>(saved.top), static_cast<int>(saved.right - saved.left),
            static_cast<int>(saved.bottom - saved.top));
    return;
  }
  // Tall enough for every class (within the screen), and beside the other projects' legend
  // windows rather than on top of them.
  Layout();
  const int display = wxDisplay::GetFromWindow(GetParent() ? GetParent() : this);
  const wxRect screen = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
  const wxSize client = GetClientSize(), rows = rows_->GetClientSize(), virt = rows_->GetVirtualSize();
  const wxSize extra(std::max(0, virt.x - rows.x) + 24, std::max(0, virt.y - rows.y) + 8);
  SetClientSize(std::min(client.x + extra.x, screen.width * 2 / 3), std::min(client.y + extra.y, screen.height * 9 / 10));
  int others = 0;
  for (const auto& [doc, window] : Registry())
    if (window != this) ++others;
  wxPoint at = GetParent() ? GetParent()->GetScreenRect().GetTopRight() : screen.GetTopRight();
  at.x -= GetSize().x + 24 + 40 * others;
  at.y += 80 + 40 * others;
  at.x = std::clamp(at.x, screen.x, std::max(screen.x, screen.GetRight() - GetSize().x));
  at.y = std::clamp(at.y, screen.y, std::max(screen.y, screen.GetBottom() - GetSize().y));
  Move(at);
}

CLegendDialog::~CLegendDialog() {
  auto it = Registry().find(&doc_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  if (docGone_) return;
  doc_.RemoveObserver(this);
  doc_.windows.updateLegend = nullptr;
}

void CLegendDialog::OnUpdate(CPVN4Doc&, int) {
  if (updatePending_ || docGone_) return;
  updatePending_ = true;
  CallAfter([this] {
    updatePending_ = false;
    if (!docGone_) UpdateLegend();
  });
}

void CLegendDialog::OnDocumentDestroyed(CPVN4Doc&) {
  // The project has gone: so does its legend, without touching the project again.
  docGone_ = true;
  auto it = Registry().find(&doc_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  Destroy();
}

wxWindow* CLegendDialog::Rows() const { return rows_; }

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
  // The caption follows the project's name (Save As renames it).
  const wxString caption = wxString::FromUTF8(doc_.title + " Legend");
  if (GetTitle() != caption) SetTitle(caption);
  content_ = CollectLegend(doc_);
  for (wxButton* b : overlayButtons_) b->Destroy();
  overlayButtons_.clear();
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
  // The vector and contour titles are buttons over the picture, each opening its properties.
  LegendBox title;
  std::vector<std::string> names;
  for (const LegendVectorSample& v : content_.vectors) names.push_back(v.name);
  for (const LegendContourSample& t : content_.contours) names.push_back(t.name);
  wxFont bold = themeButton_->GetFont();
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto* b = new wxButton(rows_, wxID_ANY, wxString::FromUTF8(names[i]));
    b->SetFont(bold);
    b->InvalidateBestSize();
    b->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { CallAfter([this, i] { OnOverlayButton(i); }); });
    // The toolkit may not have taken the bold font into its size yet: the text decides too.
    const wxSize best = b->GetBestSize();
    title.width = std::max({title.width, best.x, b->GetTextExtent(b->GetLabel()).x + 2 * best.y});
    title.height = std::max(title.height, best.y);
    overlayButtons_.push_back(b);
  }
  const platform::Image image = DrawLegendRows(content_, &layout_, title);
  picture_->SetBitmap(ToBitmap(image));
  picture_->SetSize(image.Width(), image.Height());
  for (std::size_t i = 0; i < overlayButtons_.size() && i < layout_.titles.size(); ++i) {
    const LegendBox& box = layout_.titles[i];
    overlayButtons_[i]->SetSize(box.x, box.y, box.width, box.height);
  }
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

void CLegendDialog::OnOverlayButton(std::size_t index) {
  // The theme is looked up in the project again: it may have gone since the rows were made.
  auto held = [](const auto& list, const void* theme) {
    for (const auto& t : list)
      if (t.get() == theme) return true;
    return false;
  };
  bool changed = false;
  if (index < content_.vectors.size()) {
    CVectorTheme* theme = content_.vectors[index].theme;
    auto dialog = held(doc_.vectorThemes, theme) ? themes::ui::MakeVectorPropertiesDialog(this, *theme) : nullptr;
    changed = dialog && dialog->ShowModal() == wxID_OK;
  } else if (index - content_.vectors.size() < content_.contours.size()) {
    if (CContourTheme* contour = content_.contours[index - content_.vectors.size()].theme;
        held(doc_.contourThemes, contour)) {
      themes::ui::CContourPropertiesDialog dialog(this, *contour);
      changed = dialog.ShowModal() == wxID_OK;
    }
  }
  if (changed) doc_.NotifyChanged();
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
