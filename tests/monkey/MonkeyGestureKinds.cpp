// The monkey's gestures, one member function each: the lines of real input it sends.
#include "MonkeyGestures.h"

#include "AutomationContract.h"
#include "CEditorSession.h"
#include "CEditorScene.h"
#include "CMainFrame.h"
#include "COutliner.h"
#include "CViewWindow.h"
#include "ScriptWindows.h"

#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {
// How many entities the scene may hold before the duplicate keys stop making more.
constexpr int kManyEntities = 400;
} // namespace

bool CMonkeyGestures::DragPath(const std::string& button, int x0, int y0, int x1, int y1,
                               bool extras) {
    const std::string mods = Modifiers();
    bool held = mods != "none";
    if (held && !Run("xhold " + mods))
        return false;
    if (!Run("xpress " + button + " " + At(x0, y0)))
        return false;
    const int steps = m_random.Between(1, 6);
    // Where each extra comes, if at all: after which move.
    const int ctrlAt = extras && m_random.Chance(20) ? m_random.Between(1, steps) : -1;
    const int typeAt = extras && m_random.Chance(10) ? m_random.Between(1, steps) : -1;
    const int escapeAt = extras && m_random.Chance(8) ? m_random.Between(1, steps) : -1;
    const int rightAt = extras && m_random.Chance(5) ? m_random.Between(1, steps) : -1;
    int x = x0, y = y0;
    for (int k = 1; k <= steps; ++k) {
        x = x0 + (x1 - x0) * k / steps;
        y = y0 + (y1 - y0) * k / steps;
        if (!Run("xmove " + At(x, y)))
            return false;
        if (m_random.Chance(15) && !Run("frames 1"))
            return false;
        if (k == ctrlAt) {
            held = true;
            if (!Run("xhold ctrl"))
                return false;
        }
        if (k == typeAt) {
            static const std::vector<std::string> kAmount = {"1", "2",         "5", "0", ".",
                                                             "-", "backspace", "9", "3"};
            for (int n = m_random.Between(1, 5); n > 0; --n)
                if (!Run("xkey " + m_random.Pick(kAmount)))
                    return false;
            if (m_random.Chance(40) && !Run("xkey return"))
                return false;
        }
        if (k == escapeAt && !Run("xkey escape"))
            return false;
        if (k == rightAt &&
            (!Run("xpress right " + At(x, y)) || !Run("xrelease right " + At(x, y))))
            return false;
    }
    if (!Run("xrelease " + button + " " + At(x, y)))
        return false;
    return !held || Run("xhold none");
}

bool CMonkeyGestures::Click(const std::string& button, const std::string& at,
                            const std::string& mods) {
    if (mods != "none" && !Run("xhold " + mods))
        return false;
    if (!Run("xpress " + button + " " + at) || !Run("xrelease " + button + " " + at))
        return false;
    return mods == "none" || Run("xhold none");
}

bool CMonkeyGestures::ViewClick() {
    const std::vector<Area> views = Views();
    if (views.empty())
        return true;
    const Area& v = m_random.Pick(views);
    const std::string at = PointIn(v);
    const std::string mods = Modifiers();
    const std::string button = Button();
    return Click(button, at, mods);
}

bool CMonkeyGestures::ViewDrag() {
    const std::vector<Area> views = Views();
    if (views.empty())
        return true;
    const Area& v = m_random.Pick(views);
    const int x0 = v.x + m_random.Below(v.w), y0 = v.y + m_random.Below(v.h);
    const int x1 = v.x + m_random.Below(v.w), y1 = v.y + m_random.Below(v.h);
    const std::string button = Button();
    return DragPath(button, x0, y0, x1, y1, button == "left");
}

