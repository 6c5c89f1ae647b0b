// The tool strips show which tool is engaged: each plug-in's buttons are toggle buttons, and the
// one of the host's current tool is the one pressed in. The tool manager's current tool is the
// truth (a strip click, a key typed into a view, a menu or a script all switch it there); the
// strips follow it after each click and on every frame.
#include "CEditorHost.h"
#include "CMainFrame.h"
#include "CToolManager.h"

#include <wx/aui/auibar.h>

void CMainFrame::SyncToolStrips() {
    const CToolManager& tools = m_host.Tools();
    const int current = tools.CurrentTool();
    for (const auto& entry : m_strips) {
        wxAuiToolBar* strip = entry.second;
        bool changed = false;
        for (int tool = 0; tool < tools.ToolCount(); ++tool) {
            if (tools.PluginOfTool(tool) != entry.first)
                continue;
            const int id = tools.CommandOfTool(tool);
            wxAuiToolBarItem* item = strip->FindTool(id);
            if (!item || item->GetKind() != wxITEM_CHECK)
                continue;
            const bool pressed = tool == current;
            if (strip->GetToolToggled(id) != pressed) {
                strip->ToggleTool(id, pressed);
                changed = true;
            }
        }
        if (changed)
            strip->Refresh(false);
    }
}

int CMainFrame::PressedStripTool(IPluginBase*& plugin) const {
    for (const auto& entry : m_strips) {
        wxAuiToolBar* strip = entry.second;
        for (size_t i = 0; i < strip->GetToolCount(); ++i) {
            wxAuiToolBarItem* item = strip->FindToolByIndex(static_cast<int>(i));
            if (item && item->GetKind() == wxITEM_CHECK && strip->GetToolToggled(item->GetId())) {
                plugin = entry.first;
                return item->GetId();
            }
        }
    }
    plugin = nullptr;
    return wxID_NONE;
}
