#include "EditorScriptCommands.h"

const std::vector<CScriptRunner::CommandSet>& EditorCommandSets() {
    static const std::vector<CScriptRunner::CommandSet> sets = {
        RegisterBuiltinScriptCommands,  RegisterGizmoScriptCommands,
        RegisterPluginScriptCommands,   RegisterPanelScriptCommands,
        RegisterLightScriptCommands,    RegisterSceneScriptCommands,
        RegisterModuleScriptCommands,   RegisterViewScriptCommands,
        RegisterFeedbackScriptCommands, RegisterOutlinerScriptCommands,
        RegisterImportScriptCommands,   RegisterGizmoOptionScriptCommands,
    };
    return sets;
}
