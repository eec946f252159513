#include "themes/ui/color_ramp_dialogs.h"

#include <wx/artprov.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <memory>
#include <tuple>

#include "app/application.h"
#include "app/preference_pages.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "themes/ramp_editing.h"
#include "widgets/color_lists.h"
#include "widgets/color_static.h"
#include "widgets/num_spin_ctrl.h"

namespace themes::ui {

namespace {

wxSizer* OkCancel(wxWindow* parent, wxWindow* help = nullptr) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->AddStretchSpacer();
  row->Add(new wxButton(parent, wxID_OK, "OK"), 0, wxLEFT, 6);
  row->Add(new wxButton(parent, wxID_CANCEL, "Cancel"), 0, wxLEFT, 6);
  if (help) row->Add(help, 0, wxLEFT, 6);
  return row;
}

}  // namespace

// ---- Manage Color Ramps ----

CColorRampsDialog::CColorRampsDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Manage Color Ramps", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  list = new widgets::CColorRampListBox(this, kList, wxDefaultPosition, wxSize(260, 240), wxBORDER_SUNKEN);
  for (const CColorRamp& r : ListedRamps(GetApp().colorRamps)) list->AddRamp(std::make_unique<CColorRamp>(r));
  auto* buttons = new wxBoxSizer(wxVERTICAL);
  for (auto [id, label] : {std::pair{kAddNew, "Add New"}, {kEdit, "Edit"}, {kDelete, "Delete"}})
    buttons->Add(new wxButton(this, id, label), 0, wxBOTTOM | wxEXPAND, 6);
  auto* body = new wxBoxSizer(wxHORIZONTAL);
  body->Add(list, 1, wxEXPAND | wxRIGHT, 8);
  body->Add(buttons);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(body, 1, wxEXPAND | wxALL, 8);
  top->Add(OkCancel(this, new wxButton(this, kHelp, "Help")), 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top);

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddNew(); }, kAddNew);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnEdit(); }, kEdit);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDelete(); }, kDelete);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(6); }, kHelp);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  list->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { OnEdit(); });
}

void CColorRampsDialog::OnAddNew() { list->AddRamp(std::make_unique<CColorRamp>(std::vector{kNewRampColor})); }

void CColorRampsDialog::OnEdit() {
  CColorRamp* ramp = list->GetRamp(list->GetSelection());
  if (!ramp) return;
  CRampColorsDialog colors(this, ramp);
  if (colors.ShowModal() == wxID_OK) list->Refresh();
}

void CColorRampsDialog::OnDelete() {
  const int n = list->GetSelection();
  if (!list->GetRamp(n)) return;
  if (platform::AskYesNo("Delete the selected color ramp?")) list->DeleteItem(n);
}

void CColorRampsDialog::OnOK() {
  std::vector<CColorRamp> listed;
  for (int i = 0; i < list->GetCount(); ++i) listed.push_back(*list->GetRamp(i));
  StoreListedRamps(listed, GetApp().colorRamps);
  EndModal(wxID_OK);
}

// ---- Select Ramp Colors ----

