#pragma once

namespace lumora {

class Desk;

// Fills the desk with a small show to try the desk with: named channels,
// a few submixes and faders up.
void LoadDemoShow(Desk& desk);

}  // namespace lumora
