#include "ScriptCommandArgs.h"

#include "IView.h"
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorView.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorScriptCommands.h"
#include "ScriptInput.h"

#include <cstdio>

void AddScriptCommands(CScriptRunner& runner, std::initializer_list<ScriptCommand> commands) {
    for (const ScriptCommand& command : commands)
        runner.AddCommand(command.name, command.handler);
}

std::string Fixed(float value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, double(value));
    std::string s = text;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);
    return s;
}

std::string Triple(const Ogre::Vector3& v, float factor) {
    return Fixed(v.x * factor, 4) + " " + Fixed(v.y * factor, 4) + " " + Fixed(v.z * factor, 4);
}

bool Count(const CScriptRunner::Args& args, std::size_t n, const char* usage, std::string& error) {
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

CViewWindow* FocusTargetView(CScriptRunner& runner, std::string& error) {
    CEditorSession& session = EditorSession(runner);
    CViewWindow* view =
        session.Frame() ? session.Frame()->GetViewWindow(runner.TargetView()) : nullptr;
    if (!view) {
        error = "no view " + std::to_string(runner.TargetView());
        return nullptr;
    }
    view->SetFocus();
    IScriptEnvironment& environment = session;
    if (!PumpUntil(environment, [&] { return wxWindow::FindFocus() == view; })) {
        error = "view " + std::to_string(runner.TargetView()) + " did not get the keyboard focus";
        return nullptr;
    }
    return view;
}

bool Point(const CScriptRunner::Args& args, std::size_t at, int& x, int& y, std::string& error) {
    if (args.size() < at + 2 || !CScriptRunner::ParseInt(args[at], x) ||
        !CScriptRunner::ParseInt(args[at + 1], y)) {
        error = "expected pixel coordinates X Y";
        return false;
    }
    return true;
}

bool Modifiers(const CScriptRunner::Args& args, std::size_t at, int& flags, std::string& error) {
    flags = 0;
    for (std::size_t i = at; i < args.size(); ++i) {
        if (args[i] == "shift")
            flags |= KEY_SHIFT;
        else if (args[i] == "ctrl")
            flags |= KEY_CTRL;
        else if (args[i] == "alt")
            flags |= KEY_ALT;
        else {
            error = "unexpected '" + args[i] + "' (shift, ctrl or alt expected)";
            return false;
        }
    }
    return true;
}
