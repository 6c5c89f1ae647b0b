#include "EditorScriptCommands.h"

const std::vector<CScriptRunner::CommandSet>& EditorCommandSets() {
    static const std::vector<CScriptRunner::CommandSet> sets = {
        RegisterBuiltinScriptCommands, RegisterGizmoScriptCommands, RegisterPluginScriptCommands,
        RegisterPanelScriptCommands,   RegisterLightScriptCommands, RegisterSceneScriptCommands,
        RegisterModuleScriptCommands, RegisterImportScriptCommands,
    };
    return sets;
}
