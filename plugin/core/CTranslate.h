// The plug-in object: the object-transform tool of the editor. It only routes: it wires the
// controllers together at construction, and routes each of the host's slots, its codes read
// into named form (PluginCalls.h), to the controller of that feature: modes and engagement,
// page, drag, side-panel edits, selection, or transform bar. Load and unload have each
// controller install and remove what it owns, in order. No exception leaves a slot: each is
// guarded, writes what it caught to the engine's log and answers the slot's quiet result.
#pragma once

#include "CBarController.h"
#include "CDragController.h"
#include "CEditController.h"
#include "CMapSelectMgr.h"
#include "CModeController.h"
#include "CPageController.h"
#include "CPanelHost.h"
#include "CSelectionController.h"
#include "HeldRefresh.h"
#include "IBaseCommand.h"
#include "IPanelOwner.h"
#include "IPluginBase.h"

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
    // A right press while a gizmo part is held takes the drag back; 1 then.
    int OnPointerOther(int viewNumber, int button, int keyFlags, int x, int y, int) override;
    int OnPointerUp(IView* view, int viewNumber, int keyFlags, int x, int y) override;
    // Escape while a gizmo part is held takes the drag back; 1 then.
    int OnInputOther(int code, int keyFlags) override;
    int OnHover(int a, int b) override;
    int OnShutdown() override { return 0; }
    int OnViewUpdate(IView* view, int viewNumber) override;
    // The two names are constants: nothing in them can throw.
    const char* GetPluginName() override;
    int LoadText(unsigned id, char* buffer, int size) override;
    void OnHostCallA(int, int) override {}
    const std::string& GetDisplayName() override;
    void OnHostCallB(int, int) override {}

    // IPanelOwner: the operations the panels use.
    int ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) override;
    // The name field's hook: answers 1 and leaves the entity's name as it is.
    int RenameEntity(SceneEntity*, const char*) override { return 1; }
    void SetGroundFollow(bool follow) override { m_edits.SetGroundFollow(follow); }
    bool GetGroundFollow() const override { return m_edits.GetGroundFollow(); }
    float GroundHeight(Ogre::Vector3 point) override;
    int SnapToGround() override;
    Interface* GetHost() const override { return m_host; }

    // The load and unload notifications' work, unguarded: the module's entry points guard
    // them themselves, so that a load that fails part-way can be undone.
    int Load();
    int Unload();
    // One frame, from the engine's frame listener: the panel and bar texts held since the last
    // frame, the page's frame step, the mode's (gizmo hidden or cursor kept), then the bar's
    // Enter check.
    void FrameStep();

    // Read access for tests.
    CMapSelectMgr& GetGizmo() { return m_gizmo; }
    CPanelHost& GetPanelHost() { return m_panelHost; }
    CTranslateListener* GetListener() const { return m_page.GetListener(); }
    CSceneManager* GetSceneManager() const { return m_sceneManager; }
    void* GetModuleHandle() const { return m_module; }
    int IsPageShown() const { return m_page.IsPageShown(); }
    int IsToolEngaged() const { return m_mode.IsToolEngaged(); }
    const wxCursor* GetCursor() const { return m_mode.GetCursor(); }
    void SetMenu(wxMenu* menu) { m_mode.SetMenu(menu); }
    // Hands the plug-in a drag step as if a press had started one (tests of the tear-down).
    // Virtual so that a test that loads the module reaches it through the object, without
    // linking the module's code.
    virtual void AdoptPendingTransform(IBaseCommand* step);

private:
    // The side panel and the transform bar brought up to date with what the pointer moves
    // handled since the last frame changed. Every call of another kind begins with it (or, for
    // a notification, ends with it), so nothing reads a text a pointer move left behind.
    void RefreshHeldTexts();

    void* m_module = nullptr;
    Interface* m_host = nullptr;
    CSceneManager* m_sceneManager = nullptr;
    std::string m_displayName;
    CPanelHost m_panelHost;
    CMapSelectMgr m_gizmo;
    CModeController m_mode;
    CEditController m_edits;
    CDragController m_drag;
    CSelectionController m_selection;
    CPageController m_page;
    CBarController m_bar;
    CHeldRefresh m_held;
};