CRampColorsDialog::CRampColorsDialog(wxWindow* parent, CColorRamp* ramp)
    : wxDialog(parent, wxID_ANY, "Select Ramp Colors"), ramp_(ramp) {
  list = new widgets::CColorListBox(this, kList, wxDefaultPosition, wxSize(140, 260), wxBORDER_SUNKEN);
  auto* buttons = new wxBoxSizer(wxVERTICAL);
  for (auto [id, label] : {std::pair{kAdd, "Add Color"}, {kEdit, "Edit Color"}, {kDelete, "Delete Color"}})
    buttons->Add(new wxButton(this, id, label), 0, wxBOTTOM | wxEXPAND, 6);
  const std::pair<int, const char*> moves[] = {
      {kUp, wxART_GO_UP}, {kDown, wxART_GO_DOWN}, {kTop, wxART_GOTO_FIRST}, {kBottom, wxART_GOTO_LAST}};
  const char* const names[] = {"UP", "DOWN", "TOP", "BOTTOM"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new wxButton(this, moves[i].first, names[i]);
    b->SetBitmap(wxArtProvider::GetBitmap(moves[i].second, wxART_BUTTON));
    buttons->Add(b, 0, wxBOTTOM | wxEXPAND, 4);
    Bind(wxEVT_BUTTON, [this, id = moves[i].first](wxCommandEvent&) { OnMove(id); }, moves[i].first);
  }
  auto* body = new wxBoxSizer(wxHORIZONTAL);
  body->Add(list, 1, wxEXPAND | wxRIGHT, 8);
  body->Add(buttons);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(body, 1, wxEXPAND | wxALL, 8);
  top->Add(OkCancel(this), 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top);

  std::vector<COLORREF> colors = ramp ? ramp->Colors() : std::vector<COLORREF>();
  if (static_cast<int>(colors.size()) > kMaxRampDialogColors) {
    // More than the dialog can hold came from a preferences file: say what OK keeps.
    platform::Tell("This color ramp has " + std::to_string(colors.size()) + " colors; only the first " +
                   std::to_string(kMaxRampDialogColors) +
                   " can be edited here, and OK keeps only those.");
    colors.resize(kMaxRampDialogColors);
  }
  ShowColors(colors, -1);

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddColor(); }, kAdd);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnEditColor(); }, kEdit);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDeleteColor(); }, kDelete);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  list->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { OnEditColor(); });
}

std::vector<COLORREF> CRampColorsDialog::Colors() const { return list->Colors(); }

void CRampColorsDialog::ShowColors(const std::vector<COLORREF>& colors, int selected) {
  list->Clear();
  for (COLORREF c : colors) list->AddColor(c);
  list->SetSelection(selected);
  list->Refresh();
}

void CRampColorsDialog::OnAddColor() {
  std::vector<COLORREF> colors = Colors();
  const int before = static_cast<int>(colors.size());
  const int selected = AddRampColor(colors, list->GetSelection());
  if (static_cast<int>(colors.size()) == before) return;
  ShowColors(colors, selected);
  OnEditColor();
}

void CRampColorsDialog::OnEditColor() {
  const int n = list->GetSelection();
  if (n < 0 || n >= static_cast<int>(list->GetItemCount())) return;
  if (auto chosen = platform::CurrentDialogs().ChooseColour(list->GetColor(n))) {
    list->SetColor(n, *chosen);
    list->Refresh();
  }
}

void CRampColorsDialog::OnDeleteColor() {
  std::vector<COLORREF> colors = Colors();
  const std::size_t before = colors.size();
  const int selected = DeleteRampColor(colors, list->GetSelection());
  if (colors.size() != before) ShowColors(colors, selected);
}

void CRampColorsDialog::OnMove(int button) {
  wxBusyCursor wait;
  const RampMove move = button == kUp     ? RampMove::Up
                        : button == kDown ? RampMove::Down
                        : button == kTop  ? RampMove::Top
                                          : RampMove::Bottom;
  std::vector<COLORREF> colors = Colors();
  const int from = list->GetSelection();
  const int to = MoveRampColor(colors, from, move);
  if (to != from) ShowColors(colors, to);
}

void CRampColorsDialog::OnOK() {
  if (ramp_) {
    const std::vector<COLORREF> colors = Colors();
    ramp_->SetColors(static_cast<int>(colors.size()), colors.data());
  }
  EndModal(wxID_OK);
}

// ---- Set Color Ramp ----

