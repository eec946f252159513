#include "weather/ui/atm_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "app/application.h"
#include "gridmodel/ug_cell.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "weather/ui/wxs_edit_dialog.h"
#include "widgets/cellgrid/ug_window.h"

namespace weather::ui {

namespace {

constexpr unsigned kSelectSpeed = 1000, kSelectDirection = 2000, kClearSpeed = 3000, kClearDirection = 4000;

std::string JoinFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' || folder.back() == '\\' ? folder + name : folder + "/" + name;
}

}  // namespace

// ---- the row grid -------------------------------------------------------------------------

void AtmCUG::OnInitGrid() {
  ellipsisId_ = AddCellType(&ellipsis_);
  SetCurrentCellStyle(2);
  EnablePopupMenu(true);
  SetColCount(5);
  const char* headings[5] = {"Month", "Day", "Time(hhmm)", "Speed File", "Direction File"};
  for (int c = 0; c < 5; ++c) SetCellText(c, -1, headings[c]);
  SetCellText(-1, -1, "Row");
  const int u = std::max(GetClientWidth(), 600) / 20 - 2;
  SetSideHeadingWidth(u);
  for (int c = 0; c < 5; ++c) SetColWidth(c, c < 3 ? 2 * u : 7 * u);
  gridmodel::CUGCell cell;
  for (int c = 0; c < 5; ++c) {
    GetColDefault(c, &cell);
    if (c < 2) cell.SetMask("90");
    else if (c == 2) cell.SetMask("0000");
    else {
      cell.SetCellType(ellipsisId_);
      cell.SetReadOnly(true);
    }
    SetColDefault(c, &cell);
  }
}

void AtmCUG::OnGridKeyDown(unsigned* vkey, bool) {
  if (*vkey == gridmodel::UG_VK_TAB) TabToNextCell(*this);
}

int AtmCUG::OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long) {
  if (cellTypeId == ellipsisId_ && msg == gridmodel::UGCT_ELLIPSISBUTTONCLICK)
    dialog_->PickFile(row, col, dialog_->folder);
  return 1;
}

int AtmCUG::OnPopupMenuStart(int col, long row, int section) {
  if (section != gridmodel::UG_GRID || row < 0 || row >= GetRowCount()) return 0;
  ClearPopupMenu();
  AddPopupMenuItem(kSelectSpeed, "Select Speed File");
  AddPopupMenuItem(kSelectDirection, "Select Direction File");
  AddPopupMenuItem(kClearSpeed, "Clear Speed File");
  AddPopupMenuItem(kClearDirection, "Clear Direction File");
  return 1;
}

void AtmCUG::OnPopupMenuCommand(int, long row, int, unsigned id) {
  if (row < 0 || row >= GetRowCount()) return;
  if (id == kSelectSpeed || id == kSelectDirection) {
    dialog_->PickFile(row, id == kSelectSpeed ? 3 : 4, folder);
  } else if (id == kClearSpeed || id == kClearDirection) {
    SetCellText(id == kClearSpeed ? 3 : 4, row, "");
    RedrawRow(row);
    dialog_->MarkChanged();
  }
}

int AtmCUG::OnEndCellEdit(int col, long row, gridmodel::CUGEditor*, const std::string& text, bool cancelled) {
  if (!cancelled && GetCellText(col, row) != text) dialog_->MarkChanged();
  return 1;
}

std::vector<AtmRow> AtmCUG::Rows() {
  std::vector<AtmRow> rows;
  for (long r = 0; r < GetRowCount(); ++r)
    rows.push_back({GetCellText(0, r), GetCellText(1, r), GetCellText(2, r), GetCellText(3, r), GetCellText(4, r)});
  return rows;
}

void AtmCUG::SetRow(long row, const AtmRow& r) {
  SetCellText(0, row, r.month);
  SetCellText(1, row, r.day);
  SetCellText(2, row, r.time);
  SetCellText(3, row, r.speed);
  SetCellText(4, row, r.direction);
}

// ---- the grid-file list -------------------------------------------------------------------

