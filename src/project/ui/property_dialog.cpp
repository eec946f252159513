#include "project/ui/property_dialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "project/document.h"

namespace project::ui {

CProjectPropertyDialog::CProjectPropertyDialog(wxWindow* parent, CPVN4Doc& doc, CPyrvane2WorkArea* area)
    : wxDialog(parent, wxID_ANY, "Project Properties"),
      texts_(MakePropertyTexts(doc, area)) {
  struct Field {
    const char* label;
    int id;
    int width;  // dialog units
    const std::string& text;
  };
  // Rows of fields in the classic arrangement: the path, the latitude, then two blocks of
  // two columns (the edges, the cell sizes and counts).
  const std::string none;
  const std::vector<std::vector<Field>> rows = {
      {{"Landscape File:", kPathEdit, 163, none}},
      {{"Latitude:", kLatitudeEdit, 31, texts_.latitude}},
      {{"UTM North:", kNorthEdit, 53, texts_.north},
       {"UTM East:", kEastEdit, 53, texts_.east},
       {"UTM South:", kSouthEdit, 53, texts_.south},
       {"UTM West:", kWestEdit, 53, texts_.west}},
      {{"Cell Res X:", kCellSizeXEdit, 44, texts_.cellSizeX},
       {"Num Cells East:", kCellsEastEdit, 44, texts_.cellsEast},
       {"Cell Res Y:", kCellSizeYEdit, 44, texts_.cellSizeY},
       {"Num Cells North:", kCellsNorthEdit, 44, texts_.cellsNorth}},
  };
  auto* all = new wxBoxSizer(wxVERTICAL);
  for (const auto& row : rows) {
    auto* block = new wxFlexGridSizer(row.size() > 1 ? 4 : 2, 4, 8);
    for (const Field& f : row) AddField(block, f.label, f.id, f.width, f.text);
    all->Add(block, 0, wxLEFT | wxRIGHT | wxTOP, 10);
  }
  path_ = wxStaticCast(FindWindow(kPathEdit), wxTextCtrl);

  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  all->Add(ok, 0, wxALIGN_CENTER | wxALL, 10);
  SetSizer(all);
  if (!texts_.caption.empty()) SetTitle(wxString::FromUTF8(texts_.caption));
  FitFields();
  CentreOnParent();
  // The toolkit knows a field's true margins only once the window is realised.
  Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
    e.Skip();
    if (e.IsShown() && !refitted_) {
      refitted_ = true;
      FitFields();
      CentreOnParent();
    }
  });
}

void CProjectPropertyDialog::AddField(wxSizer* sizer, const char* label, int id,
                                       int widthDialogUnits, const std::string& text) {
  sizer->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  auto* edit = new wxTextCtrl(this, id, wxString::FromUTF8(text), wxDefaultPosition,
                              wxDefaultSize, wxTE_READONLY);
  sizer->Add(edit, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  fields_.push_back({edit, widthDialogUnits});
}

void CProjectPropertyDialog::FitFields() {
  // The classic widths, widened where this toolkit's font would cut a figure off.
  for (const auto& [edit, dialogUnits] : fields_) {
    int width = ConvertDialogToPixels(wxSize(dialogUnits, 0)).x;
    if (edit != path_ && !edit->IsEmpty())
      width = std::max(width, edit->GetSizeFromTextSize(edit->GetTextExtent(edit->GetValue()).x).x);
    edit->SetMinSize(wxSize(width, -1));
  }
  GetSizer()->SetSizeHints(this);
  Layout();
  ShowPath();
}

void CProjectPropertyDialog::ShowPath() {
  // The room for text is the control's width less what the control adds around a text.
  const int width = path_->GetMinSize().x;
  int room = width - path_->GetSizeFromTextSize(0).x;
  if (room <= 0) room = width - 12;
  const std::string shown = CompactPath(texts_.path, room, [this](const std::string& s) {
    return static_cast<double>(path_->GetTextExtent(wxString::FromUTF8(s)).x);
  });
  path_->ChangeValue(wxString::FromUTF8(shown));
}

namespace {

void Show(wxWindow* parent, CPVN4Doc& doc, CPyrvane2WorkArea* area) {
  CProjectPropertyDialog dialog(parent, doc, area);
  dialog.ShowModal();
}

}  // namespace

void ShowProjectProperties(wxWindow* parent, CPVN4Doc& doc) { Show(parent, doc, nullptr); }

void ShowAreaProperties(wxWindow* parent, CPVN4Doc& doc) { Show(parent, doc, doc.currentArea); }

}  // namespace project::ui
