#include "views/ui/legend_creator_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <wx/menu.h>

#include "app/application.h"
#include "app/command_rules.h"
#include "app/preference_records.h"
#include "app/unit_tables.h"
#include "themes/ui/color_ramp_dialogs.h"
#include "views/ui/wv_legend_creator_dialog.h"
#include "widgets/color_lists.h"
#include "project/document.h"
#include "themes/theme.h"
#include "views/legend_table.h"
#include "widgets/table_grid_window.h"

namespace views::ui {

CLegendCreatorDialog::CLegendCreatorDialog(wxWindow* parent, CTheme& theme, CThemeLegendData& legend,
                                           const CPyrvane2WorkArea* area)
    : wxDialog(parent, wxID_ANY, "Create/Modify Legend", wxDefaultPosition, wxSize(620, 620),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* head = new wxFlexGridSizer(4, 4, 4);
  head->Add(new wxStaticText(this, wxID_ANY, "Theme:"), 0, wxALIGN_CENTER_VERTICAL);
  head->Add(new wxStaticText(this, 1018, wxString::FromUTF8(theme.name), wxDefaultPosition, wxDefaultSize,
                             wxBORDER_SUNKEN),
            0, wxEXPAND);
  head->Add(new wxStaticText(this, wxID_ANY, "Data Range"), 0, wxALIGN_CENTER_VERTICAL);
  auto* range = new wxBoxSizer(wxHORIZONTAL);
  low_ = new wxStaticText(this, 1131, "low");
  high_ = new wxStaticText(this, 1132, "high");
  range->Add(low_);
  range->Add(new wxStaticText(this, wxID_ANY, " - "));
  range->Add(high_);
  head->Add(range, 0, wxALIGN_CENTER_VERTICAL);
  head->Add(new wxStaticText(this, wxID_ANY, "Units:"), 0, wxALIGN_CENTER_VERTICAL);
  units_ = new wxChoice(this, 1091);
  for (int code : GetLayerTypeUnits(theme.layerType)) units_->Append(wxString::FromUTF8(GetUnitName(code)));
  head->Add(units_, 0, wxEXPAND);
  head->Add(new wxStaticText(this, wxID_ANY, "Decimal Places:"), 0, wxALIGN_CENTER_VERTICAL);
  decimals_ = new wxChoice(this, 1101);
  for (int d = 0; d <= 9; ++d) decimals_->Append(std::to_string(d));
  head->Add(decimals_);
  top->Add(head, 0, wxALL, 6);

  auto* kind = new wxStaticBoxSizer(wxHORIZONTAL, this, "Variable Type");
  continuous_ = new wxRadioButton(kind->GetStaticBox(), 1012, "Continuous Scale", wxDefaultPosition, wxDefaultSize,
                                  wxRB_GROUP);
  unique_ = new wxRadioButton(kind->GetStaticBox(), 1013, "Unique Values");
  kind->Add(continuous_, 0, wxALL, 3);
  kind->Add(unique_, 0, wxALL, 3);
  kind->AddSpacer(12);
  kind->Add(new wxStaticText(kind->GetStaticBox(), wxID_ANY, "Number of Classes:"), 0, wxALIGN_CENTER_VERTICAL);
  classes_ = new wxSpinCtrl(kind->GetStaticBox(), 1016, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 2, 100);
  kind->Add(classes_, 0, wxALL, 3);
  auto* apply = new wxButton(kind->GetStaticBox(), 1023, "Apply");
  kind->Add(apply, 0, wxALL, 3);
  top->Add(kind, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

  auto* choices = new wxFlexGridSizer(3, 4, 4);
  choices->Add(new wxStaticText(this, wxID_ANY, "Color Ramp:"), 0, wxALIGN_CENTER_VERTICAL);
  ramps = new widgets::CColorRampCombo(this, 1111, wxDefaultPosition, wxSize(260, -1));
  for (const auto& r : GetApp().colorRamps) ramps->AddRamp(r.get());
  choices->Add(ramps);
  choices->Add(new wxButton(this, 1024, "Apply"));
  choices->Add(new wxStaticText(this, wxID_ANY, "Predefined Legend:"), 0, wxALIGN_CENTER_VERTICAL);
  predefined = new wxChoice(this, 1123, wxDefaultPosition, wxSize(260, -1));
  choices->Add(predefined);
  choices->Add(new wxButton(this, 1025, "Apply"));
  top->Add(choices, 0, wxALL, 6);

  auto* middle = new wxBoxSizer(wxHORIZONTAL);
  table_ = new widgets::TableGridWindow(this, 1015, wxDefaultPosition, wxSize(420, 320));
  middle->Add(table_, 1, wxEXPAND | wxALL, 6);
  auto* rowButtons = new wxBoxSizer(wxVERTICAL);
  struct RowButton {
    int id;
    const char* label;
  };
  for (const RowButton& b : {RowButton{1129, "Insert Class"}, RowButton{1126, "Append Class"},
                             RowButton{1127, "Delete Class"}, RowButton{1128, "Sort Classes"},
                             RowButton{1421, "Compact"}})
    rowButtons->Add(new wxButton(this, b.id, b.label), 0, wxEXPAND | wxBOTTOM, 4);
  middle->Add(rowButtons, 0, wxTOP | wxRIGHT, 6);
  top->Add(middle, 1, wxEXPAND);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALL, 4);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
  buttons->Add(new wxButton(this, 1098, "Save As..."), 0, wxALL, 4);
  buttons->Add(new wxButton(this, 1097, "Help"), 0, wxALL, 4);
  top->Add(buttons, 0, wxALIGN_CENTER);
  SetSizer(top);
  // At least as large as every row needs: the classes' spinner and its Apply stay whole.
  const wxSize needed = GetBestSize();
  SetSize(std::max(GetSize().x, needed.x), std::max(GetSize().y, needed.y));
  SetMinSize(needed);
  Layout();

  creator_ = std::make_unique<CLegendCreator>(theme, legend, area, table_->Grid());
  creator_->Init();
  const int cellWidth = std::max(40, table_->GetClientSize().x / 3 - 4);
  for (int c = 0; c < 3; ++c) table_->Grid().SetColumnWidth(c, cellWidth);
  table_->SetOwner(this);
  FillPredefined(-1);
  ShowSettings();
  unique_->Enable(creator_->CanUseUniqueValues());
  Sync();
  opened_ = Contents();
  menuChooser = [this](wxMenu& menu, wxPoint at) {
    const int chosen = GetPopupMenuSelectionFromUser(menu, at);
    return chosen == wxID_NONE ? 0 : app::CommandForMenuId(chosen);
  };
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApplyRamp(); }, 1024);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApplyPredefined(); }, 1025);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSaveAs(); }, 1098);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(43); }, 1097);

  apply->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApplyClasses(); });
  continuous_->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { creator_->SetUniqueValues(false); });
  unique_->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
    if (creator_->ApplyUniqueValues()) classes_->SetValue(std::clamp(creator_->Classes(), 2, 100));
    else continuous_->SetValue(!creator_->UniqueValues());
    Sync();
  });
  auto unitsChanged = [this](wxCommandEvent&) {
    creator_->ChangeUnitsOrDecimals(units_->GetSelection(), decimals_->GetSelection());
    Sync();
  };
  units_->Bind(wxEVT_CHOICE, unitsChanged);
  decimals_->Bind(wxEVT_CHOICE, unitsChanged);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->InsertClass(); Sync(); }, 1129);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->AppendClass(); Sync(); }, 1126);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->DeleteClass(); Sync(); }, 1127);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->SortClasses(); Sync(); }, 1128);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->Compact(); Sync(); }, 1421);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnCancel(); });
}

