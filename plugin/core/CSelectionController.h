// Selection by click, by rectangle and by parents, and the copy of the selection. The plug-in
// never changes the selection itself: it issues the host's undoable commands "SelectEntity"
// and "CopyEntity".
#pragma once

#include "PluginCalls.h"

class CSceneManager;
class IView;
class Interface;

class CSelectionController {
public:
    // The scene is the one the plug-in was built with (may be null); the ray of a click asks
    // the host's scene of the moment.
    CSelectionController(Interface* host, CSceneManager* scene) : m_host(host), m_scene(scene) {}

    // A click at (x, y) that grabbed no gizmo part: selects what the ray hits, combined with
    // the selection by `mode`. 0 when there is nothing to select and nothing to deselect.
    int ClickSelect(SelectMode mode, IView* view, int x, int y);
    // The host's rubber band: selects every visible, selectable entity whose centre lies in it,
    // combined by the keyboard as it is now. Always 0.
    int SelectRect(IView* view, const PixelRect& rect);
    // Selects the parents of the selected entities; answers how many were listed.
    int SelectParents();
    // Copies the selected entities, up to the first that may not be copied (or the first
    // light, when the scene holds as many lights as it can); the copies become the selection.
    // True when a copy was made (one undo step).
    bool CopySelection();

private:
    Interface* m_host;
    CSceneManager* m_scene;
};
