// The host's tool numbering and the engaged tool.
//
// Every tool-strip command of a plug-in gets a tool number (AddToolCommand). switchTool(t)
// engages tool t: when the engaged plug-in changes, the previous one gets OnNotify(72) and
// OnNotify(10, 0) (hidden), then the new one OnNotify(71) and OnNotify(10, 1) (shown).
// Switching between two tools of the same plug-in keeps it engaged and sends nothing: the
// plug-in switches its own mode from the window command that follows the tool command.
// switchTool(-1) releases the engaged tool.
#pragma once

#include "Interface.h"

#include <vector>

class CPluginRegistry;

class CToolManager : public IToolManager {
public:
    explicit CToolManager(CPluginRegistry& registry);
    ~CToolManager();

    void switchTool(int tool) override;
    int toolForCommand(IPluginBase* plugin, int commandId) override;
    void notify(int code, int arg, void* data) override;

    // The tool number of (plugin, commandId), made on first use (the first free number of a
    // plug-in that left, else a new one); -1 for a null plug-in.
    int AddToolCommand(IPluginBase* plugin, int commandId);
    // Forgets the plug-in's tools; releases the engaged tool without notifying when it was one.
    void RemovePluginTools(IPluginBase* plugin);
    int CurrentTool() const { return m_current; }
    // The plug-in of the engaged tool, or null.
    IPluginBase* CurrentPlugin() const;
    IPluginBase* PluginOfTool(int tool) const;
    int CommandOfTool(int tool) const;
    int ToolCount() const { return static_cast<int>(m_tools.size()); }

private:
    struct Tool {
        IPluginBase* plugin;
        int command;
    };
    static void Send(IPluginBase* plugin, int code, int arg, void* data);

    CPluginRegistry& m_registry;
    // index = tool number; a removed tool's slot has a null plug-in until a new tool takes it
    std::vector<Tool> m_tools;
    int m_current = -1;
};