CLegendCreatorDialog::~CLegendCreatorDialog() {
  if (table_) table_->SetOwner(nullptr);
}

void CLegendCreatorDialog::Sync() {
  low_->SetLabel(wxString::FromUTF8(creator_->LowText()));
  high_->SetLabel(wxString::FromUTF8(creator_->HighText()));
  table_->Grid().Refresh();
  table_->Refresh();
}

void CLegendCreatorDialog::ShowSettings() {
  units_->SetSelection(creator_->Units());
  decimals_->SetSelection(creator_->Decimals());
  classes_->SetValue(std::clamp(creator_->Classes(), 2, 100));
  (creator_->UniqueValues() ? unique_ : continuous_)->SetValue(true);
}

void CLegendCreatorDialog::FillPredefined(int select) {
  predefined->Clear();
  for (const auto& p : GetApp().predefinedLegends)
    if (p->layerType == creator_->LayerType()) predefined->Append(wxString::FromUTF8(p->name), p.get());
  if (select >= 0) predefined->SetSelection(select);
}

void CLegendCreatorDialog::OnApplyRamp() {
  creator_->ApplyRamp(ramps->GetRamp(ramps->GetSelection()));
  Sync();
}

void CLegendCreatorDialog::OnApplyPredefined() {
  const int n = predefined->GetSelection();
  const auto* p = n < 0 ? nullptr : static_cast<const CPredefinedThemeLegend*>(predefined->GetClientData(n));
  if (!creator_->ApplyPredefined(p)) return;
  ShowSettings();
  Sync();
}

void CLegendCreatorDialog::OnSaveAs() {
  table_->Grid().EndEditing();
  if (!creator_->CheckAscending()) return;
  if (SavePredefinedLegend(this, GetApp().predefinedLegends,
                           [this](const std::string& name) { return creator_->MakePredefined(name); }))
    FillPredefined(static_cast<int>(predefined->GetCount()));
}

void CLegendCreatorDialog::OnTableRightClick(int row, int col) {
  COLORREF start = 0, end = 0;
  if (col != 1 || row < 1 || !creator_->SelectedColourEnds(start, end)) return;
  wxMenu menu;
  menu.Append(app::MenuIdFor(kCmdColourAutoRamp), "&Auto Ramp");
  menu.Append(app::MenuIdFor(kCmdColourDefineRamp), "&Define Ramp");
  if (const int command = ChooseFromTableMenu(this, table_, row, col, menu, menuChooser)) OnMenuCommand(command);
}

