#include "CPluginRegistry.h"

#include <algorithm>

int CPluginRegistry::registerPlugin(IPluginBase* plugin, int kind) {
    if (!plugin || contains(plugin))
        return 0;
    m_plugins.push_back(plugin);
    m_kinds.push_back(kind);
    return 1;
}

void CPluginRegistry::unregisterPlugin(IPluginBase* plugin) {
    auto it = std::find(m_plugins.begin(), m_plugins.end(), plugin);
    if (it == m_plugins.end())
        return;
    m_kinds.erase(m_kinds.begin() + (it - m_plugins.begin()));
    m_plugins.erase(it);
    if (m_onUnregister)
        m_onUnregister(plugin);
}

bool CPluginRegistry::contains(IPluginBase* plugin) const {
    return plugin && std::find(m_plugins.begin(), m_plugins.end(), plugin) != m_plugins.end();
}

int CPluginRegistry::kindOf(IPluginBase* plugin) const {
    auto it = std::find(m_plugins.begin(), m_plugins.end(), plugin);
    return it == m_plugins.end() ? -1 : m_kinds[it - m_plugins.begin()];
}
