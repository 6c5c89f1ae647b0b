// One run of the model check inside a running editor: operations are executed as script lines
// and the editor's scene and undo stacks are compared with the model after each of them.
#pragma once

#include "ModelOps.h"
#include "SceneModel.h"

#include <array>
#include <map>
#include <sstream>
#include <string>
#include <vector>

class CEditorSession;

class CModelRun {
public:
    // The editor's undo depth.
    static constexpr int kUndoDepth = 200;
    // The lines every run starts with: the scene drawn, the transform tool engaged (move).
    static const std::vector<std::string>& Prelude();

    explicit CModelRun(CEditorSession& session);

    // Runs the prelude and takes the editor's scene as the model's start. False with Why().
    bool Start();
    // Runs one operation and checks the editor against the model. False with Why(): a model
    // failure, or a script line the editor refused (ScriptError() true).
    // After each, the title's '*' is the model's: the content's version differs from the one
    // saved, or a light's range or power scale does (light edits are no undo steps).
    bool Execute(const ModelOp& op);
    // Seconds and count per operation kind so far.
    const double* Seconds() const { return m_seconds; }
    const int* Counts() const { return m_counts; }
    static const char* KindName(OpKind kind);
    // Undoes as far as the editor's stack reaches, comparing exactly at every depth.
    bool Unwind();

    const std::string& Why() const { return m_why; }
    bool ScriptError() const { return m_scriptError; }
    int Mode() const { return m_mode; }
    const ModelScene& Model() const { return m_model.Current(); }
    int Undone() const { return m_undone; }

private:
    bool ExecuteOp(const ModelOp& op);
    // Light values as the model has them, for the lights of the current scene.
    std::map<std::string, std::array<float, 2>> LightPrint() const;
    void FollowLights(const ModelOp& op, const ModelScene& before);
    bool CheckTitle(const ModelOp& op);
    ModelScene ReadEditor() const;
    bool RunLines(const std::vector<std::string>& lines);
    bool Fail(const std::string& why);
    bool CheckDepths(const char* after);
    bool Expect(const ModelScene& expected, double tolerance, const char* after);
    // The drag's rules: only selected entities changed, each only in its mode's component.
    bool CheckDrag(const ModelScene& before, const ModelScene& after);
    bool CheckBar(const ModelOp& op, const ModelScene& before, const ModelScene& after);
    bool CheckSnap(const ModelScene& before, const ModelScene& after);
    bool CheckLight(const ModelOp& op);
    std::string ClickHit(int x, int y) const;
    std::vector<std::string> RectHits(const ModelOp& op) const;
    ModelScene Selected(const ModelScene& scene, const std::set<std::string>& names) const;

    CEditorSession& m_session;
    CSceneModel m_model;
    int m_mode = 1;
    std::string m_why;
    bool m_scriptError = false;
    int m_undone = 0;
    std::ostringstream m_sink;
    std::string m_output; // what the last lines printed
    // Range and power scale of each light by name; a copy takes its source's values.
    std::map<std::string, std::array<float, 2>> m_lights;
    unsigned long m_savedVersion = 0;
    std::map<std::string, std::array<float, 2>> m_savedLights;
    // One slot per kind of operation.
    static constexpr int kKinds = static_cast<int>(OpKind::SurfaceDrag) + 1;
    double m_seconds[kKinds] = {};
    int m_counts[kKinds] = {};
};
