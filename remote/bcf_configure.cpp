#include "remote/bcf_configure.h"

#include "platform/desk_base.h"
#include "remote/bcf.h"

namespace lumora {

BCF_configure::BCF_configure(DeskBase& desk) : Form(desk, "BCF_configure") {
  setCaption("BCF Setup");
  Command1.setCaption("Connect to BCF");
  Command2.setCaption("Close");
  Label1.setCaption("BCF Update if...");
  Frame1.setCaption("Main Screen");
  Frame2.setCaption("Playback Desk");
  const char* main[] = {"Fader Changed", "Desk Cleared", "Submix is recalled"};
  const char* play[] = {"Follow Sub Mixes in Run Mode", "Follow Channel's in Run Mode", "Submix Recalled"};
  for (int i = 0; i < 3; ++i) {
    // The surface follows every change; the options are shown ticked.
    Check1[i].setCaption(main[i]);
    Check1[i].setValue(1);
    Check2[i].setCaption(play[i]);
    Check2[i].setValue(1);
  }
  Command1.onClick = [this] { Command1_Click(); };
  Command2.onClick = [this] { Unload(); };
}

void BCF_configure::Command1_Click() {
  DeskBase& d = desk();
  Text1.setText("");
  BCF& b = d.window<BCF>();
  b.Load();
  b.BcfConnect();
  if (d.state.BcfMode < 1) {
    b.Unload();
  } else {
    b.Show();
    Text1.setText("Connected");
  }
}

}  // namespace lumora
