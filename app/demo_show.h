#pragma once

namespace lumora {

class Desk;

// Loads the shipped demo show (share/lumora/demo/demo_show.xml beside the
// program) as an unsaved show; without it, fills the desk with a small
// built-in show: named channels, a few submixes and faders up.
void LoadDemoShow(Desk& desk);

}  // namespace lumora
