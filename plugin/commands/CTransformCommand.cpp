#include "CTransformCommand.h"

#include "CSceneManager.h"
#include "CTransformCommit.h"
#include "Interface.h"
#include "SceneEntity.h"
#include "TransformChannel.h"

#include <vector>

namespace {

IToolManager* HostNotifier(Interface* host) {
    return host ? host->toolManager() : nullptr;
}

} // namespace

CTransformCommand::CTransformCommand()
    : CTransformCommand(TransformSteps::HostScene(GetInterfaceHinstance(nullptr)),
                        HostNotifier(GetInterfaceHinstance(nullptr))) {}

CTransformCommand::CTransformCommand(CSceneManager* scene, IToolManager* notifier)
    : m_sceneManager(scene), m_notifier(notifier) {}

CTransformCommand::~CTransformCommand() {
    // The saved values go first, then the names.
    m_saved.reset();
    m_names.clear();
}

const TransformChannel& CTransformCommand::Channel() const {
    return ChannelOf(m_kind);
}

int CTransformCommand::Capture(const std::set<std::string>& names, int kind, COORDINATE_AXIS axis) {
    m_names = names;
    m_kind = kind;
    m_axis = axis;
    m_saved.reset(new Ogre::Vector3[m_names.size()]);
    const TransformChannel& channel = Channel();
    std::size_t i = 0;
    for (const std::string& name : m_names) {
        m_saved[i] = Ogre::Vector3::ZERO;
        if (SceneEntity* entity = m_sceneManager ? m_sceneManager->getSceneEntity(name) : nullptr)
            m_saved[i] = channel.Get(*entity);
        ++i;
    }
    return 1;
}

Ogre::Vector3 CTransformCommand::GetSaved(std::size_t index) const {
    if (!m_saved || index >= m_names.size())
        return Ogre::Vector3::ZERO;
    return m_saved[index];
}

int CTransformCommand::execute(CommandParams* /*params*/) {
    Swap();
    return 1;
}

int CTransformCommand::undo() {
    Swap();
    return 1;
}

void CTransformCommand::Swap() {
    if (!m_saved || !m_sceneManager)
        return;
    const TransformChannel& channel = Channel();
    // The host refuses a value that would take an entity or one of its children out of the
    // world range. Each saved value was valid together with the others, but one set before
    // another (a child grown back before its parent shrinks) may be refused on the way: such
    // slots are tried again after the rest, for as long as a round gets further.
    std::vector<std::size_t> pending(m_names.size());
    std::vector<SceneEntity*> entities(m_names.size(), nullptr);
    std::size_t i = 0;
    for (const std::string& name : m_names) {
        pending[i] = i;
        entities[i] = m_sceneManager->getSceneEntity(name);
        ++i;
    }
    std::vector<Ogre::Vector3> before(m_names.size());
    for (std::size_t slot = 0; slot < entities.size(); ++slot)
        if (entities[slot])
            before[slot] = channel.Get(*entities[slot]);
    while (!pending.empty()) {
        std::vector<std::size_t> refused;
        for (const std::size_t slot : pending) {
            SceneEntity* entity = entities[slot];
            if (!entity)
                continue;
            channel.Set(*entity, m_saved[slot], m_axis);
            if (!Took(channel.Get(*entity), m_saved[slot]))
                refused.push_back(slot);
        }
        if (refused.size() == pending.size())
            break;
        pending.swap(refused);
    }
    for (std::size_t slot = 0; slot < entities.size(); ++slot) {
        SceneEntity* entity = entities[slot];
        if (!entity)
            continue;
        // The next swap restores what the entity held (a slot refused for good then sets the
        // value it kept).
        m_saved[slot] = before[slot];
        if (m_notifier)
            m_notifier->notify(channel.notifyCode, 1, entity);
    }
}

bool CTransformCommand::Took(const Ogre::Vector3& now, const Ogre::Vector3& saved) const {
    if (m_axis >= AXIS_X && m_axis <= AXIS_Z)
        return now[m_axis] == saved[m_axis];
    return now == saved;
}
