// The ordered list of loaded plug-ins.
#pragma once

#include "Interface.h"

#include <functional>
#include <vector>

class CPluginRegistry : public IPluginRegistry {
public:
    // 1 when added at the end; 0 for null or a plug-in already registered.
    int registerPlugin(IPluginBase* plugin, int kind) override;
    void unregisterPlugin(IPluginBase* plugin) override;

    const std::vector<IPluginBase*>& plugins() const { return m_plugins; }
    bool contains(IPluginBase* plugin) const;
    int kindOf(IPluginBase* plugin) const;
    // Called after a plug-in has left the list (the tool manager drops its tools).
    void setOnUnregister(std::function<void(IPluginBase*)> callback) {
        m_onUnregister = std::move(callback);
    }

private:
    std::vector<IPluginBase*> m_plugins;
    std::vector<int> m_kinds;
    std::function<void(IPluginBase*)> m_onUnregister;
};
