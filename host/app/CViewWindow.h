// One editor view on screen: a wx window holding an Ogre render window, its camera (a
// CEditorView) and the mouse handling (left button to the plug-ins through the host, right-drag
// orbits, middle-drag pans, the wheel zooms), its caption, grid and axis tripod (ViewDecorations).
// Keys Q, W, E and R click the first tool strip's buttons 1 to 4 (select, move, rotate, scale)
// while the view has the focus, and L flips the gizmo's move axes between world and local.
// Escape and a right press go to the plug-ins first (they take a drag back with them); a right
// press that a plug-in used starts no orbit. The keys of a typed amount (digits, '-', '.',
// Backspace, Return) go to the plug-ins before anything else: a held gizmo part takes them,
// and a key no plug-in used is handled as it would be otherwise. V (without modifiers) going
// down and up is told to the plug-ins as held and let go (the move tool's vertex snapping);
// the view losing the focus lets it go.
#pragma once

#include <wx/window.h>

#include <memory>
#include <string>

namespace Ogre {
class ManualObject;
class RenderWindow;
} // namespace Ogre

class CEditorEngine;
class CEditorHost;
class CEditorView;
class CViewDecorations;

class CViewWindow : public wxWindow {
public:
    enum Kind { PERSPECTIVE, TOP, FRONT, SIDE };

    CViewWindow(wxWindow* parent, CEditorHost& host, int index, Kind kind);
    ~CViewWindow() override;

    // Creates the Ogre render window inside this (shown, realised) window. False on failure.
    bool CreateOgreWindow(CEditorEngine& engine);
    // Releases the Ogre objects (before the engine ends).
    void DestroyOgreWindow();

    CEditorView* GetView() const { return m_view.get(); }
    Ogre::RenderWindow* GetRenderWindow() const { return m_renderWindow; }
    // Drops the window-system events queued for the engine's window (see the .cpp).
    void DrainWindowEvents();
    // Shows the rubber band the host reports for this view (or hides it).
    void UpdateRubberBand();
    // Points the camera at the default place for its kind.
    void ResetCamera();
    Kind GetKind() const { return m_kind; }
    // Shows or hides the view's grid (kept for a render window made later).
    void SetGridShown(bool shown);
    // Null before CreateOgreWindow.
    CViewDecorations* GetDecorations() const { return m_decorations.get(); }

    // The code a key has for the plug-ins' OnInputOther as part of a typed amount: '0'-'9',
    // '-' and '.' (from the main keys or the keypad), INPUT_KEY_BACKSPACE, INPUT_KEY_RETURN
    // (Return or the keypad's Enter); 0 for any other key, and for any key with Ctrl, Alt or
    // Meta held, or a main key with Shift (it types another character then).
    static int TypedAmountCode(const wxKeyEvent& event);

private:
    void OnSize(wxSizeEvent& event);
    void OnMouse(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    // Tells the plug-ins that V is let go, when they were told it is held.
    void LetGoVertexKey();
    int KeyFlags(const wxMouseEvent& event) const;

    CEditorHost& m_host;
    CEditorEngine* m_engine = nullptr;
    int m_index;
    Kind m_kind;
    std::unique_ptr<CEditorView> m_view;
    Ogre::RenderWindow* m_renderWindow = nullptr;
    Ogre::ManualObject* m_band = nullptr;
    std::unique_ptr<CViewDecorations> m_decorations;
    // Turns the axis tripod before the view renders.
    class CAxesListener;
    std::unique_ptr<CAxesListener> m_axesListener;
    bool m_gridShown = true;
    bool m_bandShown = false;
    // The right button went down to take a drag back: it orbits nothing until it is let go.
    bool m_rightUsed = false;
    // The plug-ins were told that V is held and not yet that it was let go.
    bool m_vertexKeyHeld = false;
    wxPoint m_lastMouse;
};
