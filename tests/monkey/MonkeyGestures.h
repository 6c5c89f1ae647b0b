// The monkey's gestures: seeded random real input over the editor's window, each gesture a few
// script lines (xpress, xmove, xkey, xtype... of ScriptRealInputCommands.cpp, and the script
// commands that find the gizmo's parts or drive the light page) run at once in the editor and
// written to the replay script as they run. Where the lines point is drawn from the windows as
// they stand (views, outliner, side panel, bar, tool strips, the gizmo's parts), so a replay of
// the same lines at the same window size sends the same input.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class CEditorSession;
class wxWindow;

// A small generator of its own, so that a seed gives the same run with any standard library.
class CMonkeyRandom {
public:
    explicit CMonkeyRandom(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t Next();
    // From 0 to n - 1 (0 when n <= 0).
    int Below(int n);
    // From lo to hi, both included.
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T> const T& Pick(const std::vector<T>& items) {
        return items[Below(int(items.size()))];
    }

private:
    std::uint64_t m_state;
};

class CMonkeyGestures {
public:
    // `replay` receives every line run (may be null).
    CMonkeyGestures(CEditorSession& session, std::uint64_t seed, std::ostream* replay);

    // Runs one random gesture, numbered `number` in the replay. False with Why() when the editor
    // refused one of its lines.
    bool Gesture(int number);
    // Lets go of every button and key the monkey holds (the end of a run).
    bool LetGo();
    // Runs one line as the monkey does (written to the replay); its output in Output().
    bool Run(const std::string& line);

    const std::string& Why() const { return m_why; }
    const std::string& Output() const { return m_output; }
    // Gestures run so far, by kind name.
    const std::vector<std::pair<std::string, int>>& Counts() const { return m_counts; }

private:
    struct Area {
        int x = 0, y = 0, w = 0, h = 0;
        bool Empty() const { return w <= 0 || h <= 0; }
    };
    struct Kind {
        const char* name;
        int weight;
        bool (CMonkeyGestures::*run)();
    };
    static const std::vector<Kind>& Kinds();

    // Where things are, in the main window's client pixels.
    Area AreaOf(wxWindow* window) const;
    std::vector<Area> Views() const;
    Area OutlinerArea() const;
    // Shown leaf controls below `root` (the side panel, the bar, the tool strips).
    std::vector<Area> Controls(wxWindow* root) const;
    // Whether the window's centre lies inside each window around it (it is not scrolled or
    // cut out of sight).
    bool InSight(wxWindow* window) const;
    // The main window's tool bars (the tool strips, the gizmo's option buttons).
    std::vector<Area> ToolBars() const;
    std::string PointIn(const Area& a);
    std::string At(int x, int y) const;
    std::string Modifiers();
    std::string Button();
    std::string TypedText();
    std::string NameText();
    // A shown popup window below the main window (the colour picker), or null.
    wxWindow* ShownPopup() const;

    // The gestures.
    bool ViewClick();
    bool ViewDrag();
    bool GizmoDrag();
    bool Hover();
    bool Wheel();
    bool ModeKey();
    bool UndoStorm();
    bool EditKey();
    bool OutlinerClick();
    bool OutlinerKeys();
    bool Rename();
    bool FieldEdit();
    bool ControlClick();
    bool LightEdit();
    bool LightColour();
    bool LayoutSwitch();
    bool PopupAnswer();
    bool DuplicateKey();
    bool VertexDrag();
    bool SurfaceDrag();
    bool Place();
    // A shown view chosen at random: its number, and its area in the main window; false when
    // none is shown.
    bool PickView(int& number, Area& area);
    // Where the gizmo's centre is drawn in view `number`, in the view's pixels; false when the
    // gizmo is not shown there.
    bool GizmoCentre(int number, int& x, int& y);
    // One of `keys` typed with the pointer over a view.
    bool KeyInView(const std::vector<std::string>& keys);
    // The light page's rows when the page is shown, or null.
    wxWindow* LightRows() const;
    // A click of `button` at `at` with the modifiers `mods` held (or "none").
    bool Click(const std::string& button, const std::string& at, const std::string& mods);
    // The areas of the shown windows below `root` where `take` answers true, without looking
    // inside those (nor inside popups).
    std::vector<Area> Collect(wxWindow* root, bool (*take)(wxWindow*)) const;
    // A drag from (x0, y0) with the button held, through `steps` moves to (x1, y1), with the
    // mid-drag extras (Ctrl for snapping, typed amounts, Escape, the right button).
    bool DragPath(const std::string& button, int x0, int y0, int x1, int y1, bool extras);

    CEditorSession& m_session;
    CMonkeyRandom m_random;
    std::ostream* m_replay;
    std::string m_why;
    std::string m_output;
    std::vector<std::pair<std::string, int>> m_counts;
};
