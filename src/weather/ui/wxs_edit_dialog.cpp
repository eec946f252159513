#include "weather/ui/wxs_edit_dialog.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timectrl.h>
#include <wx/utils.h>

#include "app/application.h"
#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "runs/ui/date_pickers.h"
#include "weather/ui/wxs_bulk_edit_dialog.h"
#include "weather/ui/wxs_graph_dialog.h"
#include "widgets/cellgrid/ug_window.h"
#include "widgets/color_static.h"

namespace weather::ui {

using platform::OleDateTime;
using runs::ui::FromPickers;

namespace {

platform::OleDateTime CurrentHour() {
  const wxDateTime now = wxDateTime::Now();
  return OleDateTime(now.GetYear(), now.GetMonth() + 1, now.GetDay(), now.GetHour(), 0, 0);
}

}  // namespace

void AddEditorFileButtons(wxWindow* parent, wxSizer* bar) {
  auto tool = [&](int id, const wxArtID& art, const char* tip) {
    auto* b = new wxButton(parent, id, "", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    b->SetBitmap(wxArtProvider::GetBitmap(art, wxART_BUTTON));
    b->SetToolTip(tip);
    bar->Add(b, 0, wxRIGHT, 4);
  };
  tool(1146, wxART_FILE_OPEN, "Open File...");
  tool(1142, wxART_FILE_SAVE_AS, "Save File As...");
  tool(1144, wxART_TICK_MARK, "Validate Contents...");
  tool(1147, wxART_HELP, "Help");
}

// ---- start and number of new records ------------------------------------------------------

CRecordDateDlg::CRecordDateDlg(wxWindow* parent, bool wholeDay)
    : wxDialog(parent, wxID_ANY, "Select Start Date and Number of Records") {
  if (wholeDay) count = 24;
  auto* grid = new wxFlexGridSizer(3, 6, 6);
  grid->Add(new wxStaticText(this, 1492, "Start Record Date:"), 0, wxALIGN_CENTER_VERTICAL);
  datePicker = new wxDatePickerCtrl(this, 1490);
  timePicker = new wxTimePickerCtrl(this, 1491);
  grid->Add(datePicker);
  grid->Add(timePicker);
  grid->Add(new wxStaticText(this, wxID_ANY, "Number of Records:"), 0, wxALIGN_CENTER_VERTICAL);
  countEdit = new wxTextCtrl(this, 1493, wxString::Format("%d", count));
  spin_ = new wxSpinButton(this, 1494);
  spin_->SetRange(1, 24);
  spin_->SetValue(count);
  spin_->Bind(wxEVT_SPIN, [this](wxSpinEvent& e) { countEdit->ChangeValue(wxString::Format("%d", e.GetPosition())); });
  grid->Add(countEdit);
  grid->Add(spin_);
  runs::ui::ToPickers(CurrentHour(), datePicker, timePicker);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(grid, 0, wxALL, 10);
  top->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  CentreOnParent();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    if (Accept()) EndModal(wxID_OK);
  }, wxID_OK);
}

bool CRecordDateDlg::Accept() {
  const auto v = platform::ParseInt(countEdit->GetValue().utf8_string());
  if (!v || *v < 1 || *v > 24) {
    platform::Tell("Please enter an integer between 1 and 24.");
    return false;
  }
  count = static_cast<int>(*v);
  start = FromPickers(datePicker, timePicker);
  if (!start.IsValid()) {
    platform::Tell("The start date and time is not a valid date.");
    return false;
  }
  return true;
}

// ---- the editor ---------------------------------------------------------------------------

