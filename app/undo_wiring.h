// Undo and redo of programming on the running desk (see core/undo_desk.h).
#pragma once

namespace lumora {

class Desk;
class UndoDesk;

// Makes the desk's undo history, the Undo and Redo menu items of the main
// desk, the play desk and the sequence desk, and the console's Undo.Depth
// and Undo.Last. Called once when the desk is made.
void SetupUndo(Desk& d);
// The desk's undo history.
UndoDesk* UndoOf(Desk& d);

}  // namespace lumora