CFileSelectDialog::CFileSelectDialog(wxWindow* parent, const std::string& folder, const std::string& sel,
                                     const std::string& title)
    : wxDialog(parent, wxID_ANY, title.empty() ? "Select a File" : title), selected(sel) {
  std::error_code ec;
  std::set<std::string> found;
  if (!folder.empty())
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
      std::string ext = e.path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
      if (e.is_regular_file(ec) && (ext == ".asc" || ext == ".tif")) found.insert(e.path().filename().string());
    }
  names.assign(found.begin(), found.end());
  auto* list = new wxListBox(this, 1414, wxDefaultPosition, wxSize(420, 300));
  for (const std::string& n : names) list->Append(wxString::FromUTF8(n));
  for (std::size_t i = 0; i < names.size() && !sel.empty(); ++i)
    if (wxString::FromUTF8(names[i]).Lower().StartsWith(wxString::FromUTF8(sel).Lower())) {
      list->SetSelection(static_cast<int>(i));
      break;
    }
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(list, 1, wxEXPAND | wxALL, 8);
  top->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top);
  CentreOnParent();
  Bind(wxEVT_BUTTON, [this, list](wxCommandEvent&) {
    if (list->GetSelection() != wxNOT_FOUND) selected = list->GetStringSelection().utf8_string();
    EndModal(wxID_OK);
  }, wxID_OK);
  list->SetFocus();
}

// ---- the editor ---------------------------------------------------------------------------

CAtmDialog::CAtmDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Edit Atmosphere Grid File", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* bar = new wxBoxSizer(wxHORIZONTAL);
  AddEditorFileButtons(this, bar);
  top->Add(bar, 0, wxALL, 6);
  auto* info = new wxFlexGridSizer(2, 4, 6);
  info->AddGrowableCol(1);
  info->Add(new wxStaticText(this, wxID_ANY, "File Directory: "), 0, wxALIGN_CENTER_VERTICAL);
  folderBox = new wxTextCtrl(this, kFolder, "", wxDefaultPosition, wxSize(500, -1), wxTE_READONLY);
  info->Add(folderBox, 1, wxEXPAND);
  info->Add(new wxStaticText(this, wxID_ANY, "Embrith Simulation Period: "), 0, wxALIGN_CENTER_VERTICAL);
  periodBox = new wxTextCtrl(this, kPeriod, "", wxDefaultPosition, wxSize(500, -1), wxTE_READONLY);
  info->Add(periodBox, 1, wxEXPAND);
  info->Add(new wxStaticText(this, wxID_ANY, "Units:"), 0, wxALIGN_CENTER_VERTICAL);
  units = new wxChoice(this, kUnits);
  units->Append("English");
  units->Append("Metric");
  units->SetSelection(0);
  info->Add(units);
  top->Add(info, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  auto* placeholder = new wxPanel(this, kGrid, wxDefaultPosition, wxSize(900, 320));
  top->Add(placeholder, 1, wxEXPAND | wxALL, 6);
  auto* rows = new wxBoxSizer(wxHORIZONTAL);
  rows->Add(new wxButton(this, kAppend, "Append Row"), 0, wxRIGHT, 4);
  rows->Add(new wxButton(this, kInsert, "Insert Row"), 0, wxRIGHT, 4);
  rows->Add(new wxButton(this, kCopy, "Copy Row"), 0, wxRIGHT, 4);
  rows->Add(new wxButton(this, kDelete, "Delete Row"), 0);
  rows->AddStretchSpacer();
  rows->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 4);
  rows->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
  top->Add(rows, 0, wxEXPAND | wxALL, 6);
  SetSizerAndFit(top);
  gridWindow_ = widgets::CUGWindow::AttachToDialogItem(this, kGrid, &grid);
  Layout();

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOpen(); }, kOpen);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSaveAs(); }, kSaveAs);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCheck(); }, kCheck);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(4); }, kHelp);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAppend(); }, kAppend);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnInsert(); }, kInsert);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCopy(); }, kCopy);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDelete(); }, kDelete);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnCancel(); });
  units->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { MarkChanged(); });
}