bool CMonkeyGestures::GizmoDrag() {
    int view = 0;
    Area v;
    if (!PickView(view, v))
        return true;
    if (m_random.Chance(25)) {
        // A transform mode first, typed in the view.
        static const std::vector<std::string> kModes = {"w", "e", "r"};
        if (!Run("xmove " + PointIn(v)) || !Run("xkey " + m_random.Pick(kModes)))
            return false;
    }
    static const std::vector<std::string> kParts = {"x",  "y",  "z",    "xy",
                                                    "xz", "yz", "ring", "centre"};
    const std::string part = m_random.Pick(kParts);
    if (!Run("view " + std::to_string(view)) || !Run("handle " + part))
        return false;
    int px = 0, py = 0;
    char name[16] = {};
    if (std::sscanf(m_output.c_str(), "handle %15s px %d %d", name, &px, &py) != 3)
        return Hover(); // the part is not shown
    const int x0 = v.x + px, y0 = v.y + py;
    const int reach = m_random.Chance(10) ? 600 : 150;
    const int x1 = std::clamp(x0 + m_random.Between(-reach, reach), v.x, v.x + v.w - 1);
    const int y1 = std::clamp(y0 + m_random.Between(-reach, reach), v.y, v.y + v.h - 1);
    // First the pointer over the part, as a person's comes: it lights up before the press.
    return Run("xmove " + At(x0, y0)) && Run("frames 1") && DragPath("left", x0, y0, x1, y1, true);
}

bool CMonkeyGestures::Hover() {
    const std::vector<Area> views = Views();
    if (views.empty())
        return true;
    for (int n = m_random.Between(1, 4); n > 0; --n)
        if (!Run("xmove " + PointIn(m_random.Pick(views))) || !Run("frames 1"))
            return false;
    return true;
}

bool CMonkeyGestures::Wheel() {
    const std::vector<Area> views = Views();
    const Area outliner = OutlinerArea();
    const Area& a = views.empty() || (m_random.Chance(30) && !outliner.Empty())
                        ? outliner
                        : m_random.Pick(views);
    if (a.Empty())
        return true;
    const std::string at = PointIn(a);
    const std::string way = m_random.Chance(50) ? "up" : "down";
    for (int n = m_random.Between(1, 3); n > 0; --n)
        if (!Run("xwheel " + at + " " + way))
            return false;
    return true;
}

bool CMonkeyGestures::KeyInView(const std::vector<std::string>& keys) {
    const std::vector<Area> views = Views();
    if (views.empty())
        return true;
    return Run("xmove " + PointIn(m_random.Pick(views))) && Run("xkey " + m_random.Pick(keys));
}

bool CMonkeyGestures::ModeKey() {
    return KeyInView({"q", "w", "e", "r", "l", "f", "w", "e"});
}

bool CMonkeyGestures::UndoStorm() {
    // Mostly over a view; sometimes over the outliner or a field, where the keys go too.
    const std::vector<Area> views = Views();
    std::vector<Area> places = views;
    if (!OutlinerArea().Empty())
        places.push_back(OutlinerArea());
    if (places.empty())
        return true;
    if (!Run("xmove " + PointIn(m_random.Pick(places))))
        return false;
    const int undoShare = m_random.Pick(std::vector<int>{50, 70, 90, 30});
    for (int n = m_random.Between(1, 25); n > 0; --n)
        if (!Run(m_random.Chance(undoShare) ? "xkey z ctrl" : "xkey y ctrl"))
            return false;
    return true;
}

bool CMonkeyGestures::EditKey() {
    return KeyInView({"c ctrl", "delete", "h", "h alt", "a ctrl", "c ctrl", "escape"});
}

bool CMonkeyGestures::OutlinerClick() {
    const Area a = OutlinerArea();
    if (a.Empty())
        return true;
    const std::string at = PointIn(a);
    static const std::vector<std::string> kMods = {"none", "none", "none", "ctrl", "shift"};
    const std::string mods = m_random.Pick(kMods);
    const std::string button = m_random.Chance(85)   ? "left"
                               : m_random.Chance(50) ? "right"
                                                     : "middle";
    return Click(button, at, mods);
}

bool CMonkeyGestures::OutlinerKeys() {
    const Area a = OutlinerArea();
    if (a.Empty())
        return true;
    const std::string at = PointIn(a);
    if (m_random.Chance(60) && (!Run("xpress left " + at) || !Run("xrelease left " + at)))
        return false;
    if (!Run("xmove " + at))
        return false;
    static const std::vector<std::string> kKeys = {"delete", "h",      "h alt",  "a ctrl",
                                                   "f2",     "up",     "down",   "home",
                                                   "end",    "escape", "c ctrl", "f"};
    for (int n = m_random.Between(1, 3); n > 0; --n)
        if (!Run("xkey " + m_random.Pick(kKeys)))
            return false;
    // F2 left open: the edit takes the next keys; Escape or a click ends it later.
    return true;
}

