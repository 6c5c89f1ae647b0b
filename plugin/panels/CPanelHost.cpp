#include "CPanelHost.h"

CPanelHost::CPanelHost() : m_panel(new CDialogParameter()) {}

CPanelHost::~CPanelHost() {
    CDialogParameter* panel = m_panel.get();
    if (!panel)
        return;
    if (panel->GetHandle())
        panel->Destroy();
    else
        delete panel;
}

wxWindow* CPanelHost::GetWindow() {
    return m_panel.get();
}

bool CPanelHost::HasWindow() const {
    const CDialogParameter* panel = m_panel.get();
    return panel && panel->GetHandle();
}

int CPanelHost::Resize(int width, int height) {
    if (HasWindow()) {
        m_panel->SetSize(0, 0, width, height);
        m_panel->wxWindow::Refresh();
    }
    return 1;
}

void CPanelHost::GetSize(int& width, int& height) {
    width = m_width;
    height = m_height;
}

void CPanelHost::CreateChild(wxWindow* parent) {
    CDialogParameter* panel = m_panel.get();
    if (!parent || !panel || panel->GetHandle())
        return;
    if (!panel->CreateFromTemplate(parent))
        return;
    panel->Hide();
    m_width = panel->GetSize().GetWidth();
    m_height = 0;
}

int CPanelHost::Show(int flag) {
    if (HasWindow())
        m_panel->Show(flag != 0);
    return 1;
}

void CPanelHost::DestroyWindow() {
    CDialogParameter* panel = m_panel.get();
    if (!panel || !panel->GetHandle())
        return;
    // Destroying a child window deletes its object; a fresh object without a window takes
    // its place with the same links, so the panel can be created again.
    CSceneManager* sceneManager = panel->GetSceneManager();
    IPanelOwner* plugin = panel->GetPlugin();
    panel->Destroy();
    CDialogParameter* fresh = new CDialogParameter();
    fresh->SetSceneManager(sceneManager);
    fresh->SetPlugin(plugin);
    m_panel = fresh;
}
