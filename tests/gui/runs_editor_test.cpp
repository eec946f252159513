#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include "platform/dialogs.h"
#include "platform/messages.h"
#include "runs/run_exec_editor_checks.h"
#include "runs/ui/editor_dialog.h"
#include "runs/ui/fuel_moistures_dialog.h"
#include "widgets/num_spin_ctrl.h"
#include "runs_gui_support.h"
#include "widgets/screenshot.h"

using platform::Answer;
using runs::ui::CEditorDialog;
using runs_gui::PumpUntil;

namespace {

void PressEscape(wxWindow* w) {
  wxKeyEvent key(wxEVT_CHAR_HOOK);
  key.m_keyCode = WXK_ESCAPE;
  key.SetEventObject(w);
  w->GetEventHandler()->ProcessEvent(key);
}

wxTextCtrl* TextOf(CEditorDialog* d) { return static_cast<wxTextCtrl*>(d->FindWindow(CEditorDialog::kTextId)); }

}  // namespace

TEST(EditorWindow, AsksBeforeClosingWithUnsavedChangesEscIncluded) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  const std::string path = p.Write("a.fms", "1 6 7 8 60 90\r\n");  // written on Windows
  auto* editor = new CEditorDialog(nullptr);
  editor->kind = runs::kEditFms;
  editor->path = path;
  editor->Prepare();
  editor->Show();
  EXPECT_EQ(editor->GetTitle(), wxString::FromUTF8(path));
  EXPECT_FALSE(editor->FindWindow(CEditorDialog::kSaveId)->IsEnabled());
  TextOf(editor)->AppendText("2 6 7 8 60 90\n");  // a typed change
  EXPECT_TRUE(editor->modified);
  EXPECT_TRUE(editor->FindWindow(CEditorDialog::kSaveId)->IsEnabled());

  messages.Script({Answer::Cancel});
  PressEscape(editor);
  EXPECT_TRUE(editor->IsShown());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"File has been changed. Would you like to save it?"});

  // Yes saves the text, then the editor closes.
  messages.Clear();
  messages.Script({Answer::Yes});
  editor->Close();
  EXPECT_FALSE(editor->IsShown());
  EXPECT_TRUE(editor->verdict);
  EXPECT_EQ(runs_gui::Project::Read(path), "1 6 7 8 60 90\n2 6 7 8 60 90\n");
  editor->Destroy();
  widgets::FlushEvents(2);
}

TEST(EditorWindow, InvalidTextAsksFirstAndValidationUsesTheEditorsOwnMessages) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  const std::string path = p.Write("m.fmd", "60 0.1 0.2 0.3 0.4 0.5 2000 1800 1500 1.0 25 8000 8000\n");
  auto* editor = new CEditorDialog(nullptr);
  editor->kind = runs::kEditFmd;
  editor->path = path;
  editor->Prepare();
  editor->Show();
  // The launch check takes model 60; the editor does not.
  wxCommandEvent validate(wxEVT_BUTTON, CEditorDialog::kValidateId);
  editor->ProcessWindowEvent(validate);
  EXPECT_FALSE(editor->verdict);
  messages.Script({Answer::No});
  PressEscape(editor);
  EXPECT_TRUE(editor->IsShown());
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{"Line 1: Invalid fuel model number \"60\", must be from 14 to 50.",
                                      "Not a valid FMD format. Close anyway?"}));
  editor->Destroy();
  widgets::FlushEvents(2);
}

TEST(EditorWindow, GeneratedTextAsksToSaveThroughTheSaveDialog) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  auto* editor = new CEditorDialog(nullptr);
  editor->kind = runs::kEditFms;
  editor->text = "0 6 7 8 60 90\n";
  editor->modified = true;
  editor->Prepare();
  editor->Show();
  EXPECT_EQ(editor->GetTitle(), "New FMS file");
  EXPECT_FALSE(editor->FindWindow(CEditorDialog::kSaveId)->IsEnabled());
  const std::string target = (p.dir / "made").string();
  dialogs.AnswerSaveFile(target);
  messages.Script({Answer::Yes});
  editor->Close();
  EXPECT_FALSE(editor->IsShown());
  EXPECT_EQ(editor->path, target + ".fms");
  EXPECT_EQ(runs_gui::Project::Read(target + ".fms"), "0 6 7 8 60 90\n");
  ASSERT_EQ(dialogs.Requests().size(), 1u);
  EXPECT_EQ(dialogs.Requests()[0].options.filter, "FMS files (*.fms)|*.fms|All Files (*.*)|*.*||");
  editor->Destroy();
  widgets::FlushEvents(2);
}

TEST(FuelMoisturesWindow, DefaultsAndTypedValuesOutsideTheSpinRange) {
  runs::ui::CFuelMoisturesDialog dialog(nullptr);
  ASSERT_TRUE(dialog.TransferDataFromWindow());
  EXPECT_EQ((std::vector<int>{dialog.oneHour, dialog.tenHour, dialog.hundredHour, dialog.herbaceous,
                              dialog.liveWoody}),
            (std::vector<int>{6, 7, 8, 60, 90}));
  dialog.edits[3]->ChangeValue("300");  // typed
  ASSERT_TRUE(dialog.TransferDataFromWindow());
  EXPECT_EQ(dialog.herbaceous, 300);
  // The arrows stop at the range's end.
  dialog.edits[3]->ChangeValue("249");
  dialog.spins[3]->OnDeltaPos(1);
  dialog.spins[3]->OnDeltaPos(1);
  EXPECT_EQ(dialog.edits[3]->GetValue(), "250");
  dialog.edits[0]->ChangeValue("");
  platform::ScopedRecordingMessages messages;
  EXPECT_FALSE(dialog.TransferDataFromWindow());
  EXPECT_EQ(dialog.oneHour, 6);
}