void CLegendCreatorDialog::OnMenuCommand(int command) {
  COLORREF start = 0, end = 0;
  if (!creator_->SelectedColourEnds(start, end)) return;
  if (command == kCmdColourDefineRamp) {
    if (!DefineColourRamp(this, start, end)) return;
  } else if (command != kCmdColourAutoRamp) {
    return;
  }
  creator_->RampColours(start, end);
  Sync();
}

void CLegendCreatorDialog::OnApplyClasses() {
  if (creator_->ApplyClasses(classes_->GetValue())) continuous_->SetValue(true);
  Sync();
}

void CLegendCreatorDialog::OnOK() {
  table_->Grid().EndEditing();
  if (!creator_->Commit()) return;
  if (IsModal()) EndModal(wxID_OK);
}

std::string CLegendCreatorDialog::Contents() const {
  return TableContents(table_->Grid()) + std::to_string(units_->GetSelection()) + "/" +
         std::to_string(decimals_->GetSelection()) + "/" + std::to_string(unique_->GetValue());
}

void CLegendCreatorDialog::OnCancel() {
  table_->Grid().EndEditing();
  if (Contents() != opened_) {
    const platform::Answer a = AskBeforeDroppingLegend();
    if (a == platform::Answer::Cancel) return;
    if (a == platform::Answer::Yes) return OnOK();
  }
  creator_->Cancel();
  if (IsModal()) EndModal(wxID_CANCEL);
}

long CLegendCreatorDialog::OnGridNotify(const gridmodel::GridNotify& n) {
  // A value typed in: the counts follow.
  if (n.code == gridmodel::kNotifyEndEdit && n.col == 0) CallAfter([this] {
      creator_->CountFrequencies();
      Sync();
    });
  if (n.code == gridmodel::kNotifyRClick) CallAfter([this, row = n.row, col = n.col] { OnTableRightClick(row, col); });
  return 0;
}

CGetLegendNameDialog::CGetLegendNameDialog(wxWindow* parent, std::vector<std::string> existing)
    : wxDialog(parent, wxID_ANY, "Enter Legend Name"), existing_(std::move(existing)) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(new wxStaticText(this, wxID_ANY, "Enter a name for the predefined legend:"), 0, wxALL, 8);
  edit = new wxTextCtrl(this, 1025, "", wxDefaultPosition, wxSize(280, -1), wxTE_PROCESS_ENTER);
  top->Add(edit, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  buttons->Add(ok, 0, wxALL, 4);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
  top->Add(buttons, 0, wxALIGN_CENTER | wxALL, 4);
  SetSizerAndFit(top);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  // Enter in the name confirms it, as OK does.
  edit->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnOK(); });
  edit->SetFocus();
}

void CGetLegendNameDialog::OnOK() {
  std::string typed = edit->GetValue().utf8_string();
  if (!AcceptLegendName(typed, existing_)) return;
  name = typed;
  if (IsModal()) EndModal(wxID_OK);
}

std::string TableContents(const gridmodel::CGridCtrl& grid) {
  std::string s;
  for (int r = 0; r < grid.GetRowCount(); ++r)
    for (int c = 0; c < grid.GetColumnCount(); ++c)
      s += grid.GetItemText(r, c) + '\t' + std::to_string(grid.GetItemBkColour(r, c).Ref()) + '\n';
  return s;
}

platform::Answer AskBeforeDroppingLegend() {
  return platform::AskYesNoCancel("Data has changed. Would you like to save your changes?");
}

int ChooseFromTableMenu(wxWindow* dialog, widgets::TableGridWindow* table, int row, int col, wxMenu& menu,
                        const std::function<int(wxMenu&, wxPoint)>& chooser) {
  gridmodel::Rect r;
  table->Grid().GetCellRect(row, col, r);
  const wxPoint at = dialog->ScreenToClient(table->ClientToScreen(wxPoint(r.left, r.top)));
  return chooser ? chooser(menu, at) : 0;
}

bool DefineColourRamp(wxWindow* parent, COLORREF& start, COLORREF& end) {
  themes::ui::CRampDialog dialog(parent, start, end);
  if (dialog.ShowModal() != wxID_OK) return false;
  start = dialog.topColor;
  end = dialog.bottomColor;
  return true;
}

std::optional<std::string> AskLegendName(wxWindow* parent, const std::vector<std::string>& existing) {
  CGetLegendNameDialog dialog(parent, existing);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.name;
}

bool EditVisibleLegend(wxWindow* parent, CPVN4Doc& doc) {
  CTheme* theme = doc.GetVisibleTheme();
  CThemeLegendData* legend = doc.GetVisibleThemeLegend();
  if (!theme || !legend) return false;
  CLegendCreatorDialog dialog(parent, *theme, *legend, doc.currentArea);
  if (dialog.ShowModal() != wxID_OK) return false;
  doc.NotifyChanged();
  return true;
}

}  // namespace views::ui