CWXSEditDialog::CWXSEditDialog(wxWindow* parent, bool burnPeriodMode)
    : wxDialog(parent, wxID_ANY, "Edit Weather Stream", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      model(burnPeriodMode) {
  Build();
}

// The grid window goes before the model it shows, which is a member of this dialog.
CWXSEditDialog::~CWXSEditDialog() { delete gridWindow_; }

void CWXSEditDialog::Build() {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* bar = new wxBoxSizer(wxHORIZONTAL);
  AddEditorFileButtons(this, bar);
  bar->AddSpacer(16);
  bar->Add(new wxButton(this, kGraph, "Graph Wx"), 0, wxRIGHT, 4);
  bar->Add(new wxButton(this, kBulkEdit, "Edit Wx"), 0);
  top->Add(bar, 0, wxALL, 6);

  auto* period = new wxBoxSizer(wxHORIZONTAL);
  auto label = [&](wxSizer* s, int id, const char* text) {
    auto* t = new wxStaticText(this, id, text);
    s->Add(t, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    return t;
  };
  label(period, wxID_ANY, "Conditioning Start Date:");
  startDate = new wxDatePickerCtrl(this, kStartDate);
  period->Add(startDate, 0, wxRIGHT, 4);
  label(period, wxID_ANY, "Time:");
  startTime = new wxTimePickerCtrl(this, kStartTime);
  period->Add(startTime, 0, wxRIGHT, 16);
  label(period, kEndDateLabel, "Conditioning End Date:");
  endDate = new wxDatePickerCtrl(this, kEndDate);
  period->Add(endDate, 0, wxRIGHT, 4);
  label(period, kEndTimeLabel, "Time:");
  endTime = new wxTimePickerCtrl(this, kEndTime);
  period->Add(endTime, 0);
  top->Add(period, 0, wxLEFT | wxRIGHT, 6);

  auto* settings = new wxBoxSizer(wxHORIZONTAL);
  label(settings, wxID_ANY, "Units:");
  unitsChoice = new wxChoice(this, kUnits);
  unitsChoice->Append("English");
  unitsChoice->Append("Metric");
  unitsChoice->SetSelection(0);
  settings->Add(unitsChoice, 0, wxRIGHT, 16);
  elevationLabel_ = label(settings, kElevationLabel, "Elevation (ft):");
  elevationEdit = new wxTextCtrl(this, kElevation, "0", wxDefaultPosition, wxSize(80, -1));
  settings->Add(elevationEdit, 0, wxRIGHT, 16);
  const char* colorLabels[3] = {"Not Used:", "Conditioning:", "Burning:"};
  const int colorIds[3] = {kNotUsedColor, kConditioningColor, kBurningColor};
  for (int k = 0; k < 3; ++k) {
    label(settings, k == 2 ? static_cast<int>(kBurningLabel) : static_cast<int>(wxID_ANY), colorLabels[k]);
    colors_[k] = new widgets::CColorStatic(this, colorIds[k], 0, wxDefaultPosition, wxSize(36, 20));
    colors_[k]->SetToolTip("Click to choose the colour; right-click for the default");
    colors_[k]->Bind(wxEVT_LEFT_UP, [this, k](wxMouseEvent&) {
      if (colors_[k]->ChooseColor()) OnColor(k);
    });
    colors_[k]->Bind(wxEVT_RIGHT_UP, [this, k](wxMouseEvent&) {
      const WxRecordColors& d = DefaultRecordColors();
      colors_[k]->SetColor(k == 0 ? d.notUsed : k == 1 ? d.conditioning : d.burning);
      colors_[k]->Refresh();
      OnColor(k);
    });
    settings->Add(colors_[k], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  }
  top->Add(settings, 0, wxALL, 6);

  auto* placeholder = new wxPanel(this, kGrid, wxDefaultPosition, wxSize(900, 420));
  placeholder->SetMinSize(wxSize(500, 200));
  top->Add(placeholder, 1, wxEXPAND | wxLEFT | wxRIGHT, 6);

  auto* bottom = new wxBoxSizer(wxHORIZONTAL);
  bottom->Add(new wxButton(this, kRecords, "Records"), 0);
  bottom->AddStretchSpacer();
  bottom->Add(new wxButton(this, wxID_OK, "Save and Close"), 0, wxRIGHT, 6);
  bottom->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0);
  top->Add(bottom, 0, wxEXPAND | wxALL, 6);
  SetSizerAndFit(top);

  gridWindow_ = widgets::CUGWindow::AttachToDialogItem(this, kGrid, &model.grid);
  Layout();
  model.grid.FitColumnWidths();

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOpen(); }, kOpen);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSaveAs(); }, kSaveAs);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnValidate(); }, kValidate);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(55); }, kHelp);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnGraph(); }, kGraph);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBulkEdit(); }, kBulkEdit);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnCancel(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    wxMenu menu;
    auto* append = new wxMenu;
    append->Append(kAppendRecordBlank - 13000, "Blank");
    append->Append(kAppendRecordCopyLast - 13000, "Copy Last");
    auto* day = new wxMenu;
    day->Append(kAppendDayBlank - 13000, "Blank");
    day->Append(kAppendDayCopyLast - 13000, "Copy Last Day");
    menu.AppendSubMenu(append, "Append Record");
    menu.AppendSubMenu(day, "Append Day");
    menu.Append(kInsertRecord - 13000, "Insert Record");
    menu.AppendSeparator();
    menu.Append(kDeleteRecord - 13000, "&Delete Record");
    for (int c : {kAppendRecordCopyLast, kAppendDayCopyLast, kDeleteRecord})
      menu.Enable(c - 13000, RecordsItemEnabled(c));
    if (recordsChooser) {
      const int c = recordsChooser();
      if (c && RecordsItemEnabled(c)) RunRecordsCommand(c);
      return;
    }
    int chosen = 0;
    menu.Bind(wxEVT_MENU, [&chosen](wxCommandEvent& e) { chosen = e.GetId() + 13000; });
    wxWindow* button = FindWindow(kRecords);
    PopupMenu(&menu, button->GetPosition() + wxPoint(0, button->GetSize().y));
    if (chosen) RunRecordsCommand(chosen);
  }, kRecords);
  unitsChoice->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    model.SetUnits(unitsChoice->GetSelection());
    UpdateElevationLabel();
  });
  elevationEdit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
    if (!filling_) model.modified = true;
  });
  startDate->Bind(wxEVT_DATE_CHANGED, [this](wxDateEvent&) { OnStartChanged(); });
  startTime->Bind(wxEVT_TIME_CHANGED, [this](wxDateEvent&) { OnStartChanged(); });
  endDate->Bind(wxEVT_DATE_CHANGED, [this](wxDateEvent&) { OnEndChanged(); });
  endTime->Bind(wxEVT_TIME_CHANGED, [this](wxDateEvent&) { OnEndChanged(); });
}

