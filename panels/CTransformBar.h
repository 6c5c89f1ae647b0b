// The transform bar: a one-line panel from template 109, docked at the bottom edge of the
// editor's main frame while the plug-in is loaded.
#pragma once

#include <wx/panel.h>
#include <type_traits> // wx/weakref.h needs it first
#include <wx/weakref.h>

class wxWindow;

class CTransformBar {
public:
    CTransformBar() = default;
    ~CTransformBar();
    CTransformBar(const CTransformBar&) = delete;
    CTransformBar& operator=(const CTransformBar&) = delete;

    // Builds the bar as a child of frame and docks it at the frame's bottom edge.
    // False when there is no frame or the template cannot be loaded.
    bool Create(wxWindow* frame);
    // Undocks the bar and destroys its window; harmless when it has none.
    void Destroy();

    wxPanel* GetWindow() const { return m_window.get(); }
    bool IsDocked() const;
    // The control with one of the bar's numeric ids, or null.
    wxWindow* GetField(int id) const;

private:
    wxWeakRef<wxPanel> m_window;
    wxWindow* m_frame = nullptr;
};
