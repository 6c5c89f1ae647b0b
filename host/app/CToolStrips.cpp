#include "CToolStrips.h"

#include "IPluginBase.h"
#include "CEditorHost.h"
#include "CMainFrame.h"
#include "CToolManager.h"
#include "GizmoOptionsBar.h"

#include <wx/aui/auibar.h>
#include <wx/aui/framemanager.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/toolbar.h>
#include <wx/xrc/xmlres.h>

namespace {
const char* const kToolStripResource = "101";
constexpr int kToolSize = CGizmoOptionsBar::kIconSize;
} // namespace

CToolStrips::CToolStrips(CMainFrame& frame, wxAuiManager& aui, CEditorHost& host)
    : m_frame(frame), m_aui(aui), m_host(host) {}

CToolStrips::~CToolStrips() {
    // The windows outlive this object (the frame destroys its children last): no event of
    // theirs may reach it after.
    for (const auto& entry : m_strips) {
        entry.second->Unbind(wxEVT_TOOL, &CToolStrips::OnToolClicked, this);
        UnbindHover(entry.second);
    }
    if (m_optionsBar)
        UnbindHover(m_optionsBar);
}

void CToolStrips::BindHover(wxWindow* bar) {
    bar->Bind(wxEVT_MOTION, &CToolStrips::OnMotion, this);
    bar->Bind(wxEVT_LEAVE_WINDOW, &CToolStrips::OnLeave, this);
}

void CToolStrips::UnbindHover(wxWindow* bar) {
    bar->Unbind(wxEVT_MOTION, &CToolStrips::OnMotion, this);
    bar->Unbind(wxEVT_LEAVE_WINDOW, &CToolStrips::OnLeave, this);
}

void CToolStrips::Sync() {
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

int CToolStrips::Pressed(IPluginBase*& plugin) const {
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

wxAuiToolBar* CToolStrips::Build(IPluginBase* plugin) {
    if (!plugin || m_strips.count(plugin))
        return nullptr;
    wxXmlResource* resources = wxXmlResource::Get();
    wxLogNull quiet; // a module without a tool strip is normal
    if (!resources->GetResourceNode(kToolStripResource))
        return nullptr;
    // XRC builds a wxToolBar; read its tools into an AUI tool bar that the manager docks.
    auto* scratch = new wxPanel(&m_frame, wxID_ANY);
    scratch->Hide();
    wxToolBar* source = resources->LoadToolBar(scratch, kToolStripResource);
    if (!source) {
        scratch->Destroy();
        return nullptr;
    }
    // Each button shows its text beside its image.
    auto* strip = new wxAuiToolBar(&m_frame, wxID_ANY, wxDefaultPosition, wxDefaultSize,
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
        // A toggle button: the engaged tool's stays pressed in (Sync).
        strip->AddTool(id, tip, bitmap, tip, wxITEM_CHECK);
        m_host.Tools().AddToolCommand(plugin, id);
    }
    strip->Realize();
    scratch->Destroy();
    strip->Bind(wxEVT_TOOL, &CToolStrips::OnToolClicked, this);
    BindHover(strip);
    m_strips[plugin] = strip;
    m_aui.AddPane(strip, wxAuiPaneInfo()
                             .Name(wxString::Format("toolstrip%d", int(m_strips.size())))
                             .Caption(wxString::FromUTF8(plugin->GetDisplayName()))
                             .ToolbarPane()
                             .Top());
    ShowOptions(true);
    m_frame.UpdateLayout();
    return strip;
}

void CToolStrips::OnToolClicked(wxCommandEvent& event) {
    for (const auto& entry : m_strips)
        if (entry.second == event.GetEventObject()) {
            m_host.ClickTool(entry.first, event.GetId());
            Sync();
            return;
        }
}

bool CToolStrips::Click(int position) {
    IPluginBase* plugin = nullptr;
    int id = 0;
    if (!m_host.FindStripTool(position, plugin, id))
        return false;
    wxAuiToolBar* strip = Get(plugin);
    if (strip && strip->FindTool(id)) {
        wxCommandEvent click(wxEVT_TOOL, id);
        click.SetEventObject(strip);
        strip->ProcessWindowEvent(click);
    } else {
        m_host.ClickTool(plugin, id);
    }
    return true;
}

wxAuiToolBar* CToolStrips::Get(IPluginBase* plugin) const {
    auto it = m_strips.find(plugin);
    return it == m_strips.end() ? nullptr : it->second;
}

void CToolStrips::Remove(IPluginBase* plugin) {
    auto it = m_strips.find(plugin);
    if (it == m_strips.end())
        return;
    wxAuiToolBar* strip = it->second;
    m_strips.erase(it);
    m_aui.DetachPane(strip);
    strip->Destroy();
    if (m_strips.empty())
        ShowOptions(false);
    m_aui.Update();
}

void CToolStrips::OnMotion(wxMouseEvent& event) {
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
    m_frame.SetStatusText(text);
}

void CToolStrips::OnLeave(wxMouseEvent& event) {
    event.Skip();
    if (m_hoveredTool == wxID_NONE)
        return;
    m_hoveredTool = wxID_NONE;
    m_frame.SetStatusText(wxString::FromUTF8("就绪"));
}

void CToolStrips::ShowOptions(bool shown) {
    if (!m_optionsBar) {
        if (!shown)
            return;
        m_optionsBar = new CGizmoOptionsBar(&m_frame, m_host);
        BindHover(m_optionsBar);
        // Position 1 in the strips' row: after a strip, which docks at 0.
        m_aui.AddPane(m_optionsBar, wxAuiPaneInfo()
                                        .Name("gizmooptions")
                                        .Caption(wxString::FromUTF8("操纵选项"))
                                        .ToolbarPane()
                                        .Top()
                                        .Row(0)
                                        .Position(1));
    }
    m_aui.GetPane(m_optionsBar).Show(shown);
}

void CToolStrips::OptionsChanged() {
    if (!m_optionsBar || !m_optionsBar->Sync())
        return;
    wxAuiPaneInfo& pane = m_aui.GetPane(m_optionsBar);
    if (pane.IsOk() && pane.best_size != m_optionsBar->GetBestSize()) {
        pane.BestSize(m_optionsBar->GetBestSize());
        m_aui.Update();
    }
}
