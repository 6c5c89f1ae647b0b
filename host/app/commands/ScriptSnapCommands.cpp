// Script commands for the move tool's placing drags:
//
//   vertexsnap X0 Y0 X1 Y1  holds V down in the target view (a real key through the toolkit,
//                           the view given the keyboard focus first), passes the pointer over
//                           X0 Y0, presses there, moves to X1 Y1 in steps, releases, and lets
//                           V go. Prints "vertexsnap FROM x y z TO x y z", the vertex of the
//                           selection the press took and the vertex of another mesh it landed
//                           on (world positions, "%.4f"), or "vertexsnap none" when either was
//                           missing (no vertex of the selection, or none near the release: the
//                           selection then followed the pointer). With a fifth word, hold, the
//                           button stays down at X1 Y1 (V let go all the same), so that a
//                           screenshot shows the drag with its marks; "release X Y" ends it.
//   surfacedrag X0 Y0 X1 Y1 presses at X0 Y0 (the gizmo's centre) with Ctrl and Shift, moves to
//                           X1 Y1 in steps with both keys held, and releases; prints nothing.
//
// The vertices are asked of the scene with the same queries the plug-in asks, so what is printed
// is what the drag used.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorView.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "ScriptInput.h"

#include <wx/uiaction.h>
#include <wx/window.h>

#include <ostream>
#include <string>

namespace {

using Args = CScriptRunner::Args;

// Pointer steps from the press to the release.
constexpr int kSteps = 8;

bool Points(const Args& args, const char* usage, int (&at)[4], std::string& error) {
    if (args.size() != 4) {
        error = std::string("usage: ") + usage;
        return false;
    }
    return Point(args, 0, at[0], at[1], error) && Point(args, 2, at[2], at[3], error);
}

// The press, the steps and the release with `flags` (KEY_LBUTTON added).
void DragThrough(CEditorHost& host, int view, const int (&at)[4], int flags) {
    flags |= KEY_LBUTTON;
    host.PointerDown(view, flags, at[0], at[1]);
    for (int i = 1; i <= kSteps; ++i)
        host.PointerMove(view, flags, at[0] + (at[2] - at[0]) * i / kSteps,
                         at[1] + (at[3] - at[1]) * i / kSteps);
}

// V down or up: a real key in the view's window, waited for until the toolkit handled it; the
// host's own input without a window.
bool VertexKey(CEditorSession& session, int view, bool down, std::string& error) {
    CViewWindow* window = session.Frame() ? session.Frame()->GetViewWindow(view) : nullptr;
    if (!window) {
        session.Host().OtherInput(down ? INPUT_KEY_VERTEX_DOWN : INPUT_KEY_VERTEX_UP, 0);
        return true;
    }
    if (down) {
        window->SetFocus();
        if (!PumpUntil(session, [&] { return wxWindow::FindFocus() == window; })) {
            error = "view " + std::to_string(view) + " did not get the keyboard focus";
            return false;
        }
    }
    CInputWatch watch;
    wxUIActionSimulator simulator;
    if (down)
        simulator.KeyDown('v');
    else
        simulator.KeyUp('v');
    const wxEventType type = down ? wxEVT_KEY_DOWN : wxEVT_KEY_UP;
    if (!PumpUntil(session, [&] { return watch.Seen(type) > 0; })) {
        error = std::string("the V key's ") + (down ? "press" : "release") + " did not arrive";
        return false;
    }
    return true;
}

bool FindVertex(CEditorSession& session, CEditorView* view, int x, int y, int set, float radius,
                Ogre::Vector3& vertex) {
    VertexQuery query{};
    query.view = view;
    query.x = x;
    query.y = y;
    query.radius = radius;
    query.set = set;
    if (session.Host().Scene().vertexQuery(&query) != 1)
        return false;
    vertex = query.vertex;
    return true;
}

bool VertexSnap(CScriptRunner& r, const Args& args, std::string& error) {
    const char* const usage = "vertexsnap X0 Y0 X1 Y1 [hold]";
    const bool hold = args.size() == 5 && args[4] == "hold";
    int at[4];
    if (!Points(hold ? Args(args.begin(), args.begin() + 4) : args, usage, at, error))
        return false;
    CEditorView* view = TargetView(r, error);
    if (!view)
        return false;
    CEditorSession& session = EditorSession(r);
    CEditorHost& host = session.Host();
    const int n = r.TargetView();
    if (!VertexKey(session, n, true, error))
        return false;
    host.Hover(n, 0, at[0], at[1]);
    Ogre::Vector3 from, to;
    const bool hasFrom = FindVertex(session, view, at[0], at[1], VERTEX_OF_SELECTED, 0.0f, from);
    DragThrough(host, n, at, 0);
    const bool hasTo =
        FindVertex(session, view, at[2], at[3], VERTEX_OF_OTHERS, kVertexSnapPixels, to);
    if (!hold)
        host.PointerUp(n, KEY_LBUTTON, at[2], at[3]);
    if (!VertexKey(session, n, false, error))
        return false;
    session.RenderFrames(1);
    if (hasFrom && hasTo)
        r.Out() << "vertexsnap FROM " << Triple(from) << " TO " << Triple(to) << "\n";
    else
        r.Out() << "vertexsnap none\n";
    return true;
}

bool SurfaceDrag(CScriptRunner& r, const Args& args, std::string& error) {
    int at[4];
    if (!Points(args, "surfacedrag X0 Y0 X1 Y1", at, error) || !TargetView(r, error))
        return false;
    CEditorSession& session = EditorSession(r);
    const int n = r.TargetView();
    DragThrough(session.Host(), n, at, KEY_CTRL | KEY_SHIFT);
    session.Host().PointerUp(n, KEY_LBUTTON | KEY_CTRL | KEY_SHIFT, at[2], at[3]);
    session.RenderFrames(1);
    return true;
}

} // namespace

void RegisterSnapScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"vertexsnap", VertexSnap}, {"surfacedrag", SurfaceDrag}});
}
