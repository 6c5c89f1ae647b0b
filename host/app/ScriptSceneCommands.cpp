// Script commands for scene files: open, save, entities, title.
#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CSceneDocument.h"
#include "ScriptRunner.h"

#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// The words after the command as one path (a path may hold blanks).
bool PathOf(const Args& args, const char* usage, std::string& path, std::string& error) {
    if (args.empty()) {
        error = std::string("usage: ") + usage;
        return false;
    }
    path = args[0];
    for (size_t i = 1; i < args.size(); ++i)
        path += " " + args[i];
    return true;
}

// What an entity shows: its mesh, "light TYPE", "-" for none; a mesh that could not be
// loaded is named with "(missing)".
std::string Shows(const CEditorEntity& e) {
    if (Ogre::Light* light = e.GetOgreLight()) {
        switch (light->getType()) {
        case Ogre::Light::LT_DIRECTIONAL:
            return "light directional";
        case Ogre::Light::LT_SPOTLIGHT:
            return "light spot";
        default:
            return "light point";
        }
    }
    if (!e.GetMissingMesh().empty())
        return e.GetMissingMesh() + " (missing)";
    return e.GetMeshName().empty() ? "-" : e.GetMeshName();
}

} // namespace

void RegisterSceneScriptCommands(CScriptRunner& runner) {
    runner.AddCommand("open", [](CScriptRunner& r, const Args& args, std::string& error) {
        std::string path;
        if (!PathOf(args, "open PATH", path, error))
            return false;
        std::vector<std::string> warnings;
        if (!r.Session().Document().Open(path, error, warnings))
            return false;
        for (const std::string& w : warnings)
            r.Out() << "warning: " << w << "\n";
        r.Out() << "opened " << path << ": " << r.Session().Scene().GetEntityCount()
                << " entities\n";
        if (CMainFrame* frame = r.Session().Frame())
            frame->ShowWarnings(warnings);
        r.Session().RenderFrames(1);
        return true;
    });
    runner.AddCommand("save", [](CScriptRunner& r, const Args& args, std::string& error) {
        std::string path;
        if (!PathOf(args, "save PATH", path, error))
            return false;
        if (!r.Session().Document().Save(path, error))
            return false;
        r.Out() << "saved " << path << "\n";
        return true;
    });
    runner.AddCommand("entities", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!args.empty()) {
            error = "usage: entities";
            return false;
        }
        CEditorScene& scene = r.Session().Scene();
        for (SceneEntity* s = scene.beginEntity(); s; s = scene.nextEntity()) {
            const CEditorEntity* e = scene.GetEntity(s->GetName());
            if (!e)
                continue;
            r.Out() << e->GetName() << " "
                    << (e->GetParentEntity() ? e->GetParentEntity()->GetName() : "-") << " "
                    << Shows(*e) << "\n";
        }
        return true;
    });
    runner.AddCommand("title", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!args.empty()) {
            error = "usage: title";
            return false;
        }
        r.Session().RenderFrames(1); // the frame takes the title on its tick
        r.Out() << r.Session().Document().Title() << "\n";
        return true;
    });
}
