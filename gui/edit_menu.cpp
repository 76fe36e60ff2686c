#include "gui/edit_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "core/form.h"
#include "gui/binder.h"

namespace lumora::gui {

bool AddEditMenu(QMenuBar* bar, Form& form, Binder& binder) {
  Control* undo = form.control("Undo");
  Control* redo = form.control("Redo");
  if (!undo || !redo) return false;
  QMenu* edit = bar->addMenu("&Edit");
  QAction* u = edit->addAction("Undo");
  u->setShortcut(QKeySequence::Undo);
  // The window's own shortcut: each desk undoes from wherever its focus is.
  u->setShortcutContext(Qt::WindowShortcut);
  binder.bind(u, *undo);
  QAction* r = edit->addAction("Redo");
  r->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  r->setShortcutContext(Qt::WindowShortcut);
  binder.bind(r, *redo);
  return true;
}

}  // namespace lumora::gui
