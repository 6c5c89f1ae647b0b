// One script line run by a GUI test whose editor draws through its own render loop: the loop is
// stopped while the line runs (the script drives the toolkit itself) and started again after.
#pragma once

#include "CEditorSession.h"
#include "CMainFrame.h"
#include "ScriptRunner.h"

#include <sstream>
#include <string>

// The render loop a GUI test runs the editor with: a frame at each tick.
inline void StartEditorRenderLoop(CEditorSession& session) {
    session.Frame()->StartRenderLoop([&session] { session.RenderTick(); });
}

// What the line printed; `accepted` tells whether the runner took it.
inline std::string RunEditorScriptLine(CEditorSession& session, const std::string& line,
                                       bool& accepted) {
    session.Frame()->StopRenderLoop();
    std::ostringstream out;
    session.Script().SetOutput(&out);
    accepted = session.RunScriptLine(line);
    session.Script().SetOutput(nullptr);
    StartEditorRenderLoop(session);
    return out.str();
}

// The pixel of a gizmo part in the target view, read from "handle PART" ("handle x px X Y");
// false when the part is hidden or the line was refused.
inline bool GizmoPartPixel(CEditorSession& session, const std::string& part, int& x, int& y) {
    bool accepted = false;
    std::istringstream handle(RunEditorScriptLine(session, "handle " + part, accepted));
    std::string word, name, px;
    return accepted && (handle >> word >> name >> px >> x >> y) && px == "px";
}