CRampDialog::CRampDialog(wxWindow* parent, COLORREF top, COLORREF bottom)
    : wxDialog(parent, wxID_ANY, "Set Color Ramp"), topColor(top), bottomColor(bottom) {
  topSwatch = new widgets::CColorStatic(this, kTopSwatch, topColor, wxDefaultPosition, wxSize(60, 30));
  bottomSwatch = new widgets::CColorStatic(this, kBottomSwatch, bottomColor, wxDefaultPosition, wxSize(60, 30));
  auto* grid = new wxFlexGridSizer(2, 6, 16);
  grid->Add(new wxStaticText(this, wxID_ANY, "Top Color"));
  grid->Add(new wxStaticText(this, wxID_ANY, "Bottom Color"));
  grid->Add(topSwatch);
  grid->Add(bottomSwatch);
  auto* top_ = new wxBoxSizer(wxVERTICAL);
  top_->Add(new wxStaticText(this, wxID_ANY, "Double-click a color to change it."), 0, wxALL, 8);
  top_->Add(grid, 0, wxALL, 8);
  top_->Add(OkCancel(this, new wxButton(this, kHelp, "Help")), 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top_);
  // The help button has no topic of its own.
  FindWindow(kHelp)->Disable();
  for (widgets::CColorStatic* s : {topSwatch, bottomSwatch})
    s->Bind(wxEVT_LEFT_DCLICK, [this, s](wxMouseEvent& e) { PickAt(s->GetPosition() + e.GetPosition()); });
  Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& e) {
    if (!PickAt(e.GetPosition())) e.Skip();
  });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
}

bool CRampDialog::PickAt(const wxPoint& point) {
  for (widgets::CColorStatic* s : {topSwatch, bottomSwatch}) {
    const wxRect r = s->GetRect();
    if (point.x < r.GetLeft() || point.x > r.GetRight() + 1 || point.y < r.GetTop() || point.y > r.GetBottom() + 1)
      continue;
    s->ChooseColor();
    return true;
  }
  return false;
}

void CRampDialog::OnOK() {
  topColor = topSwatch->GetColor();
  bottomColor = bottomSwatch->GetColor();
  EndModal(wxID_OK);
}

// ---- Set Relative Length Ramp ----

CRampRelLengthDialog::CRampRelLengthDialog(wxWindow* parent, int start, int end, int cells)
    : wxDialog(parent, wxID_ANY, "Set Relative Length Ramp"), startValue(start), endValue(end), cellCount(cells) {
  auto* grid = new wxFlexGridSizer(2, 6, 16);
  grid->Add(new wxStaticText(this, wxID_ANY, "Start Value"));
  grid->Add(new wxStaticText(this, wxID_ANY, "End Value"));
  const std::pair<int, int> spins[] = {{kStartSpin, start}, {kEndSpin, end}};
  for (auto [id, value] : spins) {
    auto* edit = new wxTextCtrl(this, wxID_ANY, wxString::Format("%d", value), wxDefaultPosition, wxSize(60, -1));
    auto* arrows = new wxSpinButton(this, id, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
    auto spin = std::make_unique<widgets::CNumSpinCtrl>();
    spin->SetBuddy(edit);
    spin->SetDecimalPlaces(0);
    spin->SetRangeAndStep(1, 100, 1);
    spin->Attach(arrows);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(edit, 0, wxALIGN_CENTER_VERTICAL);
    row->Add(arrows, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(row);
    (id == kStartSpin ? startEdit : endEdit) = edit;
    (id == kStartSpin ? startSpin_ : endSpin_) = std::move(spin);
  }
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(grid, 0, wxALL, 8);
  top->Add(OkCancel(this, new wxButton(this, kHelp, "Help")), 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top);
  FindWindow(kHelp)->Disable();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
}

CRampRelLengthDialog::~CRampRelLengthDialog() = default;

bool CRampRelLengthDialog::OnOK() {
  int start = 0, end = 0;
  for (auto [field, edit, out] : {std::tuple{"Start Value", startEdit, &start}, {"End Value", endEdit, &end}})
    if (auto problem = app::ParseRangedInt(field, edit->GetValue().utf8_string(), 1, 100, *out)) {
      platform::Tell(problem->Text());
      edit->SetFocus();
      return false;
    }
  if (!RelativeLengthRangeFits(start, end, cellCount)) {
    platform::Tell("Error: Selected range yields fewer values than number of cells. Increase range.");
    return false;
  }
  startValue = start;
  endValue = end;
  EndModal(wxID_OK);
  return true;
}

}  // namespace themes::ui