// The grid window goes before the grid it shows, which is a member of this dialog.
CAtmDialog::~CAtmDialog() { delete gridWindow_; }

int CAtmDialog::ShowModal() {
  Prepare();
  return wxDialog::ShowModal();
}

void CAtmDialog::Prepare() {
  if (run && run->hasBurnPeriod) {
    periodBox->ChangeValue(platform::FormatC("%d/%d : %04d - %d/%d : %04d", run->firstMonth, run->firstDay,
                                             run->firstStartHour * 100, run->lastMonth, run->lastDay,
                                             run->lastEndHour * 100));
  } else {
    periodBox->ChangeValue("No Burn Periods Set!");
  }
  if (!path.empty()) {
    folder = AtmFolderOf(path);
    grid.folder = folder;
    LoadFile(path);
    changed = false;
  }
  folderBox->ChangeValue(wxString::FromUTF8(folder));
}

void CAtmDialog::NumberRows() {
  for (long r = 0; r < grid.GetRowCount(); ++r) grid.SetCellText(-1, r, std::to_string(r + 1));
  grid.RedrawAll();
}

bool CAtmDialog::LoadFile(const std::string& file) {
  CAtmFile atm;
  const AtmRunContext none;
  const int code = atm.Read(run ? *run : none, file);
  if (code != kAtmOk) {
    platform::Tell(platform::FormatC("Error: %s", atm.GetErrorText(code).c_str()));
    return false;
  }
  units->SetSelection(atm.GetUnits() == 1 ? 1 : 0);
  const auto entries = atm.GetEntries();
  grid.SetRowCount(static_cast<long>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const AtmEntry& e = *entries[i];
    AtmRow r = AtmRowAt(e.GetMonth(), e.GetDay(), e.GetTime() / 100, e.GetTime() % 100);
    r.speed = e.GetSpeedFileName();
    r.direction = e.GetDirectionFileName();
    grid.SetRow(static_cast<long>(i), r);
  }
  NumberRows();
  return true;
}

void CAtmDialog::OnOpen() {
  platform::FileDialogOptions o;
  o.filter = "Atmosphere Files (*.atm)|*.atm|All Files (*.*)|*.*||";
  const auto chosen = platform::CurrentDialogs().ChooseOpenFile(o);
  if (!chosen || !LoadFile(*chosen)) return;
  changed = false;
  path = *chosen;
  folder = AtmFolderOf(path);
  grid.folder = folder;
  folderBox->ChangeValue(wxString::FromUTF8(folder));
}

bool CAtmDialog::Write(const std::string& target) {
  if (!WriteAtmFile(target, units->GetSelection(), grid.Rows())) {
    platform::Tell(platform::FormatC("Error creating %s as output", target.c_str()));
    return false;
  }
  changed = false;
  return true;
}

bool CAtmDialog::OnSaveAs() {
  platform::FileDialogOptions o;
  o.filter = "Atmosphere Files (*.atm)|*.atm|All Files (*.*)|*.*||";
  o.defaultExt = "atm";
  o.overwritePrompt = true;
  const auto chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!chosen) return false;
  const std::string to = AtmFolderOf(*chosen);
  if (to != folder) {
    if (!platform::AskYesNo("ATM files require all referenced grids be present in the same directory as the ATM "
                            "file.\nCopy all referenced grids to?:\n" + to)) {
      platform::Tell("File not saved");
      return false;
    }
    std::vector<std::string> names;
    for (const AtmRow& r : grid.Rows())
      for (const std::string* n : {&r.speed, &r.direction})
        if (!n->empty() && std::find(names.begin(), names.end(), *n) == names.end()) names.push_back(*n);
    std::vector<std::string> failed;
    for (const std::string& n : names) {
      std::error_code ec;
      std::filesystem::copy_file(JoinFolder(folder, n), JoinFolder(to, n),
                                 std::filesystem::copy_options::overwrite_existing, ec);
      if (ec) failed.push_back(n);
    }
    // A grid left behind would make the saved file unreadable: say which.
    if (!failed.empty()) {
      std::string list;
      for (const std::string& n : failed) list += "\n" + n;
      platform::Tell("These grids could not be copied to " + to + ":" + list);
    }
  }
  if (!Write(*chosen)) return false;
  folder = to;
  folderBox->ChangeValue(wxString::FromUTF8(folder));
  path = *chosen;
  return true;
}

