#include "MonkeyGestures.h"

#include "AutomationContract.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "COutliner.h"
#include "CViewWindow.h"
#include "ScriptWindows.h"

#include <wx/aui/auibar.h>
#include <wx/popupwin.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

std::uint64_t CMonkeyRandom::Next() {
    // splitmix64
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int CMonkeyRandom::Below(int n) {
    return n <= 0 ? 0 : int(Next() % std::uint64_t(n));
}

// The table of gestures and how often each comes. A new gesture of the editor joins here with
// its weight and one member function that sends it (its lines through Run).
const std::vector<CMonkeyGestures::Kind>& CMonkeyGestures::Kinds() {
    static const std::vector<Kind> kinds = {
        {"view click", 14, &CMonkeyGestures::ViewClick},
        {"view drag", 10, &CMonkeyGestures::ViewDrag},
        {"gizmo drag", 16, &CMonkeyGestures::GizmoDrag},
        {"hover", 4, &CMonkeyGestures::Hover},
        {"wheel", 3, &CMonkeyGestures::Wheel},
        {"mode key", 8, &CMonkeyGestures::ModeKey},
        {"undo storm", 6, &CMonkeyGestures::UndoStorm},
        {"edit key", 5, &CMonkeyGestures::EditKey},
        {"outliner click", 7, &CMonkeyGestures::OutlinerClick},
        {"outliner keys", 5, &CMonkeyGestures::OutlinerKeys},
        {"rename", 3, &CMonkeyGestures::Rename},
        {"field edit", 8, &CMonkeyGestures::FieldEdit},
        {"control click", 5, &CMonkeyGestures::ControlClick},
        {"light edit", 3, &CMonkeyGestures::LightEdit},
        {"light colour", 2, &CMonkeyGestures::LightColour},
        {"layout switch", 1, &CMonkeyGestures::LayoutSwitch},
        // Placing: Ctrl+D and Shift+D in a view (Alt held on a gizmo part and Ctrl+Shift on its
        // centre come with the gizmo drags' modifiers), V held for a vertex drag, a surface
        // drag from the centre, and the Tools menu's align and distribute.
        {"duplicate key", 3, &CMonkeyGestures::DuplicateKey},
        {"vertex drag", 3, &CMonkeyGestures::VertexDrag},
        {"surface drag", 2, &CMonkeyGestures::SurfaceDrag},
        {"align or distribute", 2, &CMonkeyGestures::Place},
    };
    return kinds;
}

CMonkeyGestures::CMonkeyGestures(CEditorSession& session, std::uint64_t seed, std::ostream* replay)
    : m_session(session), m_random(seed), m_replay(replay) {
    for (const Kind& k : Kinds())
        m_counts.emplace_back(k.name, 0);
    m_counts.emplace_back("popup answer", 0);
}

bool CMonkeyGestures::Run(const std::string& line) {
    if (m_replay) {
        *m_replay << line << "\n";
        m_replay->flush();
    }
    std::ostringstream sink;
    m_session.Script().SetOutput(&sink);
    m_session.Script().SetErrorOutput(&sink);
    const bool ok = m_session.RunScriptLine(line);
    m_session.Script().SetOutput(nullptr);
    m_session.Script().SetErrorOutput(nullptr);
    m_output = sink.str();
    if (!ok)
        m_why = "the editor refused '" + line + "': " + m_session.Script().LastError();
    return ok;
}

bool CMonkeyGestures::Gesture(int number) {
    if (m_replay)
        *m_replay << "# event " << number << "\n";
    m_why.clear();
    // An open popup (the colour picker) takes the next gesture: a click on it or beside it, or
    // Escape. Its "More Colors..." item opens a modal dialog and is left to "light colour".
    if (ShownPopup()) {
        ++m_counts.back().second;
        return PopupAnswer();
    }
    int total = 0;
    for (const Kind& k : Kinds())
        total += k.weight;
    int pick = m_random.Below(total);
    for (std::size_t i = 0; i < Kinds().size(); ++i) {
        const Kind& k = Kinds()[i];
        if (pick < k.weight) {
            ++m_counts[i].second;
            return (this->*k.run)() && Run("frames 1");
        }
        pick -= k.weight;
    }
    return true;
}

bool CMonkeyGestures::LetGo() {
    if (m_replay)
        *m_replay << "# the end: every key and button let go\n";
    const wxMouseState state = wxGetMouseState();
    const std::string at = At(0, 0);
    if (state.LeftIsDown() && !Run("xrelease left " + at))
        return false;
    if (state.MiddleIsDown() && !Run("xrelease middle " + at))
        return false;
    if (state.RightIsDown() && !Run("xrelease right " + at))
        return false;
    return Run("xhold none") && Run("frames 1");
}

CMonkeyGestures::Area CMonkeyGestures::AreaOf(wxWindow* window) const {
    Area a;
    CMainFrame* frame = m_session.Frame();
    if (!window || !frame || !window->IsShownOnScreen())
        return a;
    const wxPoint at = frame->ScreenToClient(window->GetScreenPosition());
    const wxSize client = frame->GetClientSize();
    const wxSize size = window->GetSize();
    // Clipped to the main window's client area.
    const int x0 = std::max(0, at.x), y0 = std::max(0, at.y);
    const int x1 = std::min(client.x, at.x + size.x), y1 = std::min(client.y, at.y + size.y);
    a.x = x0;
    a.y = y0;
    a.w = x1 - x0;
    a.h = y1 - y0;
    return a;
}

std::vector<CMonkeyGestures::Area> CMonkeyGestures::Views() const {
    std::vector<Area> views;
    CMainFrame* frame = m_session.Frame();
    for (int n = 0; frame && n < 4; ++n) {
        const Area a = AreaOf(frame->GetViewWindow(n));
        if (!a.Empty())
            views.push_back(a);
    }
    return views;
}

CMonkeyGestures::Area CMonkeyGestures::OutlinerArea() const {
    CMainFrame* frame = m_session.Frame();
    return AreaOf(frame ? frame->GetOutliner() : nullptr);
}

std::vector<CMonkeyGestures::Area> CMonkeyGestures::Collect(wxWindow* root,
                                                            bool (*take)(wxWindow*)) const {
    std::vector<Area> out;
    std::vector<wxWindow*> stack;
    if (root)
        stack.push_back(root);
    while (!stack.empty()) {
        wxWindow* w = stack.back();
        stack.pop_back();
        if (!w->IsShownOnScreen() || wxDynamicCast(w, wxPopupWindow))
            continue;
        if (take(w)) {
            const Area a = AreaOf(w);
            if (!a.Empty())
                out.push_back(a);
            continue;
        }
        const wxWindowList& children = w->GetChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back(*it);
    }
    return out;
}

namespace {
bool IsToolBar(wxWindow* w) {
    return wxDynamicCast(w, wxToolBar) || wxDynamicCast(w, wxAuiToolBar);
}
} // namespace

std::vector<CMonkeyGestures::Area> CMonkeyGestures::Controls(wxWindow* root) const {
    return Collect(root, [](wxWindow* w) { return w->GetChildren().empty() || IsToolBar(w); });
}

bool CMonkeyGestures::InSight(wxWindow* window) const {
    if (!window || !window->IsShownOnScreen())
        return false;
    const wxPoint centre = window->GetScreenRect().GetPosition() +
                           wxPoint(window->GetSize().x / 2, window->GetSize().y / 2);
    for (wxWindow* w = window->GetParent(); w; w = w->GetParent()) {
        if (!w->GetScreenRect().Contains(centre))
            return false;
        if (w == m_session.Frame())
            break;
    }
    return true;
}

std::vector<CMonkeyGestures::Area> CMonkeyGestures::ToolBars() const {
    return Collect(m_session.Frame(), IsToolBar);
}

wxWindow* CMonkeyGestures::ShownPopup() const {
    CMainFrame* frame = m_session.Frame();
    if (!frame)
        return nullptr;
    std::vector<wxWindow*> stack{frame};
    while (!stack.empty()) {
        wxWindow* w = stack.back();
        stack.pop_back();
        if (auto* popup = wxDynamicCast(w, wxPopupWindow))
            if (popup->IsShown())
                return popup;
        for (wxWindow* child : w->GetChildren())
            stack.push_back(child);
    }
    return nullptr;
}

std::string CMonkeyGestures::At(int x, int y) const {
    return std::to_string(x) + " " + std::to_string(y);
}

std::string CMonkeyGestures::PointIn(const Area& a) {
    return At(a.x + m_random.Below(a.w), a.y + m_random.Below(a.h));
}

std::string CMonkeyGestures::Modifiers() {
    static const std::vector<std::string> kMods = {"none", "none",  "none",       "none",
                                                   "ctrl", "shift", "ctrl+shift", "alt"};
    return m_random.Pick(kMods);
}

std::string CMonkeyGestures::Button() {
    const int r = m_random.Below(10);
    return r < 7 ? "left" : r < 9 ? "right" : "middle";
}

// Numbers, near-numbers and garbage, as a person types (or pastes) them into a field.
std::string CMonkeyGestures::TypedText() {
    static const std::vector<std::string> kTexts = {"0",         "1",
                                                    "-1",        "2.5",
                                                    "-0",        "45",
                                                    "90",        "360",
                                                    "1e6",       "1e7",
                                                    "-1e7",      "1e38",
                                                    "1e39",      "nan",
                                                    "inf",       "-inf",
                                                    "0.001",     "1e-9",
                                                    ".",         "-",
                                                    "--1",       "1..2",
                                                    "1e",        "abc",
                                                    "12abc",     " 3 ",
                                                    "+4",        "0x10",
                                                    "999999999", "%s%n%x",
                                                    "'\";<>&",   "1,5",
                                                    "\\",        "~!@$%^&*()_+{}|:?"};
    if (m_random.Chance(8))
        return std::string(size_t(m_random.Between(32, 300)), "9a.-"[m_random.Below(4)]);
    if (m_random.Chance(40))
        return std::to_string(m_random.Between(-500, 500)) +
               (m_random.Chance(50) ? "." + std::to_string(m_random.Below(1000)) : "");
    return m_random.Pick(kTexts);
}

// Names for F2: ordinary ones, the demo's own (taken), empty, long, and hostile ASCII.
std::string CMonkeyGestures::NameText() {
    static const std::vector<std::string> kNames = {
        "",     "box_a", "lamp_spot", "ground",  "new name", "a",
        "x_1",  "../up", "<node>",    "a&amp;b", "'\"",      "name with  spaces",
        "%s%n", "\\x00", "-",         "box_a_1", ".",        "..",
        "con",  "a/b",   "{{}}",      "`rm -rf`"};
    if (m_random.Chance(10))
        return std::string(size_t(m_random.Between(200, 300)), "nq_"[m_random.Below(3)]);
    if (m_random.Chance(30))
        return "m" + std::to_string(m_random.Below(100000));
    return m_random.Pick(kNames);
}
