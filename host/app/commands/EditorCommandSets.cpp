#include "EditorScriptCommands.h"

const std::vector<CScriptRunner::CommandSet>& EditorCommandSets() {
    static const std::vector<CScriptRunner::CommandSet> sets = {
        RegisterSelectionScriptCommands,   RegisterPointerScriptCommands,
        RegisterSessionScriptCommands,     RegisterGizmoScriptCommands,
        RegisterGizmoOptionScriptCommands, RegisterPluginScriptCommands,
        RegisterPanelScriptCommands,       RegisterLightScriptCommands,
        RegisterSceneScriptCommands,       RegisterWindowScriptCommands,
        RegisterImportScriptCommands,      RegisterModuleScriptCommands,
        RegisterViewScriptCommands,        RegisterFeedbackScriptCommands,
        RegisterOutlinerScriptCommands,    RegisterExportScriptCommands,
        RegisterRecoveryScriptCommands,    RegisterDesktopScriptCommands,
        RegisterRealInputScriptCommands,   RegisterPlacementScriptCommands,
        RegisterSnapScriptCommands,
    };
    return sets;
}
