// The plug-ins' tool strips in the main frame: built from a module's XRC tool bar, clicked,
// hovered (the status line names the button) and removed with the module.
//
// The tool strips show which tool is engaged: each plug-in's buttons are toggle buttons, and the
// one of the host's current tool is the one pressed in. The tool manager's current tool is the
// truth (a strip click, a key typed into a view, a menu or a script all switch it there); the
// strips follow it after each click and on every frame.
#include "IPluginBase.h"
#include "CEditorHost.h"
#include "CMainFrame.h"
#include "CToolManager.h"
#include "GizmoOptionsBar.h"

#include <wx/aui/auibar.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

namespace {
const char* const kToolStripResource = "101";
constexpr int kToolSize = CGizmoOptionsBar::kIconSize;
} // namespace

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

wxAuiToolBar* CMainFrame::BuildToolStrip(IPluginBase* plugin) {
    if (!plugin || m_strips.count(plugin))
        return nullptr;
    wxXmlResource* resources = wxXmlResource::Get();
    wxLogNull quiet; // a module without a tool strip is normal
    if (!resources->GetResourceNode(kToolStripResource))
        return nullptr;
    // XRC builds a wxToolBar; read its tools into an AUI tool bar that the manager docks.
    auto* scratch = new wxPanel(this, wxID_ANY);
    scratch->Hide();
    wxToolBar* source = resources->LoadToolBar(scratch, kToolStripResource);
    if (!source) {
        scratch->Destroy();
        return nullptr;
    }
    // Each button shows its text beside its image.
    auto* strip = new wxAuiToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                   wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_TEXT | wxAUI_TB_HORZ_LAYOUT);
    strip->SetToolBitmapSize(wxSize(kToolSize, kToolSize));
    for (size_t i = 0; i < source->GetToolsCount(); ++i) {
        const wxToolBarToolBase* tool = source->GetToolByPos(static_cast<int>(i));
        if (!tool)
            continue;
        if (tool->IsSeparator()) {
            strip->AddSeparator();
            continue;
        }
        const int id = tool->GetId();
        wxBitmap bitmap = tool->GetNormalBitmap();
        if (!bitmap.IsOk()) {
            bitmap = wxBitmap(kToolSize, kToolSize);
        } else if (bitmap.GetWidth() != kToolSize || bitmap.GetHeight() != kToolSize) {
            bitmap = wxBitmap(bitmap.ConvertToImage().Rescale(kToolSize, kToolSize));
        }
        char text[512] = {0};
        wxString tip = tool->GetShortHelp();
        if (plugin->LoadText(static_cast<unsigned>(id), text, sizeof text) > 0)
            tip = wxString::FromUTF8(text);
        // A toggle button: the engaged tool's stays pressed in (SyncToolStrips).
        strip->AddTool(id, tip, bitmap, tip, wxITEM_CHECK);
        m_host.Tools().AddToolCommand(plugin, id);
    }
    strip->Realize();
    scratch->Destroy();
    strip->Bind(wxEVT_TOOL, &CMainFrame::OnToolClicked, this);
    strip->Bind(wxEVT_MOTION, &CMainFrame::OnStripMotion, this);
    strip->Bind(wxEVT_LEAVE_WINDOW, &CMainFrame::OnStripLeave, this);
    m_strips[plugin] = strip;
    m_aui.AddPane(strip, wxAuiPaneInfo()
                             .Name(wxString::Format("toolstrip%d", int(m_strips.size())))
                             .Caption(wxString::FromUTF8(plugin->GetDisplayName()))
                             .ToolbarPane()
                             .Top());
    ShowGizmoOptions(true);
    UpdateLayout();
    return strip;
}

void CMainFrame::OnToolClicked(wxCommandEvent& event) {
    for (const auto& entry : m_strips)
        if (entry.second == event.GetEventObject()) {
            m_host.ClickTool(entry.first, event.GetId());
            SyncToolStrips();
            return;
        }
}

bool CMainFrame::ClickStripTool(int position) {
    IPluginBase* plugin = nullptr;
    int id = 0;
    if (!m_host.FindStripTool(position, plugin, id))
        return false;
    wxAuiToolBar* strip = GetToolStrip(plugin);
    if (strip && strip->FindTool(id)) {
        wxCommandEvent click(wxEVT_TOOL, id);
        click.SetEventObject(strip);
        strip->ProcessWindowEvent(click);
    } else {
        m_host.ClickTool(plugin, id);
    }
    return true;
}

wxAuiToolBar* CMainFrame::GetToolStrip(IPluginBase* plugin) const {
    auto it = m_strips.find(plugin);
    return it == m_strips.end() ? nullptr : it->second;
}

void CMainFrame::RemoveToolStrip(IPluginBase* plugin) {
    auto it = m_strips.find(plugin);
    if (it == m_strips.end())
        return;
    wxAuiToolBar* strip = it->second;
    m_strips.erase(it);
    m_aui.DetachPane(strip);
    strip->Destroy();
    if (m_strips.empty())
        ShowGizmoOptions(false);
    m_aui.Update();
}
void CMainFrame::OnStripMotion(wxMouseEvent& event) {
    event.Skip(); // the strip tracks its own hover
    auto* strip = wxDynamicCast(event.GetEventObject(), wxAuiToolBar);
    if (!strip)
        return;
    wxAuiToolBarItem* item = strip->FindToolByPosition(event.GetX(), event.GetY());
    const int id = item && item->GetKind() != wxITEM_SEPARATOR ? item->GetId() : wxID_NONE;
    if (id == m_hoveredTool)
        return;
    m_hoveredTool = id;
    // A button's tooltip says what it does (a plug-in's is its label; an option button's label
    // is only the option's state).
    wxString text = wxString::FromUTF8("就绪");
    if (item && id != wxID_NONE)
        text = item->GetShortHelp().empty() ? item->GetLabel() : item->GetShortHelp();
    SetStatusText(text);
}

void CMainFrame::OnStripLeave(wxMouseEvent& event) {
    event.Skip();
    if (m_hoveredTool == wxID_NONE)
        return;
    m_hoveredTool = wxID_NONE;
    SetStatusText(wxString::FromUTF8("就绪"));
}
