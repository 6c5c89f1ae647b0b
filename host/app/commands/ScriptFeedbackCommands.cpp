// Script commands that read what the editor shows a person about the tool's state:
//
//   pointer X Y   moves the real pointer (no button) to pixel (X, Y) of the target view, waits
//                 until the view has handed that point on to the plug-ins, renders a frame and
//                 prints "hovered PART" for the gizmo part drawn in the highlight colour (x, y,
//                 z: an arrow, axis ring or axis box; xy, xz, yz: a move plane square; centre:
//                 the centre box) or "hovered none".
//                 A point outside the view (e.g. -1 -1) takes the pointer off the view.
//   strip         prints "strip select|move|rotate|scale|none": the pressed-in button of the
//                 first plug-in's tool strip.
//
// The highlight is read from the engine: the gizmo's entities by their published names, and the
// colour their material shows.
#include "AutomationContract.h"
#include "CEditorEngine.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"

#include <OgreEntity.h>
#include <OgreMaterial.h>
#include <OgrePass.h>
#include <OgreSceneManager.h>
#include <OgreSubEntity.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <wx/stopwatch.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <cstdio>
#include <string>

namespace {

using Args = CScriptRunner::Args;

// The highlight colour of a grabbable part, as the gizmo draws it.
const Ogre::ColourValue kHighlight(1, 1, 0, 1);
// How long a command waits for the state its input leads to before it fails.
constexpr long kWaitMs = 10000;

bool ShownInHighlight(Ogre::SceneManager* sm, const char* format, int number) {
    char name[64];
    std::snprintf(name, sizeof name, format, number);
    if (!sm->hasEntity(name))
        return false;
    Ogre::Entity* entity = sm->getEntity(name);
    if (!entity->getParentSceneNode() || !entity->isVisible() || entity->getNumSubEntities() == 0)
        return false;
    const Ogre::MaterialPtr& material = entity->getSubEntity(0)->getMaterial();
    if (!material || material->getNumTechniques() == 0)
        return false;
    Ogre::Technique* technique = material->getTechnique(0);
    if (technique->getNumPasses() == 0 || technique->getPass(0)->getNumTextureUnitStates() == 0)
        return false;
    const Ogre::LayerBlendModeEx& blend =
        technique->getPass(0)->getTextureUnitState(0)->getColourBlendMode();
    return blend.source1 == Ogre::LBS_MANUAL && blend.colourArg1 == kHighlight;
}

// The highlighted part's name: x, y, z, xy, xz, yz, centre or none.
std::string HighlightedPart(Ogre::SceneManager* sm) {
    using namespace automation;
    static const char* const kAxes[3] = {"x", "y", "z"};
    // The plane squares by their normals: X, Y, Z.
    static const char* const kPlanes[3] = {"yz", "xz", "xy"};
    for (int axis = 0; axis < 3; ++axis)
        if (ShownInHighlight(sm, kGizmoPartEntity, kGizmoFirstArrow + axis) ||
            ShownInHighlight(sm, kGizmoPartEntity, kGizmoFirstAxisBox + axis) ||
            ShownInHighlight(sm, kGizmoRingEntity, kGizmoFirstAxisRing + axis))
            return kAxes[axis];
    for (int plane = 0; plane < 3; ++plane)
        if (ShownInHighlight(sm, kGizmoPartEntity, kGizmoFirstPlane + plane))
            return kPlanes[plane];
    if (ShownInHighlight(sm, kGizmoPartEntity, kGizmoCentreBox))
        return "centre";
    return "none";
}

bool Pointer(CScriptRunner& r, const Args& args, std::string& error) {
    int x = 0, y = 0;
    if (args.size() != 2 || !CScriptRunner::ParseInt(args[0], x) ||
        !CScriptRunner::ParseInt(args[1], y)) {
        error = "usage: pointer X Y";
        return false;
    }
    CEditorSession& session = EditorSession(r);
    CMainFrame* frame = session.Frame();
    CViewWindow* view = frame ? frame->GetViewWindow(r.TargetView()) : nullptr;
    if (!view) {
        error = "no view " + std::to_string(r.TargetView());
        return false;
    }
    const wxRect inside = view->GetClientRect();
    const bool leaving = !inside.Contains(x, y);
    // Off the view: a point beyond the window's corner, which the leave reports as (-1, -1).
    const wxPoint target =
        leaving ? view->ClientToScreen(wxPoint(inside.GetRight() + 40, inside.GetBottom() + 40))
                : view->ClientToScreen(wxPoint(x, y));
    const int wantX = leaving ? -1 : x, wantY = leaving ? -1 : y;
    wxUIActionSimulator().MouseMove(target);
    wxStopWatch clock;
    int n = -1, hx = 0, hy = 0;
    for (;;) {
        session.ProcessEvents();
        session.Host().LastHover(n, hx, hy);
        if (n == r.TargetView() && hx == wantX && hy == wantY)
            break;
        if (clock.Time() > kWaitMs) {
            error = "the view did not see the pointer at " + args[0] + " " + args[1];
            return false;
        }
        wxMilliSleep(2);
    }
    session.RenderFrames(1);
    r.Out() << "hovered " << HighlightedPart(session.Engine().GetOgreSceneManager()) << "\n";
    return true;
}

const char* const kToolNames[4] = {"select", "move", "rotate", "scale"};

bool Strip(CScriptRunner& r, const Args& args, std::string& error) {
    CEditorSession& session = EditorSession(r);
    if (!args.empty() || !session.Frame()) {
        error = "usage: strip";
        return false;
    }
    session.RenderFrames(1);
    IPluginBase* plugin = nullptr;
    const int id = session.Frame()->PressedStripTool(plugin);
    std::string name = "none";
    for (int position = 0; position < 4 && id != wxID_NONE; ++position) {
        IPluginBase* owner = nullptr;
        int command = 0;
        if (session.Host().FindStripTool(position, owner, command) && owner == plugin &&
            command == id)
            name = kToolNames[position];
    }
    r.Out() << "strip " << name << "\n";
    return true;
}

} // namespace

void RegisterFeedbackScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"pointer", Pointer}, {"strip", Strip}});
}
