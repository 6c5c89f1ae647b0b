// The side-area wrapper of the parameter panel: the host shows, sizes and hides the panel
// through it while the tool's page is shown.
#pragma once

#include "CSizeControlChild.h"

#include <type_traits> // wx/weakref.h needs it first
#include <wx/weakref.h>

#include "CDialogParameter.h"

class wxWindow;

class CPanelHost : public CSizeControlChild {
public:
    CPanelHost();
    ~CPanelHost() override;
    CPanelHost(const CPanelHost&) = delete;
    CPanelHost& operator=(const CPanelHost&) = delete;

    wxWindow* GetWindow() override;
    int Resize(int width, int height) override;
    int OnActivate(int) override { return 1; }
    int OnDockChange(int) override { return 1; }
    int OnHostMessage(int, int) override { return 1; }
    void GetSize(int& width, int& height) override;
    // Builds the panel from template 108 as a child of parent, hidden; keeps its width.
    void CreateChild(wxWindow* parent) override;

    // Shows (non-zero) or hides the panel window when it exists. Returns 1.
    int Show(int flag);
    void DestroyWindow();
    bool HasWindow() const;

    // The panel object; it exists from construction, its window only after CreateChild.
    CDialogParameter* GetPanel() const { return m_panel.get(); }

private:
    // The panel object lives on the heap so that a parent that destroys its children first
    // cannot delete a member of ours; the weak reference notices that.
    wxWeakRef<CDialogParameter> m_panel;
    int m_width = 0;
    int m_height = 0;
};
