// The side panel's light page: when the current entity is a light, a property tree over the
// lower part of the panel shows the light's colour, power scale, range and three attenuation
// values, and writes a change straight back to the engine light (no undo, no notification;
// the views are asked to redraw).
//
// The tree is built on the first light, over the lower 40 % of the panel, and reused for every
// later light; it is hidden for anything else. It keeps to the lower 40 % when the panel is
// resized: the host creates the panel at its template size and only then fits it to the side
// area, and a page built in between would otherwise stay cut off. The page reaches the light
// through the entity on every use and keeps no light of its own, so a light removed while
// shown leaves nothing behind once the panel has refreshed for the removal. The divider
// starts at 45 % of the tree's width, and moves left where the colour row's value would not
// show whole (at the side area's usual width the default font needs that).
#pragma once

#include "AutomationContract.h"

#include <wx/window.h>
#include <wx/weakref.h>

class CColorPropertyNode;
class CEditPropertyNode;
class CPropertyNode;
class CPropertyTreeEvent;
class CPropertyTreeWnd;
class IPanelOwner;
class SceneEntity;

class CLightPage {
public:
    // Child id and style flags of the tree (description pane, shaded margin and categories).
    static constexpr int kTreeId = automation::kLightTreeId;
    static constexpr unsigned kTreeFlags = 25;
    static constexpr int kNumberRows = 5;

    // `panel` is the window the tree is built in and that hears its notifications.
    explicit CLightPage(wxWindow* panel);
    ~CLightPage();
    CLightPage(const CLightPage&) = delete;
    CLightPage& operator=(const CLightPage&) = delete;

    // Shows the page with the entity's light values, building it the first time; hides it
    // when the entity is none or not a light. True when the page is shown. `owner` leads to
    // the views that are redrawn after a change (may be null).
    bool Update(SceneEntity* entity, IPanelOwner* owner);

    // The tree (null until the first light) and its rows, for the panel's tests and scripts.
    CPropertyTreeWnd* GetTree() const { return m_tree; }
    CPropertyNode* GetCategory() const { return m_category; }
    CColorPropertyNode* GetColorNode() const { return m_color; }
    // Power scale, range, constant, linear and quadratic attenuation, in that order.
    CEditPropertyNode* GetNumberNode(int index) const;
    bool IsShown() const;
    // True while the keyboard focus is inside the page.
    bool HasFocus() const;

private:
    bool Build(const SceneEntity& entity);
    void LoadValues(const SceneEntity& entity);
    void Hide();
    void OnTreeNotify(CPropertyTreeEvent& event);
    void OnPanelSize(wxSizeEvent& event);
    // Moves the tree's divider left when the colour row's value would not show whole.
    void KeepColorWhole();
    // The lower 40 % of the panel as it is now.
    wxRect TreeRect() const;
    void Redraw();
    // Keeps the row windows' names and the colour window's label in step with what the rows
    // show, so that tools reading the window tree find them.
    void NameRows();

    wxWindow* m_panel;
    IPanelOwner* m_owner = nullptr;
    SceneEntity* m_entity = nullptr;
    wxWeakRef<CPropertyTreeWnd> m_tree;
    bool m_bound = false;
    CPropertyNode* m_category = nullptr;
    CColorPropertyNode* m_color = nullptr;
    CEditPropertyNode* m_numbers[kNumberRows] = {};
};
