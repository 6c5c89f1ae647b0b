// The plug-in object: the object-transform tool of the editor.
#pragma once

#include "IBaseCommand.h"
#include "IPluginBase.h"
#include "CMapSelectMgr.h"
#include "CTransformCommit.h"
#include "CPanelHost.h"
#include "CTransformBar.h"
#include "IPanelOwner.h"

#include <wx/toolbar.h>

#include <memory>
#include <set>
#include <string>

class CSceneManager;
class CTranslateListener;
class Interface;
class wxCursor;
class wxMenu;

class CTranslate : public IPluginBase, public IPanelOwner {
public:
    CTranslate(Interface* host, void* moduleHandle);
    ~CTranslate() override;

    // IPluginBase
    int OnToolCommand(int commandId) override;
    int OnWindowMessage(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;
    int OnNotify(int code, int arg, void* data) override;
    int OnSelectRect(IView* view, int unused, const PixelRect& rect) override;
    int OnPointerMove(IView* view, int viewNumber, int keyFlags, int x, int y) override;
    int OnPointerDown(IView* view, int viewNumber, int keyFlags, int x, int y) override;
    // A right press while a gizmo part is held takes the drag back (CancelDrag); 1 then.
    int OnPointerOther(int viewNumber, int button, int keyFlags, int x, int y, int) override;
    int OnPointerUp(IView* view, int viewNumber, int keyFlags, int x, int y) override;
    // Escape while a gizmo part is held takes the drag back (CancelDrag); 1 then.
    int OnInputOther(int code, int keyFlags) override;
    int OnHover(int a, int b) override;
    int OnShutdown() override { return 0; }
    int OnViewUpdate(IView* view, int viewNumber) override;
    const char* GetPluginName() override { return "CTranslate"; }
    int LoadText(unsigned id, char* buffer, int size) override;
    void OnHostCallA(int, int) override {}
    const std::string& GetDisplayName() override { return m_displayName; }
    void OnHostCallB(int, int) override {}

    // IPanelOwner: the operations the panels use.
    int ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) override;
    // The name field's hook: answers 1 and leaves the entity's name as it is.
    int RenameEntity(SceneEntity*, const char*) override { return 1; }
    void SetGroundFollow(bool follow) override { m_groundFollow = follow; }
    bool GetGroundFollow() const override { return m_groundFollow; }
    float GroundHeight(Ogre::Vector3 point) override;
    int SnapToGround() override;
    Interface* GetHost() const override { return m_host; }

    // Takes back the drag under way before its release: every entity the press captured gets
    // its captured value back (51, 53 or 52 each), nothing is recorded, the gizmo ends the drag
    // and the left release that follows is neither a drag end nor a click. 0 when no gizmo
    // part is held.
    int CancelDrag();

    int SelectParents();
    void ShowPage();
    void HidePage();
    int FrameSelection(void* object);
    // Fills the transform bar from the first selected entity. A move, scale or turn (51, 52,
    // 53) of an entity that is neither that entity nor one of its parents changes nothing the
    // bar shows and is skipped.
    void RefreshTransformBar(int code = NOTIFY_SELECTION, void* entity = nullptr);
    void CheckEnter();
    void ApplyTransformBar();
    // One frame: lay out view 0, hide while not engaged, apply the bar on Enter.
    void FrameStep();

    // Read access for the host's scripts and tests.
    CMapSelectMgr& GetGizmo() { return m_gizmo; }
    CPanelHost& GetPanelHost() { return m_panelHost; }
    CTransformBar& GetTransformBar() { return m_transformBar; }
    CTranslateListener* GetListener() const { return m_listener.get(); }
    CSceneManager* GetSceneManager() const { return m_sceneManager; }
    void* GetModuleHandle() const { return m_module; }
    IBaseCommand* GetPendingTransform() const { return m_drag.Step(); }
    int IsPageShown() const { return m_pageShown; }
    int IsToolEngaged() const { return m_toolEngaged; }
    const wxCursor* GetCursor() const { return m_cursor.get(); }
    wxMenu* GetMenu() const { return m_menu; }
    void SetMenu(wxMenu* menu) { m_menu = menu; }
    // Hands the plug-in a drag step as if a press had started one (tests of the tear-down).
    void AdoptPendingTransform(IBaseCommand* step) { m_drag.Adopt(step); }

private:
    int OnLoad();
    int OnUnload();
    int ClickSelect(const char* mode, IView* view, int x, int y);
    void CopySelection();

    std::unique_ptr<CTranslateListener> m_listener;
    void* m_module = nullptr;
    wxToolBar m_toolStrip;
    wxMenu* m_menu = nullptr;
    CSceneManager* m_sceneManager = nullptr;
    int m_pageShown = 0;
    int m_toolEngaged = 0;
    CPanelHost m_panelHost;
    // The drag under way: its step is open from an accepted press to the release or cancel.
    CTransformCommit m_drag;
    bool m_groundFollow = false;
    // A drag was taken back: the left release still to come belongs to it.
    bool m_pressCancelled = false;
    std::string m_displayName;
    Interface* m_host = nullptr;
    CMapSelectMgr m_gizmo;
    std::unique_ptr<wxCursor> m_cursor;
    CTransformBar m_transformBar;
};

// The single plug-in object while the module is loaded (null otherwise).
CTranslate* GetTranslatePlugin();
