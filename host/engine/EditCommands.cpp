// The undoable edits "DeleteEntity", "RenameEntity" and "HideEntity".
#include "EditCommands.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DotSceneText.h"
#include "Interface.h"

#include <OgreLight.h>

#include <set>
#include <utility>
#include <vector>

namespace {

// Command factories take no arguments, so the commands find their scene here.
CEditorScene* g_scene = nullptr;
IToolManager* g_notifier = nullptr;

void Broadcast(int code, int arg, void* data) {
    if (g_notifier)
        g_notifier->notify(code, arg, data);
}

std::string Param(const CommandParams* params, const std::string& key, const std::string& def) {
    if (!params)
        return def;
    auto it = params->find(key);
    return it == params->end() ? def : it->second;
}

// The names of "entity": one whole name when an entity has it (names may hold spaces), else
// the words; the selection when empty.
std::vector<std::string> NamesOf(const CommandParams* params) {
    const std::string list = Param(params, "entity", "");
    std::vector<std::string> names;
    if (list.empty()) {
        const std::set<std::string>& selected = g_scene->getSelectedEntities();
        names.assign(selected.begin(), selected.end());
    } else if (g_scene->GetEntity(list)) {
        names.push_back(list);
    } else {
        std::string current;
        for (char ch : list + " ") {
            if (ch != ' ') {
                current += ch;
            } else if (!current.empty()) {
                names.push_back(current);
                current.clear();
            }
        }
    }
    return names;
}

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
bool Rebuild(const EntityRecord& r) {
    CEditorEntity* e = nullptr;
    if (r.light) {
        e = g_scene->AddLight(r.name, r.type, r.position, r.diffuse, r.parent);
        if (e) {
            Ogre::Light* l = e->GetOgreLight();
            l->setSpecularColour(r.specular);
            l->setPowerScale(r.power);
            l->setAttenuation(r.range, r.constant, r.linear, r.quadratic);
            l->setSpotlightRange(r.inner, r.outer, r.falloff);
            e->SetLocalTransform(r.position, r.orientation, r.scale);
        }
    } else {
        e = g_scene->AddMesh(r.name, r.mesh, r.parent, r.position, r.orientation, r.scale);
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

class CDeleteEntityCommand : public IBaseCommand {
public:
    int execute(CommandParams* params) override {
        if (!g_scene)
            return 0;
        if (!m_executed) {
            m_before = g_scene->getSelectedEntities();
            // Each entity once, parents before children (a selected child of a selected
            // parent goes with the parent).
            std::set<const CEditorEntity*> taken;
            for (const std::string& name : NamesOf(params)) {
                CEditorEntity* root = g_scene->GetEntity(name);
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
            if (m_records.empty())
                return 0;
            m_executed = true;
        }
        // The plug-ins let go of every entity before it goes: children first.
        for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
            if (CEditorEntity* e = g_scene->GetEntity(it->name))
                Broadcast(NOTIFY_REMOVED, 1, static_cast<SceneEntity*>(e));
        for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
            g_scene->RemoveEntity(it->name);
        Broadcast(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

    int undo() override {
        if (!g_scene || !m_executed)
            return 0;
        for (const EntityRecord& r : m_records)
            Rebuild(r);
        g_scene->SetSelection(m_before);
        Broadcast(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

private:
    bool m_executed = false;
    std::set<std::string> m_before;
    std::vector<EntityRecord> m_records; // parents before children
};

class CRenameEntityCommand : public IBaseCommand {
public:
    int execute(CommandParams* params) override {
        if (!g_scene)
            return 0;
        if (!m_executed) {
            m_old = Param(params, "entity", "");
            m_new = Param(params, "name", "");
            if (m_old == m_new || !RenameRefusal(*g_scene, m_old, m_new).empty())
                return 0;
            m_executed = true;
        }
        return Apply(m_old, m_new);
    }

    int undo() override { return m_executed ? Apply(m_new, m_old) : 0; }

private:
    static int Apply(const std::string& from, const std::string& to) {
        if (!g_scene || !g_scene->RenameEntity(from, to))
            return 0;
        Broadcast(NOTIFY_RENAMED, 0, static_cast<SceneEntity*>(g_scene->GetEntity(to)));
        return 1;
    }

    bool m_executed = false;
    std::string m_old;
    std::string m_new;
};

class CHideEntityCommand : public IBaseCommand {
public:
    int execute(CommandParams* params) override {
        if (!g_scene)
            return 0;
        if (!m_executed) {
            const std::string mode = Param(params, "mode", "hide");
            m_hide = mode == "hide";
            if (!m_hide && mode != "showall")
                return 0;
            m_before = g_scene->getSelectedEntities();
            if (m_hide) {
                for (const std::string& name : NamesOf(params))
                    if (CEditorEntity* e = g_scene->GetEntity(name); e && e->IsVisible())
                        m_changed.push_back(name);
            } else {
                for (SceneEntity* e = g_scene->beginEntity(); e; e = g_scene->nextEntity())
                    if (!e->IsVisible())
                        m_changed.push_back(e->GetName());
            }
            if (m_changed.empty())
                return 0;
            m_after = m_before;
            if (m_hide)
                for (const std::string& name : m_changed)
                    m_after.erase(name);
            m_executed = true;
        }
        for (const std::string& name : m_changed)
            g_scene->SetEntityHidden(name, m_hide);
        g_scene->SetSelection(m_after);
        Broadcast(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

    int undo() override {
        if (!g_scene || !m_executed)
            return 0;
        for (const std::string& name : m_changed)
            g_scene->SetEntityHidden(name, !m_hide);
        g_scene->SetSelection(m_before);
        Broadcast(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

private:
    bool m_executed = false;
    bool m_hide = true;
    std::vector<std::string> m_changed;
    std::set<std::string> m_before;
    std::set<std::string> m_after;
};

IBaseCommand* MakeDelete() {
    return new CDeleteEntityCommand();
}
IBaseCommand* MakeRename() {
    return new CRenameEntityCommand();
}
IBaseCommand* MakeHide() {
    return new CHideEntityCommand();
}

const std::pair<const char*, CommandFactory> kCommands[] = {
    {"DeleteEntity", &MakeDelete},
    {"RenameEntity", &MakeRename},
    {"HideEntity", &MakeHide},
};

} // namespace

bool RegisterEditCommands(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier) {
    std::vector<const char*> added;
    for (const auto& command : kCommands) {
        if (!undo.registerCommand(command.first, command.second)) {
            for (const char* name : added)
                undo.unregisterCommand(name);
            return false;
        }
        added.push_back(command.first);
    }
    g_scene = &scene;
    g_notifier = &notifier;
    return true;
}

void UnregisterEditCommands(CUndoRedoManager& undo) {
    for (const auto& command : kCommands)
        undo.unregisterCommand(command.first);
    g_scene = nullptr;
    g_notifier = nullptr;
}

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
