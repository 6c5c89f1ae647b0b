// The transform bar's side of the plug-in: the bar docked at the bottom of the editor through
// the host (installed at load, undocked when the plug-in goes), filled from host notifications
// with the first selected entity's world values, the Enter check of the frame step, and
// applying what the user typed into it.
#pragma once

#include "CTransformBar.h"
#include "EditorTypes.h"

class CSceneManager;
class Interface;

class CBarController {
public:
    CBarController(Interface* host, CSceneManager* scene) : m_host(host), m_scene(scene) {}
    // Takes the bar out of the host's layout before its window goes.
    ~CBarController();
    CBarController(const CBarController&) = delete;
    CBarController& operator=(const CBarController&) = delete;

    // Builds the bar in the host's main window and has the host dock it. A host without a main
    // window gives the bar the application's top window instead, and one that docks nothing
    // leaves it undocked. Nothing when the bar exists; a failure is logged, not thrown. The bar
    // stays until the plug-in goes (the destructor takes it out of the host's layout).
    void Install();

    // Fills the bar from the first selected entity. A move, scale or turn (51, 52, 53) of an
    // entity that is neither that entity nor one of its parents changes nothing the bar shows
    // and is skipped.
    void Refresh(int code = NOTIFY_SELECTION, void* entity = nullptr);
    // Once a frame: a press of Return (or the keypad's Enter) that begins while the editor is
    // active and the focus is in the bar applies the bar once, however long it is held.
    void CheckEnter();
    // Applies the fields the user edited, one undo step per edited group.
    void Apply();

private:
    Interface* m_host;
    CSceneManager* m_scene;
    CTransformBar m_bar;
    // Whether Return was down at the previous frame.
    bool m_enterDown = false;
};
