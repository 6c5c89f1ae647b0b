// The built-in script commands of the editor.
#include "IView.h"
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorScreenshot.h"
#include "EditorScriptCommands.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "CEditorView.h"
#include "CViewWindow.h"
#include "ScriptInput.h"

#include <wx/image.h>

#include <cstdio>
#include <memory>
#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// "%.Nf" without a minus sign on a value that rounds to zero.
std::string Fixed(float value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, double(value));
    std::string s = text;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);
    return s;
}

std::string Triple(const Ogre::Vector3& v, float factor = 1.0f) {
    return Fixed(v.x * factor, 4) + " " + Fixed(v.y * factor, 4) + " " + Fixed(v.z * factor, 4);
}

bool Count(const Args& args, size_t n, const char* usage, std::string& error) {
    if (args.size() == n)
        return true;
    error = std::string("usage: ") + usage;
    return false;
}

SceneEntity* Entity(CScriptRunner& runner, const std::string& name, std::string& error) {
    SceneEntity* entity = EditorSession(runner).Host().Scene().getSceneEntity(name);
    if (!entity)
        error = "unknown entity '" + name + "'";
    return entity;
}

CEditorView* TargetView(CScriptRunner& runner, std::string& error) {
    CEditorView* view = EditorSession(runner).Host().GetView(runner.TargetView());
    if (!view)
        error = "no view " + std::to_string(runner.TargetView());
    return view;
}

bool Point(const Args& args, size_t at, int& x, int& y, std::string& error) {
    if (args.size() < at + 2 || !CScriptRunner::ParseInt(args[at], x) ||
        !CScriptRunner::ParseInt(args[at + 1], y)) {
        error = "expected pixel coordinates X Y";
        return false;
    }
    return true;
}

// Optional "shift" / "ctrl" words from args[at] on.
bool Modifiers(const Args& args, size_t at, int& flags, std::string& error) {
    flags = 0;
    for (size_t i = at; i < args.size(); ++i) {
        if (args[i] == "shift")
            flags |= KEY_SHIFT;
        else if (args[i] == "ctrl")
            flags |= KEY_CTRL;
        else {
            error = "unexpected '" + args[i] + "' (shift or ctrl expected)";
            return false;
        }
    }
    return true;
}

// The transform tool's strip holds its four modes in this order; scripts name them.
int ToolPosition(const std::string& name) {
    static const char* const kNames[] = {"select", "move", "rotate", "scale"};
    for (int i = 0; i < 4; ++i)
        if (name == kNames[i])
            return i;
    return -1;
}

bool Shot(CScriptRunner& runner, const Args& args, bool wholeWindow, std::string& error) {
    if (!Count(args, 1, wholeWindow ? "screenshot PATH" : "viewshot PATH", error))
        return false;
    CEditorSession& session = EditorSession(runner);
    if (!session.Frame()) {
        error = "no main window";
        return false;
    }
    session.RenderFrames(1);
    wxImage image;
    bool ok = wholeWindow ? CaptureWindowImage(*session.Frame(), image, error)
                          : CaptureViewImage(*session.Frame(), runner.TargetView(), image, error);
    return ok && SavePng(image, args[0], error);
}
} // namespace

