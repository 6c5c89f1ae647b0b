// The tool's presence in the editor: its page in the side area, the pointer shown over the
// views, whether its tool is engaged, the gizmo's layout per frame and per view, the scene
// notifications the gizmo and the side panel follow, and View > frame the selection.
#pragma once

#include "EditorTypes.h"

#include <memory>

class CMapSelectMgr;
class CPanelHost;
class CSceneManager;
class IView;
class Interface;
class wxCursor;

class CPageController {
public:
    CPageController(Interface* host, CSceneManager* scene, CMapSelectMgr& gizmo,
                    CPanelHost& panelHost);
    ~CPageController();
    CPageController(const CPageController&) = delete;
    CPageController& operator=(const CPageController&) = delete;

    // Makes the tool's cursor once; a repeated call keeps it, as the host may hold it.
    void CreateCursor();
    void ReleaseCursor();

    void ShowPage();
    void HidePage();
    // The tool engaged: the views show its cursor. Released: the frame step hides the gizmo.
    void EngageTool();
    // Released: nothing of the tool stays highlighted for when it is engaged again.
    void ReleaseTool();

    // A scene reset (entity null), a selection change or a change of one entity: the gizmo
    // and the side panel follow it.
    void OnSceneChange(void* entity, int code);
    // Moves the view's camera so that the selected entities' bounds fill it (a default box
    // for an empty selection). Always 1.
    int FrameSelection(IView* view);
    void Hover(int a, int b);
    // Lays the gizmo out for view n as it is about to be drawn, while the page is shown.
    void ViewUpdate(IView* view, int viewNumber);
    // One frame: lay out view 0, hide the gizmo while the tool is not engaged, else keep the
    // tool's cursor on the views.
    void FrameStep();

    int IsPageShown() const { return m_pageShown; }
    int IsToolEngaged() const { return m_toolEngaged; }
    const wxCursor* GetCursor() const { return m_cursor.get(); }

private:
    Interface* m_host;
    CSceneManager* m_scene;
    CMapSelectMgr& m_gizmo;
    CPanelHost& m_panelHost;
    std::unique_ptr<wxCursor> m_cursor;
    int m_pageShown = 0;
    int m_toolEngaged = 0;
};