std::string CAtmDialog::OnCheck() {
  wxBusyCursor wait;
  const AtmRunContext none;
  const std::string verdict = AtmCheckVerdict(grid.Rows(), units->GetSelection(), folder, run ? *run : none);
  platform::Tell(verdict);
  return verdict;
}

void CAtmDialog::OnAppend() {
  const long n = grid.GetRowCount();
  AtmRow r;
  if (n == 0) r = AtmFirstRow(run, condMonth, condDay, condHour, condMinute);
  else AtmRowAfter(grid.Rows().back(), r);
  grid.SetRowCount(n + 1);
  grid.SetRow(n, r);
  NumberRows();
  MarkChanged();
}

void CAtmDialog::OnInsert() {
  const long cur = grid.GetCurrentRow();
  if (cur < 0 || cur >= grid.GetRowCount()) return OnAppend();
  AtmRow r;
  const bool ok = AtmRowBefore(grid.Rows()[static_cast<std::size_t>(cur)], r);
  grid.InsertRow(cur);
  grid.SetRow(cur, ok ? r : AtmRow{});
  MarkChanged();
  NumberRows();
}

void CAtmDialog::OnCopy() {
  const long cur = grid.GetCurrentRow();
  if (cur < 0 || cur >= grid.GetRowCount()) return;
  const AtmRow r = grid.Rows()[static_cast<std::size_t>(cur)];
  const long n = grid.GetRowCount();
  grid.SetRowCount(n + 1);
  grid.SetRow(n, r);
  MarkChanged();
  NumberRows();
}

void CAtmDialog::OnDelete() {
  const long cur = grid.GetCurrentRow();
  if (cur < 0 || cur >= grid.GetRowCount()) return;
  grid.DeleteRow(cur);
  NumberRows();
  MarkChanged();
}

void CAtmDialog::PickFile(long row, int col, const std::string& from) {
  if (row < 0 || row >= grid.GetRowCount() || (col != 3 && col != 4)) return;
  const std::string current = grid.GetCellText(col, row);
  CFileSelectDialog pick(this, from, current, col == 3 ? "Select a Wind Speed File" : "Select a Wind Direction File");
  std::optional<std::string> chosen;
  if (fileChooser) chosen = fileChooser(pick.names);
  else if (pick.ShowModal() == wxID_OK) chosen = pick.selected;
  if (!chosen || wxString::FromUTF8(*chosen).IsSameAs(wxString::FromUTF8(current), false)) return;
  grid.SetCellText(col, row, *chosen);
  grid.RedrawRow(row);
  MarkChanged();
}

bool CAtmDialog::SaveChanges() {
  if (path.empty()) {
    if (!OnSaveAs()) return false;
  } else if (!WriteAtmFile(path, units->GetSelection(), grid.Rows())) {
    platform::Tell("Error opening " + path + " as output");
    return false;
  }
  changed = false;
  return true;
}

void CAtmDialog::OnOK() {
  if (changed && platform::AskYesNo(kSaveQuestion) && !SaveChanges()) return;
  EndModal(wxID_OK);
}

void CAtmDialog::OnCancel() {
  // Cancel, Escape and the close box may also keep the dialog and its rows.
  if (changed) {
    const platform::Answer a = platform::AskYesNoCancel(kSaveQuestion);
    if (a == platform::Answer::Cancel) return;
    if (a == platform::Answer::Yes) {
      if (!SaveChanges()) return;
      return EndModal(wxID_OK);
    }
  }
  EndModal(wxID_CANCEL);
}

}  // namespace weather::ui
