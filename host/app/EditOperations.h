// The Edit menu's everyday operations on the scene, shared by the menu, the keys of the views
// and of the outliner, and the script commands. Each is one undoable step through the host's
// undo manager (nothing pushed when it changes nothing).
#pragma once

#include <string>

class CEditorHost;
class wxKeyEvent;

namespace EditOps {

// Deletes the selection with all its children. Answers the number of entities removed.
int DeleteSelection(CEditorHost& host);
// Selects every visible, selectable entity (one selection step). Answers the count selected.
int SelectAll(CEditorHost& host);
// Hides the selection (it leaves the selection); answers how many were hidden.
int HideSelection(CEditorHost& host);
// Shows every hidden entity; answers how many.
int ShowAll(CEditorHost& host);
// Renames through the host: "" when renamed (or the name is the same), else the refusal,
// in Chinese for the status line; the entity then keeps its name.
std::string Rename(CEditorHost& host, const std::string& oldName, const std::string& newName);
// Copies the selection in place through the plug-ins' Copy command (their rules on what may be
// copied hold); the copies become the selection, and the gizmo of an engaged transform tool
// stands on them. Answers the number of copies made.
int Duplicate(CEditorHost& host);
// Selects one entity as a click does: "exclude" (replace), "add" (Ctrl) or "sub" (Shift).
void Select(CEditorHost& host, const std::string& name, const char* mode);
// The mode of a click with these keys held: Ctrl adds, Shift removes, else replaces.
const char* ClickMode(bool ctrl, bool shift);

// The edit keys: Delete, Ctrl+A, H (hide), Alt+H (show all), Ctrl+D and Shift+D (duplicate). True
// when the key was one of them (handled), false to let it through.
bool HandleKey(CEditorHost& host, const wxKeyEvent& event);

} // namespace EditOps
