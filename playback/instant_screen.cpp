#include "playback/instant_screen.h"

#include <algorithm>

#include "platform/desk_base.h"
#include "core/levels.h"
#include "playback/namedit.h"
#include "playback/playdesk.h"

namespace lumora {

instant_screen::instant_screen(DeskBase& d) : Form(d, "instant_screen") {
  setCaption("Instant Screens");
  screens_.fill(-1);
  Screen_sel.onClick([this](int k) {
    const int n = ScreenOf(k);
    if (n >= 0 && desk().state.RunMode) desk().window<Playdesk>().Take(n);
  });
  Screen_sel.onMouseDown([this](int k, MouseButton b, int, int) {
    const int n = ScreenOf(k);
    if (b == MouseButton::Right && n >= 0) desk().window<namedit>().OpenOn(n);
  });
}

void instant_screen::Form_Load() { Refresh(); }

void instant_screen::Refresh() {
  const DeskState& s = desk().state;
  screens_.fill(-1);
  int k = 0;
  const int last = std::clamp<int>(s.ScreenCount, 0, kScreens - 1);
  for (int n = 0; n <= last && k < kButtons; ++n) {
    const ScreenRecord& r = s.Screens[n];
    if (!r.Instant) continue;
    Control& b = Screen_sel[k];
    screens_[k] = n;
    b.setCaption(r.Name);
    b.setToolTipText(r.Name + ", Screen " + Num(n));
    b.setBackColor(r.Colour.empty() ? -1 : static_cast<int32_t>(Val(r.Colour)));
    b.setVisible(true);
    b.setEnabled(s.RunMode != 0);
    ++k;
  }
  for (; k < kButtons; ++k) {
    Screen_sel[k].setVisible(false);
    Screen_sel[k].setCaption("");
  }
}

}  // namespace lumora
