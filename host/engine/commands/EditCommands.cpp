// The undoable edits "DeleteEntity", "RenameEntity" and "HideEntity".
#include "EditCommands.h"

#include "CommandContext.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DotSceneText.h"
#include "Interface.h"

#include <OgreLight.h>

#include <set>
#include <utility>
#include <vector>

namespace {

// Everything that makes an entity what it is, to build it again after a delete.
struct EntityRecord {
    std::string name;
    std::string parent;
    std::string mesh;
    std::string missingMesh;
    bool light = false;
    Ogre::Light::LightTypes type = Ogre::Light::LT_POINT;
    Ogre::ColourValue diffuse, specular;
    float power = 1, range = 0, constant = 0, linear = 0, quadratic = 0;
    Ogre::Radian inner, outer;
    float falloff = 0;
    Ogre::Vector3 position, orientation, scale;
    std::uint32_t state = 0;
    bool visible = true, transformEnabled = true, selectable = true;
};

EntityRecord Record(const CEditorEntity& e) {
    EntityRecord r;
    r.name = e.GetName();
    r.parent = e.GetParentEntity() ? e.GetParentEntity()->GetName() : std::string();
    r.mesh = e.GetMeshName();
    r.missingMesh = e.GetMissingMesh();
    if (const Ogre::Light* l = e.GetOgreLight()) {
        r.light = true;
        r.type = l->getType();
        r.diffuse = l->getDiffuseColour();
        r.specular = l->getSpecularColour();
        r.power = l->getPowerScale();
        r.range = l->getAttenuationRange();
        r.constant = l->getAttenuationConstant();
        r.linear = l->getAttenuationLinear();
        r.quadratic = l->getAttenuationQuadric();
        r.inner = l->getSpotlightInnerAngle();
        r.outer = l->getSpotlightOuterAngle();
        r.falloff = l->getSpotlightFalloff();
    }
    r.position = e.GetPosition();
    r.orientation = e.GetOrientation();
    r.scale = e.GetScale();
    r.state = e.GetState();
    r.visible = e.IsVisible() != 0;
    r.transformEnabled = e.EnabledTrnaform() != 0;
    r.selectable = e.IsSelectable();
    return r;
}

// Builds the recorded entity again (its parent must exist already). False when it could not
// be made (the name taken meanwhile, the mesh gone).
bool Rebuild(CEditorScene& scene, const EntityRecord& r) {
    CEditorEntity* e = nullptr;
    if (r.light) {
        e = scene.AddLight(r.name, r.type, r.position, r.diffuse, r.parent);
        if (e) {
            Ogre::Light* l = e->GetOgreLight();
            l->setSpecularColour(r.specular);
            l->setPowerScale(r.power);
            l->setAttenuation(r.range, r.constant, r.linear, r.quadratic);
            l->setSpotlightRange(r.inner, r.outer, r.falloff);
            e->SetLocalTransform(r.position, r.orientation, r.scale);
        }
    } else {
        e = scene.AddMesh(r.name, r.mesh, r.parent, r.position, r.orientation, r.scale);
    }
    if (!e)
        return false;
    e->RemoveState(~0u);
    e->AddState(r.state);
    e->SetMissingMesh(r.missingMesh);
    e->SetVisible(r.visible);
    e->SetTransformEnabled(r.transformEnabled);
    e->SetSelectable(r.selectable);
    return true;
}

class CDeleteEntityCommand : public CSceneCommand {
public:
    using CSceneCommand::CSceneCommand;

protected:
    bool Prepare(CEditorScene& scene, CommandParams* params) override {
        m_before = scene.getSelectedEntities();
        // Each entity once, parents before children (a selected child of a selected parent
        // goes with the parent).
        std::set<const CEditorEntity*> taken;
        for (const std::string& name : m_context.NamesOrSelection(params)) {
            CEditorEntity* root = scene.GetEntity(name);
            if (!root || taken.count(root))
                continue;
            std::vector<CEditorEntity*> tree{root};
            for (size_t i = 0; i < tree.size(); ++i)
                for (CEditorEntity* child : tree[i]->GetChildren())
                    tree.push_back(child);
            // An entity already taken lies below this root: its records move after the
            // root's so that every parent is rebuilt before its children.
            for (CEditorEntity* e : tree) {
                if (!taken.insert(e).second) {
                    for (auto it = m_records.begin(); it != m_records.end(); ++it)
                        if (it->name == e->GetName()) {
                            m_records.erase(it);
                            break;
                        }
                }
                m_records.push_back(Record(*e));
            }
        }
        return !m_records.empty();
    }

