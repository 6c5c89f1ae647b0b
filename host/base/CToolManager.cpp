#include "CToolManager.h"

#include "IPluginBase.h"
#include "CPluginRegistry.h"

#include <algorithm>
#include <cstdio>
#include <exception>

CToolManager::CToolManager(CPluginRegistry& registry) : m_registry(registry) {
    m_registry.setOnUnregister([this](IPluginBase* plugin) { RemovePluginTools(plugin); });
}

CToolManager::~CToolManager() {
    m_registry.setOnUnregister(nullptr);
}

int CToolManager::AddToolCommand(IPluginBase* plugin, int commandId) {
    if (!plugin)
        return -1;
    int existing = toolForCommand(plugin, commandId);
    if (existing >= 0)
        return existing;
    // A plug-in that left gave its numbers back: reuse the first free one, so that loading and
    // unloading a module many times keeps the list at the most tools ever present at once.
    for (size_t i = 0; i < m_tools.size(); ++i)
        if (!m_tools[i].plugin) {
            m_tools[i] = {plugin, commandId};
            return static_cast<int>(i);
        }
    m_tools.push_back({plugin, commandId});
    return static_cast<int>(m_tools.size()) - 1;
}

int CToolManager::toolForCommand(IPluginBase* plugin, int commandId) {
    if (!plugin)
        return -1;
    for (size_t i = 0; i < m_tools.size(); ++i)
        if (m_tools[i].plugin == plugin && m_tools[i].command == commandId)
            return static_cast<int>(i);
    return -1;
}

IPluginBase* CToolManager::PluginOfTool(int tool) const {
    if (tool < 0 || tool >= static_cast<int>(m_tools.size()))
        return nullptr;
    return m_tools[tool].plugin;
}

int CToolManager::CommandOfTool(int tool) const {
    return PluginOfTool(tool) ? m_tools[tool].command : -1;
}

IPluginBase* CToolManager::CurrentPlugin() const {
    return PluginOfTool(m_current);
}

void CToolManager::Send(IPluginBase* plugin, int code, int arg, void* data) {
    try {
        plugin->OnNotify(code, arg, data);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "plug-in notification %d failed: %s\n", code, e.what());
    } catch (...) {
        std::fprintf(stderr, "plug-in notification %d failed\n", code);
    }
}

void CToolManager::switchTool(int tool) {
    IPluginBase* next = nullptr;
    if (tool != -1) {
        next = PluginOfTool(tool);
        if (!next || !m_registry.contains(next))
            return; // unknown tool: nothing changes
    }
    if (tool == m_current)
        return;
    IPluginBase* previous = CurrentPlugin();
    m_current = tool;
    if (previous && previous != next && m_registry.contains(previous)) {
        Send(previous, NOTIFY_TOOL_RELEASED, 0, nullptr);
        Send(previous, NOTIFY_PAGE, 0, nullptr);
    }
    if (next && next != previous) {
        Send(next, NOTIFY_TOOL_ENGAGED, 1, nullptr);
        Send(next, NOTIFY_PAGE, 1, nullptr);
    }
}

void CToolManager::notify(int code, int arg, void* data) {
    // A copy: a plug-in may unregister (itself or another) while handling the notification.
    // Kept on the stack for the usual few plug-ins: a drag notifies once per moved entity.
    const std::vector<IPluginBase*>& registered = m_registry.plugins();
    constexpr std::size_t kOnStack = 16;
    IPluginBase* onStack[kOnStack];
    std::vector<IPluginBase*> onHeap;
    IPluginBase* const* plugins = onStack;
    const std::size_t count = registered.size();
    if (count <= kOnStack) {
        std::copy(registered.begin(), registered.end(), onStack);
    } else {
        onHeap = registered;
        plugins = onHeap.data();
    }
    for (std::size_t i = 0; i < count; ++i)
        if (m_registry.contains(plugins[i]))
            Send(plugins[i], code, arg, data);
}

void CToolManager::RemovePluginTools(IPluginBase* plugin) {
    if (!plugin)
        return;
    if (CurrentPlugin() == plugin)
        m_current = -1;
    for (Tool& t : m_tools)
        if (t.plugin == plugin)
            t.plugin = nullptr;
}