bool CMonkeyGestures::Rename() {
    const Area a = OutlinerArea();
    if (a.Empty())
        return true;
    const std::string at = PointIn(a);
    if (!Run("xpress left " + at) || !Run("xrelease left " + at) || !Run("xkey f2"))
        return false;
    const std::string name = NameText();
    if (!name.empty() && !Run("xtype " + name))
        return false;
    static const std::vector<std::string> kEnds = {"return", "return", "return", "escape", "tab"};
    return Run("xkey " + m_random.Pick(kEnds));
}

bool CMonkeyGestures::FieldEdit() {
    CMainFrame* frame = m_session.Frame();
    if (!frame)
        return true;
    // The side panel's and the bar's text fields.
    std::vector<Area> fields;
    for (wxWindow* root : {static_cast<wxWindow*>(frame->GetSideArea()), frame->GetBottomBar()}) {
        for (int id = automation::kControlFirst; root && id <= automation::kControlLast; ++id) {
            wxWindow* w = FindDescendant(root, id);
            if (w && wxDynamicCast(w, wxTextCtrl) && w->IsEnabled()) {
                const Area area = AreaOf(w);
                if (!area.Empty())
                    fields.push_back(area);
            }
        }
    }
    if (fields.empty())
        return ControlClick();
    const std::string at = PointIn(m_random.Pick(fields));
    if (!Run("xpress left " + at) || !Run("xrelease left " + at))
        return false;
    if (m_random.Chance(60) && !Run("xkey a ctrl"))
        return false;
    for (int n = m_random.Chance(20) ? m_random.Between(1, 8) : 0; n > 0; --n)
        if (!Run("xkey backspace"))
            return false;
    const std::string text = TypedText();
    if (!Run("xtype " + text))
        return false;
    static const std::vector<std::string> kEnds = {"return", "return", "tab", "tab", "escape", ""};
    const std::string end = m_random.Pick(kEnds);
    return end.empty() || Run("xkey " + end);
}

bool CMonkeyGestures::ControlClick() {
    CMainFrame* frame = m_session.Frame();
    if (!frame)
        return true;
    std::vector<Area> controls = Controls(frame->GetSideArea());
    for (const Area& a : Controls(frame->GetBottomBar()))
        controls.push_back(a);
    // The tool strips and the gizmo's option buttons: the frame's tool bars.
    for (const Area& a : ToolBars())
        controls.push_back(a);
    if (controls.empty())
        return true;
    const std::string at = PointIn(m_random.Pick(controls));
    // Only the left button: the right one opens a text field's own menu, whose items (paste
    // from the system's clipboard...) are no part of the editor.
    return Run("xpress left " + at) && Run("xrelease left " + at);
}

wxWindow* CMonkeyGestures::LightRows() const {
    CMainFrame* frame = m_session.Frame();
    wxWindow* tree =
        FindDescendant(frame ? frame->GetSideArea() : nullptr, automation::kLightTreeId);
    return tree && tree->IsShownOnScreen() ? FindNamedDescendant(tree, automation::kLightRowsName)
                                           : nullptr;
}

bool CMonkeyGestures::LightEdit() {
    wxWindow* rows = LightRows();
    std::vector<Area> values;
    for (wxWindow* row : rows ? rows->GetChildren() : wxWindowList()) {
        if (Utf8(row->GetName()) == automation::kLightColourRow)
            continue;
        Area a = AreaOf(row);
        if (a.Empty())
            continue;
        // The value column: the right half of the row.
        a.x += a.w / 2;
        a.w -= a.w / 2;
        values.push_back(a);
    }
    if (values.empty())
        return FieldEdit();
    const std::string at = PointIn(m_random.Pick(values));
    if (!Run("xpress left " + at) || !Run("xrelease left " + at) || !Run("frames 1"))
        return false;
    if (m_random.Chance(60) && !Run("xkey a ctrl"))
        return false;
    if (!Run("xtype " + TypedText()))
        return false;
    static const std::vector<std::string> kEnds = {"return", "return", "tab", "escape"};
    return Run("xkey " + m_random.Pick(kEnds));
}

bool CMonkeyGestures::LightColour() {
    wxWindow* rows = LightRows();
    // "propcolour" clicks the row's centre: only when every window around lets it be seen (the
    // page scrolled or cut by a small window would take the click elsewhere).
    if (!rows || !InSight(FindNamedChild(rows, automation::kLightColourRow)))
        return ViewClick();
    const int r = m_random.Below(10);
    if (r < 6)
        return Run("propcolour " + std::to_string(m_random.Below(automation::kPickerCellCount)));
    if (r < 7)
        return Run("propcolour auto");
    if (r < 9)
        return Run("propcolour cancel");
    return Run("propcolour custom " + std::to_string(m_random.Below(256)) + " " +
               std::to_string(m_random.Below(256)) + " " + std::to_string(m_random.Below(256)));
}