    int Apply(CEditorScene& scene, bool) override {
        // The plug-ins let go of every entity before it goes: children first.
        for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
            if (CEditorEntity* e = scene.GetEntity(it->name))
                m_context.Broadcast(NOTIFY_REMOVED, 1, static_cast<SceneEntity*>(e));
        for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
            scene.RemoveEntity(it->name);
        return m_context.SelectionChanged();
    }

    int Revert(CEditorScene& scene) override {
        for (const EntityRecord& r : m_records)
            Rebuild(scene, r);
        return m_context.Reselect(m_before);
    }

private:
    std::set<std::string> m_before;
    std::vector<EntityRecord> m_records; // parents before children
};

class CRenameEntityCommand : public CSceneCommand {
public:
    using CSceneCommand::CSceneCommand;

protected:
    bool Prepare(CEditorScene& scene, CommandParams* params) override {
        m_old = CommandParam(params, "entity", "");
        m_new = CommandParam(params, "name", "");
        return m_old != m_new && RenameRefusal(scene, m_old, m_new).empty();
    }

    int Apply(CEditorScene& scene, bool) override { return Rename(scene, m_old, m_new); }
    int Revert(CEditorScene& scene) override { return Rename(scene, m_new, m_old); }

private:
    int Rename(CEditorScene& scene, const std::string& from, const std::string& to) {
        if (!scene.RenameEntity(from, to))
            return 0;
        m_context.Broadcast(NOTIFY_RENAMED, 0, static_cast<SceneEntity*>(scene.GetEntity(to)));
        return 1;
    }

    std::string m_old;
    std::string m_new;
};

class CHideEntityCommand : public CSceneCommand {
public:
    using CSceneCommand::CSceneCommand;

protected:
    bool Prepare(CEditorScene& scene, CommandParams* params) override {
        m_before = scene.getSelectedEntities();
        const std::string mode = CommandParam(params, "mode", "hide");
        m_hide = mode == "hide";
        if (!m_hide && mode != "showall")
            return false;
        if (m_hide) {
            for (const std::string& name : m_context.NamesOrSelection(params))
                if (CEditorEntity* e = scene.GetEntity(name); e && e->IsVisible())
                    m_changed.push_back(name);
        } else {
            for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
                if (!e->IsVisible())
                    m_changed.push_back(e->GetName());
        }
        if (m_changed.empty())
            return false;
        m_after = m_before;
        if (m_hide)
            for (const std::string& name : m_changed)
                m_after.erase(name);
        return true;
    }

    int Apply(CEditorScene& scene, bool) override {
        for (const std::string& name : m_changed)
            scene.SetEntityHidden(name, m_hide);
        return m_context.Reselect(m_after);
    }

    int Revert(CEditorScene& scene) override {
        for (const std::string& name : m_changed)
            scene.SetEntityHidden(name, !m_hide);
        return m_context.Reselect(m_before);
    }

private:
    bool m_hide = true;
    std::vector<std::string> m_changed;
    std::set<std::string> m_before;
    std::set<std::string> m_after;
};

CCommandContext& Context() {
    static CCommandContext context({{"DeleteEntity", &MakeCommand<CDeleteEntityCommand, &Context>},
                                    {"RenameEntity", &MakeCommand<CRenameEntityCommand, &Context>},
                                    {"HideEntity", &MakeCommand<CHideEntityCommand, &Context>}});
    return context;
}

} // namespace

std::string RenameRefusal(const CEditorScene& scene, const std::string& oldName,
                          const std::string& newName) {
    if (!scene.GetEntity(oldName))
        return "无法重命名：没有名为 " + oldName + " 的物体";
    if (newName.empty())
        return "无法重命名：名称不能为空";
    if (!IsValidSceneName(newName))
        return "无法重命名：名称含有控制字符或不是有效的 UTF-8";
    if (newName.size() > kMaxSceneNameBytes)
        return "无法重命名：名称超过 " + std::to_string(kMaxSceneNameBytes) + " 字节";
    if (newName != oldName && scene.GetEntity(newName))
        return "无法重命名：已有名为 " + newName + " 的物体";
    return std::string();
}

bool RegisterEditCommands(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier) {
    return Context().Register(undo, scene, notifier);
}

void UnregisterEditCommands(CUndoRedoManager& undo) {
    Context().Unregister(undo);
}