void RegisterBuiltinScriptCommands(CScriptRunner& runner) {
    // Modifier keys of the last "press", carried by the "move" and "release" that follow.
    auto pressFlags = std::make_shared<int>(0);

    runner.AddCommand("view", [](CScriptRunner& r, const Args& args, std::string& error) {
        int n = 0;
        if (!Count(args, 1, "view N", error))
            return false;
        if (!CScriptRunner::ParseInt(args[0], n) || !EditorSession(r).Host().GetView(n)) {
            error = "no view " + args[0];
            return false;
        }
        r.SetTargetView(n);
        return true;
    });
    runner.AddCommand("select", [](CScriptRunner& r, const Args& args, std::string& error) {
        std::string list;
        for (const std::string& name : args) {
            if (!Entity(r, name, error))
                return false;
            list += name + " ";
        }
        CommandParams params{{"entity", list}, {"mode", "exclude"}};
        CUndoRedoManager& undo = EditorSession(r).Host().Undo();
        if (!undo.isCommandRegistered("SelectEntity")) {
            error = "the editor has no SelectEntity command";
            return false;
        }
        undo.doCommand("SelectEntity", &params); // false only when nothing changed
        EditorSession(r).Host().redraw();
        return true;
    });
    runner.AddCommand("selection", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 0, "selection", error))
            return false;
        r.Out() << "selection:";
        for (const std::string& name : EditorSession(r).Host().Scene().getSelectedEntities())
            r.Out() << " " << name;
        r.Out() << "\n";
        return true;
    });
    runner.AddCommand("print", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 1, "print NAME", error))
            return false;
        SceneEntity* e = Entity(r, args[0], error);
        if (!e)
            return false;
        const float degrees = kRadiansToDegrees;
        r.Out() << e->GetName() << " pos " << Triple(e->GetPosition()) << " rot "
                << Triple(e->GetOrientation(), degrees) << " scale " << Triple(e->GetScale())
                << " wpos " << Triple(e->GetWorldPosition()) << " wrot "
                << Triple(e->GetWorldOrientation(), degrees) << " wscale "
                << Triple(e->GetWorldScale()) << "\n";
        return true;
    });
    runner.AddCommand("project", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 1, "project NAME", error))
            return false;
        SceneEntity* e = Entity(r, args[0], error);
        CEditorView* view = e ? TargetView(r, error) : nullptr;
        if (!view)
            return false;
        Ogre::Vector3 out;
        view->projectPoint(out, e->GetWorldPosition(), nullptr);
        r.Out() << e->GetName() << " px " << Fixed(out.x, 1) << " " << Fixed(out.y, 1) << "\n";
        return true;
    });
    runner.AddCommand("frames", [](CScriptRunner& r, const Args& args, std::string& error) {
        int n = 0;
        if (!Count(args, 1, "frames N", error))
            return false;
        if (!CScriptRunner::ParseInt(args[0], n) || n < 0 || n > 100000) {
            error = "frames takes a count from 0 to 100000";
            return false;
        }
        EditorSession(r).RenderFrames(n);
        return true;
    });
    runner.AddCommand("undo", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 0, "undo", error))
            return false;
        EditorSession(r).Host().Undo().undo(); // nothing to undo is not an error
        EditorSession(r).Host().redraw();
        return true;
    });
    runner.AddCommand("redo", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 0, "redo", error))
            return false;
        EditorSession(r).Host().Undo().redo();
        EditorSession(r).Host().redraw();
        return true;
    });
    runner.AddCommand("screenshot", [](CScriptRunner& r, const Args& args, std::string& error) {
        return Shot(r, args, true, error);
    });
    runner.AddCommand("viewshot", [](CScriptRunner& r, const Args& args, std::string& error) {
        return Shot(r, args, false, error);
    });
    runner.AddCommand("tool", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 1, "tool select|move|rotate|scale", error))
            return false;
        const int position = ToolPosition(args[0]);
        if (position < 0) {
            error = "unknown tool '" + args[0] + "'";
            return false;
        }
        CEditorHost& host = EditorSession(r).Host();
        IPluginBase* plugin = nullptr;
        int id = 0;
        if (!host.FindStripTool(position, plugin, id)) {
            error = "no plug-in offers the tool '" + args[0] + "'";
            return false;
        }
        // Through the tool-strip button, as a click would.
        if (CMainFrame* frame = EditorSession(r).Frame())
            frame->ClickStripTool(position);
        else
            host.ClickTool(plugin, id);
        return true;
    });
    runner.AddCommand(
        "press", [pressFlags](CScriptRunner& r, const Args& args, std::string& error) {
            int x = 0, y = 0, mods = 0;
            if (!Point(args, 0, x, y, error) || !Modifiers(args, 2, mods, error) ||
                !TargetView(r, error))
                return false;
            *pressFlags = mods;
            EditorSession(r).Host().PointerDown(r.TargetView(), KEY_LBUTTON | mods, x, y);
            return true;
        });
    runner.AddCommand("move", [pressFlags](CScriptRunner& r, const Args& args, std::string& error) {
        int x = 0, y = 0;
        if (!Count(args, 2, "move X Y", error) || !Point(args, 0, x, y, error) ||
            !TargetView(r, error))
            return false;
        // Keys held with "keys" count for each step (Ctrl snaps), as the press's own words do.
        const int flags = KEY_LBUTTON | *pressFlags | EditorSession(r).HeldKeys();
        EditorSession(r).Host().PointerMove(r.TargetView(), flags, x, y);
        return true;
    });
    runner.AddCommand(
        "release", [pressFlags](CScriptRunner& r, const Args& args, std::string& error) {
            int x = 0, y = 0, mods = 0;
            if (!Point(args, 0, x, y, error) || !Modifiers(args, 2, mods, error) ||
                !TargetView(r, error))
                return false;
            *pressFlags = 0;
            EditorSession(r).Host().PointerUp(r.TargetView(), KEY_LBUTTON | mods, x, y);
            return true;
        });
    runner.AddCommand("keys", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 1, "keys none|shift|ctrl|shift+ctrl", error))
            return false;
        int flags = -1;
        if (args[0] == "none")
            flags = 0;
        else if (args[0] == "shift")
            flags = KEY_SHIFT;
        else if (args[0] == "ctrl")
            flags = KEY_CTRL;
        else if (args[0] == "shift+ctrl" || args[0] == "ctrl+shift")
            flags = KEY_SHIFT | KEY_CTRL;
        if (flags < 0) {
            error = "keys takes none, shift, ctrl or shift+ctrl";
            return false;
        }
        EditorSession(r).SetHeldKeys(flags);
        return true;
    });
    runner.AddCommand("cancel", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 0, "cancel", error) || !TargetView(r, error))
            return false;
        // Escape typed into the target view, as a person would while holding a part.
        CEditorSession& session = EditorSession(r);
        CViewWindow* window =
            session.Frame() ? session.Frame()->GetViewWindow(r.TargetView()) : nullptr;
        if (!window) {
            session.Host().OtherInput(INPUT_KEY_ESCAPE, 0);
            return true;
        }
        window->SetFocus();
        PumpUntil(session, [&] { return wxWindow::FindFocus() == window; });
        if (!PressKey(session, WXK_ESCAPE)) {
            error = "the Escape key did not arrive";
            return false;
        }
        return true;
    });
    runner.AddCommand("rpress", [](CScriptRunner& r, const Args& args, std::string& error) {
        int x = 0, y = 0;
        if (!Count(args, 2, "rpress X Y", error) || !Point(args, 0, x, y, error) ||
            !TargetView(r, error))
            return false;
        CEditorSession& session = EditorSession(r);
        CViewWindow* window =
            session.Frame() ? session.Frame()->GetViewWindow(r.TargetView()) : nullptr;
        if (!window) {
            session.Host().OtherPress(r.TargetView(), KEY_RBUTTON, session.HeldKeys(), x, y);
            return true;
        }
        // The right button's press and release through the view's own mouse handling.
        for (wxEventType type : {wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP}) {
            wxMouseEvent event(type);
            event.SetEventObject(window);
            event.SetPosition(wxPoint(x, y));
            event.m_rightDown = type == wxEVT_RIGHT_DOWN;
            event.m_controlDown = (session.HeldKeys() & KEY_CTRL) != 0;
            event.m_shiftDown = (session.HeldKeys() & KEY_SHIFT) != 0;
            window->GetEventHandler()->ProcessEvent(event);
        }
        session.ProcessEvents();
        return true;
    });
    runner.AddCommand("snap", [](CScriptRunner& r, const Args& args, std::string& error) {
        CEditorHost& host = EditorSession(r).Host();
        if (args.empty()) {
            const SnapSteps steps = host.snapSteps();
            r.Out() << "snap " << Fixed(steps.move, 4) << " " << Fixed(steps.degrees, 4) << " "
                    << Fixed(steps.scale, 4) << "\n";
            return true;
        }
        SnapSteps steps;
        if (!Count(args, 3, "snap [MOVE DEGREES SCALE]", error))
            return false;
        if (!CScriptRunner::ParseFloat(args[0], steps.move) ||
            !CScriptRunner::ParseFloat(args[1], steps.degrees) ||
            !CScriptRunner::ParseFloat(args[2], steps.scale) || !host.SetSnapSteps(steps)) {
            error = "snap steps must be numbers above 0 and at most 10000";
            return false;
        }
        return true;
    });
    runner.AddCommand("rect", [](CScriptRunner& r, const Args& args, std::string& error) {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        if (!Count(args, 4, "rect X0 Y0 X1 Y1", error) || !Point(args, 0, x0, y0, error) ||
            !Point(args, 2, x1, y1, error) || !TargetView(r, error))
            return false;
        // A left drag with the held keys; the host turns it into a rubber band when the press
        // is not claimed by a plug-in.
        CEditorHost& host = EditorSession(r).Host();
        const int flags = KEY_LBUTTON | EditorSession(r).HeldKeys();
        const int view = r.TargetView();
        host.PointerDown(view, flags, x0, y0);
        host.PointerMove(view, flags, (x0 + x1) / 2, (y0 + y1) / 2);
        host.PointerMove(view, flags, x1, y1);
        host.PointerUp(view, flags, x1, y1);
        return true;
    });
    runner.AddCommand("parents", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 0, "parents", error))
            return false;
        EditorSession(r).Host().SendMenuCommand(CMainFrame::kSelectParentsCommand);
        return true;
    });
    runner.AddCommand("copy", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 0, "copy", error))
            return false;
        EditorSession(r).Host().SendWindowCommand(ID_EDIT_COPY_COMMAND);
        return true;
    });
    runner.AddCommand("frame", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!Count(args, 0, "frame", error) || !TargetView(r, error))
            return false;
        EditorSession(r).Host().FrameSelection(r.TargetView());
        return true;
    });
}

std::string BuiltinDemoScript(const std::string& outDir, int viewCount, bool withMoveTool) {
    std::string s = "# The built-in demo: box_a selected";
    s += withMoveTool ? ", the move tool engaged.\n" : ".\n";
    s += "frames 3\nselect box_a\n";
    if (withMoveTool)
        s += "tool move\n";
    s += "frames 10\n";
    s += "screenshot " + outDir + "/editor.png\n";
    for (int i = 0; i < viewCount; ++i)
        s += "view " + std::to_string(i) + "\nviewshot " + outDir + "/view" + std::to_string(i) +
             ".png\n";
    s += "view 0\nselect box_a cone_a\nframe\nframes 5\n";
    s += "screenshot " + outDir + "/editor-framed.png\n";
    s += "quit\n";
    return s;
}
