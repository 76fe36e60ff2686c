#include "project/preferences.h"

#include <string>

#include "platform/desk_base.h"
#include "project/show_keeper.h"
#include "project/user_settings.h"

namespace lumora {

Preferences::Preferences(DeskBase& desk) : Form(desk, "Preferences") {
  setCaption("Preferences");
  lblAutosave.setCaption("Autosave a changed show every (minutes, 0 = off):");
  lblBackups.setCaption("Numbered backups kept by a project save (0 = off):");
  chkOpenLast.setCaption("Open the last project at start");
  cmdOK.setCaption("OK");
  cmdCancel.setCaption("Cancel");
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void Preferences::Form_Load() { fill(); }

void Preferences::Form_Activate() { fill(); }

void Preferences::fill() {
  ShowKeeper* k = ShowKeeper::of(desk());
  if (!k) return;
  const UserSettings& s = k->settings();
  txtAutosave.setText(std::to_string(s.autosaveMinutes));
  txtBackups.setText(std::to_string(s.backupCount));
  chkOpenLast.setValue(s.openLastAtStart ? 1 : 0);
  const std::string where = k->autosavePath();
  lblWhere.setCaption(where.empty() ? "Autosave is not available: no user folder is known."
                                    : "Autosaves go to " + where.substr(0, where.rfind('/')));
}

void Preferences::cmdOK_Click() {
  ShowKeeper* k = ShowKeeper::of(desk());
  if (!k) return;
  int minutes = 0;
  int backups = 0;
  // Nothing is stored unless both numbers are sound.
  if (!ParseSettingNumber(txtAutosave.Text(), 0, kMaxAutosaveMinutes, minutes)) {
    desk().dialogs().Message(" Enter the autosave interval as whole minutes from 0 to " +
                                 std::to_string(kMaxAutosaveMinutes) + " (0 = off)",
                             " Preferences", MsgIcon::Exclamation);
    txtAutosave.SetFocus();
    return;
  }
  if (!ParseSettingNumber(txtBackups.Text(), 0, kMaxBackupCount, backups)) {
    desk().dialogs().Message(" Enter the number of backups from 0 to " + std::to_string(kMaxBackupCount) +
                                 " (0 = off)",
                             " Preferences", MsgIcon::Exclamation);
    txtBackups.SetFocus();
    return;
  }
  k->setAutosaveMinutes(minutes);
  k->setBackupCount(backups);
  k->setOpenLastAtStart(chkOpenLast.Value() != 0);
  Unload();
}

void Preferences::cmdCancel_Click() { Unload(); }

}  // namespace lumora