int CWXSEditDialog::ShowModal() {
  Prepare();
  return wxDialog::ShowModal();
}

void CWXSEditDialog::Prepare() {
  if (prepared_) return;
  prepared_ = true;
  const bool cond = !model.burnMode;
  for (int id : {kEndDateLabel, kEndTimeLabel, kEndDate, kEndTime}) FindWindow(id)->Show(cond);
  for (int id : {kBurningLabel, kBurningColor}) FindWindow(id)->Show(!cond);
  const WxRecordColors& c = model.grid.colors;
  colors_[0]->SetColor(c.notUsed);
  colors_[1]->SetColor(c.conditioning);
  colors_[2]->SetColor(c.burning);
  model.Load();
  ShowLoadedStream();
  Layout();
  SetMinSize(GetSize());
}

void CWXSEditDialog::ShowLoadedStream() {
  filling_ = true;
  unitsChoice->SetSelection(model.units == 1 ? 1 : 0);
  elevationEdit->ChangeValue(wxString::Format("%d", model.elevation));
  filling_ = false;
  AfterStreamChange();
  model.modified = false;
  SetTitle(wxString::FromUTF8(model.Title()));
  UpdateElevationLabel();
}

void CWXSEditDialog::UpdateElevationLabel() {
  elevationLabel_->SetLabel(unitsChoice->GetSelection() == 1 ? "Elevation (m):" : "Elevation (ft):");
}

void CWXSEditDialog::ToPickers() {
  const bool any = !model.stream->records.empty();
  startDate->Enable(any);
  startTime->Enable(any);
  endDate->Enable(any && !model.burnMode);
  endTime->Enable(any && !model.burnMode);
  if (!any) return;
  auto wx = [](const OleDateTime& t) {
    return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(t.GetDay()), static_cast<wxDateTime::Month>(t.GetMonth() - 1),
                      t.GetYear());
  };
  if (model.earliest.IsValid() && model.latest.IsValid()) {
    startDate->SetRange(wx(model.earliest), wx(model.latest));
    const OleDateTime end = model.condEnd.IsValid() && model.condEnd > model.latest ? model.condEnd : model.latest;
    endDate->SetRange(wx(model.earliest), wx(end));
  }
  runs::ui::ToPickers(model.condStart, startDate, startTime);
  runs::ui::ToPickers(model.condEnd, endDate, endTime);
}

void CWXSEditDialog::AfterStreamChange() {
  ToPickers();
  gridWindow_->RefreshAllParts();
}

void CWXSEditDialog::OnStartChanged() {
  model.condStart = FromPickers(startDate, startTime, true);
  model.ColorRows();
}

void CWXSEditDialog::OnEndChanged() {
  model.condEnd = FromPickers(endDate, endTime, true);
  if (!model.burnMode) model.ColorRows();
}

void CWXSEditDialog::OnColor(int k) {
  WxRecordColors c = model.grid.colors;
  (k == 0 ? c.notUsed : k == 1 ? c.conditioning : c.burning) = colors_[k]->GetColor();
  model.SetColors(c);
}

bool CWXSEditDialog::ReadElevation() {
  const auto v = platform::ParseInt(elevationEdit->GetValue().utf8_string());
  if (!v || *v < -100000 || *v > 100000) {
    platform::Tell("Elevation: \"" + elevationEdit->GetValue().utf8_string() + "\" is not a whole number");
    elevationEdit->SetFocus();
    return false;
  }
  model.elevation = static_cast<int>(*v);
  return true;
}

void CWXSEditDialog::OnOpen() {
  platform::FileDialogOptions o;
  o.filter = "Weather Stream Files (*.wxs)|*.wxs|All Files (*.*)|*.*||";
  const auto chosen = platform::CurrentDialogs().ChooseOpenFile(o);
  if (!chosen) return;
  std::string message;
  if (!model.Open(*chosen, message)) {
    platform::Tell(message);
    return;
  }
  ShowLoadedStream();
}

