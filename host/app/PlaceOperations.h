// Placing several entities at once, shared by the Tools menu (工具 › 对齐 / 分布) and the script
// commands: each is one undoable step through the host's undo manager (nothing pushed when no
// entity moves), and answers the number of entities moved.
#pragma once

class CEditorHost;
class wxMenu;
class wxWindow;

namespace PlaceOps {

// `axis` "x", "y" or "z"; `to` "min", "center" or "max". Aligns the selected entities' world
// boxes to the current entity's; -1 for an axis or side that is none of these.
int Align(CEditorHost& host, const char* axis, const char* to);
// Spaces the selected entities' box centres evenly along `axis`; -1 for an unknown axis.
int Distribute(CEditorHost& host, const char* axis);

// Appends 对齐 (X/Y/Z × 最小/居中/最大) and 分布 (X/Y/Z) to `tools`; their items are handled by
// `window` (the main frame).
void AppendMenus(wxMenu* tools, wxWindow& window, CEditorHost& host);

} // namespace PlaceOps
