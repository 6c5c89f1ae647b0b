// A property row that owns an editor window lying over its value: the base of the edit and
// colour rows. It writes the window's life cycle once: the row creates its window in the list
// pane and hands it over with AttachWindow; from then on this class lays it over the value area,
// shows and focuses it when the row is activated, hides it (handing the focus back to the list)
// on a commit, a selection change or a layout, ends the edit when the focus moves elsewhere in
// the control, and, when the row is removed, unbinds it and queues it in the control's deferred
// queue, to be destroyed once the current event is over (CPropertyTreeWnd::DestroyLater). The
// derived row paints its value, says where the window lies and handles the window's other
// events.
#pragma once

#include "CPropertyNode.h"

#include <wx/window.h>

class wxCommandEvent;
class wxFocusEvent;
class wxKeyEvent;

class CWindowPropertyNode : public CPropertyNode {
public:
    CWindowPropertyNode(const CWindowPropertyNode&) = delete;
    CWindowPropertyNode& operator=(const CWindowPropertyNode&) = delete;
    ~CWindowPropertyNode() override;

    // True from the window taking the focus until the edit ends.
    bool IsEditing() const { return m_editing != 0; }

    // Paints the value while the window is not being edited (and keeps the hidden window over
    // the value area).
    void DrawValue(wxDC& dc, const wxRect& rect) final;
    void OnActivate() final;
    void OnLayout() final;
    void OnMoved() final;
    void OnCommit() final;
    void OnRemove() final;
    void OnDeselect() final;
    void OnSelect() final;

protected:
    CWindowPropertyNode() = default;

    // The list pane a new window is created in; null when the row is in no tree or already has
    // its window.
    wxWindow* GetWindowParent() const;
    // Takes the window just created in GetWindowParent(): the row's font, the handlers, laid
    // over the value area and hidden until the row is activated.
    void AttachWindow(wxWindow* window);
    wxWindow* GetWindow() const { return m_pWindow; }

    // Lays the window where GetWindowRect() says.
    void PlaceWindow();
    // Hides the window; the list takes the focus if the window had it, and an edit still open
    // ends here.
    void HideWindow();
    // Gives the focus to the list (which ends the edit); false when there is no list.
    bool FocusList();
    // The edit ends and the row commits its value (once per activation).
    void EndEdit();

    // Paints the value into the value rectangle.
    virtual void PaintValue(wxDC& dc, const wxRect& rect) = 0;
    // Where the window lies (list-pane coordinates); the value area by default.
    virtual wxRect GetWindowRect() const { return GetValueRect(); }
    // Binds (`on`) or unbinds the row's own handlers of the window; see Route.
    virtual void ConnectWindow(wxWindow* window, bool on);
    // The window was shown and focused by an activation.
    virtual void OnWindowOpened() {}
    // The window took the focus.
    virtual void OnWindowFocused() {}
    // True when the edit also ends as the focus leaves for a window outside the control.
    virtual bool EndsOnFocusLeavingControl() const { return false; }
    // A key pressed in the window other than Tab, which moves to the next row; answers true when
    // the row used it.
    virtual bool OnWindowKey(const wxKeyEvent& event);
    // The window is about to go: the row closes what reports to it.
    virtual void OnWindowRemoved() {}

    // Binds or unbinds one handler of the derived row on the window.
    template <typename Tag, typename Class, typename Event>
    void Route(wxWindow* window, bool on, const Tag& type, void (Class::*method)(Event&)) {
        Class* self = static_cast<Class*>(this);
        if (on)
            window->Bind(type, method, self);
        else
            window->Unbind(type, method, self);
    }

private:
    void Connect(wxWindow* window, bool on);
    void OnSetFocus(wxFocusEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void OnFocusSettled(wxCommandEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    bool IsInsideControl(const wxWindow* window) const;

    wxWindow* m_pWindow = nullptr;
    int m_editing = 0;
};
