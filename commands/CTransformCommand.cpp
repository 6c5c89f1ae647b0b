#include "commands/CTransformCommand.h"

#include "core/host/CSceneManager.h"
#include "core/host/Interface.h"
#include "core/host/SceneEntity.h"

CTransformCommand::CTransformCommand() {
    Interface* host = GetInterfaceHinstance(nullptr);
    if (host) {
        if (IEngineAccess* engine = host->engineAccess())
            m_sceneManager = engine->sceneManager();
        m_notifier = host->toolManager();
    }
}

CTransformCommand::~CTransformCommand() {
    // The saved values go first, then the names.
    m_saved.reset();
    m_names.clear();
}

int CTransformCommand::Capture(const std::set<std::string>& names, int kind, COORDINATE_AXIS axis) {
    m_names = names;
    m_kind = kind;
    m_axis = axis;
    m_saved.reset(new Ogre::Vector3[m_names.size()]);
    std::size_t i = 0;
    for (const std::string& name : m_names) {
        m_saved[i] = Ogre::Vector3::ZERO;
        SceneEntity* entity = m_sceneManager ? m_sceneManager->getSceneEntity(name) : nullptr;
        if (entity) {
            if (m_kind == KIND_POSITION)
                m_saved[i] = entity->GetPosition();
            else if (m_kind == KIND_ORIENTATION)
                m_saved[i] = entity->GetOrientation();
            else
                m_saved[i] = entity->GetScale();
        }
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
    std::size_t i = 0;
    for (const std::string& name : m_names) {
        const std::size_t slot = i++;
        SceneEntity* entity = m_sceneManager->getSceneEntity(name);
        if (!entity)
            continue;
        Ogre::Vector3 current;
        int code;
        if (m_kind == KIND_POSITION) {
            current = entity->GetPosition();
            entity->SetPosition(m_saved[slot], m_axis);
            code = NOTIFY_MOVED;
        } else if (m_kind == KIND_ORIENTATION) {
            current = entity->GetOrientation();
            entity->SetOrientation(m_saved[slot], m_axis);
            code = NOTIFY_ROTATED;
        } else {
            current = entity->GetScale();
            entity->SetScale(m_saved[slot], m_axis);
            code = NOTIFY_SCALED;
        }
        m_saved[slot] = current;
        if (m_notifier)
            m_notifier->notify(code, 1, entity);
    }
}
