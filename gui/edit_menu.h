// The Edit menu of the desks that undo and redo programming (main desk, play
// desk, sequence desk): Undo (Ctrl+Z) and Redo (Ctrl+Shift+Z, Ctrl+Y), each
// bound to the window's menu item of that name, whose caption names the act.
#pragma once

class QMenuBar;

namespace lumora {
class Form;
namespace gui {
class Binder;
// Adds the menu when the window has the items; returns whether it did.
bool AddEditMenu(QMenuBar* bar, Form& form, Binder& binder);
}  // namespace gui
}  // namespace lumora