bool CMonkeyGestures::LayoutSwitch() {
    return KeyInView({"w alt"});
}

bool CMonkeyGestures::PopupAnswer() {
    CMainFrame* frame = m_session.Frame();
    wxWindow* popup = ShownPopup();
    if (!frame || !popup)
        return true;
    const int r = m_random.Below(10);
    std::string item;
    if (r < 6)
        item = automation::kPickerCellPrefix +
               std::to_string(m_random.Below(automation::kPickerCellCount));
    else if (r < 7)
        item = automation::kPickerAutomatic;
    wxRect rect;
    std::string why;
    if (!item.empty() && LocateNamedItem(popup, automation::kPickerItemQuery, item, rect, why)) {
        const wxPoint at = frame->ScreenToClient(Centre(rect));
        return Run("xpress left " + At(at.x, at.y)) && Run("xrelease left " + At(at.x, at.y)) &&
               Run("frames 1");
    }
    if (r < 9) {
        // Escape with the pointer on the popup (keys go where the pointer is).
        const wxPoint at = frame->ScreenToClient(Centre(popup->GetScreenRect()));
        return Run("xmove " + At(at.x, at.y)) && Run("xkey escape") && Run("frames 1");
    }
    return ViewClick() && Run("frames 1");
}

bool CMonkeyGestures::PickView(int& number, Area& area) {
    CMainFrame* frame = m_session.Frame();
    std::vector<int> shown;
    for (int n = 0; frame && n < 4; ++n)
        if (!AreaOf(frame->GetViewWindow(n)).Empty())
            shown.push_back(n);
    if (shown.empty())
        return false;
    number = m_random.Pick(shown);
    area = AreaOf(frame->GetViewWindow(number));
    return true;
}

bool CMonkeyGestures::GizmoCentre(int number, int& x, int& y) {
    if (!Run("view " + std::to_string(number)) || !Run("handle centre"))
        return false;
    return std::sscanf(m_output.c_str(), "handle centre px %d %d", &x, &y) == 2;
}

bool CMonkeyGestures::DuplicateKey() {
    // Copies of copies of everything selected would double the scene again and again over a
    // long run, and every gesture would slow down with it: past a few hundred entities the
    // pointer only passes over a view.
    if (m_session.Scene().GetEntityCount() > kManyEntities)
        return Hover();
    return KeyInView({"d ctrl", "d shift", "d ctrl"});
}

bool CMonkeyGestures::VertexDrag() {
    int view = 0;
    Area v;
    if (!PickView(view, v))
        return true;
    // From the gizmo's centre (near the selection's vertices) or anywhere, to anywhere; the
    // points are the view's own pixels.
    int x0 = 0, y0 = 0;
    if (!m_random.Chance(50) || !GizmoCentre(view, x0, y0)) {
        x0 = m_random.Below(v.w);
        y0 = m_random.Below(v.h);
    }
    x0 = std::clamp(x0 + m_random.Between(-20, 20), 0, v.w - 1);
    y0 = std::clamp(y0 + m_random.Between(-20, 20), 0, v.h - 1);
    return Run("view " + std::to_string(view)) &&
           Run("vertexsnap " + At(x0, y0) + " " + At(m_random.Below(v.w), m_random.Below(v.h)));
}

bool CMonkeyGestures::SurfaceDrag() {
    int view = 0, x0 = 0, y0 = 0;
    Area v;
    if (!PickView(view, v) || !GizmoCentre(view, x0, y0))
        return Hover();
    return Run("surfacedrag " + At(x0, y0) + " " + At(m_random.Below(v.w), m_random.Below(v.h)));
}

bool CMonkeyGestures::Place() {
    static const std::vector<std::string> kAxes = {"x", "y", "z"};
    static const std::vector<std::string> kWhere = {"min", "center", "max"};
    const std::string axis = m_random.Pick(kAxes);
    if (m_random.Chance(60))
        return Run("align " + axis + " " + m_random.Pick(kWhere));
    return Run("distribute " + axis);
}