bool CWXSEditDialog::WriteTo(const std::string& target, const char* failFormat) {
  std::string message;
  if (model.SaveTo(target, message)) return true;
  // A refused record says why; a file that cannot be written gets the caller's words.
  if (message.rfind("Error opening", 0) == 0) message = platform::FormatC(failFormat, target.c_str());
  platform::Tell(message);
  return false;
}

bool CWXSEditDialog::OnSave() {
  if (model.path.empty()) return OnSaveAs();
  if (!ReadElevation()) return false;
  return WriteTo(model.path, "Error opening %s as output");
}

bool CWXSEditDialog::OnSaveAs() {
  platform::FileDialogOptions o;
  o.filter = "Weather Stream files (*.wxs)|*.wxs|All Files (*.*)|*.*||";
  o.defaultExt = "wxs";
  o.overwritePrompt = true;
  const auto chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!chosen) return false;
  if (!ReadElevation()) return false;
  wxBusyCursor wait;
  if (!WriteTo(*chosen, "Error opening %s")) return false;
  model.path = *chosen;
  SetTitle(wxString::FromUTF8(*chosen));
  return true;
}

void CWXSEditDialog::OnValidate() {
  if (!ReadElevation()) return;
  std::string message;
  platform::Tell(model.ValidateGrid(message) ? "Appears to be a valid WXS file!" : message);
}

void CWXSEditDialog::OnOK() {
  if (!ReadElevation()) return;
  std::string message;
  model.streamValid = model.ValidateGrid(message);
  if (!model.streamValid && !platform::AskYesNo(message + "\n Save and Close anyway?")) return;
  // A save that is refused or fails keeps the editor open with its data.
  if (!OnSave()) return;
  model.condStart = FromPickers(startDate, startTime, true);
  if (!model.burnMode) model.condEnd = FromPickers(endDate, endTime, true);
  SetAppRecordColors(model.grid.colors);
  EndModal(wxID_OK);
}

void CWXSEditDialog::OnCancel() {
  if (model.modified) {
    const platform::Answer a = platform::AskYesNoCancel("Data has changed. Would you like to save your changes?");
    if (a == platform::Answer::Yes) return OnOK();
    if (a == platform::Answer::Cancel) return;
  }
  if (IsModal()) EndModal(wxID_CANCEL);
  else Hide();
}

void CWXSEditDialog::OnGraph() {
  model.GridToStream();
  if (!model.stream || model.stream->records.empty()) return platform::Tell("Nothing to graph...");
  SetAppRecordColors(model.grid.colors);
  CWxsGraphDlg graph(this, model.stream.get(), model.GetBurnPeriods(), model.condStart,
                     model.burnMode ? OleDateTime::Invalid() : model.condEnd);
  graph.ShowModal();
}

void CWXSEditDialog::OnBulkEdit() {
  model.GridToStream();
  if (!model.stream || model.stream->records.empty()) return platform::Tell("Nothing to edit...");
  CWxsBulkEditDlg bulk(this);
  bulk.SetInput(model.grid.SelectedRows(), model.stream.get(), [this] {
    model.StreamToGrid();
    AfterStreamChange();
  });
  bulk.ShowModal();
  gridWindow_->RefreshAllParts();
}

bool CWXSEditDialog::RecordsItemEnabled(int command) const {
  if (command == kAppendRecordCopyLast || command == kAppendDayCopyLast || command == kDeleteRecord)
    return model.HasCurrentRow();
  return true;
}

void CWXSEditDialog::RunRecordsCommand(int command) {
  std::string message;
  const bool empty = model.stream->records.empty();
  switch (command) {
    case kAppendRecordBlank:
    case kAppendDayBlank:
    case kInsertRecord: {
      const bool day = command != kAppendRecordBlank;
      if (empty) {
        CRecordDateDlg ask(this, day);
        if (ask.ShowModal() != wxID_OK) return;
        message = day ? model.AppendDayBlank(&ask.start, ask.count) : model.AppendRecordBlank(&ask.start, ask.count);
      } else if (command == kInsertRecord) {
        message = model.InsertRecord();
      } else {
        message = day ? model.AppendDayBlank() : model.AppendRecordBlank();
      }
      break;
    }
    case kAppendRecordCopyLast: message = model.AppendRecordCopyLast(); break;
    case kAppendDayCopyLast: message = model.AppendDayCopyLast(); break;
    case kDeleteRecord: message = model.DeleteRecord(); break;
    default: return;
  }
  if (!message.empty()) platform::Tell(message);
  AfterStreamChange();
}

}  // namespace weather::ui
